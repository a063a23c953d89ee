# Sourced by the install tests. check DESCRIPTION COMMAND... runs the command
# with its output kept in $work/out, counts it, and on a failure prints the
# description and that output; finish_checks prints the count and fails when
# a check failed.
failures=0 checks=0

check() {
  checks=$((checks + 1))
  if ! "${@:2}" > "$work/out" 2>&1; then
    echo "FAILED: $1"
    cat "$work/out"
    failures=$((failures + 1))
  fi
}

finish_checks() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}
