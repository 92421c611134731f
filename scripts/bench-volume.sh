#!/usr/bin/env bash
# The volume benchmark (not a test): a generated 100-file volume converted by tamsolo-cli
# `pages` and `convert` with one and two jobs, side by side with the floor (the same files
# decoded into memory with the product's libjpeg settings, gray JPEGs through libjpeg's own
# one-pass quantiser) and libvips doing the whole job through its C API, one file at a time
# and two at a time; and `pages` against the floor on the volume's gray JPEGs of 4 to 16 MP
# alone (grayjpeg). Each figure is the median of RUNS interleaved runs (default 5). Prints
# ms per page, pages per second, cores used (CPU time over wall time) and peak resident
# memory; also --jobs 8 for the memory bound. VOLUME=volume (default: 123 pages) or
# VOLUME=scans (shaped like scanned books, mostly gray) chooses the volume; CONFIGS
# ("floor pages1 ...") runs only some configurations. Installs libvips-dev and file (and
# builds the release preset) when missing.
# Usage: [VOLUME=scans] [CONFIGS="..."] scripts/bench-volume.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
cd "$root"

if ! pkg-config --exists vips 2>/dev/null || ! command -v file >/dev/null; then
  apt-get update -qq && apt-get install -y -qq libvips-dev file >/dev/null
fi
scripts/configure.sh release
cmake --build --preset release --target tamsolo-cli make_samples >/dev/null
cli=${TAMSOLO_CLI:-$root/build/release/cli/tamsolo-cli}  # another build to compare with

work=$(mktemp -d "${TMPDIR:-/tmp}/tamsolo-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
gcc -O2 -o "$work/decode_floor" bench/peers/decode_floor.c -ljpeg -lpng
gcc -O2 -o "$work/vips_pages" bench/peers/vips_pages.c $(pkg-config --cflags --libs vips) -lm
build/release/tests/samples/make_samples "$work/volume" "--${VOLUME:-volume}" >/dev/null
mapfile -t files < <(find "$work/volume" -type f | LC_ALL=C sort)
half=$((${#files[@]} / 2))
first=("${files[@]:0:half}")
second=("${files[@]:half}")
mkdir -p "$work/count"
"$cli" pages "${files[@]}" -o "$work/count" --jobs 1 >/dev/null 2>&1 || true
pages=$(find "$work/count" -type f | wc -l)
# One-component JPEGs of 4 to 16 MP, as `file` reports them.
mapfile -t gray < <(file "${files[@]}" | sed -nE 's/^([^:]*):.*, ([0-9]+)x([0-9]+), components 1$/\1 \2 \3/p' |
  awk '$2 * $3 >= 4e6 && $2 * $3 <= 16e6 { print $1 }')
mkdir -p "$work/graycount"
((${#gray[@]} == 0)) || "$cli" pages "${gray[@]}" -o "$work/graycount" --jobs 1 >/dev/null 2>&1 || true
graypages=$(find "$work/graycount" -type f | wc -l)
echo "${#files[@]} files, $pages pages; ${#gray[@]} gray JPEGs of 4-16 MP, $graypages pages" >&2

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
read -ra configs <<<"${CONFIGS:-floor floor2 pages1 pages2 convert1 convert2 vips1 vips2 pages8 floorgray pagesgray}"
run() {
  [[ $1 == *gray && ${#gray[@]} == 0 ]] && return
  case $1 in
    floor) timed floor "$work/decode_floor" "${files[@]}" ;;
    floor2) timed_pair floor2 "$(q "$work/decode_floor" "${first[@]}")" "$(q "$work/decode_floor" "${second[@]}")" ;;
    pages1) timed pages1 "$cli" pages "${files[@]}" -o "$work/out" --jobs 1 ;;
    pages2) timed pages2 "$cli" pages "${files[@]}" -o "$work/out" --jobs 2 ;;
    convert1) timed convert1 "$cli" convert "$work/volume" -o "$work/out" --quiet --jobs 1 ;;
    convert2) timed convert2 "$cli" convert "$work/volume" -o "$work/out" --quiet --jobs 2 ;;
    vips1) timed vips1 "$work/vips_pages" "$work/out" "${files[@]}" ;;
    vips2) timed_pair vips2 "$(q "$work/vips_pages" "$work/out/a" "${first[@]}")" \
      "$(q "$work/vips_pages" "$work/out/b" "${second[@]}")" ;;
    pages8) timed pages8 "$cli" pages "${files[@]}" -o "$work/out" --jobs 8 ;;
    floorgray) timed floorgray "$work/decode_floor" "${gray[@]}" ;;
    pagesgray) timed pagesgray "$cli" pages "${gray[@]}" -o "$work/out" --jobs 1 ;;
  esac
}
for ((r = 1; r <= runs; ++r)); do
  echo "run $r of $runs (load $(cut -d' ' -f1-3 /proc/loadavg))" >&2
  for name in "${configs[@]}"; do
    run "$name"
  done
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
figure() { [[ -f $work/$2.rec ]] && cut -d' ' -f"$1" "$work/$2.rec" | median || echo 0; }
echo "load now: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) processors; medians of $runs interleaved runs"
printf '%-10s %9s %9s %7s %9s %9s %11s %9s\n' config ms/page pages/s cores peak_MiB "vs floor" "vs libvips" "cpu/floor"
for name in "${configs[@]}"; do
  [[ -f $work/$name.rec ]] || continue
  floor=floor p=$pages
  [[ $name == *2 ]] && floor=floor2
  [[ $name == *gray ]] && floor=floorgray p=$graypages
  awk -v n="$name" -v w="$(figure 1 "$name")" -v c="$(figure 2 "$name")" -v m="$(figure 3 "$name")" \
    -v p="$p" -v f="$(figure 1 $floor)" -v fc="$(figure 2 $floor)" -v v="$(figure 1 vips1)" '
    function ratio(a, b) { return b > 0 ? sprintf("%.2f", a / b) : "-" }
    BEGIN { printf "%-10s %9.1f %9.1f %7.2f %9.0f %9s %11s %9s\n", n, 1000 * w / p, p / w, c / w, m / 1024,
            ratio(w, f), ratio(w, v), ratio(c, fc) }'
done
echo "(vs floor: one-file configurations against the floor, two-at-a-time ones against floor2,"
echo " grayjpeg ones against floorgray; vs libvips: against libvips one file at a time;"
echo " cpu/floor: CPU seconds over the floor's, which holds on a machine busy with other work;"
echo " pages8 shows the memory bound)"
