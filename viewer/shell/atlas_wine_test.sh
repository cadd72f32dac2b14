#!/usr/bin/env bash
# The Windows viewer under wine on the test display: a pinyin search shows the red marker where
# the first record's view puts it, and F1 shows the help panel with its text, checked on captures
# of the window. Real X input through xdotool.
# Usage: atlas_wine_test.sh PATH-TO-TOLVANE.EXE   (run under scripts/with-display.sh)
set -uo pipefail
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/viewer/shell/wine_test_lib.sh"
start_viewer

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
