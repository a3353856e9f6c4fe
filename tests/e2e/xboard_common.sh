# Shared by the xboard match tests (sourced, not run): the tools, the scratch folder, the xboard run and
# the checks of its debug file and PGN that do not depend on the engines' protocol.
source "$(dirname "${BASH_SOURCE[0]}")/expect.sh"

# Skips the test (exit 77) when a tool is missing. Debian installs xboard and polyglot in /usr/games.
require_tools() {
  local tool
  for tool; do
    PATH="$PATH:/usr/games" command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}

# The scratch folder dir, removed on exit unless KEEP is 1, with xboard's home and one working folder per
# seat; debug, pgn and out name xboard's debug file, PGN and output there.
# Usage: make_scratch KEEP
make_scratch() {
  dir=$(mktemp -d)
  if [ "${1:-0}" = 1 ]; then
    echo "files kept in $dir"
  else
    trap 'rm -rf "$dir"' EXIT
  fi
  mkdir "$dir/home" "$dir/first" "$dir/second"
  debug="$dir/debug.txt"
  pgn="$dir/games.pgn"
  out="$dir/xboard.out"
}

# xboard (and polyglot) split an engine command at blanks, so the program and its arguments go through a
# wrapper that execs them: the engine keeps the wrapper's process.
# Usage: write_wrapper FILE PROGRAM...
write_wrapper() {
  local file=$1
  shift
  {
    printf '#!/bin/sh\nexec'
    printf ' %q' "$@"
    printf '\n'
  } >"$file"
  chmod +x "$file"
}

# Runs the match in xboard on a virtual display, without pop-ups or saved settings, writing the debug file
# and the PGN; sets status and elapsed (seconds).
# Usage: run_xboard TIMEOUT_ARG... -- XVFB_RUN_ARG... -- XBOARD_ARG...
run_xboard() {
  local timeout_args=() xvfb_args=() start
  while [ "$1" != -- ]; do timeout_args+=("$1"); shift; done
  shift
  while [ "$1" != -- ]; do xvfb_args+=("$1"); shift; done
  shift
  start=$(date +%s)
  HOME="$dir/home" timeout "${timeout_args[@]}" xvfb-run "${xvfb_args[@]}" -a -e "$dir/xvfb.err" "$xboard" "$@" \
    -xexit -saveSettingsOnExit false -soundProgram '' -popupExitMessage false -popupMoveErrors false \
    -debug -nameOfDebugFile "$debug" -sgf "$pgn" >"$out" 2>&1 </dev/null
  status=$?
  elapsed=$(($(date +%s) - start))
}

# xboard's exit, its files, the lines of the debug file and output that match PATTERN (a problem, shown
# with the engine traffic before the first one), and two engine processes: one per seat for the match.
# Usage: check_xboard_run PATTERN
check_xboard_run() {
  local pattern=$1 problems line starts
  [ "$status" -eq 0 ] || fail "xboard exit status $status$([ "$status" -eq 124 ] && echo ' (timed out)')"
  [ -s "$debug" ] || fail "no xboard debug file"
  [ -s "$pgn" ] || fail "no PGN file"
  touch "$debug" "$pgn"

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

  starts=$(grep -c '^StartChildProcess' "$debug")
  [ "$starts" -eq 2 ] || fail "xboard started $starts engine processes, expected 2"
}

# Every game in the PGN must have a result and a reason for it that is not an irregular end; a line per
# game. With "timed", each line also gives the game's time, from its first line of engine traffic to the
# result xboard sends.
# Usage: check_games GAMES [timed]
check_games() {
  local games=$1 timed=${2:-} summary durations=() completed=0 number=0 result reason plies white black time
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

  if [ "$timed" = timed ]; then
    mapfile -t durations < <(awk '
      /^New game \(/ { g++; begun = 0 }
      g && !begun && /^[0-9]+ [<>]/ { first[g] = $1; begun = 1 }
      g && / >first : result / { last[g] = $1 }
      END { for (i = 1; i <= g; i++) printf "%.1f\n", (last[i] - first[i]) / 1000 }
    ' "$debug")
  fi

  while IFS=$'\t' read -r result reason plies white black; do
    [ -n "$result" ] || continue
    number=$((number + 1))
    time=""
    [ "$timed" = timed ] && time=", ${durations[number - 1]:-?} s"
    echo "game $number: $white - $black $result {${reason:-no reason given}}, $(((plies + 1) / 2)) moves ($plies plies)$time"
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
}

# The lowest clock, xboard's match line and the match time; then the verdict, with the end of xboard's
# output and debug file on a failure. Exits the test.
finish_match() {
  local lowest
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
  exit 0
}
