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

source "$(dirname "${BASH_SOURCE[0]}")/xboard_common.sh"
require_tools xboard polyglot xvfb-run xauth
xboard=$(command -v xboard)
polyglot=$(command -v polyglot)

make_scratch "${XBOARD_UCI_KEEP:-0}"

# The engines start in their own folders, so a relative path to the program is made absolute.
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM..."; exit 2; }
case $1 in
  /*) ;;
  */*) set -- "$PWD/$1" "${@:2}" ;;
esac
write_wrapper "$dir/orvex" "$@"

if [ -n "${XBOARD_UCI_OPPONENT:-}" ]; then
  second=(-scp "$XBOARD_UCI_OPPONENT" -sd "$dir/second")
  uci_dirs=("$dir/first")
else
  second=(-scp "$dir/orvex" -sd "$dir/second" -sUCI)
  uci_dirs=("$dir/first" "$dir/second")
fi

# polyglot keeps the UCI transcript in each engine's folder. Sudden death, because polyglot drops a
# fractional increment; pondering on, so ponder and ponderhit go through the adapter too. The flag must end
# a game when a clock runs out, and result claims are checked. Displays are looked for from :150 on, away
# from the other xboard test's :99, since two xvfb-run started at once may pick the same free display.
run_xboard -k 10 240 -- -n 150 -- \
  -mg "$games" -tc 0:15 -inc 0 -ponderNextMove true -autoCallFlag true -testClaims true -matchPause 1000 \
  -adapterCommand "$polyglot"' -noini -log true -lf "%fd/polyglot.log" -ec "%fcp" -ed "%fd"' \
  -fcp "$dir/orvex" -fd "$dir/first" -fUCI "${second[@]}"

# What xboard writes on an illegal move, a false claim, a flag fall or an engine that exits, and what
# polyglot tells the GUI when something goes wrong. xboard must start one adapter per seat for the whole
# match.
check_xboard_run 'illegal|forfeit|false [a-z-]* ?claim|on time|flags? fell|exited|unexpectedly|tellusererror'

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

check_games "$games"
finish_match
