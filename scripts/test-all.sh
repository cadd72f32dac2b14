#!/usr/bin/env bash
# Builds everything (native, fuzz, Windows x86_64 and i686) and runs every test.
#
# The suites run one after the other: the Windows tests measure their waits against bounds, and
# beside compilers and fuzzers on two cores they failed now and then. Each suite is quick enough
# on its own (the Windows tests run at the stub's test pace, see README).
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
# minutes). Only where it cannot be built at all (no wine, not root: status 3) do those tests
# skip; a build that fails on a machine that could build it fails the run.
x11_status=0
"$root/scripts/build-wine-x11-driver.sh" || x11_status=$?
case $x11_status in
  0) ;;
  3) echo "test-all: no rebuilt X11 driver for wine here; the Wine tests of the bars and pop-up skip" ;;
  *) echo "test-all: the X11 driver for wine failed to build" >&2; exit 1 ;;
esac
build win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"
build win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake"

# One display and one wineserver serve every test. The ctest logs and each GoogleTest binary's
# XML report (a folder per suite) let the summary name every skipped test; Windows programs get
# the folder as Z:, wine's drive for /, whatever their own folder.
logs=$root/build/test-logs
rm -rf "$logs"
mkdir -p "$logs/gtest/native" "$logs/gtest/win64"
"$root/scripts/with-display.sh" bash -c '
  set -e
  GTEST_OUTPUT="xml:'"$logs"'/gtest/native/" \
    ctest --test-dir build/native --output-on-failure -j '"$jobs"' --output-log '"$logs"'/native.log
  ctest --test-dir build/fuzz --output-on-failure -j '"$jobs"' --output-log '"$logs"'/fuzz.log
  # Of the i686 build, the shipped one, only the size of the stub is checked.
  ctest --test-dir build/win32 -L size --output-on-failure --output-log '"$logs"'/win32.log
  GTEST_OUTPUT="xml:Z:'"$logs"'/gtest/win64/" \
    ctest --test-dir build/win64 --output-on-failure --output-log '"$logs"'/win64.log
'
"$root/scripts/skipped-tests.sh" "$logs"
echo "test-all: every test passed"
