#!/usr/bin/env bash
# The test command: installs what is missing, builds the native and the MinGW
# (Wine) builds, and runs every test of both; then the core, simulator and
# their tests again under AddressSanitizer + UndefinedBehaviorSanitizer and
# under ThreadSanitizer, and every fuzz target for a short while.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh

jobs="$(nproc 2>/dev/null || echo 2)"
strict="-DKVR_WERROR=ON"

# Every stage says how long it took, so that a slow one is seen.
stage_started=$SECONDS
stage() {
  echo "== $1"
  stage_started=$SECONDS
}
stage_end() {
  echo "== $1: $((SECONDS - stage_started)) s"
}
all_started=$SECONDS

stage "native build"
cmake --preset native $strict >/dev/null
cmake --build --preset native -j "$jobs"
stage_end "native build"

stage "MinGW build"
cmake --preset mingw $strict >/dev/null
cmake --build --preset mingw -j "$jobs"
stage_end "MinGW build"

status=0
stage "native tests"
ctest --preset native -j "$jobs" || status=1
stage_end "native tests"
stage "Windows tests under Wine"
ctest --preset mingw || status=1
stage_end "Windows tests under Wine"

# The sanitizer and fuzz builds: each stage runs even when one before failed,
# and a build that fails fails the command.
sanitized() {
  local preset="$1" started=$SECONDS
  echo "== $preset build and tests"
  if cmake --preset "$preset" $strict >/dev/null && cmake --build --preset "$preset" -j "$jobs"; then
    ctest --preset "$preset" -j "$jobs" || status=1
  else
    status=1
  fi
  echo "== $preset: $((SECONDS - started)) s"
}
sanitized asan
sanitized tsan
sanitized fuzz
echo "== all stages: $((SECONDS - all_started)) s"
exit $status
