#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest.
# The Wine prefix lives in the build folder (created once, under a lock so that
# parallel tests do not race), Wine's own chatter is off, and an Xvfb display is
# started when none is set so that window tests can run on a headless machine.
set -uo pipefail

# shellcheck source=../scripts/wine-com-port.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-com-port.sh"

cleanup() {
  if [ -n "$kvr_xvfb_pid" ]; then
    # Let Wine's own processes leave the display before it goes away.
    # Bounded: a wine server kept alive by something else must not hold us.
    timeout 10 "$kvr_wineserver" -w 2>/dev/null
    kill "$kvr_xvfb_pid" 2>/dev/null
    wait "$kvr_xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null 2>&1; then
  start_virtual_display 90 140
fi

prepare_build_prefix

"$kvr_wine" "$@"
