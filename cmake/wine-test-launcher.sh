#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest, in a Wine prefix and on an
# Xvfb display of its own, so that ctest -j runs such programs side by side:
# the prefix a Wine scenario prepared for it (KVR_OWN_WINEPREFIX), or else a
# fresh copy of the build's template prefix, removed at the end. Wine's own
# chatter is off.
set -uo pipefail

# shellcheck source=../scripts/wine-com-port.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-com-port.sh"

cleanup() {
  if [ -n "${KVR_OWN_WINEPREFIX:-}" ]; then
    # The scenario's prefix: its server leaves the display before it goes.
    stop_wine_server
  else
    remove_own_prefix
  fi
  stop_virtual_display
}
trap cleanup EXIT

if [ -n "${KVR_OWN_WINEPREFIX:-}" ]; then
  wine_quietly
  export WINEPREFIX="$KVR_OWN_WINEPREFIX"
else
  prepare_own_prefix || { echo "wine-test-launcher: cannot make a Wine prefix" >&2; exit 1; }
fi
if command -v Xvfb >/dev/null 2>&1; then
  start_virtual_display || { echo "wine-test-launcher: Xvfb did not start" >&2; exit 1; }
fi

"$kvr_wine" "$@"
