#!/usr/bin/env bash
# End-to-end run of the real viewer on a virtual X display: start it beside a synthetic data
# folder, confirm the state picker with Enter, take a screenshot and check that the map view
# shows a map (not a white area); a second start while the first runs must end at once with
# exit code 0; on an 8-bit display the viewer refuses to run and ends with code 0.
#   viewer_e2e.sh <tovral binary> <tovral-test-data binary>
# Exit codes: 0 passed, 1 failed, 77 skipped (no xvfb-run, xdotool or import).
set -euo pipefail
source "$(dirname "$0")/e2e_common.sh"
viewer=$1
make_data=$2

require_commands xvfb-run xdotool xwininfo import
run_inside_xvfb "$0" "$@"

make_work_folder "$viewer"
QT_QPA_PLATFORM=offscreen "$make_data" standard "$work"

start_viewer
# The first entry has no maps; the second, São Paulo, has.
xdotool key Down Return
wait_for_loading

# A second instance ends at once, with code 0, while the first runs.
start=$(date +%s%N)
timeout 10 env -u QT_QPA_PLATFORM "$work/tovral" || fail "the second instance exited with code $?"
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$elapsed_ms" -lt 3000 ] || fail "the second instance took ${elapsed_ms} ms to end"
kill -0 "$viewer_pid" 2>/dev/null || fail "the first instance is gone"

# The map view shows a map.
locate_map_window
capture_map_view "$work/view.png"
mean=$(convert "$work/view.png" -colorspace Gray -format '%[fx:mean]' info:)
echo "mean brightness of the map view: $mean"
awk -v m="$mean" 'BEGIN { exit !(m < 0.9) }' || fail "the map view is white"

# On a display of 256 colours, where Qt paints nothing, the refusal goes to standard error
# and the program ends with code 0 (it used to crash painting).
kill "$viewer_pid"
wait "$viewer_pid" 2>/dev/null || true
code=0
env -u QT_QPA_PLATFORM E2E_INSIDE_XVFB= timeout 60 xvfb-run -a -s "-screen 0 640x480x8" \
  "$work/tovral" 2>"$work/poor.txt" || code=$?
[ "$code" -eq 0 ] || { cat "$work/poor.txt" >&2; fail "on an 8-bit display the viewer ended with code $code"; }
grep -q "exige vídeo configurado para exibir cores em 16 bits" "$work/poor.txt" \
  || fail "on an 8-bit display the refusal was not written"
echo "8-bit display: refused with code 0"
echo "PASSED"
