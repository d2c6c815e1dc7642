#!/usr/bin/env bash
# Runs each test of program_test.exe, which drives KVR2840E.exe, with its own
# simulator: a fresh pseudo-terminal mapped to COM1 in the build's Wine prefix
# (a Linux pty takes the parity setting only on its first open under Wine),
# and the same unit listening on a local TCP port.
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

failed=0
run() {
  rm -f "$work/sim.log" "$work/sim.out"
  "$sim" --pty --tcp-listen 0 --log "$work/sim.log" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  local pty tcp_port index log
  pty="$(wait_for_sim_pty "$work/sim.out")" || { echo "simulator did not start"; failed=1; return; }
  tcp_port="$(wait_for_sim_tcp_port "$work/sim.out")" || { echo "simulator did not listen"; failed=1; return; }
  map_com_port COM1 "$pty"
  index="$(com_port_index COM1)" || { echo "COM1 is not among the serial ports Wine lists"; failed=1; return; }
  log="$(WINEDEBUG=-all "$kvr_wine" winepath -w "$work/sim.log" 2>/dev/null)"
  stop_wine_server
  KVR_TEST_COM_INDEX="$index" KVR_TEST_TCP_PORT="$tcp_port" KVR_TEST_SIM_LOG="$log" \
    "$launcher" "$exe" --gtest_brief=1 --gtest_filter="$1" || failed=1
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=""
}

run 'ProgramTest.StartsOnTheSerialLinkAndEndsCleanly'
run 'ProgramTest.ASecondCopyIsRefused'
run 'ProgramTest.SaveAsFromTheFileMenu'
run 'ProgramTest.TableDialogsTalkToTheUnit'
run 'ProgramOnTcpTest.*'
exit $failed
