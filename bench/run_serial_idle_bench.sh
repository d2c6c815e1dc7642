#!/usr/bin/env bash
# The program's processor use while the serial line is idle: KVR2840E.exe
# under Wine on the serial interface, COM1 mapped to a pseudo-terminal of the
# simulator, nothing sent. Prints the share of one core its process used over
# SECONDS (default 30), from utime + stime of /proc/<pid>/stat, and the same
# for the prefix's wine server, which does the work of every wait and read.
# Needs the MinGW build (KVR2840E.exe) and the native simulator it builds.
# Usage: bash bench/run_serial_idle_bench.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
build="$root/build/mingw"
program="$build/KVR2840E.exe"
# The Windows build's simulator: its own native helper build, or the native
# build it was pointed at (the test command's).
sim="$build/native-sim/sim/kvr2840e-sim"
[ -x "$sim" ] || sim="$root/build/native/sim/kvr2840e-sim"
for needed in "$program" "$sim"; do
  [ -e "$needed" ] || { echo "build the mingw preset first: $needed is missing" >&2; exit 1; }
done

bench="$build/bench/serial-idle"
work="$bench/work"
mkdir -p "$work"
# shellcheck source=../scripts/wine-com-port.sh
source "$root/scripts/wine-com-port.sh"

sim_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  remove_own_prefix
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  stop_virtual_display
  return 0
}
trap cleanup EXIT
# A prefix of its own (a copy of the build's template), so that the Wine
# tests of the build are not disturbed.
prepare_own_prefix "$build"

"$sim" --pty --log "$bench/commands.log" >"$bench/sim.out" 2>&1 &
sim_pid=$!
pty="$(wait_for_sim_pty "$bench/sim.out")" || { cat "$bench/sim.out" >&2; exit 1; }
map_com_port COM1 "$pty" || exit 1
index="$(com_port_index COM1)" || { echo "Wine does not list COM1" >&2; exit 1; }
printf '[KVR2840E_section]\r\ninterface_set=0\r\ncontrol=0\r\ncom_port=%s\r\n' "$index" >"$work/KVR2840E.ini"

[ -n "${DISPLAY:-}" ] || start_virtual_display || { echo "no virtual display" >&2; exit 1; }
cd "$work"
"$kvr_wine" "$program" >/dev/null 2>&1 &

# The Linux process of this prefix whose command line matches $1.
process_of_prefix() {
  local candidate found=""
  for candidate in $(pgrep -u "$(id -u)" -f "$1" || true); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$candidate/environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      found="$candidate"
    fi
  done
  echo "$found"
}
pid=""
for _ in $(seq 1 100); do
  pid="$(process_of_prefix 'KVR2840E\.exe')"
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "KVR2840E.exe did not start" >&2; exit 1; }
program_pid="$pid"
server_pid="$(process_of_prefix 'wineserver')"
[ -n "$server_pid" ] || { echo "no wine server runs for the prefix" >&2; exit 1; }

# utime + stime in clock ticks (fields 14 and 15, after the command in parentheses).
ticks() {
  sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}
sleep 5   # start-up done: window shown, port open, receive thread waiting
program_before="$(ticks "$pid")"
server_before="$(ticks "$server_pid")"
start_ns="$(date +%s%N)"
sleep "$seconds"
program_after="$(ticks "$pid")"
server_after="$(ticks "$server_pid")"
end_ns="$(date +%s%N)"
[ -s "$bench/commands.log" ] && { echo "the program sent commands; the line was not idle" >&2; exit 1; }
report() {
  awk -v what="$1" -v t="$2" -v hz="$(getconf CLK_TCK)" -v ns="$((end_ns - start_ns))" \
    'BEGIN { printf "serial idle, %s: %.1f %% of one core over %.0f s (%d ticks of 1/%d s)\n", what, 100 * t / hz / (ns / 1e9), ns / 1e9, t, hz }'
}
report "KVR2840E.exe" "$((program_after - program_before))"
report "wine server" "$((server_after - server_before))"
