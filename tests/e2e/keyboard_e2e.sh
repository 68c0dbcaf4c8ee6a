#!/usr/bin/env bash
# End-to-end run of a person's keyboard path through the viewer, on a virtual X display with a
# real window manager (openbox): Enter in the state picker; type a city's name and Enter (the
# view is the full map at 100 % centred on it); Tab from the search box to the map (a focus
# frame shows) and the right arrow twice (two pans); Home (the whole map again); Ctrl+S opens
# the save dialog with Qt's Portuguese texts and Escape closes it; Escape in the map goes back
# to the search box, where a second name typed and Enter moves the view there, then a third
# one straight away (each typed name replaces the last, with no Ctrl+A); a position typed, in
# decimal degrees and in degrees and minutes, and Enter (the view moves there); the pointer
# over the view's middle (the status line reads its position, read back with tesseract where
# installed); Ctrl+F and a city of another state typed without accents, chosen in the
# suggestions with Down and Enter (that state is loaded and shown at 100 % centred on the
# city). Nothing clicks: the focus has to be where the program put it. With E2E_SCALE=2 the
# same path runs on a screen at 200 %, where the view must be the map drawn at twice the
# scale, pixel for pixel.
#   keyboard_e2e.sh <tovral binary> <tovral-tool binary>
# With E2E_SCREENSHOTS=<folder> the screens are kept there for a person to look at.
# Exit codes: 0 passed, 1 failed, 77 skipped (no xvfb-run, xdotool, ImageMagick or openbox).
set -euo pipefail
source "$(dirname "$0")/e2e_common.sh"
viewer=$1
tool=$2

require_commands xvfb-run xdotool xwininfo xprop import convert compare openbox
run_inside_xvfb "$0" "$@"

make_work_folder "$viewer"
QT_QPA_PLATFORM=offscreen "$tool" mkdata "$work/img" --synthetic >/dev/null
offscreen_tool() { QT_QPA_PLATFORM=offscreen "$tool" "$@"; }

start_window_manager
start_viewer
keep_screen() { [ -z "${E2E_SCREENSHOTS:-}" ] || import -window root "$E2E_SCREENSHOTS/$1.png"; }
keep_screen picker
# The first state, Tavira Alta (TA).
xdotool key Return
wait_for_loading
locate_map_window
capture_map_view "$work/whole.png"

# The mean difference of the view from a picture, 0 (equal) to 1, inside the focus frame the
# view shows along its edges while it has the focus (2 view pixels wide).
frame=$(device 3)
difference_from() {
  convert "$work/view.png" -shave "${frame}x${frame}" "$work/view-inside.png"
  convert "$1" -shave "${frame}x${frame}" "$work/picture-inside.png"
  compare -metric MAE "$work/view-inside.png" "$work/picture-inside.png" null: 2>&1 \
    | sed 's/.*(\(.*\))/\1/' || true
}
# Checks that the view becomes the full map of a state (its file stem, ta when not given) at
# 100 % around the point "X Y" (polling, since the redraw may take a while on a busy machine):
# at the screen's device pixels, the map at the scale times their ratio.
expect_view_at() {
  local point=$1 what=$2 stem=${3:-ta} difference
  offscreen_tool render "$work/img/${stem}_full.map" --center "${point// /,}" --scale "$scale" --hq \
    --size "$view_size" -o "$work/expected.png"
  cover_scale_bar "$work/expected.png"
  view_matches() {
    capture_map_view "$work/view.png"
    difference=$(difference_from "$work/expected.png")
    awk -v d="$difference" 'BEGIN { exit !(d < 0.03) }'
  }
  wait_until view_matches || { keep_screen failed; fail "$what: the view is not the map at 100 % around $point ($difference)"; }
  echo "$what: the view is the map at 100 % around $point (difference $difference)"
}

# Typed straight away: the search box has the focus after the load.
xdotool type --delay 80 "vila"
xdotool key Return
first=$(offscreen_tool locate "$work/img/ta.pts" -44.55 -20.32)
expect_view_at "$first" "Vila Áurea"
keep_screen located

# Tab goes from the search box through the city list and its two buttons to the map, which
# shows a focus frame; each arrow key pans a quarter of the view (111 pixels at 100 %), the
# second one after the first one's redraw.
for _ in lCidades bCidadeMapa bChangeUF Image; do
  xdotool key Tab
  sleep 0.3
done
xdotool key Right
sleep 1
xdotool key Right
read -r x y <<<"$first"
expect_view_at "$((x + 222)) $y" "Tab to the map, two pans to the right"
corner=$(convert "$work/view.png" -format '%[pixel:p{1,1}]' info:)
map_corner=$(convert "$work/expected.png" -format '%[pixel:p{1,1}]' info:)
[ "$corner" != "$map_corner" ] || fail "the focused map shows no focus frame ($corner)"
echo "the focused map shows its focus frame ($corner over the map's $map_corner)"
keep_screen focus-frame

# Home: the whole map again, as after the load.
xdotool key Home
whole_again() {
  capture_map_view "$work/view.png"
  awk -v d="$(difference_from "$work/whole.png")" 'BEGIN { exit !(d < 0.005) }'
}
wait_until whole_again || fail "Home did not show the whole map again"
echo "Home: the whole map again"

# Ctrl+S: the save dialog, in Portuguese.
xdotool key ctrl+s
save_dialog_shown() { xdotool search --onlyvisible --name '^Salvar como$' >/dev/null 2>&1; }
wait_until save_dialog_shown || fail "Ctrl+S did not open the save dialog titled \"Salvar como\""
sleep 1
keep_screen save-dialog
echo "Ctrl+S: the save dialog \"Salvar como\""
# Escape closes the dialog; the map has the focus again.
xdotool key Escape
save_dialog_gone() { ! save_dialog_shown; }
wait_until save_dialog_gone || fail "Escape did not close the save dialog"
# Escape gives the focus back to the search box, its text selected: a name typed replaces it.
xdotool key Escape
sleep 0.5
xdotool type --delay 80 "ribei"
xdotool key Return
second=$(offscreen_tool locate "$work/img/ta.pts" -44.30 -20.85)
expect_view_at "$second" "Escape, then Ribeirão Úmido"

# The located name stays selected after Enter: the next name typed replaces it again.
xdotool type --delay 80 "vila"
xdotool key Return
expect_view_at "$first" "Vila Áurea again, typed straight after Enter"

# A position typed instead of a name: decimal degrees, then degrees and minutes with the
# hemisphere letters a Brazilian types (S, O); each centres the map there at 100 %.
printf '%s' "-20.6 -44.45" | xdotool type --delay 80 --file - # a text that starts with "-"
xdotool key Return
typed=$(offscreen_tool locate "$work/img/ta.pts" -44.45 -20.6)
expect_view_at "$typed" "typed -20.6 -44.45"
xdotool type --delay 80 "20 45 S 44 27 O"
xdotool key Return
typed=$(offscreen_tool locate "$work/img/ta.pts" -44.45 -20.75)
expect_view_at "$typed" "typed 20 45 S 44 27 O"

# The pointer at the view pixel (221, 106), by the view's middle: the status line between
# "Imprimir" and "Sair" (103 x 25 at 413,374) shows where it is, as tovral-tool where says.
# The centre pixel starts at the device pixel (443 div 2, 213 div 2) of the view (at 200 %:
# (443, 213), half a pixel of the map right of and below the pointer's view pixel).
xdotool mousemove $((X + $(device 377))) $((Y + $(device 240)))
if command -v tesseract >/dev/null; then
  read -r x y <<<"$typed"
  under() { awk -v c="$1" -v p="$2" -v n="$3" -v s="$scale" 'BEGIN { print c + (p * s - int(n * s / 2)) / s }'; }
  expected=$(offscreen_tool where "$work/img/ta.pts" "$(under "$x" 221 443)" "$(under "$y" 106 213)" | tail -1)
  # Compared by the digits and hemisphere letters, which tesseract reads surely.
  letters() { tr -cd '0-9NSEW'; }
  status_reads_position() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$(device 103)x$(device 25)+$((X + $(device 413)))+$((Y + $(device 374)))" \
      +repage -resize 400% "$work/status.png"
    read_back=$(tesseract "$work/status.png" stdout --psm 6 2>/dev/null | tr '\n' ' ')
    [ "$(letters <<<"$read_back")" = "$(letters <<<"$expected")" ]
  }
  wait_until status_reads_position || { keep_screen failed; fail "the status line reads \"$read_back\", not $expected"; }
  echo "status line: $read_back"
else
  echo "SKIPPED the status line: tesseract is not installed (scripts/deps installs it)"
fi
keep_screen pointer-position

# Ctrl+F, then a city that only Terra Bonita (TB) has, typed without accents: the suggestions
# open under the search box; Down and Enter load TB and centre its map on the city.
xdotool key ctrl+f
xdotool type --delay 80 "porto ibiuna"
sleep 1
keep_screen suggestions
xdotool key Down
xdotool key Return
third=$(offscreen_tool locate "$work/img/tb.pts" -43.10 -20.10)
expect_view_at "$third" "Porto Ibiúna (TB), chosen in the suggestions" tb
keep_screen suggestion-chosen
echo "PASSED"
