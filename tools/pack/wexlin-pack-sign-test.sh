#!/usr/bin/env bash
# wexlin-pack's key commands: keygen, sign, verify and the update key of a build.
# Usage: wexlin-pack-sign-test.sh WEXLIN_PACK WORK_DIR
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/pack_test_lib.sh"
# refused FILE REASON: verify refuses FILE with exactly that reason.
refused() {
  if "$pack" verify --key pub.pub "$1" >verify.log; then fail "$1 passed: $(cat verify.log)"; fi
  grep -qx "$1: REFUSED ($2)" verify.log || { cat verify.log; fail "$1 not refused as: $2"; }
}
# A .sig with one byte of the decoded signature flipped (byte 20: inside the Ed25519 part).
flip_sig_byte() {
  python3 -c 'import base64,sys; b=bytearray(base64.b64decode(open(sys.argv[1]).read()));
b[int(sys.argv[2])]^=1; print(base64.b64encode(bytes(b)).decode())' "$1" "$2"
}

"$pack" keygen --out pub >keygen.log
[ "$(stat -c %a pub.key)" = 600 ] || fail "secret key mode $(stat -c %a pub.key)"
[ "$(wc -l <pub.pub)" = 1 ] || fail "public key is not one line"
grep -qxF "$(cat pub.pub)" keygen.log || { cat keygen.log; fail "keygen does not print the key"; }
"$pack" keygen --out other >/dev/null

# Never overwritten: not the pair, not a lone public key file beside a new name.
before=$(cat pub.key pub.pub | cksum)
if "$pack" keygen --out pub 2>err.log; then fail "keygen overwrote a key"; fi
grep -q 'never overwritten' err.log || { cat err.log; fail "no reason for the refusal"; }
[ "$(cat pub.key pub.pub | cksum)" = "$before" ] || fail "the key files changed"
cp pub.pub lone.pub
if "$pack" keygen --out lone 2>/dev/null; then fail "keygen overwrote lone.pub"; fi
[ ! -e lone.key ] || fail "keygen wrote lone.key beside an existing lone.pub"

# Round trip: the setup, the info file and the inform file, several in one call.
head -c 200000 /dev/urandom >Setup.exe
printf '[NewSetup]\r\nVersionNew=2\r\n' >T.info
printf 'inform' >T.inf
"$pack" sign --key pub.key Setup.exe T.info T.inf >sign.log
for f in Setup.exe T.info T.inf; do
  [ "$(wc -l <"$f.sig")" = 1 ] || fail "$f.sig is not one line"
done
"$pack" verify --key pub.pub Setup.exe T.info T.inf >verify.log || { cat verify.log; fail "round trip"; }
"$pack" verify --key "$(cat pub.pub)" T.info >/dev/null || fail "key given as text refused"

# Each fault with its own reason.
cp Setup.exe flipped.exe; cp Setup.exe.sig flipped.exe.sig
printf '\x55' | dd of=flipped.exe bs=1 seek=123456 conv=notrunc status=none
cmp -s Setup.exe flipped.exe && printf '\xAA' | dd of=flipped.exe bs=1 seek=123456 conv=notrunc status=none
refused flipped.exe 'signature does not match the file'
cp Setup.exe badsig.exe; flip_sig_byte Setup.exe.sig 20 >badsig.exe.sig
refused badsig.exe 'signature does not match the file'
cp Setup.exe otherkey.exe; "$pack" sign --key other.key otherkey.exe >/dev/null
refused otherkey.exe 'signed by another key'
cp Setup.exe short.exe; head -c 60 Setup.exe.sig >short.exe.sig
refused short.exe 'signature truncated'
cp Setup.exe notb64.exe; sed 's/^\(.\{30\}\)./\1*/' Setup.exe.sig >notb64.exe.sig
refused notb64.exe 'signature not readable (not base64)'
cp Setup.exe nosig.exe
refused nosig.exe 'no signature'
: >empty.exe; cp Setup.exe.sig empty.exe.sig
refused empty.exe 'the signed file is empty'
if "$pack" sign --key pub.key empty.exe 2>err.log; then fail "an empty file was signed"; fi
# A damaged secret key signs nothing.
sed 's/^\(.\{60\}\)./\1A/;t;' pub.key >bad.key
cmp -s bad.key pub.key && sed 's/^\(.\{60\}\)./\1B/' pub.key >bad.key
if "$pack" sign --key bad.key T.inf 2>err.log; then fail "a damaged secret key signed"; fi

# The update key in the header: listed with its id; a URL without a key warns.
stand_in_stub stub.exe
"$pack" build -o signed.exe --stub stub.exe --update-url http://127.0.0.1/u/ --update-file T.dat \
  --update-token TOK --update-key pub.pub Setup.exe >/dev/null 2>err.log
[ ! -s err.log ] || { cat err.log; fail "a signed build warns"; }
"$pack" list signed.exe >list.log || { cat list.log; fail "list of the signed build"; }
key_id=$(sed -n 's/.*key id \([0-9a-f]*\)).*/\1/p' keygen.log)
grep -qF "5 update key: $(cat pub.pub) (key id $key_id)" list.log ||
  { cat list.log; fail "the update key is not listed"; }
"$pack" build -o unsigned.exe --stub stub.exe --update-url http://127.0.0.1/u/ Setup.exe \
  >/dev/null 2>err.log
grep -q 'warning: --update-url without --update-key: updates are unsigned' err.log ||
  { cat err.log; fail "no warning for an unsigned update URL"; }
"$pack" list unsigned.exe | grep -q '5 update key: (none: updates are not signed)' ||
  fail "unsigned build not listed as such"
"$pack" build -o inet.exe --stub stub.exe --internet-setup --download-url http://127.0.0.1/d/ \
  --download-file S.exe Setup.exe >/dev/null 2>err.log
grep -q 'warning: --download-url without --update-key' err.log ||
  { cat err.log; fail "no warning for an unverified internet setup"; }
"$pack" build -o inet2.exe --stub stub.exe --internet-setup --download-url http://127.0.0.1/d/ \
  --download-file S.exe --update-key pub.pub Setup.exe >/dev/null 2>err.log
[ ! -s err.log ] || { cat err.log; fail "a verified internet setup warns"; }
"$pack" build -o plain.exe --stub stub.exe Setup.exe >/dev/null 2>err.log
[ ! -s err.log ] || { cat err.log; fail "a build without updates warns"; }
if "$pack" build -o bad.exe --stub stub.exe --update-key T.inf Setup.exe 2>err.log; then
  fail "a file that is no public key was taken as the update key"
fi
grep -q 'is no public key' err.log || { cat err.log; fail "no reason for the bad key"; }
echo "wexlin-pack sign test passed"
