# shellcheck shell=bash
# Shell functions shared by the demo, the Wine test launcher and the Wine
# scenarios: Wine's programs, the build's Wine prefix, a virtual display, a COM port of a prefix
# mapped to a pseudo-terminal and its place in the list of serial ports the
# program reads, and the lines the simulator prints as it starts. Source this
# file; the registry functions need WINEPREFIX set.

kvr_wine=/usr/lib/wine/wine64
[ -x "$kvr_wine" ] || kvr_wine="$(command -v wine64 || command -v wine)"
kvr_wineserver=/usr/lib/wine/wineserver64
[ -x "$kvr_wineserver" ] || kvr_wineserver="$(command -v wineserver)"

# Prints the build folder (the one with a CMakeCache.txt) that holds the
# current directory; the current directory itself when none does.
build_folder() {
  local dir
  dir="$(pwd)"
  while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir="$(dirname "$dir")"; done
  [ -f "$dir/CMakeCache.txt" ] || dir="$(pwd)"
  echo "$dir"
}

# use_build_prefix: the Wine prefix of that build folder (the one its tests
# use), without Wine's chatter and without its .NET and HTML engines.
use_build_prefix() {
  WINEPREFIX="$(build_folder)/wineprefix"
  export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
}

# prepare_build_prefix: use_build_prefix, and the prefix made the first time
# (under a lock, so that parallel tests do not race).
prepare_build_prefix() {
  use_build_prefix
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.kvr-ready" ]; then
      mkdir -p "$WINEPREFIX"
      "$kvr_wine" wineboot -i >/dev/null 2>&1
      # Without a window manager, Wine waits for one before it hides a managed
      # window; unmanaged windows close at once.
      "$kvr_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      "$kvr_wineserver" -w
      touch "$WINEPREFIX/.kvr-ready"
    fi
  ) 9>"$(build_folder)/.wineprefix.lock"
}

# start_virtual_display FIRST LAST: an Xvfb display on the first free number
# of FIRST..LAST, as DISPLAY; its pid in kvr_xvfb_pid. Returns once it is up.
kvr_xvfb_pid=""
start_virtual_display() {
  local n
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      kvr_xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
      return 1
    fi
  done
  return 1
}

# wait_for_sim_line OUTPUT_FILE SED_SCRIPT: prints what SED_SCRIPT prints
# first from the simulator's OUTPUT_FILE, waiting up to 5 s for it.
wait_for_sim_line() {
  local found=""
  for _ in $(seq 1 100); do
    found="$(sed -n "$2" "$1" 2>/dev/null | head -n 1)"
    if [ -n "$found" ]; then echo "$found"; return 0; fi
    sleep 0.05
  done
  return 1
}

# Prints the pty path the simulator announced in OUTPUT_FILE ("pty /dev/pts/N").
wait_for_sim_pty() {
  wait_for_sim_line "$1" 's/^pty //p'
}

# Prints the TCP port the simulator announced in OUTPUT_FILE ("listening ADDR:PORT").
wait_for_sim_tcp_port() {
  wait_for_sim_line "$1" 's/^listening .*:\([0-9]*\)$/\1/p'
}

# map_com_port COMn DEVICE: the mapping is read when the Wine server starts,
# so the server is restarted.
map_com_port() {
  WINEDEBUG=-all "$kvr_wine" reg add 'HKLM\Software\Wine\Ports' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
  stop_wine_server
}

# unmap_com_port COMn: back to Wine's own choice of device for it.
unmap_com_port() {
  WINEDEBUG=-all "$kvr_wine" reg delete 'HKLM\Software\Wine\Ports' /v "$1" /f >/dev/null 2>&1
  stop_wine_server
}

# Prints the 0-based index of COMn among HKLM\HARDWARE\DEVICEMAP\SERIALCOMM's
# values (the order the program enumerates them in). Wine fills that key a
# moment after its server starts, so this asks again for a while.
com_port_index() {
  local index=""
  for _ in $(seq 1 20); do
    index="$(WINEDEBUG=-all "$kvr_wine" reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | tr -d '\r' |
      awk -v port="$1" '$2 ~ /^REG_/ { if ($3 == port) { print n + 0; exit } n++ }')"
    if [ -n "$index" ]; then
      stop_wine_server
      echo "$index"
      return 0
    fi
    sleep 0.5
  done
  stop_wine_server
  return 1
}

# The server started by these registry commands has no display; stop it, so
# that the program's windows are made by a server started with one.
stop_wine_server() {
  "$kvr_wineserver" -k 2>/dev/null
  timeout 10 "$kvr_wineserver" -w 2>/dev/null
  return 0
}
