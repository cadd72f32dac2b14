#!/usr/bin/env bash
# The real product: a Setup.exe built by wexlin-pack from the Windows build of Tolvane, the body
# model, textures and atlas data of the native content build (its run folder) and the sample
# setup program, installed under wine by the stub; the installed Tolvane.exe then starts from
# its install folder and prints its two console lines. Then version 2 is published on the web
# server the test runs with (WEXLIN_TEST_HTTP, DOCROOT in WEXLIN_TEST_DOCROOT): the agent that the
# setup installed beside Tolvane, started under its own name, downloads it, closes the running
# Tolvane, installs it, starts Tolvane again and restarts itself. Everything published is signed
# and the agent trusts only the product's key.
# Usage: tolvane_install_wine_test.sh WEXLIN_PACK STUB_EXE SAMPLE_SETUP_EXE TOLVANE_EXE RUN_FOLDER
#        (under scripts/with-display.sh)
set -uo pipefail
usage="usage: tolvane_install_wine_test.sh WEXLIN_PACK STUB_EXE SAMPLE_SETUP_EXE TOLVANE_EXE RUN_FOLDER"
pack=${1:?$usage} stub=${2:?$usage} sample=${3:?$usage} tolvane=${4:?$usage} run=${5:?$usage}
. "$(dirname "$0")/product_test_lib.sh" TolvaneInstall
viewer_pid=
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
  [ -n "${target_name:-}" ] && pkill -f "$target_name" 2>/dev/null
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
# Every version carries the same agent settings, token and update key; the first also the
# agent's state. The secret key stays in the work folder, never on the server.
mkdir -p "$work/keys"
"$pack" keygen --out "$work/keys/tolvane" >"$work/keygen.txt" || fail "wexlin-pack keygen: $(cat "$work/keygen.txt")"
agent=(--write-agent --agent-exe TolvaneAU.exe --update-url "$http" --update-file Tolvane.info
       --update-token TOLVANE-TEST --update-key "$work/keys/tolvane.pub")
printf '[OriginalSetup]\r\nProgramName=Tolvane\r\nVersionOriginal=1\r\nProbeSecondsInterval=0\r\n[Directories]\r\nTargetDir=C:\\%s\r\n' \
  "$target_name" >"$work/Tolvane.original"
printf '1' >"$work/version.txt"
"$pack" build -o "$work/Setup.exe" --stub "$stub" --as Setup.exe --setup "$sample" \
  --setup-args "/Target=C:\\$target_name /Log=$log_win" "${agent[@]}" "${entries[@]}" \
  "$work/Tolvane.original" "$work/version.txt" >"$work/pack.txt" ||
  fail "wexlin-pack build: $(cat "$work/pack.txt")"
"$pack" list "$work/Setup.exe" >"$work/list.txt" || fail "wexlin-pack list: $(cat "$work/list.txt")"
grep -q "update key: $(cat "$work/keys/tolvane.pub")" "$work/list.txt" || fail "the setup does not carry the update key"

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
echo "Setup.exe installed Tolvane, which started from its folder"

# --- Version 2, published and installed by the agent ---
[ -n "$http" ] && [ -d "$docroot" ] || fail "no web server: run through stub/wine-tests/net/serve_and_run.py"
printf '2' >"$work/version.txt"
log2_win="Z:$(echo "$work/setup2.log" | tr / '\\')"
"$pack" build -o "$docroot/TolvaneSetup2.exe" --stub "$stub" --as Setup.exe --setup "$sample" \
  --setup-args "/Target=C:\\$target_name /Log=$log2_win" "${agent[@]}" "${entries[@]}" \
  "$work/version.txt" >"$work/pack2.txt" || fail "wexlin-pack build 2: $(cat "$work/pack2.txt")"
printf '[NewSetup]\r\nDownloadURL_UPDATE=%s\r\nNameOfUpdateFile=TolvaneSetup2.exe\r\nSizeOfUpdateFile=%s\r\nVersionNew=2\r\nStamp=2\r\nProgramName=Tolvane\r\nRunningProcess=<InstallDir>Tolvane.exe\r\nShutDownMethod=Using WM_CLOSE\r\nRestartProcess=1\r\nBackgroundUpdate=1\r\n' \
  "$http" "$(stat -c %s "$docroot/TolvaneSetup2.exe")" >"$docroot/Tolvane.info"
# Signed like a publisher does it: the .sig files beside the files they sign.
"$pack" sign --key "$work/keys/tolvane.key" "$docroot/TolvaneSetup2.exe" "$docroot/Tolvane.info" \
  >"$work/sign.txt" || fail "wexlin-pack sign: $(cat "$work/sign.txt")"
[ -f "$installed/TolvaneAU.exe" ] || fail "the setup did not install the agent"
# A process that has ended (a zombie of this shell counts as ended).
alive() { [ -r "/proc/$1/status" ] && ! grep -q '^State:.*Z' "/proc/$1/status"; }
old_viewer=$viewer_pid
alive "$old_viewer" || fail "no running Tolvane to update"
(cd "$installed" && wine ./TolvaneAU.exe >/dev/null 2>&1) &
version_of() { tr -d '\r' <"$installed/Tolvane.original" | sed -n 's/^VersionOriginal=//p'; }
for _ in $(seq 1 900); do
  [ "$(version_of)" = 2 ] && [ "$(cat "$installed/version.txt" 2>/dev/null)" = 2 ] && break
  sleep 0.1
done
[ "$(cat "$installed/version.txt" 2>/dev/null)" = 2 ] || fail "version 2 not installed (agent files: $(ls "$installed" | grep -i -e au -e info | tr '\n' ' '))"
[ "$(version_of)" = 2 ] || fail "VersionOriginal is $(version_of), not 2"
grep -q '^Result=ok' "$work/setup2.log" 2>/dev/null || fail "the update's setup did not succeed"
grep -q '/AutoUpdateProg' "$work/setup2.log" || fail "the update's setup was not started by the agent"
alive "$old_viewer" && fail "the old Tolvane still runs"
new_viewer=
for _ in $(seq 1 300); do
  new_viewer=$(pgrep -f "$target_name.Tolvane.exe" | grep -v "^$old_viewer\$" | head -1)
  [ -n "$new_viewer" ] && break
  sleep 0.1
done
[ -n "$new_viewer" ] || fail "Tolvane was not started again"
[ -f "$installed/TolvaneSetup2.exe" ] && fail "the downloaded setup was left in the program folder"
# The agent's working copy, restarted after the update, ends on request and deletes itself.
for _ in $(seq 1 200); do
  pgrep -f "X_TolvaneAU" >/dev/null && break
  sleep 0.1
done
pgrep -f "X_TolvaneAU" >/dev/null || fail "no agent copy runs after the update"
(cd "$installed" && wine ./TolvaneAU.exe /STOP=0 >/dev/null 2>&1)
for _ in $(seq 1 300); do
  [ -f "$installed/X_TolvaneAU.exe" ] || break
  sleep 0.1
done
[ -f "$installed/X_TolvaneAU.exe" ] && fail "the agent copy did not delete itself"
echo "tolvane_install_wine_test: Setup.exe installed Tolvane and its agent updated it to version 2"
