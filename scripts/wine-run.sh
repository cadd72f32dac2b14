#!/usr/bin/env bash
# Runs one Windows executable under wine; CTest uses it as the cross-compiling emulator.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
wine_ensure_prefix
# The first program that touches user32 makes wine start its desktop process, which inherits that
# program's standard handles and outlives it: CTest would wait on its output pipe until the
# timeout. Starting the desktop from a detached command first keeps CTest's pipes free.
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
exec wine "$@"
