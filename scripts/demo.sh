#!/usr/bin/env bash
# The README's demo: installs what is missing, builds the release preset, writes a sample
# volume (two folders of single pages and spreads) into a temp folder, shows the books plan
# expects, converts it into books with their previews and shows where they are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh native bench  # the release preset also builds the benchmarks
scripts/configure.sh release
cmake --build --preset release --target tamsolo-cli make_samples

demo=$(mktemp -d "${TMPDIR:-/tmp}/tamsolo-demo.XXXXXX")
build/release/tests/samples/make_samples "$demo/volume" >/dev/null
echo "sample volume: $demo/volume"
find "$demo/volume" -type f | sort | sed 's/^/  /'

echo
build/release/cli/tamsolo-cli plan "$demo/volume" || true
echo
status=0
build/release/cli/tamsolo-cli convert "$demo/volume" -o "$demo/books" --preview || status=$?
echo
echo "The books are in $demo/books, one folder each, pages numbered in book order, with"
echo "preview.png showing them as facing pairs:"
find "$demo/books" -mindepth 1 -maxdepth 1 -type d | sort | while read -r book; do
  echo "  $book/"
  ls "$book" | sed 's/^/    /'
done
exit "$status"
