#!/usr/bin/env bash
# wine_link_test.sh ARCH WINDOWS_BUILD WINE_PREFIX NATIVE_CALLER NATIVE_LIBRARY EMULATOR
#
# The Windows DLL of one architecture under Wine, against the handheld
# emulator: COM1 and COM2 of the Wine prefix lead to the emulator's
# pseudo-terminal, and the Windows test caller runs a script of calls in
# modes 0, 1 and 2 (every transfer export the mode allows, delete, release,
# both application-text exports, a cancel from the window and the call after
# it, a call without a window). The native caller runs the same script
# through the POSIX library against a second emulator. Both must give the
# expected results, the same results call by call, and every file byte for
# byte. Then: a COM port with nothing behind it, and an unusable block size,
# which must fail before a byte reaches the handheld.
#
# Exits 77 (skipped, with the reason on one line) where this architecture's
# Wine or Windows build is missing; fails instead when TESSALINK_REQUIRE_WINE
# is set (the test command installs Wine and builds both).
set -uo pipefail
arch=$1
windows_build=$(realpath -m "$2") prefix=$(realpath -m "$3") native_caller=$(realpath -m "$4")
native_library=$(realpath -m "$5") emulator=$(realpath -m "$6")

skip() {
  [ -z "${TESSALINK_REQUIRE_WINE:-}" ] || { echo "FAILED: $*"; exit 1; }
  echo "SKIPPED: $*"
  exit 77
}
case "$arch" in
  i686) loader=/usr/lib/wine/wine
        missing="no 32-bit Wine (Debian's wine32:i386, which needs the i386 architecture)" ;;
  x86_64) loader=/usr/lib/wine/wine64
          missing="no 64-bit Wine (Debian's wine64)" ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac
[ -x "$loader" ] || skip "$missing"
# A kernel built without 32-bit support cannot run the 32-bit loader at all
# (Exec format error): no package can bring that, so the test says so and
# skips even where Wine is required.
bash -c '"$0" --version' "$loader" > /dev/null 2>&1
if [ $? -eq 126 ]; then
  echo "SKIPPED: this machine's kernel does not run $arch programs ($loader: Exec format error)"
  exit 77
fi
dll=$windows_build/Tessalink.dll
caller=$windows_build/tests/wine/link_caller.exe
[ -r "$dll" ] && [ -r "$caller" ] ||
  skip "the $arch Windows build is missing ($caller): build the mingw-$arch preset first"

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d /tmp/tessalink-wine-XXXXXX)
emulator_pid=""

stop_emulator() {
  if [ -n "$emulator_pid" ]; then
    kill -TERM "$emulator_pid" 2> /dev/null
    wait "$emulator_pid" 2> /dev/null
    emulator_pid=""
  fi
}
cleanup() { stop_emulator; [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"; }
trap cleanup EXIT

. "$(dirname "$0")/../support/checks.sh"

winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

wineserver=$(dirname "$loader")/wineserver
"$(dirname "$0")/make-wine-prefix" "$prefix" || exit 1
ports=$prefix/tessalink-ports

# start_emulator MODE SIDE: the emulator serving $work/SIDE/dir, its COM ports
# mapped for that side (Wine: the prefix's dosdevices; POSIX: TESSALINK_COM<n>).
start_emulator() {
  local mode=$1 side=$2
  rm -f "$work/env"
  "$emulator" --mode "$mode" --dir "$work/$side/dir" --print-env-file "$work/env" -v \
    --text-out "$work/$side/text-out.txt" --text-in "$work/text-in.txt" \
    > "$work/$side/emulator.log" 2>&1 &
  emulator_pid=$!
  for _ in $(seq 100); do [ -s "$work/env" ] && break; sleep 0.1; done
  [ -s "$work/env" ] || { echo "the emulator did not start"; cat "$work/$side/emulator.log"; exit 1; }
  pty=$(cut -d= -f2- "$work/env")
  ln -sfn "$pty" "$ports/com1"
  ln -sfn "$pty" "$ports/com2"
  ln -sfn "$work/nothing-here" "$ports/com3"
  export TESSALINK_COM1=$pty TESSALINK_COM2=$pty TESSALINK_COM3=$work/nothing-here
}

# run_caller SIDE OUTPUT STEP...: the side's caller in the side's folder.
run_caller() {
  local side=$1 output=$2
  shift 2
  if [ "$side" = windows ]; then
    # Its output has Windows line ends.
    (cd "$work/$side" && timeout -k 10 600 "$loader" "$caller" "$(winpath "$dll")" "$@") \
      2>> "$work/$side/stderr" | tr -d '\r' >> "$work/$side/$output"
    local status=${PIPESTATUS[0]}
    # Wine's server keeps the port's device open for a few seconds after the
    # program ends, and dumps all its objects if the emulator goes meanwhile.
    timeout -k 10 60 "$wineserver" -w
    return "$status"
  else
    (cd "$work/$side" && timeout -k 10 600 "$native_caller" "$native_library" "$@") \
      >> "$work/$side/$output" 2>> "$work/$side/stderr"
  fi
}

# The files both sides send, and the text the handheld sends.
mkdir -p "$work/files"
head -c 100000 /dev/urandom > "$work/files/large.bin"
printf 'a small file\r\n' > "$work/files/small.txt"
: > "$work/files/empty.bin"
printf 'line one\r\nline two\r\n' > "$work/files/text.txt"
printf 'Hello from the handheld.\r\n' > "$work/text-in.txt"

# call RESULT STEP ARGUMENTS...: a step of the script and the result it must give.
call() { expected+=("$2 $1"); script+=("${@:2}"); }

for mode in 0 1 2; do
  script=(mode="$mode") expected=()
  call 0 put large.bin LARGE.BIN
  call 0 put-ex small.txt SMALL.TXT
  call 0 puts 'empty.bin+small.txt' 'EMPTY.BIN+COPY.TXT'
  call 0 puts-ex 'small.txt+large.bin' 'S2.TXT+L2.BIN'
  if [ "$mode" = 2 ]; then
    call 0 put2 large.bin CHUNKS.BIN
    call 0 put2-ex small.txt C2.TXT
    call 0 puts2 'empty.bin+large.bin' 'C3.BIN+C4.BIN'
    call 0 puts2-ex small.txt C5.TXT
  else
    call -999 put2 large.bin CHUNKS.BIN
    call -999 puts2 large.bin CHUNKS.BIN
  fi
  call 0 list list.txt ''
  call 0 get got-large.bin LARGE.BIN
  call 0 get got-copy.txt COPY.TXT
  call 0 get got-empty.bin EMPTY.BIN
  call 0 gets 'gets-large.bin+gets-copy.txt+gets-empty.bin' 'LARGE.BIN+COPY.TXT+EMPTY.BIN'
  # A name the handheld does not send stops the walk there: the pair before
  # it is whole, the pair after it untouched.
  call -100 gets 'stop-copy.txt+stop-none.bin+stop-after.bin' 'COPY.TXT+NO-SUCH.BIN+LARGE.BIN'
  call 0 delete SMALL.TXT
  call 0 list list-after-delete.txt ''
  call 0 release
  call 0 text-send text.txt
  call 0 text-recv text-back.txt
  script+=(cancel-after=3)
  call 999 get cancelled.bin LARGE.BIN
  # The emulator learns that the PC closed the line only if it stays closed
  # for a moment; without that it would still be in the cancelled get.
  script+=(cancel-after=0 pause=1000)
  call 0 list list-after-cancel.txt ''
  script+=(window=off)
  call 0 get got-l2.bin L2.BIN
  printf '%s\n' "${expected[@]}" > "$work/expected-$mode"

  for side in windows posix; do
    rm -rf "${work:?}/$side"
    mkdir -p "$work/$side/dir"
    cp "$work/files/"* "$work/$side/"
    start_emulator "$mode" "$side"
    run_caller "$side" "results-$mode" conventions "${script[@]}"
    check "$side mode $mode: the caller ran every step" [ $? -eq 0 ]
    for _ in $(seq 50); do [ -s "$work/$side/text-out.txt" ] && break; sleep 0.1; done

    # Extra calls on their own connections: an unusable block size must fail
    # before a byte reaches the handheld, and a port with nothing behind it.
    if [ "$mode" = 2 ]; then
      log=$work/$side/emulator.log
      lines_before=$(wc -l < "$log")
      run_caller "$side" refusals mode=2 send-block=3 list never.txt ''
      check "$side: the unusable block size ran" [ $? -eq 0 ]
      sleep 0.5
      check "$side: nothing reached the handheld" [ "$(wc -l < "$log")" -eq "$lines_before" ]
      run_caller "$side" refusals mode=2 port=2:3 list never.txt '' port=2:2 list list-last.txt ''
      check "$side: the port with nothing behind it ran" [ $? -eq 0 ]
      check "$side: -999 twice, then the next call works" \
        [ "$(awk '$1 == "list" {printf "%s ", $2}' "$work/$side/refusals")" = "-999 -999 0 " ]
    fi
    stop_emulator

    cut -d'|' -f1 "$work/$side/results-$mode" | grep -v '^conventions\|^mode=' |
      awk '{print $1, $2}' > "$work/$side/got-$mode"
    check "$side mode $mode: the expected results" diff "$work/expected-$mode" "$work/$side/got-$mode"
    d=$work/$side
    check "$side mode $mode: LARGE.BIN stored" cmp "$d/dir/LARGE.BIN" "$d/large.bin"
    check "$side mode $mode: COPY.TXT stored" cmp "$d/dir/COPY.TXT" "$d/small.txt"
    check "$side mode $mode: EMPTY.BIN stored" cmp "$d/dir/EMPTY.BIN" "$d/empty.bin"
    check "$side mode $mode: L2.BIN stored" cmp "$d/dir/L2.BIN" "$d/large.bin"
    check "$side mode $mode: SMALL.TXT deleted" [ ! -e "$d/dir/SMALL.TXT" ]
    check "$side mode $mode: LARGE.BIN fetched" cmp "$d/got-large.bin" "$d/large.bin"
    check "$side mode $mode: COPY.TXT fetched" cmp "$d/got-copy.txt" "$d/small.txt"
    check "$side mode $mode: EMPTY.BIN fetched" cmp "$d/got-empty.bin" "$d/empty.bin"
    check "$side mode $mode: L2.BIN fetched without a window" cmp "$d/got-l2.bin" "$d/large.bin"
    check "$side mode $mode: a list of gets fetched LARGE.BIN" cmp "$d/gets-large.bin" "$d/large.bin"
    check "$side mode $mode: a list of gets fetched COPY.TXT" cmp "$d/gets-copy.txt" "$d/small.txt"
    check "$side mode $mode: a list of gets fetched EMPTY.BIN" cmp "$d/gets-empty.bin" "$d/empty.bin"
    check "$side mode $mode: the stopped list fetched the pair before the stop" \
      cmp "$d/stop-copy.txt" "$d/small.txt"
    check "$side mode $mode: the stopped list left the pair after the stop untouched" \
      [ ! -e "$d/stop-after.bin" ]
    check "$side mode $mode: the list names LARGE.BIN" grep -q "^LARGE.BIN	100000" "$d/list.txt"
    check "$side mode $mode: the list after the delete lacks SMALL.TXT" \
      eval "! grep -q '^SMALL.TXT' '$d/list-after-delete.txt'"
    check "$side mode $mode: the text arrived" cmp "$d/text-out.txt" "$d/text.txt"
    { cat "$work/text-in.txt"; printf '\032'; } > "$work/text-expected.txt"
    check "$side mode $mode: the text came back with its end mark" \
      cmp "$d/text-back.txt" "$work/text-expected.txt"
    if [ "$mode" = 2 ]; then
      check "$side mode 2: CHUNKS.BIN stored" cmp "$d/dir/CHUNKS.BIN" "$d/large.bin"
      check "$side mode 2: C4.BIN stored" cmp "$d/dir/C4.BIN" "$d/large.bin"
      check "$side mode 2: C5.TXT stored" cmp "$d/dir/C5.TXT" "$d/small.txt"
    fi
  done

  echo "== mode $mode, $arch DLL under Wine (results | polls, time):"
  grep -v '^mode=' "$work/windows/results-$mode"
  check "mode $mode: Windows and POSIX give the same results and messages" \
    diff <(cut -d'|' -f1 "$work/windows/results-$mode" | grep -v '^conventions') \
         <(cut -d'|' -f1 "$work/posix/results-$mode" | grep -v '^conventions')
  if [ "$arch" = i686 ]; then
    check "i686: every settings export leaves the stack to its caller" \
      [ "$(grep -c 'stack moved 0 bytes' "$work/windows/results-$mode")" -eq 6 ]
  fi
done

echo "== refusals, $arch DLL under Wine:"
cat "$work/windows/refusals"
check "refusals: Windows and POSIX give the same results" \
  diff <(cut -d'|' -f1 "$work/windows/refusals") <(cut -d'|' -f1 "$work/posix/refusals")
if [ -s "$work/windows/stderr" ]; then
  echo "== what the Windows caller printed on its error output:"
  cat "$work/windows/stderr"
fi

finish
