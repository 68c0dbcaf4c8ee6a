# Steps shared by the end-to-end runs of the viewer on a virtual X display. Sourced by the run
# scripts, which set -euo pipefail first.

fail() { echo "FAILED: $*"; exit 1; }

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
    E2E_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
  fi
}

# Makes the work folder $work with a copy of the viewer binary as $work/tovral; on exit the
# viewer started by start_viewer is ended and the folder removed.
make_work_folder() {
  work=$(mktemp -d)
  trap 'kill "${viewer_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
  cp "$1" "$work/tovral"
}

# How many windows titled "Tovral" are visible (the map window, the picker, the status window).
visible_windows() { xdotool search --onlyvisible --name '^Tovral$' 2>/dev/null | wc -l; }

# Starts $work/tovral on the X display, whatever platform the test suite asks for, and waits
# until the state picker shows above the map window.
start_viewer() {
  env -u QT_QPA_PLATFORM "$work/tovral" &
  viewer_pid=$!
  for _ in $(seq 1 100); do [ "$(visible_windows)" -ge 2 ] && break; sleep 0.1; done
  [ "$(visible_windows)" -ge 2 ] || fail "the state picker did not appear"
  sleep 0.5
}

# Waits until loading has ended: the picker and the status window are gone again.
wait_for_loading() {
  for _ in $(seq 1 100); do [ "$(visible_windows)" -eq 1 ] && break; sleep 0.1; done
  sleep 1
}

# Sets X and Y to the screen position of the map window's client area.
locate_map_window() {
  local window
  window=$(xdotool search --onlyvisible --name '^Tovral$' | head -1)
  eval "$(xdotool getwindowgeometry --shell "$window")"
}

# Takes a screenshot (kept as $E2E_SCREENSHOT when that is set) and writes the map view,
# 443 x 213 at 156,134 of the client area located by locate_map_window, to the file named.
capture_map_view() {
  import -window root "$work/screen.png"
  cp "$work/screen.png" "${E2E_SCREENSHOT:-/dev/null}" 2>/dev/null || true
  convert "$work/screen.png" -crop "443x213+$((X + 156))+$((Y + 134))" +repage "$1"
}
