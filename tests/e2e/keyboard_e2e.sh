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

# The road route: Ctrl+F, then Tab to "Calculadora de Distâncias" (past the city list, its
# two buttons, the map, the zoom box, the legend button and the quality switch) and Enter.
xdotool key ctrl+f
for _ in lCidades bCidadeMapa bChangeUF Image cZoom bLegendas cbHQ bCalcDist; do
  xdotool key Tab
  sleep 0.2
done
xdotool key Return
wait_until visible_windows_exactly 2 || fail "Enter on \"Calculadora de Distâncias\" did not open the calculator"
sleep 0.5
# Origin Vila Áurea (TA), destination Três Corações do Sul (TC), both typed; then Tab to
# "Rota por estrada" (past the list, "Calcular" and "Voltar"), Enter, Tab, "Mostrar no mapa".
xdotool type --delay 100 "tav"
xdotool key Tab
xdotool type --delay 80 "vila aurea"
xdotool key Tab Tab
xdotool type --delay 100 "tr"
xdotool key Tab
xdotool type --delay 80 "tres coracoes"
for _ in lCidadesOut Button1 Button2 bRotaEstrada; do
  xdotool key Tab
  sleep 0.2
done
xdotool key Return
sleep 1
keep_screen road-answer
xdotool key Tab
xdotool key Return
# The origin's state is loaded (its status window), the calculator closed.
wait_until visible_windows_exactly 1 || fail "\"Mostrar no mapa\" did not close the calculator"
wait_for_loading
sleep 1
keep_screen route-shown

# The route against the engine's path: the view at 100 % around Vila Áurea (a typed
# position keeps the route), each stretch of the path projected with the state's reference
# points, and the route's orange (255, 106, 0) within 3 view pixels of every 4th pixel of
# each stretch inside the view, away from the origin's mark and the view's edges. While the
# route is shown its bar takes 25 px of the view's height (213), at the view's bottom.
xdotool key ctrl+f
printf '%s' "-20.32 -44.55" | xdotool type --delay 80 --file -
xdotool key Return
centre=$(offscreen_tool locate "$work/img/ta.pts" -44.55 -20.32)
expect_route_at() {
  capture_map_view "$work/route.png"
  offscreen_tool route "$work/img" "Vila Áurea/TA" "Três Corações do Sul/TC" --json --points \
    | python3 -c 'import json, sys
for latitude, longitude in json.load(sys.stdin)["points"]: print(longitude, latitude)' >"$work/path.txt"
  : >"$work/path-px.txt"
  while read -r longitude latitude; do
    offscreen_tool locate "$work/img/ta.pts" "$longitude" "$latitude" </dev/null 2>/dev/null >>"$work/path-px.txt" \
      || echo "-" >>"$work/path-px.txt"
  done <"$work/path.txt"
  convert "$work/route.png" -depth 8 txt:- | awk -v centre="$centre" -v s="$scale" -v w=443 -v h=188 '
    NR == FNR { i = n++; if ($1 != "-") { px[i] = $1; py[i] = $2; have[i] = 1 }; next }
    /^#/ { next }
    { split($1, at, /[,:]/); split($2, c, /[(,)]/)
      if (c[2] > 200 && c[3] > 60 && c[3] < 160 && c[4] < 70) orange[at[1] "," at[2]] = 1 }
    END {
      split(centre, C, " "); checked = 0; missed = 0
      for (i = 0; i + 1 < n; i++) {
        if (!have[i] || !have[i + 1]) continue
        steps = int(sqrt((px[i + 1] - px[i]) ^ 2 + (py[i + 1] - py[i]) ^ 2) / 4) + 1
        for (k = 0; k <= steps; k++) {
          x = px[i] + (px[i + 1] - px[i]) * k / steps; y = py[i] + (py[i + 1] - py[i]) * k / steps
          vx = int(w * s / 2) + (x - C[1]) * s; vy = int(h * s / 2) + (y - C[2]) * s
          if (vx < 4 * s || vy < 45 * s || vx > (w - 4) * s || vy > (h - 45) * s) continue
          if ((vx - int(w * s / 2)) ^ 2 + (vy - int(h * s / 2)) ^ 2 < (12 * s) ^ 2) continue
          found = 0
          for (dy = -3 * s; dy <= 3 * s && !found; dy++)
            for (dx = -3 * s; dx <= 3 * s && !found; dx++)
              if ((int(vx + dx) "," int(vy + dy)) in orange) found = 1
          checked++; if (!found) missed++
        }
      }
      print checked, missed
      exit !(checked >= 10 && missed == 0)
    }' "$work/path-px.txt" - >"$work/route-check.txt"
}
wait_until expect_route_at || { keep_screen failed; fail "the route is not drawn along the engine's path ($(cat "$work/route-check.txt"): points checked, missed)"; }
echo "route: drawn along the engine's path ($(cat "$work/route-check.txt"): points checked, missed)"
keep_screen route-at-100
echo "PASSED"
