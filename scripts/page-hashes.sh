#!/usr/bin/env bash
# Prints SHA-256 sums of every output byte a tamsolo-cli makes from a fixed corpus: each fuzz
# seed image through `pages` under each of the 7 filters, and the sample volume through
# `convert`. Two builds agree on their output bytes when their lists are equal.
# Usage: scripts/page-hashes.sh TAMSOLO_CLI MAKE_SAMPLES
set -euo pipefail
cli=$(realpath "$1")
make_samples=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tamsolo-hashes.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/in"
for decoder in bmp jpeg png; do
  for seed in "$root/tests/fuzz/seeds/$decoder"/*; do
    name=$(basename "$seed")
    cp "$seed" "$work/in/${decoder}_${name%.*}.$decoder"
  done
done
for filter in 0 1 2 3 4 5 6; do
  mkdir -p "$work/pages/$filter"
  for image in "$work/in"/*; do
    "$cli" pages "$image" -o "$work/pages/$filter" --filter "$filter" >/dev/null 2>&1 || true
  done
done

"$make_samples" "$work/volume" >/dev/null
"$cli" convert "$work/volume" -o "$work/books" --quiet >/dev/null 2>&1 || true

cd "$work"
find pages books -type f | LC_ALL=C sort | xargs -d '\n' sha256sum
