#!/usr/bin/env bash
# The test-suite modes and endless input through the program.
# Usage: suite.sh PROGRAM...
set -u
source "$(dirname "${BASH_SOURCE[0]}")/expect.sh"
enter_scratch_dir
program=("$@")

# A FEN, an empty line, an EPD line with operations ending in a carriage return, no position at all, and a
# stalemate as the last line without its newline.
printf '%s\n' '4k3/8/8/8/8/8/8/4K2R w K - 0 1' '' >suite.epd
printf '%s\r\n' 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 bm e4; id "start";' >>suite.epd
printf '%s\n' 'not a position' >>suite.epd
printf '%s' 'k7/8/1Q6/8/8/8/8/7K b - - 0 1' >>suite.epd
printf 'go\n' >word

run "-ts" 0 word -ts suite.epd -fd 3
expect_line "-ts" "## file opened suite.epd"
expect_line "-ts" "## Entering ParseEPDSuite and Opened data file"
expect_line "-ts" '4k3/8/8/8/8/8/8/4K2R w K - 0 1'
expect_line "-ts" 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 bm e4; id "start";'
# Depth, score, three blanks, then the move text with its own leading blank and the rest of the line.
expect_matches "-ts" '^3 -?[0-9]+    [a-h][1-8][a-h][1-8]' 2
expect_line "-ts" '3 110001   (no legal move)'
expect_matches "-ts" '^ERROR: invalid FEN' 1
expect_matches "-ts" $'\r' 0
expect_line "-ts" "5"
[ "$(tail -n 1 <<<"$out")" = "5" ] || fail "-ts: the count is not the last line"

run "-ts default depth" 0 word -ts suite.epd
expect_matches "-ts default depth" '^3 -?[0-9]+    [a-h][1-8][a-h][1-8]' 2

# A depth the search cannot hold is reported and ignored: the default depth 3.
run "-ts depth out of range" 0 word -ts suite.epd -fd -1
expect_matches "-ts depth out of range" '^ERROR: ' 2
expect_matches "-ts depth out of range" '^ERROR: invalid FEN' 1
expect_matches "-ts depth out of range" '^3 -?[0-9]+    [a-h][1-8][a-h][1-8]' 2
[ "$(tail -n 1 <<<"$out")" = "5" ] || fail "-ts depth out of range: count"

# A line too long for a position is one line of the file, reported once; the position after it is searched.
rook='4k3/8/8/8/8/8/8/4K2R w K - 0 1'
{ printf '%s' "$rook"; head -c $((17 * 1024 * 1024)) /dev/zero | tr '\0' ' '; printf 'junk\n%s\n' "$rook"; } >long-blanks.epd
{ head -c $((17 * 1024 * 1024)) /dev/zero | tr '\0' x; printf '\n%s\n' "$rook"; } >long-word.epd
for file in long-blanks.epd long-word.epd; do
  run "$file" 0 word -ts "$file" -fd 2
  expect_matches "$file" '^ERROR: ' 1
  expect_matches "$file" '^2 -?[0-9]+    [a-h][1-8][a-h][1-8]' 1
  [ "$(tail -n 1 <<<"$out")" = "2" ] || { fail "$file: count"; tail -n 3 <<<"$out"; }
done
rm -f long-blanks.epd long-word.epd

# A suite file without any line break ends with an error, not with reading for ever.
out=$(timeout 120 "${program[@]}" -ts /dev/zero <word 2>&1)
status=$?
if [ "$status" -eq 0 ] || [ "$status" -eq 124 ]; then
  fail "endless suite file: exit status $status, expected an error status"
fi
[[ "$(tail -n 1 <<<"$out")" == "ERROR: "* ]] || { fail "endless suite file: last line"; tail -n 3 <<<"$out"; }

run "-pev" 0 word -pev suite.epd
expect_matches "-pev" '^   A B C D E F G H$' 6
expect_matches "-pev" 'PosEval from White view' 0
expect_matches "-pev" '^[0-9]+ -?[0-9]+   ' 0
[ "$(tail -n 1 <<<"$out")" = "5" ] || fail "-pev: the count is not the last line"

run "-mimicstudent" 0 word -mimicstudent suite.epd
expect_line "-mimicstudent" "## Mimic Student option detected "
expect_line "-mimicstudent" "In ParseEPDSuite and Mimic == STUDENT "
expect_matches "-mimicstudent" 'A B C D E F G H' 0
[ "$(tail -n 1 <<<"$out")" = "5" ] || fail "-mimicstudent: the count is not the last line"

: >empty.epd
run "empty suite" 0 word -ts empty.epd
[ "$(tail -n 1 <<<"$out")" = "0" ] || fail "empty suite: count"
run "missing suite" 1 word -ts none.epd
expect_line "missing suite" "ERROR: opening file none.epd"

# Input without any break: an error line and a clean end, never memory without limit.
run "endless standard input" 0 /dev/zero
expect_matches "endless standard input" '^ERROR: input word longer than' 1
expect_line "endless standard input" "Bye, Thanks for the match."
run "endless position file" 1 /dev/null -lpf /dev/zero -perft -fd 1
expect_matches "endless position file" '^ERROR: ' 1

finish
echo "suite modes: all checks passed"
