#!/usr/bin/env bash
# Cross-builds freeglut as a static library for one MinGW-w64 target from Debian's freeglut source
# package, with the project's own toolchain files. Result: build/deps/freeglut-ARCH/{include,lib}.
# Cached: once the library and its headers are installed the script does nothing.
# Usage: scripts/build-freeglut-mingw.sh x86_64|i686
set -euo pipefail

arch=${1:-}
case $arch in
  x86_64|i686) ;;
  *) echo "usage: $0 x86_64|i686" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
deps=$root/build/deps
prefix=$deps/freeglut-$arch
toolchain=$root/cmake/toolchain-$arch-w64-mingw32.cmake
jobs=${JOBS:-2}

installed() {
  [ -f "$prefix/lib/libfreeglut_static.a" ] && [ -f "$prefix/include/GL/freeglut.h" ] &&
    [ -f "$prefix/include/GL/glut.h" ]
}
installed && exit 0

mkdir -p "$deps/src"
# Both architectures share one source tree; a lock keeps parallel runs from fetching it twice.
exec 9>"$deps/.freeglut.lock"
flock 9
installed && exit 0

# The first deb line of the machine's own apt configuration (one-line or deb822 form) gives the
# mirror and the release; the security and update suites carry no freeglut source.
apt_mirror_and_suite() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '$1 == "deb" {
           i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
           if ($(i+1) !~ /-(security|updates|backports)/) { print $i, $(i+1); exit }
         }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
         {
           types = uris = suites = ""
           for (n = 1; n <= NF; n++) {
             if ($n ~ /^Types:/)  { types = $n;  sub(/^Types:[ \t]*/, "", types) }
             if ($n ~ /^URIs:/)   { uris = $n;   sub(/^URIs:[ \t]*/, "", uris) }
             if ($n ~ /^Suites:/) { suites = $n; sub(/^Suites:[ \t]*/, "", suites) }
           }
           if (types ~ /(^| )deb( |$)/ && uris != "" && suites != "") {
             split(uris, u, " "); split(suites, s, " ")
             if (s[1] !~ /-(security|updates|backports)/) { print u[1], s[1]; exit }
           }
         }' "$f"
  done
}

src_dir=$(find "$deps/src" -maxdepth 1 -type d -name 'freeglut-[0-9]*' | sort | tail -n 1)
if [ -z "$src_dir" ] || [ ! -f "$src_dir/CMakeLists.txt" ]; then
  read -r mirror suite < <(apt_mirror_and_suite | head -n 1) || true
  if [ -z "${mirror:-}" ] || [ -z "${suite:-}" ]; then
    echo "build-freeglut-mingw: no Debian mirror found in /etc/apt/sources.list*" >&2
    exit 1
  fi
  echo "build-freeglut-mingw: fetching the freeglut source from $mirror $suite"
  # A private source list, package lists and cache: nothing of the system's apt state changes.
  apt_dir=$deps/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  if [ -f "$keyring" ]; then
    echo "deb-src [signed-by=$keyring] $mirror $suite main" >"$apt_dir/sources.list"
  else
    echo "deb-src $mirror $suite main" >"$apt_dir/sources.list"
  fi
  apt_opts=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=-"
            -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
            -o "APT::Sandbox::User=root")
  apt-get "${apt_opts[@]}" -qq update
  (cd "$deps/src" && apt-get "${apt_opts[@]}" -qq source freeglut)
  src_dir=$(find "$deps/src" -maxdepth 1 -type d -name 'freeglut-[0-9]*' | sort | tail -n 1)
  [ -n "$src_dir" ] && [ -f "$src_dir/CMakeLists.txt" ] || {
    echo "build-freeglut-mingw: the freeglut source did not unpack" >&2; exit 1; }
fi

echo "build-freeglut-mingw: building $(basename "$src_dir") for $arch"
work=$deps/build/freeglut-$arch
rm -rf "$work" "$prefix.tmp"
cmake -S "$src_dir" -B "$work" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix.tmp" \
  -DFREEGLUT_BUILD_SHARED_LIBS=OFF \
  -DFREEGLUT_BUILD_STATIC_LIBS=ON \
  -DFREEGLUT_BUILD_DEMOS=OFF \
  -DFREEGLUT_GLES=OFF >/dev/null
cmake --build "$work" -j "$jobs" >/dev/null
cmake --install "$work" >/dev/null
# On Windows freeglut installs only GL/freeglut.h; its GL/glut.h lets the viewer include the same
# header on every platform.
install -m 644 "$src_dir/include/GL/glut.h" "$prefix.tmp/include/GL/glut.h"
# Installed in one step so an interrupted build never looks finished.
rm -rf "$prefix"
mv "$prefix.tmp" "$prefix"
installed || { echo "build-freeglut-mingw: libfreeglut_static.a not installed in $prefix/lib" >&2
               ls -R "$prefix" >&2; exit 1; }
echo "build-freeglut-mingw: installed in $prefix"
