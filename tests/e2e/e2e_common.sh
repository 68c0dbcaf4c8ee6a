# Steps shared by the end-to-end runs of the viewer on a virtual X display. Sourced by the run
# scripts, which set -euo pipefail first.

fail() { echo "FAILED: $*"; exit 1; }

# Device pixels per view pixel of the viewer's screen: E2E_SCALE=2 runs the viewer as on a
# screen at 200 % (Qt's QT_SCALE_FACTOR), on a display twice as large. Whole numbers only.
scale=${E2E_SCALE:-1}
# A length or position in view pixels, as device (screen) pixels.
device() { echo $(( $1 * scale )); }

# Ends the run as skipped (exit code 77) unless every named command is installed.
require_commands() {
  for needed in "$@"; do
    if ! command -v "$needed" >/dev/null; then
      echo "SKIPPED: $needed is not installed (scripts/deps installs it)"
      exit 77
    fi
  done
}

# Runs the calling script again inside xvfb-run, unless it already runs there.
#   run_inside_xvfb "$0" "$@"
run_inside_xvfb() {
  if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
    E2E_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 $(device 1280)x$(device 1024)x24" "$@"
  fi
}

# Polls for up to 60 s (the machine may be busy) until the command given succeeds; false when
# it never did. Ends as soon as it succeeds.
#   wait_until visible_windows_at_least 2
wait_until() {
  local deadline=$(( $(date +%s) + 60 ))
  until "$@"; do
    [ "$(date +%s)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# Makes the work folder $work with a copy of the viewer binary as $work/tovral; on exit the
# viewer started by start_viewer is ended and the folder removed.
make_work_folder() {
  work=$(mktemp -d)
  trap 'kill "${viewer_pid:-}" "${wm_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
  cp "$1" "$work/tovral"
}

# How many windows titled "Tovral" are visible (the map window, the picker, the status window).
visible_windows() { xdotool search --onlyvisible --name '^Tovral$' 2>/dev/null | wc -l; }
visible_windows_at_least() { [ "$(visible_windows)" -ge "$1" ]; }
visible_windows_exactly() { [ "$(visible_windows)" -eq "$1" ]; }

# Starts Debian's openbox on the X display and waits until it manages the screen. An openbox
# that has given up is started again: at times a display that has just started refuses its
# first connection ("Failed to open the display").
start_window_manager() {
  wm_manages_screen() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return
    if [ -z "${wm_pid:-}" ] || ! kill -0 "$wm_pid" 2>/dev/null; then
      openbox --sm-disable >/dev/null 2>&1 &
      wm_pid=$!
    fi
    false
  }
  wait_until wm_manages_screen || fail "openbox did not start"
}

# Starts $work/tovral on the X display, whatever platform the test suite asks for, and waits
# until the state picker shows above the map window.
start_viewer() {
  env -u QT_QPA_PLATFORM QT_SCALE_FACTOR="$scale" "$work/tovral" &
  viewer_pid=$!
  wait_until visible_windows_at_least 2 || fail "the state picker did not appear"
  sleep 0.5
}

# Waits until loading has ended: the picker and the status window are gone again.
wait_for_loading() {
  wait_until visible_windows_exactly 1 || fail "the map was not loaded"
  sleep 1
}

# Sets X and Y to the screen position of the map window's client area (xwininfo's absolute
# position: xdotool's is off by the frame under a window manager).
locate_map_window() {
  local window
  window=$(xdotool search --onlyvisible --name '^Tovral$' | head -1)
  X=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ { print $NF }')
  Y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ { print $NF }')
}

# The map view's size on the screen, device pixels.
view_size="$(device 443)x$(device 213)"

# Paints over the bottom-left corner of a picture of the map view, where the viewer draws its
# scale bar over the map (220 x 40 view pixels), so that a view compares with the map alone.
cover_scale_bar() {
  convert "$1" -fill gray50 -draw "rectangle 0,$(device $((213 - 40))) $(device 220),$(device 213)" "$1"
}

# Takes a screenshot (kept as $E2E_SCREENSHOT when that is set) and writes the map view,
# 443 x 213 view pixels at 156,134 of the client area located by locate_map_window, to the
# file named, its scale bar covered.
capture_map_view() {
  import -window root "$work/screen.png"
  cp "$work/screen.png" "${E2E_SCREENSHOT:-/dev/null}" 2>/dev/null || true
  convert "$work/screen.png" -crop "$view_size+$((X + $(device 156)))+$((Y + $(device 134)))" \
    +repage "$1"
  cover_scale_bar "$1"
}
