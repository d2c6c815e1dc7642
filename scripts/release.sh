#!/usr/bin/env bash
# The release command: installs what is missing, builds the native and the
# Windows presets (only what changed), makes both packages with CPack into
# build/release/ and checks them:
#   kvr2840e-VERSION-win64.zip   KVR2840E.exe, kvr2840e.exe, kvr2840e-sim.exe,
#                                README.md and sample-settings.dat in one folder
#   kvr2840e_VERSION_ARCH.deb    kvr2840e and kvr2840e-sim in /usr/bin, the
#                                README and the sample in /usr/share/doc/kvr2840e
# The zip must hold exactly those files, and its kvr2840e.exe must answer
# --help under Wine; the Debian package must install (dpkg, into a scratch
# root, so the machine is left as it was), its dependencies must be met here
# (apt-get, simulated), its kvr2840e must answer --help and read the sample
# settings file. Exit code 0 only when all of that holds.
#
# Usage: release.sh [--built]   (--built: the presets are built already, as
# the test command has them: package and check only)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# shellcheck source=wine-com-port.sh
source scripts/wine-com-port.sh

built=0
[ "${1:-}" = "--built" ] && built=1
[ "$built" -eq 1 ] || bash scripts/setup.sh
jobs="$(nproc 2>/dev/null || echo 2)"
for preset in native mingw; do
  if [ "$built" -eq 0 ]; then
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
  fi
  (cd "build/$preset" && cpack >/dev/null)
done

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)"
zip_name="kvr2840e-$version-win64"
release="$root/build/release"
rm -rf "$release"
mkdir -p "$release"
cp "build/mingw/packages/$zip_name.zip" build/native/packages/kvr2840e_"$version"_*.deb "$release/"
deb="$(ls "$release"/kvr2840e_"$version"_*.deb)"

work="$(mktemp -d)"
trap 'remove_own_prefix; rm -rf "$work"' EXIT

# The zip.
expected="$(printf '%s\n' KVR2840E.exe README.md kvr2840e-sim.exe kvr2840e.exe sample-settings.dat |
  sed "s|^|$zip_name/|" | LC_ALL=C sort | tr '\n' ' ')"
found="$(cmake -E tar tf "$release/$zip_name.zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')"
check "$zip_name.zip holds the three programs, the README and the sample" "$expected" "$found"
(cd "$work" && cmake -E tar xf "$release/$zip_name.zip")
prepare_own_prefix "$root/build/mingw"
help="$("$kvr_wine" "$work/$zip_name/kvr2840e.exe" --help 2>&1 | tr -d '\r' | head -n 1)"
check "the zip's kvr2840e.exe --help runs under Wine" "kvr2840e: reads and sets whole settings files (*.dat) on KVR2840E units," "$help"

# The Debian package.
mkdir -p "$work/root/var/lib/dpkg/info" "$work/root/var/lib/dpkg/updates"
touch "$work/root/var/lib/dpkg/status"
# The scratch root has no libc: the dependencies are checked against this
# machine below.
if dpkg --root="$work/root" --force-depends --force-not-root -i "$deb" >"$work/dpkg.out" 2>&1; then
  check "$(basename "$deb") installs" installed installed
else
  check "$(basename "$deb") installs" installed "$(cat "$work/dpkg.out")"
fi
apt_out="$(apt-get install -s "$deb" 2>&1)" && apt_rc=0 || apt_rc=$?
check "its dependencies are met on this machine" "0 Inst kvr2840e" "$apt_rc $(grep -o '^Inst kvr2840e' <<<"$apt_out")"
tool="$work/root/usr/bin/kvr2840e"
help="$("$tool" --help 2>&1 | head -n 1)" || true
check "the installed kvr2840e --help runs" "kvr2840e: reads and sets whole settings files (*.dat) on KVR2840E units," "$help"
"$tool" diff "$work/root/usr/share/doc/kvr2840e/sample-settings.dat" "$work/$zip_name/sample-settings.dat" >/dev/null 2>&1 &&
  diff_rc=0 || diff_rc=$?
check "it reads the sample settings file, the same in both packages" 0 "$diff_rc"
check "the simulator is installed beside it" yes "$([ -x "$work/root/usr/bin/kvr2840e-sim" ] && echo yes || echo no)"

[ "$failures" -eq 0 ] || { echo "release: $failures check(s) failed"; exit 1; }
echo "release: $release/$zip_name.zip and $release/$(basename "$deb")"
