# Sourced by the scripts that run Windows programs: one prefix inside the build folder, code page
# 936 (from the zh_CN locale), no debug chatter and no Mono/Gecko installer prompts.
root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root_dir/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=zh_CN.UTF-8

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
