#!/usr/bin/env bash
# Builds the unix side of wine's X11 driver (winex11.so) from Debian's source package of the
# installed wine, without the hunk of debian/patches/warnings/uninitialized-variables.patch that
# changes X11DRV_GetDC: with it every child window without an X window of its own draws to
# drawable 0, so an OpenGL child window (a GLUT sub-window) never shows. scripts/with-display.sh
# binds the result over the system's driver in a private mount namespace for the test run.
#
# Result: build/deps/wine-x11-VERSION/winex11.so. Cached: once it exists the script does nothing.
# Exit status 0 when the driver is there, 1 on a failed build, 3 when it cannot be built on this
# machine (no wine package, not root for the build dependencies): the Wine tests that need it
# are then skipped with a message.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
deps=$root/build/deps
jobs=${JOBS:-2}

skip() { echo "build-wine-x11-driver: $*; the Wine tests of the GLUT sub-windows will be skipped" >&2; exit 3; }

version=$(wine_x11_driver_version) || skip "no libwine package installed"
system_driver=$(wine_system_x11_driver) || skip "libwine $version has no x86_64 winex11.so"
out=$(wine_x11_driver_cache)
[ -f "$out/winex11.so" ] && exit 0

mkdir -p "$deps"
exec 9>"$deps/.wine-x11.lock"
flock 9
[ -f "$out/winex11.so" ] && exit 0

# Only what configure needs to find the driver's X extensions, GL and Vulkan as Debian's build
# did, and the generators of the headers that the source package leaves out.
build_deps=(autoconf autotools-dev flex bison khronos-api libxml-libxml-perl python3
            libx11-dev libxext-dev libxrender-dev libxrandr-dev libxi-dev libxcursor-dev
            libxinerama-dev libxcomposite-dev libxxf86vm-dev libxfixes-dev libgl-dev
            libvulkan-dev)
missing=()
for p in "${build_deps[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  [ "$(id -u)" -eq 0 ] || skip "not root: cannot install ${missing[*]}"
  echo "build-wine-x11-driver: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}" >/dev/null
fi

start=$(date +%s)
work=$deps/build/wine-x11
rm -rf "$work" "$out.tmp"
mkdir -p "$work"
. "$root/scripts/debian-source.sh"
fetch_debian_source "$deps" "wine=$version" "$work" >/dev/null ||
  { echo "build-wine-x11-driver: no source of wine $version" >&2; exit 1; }
src=$(find "$work" -maxdepth 1 -type d -mindepth 1 -name 'wine-[0-9]*' | head -n 1)
[ -n "$src" ] && [ -f "$src/configure.ac" ] ||
  { echo "build-wine-x11-driver: the wine source did not unpack" >&2; exit 1; }
cd "$src"

# The window.c part of the patch is that one hunk; taking it back restores upstream's code.
awk '/^--- a\/dlls\/winex11.drv\/window.c/ { p = 1; print; next }
     p && /^--- a\// { p = 0 }
     p' debian/patches/warnings/uninitialized-variables.patch >"$work/getdc.patch"
grep -q 'X11DRV_GetDC' "$work/getdc.patch" ||
  { echo "build-wine-x11-driver: the X11DRV_GetDC hunk is not in the patch" >&2; exit 1; }
patch -R -p1 --quiet <"$work/getdc.patch"

# The preparation of debian/rules that the driver's headers and the makefiles need.
./debian/scripts/generate server/trace.generated make_requests
./debian/scripts/generate server/request.generated make_requests
./tools/make_requests >/dev/null
(cd dlls/opengl32 && ./make_opengl >/dev/null)
(cd dlls/winevulkan && ./make_vulkan -x /usr/share/vulkan/registry/vk.xml >/dev/null)
ln -sf /usr/share/misc/config.sub tools
ln -sf /usr/share/misc/config.guess tools
grep -E '^\s+ln -sf \.\./\.\./' debian/rules | sed 's/^\s*//' | sh -e
autoconf
autoheader
# The makefile generator wants every listed source to exist; the unicode tables (an expensive
# generator) and the tests' data are not part of the driver, so empty files stand in.
find . -name Makefile.in -not -path './debian/*' -not -path './.pc/*' -print0 |
  xargs -0 awk '
    function flush(  i) { for (i = 1; i <= count; i++) print dir "|" parent "|" word[i]; count = 0 }
    FNR == 1 { flush(); dir = FILENAME; sub(/\/Makefile\.in$/, "", dir); parent = ""; p = 0 }
    /^PARENTSRC[ \t]*=/ { parent = $0; sub(/^PARENTSRC[ \t]*=[ \t]*/, "", parent) }
    /^[A-Z_]*(SRCS|SOURCES|MANPAGES)[ \t]*=/ { p = 1; sub(/^[A-Z_]+[ \t]*=/, "") }
    p {
      line = $0; more = line ~ /\\$/; gsub(/\\/, " ", line)
      n = split(line, w, /[ \t]+/)
      for (i = 1; i <= n; i++) if (w[i] != "" && w[i] !~ /\$/) word[++count] = w[i]
      if (!more) p = 0
    }
    END { flush() }' |
  while IFS="|" read -r d parent f; do
    [ -e "$d/$f" ] || { [ -n "$parent" ] && [ -e "$d/$parent/$f" ]; } && continue
    mkdir -p "$(dirname "$d/$f")"
    : >"$d/$f"
  done
./configure --enable-win64 --without-mingw --disable-tests CFLAGS="-O2 -g0" >"$work/configure.log" 2>&1 ||
  { tail -n 20 "$work/configure.log" >&2; exit 1; }
grep -q '^#define SONAME_LIBX11 ' include/config.h ||
  { echo "build-wine-x11-driver: configure found no X11" >&2; exit 1; }
# The driver links against the unix sides of ntdll and win32u: the installed ones, which it
# will run with, stand in for building them.
unix_libs=$(dirname "$system_driver")
cp "$unix_libs/ntdll.so" dlls/ntdll/ntdll.so
cp "$unix_libs/win32u.so" dlls/win32u/win32u.so
# Bison's rules name the .c and the .h as two targets of one run: a parallel make may run it
# twice at once and leave a broken header ("unterminated #ifndef"). The parsers come first,
# one at a time; a failed parallel build is tried once more serially.
parsers=()
while IFS= read -r y; do parsers+=("${y%.y}.tab.h"); done < <(find tools -name '*.y' | sort)
make -j1 "${parsers[@]}" >"$work/make.log" 2>&1 || { tail -n 30 "$work/make.log" >&2; exit 1; }
driver=(-o dlls/ntdll/ntdll.so -o dlls/win32u/win32u.so dlls/winex11.drv/winex11.so)
make -j "$jobs" "${driver[@]}" >>"$work/make.log" 2>&1 ||
  { echo "build-wine-x11-driver: parallel build failed; once more serially" >&2
    make -j1 "${driver[@]}" >>"$work/make.log" 2>&1; } ||
  { tail -n 30 "$work/make.log" >&2; exit 1; }

mkdir -p "$out.tmp"
install -m 644 dlls/winex11.drv/winex11.so "$out.tmp/winex11.so"
# Installed in one step so an interrupted build never looks finished.
rm -rf "$out"
mv "$out.tmp" "$out"
rm -rf "$work"
echo "build-wine-x11-driver: winex11.so of wine $version built in $(( $(date +%s) - start )) s: $out"
