#!/usr/bin/env bash
# Makes the contact sheet of the shipped body from the real viewer: starts Tolvane in the run
# folder on a virtual display, poses it with keys, searches and drags, captures each view and
# puts them together. Usage: contact_sheet.sh BUILD_DIR OUT.png
# (run it under scripts/with-display.sh, which provides the display).
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(realpath -m "$2")
[ -n "${DISPLAY:-}" ] || { echo "contact_sheet: no DISPLAY (run under scripts/with-display.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'kill "$viewer" 2>/dev/null || true; rm -rf "$work"' EXIT

cd "$build/run"
"$build/viewer/shell/tolvane" >"$work/console.txt" 2>&1 &
viewer=$!
wid=
for _ in $(seq 1 100); do
  wid=$(xdotool search --onlyvisible --name '^Tolvane' 2>/dev/null | head -1 || true)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "contact_sheet: the viewer window did not appear" >&2; cat "$work/console.txt" >&2; exit 1; }
sleep 1.5

at() { xdotool mousemove --window "$wid" "$1" "$2"; }
# One motion event turns the body by 2 degrees: `turn N` gives 2N degrees about Y.
turn() {
  at 200 300
  xdotool mousedown 1
  for i in $(seq 1 "$1"); do at $((200 + i)) 300; done
  xdotool mouseup 1
}
zoom() { for _ in $(seq 1 "$1"); do xdotool key --window "$wid" period; done; }
reset() { xdotool key --window "$wid" Return slash; }
# A pinyin search: the viewer turns, moves and zooms the body to the acupoint.
search() { xdotool type --window "$wid" --delay 30 "$1"; xdotool key --window "$wid" Return; }
# The meridian pop-up on the right button: entries of 22 pixels below the pointer.
meridian() {
  at 300 120
  xdotool mousedown 3
  sleep 0.3
  at 367 $((120 + 2 + 4 + 22 * ($1 - 1) + 11))
  sleep 0.3
  xdotool mouseup 3
  at 790 300
}
shot() {
  sleep 0.8
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$1.png"
  labels+=("$work/$1.png" "$2")
}

labels=()
reset; shot front "Front"
reset; turn 90; shot back "Back"
reset; turn 45; shot side "Side"
reset; turn 17; zoom 6; shot three_quarter "Three-quarter, zoomed"
reset; search SIBAI; shot face "Face (ST2 Sibai)"
reset; search TINGGONG; shot ear "Ear (SI19 Tinggong)"
reset; search LAOGONG; shot palm "Palm (PC8 Laogong)"
reset; search HEGU; shot hand_back "Back of the hand (LI4 Hegu)"
reset; search TAICHONG; shot foot "Foot (LR3 Taichong)"
reset; search KUNLUN; shot ankle "Ankle (BL60 Kunlun)"
reset; search SHENSHU; shot lower_back "Lower back (BL23 Shenshu)"
reset; meridian 3; shot meridian "Stomach meridian"

args=()
for ((i = 0; i < ${#labels[@]}; i += 2)); do args+=(-label "${labels[i+1]}" "${labels[i]}"); done
montage "${args[@]}" -tile 4x3 -geometry 360x270+5+5 -background '#202428' -fill '#e0e0e0' \
  -font DejaVu-Sans -pointsize 13 "$work/sheet.png"
# A palette keeps the picture small enough for the repository.
convert "$work/sheet.png" -dither FloydSteinberg -colors 256 "$out"
echo "contact_sheet: $out"
