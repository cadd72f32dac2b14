#!/usr/bin/env bash
# Builds everything (native, fuzz, Windows x86_64 and i686) and runs every test.
#
# The Windows tests run serially under one wine and spend most of their time waiting on it, so
# they start as soon as the x86_64 build is there and run beside the rest of the builds and the
# native and fuzz tests: both cores stay busy. Their output is shown when they end.
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

logs=$root/build/test-logs
rm -rf "$logs"
mkdir -p "$logs/gtest/native" "$logs/gtest/win64"

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
"$root/scripts/build-freeglut-mingw.sh" x86_64
"$root/scripts/build-libsodium-mingw.sh" x86_64
build win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake"

# One display and one wineserver serve every Windows test. The ctest logs and each GoogleTest
# binary's XML report let the summary name every skipped test; Windows programs get the folder
# as Z:, wine's drive for /, whatever their own folder.
echo "test-all: the Windows tests run under wine beside the rest (their output: $logs/win64.out)"
# Their own session, so that an interrupted run stops the whole of it (display, wine, tests).
setsid "$root/scripts/with-display.sh" env GTEST_OUTPUT="xml:Z:$logs/gtest/win64/" \
  ctest --test-dir build/win64 --output-on-failure --output-log "$logs/win64.log" \
  >"$logs/win64.out" 2>&1 &
wine_pid=$!
trap 'kill -- "-$wine_pid" 2>/dev/null || true' EXIT

# In the background only so that errexit holds inside (a subshell tested with || ignores it).
# At a lower priority: the Windows tests measure their waits against bounds and must not starve
# behind a compiler.
(
  set -e
  renice -n 10 -p "$BASHPID" >/dev/null
  build native
  build fuzz -DTOLVANE_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  "$root/scripts/build-freeglut-mingw.sh" i686
  "$root/scripts/build-libsodium-mingw.sh" i686
  build win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake"
  # Of the i686 build, the shipped one, only the size of the stub is checked.
  ctest --test-dir build/win32 -L size --output-on-failure --output-log "$logs/win32.log"
  "$root/scripts/with-display.sh" env GTEST_OUTPUT="xml:$logs/gtest/native/" \
    ctest --test-dir build/native --output-on-failure -j "$jobs" --output-log "$logs/native.log"
  ctest --test-dir build/fuzz --output-on-failure -j "$jobs" --output-log "$logs/fuzz.log"
) &
others_pid=$!
others_status=0
wait "$others_pid" || others_status=$?

wine_status=0
wait "$wine_pid" || wine_status=$?
trap - EXIT
echo "test-all: the Windows tests under wine:"
cat "$logs/win64.out"

if [ "$others_status" -ne 0 ] || [ "$wine_status" -ne 0 ]; then
  echo "test-all: FAILED (builds and native tests: status $others_status; Windows tests: status $wine_status)" >&2
  exit 1
fi
"$root/scripts/skipped-tests.sh" "$logs"
echo "test-all: every test passed"
