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

source "$(dirname "${BASH_SOURCE[0]}")/xboard_common.sh"
require_tools xboard xvfb-run xauth
xboard=$(PATH="$PATH:/usr/games" command -v xboard)

make_scratch "${XBOARD_MATCH_KEEP:-0}"

# xboard names each engine after its command.
write_wrapper "$dir/orvex" "$@"
first="$dir/orvex"
second=${XBOARD_MATCH_OPPONENT:-$dir/orvex}
# Protocol 1 spares the wait for feature replies Orvex does not send.
second_protocol=1
[ -n "${XBOARD_MATCH_OPPONENT:-}" ] && second_protocol=2

# The flag must end a game when a clock runs out, and the engines' result claims are checked.
run_xboard 240 -- -- \
  -mg "$games" -tc 0:20 -inc 0 -autoCallFlag true -testClaims true -matchPause 1000 \
  -fcp "$first" -fd "$dir/first" -firstProtocolVersion 1 \
  -scp "$second" -sd "$dir/second" -secondProtocolVersion "$second_protocol"

# What xboard writes on an illegal move, a false claim, a flag fall or an engine that exits or closes its
# pipes. xboard must start one process per engine for the whole match.
check_xboard_run 'illegal move|illegalmove|forfeit|false [a-z-]* ?claim|(wins|loses) on time|flags? fell|exited|error (reading|writing)'
for side in first second; do
  [ "$side" = second ] && [ -n "${XBOARD_MATCH_OPPONENT:-}" ] && continue
  [ -s "$dir/$side/match.log" ] || fail "no match.log in the $side engine's working folder"
done

check_games "$games" timed
finish_match
