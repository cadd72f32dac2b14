#!/usr/bin/env bash
# The Windows viewer under wine on the test display: a pinyin search shows the red marker where
# the first record's view puts it, and F1 shows the help panel with its text, checked on captures
# of the window. Real X input through xdotool.
# Usage: atlas_wine_test.sh PATH-TO-TOLVANE.EXE   (run under scripts/with-display.sh)
set -uo pipefail
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
wine_ensure_prefix

folder=$(mktemp -d)
viewer_pid=
cleanup() {
  [ -n "$viewer_pid" ] && kill -9 "$viewer_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$folder"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The first shipped record (GBK names) and a two-line help file.
mkdir -p "$folder/data"
printf '1' >"$folder/data/dm.tz"
printf -- '-0.563333 1.353333 0.091021 0.000000 -3.299999 3.000000 0.000000 0.000000 1 ZHONGFU \xD6\xD0\xB8\xAE 1 \xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD \xA1\xBE\xCA\xCD\xD2\xE5\xA1\xBF \xA1\xBE\xB9\xA6\xC4\xDC\xA1\xBF' \
  >"$folder/data/ptab.tz"
printf '2\r\n(\xD2\xBB)\xB0\xB4\xD7\xA1\xCA\xF3\xB1\xEA\xD2\xC6\xB6\xAF\r\nsecond-line' >"$folder/data/help.tz"

(cd "$folder" && exec wine "$exe" >"$folder/console.txt" 2>&1) &
viewer_pid=$!

window=
for _ in $(seq 1 120); do
  window=$(xdotool search --onlyvisible --name '^Tolvane$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.5
done
[ -n "$window" ] || fail "no Tolvane window"

shot="$folder/shot.png"
capture() { import -window "$window" "$shot" 2>/dev/null; }
# Pixels of the w x h box at (x, y) of the window as "r g b" lines (8 bits).
pixels() {
  convert "$shot" -crop "$3x$4+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}
count_red() { pixels "$@" | awk '$1 > 170 && $2 < 80 && $3 < 80 { n++ } END { print n + 0 }'; }
count_white() { pixels "$@" | awk '$1 > 200 && $2 > 200 && $3 > 200 { n++ } END { print n + 0 }'; }
# The panel (0.172, 0.239, 0.270) at alpha 0.9 over the background is about (45, 63, 71).
is_panel() {
  pixels "$@" | awk '{ if ($1 < 42 || $1 > 49 || $2 < 60 || $2 > 67 || $3 < 68 || $3 > 75) bad++ }
                     END { exit bad > 0 }'
}
# Retries a check on fresh captures for up to ten seconds.
eventually() {
  for _ in $(seq 1 40); do
    capture && "$@" && return 0
    sleep 0.25
  done
  return 1
}
red_at_marker() { [ "$(count_red 224 217 15 15)" -ge 20 ]; }
help_hidden() { ! is_panel 690 500 20 20; }
help_text_shown() { is_panel 690 500 20 20 && [ "$(count_white 80 70 220 30)" -ge 40 ]; }

# The first record's view: translation (0, -3.3), scale 3 puts its marker at (231, 224).
xdotool mousemove --sync --window "$window" 700 120
xdotool click 1  # the click gives the window the keyboard
sleep 0.5
[ "$(capture && count_red 224 217 15 15)" -eq 0 ] || fail "a marker before any search"
xdotool type --delay 60 zhongfu
xdotool key Return
eventually red_at_marker || fail "no red marker at (231, 224) after the search"

xdotool key F1
eventually help_text_shown || fail "no help panel with text after F1"
xdotool key F1
eventually help_hidden || fail "F1 again does not hide the help panel"
echo "atlas_wine_test: search marker and help panel render under wine"
