#!/usr/bin/env bash
# Makes the contact sheet of every acupoint's search view from the real renderer: atlas_check
# draws each view in its off-screen frame, and the frames become labelled thumbnails.
# Usage: views_sheet.sh BUILD_DIR OUT.png (run it under scripts/with-display.sh).
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -n "${DISPLAY:-}" ] || { echo "views_sheet: no DISPLAY (run under scripts/with-display.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

count=$(cat "$build/run/data/dm.tz")
"$build/content/check/atlas_check" "$build/run" "$count" "$work" >"$work/check.txt" || {
  cat "$work/check.txt" >&2; exit 1; }
# The codes in table order, the order of the frames.
mapfile -t codes < <(tail -q -n +2 "$root"/content/atlas_gen/table/*.tsv | cut -f1)
args=()
for i in "${!codes[@]}"; do
  frame=$(printf '%s/%03d.ppm' "$work" "$i")
  convert "$frame" -crop 600x600+100+0 +repage -resize 80x80 "$work/t$i.png"
  args+=(-label "${codes[i]}" "$work/t$i.png")
done
montage "${args[@]}" -tile 20x -geometry +2+2 -background '#202428' -fill '#e0e0e0' \
  -font DejaVu-Sans -pointsize 10 "$work/sheet.png"
# A palette keeps the picture small enough for the repository.
convert "$work/sheet.png" +dither -colors 32 "$out"
echo "views_sheet: $out"
