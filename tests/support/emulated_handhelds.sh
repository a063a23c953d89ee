# Sourced by the test scripts that run the tool against emulated handhelds,
# with the tool's path in $cli and the emulator's in $emulator: a scratch
# directory $work, removed at the end with every emulator stopped; the tool
# seeing no setting but what the test gives it (its own configuration, no
# device, no trace); and the checks of checks.sh.
work=$(mktemp -d /tmp/tessalink-test-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2> /dev/null && wait "$pid" 2> /dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

export XDG_CONFIG_HOME=$work/config
unset TESSALINK_COM1 TESSALINK_COM2 TESSALINK_MODE TESSALINK_BAUD TESSALINK_TIMEOUT \
  TESSALINK_SEND_BLOCK TESSALINK_RECV_BLOCK TESSALINK_TRACE

# start_emulator MODE [OPTION...]: an emulated handheld in MODE on a
# pseudo-terminal of its own, serving $work/dirMODE (made beforehand), its -v
# trace in $work/emulatorMODE.log.
start_emulator() {
  "$emulator" --mode "$1" --dir "$work/dir$1" --print-env-file "$work/env$1" -v "${@:2}" \
    > "$work/emulator$1.log" 2>&1 &
  pids+=($!)
}

# await_emulators MODE...: waits until each has started, and sets deviceMODE
# to its pseudo-terminal.
await_emulators() {
  local mode
  for mode in "$@"; do
    for _ in $(seq 100); do [ -s "$work/env$mode" ] && break; sleep 0.1; done
    [ -s "$work/env$mode" ] || { echo "emulator $mode did not start"; cat "$work/emulator$mode.log"; exit 1; }
    declare -g "device$mode=$(cut -d= -f2 "$work/env$mode")"
  done
}
