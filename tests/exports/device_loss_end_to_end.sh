#!/usr/bin/env bash
# device_loss_end_to_end.sh LINK_CALLER LIBRARY EMULATOR: the handheld
# emulator killed in the middle of a transfer (its pseudo-terminal gone, as an
# unplugged adapter goes) while a program calls the library: every transfer
# export, in every mode it runs in, with a window that never cancels and
# without one, must return within a few seconds with a failure result.
# Prints, for each, the time from the loss to the return and the CPU the
# caller used meanwhile.
set -uo pipefail
caller=$1 library=$2 emulator=$3
limit_ms=${DEVICE_LOSS_LIMIT_MS:-5000}
work=$(mktemp -d /tmp/tessalink-loss-XXXXXX)
emulator_pid="" caller_pid=""
cleanup() {
  [ -n "$caller_pid" ] && kill -KILL "$caller_pid" 2> /dev/null
  [ -n "$emulator_pid" ] && kill -KILL "$emulator_pid" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0 runs=0

now_ms() { date +%s%3N; }
# CPU ticks (user + system) a process has used so far.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2> /dev/null; }

head -c $((24 * 1024 * 1024)) /dev/urandom > "$work/big.bin"
# A text of many lines, without the end mark.
head -c $((64 * 1024 * 1024)) /dev/urandom | tr '\000\032' 'ab' > "$work/big.txt"

# run MODE WINDOW STEP ARGS...: one call, the emulator killed mid-transfer.
run() {
  local mode=$1 window=$2 step=$3
  shift 3
  runs=$((runs + 1))
  rm -rf "$work/dir" "$work/env" "$work/out"
  mkdir "$work/dir"
  cp "$work/big.bin" "$work/dir/BIG.BIN"
  local text_in=()
  [ "$step" = text-recv ] && text_in=(--text-in "$work/big.txt" --text-delay 0)
  "$emulator" --mode "$mode" --dir "$work/dir" --print-env-file "$work/env" "${text_in[@]}" \
    --text-out "$work/text-out" > "$work/emulator.log" 2>&1 &
  emulator_pid=$!
  for _ in $(seq 100); do [ -s "$work/env" ] && break; sleep 0.05; done
  [ -s "$work/env" ] || { echo "FAILED: the emulator did not start"; failures=$((failures + 1)); return; }
  local env port
  env=$(cat "$work/env")
  port=${env%%=*}
  port=${port#TESSALINK_COM}
  env "$env" "$caller" "$library" "mode=$mode" "port=$mode:$port" "window=$window" "$step" "$@" \
    > "$work/out" 2> "$work/caller.err" &
  caller_pid=$!
  sleep 1
  if ! kill -0 "$caller_pid" 2> /dev/null; then
    wait "$caller_pid"
    caller_pid=""
    echo "FAILED: mode $mode window=$window $step: ended before the loss:"
    cat "$work/out" "$work/caller.err"
    failures=$((failures + 1))
    kill -KILL "$emulator_pid" 2> /dev/null
    wait "$emulator_pid" 2> /dev/null
    emulator_pid=""
    return
  fi
  local ticks_before killed_at
  ticks_before=$(cpu_ticks "$caller_pid")
  killed_at=$(now_ms)
  kill -KILL "$emulator_pid"
  wait "$emulator_pid" 2> /dev/null
  emulator_pid=""
  local ticks=$ticks_before waited=0
  while kill -0 "$caller_pid" 2> /dev/null && [ "$waited" -lt $((limit_ms * 2)) ]; do
    ticks=$(cpu_ticks "$caller_pid" || echo "$ticks")
    sleep 0.02
    waited=$(($(now_ms) - killed_at))
  done
  local returned_at
  returned_at=$(now_ms)
  if kill -0 "$caller_pid" 2> /dev/null; then
    kill -KILL "$caller_pid"
    wait "$caller_pid" 2> /dev/null
    caller_pid=""
    echo "FAILED: mode $mode window=$window $step: still running $((limit_ms * 2)) ms after the loss"
    failures=$((failures + 1))
    return
  fi
  wait "$caller_pid"
  caller_pid=""
  local line result elapsed cpu_ms
  line=$(grep "^$step " "$work/out")
  result=$(echo "$line" | awk '{ print $2 }')
  elapsed=$((returned_at - killed_at))
  cpu_ms=$(( (${ticks:-0} - ${ticks_before:-0}) * 1000 / $(getconf CLK_TCK) ))
  printf 'mode %s window=%-3s %-9s result %5s  returned %5d ms after the loss, CPU meanwhile %4d ms\n' \
    "$mode" "$window" "$step" "${result:-?}" "$elapsed" "$cpu_ms"
  if [ -z "$result" ] || [ "$result" = 0 ]; then
    echo "FAILED: mode $mode window=$window $step: result '${result}' (the transfer must fail)"
    cat "$work/out" "$work/caller.err"
    failures=$((failures + 1))
  elif [ "$elapsed" -gt "$limit_ms" ]; then
    echo "FAILED: mode $mode window=$window $step: took $elapsed ms"
    failures=$((failures + 1))
  fi
}

for mode in 0 1 2; do
  for window in on off; do
    run "$mode" "$window" put "$work/big.bin" BIG2.BIN
    run "$mode" "$window" puts-ex "$work/big.bin+$work/big.bin" A.BIN+B.BIN
    run "$mode" "$window" get "$work/got.bin" BIG.BIN
    run "$mode" "$window" text-send "$work/big.txt"
    run "$mode" "$window" text-recv "$work/text.txt"
    if [ "$mode" = 2 ]; then
      run "$mode" "$window" put2 "$work/big.bin" BIG3.BIN
      run "$mode" "$window" puts2 "$work/big.bin+$work/big.bin" C.BIN+D.BIN
    fi
  done
done
echo "$runs calls, $failures failed"
[ "$failures" -eq 0 ]
