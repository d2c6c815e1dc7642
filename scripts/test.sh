#!/usr/bin/env bash
# The test command: installs what is missing, builds the native and the MinGW
# (Wine) builds and runs every test of both; makes and checks the release
# packages; builds the core, simulator, tool and their tests again under
# AddressSanitizer + UndefinedBehaviorSanitizer, and the core (where the
# threads are) and its tests under ThreadSanitizer, and runs them; and runs
# every fuzz target for a while.
#
# The stages overlap, because most of the tests' time is spent waiting on the
# unit's timers with the processor idle: the native build comes first (the
# Windows build runs its simulator), and while the Wine entries run (side by
# side, each in a Wine prefix of its own), the other builds compile beside
# them at a lower priority, and each build's tests run in the background
# while the next build compiles; so do the release packages' checks. The fuzz targets run last, alone, so that
# their fixed time is all theirs. Every stage prints its time (`== NAME: N s`)
# and the times are listed again at the end.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh

jobs="$(nproc 2>/dev/null || echo 2)"
# Wine entries side by side: each mostly waits on real time (the status
# timer, the sequence ticks, the soaks' rounds).
wine_jobs=8
strict="-DKVR_WERROR=ON"

status=0
times=()
all_started=$SECONDS
logs="$(mktemp -d)"
declare -A background=()
trap 'for pid in "${background[@]}"; do kill "$pid" 2>/dev/null; done; rm -rf "$logs"' EXIT

stage_started=$SECONDS
stage() {
  echo "== $1"
  stage_started=$SECONDS
}
# stage_end NAME [EXIT_CODE]: its time, and a failure said as such.
stage_end() {
  local failed=""
  [ "${2:-0}" -eq 0 ] || { failed=" FAILED (exit $2)"; status=1; }
  times+=("== $1: $((SECONDS - stage_started)) s$failed")
  echo "${times[-1]}"
}

# build PRESET [CMAKE_OPTION...]: configures and builds it; its compilers
# run at a lower priority than the tests running beside them. Fails the
# command on failure.
build() {
  local preset="$1"
  shift
  stage "$preset build"
  local rc=0
  cmake --preset "$preset" $strict "$@" >/dev/null && nice -n 10 cmake --build --preset "$preset" -j "$jobs" || rc=$?
  stage_end "$preset build" "$rc"
  return "$rc"
}

# in_background NAME COMMAND...: COMMAND in the background, its output kept
# until tests_shown NAME shows it.
in_background() {
  local name="$1"
  shift
  echo "== $name: started in the background"
  (
    started=$SECONDS
    rc=0
    "$@" >"$logs/$name.log" 2>&1 || rc=$?
    echo "$rc $((SECONDS - started))" >"$logs/$name.done"
  ) &
  background[$name]=$!
}

# tests_in_background NAME PRESET [CTEST_OPTION...]: ctest of PRESET in the
# background.
tests_in_background() {
  local name="$1" preset="$2"
  shift 2
  in_background "$name" ctest --preset "$preset" "$@"
}

# tests_shown NAME: waits for NAME's tests, shows their output and time.
tests_shown() {
  local name="$1" rc seconds
  [ -n "${background[$name]:-}" ] || return 0
  wait "${background[$name]}" || true
  unset "background[$name]"
  echo "== $name"
  cat "$logs/$name.log"
  read -r rc seconds <"$logs/$name.done" || { rc=1; seconds=0; }
  stage_started=$((SECONDS - seconds))
  stage_end "$name (beside the builds)" "$rc"
}

# The native build first: the Windows build takes its simulator (the Wine
# tests' unit) and sample settings file from it instead of compiling them
# once more.
native_built=0
native_tools=()
if build native; then
  native_built=1
  native_tools=(-DKVR_NATIVE_TOOLS_DIR="$root/build/native")
  tests_in_background "native tests" native -j "$jobs"
fi
if build mingw "${native_tools[@]}"; then
  tests_in_background "Windows tests under Wine" mingw -j "$wine_jobs"
  # The packages and their checks (mostly Wine starting and waiting on the
  # installed program's windows) beside the next builds.
  if [ "$native_built" -eq 1 ]; then
    in_background "release packages" bash scripts/release.sh --built
  fi
fi
build asan && tests_in_background "asan tests" asan -j "$jobs"
build tsan && tests_in_background "tsan tests" tsan -j "$jobs"
fuzz_built=0
build fuzz && fuzz_built=1

tests_shown "native tests"
tests_shown "release packages"
tests_shown "Windows tests under Wine"
tests_shown "asan tests"
tests_shown "tsan tests"
if [ "$fuzz_built" -eq 1 ]; then
  stage "fuzz targets"
  rc=0
  ctest --preset fuzz -j "$jobs" || rc=$?
  stage_end "fuzz targets" "$rc"
fi

echo "== stage times (the background ones ran beside the builds)"
printf '%s\n' "${times[@]}"
echo "== all stages: $((SECONDS - all_started)) s"
exit $status
