# libjpeg (6b interface) and zlib: Debian's packages natively; for the Windows build the
# toolchain file points CMAKE_PREFIX_PATH / CMAKE_FIND_ROOT_PATH at the cross-built copies.
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
# libwebp and its demuxer (animations) through their pkg-config files.
find_package(PkgConfig REQUIRED)
pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux)

include(${CMAKE_CURRENT_LIST_DIR}/Archive.cmake)
