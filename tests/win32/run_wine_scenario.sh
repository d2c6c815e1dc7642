#!/usr/bin/env bash
# Runs ONE Wine scenario for ctest (kvr_add_wine_scenario in
# cmake/wine_scenarios.cmake adds one ctest entry a scenario): starts its own
# simulator, or units of it, sets up a Wine prefix of its own for it (a copy
# of the build's template, so that scenarios run side by side), runs the
# scenario's cases of a test program under Wine and removes what it made.
#
# Usage: run_wine_scenario.sh --setup SETUP --sim SIMULATOR --launcher LAUNCHER
#          --exe TEST_EXE --filter GTEST_FILTER [--units N] [-- SIM_OPTION...]
#
# SETUP, and what the test program is told (environment variables):
#   serial      a fresh simulator pty mapped to COM23 (a Linux pty takes the
#               parity setting only on its first open under Wine):
#               KVR_TEST_PORT=COM23, KVR_TEST_SIM_LOG
#   program     one unit on a pty mapped to COM1 and on a local TCP port, for
#               KVR2840E.exe driven from outside: KVR_TEST_COM_INDEX (COM1's
#               place among the ports Wine lists), KVR_TEST_TCP_PORT, KVR_TEST_SIM_LOG
#   tcp-client  a unit listening on a local TCP port, the program its client:
#               KVR_TEST_TCP_PORT, KVR_TEST_SIM_LOG
#   tcp-server  N units (--units) that connect to the program's server port
#               as soon as it listens: KVR_TEST_TCP_PORT, KVR_TEST_UNITS
# SIM_OPTIONs go to every simulator the scenario starts.
#
# The scenario passes only when the test program ends with 0 and GoogleTest's
# summary says at least one case passed, none failed and none was skipped.
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=../../scripts/wine-com-port.sh
source "$here/../../scripts/wine-com-port.sh"

usage() {
  echo "run_wine_scenario.sh: $*" >&2
  exit 2
}

setup="" sim="" launcher="" exe="" filter="" units=""
while [ $# -gt 0 ]; do
  case "$1" in
    --setup | --sim | --launcher | --exe | --filter | --units)
      [ $# -ge 2 ] || usage "$1 needs a value"
      declare "${1#--}=$2"
      shift 2
      ;;
    --) shift; break ;;
    *) usage "unknown argument $1" ;;
  esac
done
sim_options=("$@")
for required in setup sim launcher exe filter; do
  [ -n "${!required}" ] || usage "--$required is missing"
done
case "$setup" in
  serial | program | tcp-client) [ -z "$units" ] || usage "--units goes with --setup tcp-server" ;;
  tcp-server) [[ "$units" =~ ^[1-9][0-9]*$ ]] || usage "--setup tcp-server needs --units N" ;;
  *) usage "unknown setup $setup" ;;
esac
[ -x "$sim" ] || { echo "simulator not built: $sim"; exit 1; }

work="$(mktemp -d)"
sim_pid=""
feeder_pid=""
cleanup() {
  [ -n "$feeder_pid" ] && kill "$feeder_pid" 2>/dev/null && wait "$feeder_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  remove_own_prefix
  rm -rf "$work"
}
trap cleanup EXIT
prepare_own_prefix || { echo "scenario: cannot make a Wine prefix" >&2; exit 1; }
# The launcher runs the test program in this prefix.
export KVR_OWN_WINEPREFIX="$WINEPREFIX"

# Ends the scenario (or, inside $(...), the command substitution: callers
# add "|| exit 1").
fail() {
  echo "scenario: $*" >&2
  exit 1
}

# The simulator in the background, its output in $work/sim.out.
start_sim() {
  "$sim" "$@" "${sim_options[@]}" >"$work/sim.out" 2>&1 &
  sim_pid=$!
}

# What the simulator announced (wait_for_sim_pty, wait_for_sim_tcp_port).
announced() {
  "$1" "$work/sim.out" || fail "the simulator did not start: $(cat "$work/sim.out")"
}

# The simulator's log as the test program names it.
sim_log() {
  echo "KVR_TEST_SIM_LOG=$(windows_path "$work/sim.log")"
}

# Prints a TCP port nothing listens on now: one the system gave a simulator
# and took back when that ended. Run it as $(...).
free_tcp_port() {
  local sim_options=()
  start_sim --tcp-listen 0
  announced wait_for_sim_tcp_port
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=""
}

# Connects the units once the program listens; on TERM it stops the units.
feed_units() {
  local unit_pid=""
  trap '[ -n "$unit_pid" ] && kill "$unit_pid" 2>/dev/null; exit 0' TERM
  for _ in $(seq 1 200); do
    "$sim" --tcp-connect "127.0.0.1:$1" --units "$units" --seconds 30 "${sim_options[@]}" >"$work/units.out" 2>&1 &
    unit_pid=$!
    wait "$unit_pid" && break
    unit_pid=""
    sleep 0.1
  done
}

environment=()
case "$setup" in
  serial)
    start_sim --pty --log "$work/sim.log"
    pty="$(announced wait_for_sim_pty)" || exit 1
    map_com_port COM23 "$pty" || exit 1
    environment=(KVR_TEST_PORT=COM23 "$(sim_log)")
    ;;
  program)
    start_sim --pty --tcp-listen 0 --log "$work/sim.log"
    pty="$(announced wait_for_sim_pty)" || exit 1
    tcp_port="$(announced wait_for_sim_tcp_port)" || exit 1
    map_com_port COM1 "$pty" || exit 1
    index="$(com_port_index COM1)" || fail "COM1 is not among the serial ports Wine lists"
    environment=(KVR_TEST_COM_INDEX="$index" KVR_TEST_TCP_PORT="$tcp_port" "$(sim_log)")
    ;;
  tcp-client)
    start_sim --tcp-listen 0 --log "$work/sim.log"
    tcp_port="$(announced wait_for_sim_tcp_port)" || exit 1
    environment=(KVR_TEST_TCP_PORT="$tcp_port" "$(sim_log)")
    ;;
  tcp-server)
    tcp_port="$(free_tcp_port)" || exit 1
    feed_units "$tcp_port" &
    feeder_pid=$!
    environment=(KVR_TEST_TCP_PORT="$tcp_port" KVR_TEST_UNITS="$units")
    ;;
esac
# The faults the simulator plays, for cases that check what each must do.
environment+=(KVR_TEST_SIM_OPTIONS="${sim_options[*]}")
stop_wine_server

env "${environment[@]}" "$launcher" "$exe" --gtest_brief=1 --gtest_filter="$filter" 2>&1 | tee "$work/test.out"
status="${PIPESTATUS[0]}"
summary="$(tr -d '\r' <"$work/test.out")"
[ "$status" -eq 0 ] || fail "the test program ended with $status"
grep -q '^\[  PASSED  \] [1-9]' <<<"$summary" || fail "no case passed (the filter $filter ran none)"
! grep -q '^\[  SKIPPED \]' <<<"$summary" || fail "a case was skipped"
! grep -q '^\[  FAILED  \]' <<<"$summary" || fail "a case failed"
exit 0
