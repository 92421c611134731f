#!/usr/bin/env bash
# The one test command: installs what is missing, builds, and runs the test stages in order,
# printing each stage's time; at the end it prints the share of test lines. Without arguments
# every stage runs; given names, only those (still in the order below). Stops at the first
# failing stage.
# Usage: scripts/test.sh [STAGE...]      (scripts/test.sh --list names the stages)
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
jobs=$(nproc)

# name | package groups | build bound | build | run bound | run | what it does
# A stage has up to two steps, each with a time bound in seconds; a step that passes it ends
# and the stage fails with its name. The runs are bound near twice what they take on the
# two-core CI machine, so a test or fuzz target that hangs or slows down a lot fails by name
# instead of holding CI. The builds are bound far more loosely: from scratch on a machine
# shared with other builds they take many times their time on CI.
stages=(
  "format|native|||120|format_check|format check"
  "native|native bench|3600|native_build|600|native_run|native build and unit tests"
  "lint|native|3600|lint_build|||lint build"
  "sanitize|native|3600|sanitizer_build|900|sanitizer_run|sanitizer build and unit tests"
  "fuzz|native fuzz|3600|fuzz_build|600|scripts/fuzz-stage.sh|deterministic fuzzing"
  "names|native windows|||1800|names_stage|names (clang-tidy)"
  "windows|native windows|3600|windows_cross_build|||windows cross build"
  "wine-unit|windows|||1200|windows_unit_tests|unit tests under wine"
  "wine-e2e|windows|||1200|windows_e2e_tests|end-to-end tests under wine"
)

format_check() {
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
}

native_build() {
  scripts/configure.sh release
  cmake --build --preset release -j "$jobs"
}

native_run() {
  ctest --preset release -j "$jobs"
}

# The names of .clang-tidy in every file, the _win ones with the MinGW build's compile commands.
name_check() {
  scripts/name-check.sh build/release build/mingw
}

# The names check reads the compile commands, which configuring alone writes.
names_stage() {
  scripts/configure.sh release
  name_check
}

# The product code alone with the lint preset's stricter warnings, which stop the build.
lint_build() {
  scripts/configure.sh lint
  cmake --build --preset lint -j "$jobs"
}

sanitizer_build() {
  scripts/configure.sh sanitize
  cmake --build --preset sanitize -j "$jobs"
}

sanitizer_run() {
  ctest --preset sanitize -j "$jobs"
}

# The fuzz stage's own build is then up to date.
fuzz_build() {
  scripts/configure.sh fuzz
  cmake --build --preset fuzz -j "$jobs"
}

# The Windows build: MinGW-w64 with its libraries cross-built once and cached (usually by the
# background build below by now).
windows_cross_build() {
  scripts/build-mingw-deps.sh
  scripts/configure.sh mingw
  cmake --build --preset mingw -j "$jobs"
}

windows_build_made() {
  [[ -f build/mingw/CTestTestfile.cmake ]] && return 0
  echo "no Windows build in build/mingw: run the windows stage first" >&2
  return 1
}

# Each Wine stage gets a fresh copy of the prefix and its own Xvfb display; the tests run one
# at a time. End-to-end tests carry the label "e2e".
windows_unit_tests() {
  windows_build_made
  scripts/wine-env.sh build/mingw ctest --preset mingw --label-exclude e2e
}

windows_e2e_tests() {
  windows_build_made
  scripts/wine-env.sh build/mingw ctest --preset mingw --label-regex e2e --no-tests=error
}

# Physical lines of C++ and CMake: everything under tests/ (its harness included) against the
# product's folders; bench/ counts as neither.
lines_of() {
  git ls-files --cached --others --exclude-standard -- "$@" |
    grep -E '(\.(cpp|h|cmake)|CMakeLists\.txt)$' | sort -u | tr '\n' '\0' |
    xargs -0 cat -- | wc -l
}

print_share() {
  local tests product
  tests=$(lines_of tests)
  product=$(lines_of platform image archive clean decode resample page job queue book preview cli builder app)
  awk -v t="$tests" -v p="$product" \
    'BEGIN { printf "=== share: %d test lines against %d product lines (%.2f)\n", t, p, t / p }'
}

field() {
  local IFS='|'
  read -r -a parts <<<"$1"
  echo "${parts[$2]}"
}

install_packages() {
  # shellcheck disable=SC2086  # the groups are words
  scripts/install-deps.sh $TAMSOLO_TEST_GROUPS
}

# Internal: one stage's body, run by run_stage under its bound.
if [[ ${1:-} == --run ]]; then
  "$2"
  exit
fi

if [[ ${1:-} == --list ]]; then
  for entry in "${stages[@]}"; do
    build=$(field "$entry" 2)
    run=$(field "$entry" 4)
    printf '%-10s %-32s bounds: build %5s s, run %5s s\n' "$(field "$entry" 0)" \
      "$(field "$entry" 6)" "${build:--}" "${run:--}"
  done
  exit 0
fi

# One step of a stage runs in a process group of its own under timeout, which ends the whole
# group at the bound; an interrupt here is passed on to it.
run_step() {
  local name=$1 step=$2 bound=$3 function=$4
  local start=$SECONDS status=0
  timeout --kill-after=30 "$bound" "$self" --run "$function" &
  local pid=$!
  trap 'kill -TERM "$pid" 2>/dev/null || true' INT TERM
  while :; do
    status=0
    wait "$pid" || status=$?
    kill -0 "$pid" 2>/dev/null || break
  done
  trap - INT TERM
  if ((status == 124 || (status == 137 && SECONDS - start >= bound))); then
    echo "=== stage: $name: its $step exceeded its bound of $bound s" >&2
    exit 1
  elif ((status != 0)); then
    echo "=== stage: $name: its $step failed after $((SECONDS - start)) s" >&2
    exit 1
  fi
  echo "=== stage: $name: $step in $((SECONDS - start)) s"
}

run_stage() {
  local name title start=$SECONDS
  name=$(field "$1" 0)
  title=$(field "$1" 6)
  echo "=== stage: $name ($title)"
  [[ -z $(field "$1" 3) ]] || run_step "$name" build "$(field "$1" 2)" "$(field "$1" 3)"
  [[ -z $(field "$1" 5) ]] || run_step "$name" run "$(field "$1" 4)" "$(field "$1" 5)"
  echo "=== stage: $name passed in $((SECONDS - start)) s"
}

selected=()
groups=()
for entry in "${stages[@]}"; do
  name=$(field "$entry" 0)
  if (($# == 0)) || [[ " $* " == *" $name "* ]]; then
    selected+=("$entry")
    read -r -a stage_groups <<<"$(field "$entry" 1)"
    groups+=("${stage_groups[@]}")
  fi
done
for wanted in "$@"; do
  known=false
  for entry in "${stages[@]}"; do
    [[ $(field "$entry" 0) == "$wanted" ]] && known=true
  done
  if ! $known; then
    echo "unknown stage: $wanted; the stages are:" >&2
    "$self" --list >&2
    exit 2
  fi
done

# The Windows libraries' cold cross-build is mostly serial configure checks (several minutes):
# it runs in the background at the lowest priority from the start, on the CPU the stages
# before the first one that needs it leave idle, under the builds' bound.
deps_pid=""
deps_log=build/mingw-deps.log
start_mingw_deps() {
  mkdir -p build
  timeout --kill-after=30 3600 nice -n 19 scripts/build-mingw-deps.sh >"$deps_log" 2>&1 &
  deps_pid=$!
  deps_start=$SECONDS
  trap '[[ -z $deps_pid ]] || kill -TERM "$deps_pid" 2>/dev/null || true' EXIT
}

wait_for_mingw_deps() {
  [[ -n $deps_pid ]] || return 0
  local waited=$SECONDS status=0
  wait "$deps_pid" || status=$?
  deps_pid=""
  if ((status != 0)); then
    tail -n 40 "$deps_log" >&2
    echo "=== the Windows libraries' cross-build failed (exit $status); log: $deps_log" >&2
    exit 1
  fi
  echo "=== Windows libraries cross-built in the background in $((SECONDS - deps_start)) s" \
    "(waited $((SECONDS - waited)) s)"
}

needs_mingw_deps() {
  [[ $(field "$1" 1) == *windows* ]]
}

total_start=$SECONDS
TAMSOLO_TEST_GROUPS=$(printf '%s\n' "${groups[@]}" | sort -u | tr '\n' ' ')
export TAMSOLO_TEST_GROUPS
run_stage "install||||1800|install_packages|install what is missing"
for entry in "${selected[@]}"; do
  if needs_mingw_deps "$entry"; then
    start_mingw_deps
    break
  fi
done
for entry in "${selected[@]}"; do
  needs_mingw_deps "$entry" && wait_for_mingw_deps
  run_stage "$entry"
done
echo "=== all stages passed in $((SECONDS - total_start)) s"
print_share
