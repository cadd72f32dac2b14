#!/usr/bin/env bash
# wexlin-pack's command line: build with options, list the result, refuse unsafe names.
# Usage: wexlin-pack-cli-test.sh WEXLIN_PACK WORK_DIR
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/pack_test_lib.sh"

stand_in_stub stub.exe
printf 'setup' >Setup.exe
printf 'script text\n' >Setup.txt
head -c 30000 /dev/urandom >data.bin
printf '|English|s1=Extracting|' >english.lng

"$pack" --help >help.txt
grep -q -- '--volume-size' help.txt || fail "help does not show the options"

"$pack" build -o out.exe --stub stub.exe --setup Setup.exe --setup-args /S --confirm-extract \
  --write-agent --language english.lng --update-url http://127.0.0.1/u/ --update-file T.dat \
  --update-token SECRET --download-url http://127.0.0.1/d/ --download-file S.exe \
  --download-token DLTOK --download-size 123 --date 2006-04-08T10:10:34 --seed 7 \
  --as renamed.bin data.bin Setup.txt --volume-size 20000 >build.log
[ -f out.exe ] && [ -f out.exe.002 ] || fail "volumes not written: $(ls)"

"$pack" list out.exe >list.log || { cat list.log; fail "list reports damage"; }
for want in 'ConfirmExtract=1' 'WriteAgent=1' 'SpanVolumes=1' 'update token: "SECRET"' \
            'download token: "DLTOK"' 'info file: T.info' '|English|s1=Extracting|' \
            'Setup.exe  \[setup program, extra text "/S"\]' 'renamed.bin' '2006-04-08 10:10:34' \
            'Volume 2: out.exe.002' 'Total: 30017 bytes'; do
  grep -q -- "$want" list.log || { cat list.log; fail "listing lacks: $want"; }
done

# UTF-8 names become GBK bytes ("新建 文本文档.txt" as the shipped archive stores it).
"$pack" build -o gbk.exe --stub stub.exe --name-charset GBK --as '新建 文本文档.txt' Setup.txt >/dev/null
"$pack" list gbk.exe >gbk.log
grep -q "$(printf '\xD0\xC2\xBD\xA8 \xCE\xC4\xB1\xBE\xCE\xC4\xB5\xB5.txt')" gbk.log ||
  { cat gbk.log; fail "the GBK name is not stored"; }
if "$pack" build -o gbk2.exe --stub stub.exe --name-charset GBK --as 'ǅ.txt' Setup.txt 2>err.log; then
  fail "a name GBK cannot hold was accepted"
fi

# A GBK character whose second byte is 0x5C ("昞" is 0x95 0x5C) is no separator in GBK: stored
# with --name-charset GBK and listed as sound when read as GBK; without a charset the byte is a
# separator, so the build refuses it and a listing as single-byte text names it.
"$pack" build -o trail.exe --stub stub.exe --name-charset GBK --as '昞.txt' Setup.txt >/dev/null ||
  fail "a GBK name with a 0x5C second byte was refused"
"$pack" list --name-charset GBK trail.exe >trail.log || { cat trail.log; fail "GBK listing fails"; }
if "$pack" list trail.exe >trail1.log; then fail "single-byte listing passes a 0x5C name"; fi
grep -q 'UNSAFE entry name' trail1.log || { cat trail1.log; fail "unsafe name not named"; }
if "$pack" build -o trail2.exe --stub stub.exe --as "$(printf '\x95\x5C.txt')" Setup.txt 2>/dev/null; then
  fail "a 0x5C byte was accepted without a double-byte charset"
fi

# A damaged volume is reported and gives status 1.
printf 'X' | dd of=out.exe.002 bs=1 seek=40 conv=notrunc status=none
if "$pack" list out.exe >damaged.log; then fail "damage not reported"; fi
grep -q 'FAILS' damaged.log || fail "no checksum failure in the listing"

# A bomb: 160 MB of zeros (about 160 KB packed) in an archive whose trailer declares 1000 bytes
# (SpaceNeeded[0], trailer offset 28). The listing refuses it as the stub would, and does so in
# a fraction of that memory.
head -c 160000000 /dev/zero >zeros.bin
"$pack" build -o bomb.exe --stub stub.exe zeros.bin >/dev/null
rm -f zeros.bin
size=$(stat -c %s bomb.exe)
printf '\xE8\x03\x00\x00' | dd of=bomb.exe bs=1 seek=$((size - 74 + 28)) conv=notrunc status=none
if (ulimit -v 80000; "$pack" list bomb.exe >bomb.log 2>&1); then fail "the bomb was listed as sound"; fi
grep -q 'more than the archive declares' bomb.log || { cat bomb.log; fail "the bomb was not refused"; }
rm -f bomb.exe

# Unsafe names are refused with a clear message and nothing is written.
for name in ../evil x/y 'C:evil' ..; do
  if "$pack" build -o bad.exe --stub stub.exe --as "$name" Setup.txt 2>err.log; then
    fail "unsafe name $name accepted"
  fi
  grep -q 'refusing entry name' err.log || { cat err.log; fail "unclear error for $name"; }
done
[ ! -e bad.exe ] || fail "a refused build left bad.exe"
# The inform file of an agent in inform mode: written scrambled (read back in inform_file_test).
printf '<B>Version 2</B><P>See the page' >news.txt
"$pack" inform -o news.inf --update-token SECRET --seed 3 news.txt >inform.log
[ -s news.inf ] || fail "no inform file"
if grep -q -e SECRET -e Version news.inf; then fail "inform file not scrambled"; fi
if "$pack" inform -o none.inf news.txt 2>err.log; then fail "inform without a token accepted"; fi
echo "wexlin-pack command line: ok"
