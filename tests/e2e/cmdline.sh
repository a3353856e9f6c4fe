#!/usr/bin/env bash
# Start-up and command line through the program: help, perft options, position files and option values.
# Usage: cmdline.sh PROGRAM...
set -u
source "$(dirname "${BASH_SOURCE[0]}")/expect.sh"
enter_scratch_dir

program=("$@")
# Offline modes read no start-up word: a pipe that stays open must not hold them up.
hold_open_pipe 100

help=$'Orvex \nxboard   used when interfacing with xboard\n-uci   used when interfacing with an UCI based GUI\n-bench  run an internal benchmark suite\n-fd  n    fixes search depth to n ply (min n = 3)\n-lpf filename  loads a position from file\n-pev  filename - run through a testsuite (EPD Format) & output full evaluation detail per position\n-sd  n   sets max search depth to n ply (min n = 3)\n-sp  self play\n-ts  filename run through a testsuite (EPD Format)'
for option in -help -h; do
  run "$option" 0 open-pipe -post "$option" -perft
  [ "$out" = "$help" ] || { fail "$option: help text"; echo "$out"; }
done

run "depth 0" 0 open-pipe -perft
expect_line "depth 0" "0 Total Nodes at Depth = 0"
expect_line "depth 0" "1 Leaf Nodes at Depth = 0"
expect_line "depth 0" "0 NPS"

run "depth 3" 0 open-pipe -perft -fd 3
expect_line "depth 3" "9322 Total Nodes at Depth = 3"
expect_line "depth 3" "8902 Leaf Nodes at Depth = 3"
[ "$(head -n 2 <<<"$out")" = $'Orvex \nStarting PerfT test ' ] || fail "depth 3: first lines"
grep -q "Next Match" match.log || fail "depth 3: match.log has no banner"

# A depth must fit the search's depth (0 to 127); any other value is reported and ignored, so perft runs
# at its default depth 0.
for depth in -1 -3 128 255 257 999 2147483648 99999999999999999999; do
  run "depth $depth" 0 open-pipe -fd "$depth" -perft
  expect_matches "depth $depth" '^ERROR: ' 1
  expect_line "depth $depth" "0 Total Nodes at Depth = 0"
  expect_line "depth $depth" "1 Leaf Nodes at Depth = 0"
done
for depth in 0 2; do
  run "depth $depth accepted" 0 open-pipe -perft -fd "$depth"
  expect_matches "depth $depth accepted" '^ERROR: ' 0
  expect_matches "depth $depth accepted" "^[0-9]+ Total Nodes at Depth = $depth\$" 1
done

run "trace" 0 open-pipe -perft -fd 1 -trace
expect_line "trace" '<Trace name="Perft">'
expect_line "trace" '<Move name="{  b1a3 '
expect_line "trace" 'nodes 20">'
expect_line "trace" '</Trace>'
expect_count "trace" '<Move name=' 20
expect_count "trace" '</Move >' 20

run "missing value" 0 open-pipe -perft -fd
expect_line "missing value" "ERROR: option -fd needs a value"
expect_line "missing value" "1 Leaf Nodes at Depth = 0"

run "no such file" 1 open-pipe -lpf "$dir/none.fen" -perft
expect_line "no such file" "ERROR: opening file $dir/none.fen"

: >empty.fen
run "empty file" 1 open-pipe -lpf empty.fen -perft
expect_line "empty file" "Empty file"

# Only the first line counts; a Windows line end is no part of the FEN.
printf '4k3/8/8/8/8/8/8/4K2R w K - 0 1\r\nrubbish\n' >rook.fen
run "position file" 0 open-pipe -lpf rook.fen -perft -fd 2
expect_line "position file" "81 Total Nodes at Depth = 2"

printf '4k3/8/8/8/8/8/8/4K3 w - - 0 1 extra\n' >kings.fen
printf 'not a position\n' >bad.fen
# A position file without a position stops the run: going on from the start position would report a
# result for a position nobody asked about.
run "bad position" 1 open-pipe -lpf bad.fen -perft -fd 1
expect_count "bad position" "ERROR: " 1
expect_count "bad position" "Total Nodes" 0
mkdir -p a-directory
run "directory" 1 open-pipe -lpf a-directory -perft -fd 1
expect_line "directory" "ERROR: opening file a-directory"

# A value is tested against the options still to come: "-st" inside the file name takes the next
# argument, so "-perft" must not follow the name directly to count.
cp kings.fen pos-st.fen
run "option inside a value" 0 open-pipe -lpf pos-st.fen 7 -perft -fd 1
expect_line "option inside a value" "5 Total Nodes at Depth = 1"
run "option inside a value takes the next" 0 /dev/null -lpf pos-st.fen -perft -fd 1
expect_count "option inside a value takes the next" "Starting PerfT test" 0
expect_line "option inside a value takes the next" "Hello! I am Orvex"

# Without an offline mode the start-up word is read; at the end of input the word is empty.
run "start-up word" 0 /dev/null
expect_line "start-up word" "Hello! I am Orvex"
expect_line "start-up word" "MAXDEPTH = 56"

# A value missing at the end drops only that option: the same argument still selects xboard mode,
# which plays without the console greeting.
run "missing value keeps other options" 0 /dev/null xboard-ts
expect_line "missing value keeps other options" "ERROR: option -ts needs a value"
expect_count "missing value keeps other options" "Hello! I am Orvex" 0

finish
