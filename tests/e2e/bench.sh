#!/usr/bin/env bash
# The benchmark reports through the program, and the bench signature: the total node count of
# "-bench -fd DEPTH", which every build (64-bit, 32-bit, sanitizer) must print exactly.
# Usage: bench.sh SIGNATURE_FILE PROGRAM...
set -u
source "$(dirname "${BASH_SOURCE[0]}")/expect.sh"
signature_file=$(realpath "$1")
shift
program=("$@")
# The benchmark can take minutes on a slow or sanitizer build.
run_timeout=500
read -r depth signature < <(grep -v '^#' "$signature_file")
enter_scratch_dir

# Benchmarks read no start-up word: a pipe that stays open must not hold them up.
hold_open_pipe 600

# check_report NAME INDEX: the five report lines from line INDEX on; sets "total" to the node count
check_report() {
  local name=$1 i=$2
  total=-1 hits=0 misses=0 pawn_attempts=0
  expect_text "$name" "$i" "    Time Interior Nodes Quiesce Nodes Total Nodes        NPS"
  # Fields right-aligned in widths 8, 12, 14, 14 and 12; the rate is (total / ms) * 1000.
  local numbers=${lines[$((i + 1))]-} ms interior quiesce nps
  if [[ ! $numbers =~ ^[\ 0-9]{60}$ ]]; then
    fail "$name: numbers line '$numbers'"
    return
  fi
  read -r ms interior quiesce total nps <<<"$numbers"
  [ "$(printf '%8d%12d%14d%14d%12d' "$ms" "$interior" "$quiesce" "$total" "$nps")" = "$numbers" ] ||
    fail "$name: numbers line '$numbers' is not right-aligned in its widths"
  [ "$ms" -ge 1 ] || fail "$name: time $ms ms"
  [ $((interior + quiesce)) -eq "$total" ] || fail "$name: $interior + $quiesce is not $total"
  [ $((total / ms * 1000)) -eq "$nps" ] || fail "$name: rate $nps for $total nodes in $ms ms"
  [[ ${lines[$((i + 2))]-} =~ ^Leaf\ Interior\ Nodes\ searched\ =\ [0-9]+$ ]] ||
    fail "$name: leaf line '${lines[$((i + 2))]-}'"
  local tt=${lines[$((i + 3))]-}
  if [[ $tt =~ ^Transposition\ Table\ Hits\ ([0-9]+)\ \ Misses\ \ ([0-9]+)\ \ Ratio\ =\ ([0-9]+)$ ]]; then
    local h=${BASH_REMATCH[1]} m=${BASH_REMATCH[2]} r=${BASH_REMATCH[3]} probes
    probes=$((h + m))
    [ "$probes" -gt 0 ] || probes=1
    [ $((h * 100 / probes)) -eq "$r" ] || fail "$name: ratio in '$tt'"
    hits=$h misses=$m
  else
    fail "$name: table line '$tt'"
  fi
  local pawn=${lines[$((i + 4))]-}
  if [[ $pawn =~ ^Pawn\ misses\ ([0-9]+)\ Pawn\ attempts\ ([0-9]+)\ Pawn\ miss\ rate\ =\ (.+)$ ]]; then
    local pm=${BASH_REMATCH[1]} pa=${BASH_REMATCH[2]} rate=${BASH_REMATCH[3]}
    [ "$pm" -le "$pa" ] || fail "$name: more pawn misses than attempts in '$pawn'"
    [ "$rate" = "$(awk -v m="$pm" -v a="$pa" 'BEGIN { printf "%g", a ? m * 100.0 / a : 0 }')" ] ||
      fail "$name: miss rate in '$pawn'"
    pawn_attempts=$pa
  else
    fail "$name: pawn line '$pawn'"
  fi
}

run "bench" 0 open-pipe -bench -fd "$depth"
expect_text "bench" 0 "Orvex "
expect_text "bench" 1 "Running benchmark 1 2 3 4 5 6"
check_report "bench" 2
[ "${#lines[@]}" -eq 7 ] || fail "bench: ${#lines[@]} lines, expected 7"
[ "$total" = "$signature" ] ||
  fail "bench signature: $total nodes at depth $depth, expected $signature (see README.md, Benchmark)"
# One banner per position in the log, in order.
[ "$(grep -o '^======== Pos [0-9] =======$' match.log | tr -dc '0-9')" = "123456" ] ||
  fail "bench: position banners in match.log"

# "-satrain" is the benchmark under another name.
run "satrain" 0 open-pipe -satrain -fd "$depth"
expect_text "satrain" 1 "Running benchmark 1 2 3 4 5 6"
check_report "satrain" 2
[ "$total" = "$signature" ] || fail "satrain: $total nodes, expected $signature"

run "bench2" 0 open-pipe -bench2 -fd "$depth"
expect_text "bench2" 0 "Orvex "
expect_text "bench2" 1 "Running benchmark "
expect_text "bench2" 2 "Progressive Deepening"
check_report "bench2 first" 3
first_probes=$((hits + misses)) first_pawn=$pawn_attempts
expect_text "bench2" 8 "Running benchmark "
expect_text "bench2" 9 "Search Exact Depth"
check_report "bench2 second" 10
[ "${#lines[@]}" -eq 15 ] || fail "bench2: ${#lines[@]} lines, expected 15"
# The table and pawn-hash counters run on over both reports.
[ $((hits + misses)) -ge "$first_probes" ] && [ "$pawn_attempts" -ge "$first_pawn" ] ||
  fail "bench2: the second report's table or pawn counters are below the first's"

# The exact-depth half needs a depth.
run "bench2 without depth" 1 open-pipe -bench2
[[ ${lines[1]-} == "ERROR: "* ]] || fail "bench2 without depth: no ERROR line"
[ "${#lines[@]}" -eq 2 ] || fail "bench2 without depth: ${#lines[@]} lines, expected 2"

finish
