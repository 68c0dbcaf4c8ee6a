#!/usr/bin/env bash
# Checks of the Debian package, run by ctest (packaging/package_tests.cmake):
#   check_package.sh build BUILD_DIR FOLDER  packs the built tree into FOLDER/tovral_*.deb and
#                                            extracts the package into FOLDER/root
#   check_package.sh lint FOLDER             lintian finds no error in the package
#   check_package.sh validate FOLDER         its desktop entry and AppStream metadata pass
#   check_package.sh run FOLDER              from the extracted contents, tovral-tool reads
#                                            sp_full.map, the viewer started through the link
#                                            in usr/bin shows the state picker, and a second
#                                            start ends at once with code 0
# Exit codes: 0 passed, 1 failed, 77 skipped (a tool is missing, or no package was built).
set -euo pipefail
source "$(dirname "$0")/../tests/e2e/e2e_common.sh"
check=$1
shift

# Sets $package to the one package in folder $1, or skips.
find_package_file() {
  local found=("$1"/tovral_*.deb)
  [ -f "${found[0]}" ] || { echo "SKIPPED: no package in $1 (package_build made none)"; exit 77; }
  package=${found[0]}
}

# Sets $root to the extracted package in folder $1, or skips.
find_extracted_package() {
  root=$1/root
  [ -x "$root/usr/bin/tovral" ] || { echo "SKIPPED: no extracted package in $1 (package_build made none)"; exit 77; }
}

# Starts the extracted viewer through its link in usr/bin and waits until the state picker
# shows above the map window; the viewer is ended on exit.
start_packaged_viewer() {
  trap 'kill "${viewer_pid:-}" 2>/dev/null || true' EXIT
  env -u QT_QPA_PLATFORM "$root/usr/bin/tovral" &
  viewer_pid=$!
  for _ in $(seq 1 200); do [ "$(visible_windows)" -ge 2 ] && break; sleep 0.1; done
  [ "$(visible_windows)" -ge 2 ] || fail "the state picker did not appear"
}

case $check in
  build)
    require_commands cpack dpkg-deb dpkg-shlibdeps file
    rm -rf "$2" && mkdir -p "$2"
    cpack --config "$1/CPackConfig.cmake" -B "$2" >"$2/cpack.log" 2>&1 ||
      { cat "$2/cpack.log"; fail "cpack could not make the package"; }
    find_package_file "$2"
    dpkg-deb --info "$package"
    dpkg-deb -x "$package" "$2/root"
    ;;
  lint)
    require_commands lintian
    find_package_file "$1"
    # lintian exits non-zero on errors; warnings are shown but do not fail the check.
    lintian --tag-display-limit 0 "$package" || fail "lintian reports errors"
    ;;
  validate)
    require_commands desktop-file-validate appstreamcli
    find_extracted_package "$1"
    for entry in "$root"/usr/share/applications/*.desktop; do
      desktop-file-validate "$entry" || fail "desktop-file-validate rejects $(basename "$entry")"
    done
    for metainfo in "$root"/usr/share/metainfo/*.metainfo.xml; do
      appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $(basename "$metainfo")"
    done
    ;;
  run)
    require_commands xvfb-run xdotool
    find_extracted_package "$1"
    run_inside_xvfb "$0" "$check" "$@"
    # São Paulo's map; a package built without the geodata holds the synthetic states only.
    maps=("$root"/usr/lib/tovral/img/sp_full.map "$root"/usr/lib/tovral/img/*_full.map)
    [ -f "${maps[0]}" ] || maps=("${maps[@]:1}")
    "$root/usr/bin/tovral-tool" info "${maps[0]}" ||
      fail "the packaged tovral-tool cannot read the packaged $(basename "${maps[0]}")"
    start_packaged_viewer
    timeout 10 env -u QT_QPA_PLATFORM "$root/usr/bin/tovral" ||
      fail "the second start exited with code $?"
    kill -0 "$viewer_pid" 2>/dev/null || fail "the first viewer is gone"
    ;;
  *)
    fail "unknown check $check"
    ;;
esac
echo "PASSED"
