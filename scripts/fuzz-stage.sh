#!/usr/bin/env bash
# Deterministic fuzzing: builds the fuzz preset and runs each decoder's fuzz target for a fixed
# number of inputs from a fixed seed, starting from the committed seeds and crashers. The same
# inputs every time, so the stage never fails at random; each target takes about 30 s here.
# Usage: scripts/fuzz-stage.sh [runs-scale]   (scale 1 = the stage; 0.1 for a quick check)
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-1}

# Runs per target, measured to take about 30 s each on the two-core CI machine. The header
# target writes every input to three files, so it runs far fewer.
declare -A runs=([png]=110000 [jpeg]=60000 [bmp]=40000 [header]=9000)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for decoder in png jpeg bmp header; do
  n=$(awk -v r="${runs[$decoder]}" -v s="$scale" 'BEGIN { printf "%d", r * s }')
  corpus="$work/$decoder"
  mkdir -p "$corpus" build/fuzz/stage-artifacts
  if [[ $decoder == header ]]; then
    inputs=(tests/fuzz/seeds/png tests/fuzz/seeds/jpeg tests/fuzz/seeds/bmp)  # the readers' seeds
  else
    inputs=(tests/fuzz/seeds/"$decoder")
  fi
  [[ -d tests/fuzz/crashers/$decoder ]] && inputs+=(tests/fuzz/crashers/"$decoder")
  start=$SECONDS
  # New inputs go to the scratch corpus (first folder); the committed ones are only read.
  if ! build/fuzz/tests/fuzz/"${decoder}"_fuzz -seed=1 -runs="$n" -rss_limit_mb=2048 \
      -malloc_limit_mb=512 -max_len=16384 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="build/fuzz/stage-artifacts/$decoder-" "$corpus" "${inputs[@]}" \
      >"$work/$decoder.log" 2>&1; then
    tail -n 60 "$work/$decoder.log"
    ls -l build/fuzz/stage-artifacts
    echo "fuzzing $decoder found a failure; keep the input above as a crasher" >&2
    exit 1
  fi
  echo "$decoder: $n runs in $((SECONDS - start)) s"
done
