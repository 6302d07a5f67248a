#!/usr/bin/env bash
# Times km640-cli write, read and verify against km640-sim paced like a
# 9600-baud line and prints each beside its wire-time limit: the bytes on the
# line (requests and replies) x 10 bits / 9600, plus the fixed pauses of the
# operation. Also prints the processor time of the km640-cli process (user +
# system) as a share of its wall time. A benchmark, not a test: run it by
# hand on a quiet machine. Targets: ratio at most 1.02, processor share at
# most 5 %.
#
#   bench/cli_transfer_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
runs="${2:-3}"
cli="$build/cli/km640-cli"
sim="$build/sim/km640-sim"
for program in "$cli" "$sim"; do
  [[ -x "$program" ]] || { echo "missing $program: build km640-cli and km640-sim first" >&2; exit 2; }
done

work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [[ -n "$sim_pid" ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" > "$work/sim.out" 2> "$work/sim.err" &
sim_pid=$!
for _ in $(seq 50); do [[ -s "$work/sim.out" ]] && break; sleep 0.1; done
port="$(head -n 1 "$work/sim.out")"
[[ -n "$port" ]] || { echo "km640-sim printed no port" >&2; cat "$work/sim.err" >&2; exit 1; }

# Any code-plug will do for timing: zeros with the model text the write needs.
head -c 2048 /dev/zero > "$work/bench.tbl"
printf 'KM640 V119' | dd of="$work/bench.tbl" bs=1 seek=1968 conv=notrunc status=none

# Frames: a read request is 19 bytes and its reply 15 + count; a compare
# request 18 bytes; a write block 82 bytes, acknowledged with 16; the clock
# command 32 bytes (16 back), the reset 18 bytes (17 back).
read_bytes=$(( (19 + 16) + (19 + 47) + (19 + 31) + 32 * (19 + 79) ))          # probe, board data, serial, 32 blocks
write_bytes=$(( (19 + 16) + (19 + 31) + (19 + 47) + (19 + 31) \
              + 32 * ((82 + 16) + (18 + 79)) + (32 + 16) + (18 + 17) ))     # ... version, 32 x write+compare, clock, reset
# km640-cli verify reads the whole memory and compares it here, so that it can
# name the differing fields: a probe and 32 block reads, no closing pause.
verify_bytes=$(( (19 + 16) + 32 * (19 + 79) ))                                # probe, 32 blocks
# Pauses in ms: 5 after every successful data exchange, 1 between a block's
# write and its compare, 100 after the clock, 200 + 100 around the reset,
# and the 500 (read) or 600 (write) the outcome stays on screen.
read_pause_ms=$(( 5 * 35 + 500 ))
write_pause_ms=$(( 5 * 4 + 32 * (5 + 1 + 5) + 100 + 200 + 100 + 600 ))
verify_pause_ms=$(( 5 * 33 ))

limit() { awk -v b="$1" -v p="$2" 'BEGIN { printf "%.3f", b * 10 / 9600 + p / 1000 }'; }

# Runs km640-cli with its arguments and appends "wall user+system" in seconds
# to the file named first.
timed() {
  local out="$1"; shift
  local TIMEFORMAT='%R %U %S'
  { time "$cli" --quiet "$@" > /dev/null 2> "$work/cli.err" || { cat "$work/cli.err" >&2; exit 1; }; } 2> "$work/time"
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/time" >> "$out"
}

for run in $(seq "$runs"); do
  timed "$work/write.times" write --port "$port" "$work/bench.tbl"
  timed "$work/read.times" read --port "$port" -o "$work/back.tbl"
  # The pager's own memory, read back, is what it must verify against.
  timed "$work/verify.times" verify --port "$port" "$work/back.tbl"
  echo "run $run: write $(tail -n 1 "$work/write.times" | cut -d' ' -f1) s," \
       "read $(tail -n 1 "$work/read.times" | cut -d' ' -f1) s," \
       "verify $(tail -n 1 "$work/verify.times" | cut -d' ' -f1) s"
done

printf '\n%-9s %10s %10s %7s %9s   %s\n' operation best limit ratio "cpu" "(limit: bytes x 10 / 9600 + pauses)"
for op in write read verify; do
  case $op in
    write) bytes=$write_bytes pause=$write_pause_ms ;;
    read) bytes=$read_bytes pause=$read_pause_ms ;;
    verify) bytes=$verify_bytes pause=$verify_pause_ms ;;
  esac
  # The fastest run, and the processor share of that run.
  read -r best cpu < <(sort -n "$work/$op.times" | head -n 1)
  lim=$(limit "$bytes" "$pause")
  ratio=$(awk -v a="$best" -v b="$lim" 'BEGIN { printf "%.3f", a / b }')
  share=$(awk -v c="$cpu" -v w="$best" 'BEGIN { printf "%.1f %%", 100 * c / w }')
  printf '%-9s %8.3f s %8.3f s %7s %9s   (%d bytes + %d ms)\n' "$op" "$best" "$lim" "$ratio" "$share" "$bytes" "$pause"
done
