#!/usr/bin/env bash
# Runs a command with one Xvfb display and one persistent wineserver for its whole duration, then
# stops both. Usage: scripts/with-display.sh CMD [ARG...]
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"

# Inside a run already (a test that runs documented commands): its display and wineserver serve.
if [ -n "${WEXLIN_WITH_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then exec "$@"; fi

# The X11 driver rebuilt by scripts/build-wine-x11-driver.sh shows the GLUT sub-windows of the
# Windows viewer: when it is there, the whole run goes into a private mount namespace where it is
# bound over the system's driver. Nothing outside this run sees the change. Without it (not
# built, not root, no namespaces) the run goes on with the system's driver and the tests that
# need the rebuilt one skip themselves.
if [ -z "${WINE_X11_DRIVER_NAMESPACE:-}" ] && command -v wine >/dev/null 2>&1; then
  rebuilt=$(wine_x11_driver_cache)/winex11.so
  system_driver=$(wine_system_x11_driver || true)
  if [ -f "$rebuilt" ] && [ -n "$system_driver" ] && [ "$(id -u)" -eq 0 ] &&
     unshare -m --propagation private true 2>/dev/null; then
    export WINE_X11_DRIVER_NAMESPACE=1
    exec unshare -m --propagation private sh -c '
      mount --bind "$1" "$2" || echo "with-display: could not bind $1 over $2" >&2
      shift 2
      exec "$@"' sh "$rebuilt" "$system_driver" "$0" "$@"
  fi
fi

# Several runs may start at once: a display whose server did not come up is skipped.
xvfb_pid=
for n in $(seq 90 140); do
  { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp +extension GLX >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
    export DISPLAY=":$n"
    break
  fi
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
done
[ -n "$xvfb_pid" ] || { echo "with-display: could not start Xvfb" >&2; exit 1; }

# The prefix (and its wineserver) is shared by every run on this machine: each run holds a shared
# lock on it, and only the last one to finish stops the wineserver.
have_wine=
command -v wine >/dev/null 2>&1 && have_wine=1

cleanup() {
  if [ -n "$have_wine" ]; then
    flock -u 9
    if flock -n -x 9; then wineserver -k >/dev/null 2>&1 9>&- || true; fi
  fi
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ -n "$have_wine" ]; then
  mkdir -p "$WINEPREFIX"
  exec 9>"$WINEPREFIX.lock"
  flock -s 9
  # The lock stays with this script: a wineserver that inherited it would outlive the run.
  wine_ensure_prefix 9>&-
  wine_map_song_face 9>&-
  wine_unmanaged_windows 9>&-
  wineserver -p >/dev/null 2>&1 9>&- || true
fi

WEXLIN_WITH_DISPLAY=1 "$@" 9>&-
