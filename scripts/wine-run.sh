#!/usr/bin/env bash
# Runs one Windows executable under wine; CTest uses it as the cross-compiling emulator.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
wine_ensure_prefix
exec wine "$@"
