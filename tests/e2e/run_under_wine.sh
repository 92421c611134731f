#!/usr/bin/env bash
# Runs one Windows test program under Wine in the build folder's prefix, its output going
# through a file. Wine's desktop process, started by the first program that opens a window,
# keeps that program's standard error for the rest of the session; had it been CTest's pipe,
# CTest would wait for it to close long after the test ended.
# Usage: tests/e2e/run_under_wine.sh BUILD_DIR PROGRAM.exe ARGS...
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
build_dir=$1
shift
output=$(mktemp)
trap 'rm -f "$output"' EXIT
wine_env_use "$build_dir"
status=0
wine_env_with_some_display wine "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
exit $status
