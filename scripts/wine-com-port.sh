# Shell functions shared by the demo and the Wine tests: map a COM port of a
# Wine prefix to a pseudo-terminal, and find its place in the list of serial
# ports the program reads. Source this file; WINEPREFIX must be set.

kvr_wine=/usr/lib/wine/wine64
[ -x "$kvr_wine" ] || kvr_wine="$(command -v wine64 || command -v wine)"
kvr_wineserver=/usr/lib/wine/wineserver64
[ -x "$kvr_wineserver" ] || kvr_wineserver="$(command -v wineserver)"

# use_build_prefix: the Wine prefix of the build folder that holds the
# current directory (the one the tests of that build use).
use_build_prefix() {
  local dir
  dir="$(pwd)"
  while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir="$(dirname "$dir")"; done
  export WINEPREFIX="$dir/wineprefix" WINEDEBUG=-all LC_ALL=C.UTF-8
}

# Prints the pty path the simulator announced in OUTPUT_FILE ("pty /dev/pts/N").
wait_for_sim_pty() {
  local out="$1" pty=""
  for _ in $(seq 1 100); do
    pty="$(sed -n 's/^pty //p' "$out" 2>/dev/null | head -n 1)"
    if [ -n "$pty" ]; then echo "$pty"; return 0; fi
    sleep 0.05
  done
  return 1
}

# Prints the TCP port the simulator announced in OUTPUT_FILE ("listening ADDR:PORT").
wait_for_sim_tcp_port() {
  local out="$1" port=""
  for _ in $(seq 1 100); do
    port="$(sed -n 's/^listening .*:\([0-9]*\)$/\1/p' "$out" 2>/dev/null | head -n 1)"
    if [ -n "$port" ]; then echo "$port"; return 0; fi
    sleep 0.05
  done
  return 1
}

# map_com_port COMn DEVICE: the mapping is read when the Wine server starts,
# so the server is restarted.
map_com_port() {
  WINEDEBUG=-all "$kvr_wine" reg add 'HKLM\Software\Wine\Ports' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
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
