#!/usr/bin/env bash
# Runs two frame_bench programs in turn, A B A B ..., on one run folder and prints, per view,
# the median over the runs of each program's median frame time and their ratio B/A. Run it under
# scripts/with-display.sh:
#   frame_bench_vs.sh BEFORE_BENCH AFTER_BENCH RUN_FOLDER [RUNS] [FRAMES]
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 BEFORE_BENCH AFTER_BENCH RUN_FOLDER [RUNS] [FRAMES]" >&2
  exit 2
fi
a=$1 b=$2 folder=$3 runs=${4:-7} frames=${5:-200}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for i in $(seq "$runs"); do
  for side in a b; do
    bench=$a
    [ "$side" = b ] && bench=$b
    # Each line: "search view, ..." or "meridian view 7 (...)", then "median <ms> ms".
    "$bench" "$folder" --frames "$frames" | awk -v side="$side" '
      / view/ && /median/ {
        view = /^search/ ? "search" : "meridian"
        for (f = 1; f < NF; ++f) if ($f == "median") print side, view, $(f + 1)
      }' >>"$out/figures"
  done
done

awk -v runs="$runs" '
  function median(key,   n, i, j, t, v) {
    n = split(list[key], v, " ")
    for (i = 2; i <= n; ++i)
      for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  { list[$1 " " $2] = list[$1 " " $2] " " $3 }
  END {
    printf "median of %d runs each (ms)   before    after   after/before\n", runs
    split("search meridian", views, " ")
    for (k = 1; k <= 2; ++k) {
      ma = median("a " views[k]); mb = median("b " views[k])
      printf "%-28s %8.3f %8.3f   %6.2f\n", views[k] " view", ma, mb, mb / ma
    }
  }' "$out/figures"
