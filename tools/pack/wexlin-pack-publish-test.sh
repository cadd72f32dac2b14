#!/usr/bin/env bash
# wexlin-pack's publishing commands: --as that names no file, the installed settings (original)
# and publish: the info file, stamps, the fixed agent settings kept, signatures, upload order.
# Usage: wexlin-pack-publish-test.sh WEXLIN_PACK WORK_DIR
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/pack_test_lib.sh"
# refuses REASON COMMAND...: the command fails with status 2 and names the reason.
refuses() {
  local want=$1 status=0; shift
  "$@" >out.log 2>err.log || status=$?
  [ "$status" = 2 ] || { cat out.log err.log; fail "status $status, not 2: $*"; }
  grep -q -- "$want" err.log || { cat err.log; fail "no \"$want\" from: $*"; }
}
value() { tr -d '\r' <"$1" | sed -n "s/^$2=//p"; }

stand_in_stub stub.exe
printf 'setup' >SampleSetup.exe
head -c 3000 /dev/urandom >data.bin

# --- --as names the next FILE or --setup FILE; one that no FILE takes is an error ---
refuses '--as Setup.exe names no file' "$pack" build -o a.exe --stub stub.exe \
  --setup SampleSetup.exe --as Setup.exe --as T.exe data.bin
refuses '--as T.exe names no file' "$pack" build -o a.exe --stub stub.exe data.bin --as T.exe
[ ! -e a.exe ] || fail "a refused build wrote a.exe"
"$pack" build -o a.exe --stub stub.exe --as Setup.exe --setup SampleSetup.exe --as T.exe \
  data.bin >/dev/null
"$pack" list a.exe >list.log
grep -q '^  Setup.exe  \[setup program\]' list.log || { cat list.log; fail "setup not named Setup.exe"; }
grep -q '^  T.exe ' list.log || fail "data.bin not named T.exe"

# --- original: the installed settings ---
"$pack" original -o T.original --program-name Tolvane --version 1 --target-dir 'C:\Tolvane' \
  --probe-interval 0 --text 's16=Tolvane is new.' >/dev/null
[ "$(value T.original ProgramName)" = Tolvane ] || fail "ProgramName"
[ "$(value T.original TargetDir)" = 'C:\Tolvane' ] || fail "TargetDir"
[ "$(value T.original ProbeSecondsInterval)" = 0 ] || fail "ProbeSecondsInterval"
[ "$(value T.original s16)" = 'Tolvane is new.' ] || fail "--text s16"
[ "$(value T.original s14)" != '' ] || fail "no s14"
head -1 T.original | od -c | grep -q '\\r' || fail "lines do not end in CR LF"
# The language of a language block file given to build chooses the texts.
printf '|Chinese|s1=x|' >zh.lng
"$pack" original -o zh.original --program-name Tolvane --version 1 --target-dir 'C:\T' \
  --language zh.lng >/dev/null
[ "$(value zh.original s35 | iconv -f GBK -t UTF-8)" = 下载 ] || fail "Chinese s35"
[ "$(value zh.original CharSet)" = 134 ] || fail "Chinese CharSet"
printf '|Klingon|s1=x|' >kl.lng
refuses 'no texts for the language "Klingon"' "$pack" original -o k.original \
  --program-name T --version 1 --target-dir 'C:\T' --language kl.lng
refuses 'usage: wexlin-pack original' "$pack" original -o k.original --program-name T --version 1
refuses 'no text key s99' "$pack" original -o k.original --program-name T --version 1 \
  --target-dir 'C:\T' --text s99=x

# --- publish ---
"$pack" keygen --out k >/dev/null
"$pack" keygen --out other >/dev/null
agent=(--write-agent --agent-exe TAU.exe --update-url http://127.0.0.1:9/t --update-file T.info
       --update-token TOK)
setup() { # setup OUT [extra build options]: a setup of Tolvane
  local out=$1; shift
  "$pack" build -o "$out" --stub stub.exe --as Setup.exe --setup SampleSetup.exe "${agent[@]}" \
    "$@" data.bin >/dev/null 2>&1
}
setup Setup2.exe --update-key k.pub
"$pack" publish --setup Setup2.exe --version 2 -o www --key k.key \
  --running-process '<InstallDir>Tolvane.exe' --restart --ask-download >publish.log
cmp -s Setup2.exe www/Setup2.exe || fail "the setup was not copied"
[ "$(value www/T.info SizeOfUpdateFile)" = "$(stat -c %s Setup2.exe)" ] || fail "SizeOfUpdateFile"
for kv in DownloadURL_UPDATE=http://127.0.0.1:9/t NameOfUpdateFile=Setup2.exe VersionNew=2 Stamp=1 \
          ProgramName=T 'RunningProcess=<InstallDir>Tolvane.exe' 'ShutDownMethod=Using WM_CLOSE' \
          RestartProcess=1 RequestConfirmationBeforeDownload=1 RequestConfirmationBeforeInstall=0 \
          InformFinish=0 BackgroundUpdate=0 AutoInform=0; do
  [ "$(value www/T.info "${kv%%=*}")" = "${kv#*=}" ] || { cat www/T.info; fail "info lacks $kv"; }
done
grep -q TOK www/T.info && fail "the token is in the info file in clear"
"$pack" verify --key k.pub www/Setup2.exe www/T.info >/dev/null || fail "signatures do not verify"
# The upload list: the setup and its signature before the info file and its signature.
sed -n '/^upload to http:\/\/127.0.0.1:9\/t, in this order:$/,$p' publish.log | tail -n +2 >order.log
printf '  %s\n' '1. www/Setup2.exe' '2. www/Setup2.exe.sig' '3. www/T.info' '4. www/T.info.sig' |
  cmp -s - order.log || { cat publish.log; fail "upload order"; }

# Published again (a fixed setup): the next stamp, from the info file in DIR or --previous.
"$pack" publish --setup Setup2.exe --version 2 -o www --key k.key >/dev/null
[ "$(value www/T.info Stamp)" = 2 ] || fail "republished under the same stamp"
[ "$(value www/T.info ShutDownMethod)" = "Don't Shut Down" ] || fail "default shut-down method"
cp www/T.info old.info
"$pack" publish --setup Setup2.exe --version 3 -o www2 --key k.key --previous old.info --stamp 9 \
  >/dev/null
[ "$(value www2/T.info Stamp)" = 9 ] || fail "--stamp"
"$pack" publish --setup Setup2.exe --version 3 -o www3 --key k.key --previous old.info >/dev/null
[ "$(value www3/T.info Stamp)" = 3 ] || fail "stamp after --previous"

# Refused, with nothing published: changed fixed settings, keys, versions, non-setups.
before=$(cksum <www/T.info)
agent[8]=OTHER
setup Foreign.exe --update-key k.pub
refuses "token (--update-token) differs" "$pack" publish --setup Foreign.exe --version 3 -o www --key k.key
agent[8]=TOK agent[4]=http://127.0.0.1:9/elsewhere
setup Moved.exe --update-key k.pub
refuses "update address (--update-url) differs" "$pack" publish --setup Moved.exe --version 3 \
  -o www --key k.key
agent[4]=http://127.0.0.1:9/t
setup OtherKey.exe --update-key other.pub
refuses "not the public half of k.key" "$pack" publish --setup OtherKey.exe --version 3 -o new --key k.key
refuses "give --key" "$pack" publish --setup Setup2.exe --version 3 -o new
setup Unsigned.exe
refuses "built without --update-key" "$pack" publish --setup Unsigned.exe --version 3 -o new --key k.key
refuses "below version 2" "$pack" publish --setup Setup2.exe --version 1 -o www --key k.key
refuses "no installer" "$pack" publish --setup data.bin --version 3 -o new
refuses "unknown shut-down method" "$pack" publish --setup Setup2.exe --version 3 -o new \
  --key k.key --shut-down politely
[ "$(cksum <www/T.info)" = "$before" ] || fail "a refused publish changed T.info"
[ ! -e new ] || [ -z "$(ls new)" ] || fail "a refused publish wrote $(ls new)"
[ ! -e www/Foreign.exe ] && [ ! -e www/Moved.exe ] || fail "a refused setup was copied"

# An unsigned product publishes without a key.
rm -rf plain && "$pack" publish --setup Unsigned.exe --version 2 -o plain >/dev/null
[ -f plain/T.info ] && [ ! -e plain/T.info.sig ] || fail "unsigned publish"

# Inform mode: the news file with the setup's token, its exact size, the info file naming it.
printf '<B>T 3</B><P>Ready.\n' >news.txt
"$pack" publish --setup Setup2.exe --inform news.txt --inform-url https://example.org/t \
  --version 3 -o www --key k.key >inform.log
[ "$(value www/T.info AutoInform)" = 1 ] || fail "AutoInform"
[ "$(value www/T.info NameOfInformFile)" = TNews.txt ] || fail "NameOfInformFile"
[ "$(value www/T.info SizeOfInformFile)" = "$(stat -c %s www/TNews.txt)" ] || fail "SizeOfInformFile"
[ "$(value www/T.info DownloadURL_INFORM)" = https://example.org/t ] || fail "DownloadURL_INFORM"
[ "$(value www/T.info NameOfUpdateFile)" = "" ] || fail "an inform publication names a setup"
[ "$(value www/T.info Stamp)" = 3 ] || fail "inform stamp"
"$pack" verify --key k.pub www/TNews.txt www/T.info >/dev/null || fail "inform signatures"
grep -q '1. www/TNews.txt$' inform.log && grep -q '4. www/T.info.sig$' inform.log ||
  { cat inform.log; fail "inform upload order"; }
refuses "--inform publishes no setup" "$pack" publish --setup Setup2.exe --inform news.txt \
  --version 3 -o www --restart
echo "wexlin-pack-publish-test: all passed"
