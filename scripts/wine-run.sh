#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one program under Wine in the build
# folder's own prefix. Usage: scripts/wine-run.sh BUILD_DIR PROGRAM.exe ARGS...
# Without a DISPLAY it runs on a private Xvfb and ends the prefix's Wine processes after.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
build_dir=$1
shift
wine_env_use "$build_dir"
wine_env_with_some_display wine "$@"
