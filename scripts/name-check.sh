#!/usr/bin/env bash
# The names of .clang-tidy in every source file: the portable ones with the native build's
# compile commands, the _win ones with the MinGW build's, parsed by clang as the Windows target
# against MinGW-w64's own headers. Several files per run, $(nproc) runs at a time.
# Usage: scripts/name-check.sh [NATIVE_BUILD] [MINGW_BUILD]   (default build/release build/mingw)
# A missing MinGW compile database is made by configuring the mingw preset.
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/release}
mingw=${2:-build/mingw}
jobs=$(nproc)

if [[ ! -f $mingw/compile_commands.json ]]; then
  [[ -n ${TAMSOLO_MINGW_DEPS:-} ]] || scripts/build-mingw-deps.sh
  cmake --preset mingw >/dev/null
fi

# clang brings its own intrinsics and finds MinGW's C headers by the target; the C++ library
# is GCC's, so its folders come from the cross compiler itself.
mingw_cxx=x86_64-w64-mingw32-g++-posix
mingw_args=(--extra-arg=--target=x86_64-w64-mingw32)
while read -r folder; do
  mingw_args+=("--extra-arg-before=-isystem$folder")
done < <(echo | "$mingw_cxx" -x c++ -E -v - 2>&1 |
  sed -n '/#include <...> search/,/End of search/{/^ .*\/c++/s/^ //p}')

quiet() {
  { grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true; }
}

status=0
git ls-files '*.cpp' | grep -vE '_win(_test)?\.cpp$' |
  xargs -P "$jobs" -n 4 clang-tidy -p "$native" --quiet 2>&1 | quiet || status=1
git ls-files '*.cpp' | grep -E '_win(_test)?\.cpp$' |
  xargs -P "$jobs" -n 4 clang-tidy -p "$mingw" --quiet "${mingw_args[@]}" 2>&1 | quiet || status=1
exit "$status"
