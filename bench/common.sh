# Sourced by the benchmark scripts, from the top of the tree: their options, the program they measure and
# the scratch folder its runs happen in (the program writes match.log where it runs).

# bench_options TABLE ARGS...: TABLE pairs each option letter with the variable its value sets
# ("d:depth n:runs": -d sets depth, -n runs). An unknown option, or one without its value, ends the script
# with status 2. The arguments after the options are left in the array `operands`.
bench_options() {
  local table=$1 letters="" pair opt OPTIND=1
  shift
  for pair in $table; do letters+="${pair%%:*}:"; done
  while getopts "$letters" opt; do
    [ "$opt" != "?" ] || exit 2
    for pair in $table; do
      if [ "${pair%%:*}" = "$opt" ]; then printf -v "${pair#*:}" '%s' "$OPTARG"; fi
    done
  done
  shift $((OPTIND - 1))
  operands=("$@")
}

# bench_program DEFAULT...: the command to measure, as the array `program`: the operands, or DEFAULT
# without any. Words that name files are made absolute, since the runs happen in the scratch folder.
bench_program() {
  local i
  if [ ${#operands[@]} -gt 0 ]; then program=("${operands[@]}"); else program=("$@"); fi
  for i in "${!program[@]}"; do
    if [ -f "${program[$i]}" ]; then program[$i]=$(realpath "${program[$i]}"); fi
  done
}

# bench_scratch: a new scratch folder in `dir`, removed when the script ends.
bench_scratch() {
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
}
