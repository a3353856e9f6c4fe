#!/usr/bin/env bash
# Search speed: runs the program's benchmark ("-bench -fd DEPTH") a few times and prints the time, the
# node count and the node rate of each run, then the median rate. The node count must be the same in
# every run; at the depth of tests/e2e/bench_signature.txt it must also equal the signature. The time
# covers the searches and the table's clears; the benchmark pages the table in before its clock starts.
# Usage: bench/search.sh [-d DEPTH] [-n RUNS] [PROGRAM...]
#        (defaults: depth 8, 5 runs, build/orvex; e.g. "qemu-i386 build32/orvex32")
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
depth=8 runs=5
bench_options "d:depth n:runs" "$@"
bench_program build/orvex
read -r signature_depth signature < <(grep -v '^#' tests/e2e/bench_signature.txt)
bench_scratch

rates=()
first_total=""
for run in $(seq 1 "$runs"); do
  out=$(cd "$dir" && "${program[@]}" -bench -fd "$depth" </dev/null)
  # The line after the report's header: time, interior, quiesce, total, rate.
  read -r ms _ _ total nps < <(grep -A1 '^    Time Interior Nodes' <<<"$out" | tail -n 1)
  if [ -z "$first_total" ]; then first_total=$total; fi
  if [ "$total" != "$first_total" ]; then
    echo "run $run: $total nodes, the first run searched $first_total" >&2
    exit 1
  fi
  if [ "$depth" = "$signature_depth" ] && [ "$total" != "$signature" ]; then
    echo "run $run: $total nodes, the bench signature at depth $depth is $signature" >&2
    exit 1
  fi
  printf 'run %d  depth %d  %11d nodes  %8d ms  %10d nodes/s\n' "$run" "$depth" "$total" "$ms" "$nps"
  rates+=("$nps")
done
printf '%s\n' "${rates[@]}" | sort -n | awk '{ r[NR] = $1 } END {
  printf "median %d nodes/s over %d runs\n", NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2, NR
}'
