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

sanitizer_tests() {
  cmake --preset sanitize >/dev/null
  cmake --build --preset sanitize -j "$jobs"
  ctest --preset sanitize
}

total_start=$SECONDS
stage "install packages" scripts/install-deps.sh native fuzz bench
stage "format check" format_check
stage "native build and unit tests" native_tests
stage "sanitizer build and unit tests" sanitizer_tests
stage "deterministic fuzzing" scripts/fuzz-stage.sh
echo "=== all stages passed in $((SECONDS - total_start)) s"
