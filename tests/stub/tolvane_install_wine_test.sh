#!/usr/bin/env bash
# The real product: a Setup.exe built by wexlin-pack from the Windows build of Tolvane, the body
# model, textures and atlas data of the native content build (its run folder) and the sample
# setup program, installed under wine by the stub; the installed Tolvane.exe then starts from
# its install folder and prints its two console lines.
# Usage: tolvane_install_wine_test.sh WEXLIN_PACK STUB_EXE SAMPLE_SETUP_EXE TOLVANE_EXE RUN_FOLDER
#        (under scripts/with-display.sh)
set -uo pipefail
usage="usage: tolvane_install_wine_test.sh WEXLIN_PACK STUB_EXE SAMPLE_SETUP_EXE TOLVANE_EXE RUN_FOLDER"
pack=${1:?$usage} stub=${2:?$usage} sample=${3:?$usage} tolvane=${4:?$usage} run=${5:?$usage}
root=$(cd "$(dirname "$0")/../.." && pwd)
skip=77

[ -n "${DISPLAY:-}" ] || { echo "no X display: run the tests under scripts/with-display.sh"; exit $skip; }
if [ ! -x "$pack" ] || [ ! -f "$run/man.3ds" ] || [ ! -f "$run/data/ptab.tz" ]; then
  echo "the native build (wexlin-pack and its run folder $run) is missing: build build/native first"
  exit $skip
fi
. "$root/scripts/wine-env.sh"
wine_ensure_prefix

work=$(mktemp -d)
target_name=TolvaneInstall_$$
drive_c=$WINEPREFIX/drive_c
viewer_pid=
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work" "${drive_c:?}/$target_name"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [ -f "$work/setup.log" ] && { echo "--- setup log"; cat "$work/setup.log"; }
  exit 1
}

# Entries: the viewer, the model and its textures (every file of the run folder), and the
# atlas files as "data#NAME", which the sample setup installs as data\NAME.
entries=(--as Tolvane.exe "$tolvane")
for f in "$run"/*; do [ -f "$f" ] && entries+=("$f"); done
for f in "$run"/data/*; do entries+=(--as "data#$(basename "$f")" "$f"); done
log_win="Z:$(echo "$work/setup.log" | tr / '\\')"
"$pack" build -o "$work/Setup.exe" --stub "$stub" --setup "$sample" --as Setup.exe \
  --setup-args "/Target=C:\\$target_name /Log=$log_win" "${entries[@]}" >"$work/pack.txt" ||
  fail "wexlin-pack build: $(cat "$work/pack.txt")"
"$pack" list "$work/Setup.exe" >"$work/list.txt" || fail "wexlin-pack list: $(cat "$work/list.txt")"

# The stub waits for the setup program: when it ends, the installation is complete.
timeout 300 wine "$work/Setup.exe" /hide >/dev/null 2>&1 || fail "Setup.exe did not end in time"
installed=$drive_c/$target_name
grep -q '^Result=ok' "$work/setup.log" 2>/dev/null || fail "the sample setup did not succeed"
for f in Tolvane.exe man.3ds data/dm.tz data/ptab.tz data/help.tz; do
  [ -f "$installed/$f" ] || fail "not installed: $f"
done
for f in "$run"/* "$run"/data/*; do
  [ -f "$f" ] || continue
  rel=${f#"$run"/}
  cmp -s "$f" "$installed/$rel" || fail "installed $rel differs from the build's"
done
cmp -s "$tolvane" "$installed/Tolvane.exe" || fail "installed Tolvane.exe differs"
echo "installed: $(cd "$installed" && find . -type f | wc -l) files in C:\\$target_name"

# "正在读取模型，请稍后。。。。。。。。" and "读取完毕！主程序关闭前请不要关闭此窗口。" in GBK.
printf '\xd5\xfd\xd4\xda\xb6\xc1\xc8\xa1\xc4\xa3\xd0\xcd\xa3\xac\xc7\xeb\xc9\xd4\xba\xf3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1\xa3' >"$work/line1.bin"
printf '\xb6\xc1\xc8\xa1\xcd\xea\xb1\xcf\xa3\xa1\xd6\xf7\xb3\xcc\xd0\xf2\xb9\xd8\xb1\xd5\xc7\xb0\xc7\xeb\xb2\xbb\xd2\xaa\xb9\xd8\xb1\xd5\xb4\xcb\xb4\xb0\xbf\xda\xa1\xa3' >"$work/line2.bin"
out=$work/stdout.bin
(cd "$installed" && exec wine ./Tolvane.exe >"$out" 2>"$work/stderr.txt") &
viewer_pid=$!
lines() { tr -d '\r' <"$out" | awk '{ print }'; }
line_is() { cmp -s <(lines | sed -n "$1p" | tr -d '\n') "$2"; }
for _ in $(seq 1 1200); do
  kill -0 "$viewer_pid" 2>/dev/null || fail "the installed Tolvane.exe ended early: $(head -5 "$work/stderr.txt")"
  line_is 2 "$work/line2.bin" && break
  sleep 0.1
done
line_is 1 "$work/line1.bin" || fail "first console line differs: $(lines | head -3 | od -An -tx1 | head -3)"
line_is 2 "$work/line2.bin" || fail "second console line missing or different"
[ "$(lines | wc -l)" -eq 2 ] || fail "more console output than the two lines (a file failed to load?): $(lines | sed -n '3,6p')"
echo "tolvane_install_wine_test: Setup.exe installed Tolvane, which started from its folder"
