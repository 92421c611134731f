# libarchive for the comic archive formats, as one target: tamsolo::archive; and liblzma, which
# also reads the archives' own headers (tamsolo::lzma).
# Natively Debian's libarchive-dev. For Windows the static library that
# scripts/build-mingw-deps.sh cross-builds: its CMake installs it as libarchive_static.a, and a
# plain lookup would prefer a libarchive.dll.a and make the programs import the DLL, so it is
# named by its full file name. A static libarchive brings no record of what it needs, so its
# readers' libraries (liblzma, libbz2, the static zlib) and bcrypt are linked here by hand.
if(TARGET tamsolo::archive)
  return()
endif()

if(WIN32)
  find_path(TAMSOLO_LZMA_INCLUDE_DIR lzma.h REQUIRED)
  find_library(TAMSOLO_LZMA_LIBRARY NAMES liblzma.a REQUIRED)
  add_library(tamsolo::lzma STATIC IMPORTED)
  set_target_properties(
    tamsolo::lzma
    PROPERTIES IMPORTED_LOCATION "${TAMSOLO_LZMA_LIBRARY}"
               INTERFACE_INCLUDE_DIRECTORIES "${TAMSOLO_LZMA_INCLUDE_DIR}"
               # Without it lzma.h declares every function __declspec(dllimport).
               INTERFACE_COMPILE_DEFINITIONS LZMA_API_STATIC)
else()
  find_package(LibLZMA REQUIRED)
  add_library(tamsolo::lzma INTERFACE IMPORTED)
  set_target_properties(tamsolo::lzma PROPERTIES INTERFACE_LINK_LIBRARIES LibLZMA::LibLZMA)
endif()

if(WIN32)
  find_path(TAMSOLO_ARCHIVE_INCLUDE_DIR archive.h REQUIRED)
  find_library(TAMSOLO_ARCHIVE_LIBRARY NAMES libarchive_static.a REQUIRED)
  find_library(TAMSOLO_BZ2_LIBRARY NAMES libbz2.a REQUIRED)
  # The toolchain asks for zlib's static library (ZLIB_USE_STATIC_LIBS).
  find_package(ZLIB REQUIRED)
  add_library(tamsolo::archive STATIC IMPORTED)
  set_target_properties(
    tamsolo::archive
    PROPERTIES IMPORTED_LOCATION "${TAMSOLO_ARCHIVE_LIBRARY}"
               INTERFACE_INCLUDE_DIRECTORIES "${TAMSOLO_ARCHIVE_INCLUDE_DIR}"
               # Without it archive.h declares every function __declspec(dllimport).
               INTERFACE_COMPILE_DEFINITIONS LIBARCHIVE_STATIC
               INTERFACE_LINK_LIBRARIES
               "${TAMSOLO_LZMA_LIBRARY};${TAMSOLO_BZ2_LIBRARY};ZLIB::ZLIB;bcrypt")
else()
  find_package(LibArchive REQUIRED)
  add_library(tamsolo::archive INTERFACE IMPORTED)
  set_target_properties(tamsolo::archive PROPERTIES INTERFACE_LINK_LIBRARIES LibArchive::LibArchive)
endif()
