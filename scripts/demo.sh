#!/usr/bin/env bash
# The demo: installs what is missing, builds, starts the unit simulator on a
# pseudo-terminal mapped to COM1 of the program's own Wine prefix, and starts
# KVR2840E.exe in a working folder of its own on the serial interface and
# COM1, so that it talks to the simulator at once.
#
# DEMO_LINK=tcp starts it on TCP/IP instead: the simulator listens on a local
# port and the program, as client, has 127.0.0.1 with that port in its host
# list ("通信" > "TCP/IPの設定" > "接続").
#
# With a display (DISPLAY set) the program opens on it. Without one it runs on
# a virtual display (Xvfb) and a screenshot is saved as build/demo/screenshot.png.
# Ctrl+C, or ending the program, stops the simulator and the virtual display.
# DEMO_SECONDS=N ends the demo by itself after N seconds.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh --demo

jobs="$(nproc 2>/dev/null || echo 2)"
echo "== building the simulator and the program"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target kvr2840e-sim
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs" --target KVR2840E

demo="$root/build/demo"
work="$demo/work"
mkdir -p "$work"
source scripts/wine-com-port.sh
wine_quietly
export WINEPREFIX="$demo/wineprefix"

if [ ! -f "$WINEPREFIX/.kvr-ready" ]; then
  echo "== preparing the Wine prefix (once)"
  "$kvr_wine" wineboot -i >/dev/null 2>&1
  bash cmake/wine-fonts.sh
  stop_wine_server
  touch "$WINEPREFIX/.kvr-ready"
fi

sim_pid=""
cleanup() {
  trap - EXIT INT TERM
  "$kvr_wineserver" -k 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  [ -n "$kvr_xvfb_pid" ] && kill "$kvr_xvfb_pid" 2>/dev/null && wait "$kvr_xvfb_pid" 2>/dev/null
  echo "== demo stopped"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "== starting the simulator"
# One unit on both of its ports: a pty mapped to COM1, and a local TCP port.
build/native/sim/kvr2840e-sim --pty "$demo/pty" --tcp-listen 0 --log "$demo/commands.log" --video-loss 5 \
  --video-loss-flap 4 >"$demo/sim.out" 2>&1 &
sim_pid=$!
pty="$(wait_for_sim_pty "$demo/sim.out")" || { cat "$demo/sim.out"; exit 1; }
tcp_port="$(wait_for_sim_tcp_port "$demo/sim.out")" || { cat "$demo/sim.out"; exit 1; }
echo "simulator on $pty and 127.0.0.1:$tcp_port, commands it receives go to $demo/commands.log"
map_com_port COM1 "$pty" || exit 1
index="$(com_port_index COM1)" || { echo "Wine does not list COM1"; exit 1; }

interface=0
[ "${DEMO_LINK:-serial}" = "tcp" ] && interface=1
printf '[KVR2840E_section]\r\ninterface_set=%s\r\ncontrol=0\r\ncom_port=%s\r\nclient_server=0\r\n' \
  "$interface" "$index" >"$work/KVR2840E.ini"
printf 'ip_address_count=001\r\nIP_001=127.000.000.001\r\nclient_select_ip_address=0\r\n' >>"$work/KVR2840E.ini"
printf 'dst_port_number=%s\r\nsource_port_number=09004\r\n' "$tcp_port" >>"$work/KVR2840E.ini"

program="$root/build/mingw/KVR2840E.exe"
cd "$work"
if [ -n "${DISPLAY:-}" ]; then
  echo "== starting KVR2840E.exe on $DISPLAY"
  if [ -n "${DEMO_SECONDS:-}" ]; then
    timeout "$DEMO_SECONDS" "$kvr_wine" "$program" || true
  else
    "$kvr_wine" "$program" || true
  fi
  exit 0
fi

start_virtual_display || { echo "no virtual display"; exit 1; }
echo "== starting KVR2840E.exe on the virtual display $DISPLAY"
# Wine's own desktop window gives the program a frame without a window manager.
"$kvr_wine" explorer /desktop=KVR2840E,1024x768 "$program" >/dev/null 2>&1 &
program_pid=$!
sleep 8
import -display "$DISPLAY" -window root "$demo/screenshot.png"
echo "screenshot: $demo/screenshot.png"
echo "running; press Ctrl+C to stop"
if [ -n "${DEMO_SECONDS:-}" ]; then
  timeout "$DEMO_SECONDS" tail --pid="$program_pid" -f /dev/null || true
else
  wait "$program_pid" || true
fi
