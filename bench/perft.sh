#!/usr/bin/env bash
# Perft speed: total nodes per second of perft 6 from the start position and perft 5 from Kiwipete,
# each a single run of the program on one core.
# Usage: bench/perft.sh [PROGRAM...]   (default: build/orvex; e.g. "qemu-i386 build32/orvex32")
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
# No options: every argument is a word of the command.
operands=("$@")
bench_program build/orvex
bench_scratch

measure() {
  local name=$1 fen=$2 depth=$3 expected=$4
  printf '%s\n' "$fen" >"$dir/position.fen"
  local start end out total
  start=$(date +%s%N)
  out=$(cd "$dir" && "${program[@]}" -lpf position.fen -perft -fd "$depth" </dev/null)
  end=$(date +%s%N)
  total=$(sed -n "s/^\([0-9]*\) Total Nodes at Depth = $depth$/\1/p" <<<"$out")
  if [ "$total" != "$expected" ]; then
    echo "$name: wrong count: $total total nodes, expected $expected" >&2
    exit 1
  fi
  awk -v name="$name" -v d="$depth" -v n="$total" -v ns=$((end - start)) 'BEGIN {
    s = ns / 1e9
    printf "%-12s perft %d  %11d total nodes  %7.3f s  %6.2f M nodes/s\n", name, d, n, s, n / s / 1e6
  }'
}

measure "start" "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1" 6 124132536
measure "kiwipete" "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1" 5 197475891
