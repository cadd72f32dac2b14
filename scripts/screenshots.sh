#!/usr/bin/env bash
# Runs the real viewer on a virtual display and writes the README's screenshots under docs/:
# a found acupoint with its detail panel, a meridian view, the help panel and the Governor
# Vessel's view.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default build/native; RUN_FOLDER overrides the
# run folder, which is otherwise BUILD_DIR/run as the run_folder target makes it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
case $build in /*) ;; *) build=$root/$build ;; esac

if [ -z "${SCREENSHOTS_ON_DISPLAY:-}" ]; then
  "$root/scripts/install-deps.sh"
  if [ ! -f "$build/CMakeCache.txt" ]; then cmake -S "$root" -B "$build" -G Ninja >/dev/null; fi
  targets=(tolvane)
  [ -n "${RUN_FOLDER:-}" ] || targets+=(run_folder)
  cmake --build "$build" -j2 --target "${targets[@]}"
  SCREENSHOTS_ON_DISPLAY=1 exec "$root/scripts/with-display.sh" "$0" "$build"
fi

run_folder=${RUN_FOLDER:-$build/run}
viewer=$build/viewer/shell/tolvane
[ -f "$run_folder/data/ptab.tz" ] || { echo "screenshots: no data in $run_folder" >&2; exit 1; }
mkdir -p "$root/docs"

log=$(mktemp)
(cd "$run_folder" && exec "$viewer" >"$log" 2>&1) &
viewer_pid=$!
trap 'kill "$viewer_pid" 2>/dev/null; wait "$viewer_pid" 2>/dev/null; rm -f "$log"' EXIT

window=
for _ in $(seq 1 100); do
  window=$(xdotool search --onlyvisible --name '^Tolvane$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.3
done
[ -n "$window" ] || { echo "screenshots: no viewer window" >&2; cat "$log" >&2; exit 1; }

at() { xdotool mousemove --sync --window "$window" "$1" "$2"; sleep 0.3; }
shoot() { sleep 0.8; import -window "$window" "$root/docs/$1"; echo "screenshots: docs/$1"; }

# Where the first record's own view puts its marker: translate, turn about X, then Y, scale.
read -r marker_x marker_y < <(awk 'NR == 1 {
  pi = atan2(0, -1); a = $7 * pi / 180; b = $8 * pi / 180
  x1 = $1 * cos(b) + $3 * sin(b); z1 = -$1 * sin(b) + $3 * cos(b)
  y2 = $2 * cos(a) - z1 * sin(a)
  printf "%d %d\n", 400 + 100 * ($4 + $6 * x1) + 0.5, 300 - 100 * ($5 + $6 * y2) + 0.5
}' "$run_folder/data/ptab.tz")
first_pinyin=$(awk 'NR == 1 { print tolower($10) }' "$run_folder/data/ptab.tz")

# A found acupoint: its pinyin typed, the marker hovered and clicked.
at 700 120
xdotool type --delay 40 "$first_pinyin"
xdotool key Return
sleep 0.5
at "$marker_x" "$marker_y"
xdotool click 1
shoot acupoint-detail.png

# The bladder meridian from the right button's pop-up, the seventh entry.
at 700 120
xdotool click 1
at 100 100
xdotool mousedown 3
sleep 0.3
at 150 200
at 150 249
xdotool mouseup 3
# Most of it runs down the back: ninety 2-degree steps of a drag turn the body round.
at 200 300
xdotool mousedown 1
for i in $(seq 1 90); do xdotool mousemove --window "$window" $((200 + 4 * i)) 300; done
xdotool mouseup 1
at 700 120
shoot meridian-view.png

xdotool key F1
shoot help-panel.png
xdotool key F1

# The Governor Vessel, the fourteenth entry: its own view from behind and a little above.
at 100 100
xdotool mousedown 3
sleep 0.3
at 150 300
at 150 403
xdotool mouseup 3
at 700 120
shoot governor-vessel.png
