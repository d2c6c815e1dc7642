#!/usr/bin/env bash
# kvr2840e-cli provision against the simulator carrying every link at 9600 baud
# (11 bits a character, both ways): the default sections and every section,
# on one unit over a serial pty and on 96 units at the tool's server. Prints
# per unit the steps, the bytes each way, the time the line needs to carry
# them, the tool's wall time from start to exit and the ratio of the two.
# The clock (--clock) is left out: it waits for the PC's whole second on
# purpose. Needs the native build; prints figures and fails only when a run
# goes wrong (exit code, steps, or what the unit received).
# Usage: bash bench/run_provision_bench.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tool="$root/build/native/cli/kvr2840e-cli"
sim="$root/build/native/sim/kvr2840e-sim"
settings="$root/build/native/sample-settings.dat"
for needed in "$tool" "$sim" "$settings"; do
  [ -e "$needed" ] || { echo "build the native preset first: $needed is missing" >&2; exit 1; }
done

baud=9600
bits_per_char=11     # 8E1: start, 8 data, parity, stop
reply_bytes=4        # every set command is answered "GO\r\n"
# Every section but network: network goes on a serial link only (over TCP it
# would cut the link it travels on, and the tool refuses it with exit 2).
all_but_network="routing,alarms,alarm-io,date-time,titles,title-display,panel"

work="$(mktemp -d)"
sim_pid=""
tool_pid=""
# Each test is an if, so that a process that has already ended cannot stop
# the clean-up under set -e before the folder is removed.
cleanup() {
  if [ -n "$tool_pid" ]; then kill "$tool_pid" 2>/dev/null || true; fi
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() { echo "run_provision_bench: $*" >&2; exit 1; }

# Seconds between two $EPOCHREALTIME readings.
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# Waits up to 10 s for a line matching $2 in file $1, while process $3 runs.
wait_for_line() {
  for _ in $(seq 1000); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    kill -0 "$3" 2>/dev/null || return 1
    sleep 0.01
  done
  return 1
}

rows=()
# run_case NAME LINK(pty|tcp) UNITS SECTIONS ("default": no --sections)
run_case() {
  local name="$1" link="$2" units="$3"
  local dir="$work/case$((${#rows[@]} + 1))"
  local sections=()
  [ "$4" = default ] || sections=(--sections "$4")
  mkdir "$dir"

  # The exact lines the tool sends, one per line without their "\r\n".
  "$tool" provision "$settings" --serial "$dir/none" "${sections[@]}" --dry-run \
    > "$dir/lines" 2> /dev/null || fail "$name: --dry-run failed"
  local steps out_bytes
  steps="$(wc -l < "$dir/lines")"
  out_bytes="$(awk '{ n += length($0) + 2 } END { print n }' "$dir/lines")"

  local rc=0 start end port
  if [ "$link" = pty ]; then
    "$sim" --pty "$dir/kvr" --baud "$baud" --log "$dir/received" > "$dir/sim.out" 2>&1 &
    sim_pid=$!
    if ! wait_for_line "$dir/sim.out" '^pty ' "$sim_pid" || [ ! -e "$dir/kvr" ]; then
      fail "$name: the simulator opened no pty"
    fi
    # In the background, as at the server below, so that a signal reaches
    # the trap at once rather than after the tool's run.
    start=$EPOCHREALTIME
    "$tool" provision "$settings" --serial "$dir/kvr" "${sections[@]}" \
      > "$dir/tool.out" 2> "$dir/tool.err" &
    tool_pid=$!
    wait "$tool_pid" || rc=$?
    end=$EPOCHREALTIME
    tool_pid=""
  else
    start=$EPOCHREALTIME
    "$tool" provision "$settings" --listen 0 --units "$units" "${sections[@]}" \
      > "$dir/tool.out" 2> "$dir/tool.err" &
    tool_pid=$!
    if ! wait_for_line "$dir/tool.err" '^listening on port' "$tool_pid"; then
      wait "$tool_pid" || rc=$?
      tool_pid=""
      tail -n 5 "$dir/tool.err" >&2
      fail "$name: kvr2840e-cli provision did not listen (exit code $rc)"
    fi
    port="$(sed -n 's/^listening on port \([0-9]*\) .*/\1/p' "$dir/tool.err")"
    "$sim" --tcp-connect "127.0.0.1:$port" --units "$units" --baud "$baud" --log "$dir/received" \
      > "$dir/sim.out" 2>&1 &
    sim_pid=$!
    wait "$tool_pid" || rc=$?
    end=$EPOCHREALTIME
    tool_pid=""
  fi
  # A pty unit runs until it is told to end; TCP units end once the tool has
  # closed them all. Either way every received line is already in the log.
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""

  [ "$rc" -eq 0 ] || { tail -n 5 "$dir/tool.err" >&2; fail "$name: kvr2840e-cli provision exited $rc"; }
  local done_units
  done_units="$(grep -c ": done ($steps steps)" "$dir/tool.err" || true)"
  [ "$done_units" -eq "$units" ] || fail "$name: $done_units of $units units done ($steps steps)"
  # What the units received must be the dry run's lines, once per unit: the
  # line count is the step count, and the byte count the one used below.
  local received
  received="$(wc -l < "$dir/received")"
  [ "$received" -eq $((steps * units)) ] ||
    fail "$name: the simulator logged $received lines, expected $((steps * units))"
  for _ in $(seq "$units"); do cat "$dir/lines"; done | sort > "$dir/expected"
  tr -d '\r' < "$dir/received" | sort | cmp -s - "$dir/expected" ||
    fail "$name: the simulator received other lines than the dry run's"

  rows+=("$(awk -v name="$name" -v steps="$steps" -v out="$out_bytes" -v in_="$((steps * reply_bytes))" \
      -v bits="$bits_per_char" -v baud="$baud" -v wall="$(elapsed "$start" "$end")" 'BEGIN {
    line = (out + in_) * bits / baud
    printf "%-30s %6d %9d %9d %9.2f %8.2f %6.3f", name, steps, out, in_, line, wall, wall / line
  }')")
}

run_case "1 unit, pty, default" pty 1 default
run_case "1 unit, pty, all" pty 1 all
run_case "96 units, TCP, default" tcp 96 default
run_case "96 units, TCP, all but network" tcp 96 "$all_but_network"

echo "kvr2840e-cli provision at $baud baud, $bits_per_char bits a character; bytes and line time per unit"
printf "%-30s %6s %9s %9s %9s %8s %6s\n" case steps "PC>unit" "unit>PC" "line s" "wall s" ratio
printf "%s\n" "${rows[@]}"
