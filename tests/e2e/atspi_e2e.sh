#!/usr/bin/env bash
# End-to-end run of the viewer on the real accessibility bus (AT-SPI), as a screen reader
# meets it: a virtual X display and a session bus of its own, the viewer started with Qt's
# accessibility on beside a synthetic data folder, and atspi_names.py reading the map window's
# controls and names over the bus.
#   atspi_e2e.sh <tovral binary> <tovral-tool binary>
# Exit codes: 0 passed, 1 failed, 77 skipped (no xvfb-run, dbus-run-session, AT-SPI bus or
# Debian's python3-pyatspi).
set -euo pipefail
source "$(dirname "$0")/e2e_common.sh"
viewer=$1
tool=$2
python=/usr/bin/python3

require_commands xvfb-run dbus-run-session
if [ ! -x /usr/libexec/at-spi-bus-launcher ] || ! "$python" -c 'import pyatspi' 2>/dev/null; then
  echo "SKIPPED: the AT-SPI bus or python3-pyatspi is not installed (scripts/deps installs them)"
  exit 77
fi
run_inside_xvfb "$0" "$@"
# A session bus of its own, on which the accessibility bus is started on demand.
if [ -z "${E2E_INSIDE_DBUS:-}" ]; then
  E2E_INSIDE_DBUS=1 exec dbus-run-session -- "$0" "$@"
fi

make_work_folder "$viewer"
QT_QPA_PLATFORM=offscreen "$tool" mkdata "$work/img" --synthetic >/dev/null
env -u QT_QPA_PLATFORM QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/tovral" &
viewer_pid=$!
"$python" "$(dirname "$0")/atspi_names.py"
