#!/usr/bin/env bash
# Deterministic fuzzing: builds the fuzz preset and runs each fuzz target for a fixed number of
# inputs from a fixed seed, starting from the committed seeds and crashers, under a time cap per
# target. The same inputs every time, so the stage never fails at random; each target takes
# about 30 s here. The cap cuts a target that got slower short (it says so) rather than let it
# stretch the stage.
# Usage: scripts/fuzz-stage.sh [runs-scale]   (scale 1 = the stage; 0.1 for a quick check)
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-1}

# Runs per target, measured to take about 30 s each on the two-core CI machine. The header
# target writes every input to four files, so it runs far fewer.
declare -A runs=([png]=110000 [jpeg]=60000 [bmp]=40000 [webp]=40000 [header]=7000 [archive]=50000)
cap_seconds=45

# The decoder targets pass a 64 MiB memory limit to the decoders, which refuse any image that
# would need more; no single allocation may pass it, so a header that slips past that refusal
# is a finding. The header target writes files and decodes through the file entry, so it keeps
# the fuzzer's general limits.
declare -A memory=(
  [png]="-malloc_limit_mb=64 -rss_limit_mb=2048"
  [jpeg]="-malloc_limit_mb=64 -rss_limit_mb=2048"
  [bmp]="-malloc_limit_mb=64 -rss_limit_mb=2048"
  [webp]="-malloc_limit_mb=64 -rss_limit_mb=2048"
  [header]="-rss_limit_mb=2048"
  [archive]="-rss_limit_mb=2048"
)

# libarchive's own readers may ask malloc for an impossible size on a hostile header (its RAR5
# reader asked for 2^64 - 4 bytes) and handle the null they get from any real malloc; under
# AddressSanitizer such a request is a report unless it may return null. Our own code
# allocates with new, which still reports.
declare -A asan=([archive]="allocator_may_return_null=1")

scripts/configure.sh fuzz
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for target in png jpeg bmp webp header archive; do
  n=$(awk -v r="${runs[$target]}" -v s="$scale" 'BEGIN { printf "%d", r * s }')
  corpus="$work/$target"
  mkdir -p "$corpus" build/fuzz/stage-artifacts
  if [[ $target == header ]]; then
    inputs=(tests/fuzz/seeds/png tests/fuzz/seeds/jpeg tests/fuzz/seeds/bmp tests/fuzz/seeds/webp)
  else
    inputs=(tests/fuzz/seeds/"$target")
  fi
  [[ -d tests/fuzz/crashers/$target ]] && inputs+=(tests/fuzz/crashers/"$target")
  start=$SECONDS
  # New inputs go to the scratch corpus (first folder); the committed ones are only read.
  # shellcheck disable=SC2086  # the memory options are words
  if ! ASAN_OPTIONS=${asan[$target]:-} build/fuzz/tests/fuzz/"${target}"_fuzz -seed=1 -runs="$n" -max_total_time="$cap_seconds" \
      ${memory[$target]} -max_len=16384 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="build/fuzz/stage-artifacts/$target-" "$corpus" "${inputs[@]}" \
      >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    ls -l build/fuzz/stage-artifacts
    echo "fuzzing $target found a failure; keep the input above as a crasher" \
      "(tests/fuzz/crashers/$target/)" >&2
    exit 1
  fi
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log" | tail -n 1)
  if ((${done_runs:-0} < n)); then
    echo "$target: ${done_runs:-0} of $n runs in $((SECONDS - start)) s: stopped at the" \
      "$cap_seconds s cap"
  else
    echo "$target: $n runs in $((SECONDS - start)) s"
  fi
done
