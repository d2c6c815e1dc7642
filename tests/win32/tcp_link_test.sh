#!/usr/bin/env bash
# Runs each TCP scenario of tcp_link_test.exe against its own simulator.
# Usage: tcp_link_test.sh SIMULATOR TEST_EXE LAUNCHER
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
feeder_pid=""
cleanup() {
  [ -n "$feeder_pid" ] && kill "$feeder_pid" 2>/dev/null && wait "$feeder_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  pkill -P $$ -f kvr2840e-sim 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

log_path() {
  WINEDEBUG=-all "$kvr_wine" winepath -w "$work/sim.log" 2>/dev/null
}

failed=0
# A unit listening for the program as client.
client() {
  local filter="$1"
  shift
  rm -f "$work/sim.log" "$work/sim.out"
  "$sim" --tcp-listen 0 --log "$work/sim.log" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  local port
  port="$(wait_for_sim_tcp_port "$work/sim.out")" ||
    { echo "simulator did not start: $(cat "$work/sim.out")"; failed=1; return; }
  local log
  log="$(log_path)"
  stop_wine_server
  KVR_TEST_TCP_PORT="$port" KVR_TEST_SIM_LOG="$log" "$launcher" "$exe" --gtest_brief=1 --gtest_filter="$filter" || failed=1
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=""
}

# Units that connect to the program as server, as soon as it listens.
server() {
  local filter="$1" units="$2" port="$3"
  (
    for _ in $(seq 1 200); do
      "$sim" --tcp-connect "127.0.0.1:$port" --units "$units" --seconds 30 >"$work/units.out" 2>&1 && break
      sleep 0.1
    done
  ) &
  feeder_pid=$!
  KVR_TEST_TCP_PORT="$port" KVR_TEST_UNITS="$units" "$launcher" "$exe" --gtest_brief=1 --gtest_filter="$filter" || failed=1
  kill "$feeder_pid" 2>/dev/null
  wait "$feeder_pid" 2>/dev/null
  feeder_pid=""
  pkill -f "kvr2840e-sim --tcp-connect 127.0.0.1:$port" 2>/dev/null
}

client 'TcpLinkTest.ClientSendsAndReceives'
client 'TcpLinkTest.ClientTakesASplitReplyOnce' --split
client 'TcpLinkTest.SilentUnitEndsWithNoAnswerWithoutBurningACore' --no-reply
client 'TcpLinkTest.UnreachableUnitReportsTheSocketEvent:TcpLinkTest.NotConnectedAndStaleSelection:TcpLinkTest.UnknownSocketEventIsShown'
client 'TcpLinkTest.UnitClosingTheConnectionEndsIt' --seconds 3
client 'TcpLinkTest.TableDialogRepliesArriveThroughTheDialog'
base=$((20000 + $$ % 20000))
server 'TcpLinkTest.ServerTakesUnitsAndSendsToTheSelectedOne' 3 "$base"
server 'TcpLinkTest.ServerTakesUnitsAndSendsToTheSelectedOne' 97 "$((base + 1))"
exit $failed
