#!/usr/bin/env bash
# One perft count through the program: loads the FEN with -lpf and checks both report lines.
# Usage: perft_row.sh FEN DEPTH LEAF TOTAL PROGRAM...
set -u
fen=$1 depth=$2 leaf=$3 total=$4
shift 4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
printf '%s\n' "$fen" > position.fen
out=$("$@" -lpf position.fen -perft -fd "$depth" </dev/null)
status=$?
if [ $status -ne 0 ]; then
  echo "exit status $status"; echo "$out"; exit 1
fi
if ! grep -qx "$total Total Nodes at Depth = $depth" <<<"$out" ||
   ! grep -qx "$leaf Leaf Nodes at Depth = $depth" <<<"$out"; then
  echo "expected $total total and $leaf leaf nodes for: $fen (depth $depth)"
  echo "$out"
  exit 1
fi
