#!/usr/bin/env bash
# trace_file.sh TESSALINK TESSALINK_HANDHELD: the library's trace file
# (TESSALINK_TRACE, or the tool's --trace), written from a list and a get
# against the emulated handheld on a pseudo-terminal in each mode, and read
# back: the calls with their results, the packets the same as the emulator's
# own trace shows them, times that only go forward; a trace file that cannot
# be written fails nothing, and without the variable nothing is written.
set -uo pipefail
cli=$1 emulator=$2
. "$(dirname "$0")/../support/emulated_handhelds.sh"

for mode in 0 1 2; do
  mkdir -p "$work/dir$mode"
  head -c 600 /dev/zero | tr '\0' 'm' > "$work/dir$mode/MEMO.TXT"
  start_emulator "$mode"
done
await_emulators 0 1 2

has() { grep -qxF -- "$2" "$1" || { echo "  $1 lacks: $2"; head -n 30 "$1"; return 1; }; }
# The packet lines ("-> #1 C FF (3 bytes)"), in mode 1 taken from the frames
# that carry them; the emulator's are turned round to the PC's side.
pc_packets() {
  sed -nE 's/^ *[0-9]+ (->|<-) (data [^:]*: )?(#[0-9]+ .* \([0-9]+ bytes\).*)$/\1 \3/p' "$1"
}
handheld_packets() {
  sed -nE 's/^.*(->|<-) (#[0-9]+ .* \([0-9]+ bytes\))$/\1 \2/p' "$1" | sed -E 's/^<-/X/; s/^->/<-/; s/^X/->/'
}
# Each call's times: milliseconds from 0 at its "call" line, never going back.
times_go_forward() {
  awk '$2 == "call" { if ($1 != 0) bad = 1; last = 0 }
       { if ($1 !~ /^[0-9]+$/ || $1 < last) bad = 1; last = $1 }
       END { exit bad }' "$1" || { echo "  times out of order in $1"; cat "$1"; return 1; }
}

for mode in 0 1 2; do
  device_var=device$mode device=${!device_var}
  trace=$work/trace$mode.txt
  check "mode $mode: list with --trace" "$cli" list --mode "$mode" --device "$device" --trace "$trace" -o "$work/list$mode"
  check "mode $mode: get with TESSALINK_TRACE" env TESSALINK_TRACE="$trace" \
    "$cli" get MEMO.TXT "$work/memo$mode.txt" --mode "$mode" --device "$device"
  check "mode $mode: the file came whole" cmp -s "$work/memo$mode.txt" "$work/dir$mode/MEMO.TXT"
  sleep 0.3  # the emulator's last lines
  port=$([ "$mode" = 0 ] && echo 1 || echo 2) baud=$([ "$mode" = 2 ] && echo 115200 || echo 9600)
  cut -c9- "$trace" > "$work/untimed$mode"
  for line in "call KIVO_LinkFileList: mode $mode, COM$port, $baud baud" "done KIVO_LinkFileList: 0" \
    "call KIVO_LinkGetFile: mode $mode, COM$port, $baud baud" "done KIVO_LinkGetFile: 0"; do
    check "mode $mode: the trace has '$line'" has "$work/untimed$mode" "$line"
  done
  # Mode 1: the probe, and each packet and control byte in its data frame;
  # modes 0 and 2: the control bytes on their own.
  if [ "$mode" = 1 ]; then
    lines=("-> probe" "-> switch sequence" "<- SYN" "-> data unnumbered length 10: #1 C FF (3 bytes)"
      "-> data unnumbered length 1: EOT" "<- data #1 length 263: #2 DFU (256 bytes)")
  else
    lines=("-> EOT" "<- ACK" "<- EOT" "-> ENQ")
  fi
  for line in "${lines[@]}"; do
    check "mode $mode: the trace has '$line'" has "$work/untimed$mode" "$line"
  done
  check "mode $mode: times go forward" times_go_forward "$trace"
  pc_packets "$trace" > "$work/pc$mode"
  handheld_packets "$work/emulator$mode.log" > "$work/handheld$mode"
  for line in "-> #1 C FF (3 bytes)" "<- #1 DOK (3 bytes)" "-> #1 R FU MEMO.TXT (12 bytes)" \
    "<- #3 DFU (97 bytes)"; do
    check "mode $mode: the packets have '$line'" has "$work/pc$mode" "$line"
  done
  check "mode $mode: $(wc -l < "$work/pc$mode") packets, as the emulator read and sent them" \
    diff "$work/handheld$mode" "$work/pc$mode"
done

# A trace file that cannot be written fails nothing; without the variable
# nothing is written.
device=$device0
check "an unwritable trace fails nothing" "$cli" release --mode 0 --device "$device" --trace "$work/no/such/dir/trace"
check "... and is not made" test ! -e "$work/no/such/dir/trace"
lines=$(wc -l < "$work/trace0.txt")
check "a call without the variable" "$cli" release --mode 0 --device "$device"
check "... writes no trace" test "$(wc -l < "$work/trace0.txt")" = "$lines"
finish
