#!/usr/bin/env bash
# Builds Tolvane and its content, then starts it in the run folder (model, textures, data/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j "$(nproc)" --target tolvane run_folder
cd "$build/run"
exec "$build/viewer/shell/tolvane" "$@"
