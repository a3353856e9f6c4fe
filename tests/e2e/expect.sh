# Shared by the shell end-to-end tests: run the program and check what it printed. Sourced; the caller
# sets program=(...) and failures=0.

# run NAME EXPECTED_STATUS STDIN_FILE ARGS... ; leaves the output in $out
run() {
  local name=$1 want=$2 input=$3
  shift 3
  out=$(timeout 120 "${program[@]}" "$@" <"$input" 2>&1)
  local status=$?
  if [ "$status" -ne "$want" ]; then
    echo "FAIL $name: exit status $status, expected $want"; echo "$out" | head -80; failures=$((failures + 1))
  fi
}
# expect_line NAME LINE: the output holds exactly this line.
expect_line() {
  if ! grep -qxF -- "$2" <<<"$out"; then
    echo "FAIL $1: no line '$2'"; echo "$out" | head -80; failures=$((failures + 1))
  fi
}
# expect_count NAME TEXT N: N lines contain the text.
expect_count() {
  local n
  n=$(grep -cF -- "$2" <<<"$out")
  if [ "$n" -ne "$3" ]; then
    echo "FAIL $1: '$2' $n times, expected $3"; failures=$((failures + 1))
  fi
}
# expect_matches NAME REGEX N: N lines match the extended regular expression.
expect_matches() {
  local n
  n=$(grep -cE -- "$2" <<<"$out")
  if [ "$n" -ne "$3" ]; then
    echo "FAIL $1: /$2/ $n times, expected $3"; echo "$out" | head -80; failures=$((failures + 1))
  fi
}
