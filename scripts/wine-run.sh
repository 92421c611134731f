#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one program under Wine in the build
# folder's own prefix. Usage: scripts/wine-run.sh BUILD_DIR PROGRAM.exe ARGS...
# Without a DISPLAY it runs on a private Xvfb and ends the prefix's Wine processes after.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
build_dir=$1
shift
wine_env_use "$build_dir"

run() {
  # Wine's helper processes (services, explorer) outlive the program and keep the output
  # it was given open, and CTest waits for that output to close; so they start here, away
  # from it, if they are not running already.
  wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1
  wine "$@"
}
wine_env_with_some_display run "$@"
