# shellcheck shell=bash
# Shell functions shared by the demo, the Wine test launcher and the Wine
# scenarios: Wine's programs, the build's template Wine prefix and a prefix of
# each run's own copied from it, a virtual display, a COM port of a prefix
# mapped to a pseudo-terminal and its place in the list of serial ports the
# program reads, the lines the simulator prints as it starts, and the check
# lines of the scripts that test the tool and the packages. Source this
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

# The environment every Wine run of ours has: no Wine chatter, no .NET or
# HTML engines.
wine_quietly() {
  export WINEDEBUG=-all LC_ALL=C.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
}

# prepare_template_prefix BUILD_FOLDER: that build folder's template Wine
# prefix, made the first time (wineboot runs once a build, under a lock, so
# that parallel tests wait for the one that makes it); its path in
# kvr_template_prefix.
prepare_template_prefix() {
  kvr_template_prefix="$1/wineprefix"
  (
    flock 9
    # Made again when Wine was upgraded: a stale prefix would make every run
    # update its copy, through the hard links, in the template.
    if [ "$(cat "$kvr_template_prefix/.kvr-ready" 2>/dev/null)" != "$("$kvr_wine" --version)" ]; then
      rm -rf "$kvr_template_prefix"
      mkdir -p "$kvr_template_prefix"
      wine_quietly
      export WINEPREFIX="$kvr_template_prefix"
      "$kvr_wine" wineboot -i >/dev/null 2>&1
      # Without a window manager, Wine waits for one before it hides a managed
      # window; unmanaged windows close at once.
      "$kvr_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      "$kvr_wineserver" -w
      "$kvr_wine" --version >"$kvr_template_prefix/.kvr-ready"
    fi
  ) 9>"$1/.wineprefix.lock"
}

# prepare_own_prefix: WINEPREFIX is a new prefix of this run's own, a copy of
# the template: its own wine server, registry (the COM port mappings) and
# drive C, so that runs side by side share nothing but the template. The
# program files Wine only reads (.dll, .exe, .nls: 650 MB) are hard links to
# the template's; every other file (the registry, .ini files Wine rewrites in
# place) is a copy. remove_own_prefix ends it. BUILD_FOLDER: the build folder
# whose template it copies; the one that holds the current directory when not
# given.
kvr_own_prefix=""
prepare_own_prefix() {
  local build="${1:-$(build_folder)}" folder
  prepare_template_prefix "$build"
  folder="$build/wineprefixes"
  mkdir -p "$folder"
  kvr_own_prefix="$(mktemp -d "$folder/prefix.XXXXXX")" || return 1
  cp -al "$kvr_template_prefix/." "$kvr_own_prefix/" 2>/dev/null ||
    cp -a "$kvr_template_prefix/." "$kvr_own_prefix/" || return 1
  (cd "$kvr_template_prefix" &&
    find . -type f ! -name '*.dll' ! -name '*.exe' ! -name '*.nls' -print0 |
    xargs -0 cp -a --remove-destination --parents -t "$kvr_own_prefix") || return 1
  # Debian's Wine keeps the folder of the wine server's socket in a
  # temporary folder that the prefix's file "wineserver" names. A copy must
  # get one of its own, made when its server first starts: in a shared one
  # the server's folder is named by the prefix's inode number, which a
  # removed prefix hands on to a later copy.
  rm -f "$kvr_own_prefix/.kvr-ready" "$kvr_own_prefix/wineserver"
  wine_quietly
  export WINEPREFIX="$kvr_own_prefix"
}

# remove_own_prefix: stops the prefix's wine server (bounded: a server kept
# alive by something else must not hold us) and removes the prefix.
remove_own_prefix() {
  [ -n "$kvr_own_prefix" ] || return 0
  WINEPREFIX="$kvr_own_prefix" stop_wine_server
  local server_folder
  server_folder="$(cat "$kvr_own_prefix/wineserver" 2>/dev/null)"
  [[ "$server_folder" =~ ^wine-[A-Za-z0-9]+$ ]] && rm -rf "${TMPDIR:-/tmp}/$server_folder"
  rm -rf "$kvr_own_prefix"
  kvr_own_prefix=""
}

# start_virtual_display: an Xvfb display of this run's own, on a number Xvfb
# finds free itself (so that runs side by side never take the same one), as
# DISPLAY; its pid in kvr_xvfb_pid. Returns once it is up.
kvr_xvfb_pid=""
start_virtual_display() {
  local number_file
  number_file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  kvr_xvfb_pid=$!
  for _ in $(seq 1 100); do
    if grep -q '^[0-9][0-9]*$' "$number_file"; then
      export DISPLAY=":$(cat "$number_file")"
      rm -f "$number_file"
      return 0
    fi
    kill -0 "$kvr_xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  rm -f "$number_file"
  return 1
}

# stop_virtual_display: once Wine's own processes have left it.
stop_virtual_display() {
  [ -n "$kvr_xvfb_pid" ] || return 0
  kill "$kvr_xvfb_pid" 2>/dev/null
  wait "$kvr_xvfb_pid" 2>/dev/null
  kvr_xvfb_pid=""
}

# check WHAT EXPECTED ACTUAL: one line of a script's checks, "ok: WHAT" or
# "FAILED: WHAT: ..."; a failure counts in $failures.
failures=0
check() {
  if [ "$2" = "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

# windows_path ABSOLUTE_PATH: the path as a program under Wine names it, on
# drive Z: (the whole Linux file system in every prefix wineboot made).
# Worked out here rather than asked of winepath, which would start a wine
# server for it, and can come back empty when one is starting or stopping.
windows_path() {
  local path="$1"
  printf 'Z:%s\n' "${path//\//\\}"
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
# so the server is restarted. Fails (after three tries) when reg cannot
# write it, so that a scenario never runs on an unmapped port.
map_com_port() {
  local try
  for try in 1 2 3; do
    if WINEDEBUG=-all "$kvr_wine" reg add 'HKLM\Software\Wine\Ports' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; then
      stop_wine_server
      return 0
    fi
    stop_wine_server
  done
  echo "$1 could not be mapped to $2 in $WINEPREFIX" >&2
  return 1
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
  # Either fails when no server runs, which is no failure here (nor under set -e).
  "$kvr_wineserver" -k 2>/dev/null || true
  timeout 10 "$kvr_wineserver" -w 2>/dev/null || true
}
