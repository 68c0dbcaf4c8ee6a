#!/usr/bin/env bash
# End-to-end run of the city locator on a virtual X display: start the viewer beside a
# synthetic data folder whose maps carry town symbols, confirm the first state, type a city
# name, press Enter, take a screenshot and check that the view is the full map at 100 %
# centred on the city's point, with the city's symbol in the middle of the view.
#   locator_e2e.sh <tovral binary> <tovral-tool binary>
# Exit codes: 0 passed, 1 failed, 77 skipped (no xvfb-run, xdotool or ImageMagick).
set -euo pipefail
viewer=$1
tool=$2

for needed in xvfb-run xdotool import convert compare; do
  if ! command -v "$needed" >/dev/null; then
    echo "SKIPPED: $needed is not installed (scripts/deps installs it)"
    exit 77
  fi
done

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
  E2E_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "${viewer_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$viewer" "$work/tovral"
QT_QPA_PLATFORM=offscreen "$tool" mkdata "$work/img" --synthetic >/dev/null

fail() { echo "FAILED: $*"; exit 1; }
visible_windows() { xdotool search --onlyvisible --name '^Tovral$' 2>/dev/null | wc -l; }

env -u QT_QPA_PLATFORM "$work/tovral" &
viewer_pid=$!
for _ in $(seq 1 100); do [ "$(visible_windows)" -ge 2 ] && break; sleep 0.1; done
[ "$(visible_windows)" -ge 2 ] || fail "the state picker did not appear"
sleep 0.5
# The first state, Tavira Alta (TA); its capital is Vila Áurea at 20°19'12" S, 44°33' W.
xdotool key Return
for _ in $(seq 1 100); do [ "$(visible_windows)" -eq 1 ] && break; sleep 0.1; done
sleep 1

# Click into the search box (its place in the window: 4,151, 146 x 21), type part of the
# name and press Enter.
window=$(xdotool search --onlyvisible --name '^Tovral$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 40)) $((Y + 161)) click 1
sleep 0.3
xdotool type --delay 50 "vila"
xdotool key Return
sleep 1.5

# The expected view: the full map at scale 1 around the city's point.
point=$(QT_QPA_PLATFORM=offscreen "$tool" locate "$work/img/ta.pts" -44.55 -20.32)
QT_QPA_PLATFORM=offscreen "$tool" render "$work/img/ta_full.map" --center "${point// /,}" --scale 1 \
  --size 443x213 -o "$work/expected.png"

# The map view is 443 x 213 at 156,134 of the window's client area.
import -window root "$work/screen.png"
cp "$work/screen.png" "${E2E_SCREENSHOT:-/dev/null}" 2>/dev/null || true
convert "$work/screen.png" -crop "443x213+$((X + 156))+$((Y + 134))" +repage "$work/view.png"

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
