#!/usr/bin/env bash
# The link's benchmark: builds the library, the emulator and the tool in
# release mode in out/bench and prints one table, every figure measured in
# this run on this machine (see the README, "Benchmarks"):
#   1. throughput over a pseudo-terminal with the emulator, against ZMODEM
#      (sz -> rz) over the same kind of pair (a master/slave pair, direct);
#   2. the time per packet against a bare one-byte ping-pong;
#   3. efficiency on a paced line (the emulator's --pace) at 115200 and 9600;
#   4. the cost of waiting for the application text, and of its cancel;
#   5. the conversions (convert_bench), a summary;
#   6. whole jobs: backup and restore of 50 files of 2000 bytes on a paced
#      115200 line, against the line time of the file bytes.
#
#   bench/link_bench.sh [--quick] [--runs N] [--size-mib N] [--baseline REV]
#                       [--prebuilt DIR] [--jobs-only]
#
# --quick: small sizes and one run each (a smoke run, figures not meant to be
# kept). --runs: runs of each measurement, the median is shown (default 3).
# --size-mib: the throughput file (default 16). --baseline REV: also builds
# the library, emulator and tool of git revision REV (with this tree's bench/)
# and prints its table first, to compare. --prebuilt DIR: use the programs of
# an existing build instead of building (the smoke test does). --jobs-only:
# section 6 alone.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
quick=0
runs=3
size_mib=16
baseline=""
prebuilt=""
jobs_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --runs) runs=$2; shift ;;
    --size-mib) size_mib=$2; shift ;;
    --baseline) baseline=$2; shift ;;
    --prebuilt) prebuilt=$2; shift ;;
    --jobs-only) jobs_only=1 ;;
    -h|--help) sed -n '2,25p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "link_bench: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
out=${TESSALINK_BENCH_DIR:-$src/out/bench}
if [ "$quick" = 1 ]; then
  runs=1
  size_kib=256; paced_kib_fast=8; paced_kib_slow=1; wait_s=2; job_files=5
else
  size_kib=$((size_mib * 1024)); paced_kib_fast=128; paced_kib_slow=8; wait_s=10; job_files=50
fi
for tool in sz rz; do
  command -v $tool >/dev/null || { echo "link_bench: $tool missing (Debian package lrzsz)" >&2; exit 1; }
done

# Builds the source tree $1 in $2, release mode.
build() {
  cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DTESSALINK_TESTS=off >"$2.log" 2>&1 &&
    cmake --build "$2" -j2 --target tessalink tessalink-handheld measured_run pty_ping_pong \
      pty_pair_run text_wait_cost >>"$2.log" 2>&1 &&
    { cmake --build "$2" -j2 --target convert_bench >>"$2.log" 2>&1 || true; } ||
    { echo "link_bench: the build in $2 failed, see $2.log" >&2; exit 1; }
}

current=${prebuilt:+$(cd "$prebuilt" && pwd)}
if [ -z "$current" ]; then
  mkdir -p "$out"
  current=$out/current
  build "$src" "$current"
fi
if [ -n "$baseline" ]; then
  rm -rf "$out/baseline-src" && mkdir -p "$out/baseline-src"
  git -C "$src" archive "$baseline" | tar -x -C "$out/baseline-src"
  cp -r "$src/bench/." "$out/baseline-src/bench/"
  build "$out/baseline-src" "$out/baseline"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/link_bench.XXXXXX")
emu_pid=""
cleanup() {
  [ -n "$emu_pid" ] && kill -INT "$emu_pid" 2>/dev/null && wait "$emu_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
calc() { awk "BEGIN { printf \"$1\", $2 }"; }

# --- the emulator and the tool ---
# start_emulator MODE [emulator options...]: a fresh emulator serving an empty
# directory; its COM port set in the environment.
start_emulator() {
  local mode=$1; shift
  rm -rf "$work/hh" "$work/env" && mkdir -p "$work/hh"
  cp "$work/data" "$work/hh/DATA.BIN"
  echo " $* " >"$work/emu.args"
  "$bin/measured_run" "$work/emu.time" -- "$emu" --mode "$mode" --dir "$work/hh" \
    --print-env-file "$work/env" "$@" >"$work/emu.log" 2>&1 &
  emu_pid=$!
  for _ in $(seq 200); do [ -s "$work/env" ] && break; sleep 0.05; done
  export "$(cat "$work/env")"
}
# Stops it (with -v once it has told of the PC closing the line); its CPU
# seconds in emu_cpu.
stop_emulator() {
  if grep -q -- ' -v' "$work/emu.args"; then
    for _ in $(seq 100); do grep -q 'closed the line' "$work/emu.log" && break; sleep 0.02; done
  fi
  kill -INT "$emu_pid"; wait "$emu_pid" || true; emu_pid=""
  emu_cpu=$(awk '{ print $2 + $3 }' "$work/emu.time")
}
# tool ARGS...: runs the tool; its wall and CPU seconds in pc_wall, pc_cpu.
tool() {
  "$bin/measured_run" "$work/pc.time" -- "$cli" "$@" >"$work/pc.log" 2>&1 ||
    { echo "link_bench: tessalink $* failed:" >&2; cat "$work/pc.log" "$work/emu.log" >&2; exit 1; }
  pc_wall=$(awk '{ print $1 }' "$work/pc.time")
  pc_cpu=$(awk '{ print $2 + $3 }' "$work/pc.time")
}

# transfer NAME MODE BLOCK EMULATOR-OPTIONS -- TOOL-ARGS...: one transfer of
# $work/data, checked; appends "wall pc-cpu emu-cpu" to $work/NAME.
transfer() {
  local name=$1 mode=$2 block=$3; shift 3
  local emu_args=()
  while [ "$1" != "--" ]; do emu_args+=("$1"); shift; done
  shift
  start_emulator "$mode" "${emu_args[@]}"
  rm -f "$work/hh/PUT.BIN" "$work/got.bin"
  tool "$@" --mode "$mode" --block-size "$block"
  stop_emulator
  if [ -e "$work/got.bin" ]; then cmp -s "$work/got.bin" "$work/data"; else cmp -s "$work/hh/PUT.BIN" "$work/data"; fi ||
    { echo "link_bench: $name: the file arrived damaged" >&2; exit 1; }
  echo "$pc_wall $pc_cpu $emu_cpu" >>"$work/$name"
}
put_args() { echo put "$work/data" --as PUT.BIN --no-release "$@"; }

make_data() { head -c "$1" /dev/urandom >"$work/data"; }
col() { awk -v c="$1" '{ print $c }' "$work/$2" | median; }

# --- one table for the build in $1 ---
table() {
  bin=$1/bench; emu=$1/tools/emulator/tessalink-handheld; cli=$1/tools/cli/tessalink
  rm -f "$work"/r_*
  local bytes=$((size_kib * 1024))
  make_data "$bytes"
  for _ in $(seq "$runs"); do
    # shellcheck disable=SC2046
    transfer r_pf2 2 4096 -- $(put_args --variant 2)
    transfer r_put256 0 256 --reply-size 256 -- $(put_args --variant 1)
    transfer r_get256 0 256 --reply-size 256 -- get DATA.BIN "$work/got.bin"
    transfer r_put4096 0 4096 --reply-size 4096 -- $(put_args --variant 1)
    transfer r_get4096 0 4096 --reply-size 4096 -- get DATA.BIN "$work/got.bin"
    transfer r_put1 1 4096 --reply-size 4096 -- $(put_args --variant 1)
    transfer r_get1 1 4096 --reply-size 4096 -- get DATA.BIN "$work/got.bin"
    mkdir -p "$work/z" && rm -f "$work/z/data"
    (cd "$work/z" && "$bin/pty_pair_run" "$work/z.time" -- sz -q "$work/data" -- rz -q -y) ||
      { echo "link_bench: sz -> rz failed" >&2; exit 1; }
    cmp -s "$work/z/data" "$work/data" || { echo "link_bench: ZMODEM damaged the file" >&2; exit 1; }
    cat "$work/z.time" >>"$work/r_zmodem"
  done
  local mb zw zpc zem
  mb=$(calc "%.6f" "$bytes / 1e6")
  zw=$(col 1 r_zmodem); zpc=$(col 2 r_zmodem); zem=$(col 3 r_zmodem)
  echo
  echo "1. Throughput, $((bytes / 1024)) KiB of random bytes over a pseudo-terminal pair (master/slave, direct), median of $runs"
  printf "   %-30s %8s %8s %9s %11s %11s %9s\n" "transfer" "wall s" "MB/s" "MB/s -0.5" "PC CPU s/MB" "HH CPU s/MB" "x ZMODEM"
  local row w pc em
  for row in "r_pf2:put-file-2 (mode 2, 4096)" "r_put256:put, mode 0, block 256" "r_get256:get, mode 0, block 256" \
             "r_put4096:put, mode 0, block 4096" "r_get4096:get, mode 0, block 4096" \
             "r_put1:put, mode 1, block 4096" "r_get1:get, mode 1, block 4096"; do
    w=$(col 1 "${row%%:*}"); pc=$(col 2 "${row%%:*}"); em=$(col 3 "${row%%:*}")
    printf "   %-30s %8.3f %8.2f %9.2f %11.4f %11.4f %9.2f\n" "${row#*:}" "$w" "$(calc %f "$mb / $w")" \
      "$(calc %f "$mb / ($w - 0.5)")" "$(calc %f "$pc / $mb")" "$(calc %f "$em / $mb")" "$(calc %f "$zw / $w")"
  done
  printf "   %-30s %8.3f %8.2f %9s %11.4f %11.4f %9.2f\n" "ZMODEM sz -> rz" "$zw" "$(calc %f "$mb / $zw")" "-" \
    "$(calc %f "$zpc / $mb")" "$(calc %f "$zem / $mb")" 1
  echo "   (MB = 10^6 bytes; \"-0.5\": less the 500 ms the line settles after every connect;"
  echo "    PC = the tool and library, HH = the emulator, ZMODEM: sz and rz; x ZMODEM = ZMODEM's wall / this wall)"

  # 2. per packet: the 256-byte put against a one-packet put, per packet.
  make_data 253
  for _ in $(seq "$runs"); do transfer r_put1p 0 256 --reply-size 256 -- $(put_args --variant 1); done
  local packets per ping
  packets=$(( (bytes + 252) / 253 ))
  per=$(calc %f "($(col 1 r_put256) - $(col 1 r_put1p)) / ($packets - 1) * 1e6")
  ping=$("$bin/pty_ping_pong" $([ "$quick" = 1 ] && echo 2000))
  echo
  echo "2. Per packet: put, mode 0, block 256 ($packets packets, less a one-packet put) against a bare one-byte ping-pong"
  printf "   %-30s %10.1f us\n" "one packet and its ACK" "$per"
  printf "   %-30s %10.1f us\n" "bare ping-pong round trip" "$ping"
  printf "   %-30s %10.2f   (goal <= 1.5)\n" "ratio" "$(calc %f "$per / $ping")"

  # 3. the paced line
  echo
  echo "3. Paced line (emulator --pace): line time of all the conversation's bytes / time from the first byte in to the last out"
  printf "   %-30s %7s %9s %9s %9s %8s %7s\n" "transfer" "baud" "KiB" "bytes" "line s" "took s" "eff. %"
  local baud kib
  for baud in 115200 9600; do
    kib=$paced_kib_fast; [ "$baud" = 9600 ] && kib=$paced_kib_slow
    make_data $((kib * 1024))
    for row in "pf2:put-file-2 (mode 2, 4096):2:4096:put_args --variant 2" \
               "put:put, mode 0, block 256:0:256:put_args --variant 1" \
               "get:get, mode 0, block 256:0:256:echo get DATA.BIN $work/got.bin"; do
      IFS=: read -r name label mode block args <<<"$row"
      rm -f "$work/r_paced"
      for _ in $(seq "$runs"); do
        # shellcheck disable=SC2046
        transfer r_ignored "$mode" "$block" --pace "$baud" -v --reply-size 256 -- $($args)
        sed -n 's/.*closed the line (\([0-9]*\) bytes in, \([0-9]*\) bytes out, \([0-9.]*\) s from.*/\1 \2 \3/p' \
          "$work/emu.log" | tail -1 >>"$work/r_paced"
      done
      local total took line
      total=$(awk '{ print $1 + $2 }' "$work/r_paced" | median)
      took=$(col 3 r_paced)
      line=$(calc %f "$total * 10 / $baud")
      printf "   %-30s %7d %9d %9d %9.3f %8.3f %7.1f\n" "$label" "$baud" "$kib" "$total" "$line" "$took" \
        "$(calc %f "100 * $line / $took")"
    done
  done
  echo "   (goals at 115200: put-file-2 >= 98%, put and get >= 95%)"

  # 4. the cost of waiting
  echo
  echo "4. Waiting for the application text from a silent emulator (the window polled on every empty read)"
  local mode
  for mode in 2 1; do
    rm -f "$work/r_wait" "$work/r_cancel"
    for _ in $(seq "$runs"); do
      start_emulator $mode
      "$bin/measured_run" --stop-after "$wait_s" "$work/pc.time" -- "$bin/text_wait_cost" $mode 2 0 \
        "$work/text" >/dev/null 2>&1 || true
      stop_emulator
      echo "$(awk '{ print 100 * ($2 + $3) / $1 }' "$work/pc.time")" \
        "$(calc %f "100 * $emu_cpu / $(awk '{ print $1 }' "$work/emu.time")")" >>"$work/r_wait"
      start_emulator $mode
      "$bin/text_wait_cost" $mode 2 1000 "$work/text" | awk '{ print $3 }' >>"$work/r_cancel"
      stop_emulator
    done
    printf "   %-44s %8.2f %% of a core (goal < 1)\n" "mode $mode: PC side, ${wait_s} s, never cancelled" "$(col 1 r_wait)"
    printf "   %-44s %8.2f %% of a core\n" "mode $mode: emulator side, meanwhile" "$(col 2 r_wait)"
    printf "   %-44s %8.2f ms (goal <= 20)\n" "mode $mode: cancel answered -> export returned" "$(col 1 r_cancel)"
  done

  # 5. the conversions
  echo
  if [ "$quick" = 1 ] && [ -x "$bin/convert_bench" ]; then
    echo "5. Conversions (convert_bench, 1 MiB, quick)"
    "$bin/convert_bench" --benchmark_filter='^(KIVO_4TO3_MEM|KIVO_HEX2BIN_MEM)/1MiB' 2>/dev/null |
      grep '^KIVO' | sed 's/^/   /'
  elif [ -x "$bin/convert_bench" ]; then
    echo "5. Conversions (convert_bench, 64 MiB; ratio = the reference's time / ours)"
    "$bin/convert_bench" --benchmark_filter='^(KIVO_4TO3_MEM|KIVO_HEX2BIN_MEM|base64 -d|xxd -r -p)/64MiB' \
      2>/dev/null | sed -n '/Against the outside references/,$p' | grep 'MEM' | sed 's/^ */   /'
  else
    echo "5. Conversions"
    echo "   not built (needs Google Benchmark: libbenchmark-dev)"
  fi
}

# --- 6. whole jobs on a paced line ---
# Backup (the list, then every file) and restore (every file, one release)
# of job_files files of 2000 bytes, mode 2 at 115200: the line time of the
# file bytes alone against the tool's wall time.
job_table() {
  bin=$1/bench; emu=$1/tools/emulator/tessalink-handheld; cli=$1/tools/cli/tessalink
  local baud=115200 size=2000 i
  rm -rf "$work/jobfiles" && mkdir -p "$work/jobfiles"
  for i in $(seq -w "$job_files"); do head -c "$size" /dev/urandom > "$work/jobfiles/F$i.BIN"; done
  make_data 1
  rm -f "$work/r_backup" "$work/r_restore"
  for _ in $(seq "$runs"); do
    start_emulator 2 --pace "$baud"
    rm -f "$work/hh/DATA.BIN" && cp "$work/jobfiles/"* "$work/hh/"
    rm -rf "$work/backup"
    tool backup "$work/backup" --mode 2
    stop_emulator
    diff -r "$work/backup" "$work/jobfiles" >/dev/null ||
      { echo "link_bench: the backup differs from the handheld's files" >&2; exit 1; }
    echo "$pc_wall" >>"$work/r_backup"
    start_emulator 2 --pace "$baud"
    rm -f "$work/hh/DATA.BIN"
    tool restore "$work/jobfiles" --mode 2
    stop_emulator
    diff -r "$work/hh" "$work/jobfiles" >/dev/null ||
      { echo "link_bench: the restored files differ" >&2; exit 1; }
    echo "$pc_wall" >>"$work/r_restore"
  done
  local line
  line=$(calc %f "$job_files * $size * 10 / $baud")
  echo
  echo "6. Whole jobs: $job_files files of $size bytes, mode 2, paced at $baud (the tool's wall time, median of $runs)"
  printf "   %-30s %9s %9s %9s\n" "job" "line s" "wall s" "line/wall %"
  local row w
  for row in "r_backup:backup (list, then every file)" "r_restore:restore (every file, release)"; do
    w=$(col 1 "${row%%:*}")
    printf "   %-30s %9.3f %9.3f %9.1f\n" "${row#*:}" "$line" "$w" "$(calc %f "100 * $line / $w")"
  done
  echo "   (line s: the file bytes alone at 10 bits a byte; goal for backup >= 80%)"
}

echo "Tessalink link benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p')"
if [ -n "$baseline" ]; then
  echo
  echo "=== baseline: $baseline ==="
  [ "$jobs_only" = 1 ] || table "$out/baseline"
  job_table "$out/baseline"
  echo
  echo "=== this tree ==="
fi
[ "$jobs_only" = 1 ] || table "$current"
job_table "$current"
