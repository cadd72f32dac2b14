#!/usr/bin/env bash
# Download figures over 127.0.0.1: nginx (started and stopped by serve_and_run.py, as for the
# network wine tests) serves a file of MB megabytes; download_bench.exe prints the stub's own
# download against a plain WinINet loop, then curl fetches the same file natively.
# Usage: tests/bench/download_bench.sh [BUILD_DIR] [MB] [ROUNDS] [BENCH_EXE]
# (BUILD_DIR: build/win64; BENCH_EXE: its download_bench.exe, or one built from an earlier commit)
# Run it inside scripts/with-display.sh (the stub window needs a display).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
megabytes=${2:-200}
rounds=${3:-5}
bench=$(realpath "${4:-$build/tests/bench/download_bench.exe}")
[ -f "$bench" ] || { echo "download_bench: build it first (cmake --build $build --target download_bench)" >&2; exit 1; }
work=$build/tests/bench/download_bench.work
mkdir -p "$work/out"

# Everything below runs between the servers: serve_and_run.py stops them on every way out and
# bounds the whole run (540 s).
exec python3 "$root/stub/wine-tests/net/serve_and_run.py" --docroot "$work/www" \
  --prefix "$work/nginx" -- bash -c '
set -euo pipefail
root=$1 bench=$2 out=$3 megabytes=$4 rounds=$5
head -c "$((megabytes << 20))" /dev/urandom > "$WEXLIN_TEST_DOCROOT/big.bin"
"$root/scripts/wine-run.sh" "$bench" "$WEXLIN_TEST_HTTP/big.bin" "Z:$out" "$rounds" 2>/dev/null
speeds=()
for _ in $(seq "$rounds"); do
  speeds+=("$(curl -s --noproxy "*" --max-time 120 -o "$out/curl.bin" -w "%{speed_download}" \
    "$WEXLIN_TEST_HTTP/big.bin")")
done
rm -f "$out/curl.bin" "$WEXLIN_TEST_DOCROOT/big.bin"
printf "%s\n" "${speeds[@]}" | sort -g | awk -v n="$rounds" "
  { v[NR] = \$1 / 1048576 }
  END { m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        printf \"curl, natively: %8.1f MB/s median of %d\n\", m, n }"
' bash "$root" "$bench" "$work/out" "$megabytes" "$rounds"
