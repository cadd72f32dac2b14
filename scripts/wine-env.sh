# Sourced by the scripts that run Windows programs: one prefix inside the build folder, code page
# 936 (from the zh_CN locale; a test may name another locale in WINE_LC_ALL), no debug chatter
# and no Mono/Gecko installer prompts.
root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root_dir/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=${WINE_LC_ALL:-zh_CN.UTF-8}

# Created once, under a lock: concurrent first runs must not both run wineboot.
wine_ensure_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$WINEPREFIX"
  (
    flock -x 8
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wine wineboot --init >/dev/null 2>&1 8>&- || true
      wineserver -w 8>&-
    fi
  ) 8>"$WINEPREFIX/.init.lock"
}

# The X11 driver rebuilt by scripts/build-wine-x11-driver.sh for the installed wine, and the
# system file it stands in for.
wine_x11_driver_version() { dpkg-query -W -f='${Version}' libwine 2>/dev/null | grep .; }
wine_system_x11_driver() { dpkg -L libwine 2>/dev/null | grep '/x86_64-unix/winex11\.so$' | head -n 1 | grep .; }
wine_x11_driver_cache() {
  echo "$root_dir/build/deps/wine-x11-$(wine_x11_driver_version | tr -c 'A-Za-z0-9.+\n-' _)"
}

# True when this process sees the rebuilt X11 driver in place of the system's (with-display.sh).
wine_x11_driver_bound() {
  local system_driver rebuilt
  system_driver=$(wine_system_x11_driver) || return 1
  rebuilt=$(wine_x11_driver_cache)/winex11.so
  [ -f "$rebuilt" ] && cmp -s "$rebuilt" "$system_driver"
}

# The prefix has no face 宋体 (SimSun): GDI would draw the viewer's texts in a fallback with
# broken glyphs. A font replacement makes an installed CJK TrueType family answer to both names,
# as an installed face would (GetTextFace names it 宋体). AR PL UMing is a Ming (Song) face like
# the one asked for, and the Linux build's choice for it too; WenQuanYi Zen Hei stands in
# without it. Done once per prefix.
wine_map_song_face() {
  local marker=$WINEPREFIX/.song-face-mapped family
  [ -f "$marker" ] && return 0
  family=$(fc-list : family 2>/dev/null | tr ',' '\n' | grep -x -m 1 -e 'AR PL UMing CN') ||
    family=$(fc-list : family 2>/dev/null | tr ',' '\n' | grep -x -m 1 -e 'WenQuanYi Zen Hei') ||
    { echo "wine-env: no CJK TrueType face installed for 宋体" >&2; return 0; }
  local key='HKCU\Software\Wine\Fonts\Replacements' name
  for name in 宋体 SimSun; do
    wine reg add "$key" /v "$name" /t REG_SZ /d "$family" /f >/dev/null 2>&1 || return 0
  done
  echo "$family" >"$marker"
}

# Xvfb runs no window manager, yet wine treats captioned top-level windows as managed and, on
# every unmap, waits two seconds for a manager's answer that never comes: each closed window or
# box would cost the tests that long. Unmanaged windows are what this display really has. The
# viewer (Tolvane.exe) stays managed: its tests look at its X window as a desktop's window
# manager would frame it, the client area alone. Done once per prefix.
wine_unmanaged_windows() {
  local marker=$WINEPREFIX/.windows-unmanaged-but-viewer
  [ -f "$marker" ] && return 0
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\AppDefaults\Tolvane.exe\X11 Driver' /v Managed /t REG_SZ \
      /d Y /f >/dev/null 2>&1 || return 0
  : >"$marker"
}
