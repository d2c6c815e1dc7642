#!/usr/bin/env bash
# kvr2840e-cli set-all to 1, 16 and 96 units at its server, at the program's pace
# (400 ms a step): wall time as a ratio of one unit's 67 x 400 ms, and the
# tool's processor time per unit-step. Needs the native build; prints
# figures, asserts nothing. Usage: bash bench/run_cli_bench.sh [COUNTS...]
set -eu
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tool="$root/build/native/cli/kvr2840e-cli"
sim="$root/build/native/sim/kvr2840e-sim"
[ -x "$tool" ] && [ -x "$sim" ] || { echo "build the native preset first" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A settings file to send: what a unit that was never set holds.
"$sim" --tcp-listen 0 > "$work/one.log" &
one=$!
for _ in $(seq 50); do grep -q listening "$work/one.log" && break; sleep 0.1; done
port="$(sed -n 's/^listening .*:\([0-9]*\)$/\1/p' "$work/one.log")"
"$tool" read-all --tcp "127.0.0.1:$port" -o "$work/site.dat" --pace-ms 0 2>/dev/null
kill "$one"; wait "$one" 2>/dev/null || true

bound_ms=$((67 * 400))
for units in "${@:-1 16 96}"; do
  for n in $units; do
    : > "$work/tool.err"
    /usr/bin/time -f "%e %U %S" -o "$work/time" \
      "$tool" set-all "$work/site.dat" --listen 0 --units "$n" 2> "$work/tool.err" > /dev/null &
    runner=$!
    for _ in $(seq 100); do grep -q 'listening on port' "$work/tool.err" && break; sleep 0.05; done
    port="$(sed -n 's/^listening on port \([0-9]*\).*/\1/p' "$work/tool.err")"
    "$sim" --tcp-connect "127.0.0.1:$port" --units "$n" > /dev/null &
    simpid=$!
    wait "$runner"
    wait "$simpid" 2>/dev/null || true
    read -r wall user system < "$work/time"
    awk -v n="$n" -v wall="$wall" -v user="$user" -v sys="$system" -v bound="$bound_ms" \
        -v done="$(grep -c ': done (67 steps)' "$work/tool.err")" 'BEGIN {
      cpu = user + sys
      printf "%2d units: %d done, wall %.2f s, ratio %.3f, tool CPU %.2f s, %.1f us per unit-step\n",
             n, done, wall, wall * 1000 / bound, cpu, cpu * 1e6 / (n * 67)
    }'
  done
done
