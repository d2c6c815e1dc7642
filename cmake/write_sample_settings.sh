#!/usr/bin/env bash
# Writes the packages' sample settings file the way an installer would make
# one: kvr2840e-cli read-all from a unit simulator on loopback TCP.
# Usage: write_sample_settings.sh SIMULATOR TOOL OUTPUT
set -euo pipefail
# shellcheck source=../scripts/wine-com-port.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-com-port.sh"
sim="$1" tool="$2" output="$3"

work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" --tcp-listen 0 >"$work/sim.out" 2>&1 &
sim_pid=$!
port="$(wait_for_sim_tcp_port "$work/sim.out")" || { echo "the simulator did not listen: $(cat "$work/sim.out")" >&2; exit 1; }
"$tool" read-all --tcp "127.0.0.1:$port" -o "$work/sample.dat" --pace-ms 0 2>"$work/tool.err" ||
  { cat "$work/tool.err" >&2; exit 1; }
mv "$work/sample.dat" "$output"
