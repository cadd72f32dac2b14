#!/usr/bin/env bash
# Builds everything (native, fuzz, Windows x86_64 and i686) and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"

jobs=$(nproc)
build() { # build DIR [cmake args...]
  local dir=$1; shift
  cmake -S "$root" -B "$root/build/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$root/build/$dir" -j "$jobs"
}

build native
build fuzz -DTOLVANE_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
for arch in x86_64 i686; do
  "$root/scripts/build-freeglut-mingw.sh" "$arch"
  "$root/scripts/build-libsodium-mingw.sh" "$arch"
done
# Wine's X11 driver for the tests of the Windows viewer's sub-windows (cached; once two to three
# minutes). Where it cannot be built those tests skip themselves.
"$root/scripts/build-wine-x11-driver.sh" ||
  echo "test-all: no rebuilt X11 driver for wine; the Wine tests of the bars and pop-up skip"
build win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
build win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake"

# One display and one wineserver serve every test; Windows tests run serially after the rest.
"$root/scripts/with-display.sh" bash -c '
  set -e
  ctest --test-dir build/native --output-on-failure -j '"$jobs"'
  ctest --test-dir build/fuzz --output-on-failure
  ctest --test-dir build/win64 --output-on-failure
'
echo "test-all: every test passed"
