# Sourced by the Wine tests of the Windows viewer: a run folder with the first shipped record and
# a two-line help file, the viewer started there under wine, captures of its window and pixel
# counts. Real X input goes through xdotool. Needs $root and $exe.
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

# The first shipped record (GBK names, meridian 1) and a two-line help file.
mkdir -p "$folder/data"
printf '1' >"$folder/data/dm.tz"
printf -- '-0.563333 1.353333 0.091021 0.000000 -3.299999 3.000000 0.000000 0.000000 1 ZHONGFU \xD6\xD0\xB8\xAE 1 \xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD \xA1\xBE\xCA\xCD\xD2\xE5\xA1\xBF \xA1\xBE\xB9\xA6\xC4\xDC\xA1\xBF' \
  >"$folder/data/ptab.tz"
printf '2\r\n(\xD2\xBB)\xB0\xB4\xD7\xA1\xCA\xF3\xB1\xEA\xD2\xC6\xB6\xAF\r\nsecond-line' >"$folder/data/help.tz"

# Starts the viewer and sets $window to its main window.
start_viewer() {
  (cd "$folder" && exec wine "$exe" >"$folder/console.txt" 2>&1) &
  viewer_pid=$!
  window=
  for _ in $(seq 1 120); do
    window=$(xdotool search --onlyvisible --name '^Tolvane$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || fail "no Tolvane window"
}

shot="$folder/shot.png"
capture() { import -window "$window" "$shot" 2>/dev/null; }
# Pixels of the w x h box at (x, y) of the window as "r g b" lines (8 bits).
pixels() {
  convert "$shot" -crop "$3x$4+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}
count_red() { pixels "$@" | awk '$1 > 170 && $2 < 80 && $3 < 80 { n++ } END { print n + 0 }'; }
count_white() { pixels "$@" | awk '$1 > 200 && $2 > 200 && $3 > 200 { n++ } END { print n + 0 }'; }
count_yellow() { pixels "$@" | awk '$1 > 200 && $2 > 200 && $3 < 90 { n++ } END { print n + 0 }'; }
# The window column of the rightmost yellow pixel in the box, or 0.
rightmost_yellow() {
  convert "$shot" -crop "$3x$4+$1+$2" +repage -depth 8 txt:- 2>/dev/null |
    sed -n 's/^\([0-9]*\),[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' |
    awk -v x0="$1" '$2 > 200 && $3 > 200 && $4 < 90 && $1 + x0 > max { max = $1 + x0 } END { print max + 0 }'
}
# Pixels within 3 of the colour R G B.
count_colour() {
  local r=$5 g=$6 b=$7
  pixels "$1" "$2" "$3" "$4" | awk -v r="$r" -v g="$g" -v b="$b" '
    function d(a, c) { return a > c ? a - c : c - a }
    d($1, r) <= 3 && d($2, g) <= 3 && d($3, b) <= 3 { n++ } END { print n + 0 }'
}
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
