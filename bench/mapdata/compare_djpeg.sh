#!/usr/bin/env bash
# Compares the map decoder with libjpeg-turbo's djpeg on the same JPEG streams: the 8000 x 6000
# synthetic map's 256-pixel tiles and one 4000 x 3000 picture. djpeg runs once per file, so
# its process start-up (measured on a 1 x 1 JPEG) is subtracted from the tile total. Both
# sides are measured in CPU time.
# usage: bench/mapdata/compare_djpeg.sh [build-dir]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
bench="$build/bench/map_image_bench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" --write-tiles "$work" 2>/dev/null
tiles=("$work"/tile_*.jpg)
convert -size 1x1 xc:white "$work/tiny.jpg"

# CPU seconds (user + system) taken by "$@", repeated $repeat times: other work on the
# machine does not count, as for the benchmark's CPU time.
seconds() {
    local TIMEFORMAT='%U %S' cpu
    cpu=$({ time (for ((i = 0; i < repeat; ++i)); do "$@"; done) ; } 2>&1 | tail -1)
    echo "$cpu" | awk '{ print $1 + $2 }'
}
djpeg_tiles() { for f in "${tiles[@]}"; do djpeg -dct int -outfile /dev/null "$f"; done; }
djpeg_start() { for ((n = 0; n < ${#tiles[@]}; ++n)); do djpeg -outfile /dev/null "$work/tiny.jpg"; done; }

repeat=1
tile_time=$(seconds djpeg_tiles)
start_time=$(seconds djpeg_start)
repeat=10
large_time=$(seconds djpeg -dct int -outfile /dev/null "$work/large.jpg")

tile_pixels=$((8000 * 6000))
large_pixels=$((4000 * 3000))
ours=$("$bench" --benchmark_filter='BM_Decode' --benchmark_format=csv 2>/dev/null | grep '^"BM_Decode')
# Megapixels per CPU second: pixels per iteration / cpu_time (ms).
ours_rate() { echo "$ours" | awk -F, -v name="\"$1" -v pixels="$2" 'index($1, name) == 1 { printf "%.1f", pixels / ($4 / 1000) / 1e6 }'; }
mps() { awk -v pixels="$1" -v seconds="$2" 'BEGIN { printf "%.1f", pixels / seconds / 1e6 }'; }

printf '%-28s %12s %12s\n' "decoding (megapixels/s)" "map decoder" "djpeg"
printf '%-28s %12s %12s\n' "tiles 256x256 (${#tiles[@]})" "$(ours_rate BM_DecodeTiles "$tile_pixels")" \
    "$(mps "$tile_pixels" "$(echo "$tile_time - $start_time" | bc -l)")"
printf '%-28s %12s %12s\n' "one 4000x3000 picture" "$(ours_rate BM_DecodeLarge "$large_pixels")" \
    "$(mps $((large_pixels * 10)) "$large_time")"
