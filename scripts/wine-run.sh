#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one program under Wine in the build
# folder's own prefix. Usage: scripts/wine-run.sh BUILD_DIR PROGRAM.exe ARGS...
# Without a DISPLAY it runs on a private Xvfb and ends the prefix's Wine processes after.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
build_dir=$1
shift
wine_env_use "$build_dir"

# Wine's helper processes (services, the desktop process started by the first window) outlive
# the program and keep the output it was given open; CTest waits for its pipe to close. So the
# program writes to a file, and the file is passed on when the program ends.
output=$(mktemp)
# A private display left behind by an interrupted run is stopped too.
trap 'rm -f "$output"; [[ -z ${WINE_ENV_XVFB_PID:-} ]] || wine_env_stop' EXIT
status=0
wine_env_with_some_display wine "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
exit $status
