# Sourced by the shell tests that run the handheld emulator as a process.
# Sets $work, a scratch directory that is removed at exit, with the emulator
# stopped first if it still runs.
#   start_emulator EMULATOR ARGS...: starts it in the background (in the
#     current directory, its log in $work/emulator.log), waits until its
#     pseudo-terminal is ready, and exports TESSALINK_COM<n> as it printed it.
#   stop_emulator: stops it, and returns its exit status.
work=$(mktemp -d "/tmp/tessalink-$(basename "$0" .sh)-XXXXXX")
emulator_pid=""
stop_emulator() {
  local status=0
  if [ -n "$emulator_pid" ]; then
    kill -TERM "$emulator_pid" 2> /dev/null
    wait "$emulator_pid"; status=$?
    emulator_pid=""
  fi
  return "$status"
}
trap 'stop_emulator 2> /dev/null; rm -rf "$work"' EXIT

start_emulator() {
  "$@" --print-env-file "$work/env" > "$work/emulator.log" 2>&1 &
  emulator_pid=$!
  for _ in $(seq 100); do [ -s "$work/env" ] && break; sleep 0.1; done
  [ -s "$work/env" ] || { echo "the emulator did not start"; cat "$work/emulator.log"; exit 1; }
  export "$(cat "$work/env")"
}
