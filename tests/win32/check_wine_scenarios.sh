#!/usr/bin/env bash
# Fails unless every case of a test program is run by one of its Wine
# scenarios: lists the program's cases under Wine (--gtest_list_tests) and
# matches each against the scenarios' filters, one filter a line in
# FILTERS_FILE (patterns separated by ':', with * and ?, as GoogleTest's).
# Usage: check_wine_scenarios.sh LAUNCHER TEST_EXE FILTERS_FILE
set -uo pipefail
launcher="$1"
exe="$2"
filters="$3"

patterns=()
while IFS= read -r line; do
  [ -n "$line" ] || continue
  IFS=: read -r -a parts <<<"$line"
  patterns+=("${parts[@]}")
done <"$filters"

listing="$("$launcher" "$exe" --gtest_list_tests | tr -d '\r')" || { echo "cannot list the cases of $exe"; exit 1; }

suite=""
cases=0
missing=0
while IFS= read -r line; do
  line="${line%%#*}"   # a parameterised case's comment
  case "$line" in
    "  "*) name="$suite${line//[[:space:]]/}" ;;
    *.*) suite="${line//[[:space:]]/}"; continue ;;
    *) continue ;;
  esac
  [[ "$name" == DISABLED_* || "$name" == *.DISABLED_* ]] && continue
  cases=$((cases + 1))
  covered=0
  for pattern in "${patterns[@]}"; do
    # shellcheck disable=SC2053 # the pattern is a glob
    if [[ "$name" == $pattern ]]; then covered=1; break; fi
  done
  if [ "$covered" -eq 0 ]; then
    echo "no Wine scenario runs $name: add a kvr_add_wine_scenario for it (tests/win32/CMakeLists.txt)"
    missing=1
  fi
done <<<"$listing"

[ "$cases" -gt 0 ] || { echo "$exe lists no case"; exit 1; }
[ "$missing" -eq 0 ] && echo "every one of the $cases cases of $(basename "$exe") has a Wine scenario"
exit "$missing"
