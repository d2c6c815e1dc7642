#!/usr/bin/env bash
# The demo: installs what is missing, builds, starts the unit simulator on a
# pseudo-terminal mapped to COM1 of the program's own Wine prefix, and starts
# KVR2840E.exe in a working folder of its own on the serial interface and
# COM1, so that it talks to the simulator at once.
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
export WINEPREFIX="$demo/wineprefix" WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
source scripts/wine-com-port.sh

if [ ! -f "$WINEPREFIX/.kvr-ready" ]; then
  echo "== preparing the Wine prefix (once)"
  "$kvr_wine" wineboot -i >/dev/null 2>&1
  bash cmake/wine-fonts.sh
  stop_wine_server
  touch "$WINEPREFIX/.kvr-ready"
fi

sim_pid=""
xvfb_pid=""
cleanup() {
  trap - EXIT INT TERM
  "$kvr_wineserver" -k 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  echo "== demo stopped"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "== starting the simulator"
build/native/sim/kvr2840e-sim --pty "$demo/pty" --log "$demo/commands.log" --video-loss 5 \
  --video-loss-flap 4 >"$demo/sim.out" 2>&1 &
sim_pid=$!
pty="$(wait_for_sim_pty "$demo/sim.out")" || { cat "$demo/sim.out"; exit 1; }
echo "simulator on $pty, commands it receives go to $demo/commands.log"
map_com_port COM1 "$pty"
index="$(com_port_index COM1)" || { echo "Wine does not list COM1"; exit 1; }

printf '[KVR2840E_section]\r\ninterface_set=0\r\ncontrol=0\r\ncom_port=%s\r\n' "$index" >"$work/KVR2840E.ini"

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

for n in $(seq 50 99); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  fi
done
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
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
