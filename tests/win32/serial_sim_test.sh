#!/usr/bin/env bash
# Runs each serial scenario of serial_sim_test.exe against its own simulator:
# a fresh pseudo-terminal for every run (a Linux pty takes the parity setting
# only on its first open under Wine), mapped to a COM port in the build's Wine
# prefix.
# Usage: serial_sim_test.sh SIMULATOR TEST_EXE LAUNCHER
set -u
sim="$1"
exe="$2"
launcher="$3"
[ -x "$sim" ] || { echo "simulator not built: $sim"; exit 1; }
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

source "$here/../../scripts/wine-com-port.sh"
use_build_prefix

port=COM23
work="$(mktemp -d)"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failed=0
run() {
  local filter="$1"
  shift
  rm -f "$work/sim.log" "$work/sim.out"
  "$sim" --pty --log "$work/sim.log" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  local pty
  if ! pty="$(wait_for_sim_pty "$work/sim.out")"; then
    echo "simulator did not start: $(cat "$work/sim.out")"
    failed=1
    return
  fi
  map_com_port "$port" "$pty"
  local log
  log="$(WINEDEBUG=-all "$kvr_wine" winepath -w "$work/sim.log" 2>/dev/null)"
  stop_wine_server
  KVR_TEST_PORT="$port" KVR_TEST_SIM_LOG="$log" "$launcher" "$exe" --gtest_brief=1 --gtest_filter="$filter" || failed=1
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=""
}

run 'SerialSimTest.Rs232cCommandsGoOutUnchanged'
run 'SerialSimTest.Rs485AddressAndBroadcast' --rs485 7
run 'SerialSimTest.ReplyFromAnotherAddressIsRefused' --rs485 7,8
run 'SerialSimTest.AReplyInTwoPiecesIsTakenOnce' --split
run 'SerialSimTest.NoReplyEndsInNoConnect' --no-reply
run 'TableDialogsTest.VideoOutputSendsOneOutputAndAllOutputs'
run 'TableDialogsTest.DisplayPatternButtons'
run 'TableDialogsTest.AllPatternsSequence'
run 'TableDialogsTest.AnErrorEndsTheSequenceWithoutSuccess' --error-every 5
run 'TableDialogsTest.CancelStopsTheSequence'
run 'TableDialogsTest.BroadcastCompletesAtOnce' --rs485 7

WINEDEBUG=-all "$kvr_wine" reg delete 'HKLM\Software\Wine\Ports' /v "$port" /f >/dev/null 2>&1
stop_wine_server
exit $failed
