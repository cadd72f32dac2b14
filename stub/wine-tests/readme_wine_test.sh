#!/usr/bin/env bash
# The README's own commands: the sh blocks of "A setup of Tolvane" and "Publishing an update",
# run as they stand under wine with this test's folder, target and web server (WEXLIN_TEST_HTTP,
# DOCROOT in WEXLIN_TEST_DOCROOT) in the variables that the README sets first. They build and
# install Tolvane with its agent and publish version 2; the files that publish lists are uploaded
# in its order, and the installed agent, started under its own name, must take version 2 with its
# bookkeeping kept through the merged settings file. A README that drifts from the program fails.
# The agent's question before the download comes in the Chinese of the installed settings (its
# title and buttons; box-driver reads the text of a GBK RichEdit in another process as empty, so
# the sentence itself is checked in the settings file); box-driver answers it.
# Usage: readme_wine_test.sh README WEXLIN_PACK WINDOWS_BUILD_DIR RUN_FOLDER BOX_DRIVER
#        (under scripts/with-display.sh, through stub/wine-tests/net/serve_and_run.py)
set -uo pipefail
usage="usage: readme_wine_test.sh README WEXLIN_PACK WINDOWS_BUILD_DIR RUN_FOLDER BOX_DRIVER"
readme=${1:?$usage} pack=${2:?$usage} w=${3:?$usage} run=${4:?$usage} box_driver=${5:?$usage}
. "$(dirname "$0")/product_test_lib.sh" ReadmeTolvane
installed=$drive_c/$target_name
cleanup() {
  pkill -f "$target_name" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work" "${installed:?}"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [ -f "$work/readme.log" ] && { echo "--- output of the README's commands"; tail -40 "$work/readme.log"; }
  exit 1
}
[ -n "$http" ] && [ -d "$docroot" ] || fail "no web server: run through stub/wine-tests/net/serve_and_run.py"

# The commands: every line of the sections' sh blocks but the builds of the targets this test
# depends on and the line(s) that set the variables given here, which must set exactly these.
given="pack run w target url"
python3 - "$readme" "$work/commands.sh" "$given" <<'PY' || fail "the README's commands cannot be taken"
import re, sys
readme, out, given = sys.argv[1], sys.argv[2], set(sys.argv[3].split())
sections = {"### A setup of Tolvane", "## Publishing an update"}
lines, inside, block, assigned = [], False, False, set()
for line in open(readme, encoding="utf-8").read().splitlines():
    if line.startswith("#") and not block:
        inside = line.strip() in sections
    elif line.startswith("```"):
        block = inside and not block and line.strip() == "```sh"
    elif block:
        words = line.split("#")[0].split()
        if line.startswith("cmake "):
            continue
        if words and all(re.fullmatch(r"(\w+)=\S+", word) for word in words):
            names = {word.split("=")[0] for word in words}
            if names <= given:
                assigned |= names
                continue
        lines.append(line)
if assigned != given:
    sys.exit("the README sets %s, not %s" % (sorted(assigned), sorted(given)))
if not any(" publish " in l for l in lines):
    sys.exit("no publish command in the README's sections")
open(out, "w", encoding="utf-8").write("\n".join(lines) + "\n")
PY

# Run from a folder of its own that has the scripts, as from the top of the source tree.
ln -s "$root/scripts" "$work/scripts"
target="C:\\$target_name"
(cd "$work" && export pack w run target url="$http" &&
 timeout 600 bash -eo pipefail -c "$(cat "$work/commands.sh")") >"$work/readme.log" 2>&1 ||
  fail "a README command failed"

# Installed by the README's Setup.exe, with the agent and its settings in Chinese.
for f in Tolvane.exe man.3ds data/dm.tz data/ptab.tz TolvaneAU.exe Tolvane.original; do
  [ -f "$installed/$f" ] || fail "not installed: $f"
done
setting() { tr -d '\r' <"$installed/Tolvane.original" | sed -n "s/^$1=//p"; }
[ "$(setting VersionOriginal)" = 1 ] || fail "installed version $(setting VersionOriginal)"
[ "$(setting s35 | iconv -f GBK -t UTF-8)" = 下载 ] || fail "the agent's texts are not Chinese"
[ "$(setting s11 | iconv -f GBK -t UTF-8)$(setting s12 | iconv -f GBK -t UTF-8)" = \
  "<B>PROG_NAME 有新版本可用。</B><P><P>现在下载并安装吗？" ] || fail "the download question"

# Uploaded in the order publish printed: the first list of the README's commands.
sed -n '/^upload to .*, in this order:$/,/^[^ ]/p' "$work/readme.log" | head -1 |
  grep -qxF "upload to $http, in this order:" || fail "publish names no upload to $http"
uploads=$(sed -n '/^upload to .*, in this order:$/,$p' "$work/readme.log" | sed -n '2,$p' |
  sed -n '/^  [0-9]*\. /!q;s/^  [0-9]*\. //p')
[ "$(echo "$uploads" | sed 's|.*/||' | tr '\n' ' ')" = \
  "TolvaneSetup2.exe TolvaneSetup2.exe.sig Tolvane.info Tolvane.info.sig " ] ||
  fail "upload list: $uploads"
for f in $uploads; do cp "$work/$f" "$docroot/" || fail "cannot upload $f"; done

# The agent, started under its own name, checks at once and takes version 2.
logs=$(find "$drive_c/users" -maxdepth 5 -type d -name Temp 2>/dev/null)
for d in $logs; do rm -f "$d/WexlinSampleSetup.log"; done
(cd "$installed" && wine ./TolvaneAU.exe >/dev/null 2>&1) &
# The box is found as soon as it exists; it is read again once it has had time to fill in.
timeout 120 wine "$box_driver" --timeout 90000 >"$work/box.txt" 2>&1 ||
  fail "no question before the download: $(cat "$work/box.txt")"
sleep 1
timeout 60 wine "$box_driver" --timeout 10000 --press 6 >"$work/box.txt" 2>&1 ||
  fail "the question could not be answered: $(cat "$work/box.txt")"
gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }
for want in "caption=确认" "button=6:是(&Y)" "button=7:否(&N)" "font=宋体,134"; do
  grep -qF "$(gbk "$want")" "$work/box.txt" ||
    fail "the question lacks \"$want\": $(iconv -f GBK -t UTF-8 "$work/box.txt")"
done
for _ in $(seq 1 900); do
  [ "$(setting VersionOriginal)" = 2 ] && [ ! -f "$installed/TolvaneSetup2.exe" ] && break
  sleep 0.1
done
[ "$(setting VersionOriginal)" = 2 ] || fail "the agent did not take version 2 (installed: $(ls "$installed" | tr '\n' ' '))"
setup_log=$(for d in $logs; do ls "$d/WexlinSampleSetup.log" 2>/dev/null; done | head -1)
[ -n "$setup_log" ] || fail "the update's setup left no log"
grep -q '/AutoUpdateProg' "$setup_log" && grep -q '^Result=ok' "$setup_log" ||
  fail "the update's setup was not run by the agent or failed: $(cat "$setup_log")"
# The agent recorded the offered stamp before the setup ran; the merge kept it and the check time.
[ "$(setting Stamp)" = 1 ] || fail "Stamp is \"$(setting Stamp)\" after the update, not 1"
[ -n "$(setting ProbeSecondsLast)" ] || fail "the check time was lost by the update's settings file"
(cd "$installed" && wine ./TolvaneAU.exe /STOP=0 >/dev/null 2>&1)
echo "readme_wine_test: the README's commands installed Tolvane and published version 2, which the agent took"
