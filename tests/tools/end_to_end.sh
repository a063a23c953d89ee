#!/usr/bin/env bash
# end_to_end.sh TESSALINK TESSALINK_HANDHELD MODE: the command-line tool and
# the handheld emulator as separate processes on a real pseudo-terminal, the
# way a person uses them: every subcommand the mode allows, byte-exact
# comparisons, the trace of one short conversation, Ctrl-C during a
# transfer, and the messages and exit statuses of a wrong mode and a missing
# file; backup and restore of whole directories.
set -uo pipefail
cli=$1 emulator=$2 mode=$3
. "$(dirname "$0")/../support/checks.sh"
. "$(dirname "$0")/../support/emulator_process.sh"
status_is() {  # status_is EXPECTED COMMAND...: the command's exit status
  "${@:2}" > /dev/null 2> "$work/stderr"
  local got=$?
  [ "$got" -eq "$1" ] || { echo "  exit status $got, expected $1"; cat "$work/stderr"; return 1; }
}
stderr_says() { grep -q -- "$1" "$work/stderr" || { echo "  stderr lacks: $1"; cat "$work/stderr"; return 1; }; }
t() { "$cli" "$@" --mode "$mode"; }

mkdir "$work/dir"
printf 'Hello from the handheld.\r\n' > "$work/text-in.txt"
start_emulator "$emulator" --mode "$mode" --dir "$work/dir" -v \
  --text-out "$work/text-out.txt" --text-in "$work/text-in.txt"

# Files: empty, small, larger than 64 KiB.
: > "$work/empty.bin"
printf 'a small file\n' > "$work/small.txt"
head -c 70000 /dev/urandom > "$work/large.bin"

check "put one file" t put "$work/large.bin" --as LARGE.BIN
check "put without release" t put "$work/small.txt" --as SMALL.TXT --no-release
check "put several" t put "$work/empty.bin" "$work/small.txt" --as EMPTY.BIN --as COPY.TXT
for pair in LARGE.BIN:large.bin SMALL.TXT:small.txt EMPTY.BIN:empty.bin COPY.TXT:small.txt; do
  check "stored ${pair%%:*}" cmp "$work/dir/${pair%%:*}" "$work/${pair##*:}"
done
if [ "$mode" = 2 ]; then
  check "put in chunks" t put "$work/large.bin" --as CHUNKS.BIN --variant 2
  check "put in chunks without release" t put "$work/empty.bin" "$work/large.bin" \
    --as CHUNKS0.BIN --as CHUNKS2.BIN --variant 2 --no-release
  check "stored in chunks" cmp "$work/dir/CHUNKS2.BIN" "$work/large.bin"
else
  check "chunks outside mode 2 are a usage error" status_is 2 t put "$work/large.bin" --variant 2
fi

for pair in LARGE.BIN:large.bin EMPTY.BIN:empty.bin SMALL.TXT:small.txt; do
  check "get ${pair%%:*}" t get "${pair%%:*}" "$work/back-${pair##*:}"
  check "got ${pair%%:*}" cmp "$work/back-${pair##*:}" "$work/${pair##*:}"
done

t list > "$work/list.txt"
check "list names every file" grep -q "^LARGE.BIN	70000" "$work/list.txt"
check "list names the empty file" grep -q "^EMPTY.BIN	0" "$work/list.txt"

check "put one more" t put "$work/small.txt" --as GONE.TXT
check "delete two files" t delete COPY.TXT GONE.TXT
check "deleted both" test ! -e "$work/dir/COPY.TXT" -a ! -e "$work/dir/GONE.TXT"
check "release" t release

printf 'line one\r\nline two\r\n' > "$work/text.txt"
check "text-send" t text-send "$work/text.txt"
for _ in $(seq 50); do [ -s "$work/text-out.txt" ] && break; sleep 0.1; done
check "text arrived" cmp "$work/text-out.txt" "$work/text.txt"
check "text-recv" t text-recv "$work/text-back.txt"
{ cat "$work/text-in.txt"; printf '\032'; } > "$work/text-expected.txt"  # the end mark is kept
check "text received" cmp "$work/text-back.txt" "$work/text-expected.txt"

# backup: every file of the handheld into a directory; an existing copy is
# replaced by the new one.
mkdir "$work/backup"
printf 'old copy' > "$work/backup/LARGE.BIN"
t backup "$work/backup" > "$work/backup.out" 2> "$work/stderr"
check "backup succeeds" test $? -eq 0
for file in "$work"/dir/*; do
  check "backup fetched $(basename "$file")" cmp "$file" "$work/backup/$(basename "$file")"
done
check "backup replaced the old copy" cmp "$work/backup/LARGE.BIN" "$work/large.bin"
count=$(ls "$work/dir" | wc -l)
check "backup sums up" grep -q "^fetched $count files, .* in [0-9.]* s\$" "$work/backup.out"
check "backup leaves no unfinished file" test -z "$(ls -A "$work/backup" | grep '^\.')"

t backup "$work/only" --only '*.txt' --only 'large.*' > /dev/null
check "backup --only takes the matching names" test "$(ls "$work/only" | tr '\n' ' ')" = "LARGE.BIN SMALL.TXT "

# A file that cannot be stored stops the backup, named; what came before stays.
mkdir -p "$work/blocked/SMALL.TXT"
check "a file that cannot be stored is a file error" status_is 4 t backup "$work/blocked"
check "the file that could not be stored is named" stderr_says "SMALL.TXT"
check "the blocked file is left as it was" test -d "$work/blocked/SMALL.TXT"
for file in "$work"/blocked/*; do
  [ -f "$file" ] && check "fetched before the failure: $(basename "$file")" cmp "$file" "$work/dir/$(basename "$file")"
done

# restore: every regular file of a directory over one connection, one release.
mkdir -p "$work/restore/subdir"
cp "$work/large.bin" "$work/restore/R2.BIN"
cp "$work/small.txt" "$work/restore/R1.TXT"
: > "$work/restore/R0.BIN"
lines_before=$(wc -l < "$work/emulator.log")
t restore "$work/restore" > "$work/restore.out" 2> "$work/stderr"
check "restore succeeds" test $? -eq 0
sleep 0.3
for name in R0.BIN R1.TXT R2.BIN; do
  check "restore sent $name" cmp "$work/restore/$name" "$work/dir/$name"
done
check "restore leaves out what is no regular file" test ! -e "$work/dir/subdir"
check "restore sums up" grep -q "^sent 3 files, .* in [0-9.]* s\$" "$work/restore.out"
tail -n +"$((lines_before + 1))" "$work/emulator.log" > "$work/restore-trace.txt"
check "restore sends one release after the last file" test "$(grep -c '<- #1 C LE' "$work/restore-trace.txt")" -eq 1
rm "$work/dir/R1.TXT" "$work/dir/R2.BIN"
check "restore of named files" t restore "$work/restore" R1.TXT > /dev/null
check "restore sent the named file" cmp "$work/restore/R1.TXT" "$work/dir/R1.TXT"
check "restore sent only the named file" test ! -e "$work/dir/R2.BIN"
if [ "$mode" = 2 ]; then
  check "restore in chunks" t restore "$work/restore" R2.BIN --variant 2 > /dev/null
  check "restored in chunks" cmp "$work/restore/R2.BIN" "$work/dir/R2.BIN"
fi
# A file the handheld cannot keep (its name is taken by a directory there)
# stops the restore, named; the files before it stay, the ones after are not sent.
mkdir -p "$work/refused" "$work/dir/R5.TXT"
printf 'four\n' > "$work/refused/R4.TXT"
printf 'five\n' > "$work/refused/R5.TXT"
printf 'six\n' > "$work/refused/R6.TXT"
t restore "$work/refused" > "$work/refused.out" 2> "$work/stderr"
check "a refused file stops the restore with the reply's status" test $? -eq 10
check "the refused file is named" stderr_says "restore: R5.TXT"
check "the file before it stays" cmp "$work/refused/R4.TXT" "$work/dir/R4.TXT"
check "the file after it is not sent" test ! -e "$work/dir/R6.TXT"
check "the summary counts the file sent" grep -q "^sent 1 of 3 files" "$work/refused.out"
rmdir "$work/dir/R5.TXT"
rm "$work/dir/R4.TXT"

check "restore of a missing file is a file error" status_is 4 t restore "$work/restore" NOPE.TXT
check "restore names the missing file" stderr_says "NOPE.TXT"

# The trace of one short conversation: a release.
lines_before=$(wc -l < "$work/emulator.log")
check "release again" t release
sleep 0.3
tail -n +"$((lines_before + 1))" "$work/emulator.log" > "$work/release-trace.txt"
for line in "<- #1 C LE" "-> ACK" "<- EOT" "-> #1 DOK" "-> EOT" "<- ACK" "-> ENQ"; do
  check "trace shows '$line'" grep -qF -- "$line" "$work/release-trace.txt"
done

# Ctrl-C while a text is awaited (the emulator sends its text only after a
# quiet second: stop it sending by removing the file first).
rm -f "$work/text-in.txt"
"$cli" text-recv "$work/never.txt" --mode "$mode" 2> "$work/stderr" &
cli_pid=$!
sleep 2
kill -INT "$cli_pid"
wait "$cli_pid"; status=$?
check "Ctrl-C gives the status of 999" test "$status" -eq 130
check "Ctrl-C says it was cancelled" stderr_says "result 999"
check "the cancelled receive left no file" test ! -e "$work/never.txt"
sleep 0.5
check "the port was released and the emulator still serves" t list -o "$work/list-again.txt"

# A wrong mode, and a missing local file.
check "a wrong mode is a usage error" status_is 2 "$cli" list --mode 7
check "a missing file is a file error" status_is 4 t put "$work/missing.bin"
check "the missing file is named" stderr_says "missing.bin"

check "the emulator stops cleanly" stop_emulator

finish
