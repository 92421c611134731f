#!/usr/bin/env bash
# Cross-builds the third-party libraries the Windows build needs and caches them:
#   libjpeg-turbo (static, 6b interface) and libwebp (static: libwebp, libwebpdemux) from
#   Debian's own source packages, whose unpacking applies Debian's security patches,
#   GoogleTest from Debian's sources in /usr/src/googletest.
# zlib needs no build: Debian's libz-mingw-w64-dev provides it.
# Usage: scripts/build-mingw-deps.sh [DEPS_DIR]   (default build/mingw-deps; installs into DEPS_DIR/prefix)
# A library whose stamp matches its source version is skipped, so a warm run takes a moment.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=${1:-$root/build/mingw-deps}
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)
prefix=$deps/prefix
toolchain=$root/cmake/mingw-toolchain.cmake
jobs=$(nproc)

as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

"$root/scripts/install-deps.sh" windows

stamp_matches() {
  [[ -f $prefix/.stamp-$1 && $(cat "$prefix/.stamp-$1") == "$2" ]]
}

cross_build() {
  local name=$1 source=$2
  shift 2
  local build=$deps/build/$name
  rm -rf "$build"
  cmake -S "$source" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$build" -j "$jobs" >/dev/null
  cmake --install "$build" >/dev/null
}

# Adds source entries for Debian's own archive when apt has none, in a file of our own.
ensure_deb_src() {
  if grep -rqsE '^(Types:.*\bdeb-src\b|deb-src[[:space:]])' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return
  fi
  local added=/etc/apt/sources.list.d/tamsolo-deb-src
  if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$added.sources" >/dev/null
  elif [[ -f /etc/apt/sources.list ]]; then
    sed -nE 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list | as_root tee "$added.list" >/dev/null
  else
    echo "no Debian apt source found to add deb-src entries for" >&2
    exit 1
  fi
  echo "added deb-src entries: $added.*" >&2
}

# Prints the version of Debian's source package $1, updating apt's lists once if it has none.
source_version() {
  local version
  ensure_deb_src
  if ! version=$(apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | head -n 1) || [[ -z $version ]]; then
    as_root apt-get update -qq >&2
    version=$(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | head -n 1)
  fi
  echo "$version"
}

# Unpacks Debian's source package $1 at version $2 (patches applied) once and prints its folder.
unpacked_source() {
  local name=$1 version=$2
  # Make cannot take the epoch's colon in a path.
  local sources=$deps/src/$name-${version#*:}
  if [[ ! -d $sources/unpacked ]]; then
    rm -rf "$sources"
    mkdir -p "$sources"
    (cd "$sources" && apt-get source -qq "$name=$version" >/dev/null 2>&1)
    mv "$(find "$sources" -mindepth 1 -maxdepth 1 -type d -name "$name-*" | head -n 1)" "$sources/unpacked"
  fi
  echo "$sources/unpacked"
}

libjpeg_turbo() {
  local version sources
  version=$(source_version libjpeg-turbo)
  if stamp_matches libjpeg-turbo "$version"; then
    return
  fi
  echo "building libjpeg-turbo $version for Windows" >&2
  sources=$(unpacked_source libjpeg-turbo "$version")
  # nasm builds the SIMD paths; without it the decoder would silently be the slow one.
  cross_build libjpeg-turbo "$sources" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm
  echo "$version" >"$prefix/.stamp-libjpeg-turbo"
}

libwebp() {
  local version sources
  version=$(source_version libwebp)
  if stamp_matches libwebp "$version"; then
    return
  fi
  echo "building libwebp $version for Windows" >&2
  sources=$(unpacked_source libwebp "$version")
  # The lossless decoder of 1.2.4 overflows its Huffman tables on hostile files (CVE-2023-4863);
  # the fix, whether Debian's patch or upstream's, brings this function. Never build without it.
  if ! grep -q VP8LHuffmanTablesAllocate "$sources/src/utils/huffman_utils.h"; then
    echo "libwebp $version lacks the fix for CVE-2023-4863; not building it" >&2
    exit 1
  fi
  # Static only (no DLL, no import library for the lookup to pick), and none of the tools.
  # libwebpdecoder.a comes along: the library targets install together.
  cross_build libwebp "$sources" -DBUILD_SHARED_LIBS=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
  echo "$version" >"$prefix/.stamp-libwebp"
}

googletest() {
  local version
  version=$(dpkg-query -W -f='${Version}' googletest)
  if stamp_matches googletest "$version"; then
    return
  fi
  echo "building GoogleTest $version for Windows" >&2
  cross_build googletest /usr/src/googletest -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
  echo "$version" >"$prefix/.stamp-googletest"
}

mkdir -p "$prefix"
libjpeg_turbo
libwebp
googletest
