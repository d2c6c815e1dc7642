#!/usr/bin/env bash
# kvr2840e-cli.exe under Wine against the native simulator, for ctest: its
# Windows serial port (a fresh pty mapped to COM24: a Linux pty takes the
# parity setting only on its first open under Wine, so the port is used once),
# its Winsock client and server, and its files, in a Wine prefix of its own.
# Stops and removes what it started.
#
# Usage: run_wine_tool.sh TOOL_EXE SIMULATOR
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=../../scripts/wine-com-port.sh
source "$here/../../scripts/wine-com-port.sh"
tool="$1"
sim="$2"
[ -x "$sim" ] || { echo "simulator not built: $sim"; exit 1; }

work="$(mktemp -d)"
sim_pid="" units_pid="" bus_pid=""
cleanup() {
  [ -n "$units_pid" ] && kill "$units_pid" 2>/dev/null && wait "$units_pid" 2>/dev/null
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null && wait "$bus_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  remove_own_prefix
  rm -rf "$work"
}
trap cleanup EXIT
prepare_own_prefix || { echo "cannot make a Wine prefix"; exit 1; }


# Runs the tool: its exit code in $rc, stdout (CR LF made LF) in $out, stderr in $work/err.
run_tool() {
  "$kvr_wine" "$tool" "$@" >"$work/out" 2>"$work/err"
  rc=$?
  out="$(tr -d '\r' <"$work/out")"
}

# One unit on a pty (COM24) and on a TCP port: the same settings on both.
"$sim" --pty --tcp-listen 0 >"$work/sim.out" 2>&1 &
sim_pid=$!
pty="$(wait_for_sim_pty "$work/sim.out")" || { echo "the simulator did not start"; exit 1; }
port="$(wait_for_sim_tcp_port "$work/sim.out")" || { echo "the simulator did not listen"; exit 1; }
map_com_port COM24 "$pty" || exit 1
site="$(windows_path "$work/site.dat")"

run_tool read-all --serial COM24 -o "$site" --pace-ms 0
check "read-all on COM24 exits 0 ($(tr -d '\r' <"$work/err" | tail -n 1))" 0 "$rc"
check "read-all wrote the settings file" yes "$([ -s "$work/site.dat" ] && echo yes || echo no)"
check "no temporary file is left" "site.dat" "$(ls "$work" | grep '^site')"

run_tool read-all --tcp "127.0.0.1:$port" -o "$site" --pace-ms 0
check "an existing file is kept without --force" 2 "$rc"

run_tool verify "$site" --tcp "127.0.0.1:$port" --pace-ms 0
check "verify over TCP finds no difference" "0 []" "$rc [$out]"

run_tool send --tcp "127.0.0.1:$port" OP05
check "send prints the reply line" "0 GO" "$rc $out"

run_tool verify "$site" --tcp "127.0.0.1:$port" --pace-ms 0
check "verify lists the changed pattern" "1 current display pattern: 1 in the file, 5 on the unit" "$rc $out"

run_tool provision "$site" --tcp "127.0.0.1:$port" --sections alarms,titles --clock
check "provision over TCP exits 0" 0 "$rc"
check "provision sent the alarms, the 64 titles and the clock" 1 "$(tr -d '\r' <"$work/err" | grep -c 'done (76 steps)')"

# Every section and the clock to an RS-485 bus of two units on COM25, whose
# clocks stand just before New Year; the first unit also listens on TCP, so
# its clock is read back there (COM25, like COM24, is opened once).
"$sim" --pty --rs485 0,5 --tcp-listen 0 --clock "2026-12-31 23:59:59.5" --log "$work/bus.log" >"$work/bus.out" 2>&1 &
bus_pid=$!
bus_pty="$(wait_for_sim_pty "$work/bus.out")" || { echo "the bus simulator did not start"; exit 1; }
bus_port="$(wait_for_sim_tcp_port "$work/bus.out")" || { echo "the bus simulator did not listen"; exit 1; }
map_com_port COM25 "$bus_pty" || exit 1
run_tool provision "$site" --serial COM25 --address 0,5 --sections all --clock
check "provision of every section and the clock on COM25 exits 0 ($(tr -d '\r' <"$work/err" | tail -n 1))" 0 "$rc"
check "both units got all 165 steps" 2 "$(tr -d '\r' <"$work/err" | grep -c 'done (165 steps)')"
check "the password went before the locks" "00PN 00POO 00PMO" "$(grep -o '^00P[NOM]O*' "$work/bus.log" | tr '\n' ' ' | sed 's/ $//')"
run_tool send --tcp "127.0.0.1:$bus_port" RDT
unit_clock="$(printf '%s' "$out" | sed -n 's/^DT\([0-9/]*\) \([0-9:]*\)\..*/\1 \2/p' | tr / -)"
off=$(( $(date +%s) - $(date -d "$unit_clock" +%s 2>/dev/null || echo 0) ))
check "the unit's clock is the PC's within a second (unit $unit_clock)" yes "$([ "${off#-}" -le 1 ] && echo yes || echo no)"

# The titles as a table and back, through Windows files (the code page is the
# program's own table, as in the native build).
csv="$(windows_path "$work/titles.csv")"
new="$(windows_path "$work/new.dat")"
run_tool titles export "$site" -o "$csv"
check "titles export exits 0" 0 "$rc"
check "the table has a header and 64 rows" 65 "$(tr -d '\r' <"$work/titles.csv" | wc -l)"
sed -i 's/^12,[^,]*,/12,ＣＡＭ１,/' "$work/titles.csv"
run_tool titles import "$site" "$csv" -o "$new"
check "titles import exits 0" 0 "$rc"
run_tool diff "$site" "$new"
check "diff names the one changed title" "1 ＣＡＭ１\" in" "$rc $(printf '%s' "$out" | grep -o 'ＣＡＭ１" in')"

# Three units at the tool's server.
"$kvr_wine" "$tool" set-all "$site" --listen 0 --units 3 --pace-ms 0 --json >"$work/out" 2>"$work/err" &
server_pid=$!
listen="$(wait_for_sim_line "$work/err" 's/^listening on port \([0-9]*\) .*/\1/p')" ||
  { echo "the tool did not listen: $(cat "$work/err")"; kill "$server_pid"; exit 1; }
"$sim" --tcp-connect "127.0.0.1:$listen" --units 3 --seconds 30 >"$work/units.out" 2>&1 &
units_pid=$!
wait "$server_pid"
rc=$?
check "set-all to 3 units at the server exits 0" 0 "$rc"
check "the summary counts 3 units done" 1 "$(grep -c '"units":3,"expected":3,"done":3,"failed":0' "$work/out")"

[ "$failures" -eq 0 ] || exit 1
echo "all checks passed"
