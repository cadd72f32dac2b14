#!/usr/bin/env bash
# Builds Tolvane and its content, then starts it in the run folder (model, textures, data/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/native" -G Ninja >/dev/null
cmake --build "$root/build/native" -j "$(nproc)" --target tolvane run_folder
cd "$root/build/native/run"
exec "$root/build/native/viewer/shell/tolvane" "$@"
