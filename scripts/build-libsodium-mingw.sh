#!/usr/bin/env bash
# Cross-builds libsodium as a static library for one MinGW-w64 target from Debian's libsodium
# source package. Result: build/deps/libsodium-ARCH/{include,lib}.
# Minimal build: it keeps Ed25519 signing and verifying, SHA-512 and BLAKE2b, which is all the
# stub and the builder use, and leaves out the rest (smaller archive, faster build).
# Cached: once the library and its headers are installed the script does nothing.
# Usage: scripts/build-libsodium-mingw.sh x86_64|i686
set -euo pipefail

arch=${1:-}
case $arch in
  x86_64|i686) ;;
  *) echo "usage: $0 x86_64|i686" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
deps=$root/build/deps
prefix=$deps/libsodium-$arch
host=$arch-w64-mingw32
jobs=${JOBS:-2}
. "$root/scripts/debian-source.sh"

installed() {
  [ -f "$prefix/lib/libsodium.a" ] && [ -f "$prefix/include/sodium.h" ]
}
installed && exit 0

mkdir -p "$deps/src"
# Both architectures share one source tree; a lock keeps parallel runs from fetching it twice.
exec 9>"$deps/.libsodium.lock"
flock 9
installed && exit 0

src_dir=$(debian_source_dir "$deps" libsodium configure.ac) || exit 1
# Debian's source package carries configure.ac only; its configure comes from autoreconf.
if [ ! -x "$src_dir/configure" ]; then
  (cd "$src_dir" && autoreconf -fi >"$deps/src/libsodium-autoreconf.log" 2>&1) ||
    { tail -n 30 "$deps/src/libsodium-autoreconf.log" >&2; exit 1; }
fi

echo "build-libsodium-mingw: building $(basename "$src_dir") for $arch"
work=$deps/build/libsodium-$arch
rm -rf "$work" "$prefix.tmp"
mkdir -p "$work"
# An out-of-tree build keeps the shared source clean for the other architecture. -Os and
# function sections let the stub's link keep only the verification it calls.
(cd "$work" &&
  CC=$host-gcc-posix AR=$host-ar RANLIB=$host-ranlib \
  CFLAGS="-Os -ffunction-sections -fdata-sections" \
  "$src_dir/configure" --host="$host" --prefix="$prefix.tmp" \
    --enable-minimal --disable-shared --enable-static --disable-ssp --disable-pie \
    --with-pic=no >configure.log 2>&1) ||
  { tail -n 30 "$work/configure.log" >&2; exit 1; }
make -C "$work" -j "$jobs" >"$work/make.log" 2>&1 || { tail -n 30 "$work/make.log" >&2; exit 1; }
make -C "$work" install >>"$work/make.log" 2>&1 || { tail -n 30 "$work/make.log" >&2; exit 1; }
# Installed in one step so an interrupted build never looks finished.
rm -rf "$prefix"
mv "$prefix.tmp" "$prefix"
installed || { echo "build-libsodium-mingw: libsodium.a not installed in $prefix/lib" >&2
               ls -R "$prefix" >&2; exit 1; }
echo "build-libsodium-mingw: installed in $prefix"
