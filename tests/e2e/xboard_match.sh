#!/usr/bin/env bash
# A short match under the real xboard GUI (on a virtual X display): the program must play every game to a
# regular end, with one process kept for the whole match, without illegal moves, time forfeits or exits.
# Usage: xboard_match.sh PROGRAM...
# XBOARD_MATCH_OPPONENT: the second engine's command, a protocol 2 engine. The default is the program itself:
# Debian's fairymax 5.0b crashes at start-up at random and sometimes loses on time at this speed.
# XBOARD_MATCH_KEEP=1 keeps the scratch folder (debug file, PGN, each engine's match.log).
# Exit status: 0 pass, 1 fail, 77 skipped (xboard, xvfb-run or xauth missing).
set -u
games=2

xboard=$(PATH="$PATH:/usr/games" command -v xboard) || { echo "SKIP: xboard is not installed"; exit 77; }
command -v xvfb-run >/dev/null 2>&1 || { echo "SKIP: xvfb-run is not installed"; exit 77; }
command -v xauth >/dev/null 2>&1 || { echo "SKIP: xauth is not installed"; exit 77; }

dir=$(mktemp -d)
if [ "${XBOARD_MATCH_KEEP:-0}" = 1 ]; then
  echo "files kept in $dir"
else
  trap 'rm -rf "$dir"' EXIT
fi
mkdir "$dir/home" "$dir/first" "$dir/second"

# xboard splits an engine command at blanks, so the program and its arguments go through a wrapper
# that execs them: the engine keeps the wrapper's process. xboard names each engine after its command.
{
  printf '#!/bin/sh\nexec'
  printf ' %q' "$@"
  printf '\n'
} >"$dir/orvex"
chmod +x "$dir/orvex"
first="$dir/orvex"
second=${XBOARD_MATCH_OPPONENT:-$dir/orvex}
# Protocol 1 spares the wait for feature replies Orvex does not send.
second_protocol=1
[ -n "${XBOARD_MATCH_OPPONENT:-}" ] && second_protocol=2

debug="$dir/debug.txt"
pgn="$dir/games.pgn"
out="$dir/xboard.out"
start=$(date +%s)
# The flag must end a game when a clock runs out, and the engines' result claims are checked.
HOME="$dir/home" timeout 240 xvfb-run -a -e "$dir/xvfb.err" "$xboard" \
  -mg "$games" -tc 0:20 -inc 0 -autoCallFlag true -testClaims true -matchPause 1000 \
  -fcp "$first" -fd "$dir/first" -firstProtocolVersion 1 \
  -scp "$second" -sd "$dir/second" -secondProtocolVersion "$second_protocol" \
  -xexit -saveSettingsOnExit false -soundProgram '' -popupExitMessage false -popupMoveErrors false \
  -debug -nameOfDebugFile "$debug" -sgf "$pgn" >"$out" 2>&1 </dev/null
status=$?
elapsed=$(($(date +%s) - start))

failures=0
fail() {
  echo "FAIL $1"; failures=$((failures + 1))
}

[ "$status" -eq 0 ] || fail "xboard exit status $status$([ "$status" -eq 124 ] && echo ' (timed out)')"
[ -s "$debug" ] || fail "no xboard debug file"
[ -s "$pgn" ] || fail "no PGN file"
touch "$debug" "$pgn"

# What xboard writes on an illegal move, a false claim, a flag fall or an engine that exits or closes its pipes.
pattern='illegal move|illegalmove|forfeit|false [a-z-]* ?claim|(wins|loses) on time|flags? fell|exited|error (reading|writing)'
problems=$(grep -n -i -E "$pattern" "$debug" "$out")
if [ -n "$problems" ]; then
  fail "xboard reports a problem:"
  head -n 20 <<<"$problems"
  # The engine traffic just before the first report.
  line=$(grep -n -i -m 1 -E "$pattern" "$debug" | cut -d: -f1)
  if [ -n "$line" ]; then
    echo "--- debug file, lines $((line > 30 ? line - 30 : 1))-$((line + 5)):"
    sed -n "$((line > 30 ? line - 30 : 1)),$((line + 5))p" "$debug"
    echo "---"
  fi
fi

# One process per engine for the whole match.
starts=$(grep -c '^StartChildProcess' "$debug")
[ "$starts" -eq 2 ] || fail "xboard started $starts engine processes, expected 2"
for side in first second; do
  [ "$side" = second ] && [ -n "${XBOARD_MATCH_OPPONENT:-}" ] && continue
  [ -s "$dir/$side/match.log" ] || fail "no match.log in the $side engine's working folder"
done

# One line per game: result, the comment xboard gives the result, plies, white, black.
summary=$(awk '
  function finish(   s, last, t, n, i, tok, plies) {
    if (text == "") return
    s = text; last = ""
    while (match(s, /\{[^}]*\}/)) { last = substr(s, RSTART + 1, RLENGTH - 2); s = substr(s, RSTART + RLENGTH) }
    # An evaluation comment after the last move is not a reason.
    if (last ~ /^[+#-]*[0-9.]+\/[0-9]+( [0-9.:]+)?$/) last = ""
    t = text
    gsub(/\{[^}]*\}/, " ", t)
    gsub(/[0-9]+\.(\.\.)?/, " ", t)
    n = split(t, tok, /[ \t]+/); plies = 0
    for (i = 1; i <= n; i++) if (tok[i] != "" && tok[i] !~ /^(1-0|0-1|1\/2-1\/2|\*)$/) plies++
    printf "%s\t%s\t%d\t%s\t%s\n", result, last, plies, white, black
    text = ""
  }
  /^\[Event / { finish() }
  /^\[Result "/ { result = $0; sub(/^\[Result "/, "", result); sub(/"\]$/, "", result); next }
  /^\[White "/ { white = $0; sub(/^\[White "/, "", white); sub(/"\]$/, "", white); next }
  /^\[Black "/ { black = $0; sub(/^\[Black "/, "", black); sub(/"\]$/, "", black); next }
  /^\[/ || /^[ \t]*$/ { next }
  { text = text " " $0 }
  END { finish() }
' "$pgn")

# Each game's time, from its first line of engine traffic to the result xboard sends.
mapfile -t durations < <(awk '
  /^New game \(/ { g++; begun = 0 }
  g && !begun && /^[0-9]+ [<>]/ { first[g] = $1; begun = 1 }
  g && / >first : result / { last[g] = $1 }
  END { for (i = 1; i <= g; i++) printf "%.1f\n", (last[i] - first[i]) / 1000 }
' "$debug")

completed=0
number=0
while IFS=$'\t' read -r result reason plies white black; do
  [ -n "$result" ] || continue
  number=$((number + 1))
  moves=$(((plies + 1) / 2))
  echo "game $number: $white - $black $result {${reason:-no reason given}}, $moves moves ($plies plies)," \
    "${durations[number - 1]:-?} s"
  case $result in
    1-0 | 0-1 | 1/2-1/2) ;;
    *) fail "game $number has no result ($result)"; continue ;;
  esac
  if [ -z "$reason" ]; then
    fail "game $number: the PGN gives no reason for the result"
  elif grep -q -i -E 'illegal|forfeit|false|time|flag|exit|crash|abort|disconnect' <<<"$reason"; then
    fail "game $number ended irregularly: $reason"
  else
    completed=$((completed + 1))
  fi
done <<<"$summary"
[ "$completed" -eq "$games" ] || fail "$completed of $games games ended regularly"

lowest=$(grep -o -E '>(first|second): time [0-9]+' "$debug" | awk '{ if (min == "" || $NF < min) min = $NF } END { print min }')
[ -n "$lowest" ] && echo "lowest clock an engine was given: $(awk -v c="$lowest" 'BEGIN { printf "%.2f", c / 100 }') s"
grep -h '^xboard: Match' "$out"
echo "match time: $elapsed s"

if [ "$failures" -ne 0 ]; then
  echo "--- xboard output:"; tail -n 20 "$out"
  echo "--- end of the debug file:"; tail -n 30 "$debug"
  echo "$failures failure(s)"
  exit 1
fi
echo "PASS"
