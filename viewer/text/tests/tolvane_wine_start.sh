#!/usr/bin/env bash
# Starts the Windows build of the viewer under wine in a folder without a model and checks that
# it prints its two GBK console lines, byte for byte, and that GDI draws the search line's label
# into its window. Needs the display of scripts/with-display.sh.
# Usage: tolvane_wine_start.sh TOLVANE_EXE WORK_DIR
set -uo pipefail

exe=${1:?usage: tolvane_wine_start.sh TOLVANE_EXE WORK_DIR}
work=${2:?usage: tolvane_wine_start.sh TOLVANE_EXE WORK_DIR}
root=$(cd "$(dirname "$0")/../../.." && pwd)
skip=77

if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run the tests under scripts/with-display.sh"
  exit $skip
fi
for tool in xdotool xprop import convert; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)"; exit 1; }
done

[ -f "$exe" ] || { echo "no such program: $exe"; exit 1; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")  # the viewer runs in another folder
rm -rf "$work"
mkdir -p "$work/run"
work=$(cd "$work" && pwd)
out=$work/stdout.bin
# "正在读取模型，请稍后。。。。。。。。" and "读取完毕！主程序关闭前请不要关闭此窗口。" in GBK.
printf '\xd5\xfd\xd4\xda\xb6\xc1\xc8\xa1\xc4\xa3\xd0\xcd\xa3\xac\xc7\xeb\xc9\xd4\xba\xf3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3' >"$work/line1.bin"
printf '\xb6\xc1\xc8\xa1\xcd\xea\xb1\xcf\xa3\xa1\xd6\xf7\xb3\xcc\xd0\xf2\xb9\xd8\xb1\xd5\xc7\xb0\xc7\xeb\xb2\xbb\xd2\xaa\xb9\xd8\xb1\xd5\xb4\xcb\xb4\xb0\xbf\xda\xa1\xa3' >"$work/line2.bin"

(cd "$work/run" && exec "$root/scripts/wine-run.sh" "$exe" >"$out" 2>"$work/stderr.txt") &
pid=$!
stop() {
  kill "$pid" 2>/dev/null
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
trap stop EXIT
fail() {
  echo "FAIL: $*"
  echo "--- stdout (hex)"; od -An -tx1 "$out" | head -20
  echo "--- stderr"; head -20 "$work/stderr.txt"
  exit 1
}

# The lines in the order they were written, the Windows line end taken off.
lines() { tr -d '\r' <"$out" | awk '{ print }'; }
line_matches() { # line_matches N FILE
  cmp -s <(lines | sed -n "$1p" | tr -d '\n') "$2"
}

# wine names the window's class after the executable, which keeps a native viewer's window out.
wine_window() {
  local w
  for w in $(xdotool search --name '^Tolvane$' 2>/dev/null); do
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -qi '"tolvane\.exe"' && { echo "$w"; return; }
  done
}

# Both console lines and the window; bounded, wine may take a while to start.
wid=
for _ in $(seq 1 600); do
  kill -0 "$pid" 2>/dev/null || fail "the viewer ended early"
  [ -z "$wid" ] && wid=$(wine_window)
  [ -n "$wid" ] && line_matches '$' "$work/line2.bin" && break
  sleep 0.1
done
[ -n "$wid" ] || fail "no window titled Tolvane"
line_matches 1 "$work/line1.bin" || fail "first console line differs"
line_matches '$' "$work/line2.bin" || fail "second console line missing or different"
echo "console lines: ok ($(lines | wc -l) lines)"

# The label "查询(拼音全拼):" is drawn white at (1, 20): from 2 pixels off the left edge, its
# 15-pixel cell 38 pixels above the bottom of the 600-pixel main window, so rows 547 to 561
# from the top. Wait until a frame shows it, then check its ink lies in that cell.
count_white() { # count_white IMAGE WIDTH HEIGHT X Y
  convert "$1" -crop "$2x$3+$4+$5" +repage -depth 8 txt:- | grep -ci '#FFFFFF'
}
shot=$work/window.png
for _ in $(seq 1 100); do
  import -window "$wid" "$shot" 2>/dev/null &&
    [ "$(count_white "$shot" 200 15 0 547)" -gt 20 ] && break
  sleep 0.2
done
[ -f "$shot" ] || fail "the window could not be captured"
size=$(convert "$shot" -format '%wx%h' info:)
[ "$size" = 800x600 ] || fail "window is $size, not 800x600"
in_cell=$(count_white "$shot" 200 15 0 547)
left_edge=$(count_white "$shot" 2 15 0 547)
above=$(count_white "$shot" 200 10 0 537)
below=$(count_white "$shot" 200 3 0 562)
echo "white pixels: $in_cell in the label's cell, $left_edge in its first 2 columns," \
     "$above just above, $below just below"
[ "$in_cell" -gt 20 ] || fail "no text pixels in the label's cell"
[ "$left_edge" -eq 0 ] || fail "text starts before 2 pixels from the left edge"
[ "$above" -eq 0 ] && [ "$below" -eq 0 ] || fail "text pixels outside the label's cell"
echo "GDI text: ok"
