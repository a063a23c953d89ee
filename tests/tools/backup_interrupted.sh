#!/usr/bin/env bash
# backup_interrupted.sh TESSALINK TESSALINK_HANDHELD MODE: a backup stopped in
# the middle of a file (Ctrl-C, then the handheld gone) leaves the copy of
# that file in the directory byte for byte as it was, stores the files
# fetched before it, and leaves nothing unfinished behind.
set -uo pipefail
cli=$1 emulator=$2 mode=$3
work=$(mktemp -d /tmp/tessalink-backup-stop-XXXXXX)
emulator_pid="" cli_pid=""
cleanup() {
  [ -n "$cli_pid" ] && kill -KILL "$cli_pid" 2> /dev/null
  [ -n "$emulator_pid" ] && kill -KILL "$emulator_pid" 2> /dev/null && wait "$emulator_pid" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/../support/checks.sh"

# The handheld: a small file first, then one that takes seconds on a paced line.
mkdir "$work/dir"
printf 'new small file\n' > "$work/dir/A.TXT"
head -c 60000 /dev/urandom > "$work/dir/B.BIN"

start_emulator() {
  rm -f "$work/env"
  "$emulator" --mode "$mode" --dir "$work/dir" --print-env-file "$work/env" --pace 38400 \
    > "$work/emulator.log" 2>&1 &
  emulator_pid=$!
  for _ in $(seq 100); do [ -s "$work/env" ] && break; sleep 0.05; done
  [ -s "$work/env" ] || { echo "the emulator did not start"; cat "$work/emulator.log"; exit 1; }
  export "$(cat "$work/env")"
}

# backup_until STOP: a backup into $work/backup, its old copies in place,
# stopped by STOP once part of B.BIN has arrived; its exit status in status.
backup_until() {
  rm -rf "$work/backup" && mkdir "$work/backup"
  printf 'old small file\n' > "$work/backup/A.TXT"
  head -c 5000 /dev/urandom > "$work/backup/B.BIN"
  cp "$work/backup/B.BIN" "$work/old-B.BIN"
  "$cli" backup "$work/backup" --mode "$mode" > "$work/out" 2> "$work/stderr" &
  cli_pid=$!
  # Part of B.BIN has arrived: its stage file (the second) is not empty.
  local partial=""
  for _ in $(seq 200); do
    partial=$(find "$work/backup" -mindepth 2 -name 1 -size +1k 2> /dev/null)
    [ -n "$partial" ] && break
    sleep 0.05
  done
  check "$1: the backup was caught in the middle of B.BIN" test -n "$partial"
  "$@"
  wait "$cli_pid"; status=$?; cli_pid=""
}

stop_cli() { kill -INT "$cli_pid"; }
stop_emulator() { kill -KILL "$emulator_pid"; wait "$emulator_pid" 2> /dev/null; emulator_pid=""; }

start_emulator
backup_until stop_cli
check "Ctrl-C: the status of a cancel" test "$status" -eq 130
check "Ctrl-C: the copy of the file it stopped in is as it was" cmp "$work/backup/B.BIN" "$work/old-B.BIN"
check "Ctrl-C: the file fetched before it is stored" cmp "$work/backup/A.TXT" "$work/dir/A.TXT"
check "Ctrl-C: the summary counts it" grep -q "^fetched 1 of 2 files" "$work/out"
check "Ctrl-C: nothing unfinished is left" test -z "$(ls -A "$work/backup" | grep '^\.')"
sleep 1  # the emulator sees the line closed

backup_until stop_emulator
check "handheld gone: a failure status" test "$status" -ne 0
check "handheld gone: the copy of the file it stopped in is as it was" \
  cmp "$work/backup/B.BIN" "$work/old-B.BIN"
check "handheld gone: the file fetched before it is stored" cmp "$work/backup/A.TXT" "$work/dir/A.TXT"
check "handheld gone: the file it stopped in is named" grep -q "B.BIN" "$work/stderr"
check "handheld gone: nothing unfinished is left" test -z "$(ls -A "$work/backup" | grep '^\.')"

finish
