#!/usr/bin/env bash
# Builds Tolvane and its content, then starts it in the run folder (model, textures, data/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/native"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
targets=(tolvane)
# The content generator may not be part of the tree yet; the viewer then starts on an empty
# folder and reports the missing files on its console.
if ninja -C "$build" -t targets all 2>/dev/null | grep -q '^run_folder:'; then
  targets+=(run_folder)
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
mkdir -p "$build/run"
cd "$build/run"
exec "$build/viewer/shell/tolvane" "$@"
