# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads model). The
# Windows builds of libjpeg, libwebp, libarchive (with libbz2 and liblzma) and GoogleTest come
# from scripts/build-mingw-deps.sh, which installs them into TAMSOLO_MINGW_DEPS; zlib comes
# from Debian's libz-mingw-w64-dev.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw_triplet}-windres)

get_filename_component(_tamsolo_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT TAMSOLO_MINGW_DEPS)
  if(DEFINED ENV{TAMSOLO_MINGW_DEPS})
    set(TAMSOLO_MINGW_DEPS "$ENV{TAMSOLO_MINGW_DEPS}")
  else()
    set(TAMSOLO_MINGW_DEPS "${_tamsolo_root}/build/mingw-deps/prefix")
  endif()
endif()
set(TAMSOLO_MINGW_DEPS "${TAMSOLO_MINGW_DEPS}" CACHE PATH "Prefix of the cross-built libraries")
# try_compile projects re-read this file and need the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAMSOLO_MINGW_DEPS)

set(CMAKE_FIND_ROOT_PATH "/usr/${_mingw_triplet}" "${TAMSOLO_MINGW_DEPS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config (run by FindPkgConfig) reads only the prefix's .pc files, which name its static
# libraries; the build machine's own would hand the Linux libraries to the Windows link.
set(ENV{PKG_CONFIG_LIBDIR} "${TAMSOLO_MINGW_DEPS}/lib/pkgconfig")
unset(ENV{PKG_CONFIG_PATH})
unset(ENV{PKG_CONFIG_SYSROOT_DIR})

# zlib's package also ships an import library; the executables must not need zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

# Everything static (libgcc, libstdc++, winpthread), so the programs run under Wine and on
# Windows without any DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest and add_custom_command run the built programs under Wine, in the build folder's own
# prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${_tamsolo_root}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}")
