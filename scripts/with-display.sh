#!/usr/bin/env bash
# Runs a command with one Xvfb display and one persistent wineserver for its whole duration, then
# stops both. Usage: scripts/with-display.sh CMD [ARG...]
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"

display=
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "with-display: no free X display number" >&2; exit 1; }

Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp +extension GLX >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if command -v wine >/dev/null 2>&1; then
  wine_ensure_prefix
  wineserver -p >/dev/null 2>&1 || true
fi

"$@"
