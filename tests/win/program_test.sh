#!/usr/bin/env bash
# Runs program_test.exe, which drives KVR2840E.exe, with the simulator on a
# fresh pseudo-terminal mapped to COM1 in the build's Wine prefix.
# Usage: program_test.sh SIMULATOR TEST_EXE LAUNCHER
set -u
sim="$1"
exe="$2"
launcher="$3"
[ -x "$sim" ] || { echo "simulator not built: $sim"; exit 1; }
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/../../scripts/wine-com-port.sh"
use_build_prefix


work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# One unit on both of its ports: the pty for the serial interface, and a
# listening socket for the program as TCP/IP client.
"$sim" --pty --tcp-listen 0 --log "$work/sim.log" >"$work/sim.out" 2>&1 &
sim_pid=$!
pty="$(wait_for_sim_pty "$work/sim.out")" || { echo "simulator did not start"; exit 1; }
tcp_port="$(sed -n 's/^listening .*:\([0-9]*\)$/\1/p' "$work/sim.out" | head -n 1)"
map_com_port COM1 "$pty"
index="$(com_port_index COM1)"
[ -n "$index" ] || { echo "COM1 is not among the serial ports Wine lists"; exit 1; }

KVR_TEST_COM_INDEX="$index" KVR_TEST_TCP_PORT="$tcp_port" "$launcher" "$exe" --gtest_brief=1
