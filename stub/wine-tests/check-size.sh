#!/usr/bin/env bash
# Fails when a shipped executable is larger than its limit in bytes (the file as shipped:
# stripped, header moved). scripts/stub-size-map.py shows what the bytes are made of.
# Usage: check-size.sh EXE LIMIT
set -euo pipefail
exe=$1 limit=$2
[ -s "$exe" ] || { echo "check-size: $exe is missing or empty" >&2; exit 1; }
size=$(stat -c %s "$exe")
echo "$(basename "$exe"): $size bytes, limit $limit"
if [ "$size" -gt "$limit" ]; then
  echo "check-size: $(basename "$exe") is $((size - limit)) bytes over its limit" >&2
  exit 1
fi
