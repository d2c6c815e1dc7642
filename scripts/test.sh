#!/usr/bin/env bash
# The test command: installs what is missing, builds the native and the MinGW
# (Wine) builds, and runs every test of both.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh

jobs="$(nproc 2>/dev/null || echo 2)"
strict="-DKVR_WERROR=ON"

echo "== native build"
cmake --preset native $strict >/dev/null
cmake --build --preset native -j "$jobs"

echo "== MinGW build"
cmake --preset mingw $strict >/dev/null
cmake --build --preset mingw -j "$jobs"

status=0
echo "== native tests"
ctest --preset native -j "$jobs" || status=1
echo "== Windows tests under Wine"
ctest --preset mingw || status=1
exit $status
