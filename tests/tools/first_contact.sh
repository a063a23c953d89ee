#!/usr/bin/env bash
# first_contact.sh TESSALINK TESSALINK_HANDHELD: what a user meets when one
# thing is off, with the tool and emulated handhelds as processes on
# pseudo-terminals: the configuration (precedence, a malformed file), a
# device that nothing names, --timeout where nothing answers, detect against
# a handheld in each mode, the messages that lead somewhere, and the small
# fixes (help, unknown subcommands, get into a directory, the end mark on a
# terminal, the waiting line).
set -uo pipefail
cli=$1 emulator=$2
# The tool sees only what the test sets: its own configuration, no device.
. "$(dirname "$0")/../support/emulated_handhelds.sh"
run() {  # run EXPECTED-STATUS COMMAND...: the status; stdout and stderr kept
  "${@:2}" > "$work/out" 2> "$work/err"
  local got=$?
  [ "$got" -eq "$1" ] || { echo "  exit status $got, expected $1: ${*:2}"; cat "$work/err"; return 1; }
}
says() { grep -qF -- "$1" "$work/${2:-err}" || { echo "  ${2:-err} lacks: $1"; cat "$work/${2:-err}"; return 1; }; }

# One emulated handheld per mode, each on its own pseudo-terminal.
for mode in 0 1 2; do
  mkdir -p "$work/dir$mode"
  printf 'memo of mode %s\r\n' "$mode" > "$work/dir$mode/MEMO.TXT"
  # Text to offer only in mode 2: an emulator sends it whenever the line is
  # quiet, which detect's calls in other modes would take for an answer.
  text=()
  [ "$mode" = 2 ] && printf 'text of mode 2\r\n' > "$work/text.txt" && text=(--text-in "$work/text.txt")
  start_emulator "$mode" "${text[@]}"
done
await_emulators 0 1 2

# No device named anywhere: said, with how to name one; nothing is opened.
check "no device is a connection failure" run 3 "$cli" list
check "no device says how to name one" says "no device is named for the handheld's port COM2: give --device PATH"
TESSALINK_COM1=$device0 run 3 "$cli" list
check "another port's variable is pointed out" says "TESSALINK_COM1 is set: for COM1, which mode 0 uses: give --mode 0"
check "an empty --device is wrong usage" run 2 "$cli" list --device ""
TESSALINK_COM2=/dev/console run 3 "$cli" list
check "the console is not opened unless named" says "this machine's own console or terminal"

# The configuration: set, get, list, unset; the file over the defaults, the
# environment over the file, the command line over the environment.
config=$work/config/tessalink/config
check "config set mode" run 0 "$cli" config set mode 0
check "config set device" run 0 "$cli" config set device "$device0"
check "config get" run 0 "$cli" config get mode
check "config get prints the value" test "$(cat "$work/out")" = 0
check "config list" run 0 "$cli" config list
check "config list shows both" test "$(cat "$work/out")" = "mode = 0
device = $device0"
check "config set refuses a bad value" run 2 "$cli" config set mode 5
check "the file gives mode and device" run 0 "$cli" get MEMO.TXT "$work/from-file.txt"
check "the file's mode and device were used" grep -q "mode 0" "$work/from-file.txt"
check "the environment wins over the file" run 0 env TESSALINK_MODE=2 TESSALINK_COM2="$device2" \
  "$cli" get MEMO.TXT "$work/from-env.txt"
check "the environment's mode and device were used" grep -q "mode 2" "$work/from-env.txt"
check "the command line wins over the environment" run 0 env TESSALINK_MODE=2 TESSALINK_COM2="$device2" \
  "$cli" get MEMO.TXT "$work/from-line.txt" --mode 1 --device "$device1"
check "the command line's mode and device were used" grep -q "mode 1" "$work/from-line.txt"
check "config unset" run 0 "$cli" config unset device
check "an unset key is gone" run 1 "$cli" config get device
printf 'mode = 1\nspeed = 9600\n' > "$config"
check "a malformed file is wrong usage" run 2 "$cli" list --device "$device1"
check "a malformed file is named with its line" says "$config, line 2: unknown setting \"speed\""
printf 'mode = 1\njust words\n' > "$config"
run 2 "$cli" config list
check "a line that is no setting is named" says "$config, line 2: not a setting"
rm "$config"

# Messages that lead somewhere.
check "get of a file the handheld lacks" run 10 "$cli" get NOPE.TXT "$work/nope.txt" --device "$device2"
check "it says the handheld did not send it and what to do" \
  says "tessalink get: the handheld did not send NOPE.TXT (result -100): is the name right? see \`tessalink list\`"
check "a missing text file is named" run 4 "$cli" text-send "$work/absent.txt" --device "$device2"
check "the missing text file's name" says "absent.txt': No such file or directory"

# --timeout where nothing answers: a mode-2 call to the mode-0 handheld,
# whose line is at another speed, gets no answer.
start=$(date +%s%N)
check "--timeout ends the call with its own status" run 124 "$cli" list --mode 2 --device "$device0" --timeout 1
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
check "within the time-out and a second (${elapsed_ms} ms)" test "$elapsed_ms" -lt 2000
check "--timeout says no answer came and what to check" says "no answer came in time: nothing from the handheld for 1 s on $device0 in mode 2"
check "the emulator said why it ignored the input" grep -q "input ignored: the PC's line is at 115200 bit/s, no parity; mode 0 takes 9600 bit/s" "$work/emulator0.log"

# detect: the mode each handheld answers in, and --save.
for mode in 0 1 2; do
  device_var=device$mode
  check "detect finds mode $mode" run 0 "$cli" detect --device "${!device_var}" --timeout 2
  check "detect says mode $mode" says "the handheld answers in mode $mode on ${!device_var}" out
done
check "detect --save" run 0 "$cli" detect --device "$device1" --timeout 2 --save
check "detect --save kept mode and device" test "$(cat "$config")" = "# tessalink settings, written by \`tessalink config set\`
mode = 1
device = $device1"
check "the saved settings serve the next call" run 0 "$cli" get MEMO.TXT "$work/after-detect.txt"
rm "$config"

# The small things.
check "help" run 0 "$cli" help
check "help shows the usage" says "Usage: tessalink" out
check "help of a subcommand" run 0 "$cli" help get
check "help get shows get's usage" says "tessalink get" out
check "an unknown subcommand is named" run 2 "$cli" ls
check "ls is taken for list" says 'no subcommand "ls": did you mean "list"?'
mkdir "$work/into"
check "get into a directory" run 0 "$cli" get MEMO.TXT "$work/into/" --device "$device2"
check "stored under its name" cmp "$work/into/MEMO.TXT" "$work/dir2/MEMO.TXT"
check "get into a missing directory" run 4 "$cli" get MEMO.TXT "$work/none/" --device "$device2"
check "the emulator's version" run 0 "$emulator" --version
check "the emulator's version line" says "tessalink-handheld " out
# On a terminal: the text without its end mark, and the waiting line.
script -qec "$cli text-recv - --device $device2" /dev/null > "$work/terminal.txt" 2>&1
check "text-recv on a terminal shows the text" grep -q "text of mode 2" "$work/terminal.txt"
check "text-recv on a terminal drops the end mark" test "$(tr -cd '\032' < "$work/terminal.txt" | wc -c)" -eq 0
script -qec "$cli list --device $device0 --timeout 3" /dev/null > "$work/terminal.txt" 2>&1
check "a silent handheld is said on the progress line" \
  grep -qF "waiting 2 s of 3 (Ctrl-C cancels): handheld in link mode? mode 2, /dev/" "$work/terminal.txt"

finish
