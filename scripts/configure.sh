#!/usr/bin/env bash
# Configures a preset quietly: cmake --preset PRESET. A build folder made by another generator
# (trees before Ninja used Make) is configured anew; its other contents, such as the Wine
# prefix, stay.
# Usage: scripts/configure.sh PRESET
set -euo pipefail
cd "$(dirname "$0")/.."
cache=build/$1/CMakeCache.txt
if [[ -f $cache ]] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
  rm -rf "$cache" "build/$1/CMakeFiles"
fi
cmake --preset "$1" >/dev/null
