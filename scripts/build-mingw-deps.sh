#!/usr/bin/env bash
# Cross-builds the third-party libraries the Windows build needs and caches them:
#   libjpeg-turbo (static, 6b interface) and libwebp (static: libwebp, libwebpdemux) from
#   Debian's own source packages, whose unpacking applies Debian's security patches,
#   bzip2 (static libbz2), xz-utils (static liblzma) and libarchive (static, reading through
#   zlib, libbz2 and liblzma) from Debian's source packages too,
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

# Configures a CMake project from $2 in a fresh build folder for the prefix and prints the folder.
# Ninja, because its try_compile projects make configure checks (libarchive runs hundreds)
# much quicker than Make's.
cross_configure() {
  local name=$1 source=$2
  shift 2
  local build=$deps/build/$name
  rm -rf "$build"
  mkdir -p "$deps/build"
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$build.configure.log" ||
    { cat "$build.configure.log" >&2; exit 1; }
  echo "$build"
}

cross_build() {
  local build
  build=$(cross_configure "$@")
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

# Prints the newest version among the stanzas apt-cache lists for a source package.
newest_version() {
  local newest="" version
  for version in $(apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p'); do
    if [[ -z $newest ]] || dpkg --compare-versions "$version" gt "$newest"; then
      newest=$version
    fi
  done
  echo "$newest"
}

# Prints the version of Debian's source package $1, updating apt's lists once if it has none.
# apt lists the release's version before the security update's, so the first stanza would
# build without the newest patches.
source_version() {
  local version
  ensure_deb_src
  version=$(newest_version "$1")
  if [[ -z $version ]]; then
    as_root apt-get update -qq >&2
    version=$(newest_version "$1")
  fi
  if [[ -z $version ]]; then
    echo "apt knows no source package $1" >&2
    exit 1
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

bzip2() {
  local version sources build=$deps/build/bzip2
  version=$(source_version bzip2)
  if stamp_matches bzip2 "$version"; then
    return
  fi
  echo "building bzip2 $version for Windows" >&2
  sources=$(unpacked_source bzip2 "$version")
  # No CMake build: its own Makefile with the cross compiler, the static library only.
  rm -rf "$build"
  mkdir -p "$deps/build"
  cp -r "$sources" "$build"
  make -C "$build" -j "$jobs" libbz2.a CC=x86_64-w64-mingw32-gcc-posix \
    AR=x86_64-w64-mingw32-ar RANLIB=x86_64-w64-mingw32-ranlib \
    CFLAGS="-O2 -D_FILE_OFFSET_BITS=64" >/dev/null
  install -D -m 644 "$build/bzlib.h" "$prefix/include/bzlib.h"
  install -D -m 644 "$build/libbz2.a" "$prefix/lib/libbz2.a"
  echo "$version" >"$prefix/.stamp-bzip2"
}

xz_utils() {
  local version sources build
  version=$(source_version xz-utils)
  if stamp_matches xz-utils "$version"; then
    return
  fi
  echo "building liblzma from xz-utils $version for Windows" >&2
  sources=$(unpacked_source xz-utils "$version")
  # Only the library: its target and install component leave the xz tools unbuilt.
  build=$(cross_configure xz-utils "$sources" -DBUILD_SHARED_LIBS=OFF)
  cmake --build "$build" -j "$jobs" --target liblzma >/dev/null
  cmake --install "$build" --component liblzma_Development >/dev/null
  echo "$version" >"$prefix/.stamp-xz-utils"
}

# Fails unless libarchive's configure found the header of each reader library it must use and
# of the Windows crypto it calls (for random numbers and encrypted entries).
require_archive_readers() {
  local config=$1/config.h macro
  for macro in HAVE_ZLIB_H HAVE_BZLIB_H HAVE_LZMA_H HAVE_BCRYPT_H HAVE_WINCRYPT_H; do
    if ! grep -q "^#define $macro 1" "$config"; then
      echo "libarchive was configured without $macro ($config); not building it" >&2
      exit 1
    fi
  done
}

libarchive() {
  local version sources build
  version=$(source_version libarchive)
  if stamp_matches libarchive "$version"; then
    return
  fi
  echo "building libarchive $version for Windows" >&2
  sources=$(unpacked_source libarchive "$version")
  # Its readers use zlib, bzip2 and liblzma and nothing else: every other optional library
  # off, so none of the build machine's or MinGW's own is picked up by chance. Its configure
  # looks for "Bcrypt.h", which MinGW spells in lowercase: a forwarding header lets the check,
  # and every header check after it that includes it, succeed on a case-sensitive disk.
  local shim=$deps/build/libarchive-include
  mkdir -p "$shim"
  echo '#include <bcrypt.h>' >"$shim/Bcrypt.h"
  build=$(cross_configure libarchive "$sources" -DENABLE_OPENSSL=OFF -DENABLE_NETTLE=OFF \
    -DENABLE_MBEDTLS=OFF -DENABLE_LIBXML2=OFF -DENABLE_EXPAT=OFF -DENABLE_ICONV=OFF \
    -DENABLE_ZSTD=OFF -DENABLE_LZ4=OFF -DENABLE_LZO=OFF -DENABLE_LIBB2=OFF -DENABLE_ACL=OFF \
    -DENABLE_XATTR=OFF -DENABLE_PCREPOSIX=OFF -DPOSIX_REGEX_LIB=NONE -DENABLE_TAR=OFF \
    -DENABLE_CPIO=OFF -DENABLE_CAT=OFF -DENABLE_TEST=OFF -DENABLE_ZLIB=ON -DENABLE_BZip2=ON \
    -DENABLE_LZMA=ON -DENABLE_CNG=ON -DCMAKE_C_FLAGS="-I$shim")
  require_archive_readers "$build"
  # On WIN32 its CMake always adds the DLL and its import library, which a lookup would find
  # first: build the static library alone and install it and the public headers by hand.
  cmake --build "$build" -j "$jobs" --target archive_static >/dev/null
  install -D -m 644 "$build/libarchive/libarchive_static.a" "$prefix/lib/libarchive_static.a"
  install -m 644 "$sources/libarchive/archive.h" "$sources/libarchive/archive_entry.h" "$prefix/include/"
  rm -f "$prefix/lib/libarchive.dll.a" "$prefix/bin/libarchive.dll" "$prefix/lib/pkgconfig/libarchive.pc"
  echo "$version" >"$prefix/.stamp-libarchive"
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
bzip2
xz_utils
libarchive
googletest
