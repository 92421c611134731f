#!/usr/bin/env bash
# The Windows road on this machine: installs what is missing, cross-builds Tamsolo.exe, starts
# the stand-in builder and Tamsolo.exe under Wine on a private Xvfb display, drops a sample
# volume on the window, converts it and prints where the stand-in recorded the books. A
# screenshot of the window after the drop goes to build/tamsolo-window.bmp.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh windows
scripts/package-windows.sh >/dev/null
cmake --build --preset mingw -j "$(nproc)" --target standin_builder app_remote make_samples

source scripts/wine-env.sh
wine_env_reset build/mingw
trap wine_env_stop EXIT
wine_env_start_display
wineserver -p

demo=$(mktemp -d "${TMPDIR:-/tmp}/tamsolo-windows-demo.XXXXXX")
bin=$root/build/mingw
remote() { wine "$bin/tests/e2e/app_remote.exe" "$@"; }
wait_for() {  # wait_for SECONDS COMMAND...: polls until COMMAND succeeds
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || { echo "timed out waiting for: $*" >&2; return 1; }
    sleep 0.2
  done
}

wine "$bin/tests/samples/make_samples.exe" "$(winepath -w "$demo/volume")" >/dev/null
echo "sample volume: $demo/volume"
books=$(find "$demo/volume" -type f | xargs -n1 dirname | sort -u | wc -l)

mkdir -p "$demo/record"
wine "$bin/tests/e2e/standin_builder.exe" --record "$(winepath -w "$demo/record")" \
  >"$demo/standin.log" 2>&1 &
wait_for 30 grep -qsx ready "$demo/record/events.txt"
wine "$bin/app/Tamsolo.exe" >"$demo/tamsolo.log" 2>&1 &
tamsolo=$!
remote wait-window 30

remote drop "$(winepath -w "$demo/volume")"
remote screenshot "$(winepath -w "$root/build/tamsolo-window.bmp")"
remote convert
books_recorded() { (($(grep -c '^book ' "$demo/record/events.txt") >= books)); }
wait_for 300 books_recorded
remote close
wait "$tamsolo" || true

echo
echo "The stand-in builder recorded $books books in $demo/record:"
for book in "$demo/record"/book*; do
  echo "  $book/"
  ls "$book" | sed 's/^/    /'
done
echo "screenshot of the window after the drop: build/tamsolo-window.bmp"
