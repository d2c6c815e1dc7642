#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest.
# The Wine prefix lives in the build folder (created once, under a lock so that
# parallel tests do not race), Wine's own chatter is off, and an Xvfb display is
# started when none is set so that window tests can run on a headless machine.
set -uo pipefail

build_dir="$(pwd)"
while [ "$build_dir" != "/" ] && [ ! -f "$build_dir/CMakeCache.txt" ]; do
  build_dir="$(dirname "$build_dir")"
done
[ -f "$build_dir/CMakeCache.txt" ] || build_dir="$(pwd)"

export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine64 || command -v wine)"
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver="$(command -v wineserver)"

xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    # Let Wine's own processes leave the display before it goes away.
    # Bounded: a wine server kept alive by something else must not hold us.
    timeout 10 "$wineserver" -w 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null 2>&1; then
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
fi

(
  flock 9
  if [ ! -f "$WINEPREFIX/.kvr-ready" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    # Without a window manager, Wine waits for one before it hides a managed
    # window; unmanaged windows close at once.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$wineserver" -w
    touch "$WINEPREFIX/.kvr-ready"
  fi
) 9>"$build_dir/.wineprefix.lock"

"$wine" "$@"
status=$?
exit $status
