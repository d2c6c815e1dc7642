#!/usr/bin/env bash
# Read all and set all through their dialogs against the simulator, on the
# serial link and over TCP, as ratios of their timer bounds. Needs the MinGW
# build (cmake --build --preset mingw); prints figures, asserts nothing else.
set -eu
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/mingw"
bench="$build/bench/transfer_bench.exe"
[ -f "$bench" ] || { echo "build the mingw preset first: $bench is missing" >&2; exit 1; }
# The Windows build's simulator: its own native helper build, or the native
# build it was pointed at (the test command's).
sim="$build/native-sim/sim/kvr2840e-sim"
[ -x "$sim" ] || sim="$root/build/native/sim/kvr2840e-sim"
# The runner uses the Wine prefix of the build folder it is started in.
cd "$build"
for setup in "serial TransferBench.Serial" "tcp-client TransferBench.Tcp"; do
  set -- $setup
  bash "$root/tests/win32/run_wine_scenario.sh" --setup "$1" --sim "$sim" \
    --launcher "$root/cmake/wine-test-launcher.sh" --exe "$bench" --filter "$2" | grep -E "^(serial|tcp) "
done
