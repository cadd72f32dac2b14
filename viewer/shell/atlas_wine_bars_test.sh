#!/usr/bin/env bash
# The Windows viewer's GLUT sub-windows under wine: both bars in their colour with their texts,
# the meridian pop-up (opens on a right click, takes a left click on an entry), the hover tip and
# typing over a bar, checked on captures of the window with real X input through xdotool. The
# sub-windows show only with the rebuilt X11 driver (scripts/build-wine-x11-driver.sh, bound by
# with-display.sh); without it the test is skipped (status 77).
# Usage: atlas_wine_bars_test.sh PATH-TO-TOLVANE.EXE   (run under scripts/with-display.sh)
set -uo pipefail
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/viewer/shell/wine_test_lib.sh"
if ! wine_x11_driver_bound; then
  echo "SKIP: wine's X11 driver is the system's, which never shows GLUT sub-windows; build it with" \
       "scripts/build-wine-x11-driver.sh (as root) and run under scripts/with-display.sh"
  exit 77
fi
start_viewer

# The bars' colour (0.172, 0.239, 0.270); 800 x 35 pixels each.
bar=(44 61 69)
bars_drawn() {
  [ "$(count_colour 0 0 800 35 "${bar[@]}")" -ge 20000 ] &&
    [ "$(count_colour 0 565 800 35 "${bar[@]}")" -ge 20000 ]
}
# Title "Tolvane 1.0" from x 32 and "[F1] 帮助" from x 710 in white, the general tip in yellow.
top_texts() { [ "$(count_white 30 5 100 28)" -ge 60 ] && [ "$(count_white 708 5 90 28)" -ge 50 ]; }
xdotool mousemove --sync --window "$window" 700 120
eventually bars_drawn || fail "the bars are not drawn in their colour"
eventually top_texts || fail "no title or help hint in the top bar"
general_tip=$(count_yellow 0 566 800 34)
[ "$general_tip" -ge 400 ] || fail "the general tip has $general_tip yellow pixels"
echo "bars: general tip $general_tip yellow pixels"

# The texts come from a CJK TrueType face at the asked 15-pixel cell (宋体 mapped in the prefix):
# the general tip's 29 full-width characters then reach past x 430, a fallback face's small broken
# glyphs end near x 380.
tip_end=$(rightmost_yellow 0 566 800 34)
[ "$tip_end" -ge 430 ] || fail "the general tip ends at x $tip_end: not drawn in a CJK face"
echo "bars: general tip ends at x $tip_end"

# Right click at (100, 100): the pop-up opens at (102, 102) and stays; a left click on its first
# entry chooses the lung meridian, whose one marker (the first record) then shows at the identity
# pose, at (344, 165).
popup_shown() { [ "$(count_colour 200 108 30 10 "${bar[@]}")" -ge 250 ] && [ "$(count_white 104 106 126 264)" -ge 300 ]; }
marker_shown() { [ "$(count_red 337 158 15 15)" -ge 4 ]; }  # radius 0.02: a 2-pixel dot
capture && ! marker_shown || fail "a marker before the choice"
xdotool mousemove --sync --window "$window" 100 100
xdotool click 3
eventually popup_shown || fail "no pop-up with its entries after a right click"
xdotool mousemove --sync --window "$window" 150 117
xdotool click 1
eventually marker_shown || fail "the pop-up's first entry does not show the lung meridian"

# Hovering the marker names it in the bottom bar: a different yellow text.
tip_changed() { [ "$(count_yellow 0 566 800 34)" -ne "$general_tip" ]; }
xdotool mousemove --sync --window "$window" 344 165
eventually tip_changed || fail "hovering the marker does not change the tip"
tip_general() { [ "$(count_yellow 0 566 800 34)" -eq "$general_tip" ]; }
xdotool mousemove --sync --window "$window" 700 120
eventually tip_general || fail "off the marker the general tip does not return"

# Typed with the pointer over the bottom bar, a search still reaches the search line; Enter
# leaves the meridian view, and the first record's view puts the search marker at (231, 224).
search_marker() { [ "$(count_red 224 217 15 15)" -ge 20 ]; }
xdotool mousemove --sync --window "$window" 400 585
xdotool type --delay 60 zhongfu
xdotool key Return
eventually search_marker || fail "letters typed over the bottom bar do not reach the search line"

# One notch of the wheel away from the user zooms in by 0.1: scale 3.1 puts the marker at (225, 211).
zoomed_marker() { [ "$(count_red 218 204 15 15)" -ge 20 ] && [ "$(count_red 236 228 8 8)" -eq 0 ]; }
xdotool mousemove --sync --window "$window" 600 300
xdotool click 4
eventually zoomed_marker || fail "the wheel does not zoom"
echo "atlas_wine_bars_test: bars, pop-up, hover tip, typing over a bar and the wheel work under wine"
