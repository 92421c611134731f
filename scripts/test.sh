#!/usr/bin/env bash
# The one test command: installs what is missing, builds, and runs every test stage in order,
# printing each stage's time. Stops at the first failing stage.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

stage() {
  local name=$1
  shift
  local start=$SECONDS
  echo "=== stage: $name"
  "$@"
  echo "=== stage: $name passed in $((SECONDS - start)) s"
}

format_check() {
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
}

native_tests() {
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$jobs"
  ctest --preset release
}

# The names of .clang-tidy in every file, the _win ones with the MinGW build's compile commands.
name_check() {
  scripts/name-check.sh build/release build/mingw
}

# The product code alone with the lint preset's stricter warnings, which stop the build.
lint_build() {
  cmake --preset lint >/dev/null
  cmake --build --preset lint -j "$jobs"
}

sanitizer_tests() {
  cmake --preset sanitize >/dev/null
  cmake --build --preset sanitize -j "$jobs"
  ctest --preset sanitize
}

# The Windows build: MinGW-w64 with libjpeg-turbo and GoogleTest cross-built once and cached.
windows_cross_build() {
  scripts/build-mingw-deps.sh
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j "$jobs"
}

# Each Wine stage gets a fresh copy of the prefix and its own Xvfb display; the tests run one
# at a time. End-to-end tests carry the label "e2e".
windows_unit_tests() {
  scripts/wine-env.sh build/mingw ctest --preset mingw --label-exclude e2e
}

windows_e2e_tests() {
  scripts/wine-env.sh build/mingw ctest --preset mingw --label-regex e2e --no-tests=error
}

total_start=$SECONDS
stage "install packages" scripts/install-deps.sh native fuzz bench windows
stage "format check" format_check
stage "native build and unit tests" native_tests
stage "names" name_check
stage "lint build" lint_build
stage "sanitizer build and unit tests" sanitizer_tests
stage "deterministic fuzzing" scripts/fuzz-stage.sh
stage "windows cross build" windows_cross_build
stage "unit tests under wine" windows_unit_tests
stage "end-to-end tests under wine" windows_e2e_tests
echo "=== all stages passed in $((SECONDS - total_start)) s"
