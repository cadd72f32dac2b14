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
. "$root/scripts/debian-source.sh"

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

src_dir=$(debian_source_dir "$deps" freeglut CMakeLists.txt) || exit 1

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
