# Sourced by the test scripts: check() counts each check and says which
# failed; finish() prints the closing count and exits with its verdict.
failures=0 checks=0

check() {  # check DESCRIPTION COMMAND...: the command must succeed
  checks=$((checks + 1))
  if ! "${@:2}"; then
    echo "FAILED: $1"
    failures=$((failures + 1))
  fi
}

finish() {
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}
