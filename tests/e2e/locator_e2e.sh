#!/usr/bin/env bash
# End-to-end run of the city locator on a virtual X display: start the viewer beside a
# synthetic data folder whose maps carry town symbols, confirm the first state, type a city
# name, press Enter, take a screenshot and check that the view is the full map at 100 %
# centred on the city's point, with the city's symbol in the middle of the view.
#   locator_e2e.sh <tovral binary> <tovral-tool binary>
# Exit codes: 0 passed, 1 failed, 77 skipped (no xvfb-run, xdotool or ImageMagick).
set -euo pipefail
source "$(dirname "$0")/e2e_common.sh"
viewer=$1
tool=$2

require_commands xvfb-run xdotool xwininfo import convert compare
run_inside_xvfb "$0" "$@"

make_work_folder "$viewer"
QT_QPA_PLATFORM=offscreen "$tool" mkdata "$work/img" --synthetic >/dev/null

start_viewer
# The first state, Tavira Alta (TA); its capital is Vila Áurea at 20°19'12" S, 44°33' W.
xdotool key Return
wait_for_loading

# Click into the search box (its place in the window: 4,151, 146 x 21), type part of the
# name and press Enter.
locate_map_window
xdotool mousemove $((X + 40)) $((Y + 161)) click 1
sleep 0.3
xdotool type --delay 50 "vila"
xdotool key Return
sleep 1.5

# The expected view: the full map at scale 1 around the city's point.
point=$(QT_QPA_PLATFORM=offscreen "$tool" locate "$work/img/ta.pts" -44.55 -20.32)
QT_QPA_PLATFORM=offscreen "$tool" render "$work/img/ta_full.map" --center "${point// /,}" --scale 1 \
  --size 443x213 -o "$work/expected.png"
cover_scale_bar "$work/expected.png"

capture_map_view "$work/view.png"

difference=$(compare -metric MAE "$work/view.png" "$work/expected.png" null: 2>&1 || true)
difference=$(echo "$difference" | sed 's/.*(\(.*\))/\1/')
echo "city $point: mean difference from the expected view $difference"
awk -v d="$difference" 'BEGIN { exit !(d < 0.03) }' || fail "the view is not the map at 100 % centred on the city"

# The capital's symbol, a dark dot inside a yellow area, is at the middle of the view.
centre_dark=$(convert "$work/view.png" -crop 5x5+219+104 +repage -colorspace Gray -format '%[fx:minima]' info:)
ring=$(convert "$work/view.png" -crop 1x1+227+106 +repage -format '%[fx:r-b]' info:)
echo "darkest middle pixel $centre_dark, yellow beside it $ring"
awk -v c="$centre_dark" -v y="$ring" 'BEGIN { exit !(c < 0.3 && y > 0.4) }' \
  || fail "the city's symbol is not at the middle of the view"
echo "PASSED"
