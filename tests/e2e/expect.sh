# Shared by the shell end-to-end tests: run the program and check what it printed. Sourced; the caller
# sets program=(...), and run_timeout for runs allowed more than 120 seconds.
failures=0

# fail TEXT: one failure more, with what failed.
fail() {
  echo "FAIL $1"; failures=$((failures + 1))
}

# Moves into a fresh scratch folder, dir, removed when the script exits.
enter_scratch_dir() {
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
  cd "$dir" || exit 1
}

# hold_open_pipe SECONDS: makes the fifo open-pipe in the current folder and holds it open that long, so a
# run reading it finds neither input nor the end of input. finish lets it go.
hold_open_pipe() {
  mkfifo open-pipe
  sleep "$1" >open-pipe &
  holder=$!
  exec 3<>open-pipe
}

# run NAME EXPECTED_STATUS STDIN_FILE ARGS... ; leaves the output in $out and its lines in the array lines
run() {
  local name=$1 want=$2 input=$3
  shift 3
  out=$(timeout "${run_timeout:-120}" "${program[@]}" "$@" <"$input" 2>&1)
  local status=$?
  if [ "$status" -ne "$want" ]; then
    fail "$name: exit status $status, expected $want"; echo "$out" | head -80
  fi
  mapfile -t lines <<<"$out"
}
# expect_line NAME LINE: the output holds exactly this line.
expect_line() {
  if ! grep -qxF -- "$2" <<<"$out"; then
    fail "$1: no line '$2'"; echo "$out" | head -80
  fi
}
# expect_text NAME INDEX TEXT: line INDEX (from 0) of the output is exactly TEXT.
expect_text() {
  [ "${lines[$2]-}" = "$3" ] || fail "$1: line $(($2 + 1)) is '${lines[$2]-}', expected '$3'"
}
# expect_count NAME TEXT N: N lines contain the text.
expect_count() {
  local n
  n=$(grep -cF -- "$2" <<<"$out")
  if [ "$n" -ne "$3" ]; then
    fail "$1: '$2' $n times, expected $3"
  fi
}
# expect_matches NAME REGEX N: N lines match the extended regular expression.
expect_matches() {
  local n
  n=$(grep -cE -- "$2" <<<"$out")
  if [ "$n" -ne "$3" ]; then
    fail "$1: /$2/ $n times, expected $3"; echo "$out" | head -80
  fi
}

# The verdict: lets go of the open pipe if one is held, then exits 1 with the count of failures, or
# returns when there were none.
finish() {
  if [ -n "${holder-}" ]; then
    exec 3>&-
    kill "$holder" 2>/dev/null
  fi
  if [ "$failures" -ne 0 ]; then
    echo "$failures failures"
    exit 1
  fi
}
