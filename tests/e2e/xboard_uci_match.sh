#!/usr/bin/env bash
# A short match under the real xboard GUI (on a virtual X display) with the program in UCI mode behind
# Debian's polyglot adapter: every game must reach a regular end, one program process must serve the whole
# match, and there must be no illegal move, time forfeit, exit or stall.
# Usage: xboard_uci_match.sh PROGRAM...
# XBOARD_UCI_OPPONENT: an xboard engine's command for the second seat, e.g. /usr/games/fairymax
#   (default: the program again, in UCI mode behind its own polyglot).
# XBOARD_UCI_GAMES: number of games (default 2).
# XBOARD_UCI_KEEP=1 keeps the scratch folder (xboard debug file, PGN, polyglot logs with the UCI transcript,
#   each program's match.log).
# Exit status: 0 pass, 1 fail, 77 skipped (xboard, polyglot, xvfb-run or xauth missing).
set -u
games=${XBOARD_UCI_GAMES:-2}
export PATH="$PATH:/usr/games"

xboard=$(command -v xboard) || { echo "SKIP: xboard is not installed"; exit 77; }
polyglot=$(command -v polyglot) || { echo "SKIP: polyglot is not installed"; exit 77; }
command -v xvfb-run >/dev/null 2>&1 || { echo "SKIP: xvfb-run is not installed"; exit 77; }
command -v xauth >/dev/null 2>&1 || { echo "SKIP: xauth is not installed"; exit 77; }

dir=$(mktemp -d)
if [ "${XBOARD_UCI_KEEP:-0}" = 1 ]; then
  echo "files kept in $dir"
else
  trap 'rm -rf "$dir"' EXIT
fi
mkdir "$dir/home" "$dir/first" "$dir/second"

# xboard and polyglot split an engine command at blanks, so the program and its arguments go through a
# wrapper that execs them. The engines start in their own folders, so a relative path is made absolute.
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM..."; exit 2; }
case $1 in
  /*) ;;
  */*) set -- "$PWD/$1" "${@:2}" ;;
esac
{
  printf '#!/bin/sh\nexec'
  printf ' %q' "$@"
  printf '\n'
} >"$dir/orvex"
chmod +x "$dir/orvex"

if [ -n "${XBOARD_UCI_OPPONENT:-}" ]; then
  second=(-scp "$XBOARD_UCI_OPPONENT" -sd "$dir/second")
  uci_dirs=("$dir/first")
else
  second=(-scp "$dir/orvex" -sd "$dir/second" -sUCI)
  uci_dirs=("$dir/first" "$dir/second")
fi

debug="$dir/debug.txt"
pgn="$dir/games.pgn"
out="$dir/xboard.out"
start=$(date +%s)
# polyglot keeps the UCI transcript in each engine's folder. Sudden death, because polyglot drops a
# fractional increment; pondering on, so ponder and ponderhit go through the adapter too. The flag must end
# a game when a clock runs out, and result claims are checked. Displays are looked for from :150 on, away
# from the other xboard test's :99, since two xvfb-run started at once may pick the same free display.
HOME="$dir/home" timeout -k 10 240 xvfb-run -n 150 -a -e "$dir/xvfb.err" "$xboard" \
  -mg "$games" -tc 0:15 -inc 0 -ponderNextMove true -autoCallFlag true -testClaims true -matchPause 1000 \
  -adapterCommand "$polyglot"' -noini -log true -lf "%fd/polyglot.log" -ec "%fcp" -ed "%fd"' \
  -fcp "$dir/orvex" -fd "$dir/first" -fUCI "${second[@]}" \
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

# What xboard writes on an illegal move, a false claim, a flag fall or an engine that exits, and what
# polyglot tells the GUI when something goes wrong.
pattern='illegal|forfeit|false [a-z-]* ?claim|on time|flags? fell|exited|unexpectedly|tellusererror'
problems=$(grep -n -i -E "$pattern" "$debug" "$out")
if [ -n "$problems" ]; then
  fail "xboard reports a problem:"
  head -n 20 <<<"$problems"
  line=$(grep -n -i -m 1 -E "$pattern" "$debug" | cut -d: -f1)
  if [ -n "$line" ]; then
    echo "--- debug file, lines $((line > 30 ? line - 30 : 1))-$((line + 5)):"
    sed -n "$((line > 30 ? line - 30 : 1)),$((line + 5))p" "$debug"
    echo "---"
  fi
fi

# One adapter per seat for the whole match.
starts=$(grep -c '^StartChildProcess' "$debug")
[ "$starts" -eq 2 ] || fail "xboard started $starts engine processes, expected 2"

# Behind each adapter: one program process for all games, which ends only when the GUI quits.
for seat in "${uci_dirs[@]}"; do
  name=$(basename "$seat")
  log="$seat/polyglot.log"
  if [ ! -s "$log" ]; then
    fail "$name: no polyglot log"
    continue
  fi
  launches=$(grep -c -E 'Adapter->Engine: uci *$' "$log")
  [ "$launches" -eq 1 ] || fail "$name: polyglot started the program $launches times"
  # The program rewrites match.log when it starts, so a log that saw every game proves one process.
  newgames=$(grep -c '^ucinewgame' "$seat/match.log" 2>/dev/null)
  [ "${newgames:-0}" -ge "$games" ] ||
    fail "$name: the program's match.log saw ${newgames:-0} ucinewgame for $games games"
  quit=$(grep -n -m 1 'GUI->Adapter: quit' "$log" | cut -d: -f1)
  eof=$(grep -n -m 1 'Engine->Adapter: EOF' "$log" | cut -d: -f1)
  if [ -n "$eof" ] && { [ -z "$quit" ] || [ "$eof" -lt "$quit" ]; }; then
    fail "$name: the program closed its output before the GUI quit:"
    sed -n "$((eof > 20 ? eof - 20 : 1)),$((eof + 3))p" "$log"
  fi
  if grep -q -E 'POLYGLOT Child (exited|terminated)' "$log" &&
     ! grep -q 'POLYGLOT Child exited with status 0' "$log"; then
    fail "$name: $(grep -E 'POLYGLOT Child' "$log")"
  fi
  if grep -q -i -E 'illegal|tellusererror' "$log"; then
    fail "$name: polyglot reports a problem:"
    grep -i -E -m 5 'illegal|tellusererror' "$log"
  fi
  # The longest think: from go (or ponderhit) to bestmove.
  awk -v name="$name" '
    / Adapter->Engine: go / && !/ ponder$/ && !/ infinite/ { t = $1; timed = 1; next }
    / Adapter->Engine: go .* ponder$/ { timed = 0; next }
    / Adapter->Engine: ponderhit/ { t = $1; timed = 1; next }
    / Engine->Adapter: bestmove/ { if (timed) { d = $1 - t; n++; sum += d; if (d > max) max = d }; timed = 0 }
    END { if (n) printf "%s: %d timed moves, average %.2f s, longest %.2f s\n", name, n, sum / n, max }
  ' "$log"
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

completed=0
number=0
while IFS=$'\t' read -r result reason plies white black; do
  [ -n "$result" ] || continue
  number=$((number + 1))
  echo "game $number: $white - $black $result {${reason:-no reason given}}, $(((plies + 1) / 2)) moves ($plies plies)"
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
