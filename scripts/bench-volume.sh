#!/usr/bin/env bash
# The volume benchmark (not a test): a generated 100-file volume (123 pages) converted by
# tamsolo-cli `pages` and `convert` with one and two jobs, side by side with the floor (the
# same files decoded into memory, same libjpeg settings) and libvips doing the whole job
# through its C API, one file at a time and two at a time. Each figure is the median of
# RUNS interleaved runs (default 5). Prints ms per page, pages per second, cores used (CPU
# time over wall time) and peak resident memory; also --jobs 8 for the memory bound.
# Installs libvips-dev (and builds the release preset) when missing.
# Usage: scripts/bench-volume.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
cd "$root"

if ! pkg-config --exists vips 2>/dev/null; then
  apt-get update -qq && apt-get install -y -qq libvips-dev >/dev/null
fi
scripts/configure.sh release
cmake --build --preset release --target tamsolo-cli make_samples >/dev/null
cli=${TAMSOLO_CLI:-$root/build/release/cli/tamsolo-cli}  # another build to compare with

work=$(mktemp -d "${TMPDIR:-/tmp}/tamsolo-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
gcc -O2 -o "$work/decode_floor" bench/peers/decode_floor.c -ljpeg -lpng
gcc -O2 -o "$work/vips_pages" bench/peers/vips_pages.c $(pkg-config --cflags --libs vips) -lm
build/release/tests/samples/make_samples "$work/volume" --volume >/dev/null
mapfile -t files < <(find "$work/volume" -type f | LC_ALL=C sort)
half=$((${#files[@]} / 2))
first=("${files[@]:0:half}")
second=("${files[@]:half}")
pages=123

# Runs one configuration once; appends "wall cpu peakKiB" to its record.
timed() {
  local name=$1
  shift
  rm -rf "$work/out" && mkdir -p "$work/out"
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>&1 || true
  awk '{ print $1, $2 + $3, $4 }' "$work/time" >>"$work/$name.rec"
}
# Two commands at once; wall is the later end, CPU the sum, memory the larger peak.
timed_pair() {
  local name=$1 a=$2 b=$3
  rm -rf "$work/out" && mkdir -p "$work/out/a" "$work/out/b"
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f "%U %S %M" -o "$work/time.a" bash -c "$a" >/dev/null 2>&1 &
  /usr/bin/time -f "%U %S %M" -o "$work/time.b" bash -c "$b" >/dev/null 2>&1 &
  wait
  end=$(date +%s.%N)
  paste "$work/time.a" "$work/time.b" |
    awk -v wall="$(echo "$end - $start" | bc)" '{ m = $3 > $6 ? $3 : $6; print wall, $1 + $2 + $4 + $5, m }' \
      >>"$work/$name.rec"
}

q() { printf '%q ' "$@"; }
configs=(floor floor2 pages1 pages2 convert1 convert2 vips1 vips2 pages8)
for ((r = 1; r <= runs; ++r)); do
  echo "run $r of $runs (load $(cut -d' ' -f1-3 /proc/loadavg))" >&2
  timed floor "$work/decode_floor" "${files[@]}"
  timed_pair floor2 "$(q "$work/decode_floor" "${first[@]}")" "$(q "$work/decode_floor" "${second[@]}")"
  timed pages1 "$cli" pages "${files[@]}" -o "$work/out" --jobs 1
  timed pages2 "$cli" pages "${files[@]}" -o "$work/out" --jobs 2
  timed convert1 "$cli" convert "$work/volume" -o "$work/out" --quiet --jobs 1
  timed convert2 "$cli" convert "$work/volume" -o "$work/out" --quiet --jobs 2
  timed vips1 "$work/vips_pages" "$work/out" "${files[@]}"
  timed_pair vips2 "$(q "$work/vips_pages" "$work/out/a" "${first[@]}")" \
    "$(q "$work/vips_pages" "$work/out/b" "${second[@]}")"
  timed pages8 "$cli" pages "${files[@]}" -o "$work/out" --jobs 8
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
floor_wall=$(cut -d' ' -f1 "$work/floor.rec" | median)
floor_cpu=$(cut -d' ' -f2 "$work/floor.rec" | median)
floor2_wall=$(cut -d' ' -f1 "$work/floor2.rec" | median)
vips_wall=$(cut -d' ' -f1 "$work/vips1.rec" | median)
echo "load now: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) processors; medians of $runs interleaved runs"
printf '%-10s %9s %9s %7s %9s %9s %11s %9s\n' config ms/page pages/s cores peak_MiB "vs floor" "vs libvips" "cpu/floor"
for name in "${configs[@]}"; do
  wall=$(cut -d' ' -f1 "$work/$name.rec" | median)
  cpu=$(cut -d' ' -f2 "$work/$name.rec" | median)
  peak=$(cut -d' ' -f3 "$work/$name.rec" | median)
  base=$floor_wall
  [[ $name == *2 ]] && base=$floor2_wall
  awk -v n="$name" -v w="$wall" -v c="$cpu" -v m="$peak" -v p=$pages -v f="$base" -v v="$vips_wall" \
    -v fc="$floor_cpu" \
    'BEGIN { printf "%-10s %9.1f %9.1f %7.2f %9.0f %9.2f %11.2f %9.2f\n", n, 1000 * w / p, p / w, c / w, m / 1024, w / f, w / v, c / fc }'
done
echo "(vs floor: one-file configurations against the floor, two-at-a-time ones against floor2;"
echo " vs libvips: against libvips one file at a time; cpu/floor: CPU seconds over the floor's,"
echo " which holds on a machine busy with other work; pages8 shows the memory bound)"
