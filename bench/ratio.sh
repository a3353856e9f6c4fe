#!/usr/bin/env bash
# Speed against a yardstick: Debian's stockfish on the same processor, run one after the other in pairs,
# so that a machine's own speed cancels out. For each pair it measures
#   - the search: "orvex -bench -fd 13" (and -fd 11) against stockfish's "bench 16 1 11 default depth",
#     node rates as each program reports them;
#   - perft: "orvex -perft -fd 6" against stockfish's "go perft 6", wall-clock time of the whole run;
# and prints each pair's ratio, then the median of each.
# Each orvex search run's system time is shown too: it is mostly the kernel paging in the table's 128 MiB,
# which the benchmark has done before its clock starts. On a virtual machine that gives memory freed for a
# few seconds back to its host, those pages must first be fetched back: 0.2-0.3 s a run instead of about
# 0.02 s, outside the node rate.
# Usage: bench/ratio.sh [-n PAIRS] [-c CPU] [PROGRAM]   (defaults: 3 pairs, processor 2, build/orvex)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/common.sh
pairs=3 cpu=2
bench_options "n:pairs c:cpu" "$@"
program=$(realpath "${operands[0]:-build/orvex}")
stockfish=${STOCKFISH:-/usr/games/stockfish}
[ -x "$stockfish" ] || { echo "no stockfish at $stockfish (apt-get install stockfish)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "no /usr/bin/time (apt-get install time)" >&2; exit 1; }
bench_scratch
cd "$dir"
pin=(taskset -c "$cpu")

# Prints the node rate, and the run's system time in seconds after it.
orvex_nps() {
  /usr/bin/time -f "%S" -o sys "${pin[@]}" "$program" -bench -fd "$1" >out
  echo "$(awk 'f { print $5; exit } /Total Nodes/ { f = 1 }' out) $(cat sys)"
}
stockfish_nps() { echo "bench 16 1 11 default depth" | "${pin[@]}" "$stockfish" 2>&1 | awk '/Nodes\/second/ { print $3 }'; }
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) / 1e9 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'; }
orvex_perft() { seconds "${pin[@]}" "$program" -perft -fd 6; }
stockfish_perft() { seconds sh -c "printf 'position startpos\ngo perft 6\nquit\n' | ${pin[*]} $stockfish"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >r13; : >r11; : >rperft
for i in $(seq 1 "$pairs"); do
  read -r o13 sys13 <<<"$(orvex_nps 13)"; s=$(stockfish_nps); read -r o11 sys11 <<<"$(orvex_nps 11)"
  op=$(orvex_perft); sp=$(stockfish_perft)
  r13=$(ratio "$o13" "$s"); r11=$(ratio "$o11" "$s"); rp=$(ratio "$op" "$sp")
  echo "pair $i: search -fd 13 $o13 nps (system ${sys13} s), -fd 11 $o11 nps (system ${sys11} s)," \
       "stockfish $s nps: x$r13 (-fd 13), x$r11 (-fd 11); perft 6 ${op} s, stockfish ${sp} s: x$rp the time"
  echo "$r13" >>r13; echo "$r11" >>r11; echo "$rp" >>rperft
done
echo "median: search x$(median <r13) stockfish's node rate at -fd 13, x$(median <r11) at -fd 11;" \
     "perft 6 x$(median <rperft) stockfish's time"
