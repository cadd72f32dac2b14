# Sourced by the Wine tests that install the real product (tolvane_install_wine_test.sh,
# readme_wine_test.sh) after they have read their arguments: skips (status 77) without a display
# or without the native build's wexlin-pack ($pack) and run folder ($run), then sets up the wine
# prefix, the stub's pace and the variables both use. Sets: http, docroot (the test's web
# server), root, work (a temporary folder), target_name (PREFIX_pid, the install folder's name
# under drive C:), drive_c.
# Usage: . product_test_lib.sh PREFIX
http=${WEXLIN_TEST_HTTP:-} docroot=${WEXLIN_TEST_DOCROOT:-}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
skip=77

[ -n "${DISPLAY:-}" ] || { echo "no X display: run the tests under scripts/with-display.sh"; exit $skip; }
if [ ! -x "$pack" ] || [ ! -f "$run/man.3ds" ] || [ ! -f "$run/data/ptab.tz" ]; then
  echo "the native build (wexlin-pack and its run folder $run) is missing: build build/native first"
  exit $skip
fi
. "$root/scripts/wine-env.sh"
wine_ensure_prefix
# The stub's fixed pauses and its one-second tick at the quickest pace (rules/Pace.h): these
# tests check what the stub does, not how long it pauses.
export WEXLIN_TEST_PACE=10

work=$(mktemp -d)
target_name=${1:?}_$$
drive_c=$WINEPREFIX/drive_c
