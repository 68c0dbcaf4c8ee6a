#!/usr/bin/env bash
# End-to-end run of the real viewer on a virtual X display: start it beside a synthetic data
# folder, confirm the state picker with Enter, take a screenshot and check that the map view
# shows a map (not a white area); a second start while the first runs must end at once with
# exit code 0.
#   viewer_e2e.sh <tovral binary> <tovral-test-data binary>
# Exit codes: 0 passed, 1 failed, 77 skipped (no xvfb-run, xdotool or import).
set -euo pipefail
viewer=$1
make_data=$2

for tool in xvfb-run xdotool import; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/deps installs it)"
    exit 77
  fi
done

if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
  E2E_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "${first:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$viewer" "$work/tovral"
QT_QPA_PLATFORM=offscreen "$make_data" standard "$work"

fail() { echo "FAILED: $*"; exit 1; }

# The viewer runs on the X display, whatever platform the test suite asks for.
env -u QT_QPA_PLATFORM "$work/tovral" &
first=$!
# The map window and the state picker above it (both titled "Tovral").
for _ in $(seq 1 100); do
  [ "$(xdotool search --onlyvisible --name '^Tovral$' 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.1
done
[ "$(xdotool search --onlyvisible --name '^Tovral$' | wc -l)" -ge 2 ] || fail "the state picker did not appear"
sleep 0.5
# The first entry has no maps; the second, São Paulo, has.
xdotool key Down Return
# Loading ends when the picker and the status window are gone again.
for _ in $(seq 1 100); do
  [ "$(xdotool search --onlyvisible --name '^Tovral$' 2>/dev/null | wc -l)" -eq 1 ] && break
  sleep 0.1
done
sleep 1

# A second instance ends at once, with code 0, while the first runs.
start=$(date +%s%N)
timeout 10 env -u QT_QPA_PLATFORM "$work/tovral" || fail "the second instance exited with code $?"
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$elapsed_ms" -lt 3000 ] || fail "the second instance took ${elapsed_ms} ms to end"
kill -0 "$first" 2>/dev/null || fail "the first instance is gone"

# The map view (443 x 213 at 156,134 of the window's client area) shows a map.
window=$(xdotool search --onlyvisible --name '^Tovral$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root "$work/screen.png"
view="$work/view.png"
convert "$work/screen.png" -crop "443x213+$((X + 156))+$((Y + 134))" +repage "$view"
mean=$(convert "$view" -colorspace Gray -format '%[fx:mean]' info:)
echo "mean brightness of the map view: $mean"
cp "$work/screen.png" "${E2E_SCREENSHOT:-/dev/null}" 2>/dev/null || true
awk -v m="$mean" 'BEGIN { exit !(m < 0.9) }' || fail "the map view is white"
echo "PASSED"
