#!/usr/bin/env bash
# The release command: installs what is missing, builds the native and the
# Windows presets (only what changed), makes the packages with CPack into
# build/release/ and checks them:
#   kvr2840e-VERSION-win64.zip        KVR2840E.exe, kvr2840e-cli.exe,
#                                     kvr2840e-sim.exe, README.md,
#                                     sample-settings.dat and LICENSE.txt in
#                                     one folder
#   kvr2840e-VERSION-win64-setup.exe  the 64-bit Windows installer of them
#   kvr2840e_VERSION_ARCH.deb         kvr2840e-cli and kvr2840e-sim, their
#                                     manual pages and bash completion, the
#                                     README, the sample, copyright, changelog
# The checks, each one line (ok: / FAILED:):
# - the zip holds exactly those files, no two names differing only in letter
#   case (Windows would keep one of them), and its kvr2840e-cli.exe answers
#   --version under Wine;
# - the installer is a 64-bit program; in a fresh Wine prefix its silent
#   install (/S) puts the programs in Program Files\KVR2840E and registers
#   the uninstaller; the installed program, started from its Start-menu
#   shortcut, runs in a writable folder outside Program Files and keeps a
#   link setting changed in its dialog in KVR2840E.ini there across a start
#   (tests/win32/installed_program_test.cpp); the installed kvr2840e-cli.exe
#   answers --version; the silent uninstall removes the programs and the
#   Uninstall key and leaves the user's folder;
# - lintian reports no error and no warning on the .deb; it installs (dpkg,
#   into a scratch root, so the machine is left as it was) with kvr2840e-cli,
#   kvr2840e-sim and both manual pages; its dependencies are met here
#   (apt-get, simulated); its kvr2840e-cli answers --version and reads the
#   sample settings file, the same in both packages.
# Exit code 0 only when all of that holds.
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
setup_name="$zip_name-setup.exe"
release="$root/build/release"
rm -rf "$release"
mkdir -p "$release"
cp "build/mingw/packages/$zip_name.zip" "build/mingw/packages/$setup_name" \
  build/native/packages/kvr2840e_"$version"_*.deb "$release/"
deb="$(ls "$release"/kvr2840e_"$version"_*.deb)"

work="$(mktemp -d)"
trap 'remove_own_prefix; stop_virtual_display; rm -rf "$work"' EXIT

# The zip.
expected="$(printf '%s\n' KVR2840E.exe LICENSE.txt README.md kvr2840e-cli.exe kvr2840e-sim.exe sample-settings.dat |
  sed "s|^|$zip_name/|" | LC_ALL=C sort | tr '\n' ' ')"
found="$(cmake -E tar tf "$release/$zip_name.zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')"
check "$zip_name.zip holds the three programs, the README, the sample and the licence" "$expected" "$found"
check "no two of its names differ only in letter case" "" \
  "$(cmake -E tar tf "$release/$zip_name.zip" | tr '[:upper:]' '[:lower:]' | sort | uniq -d)"
(cd "$work" && cmake -E tar xf "$release/$zip_name.zip")
prepare_own_prefix "$root/build/mingw"
# Every Wine process of the prefix on this display: a server started without
# one would make the program's windows nowhere.
start_virtual_display
# No menu entries or file associations of the prefix's installs in this
# user's desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
said="$("$kvr_wine" "$work/$zip_name/kvr2840e-cli.exe" --version 2>&1 | tr -d '\r')"
check "the zip's kvr2840e-cli.exe --version runs under Wine" "kvr2840e-cli $version" "$said"

# The installer, in this run's own Wine prefix (a copy of a fresh one).
check "$setup_name is a 64-bit Windows program" 8664 \
  "$(od -An -tx2 -j "$(($(od -An -tu4 -j 60 -N 4 "$release/$setup_name") + 4))" -N 2 "$release/$setup_name" | tr -d ' ')"
drive_c="$WINEPREFIX/drive_c"
programs="$drive_c/Program Files/KVR2840E"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KVR2840E'
# The key's values as "Name=value" lines, sorted; empty when it is not there.
uninstall_entry() {
  "$kvr_wine" reg query "$uninstall_key" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *\(DisplayName\|DisplayVersion\|Publisher\|UninstallString\) *REG_SZ *\(.*\)$/\1=\2/p' | sort
}
"$kvr_wine" "$release/$setup_name" /S >"$work/setup.out" 2>&1 && rc=0 || rc=$?
check "the silent install ends with exit code 0" 0 "$rc"
check "it puts the programs, the README, the sample and the licence in Program Files\\KVR2840E" \
  "KVR2840E.exe LICENSE.txt README.md Uninstall.exe kvr2840e-cli.exe kvr2840e-sim.exe sample-settings.dat" \
  "$(cd "$programs" 2>/dev/null && ls | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
check "it registers the uninstaller with its name, version and publisher" \
  "$(printf '%s\n' "DisplayName=KVR2840E configuration tool" "DisplayVersion=$version" \
    "Publisher=The KVR2840E configuration tool developers" 'UninstallString="C:\Program Files\KVR2840E\Uninstall.exe"')" \
  "$(uninstall_entry)"
shortcut="$(find "$drive_c" -name KVR2840E.lnk -path '*Start Menu*' | head -n 1)"
check "it makes a Start-menu shortcut" yes "$([ -n "$shortcut" ] && echo yes || echo no)"
said="$("$kvr_wine" "$programs/kvr2840e-cli.exe" --version 2>&1 | tr -d '\r')"
check "the installed kvr2840e-cli.exe --version runs" "kvr2840e-cli $version" "$said"
if [ -n "$shortcut" ]; then
  windows_shortcut="C:${shortcut#"$drive_c"}"
  KVR_SHORTCUT="${windows_shortcut//\//\\}" KVR_VERSION="$version" \
    "$kvr_wine" build/mingw/tests/win32/installed_program_test.exe --gtest_brief=1 >"$work/installed.out" 2>&1 &&
    rc=0 || rc=$?
  tr -d '\r' <"$work/installed.out" | grep -v '^$' | sed 's/^/  /'
  check "the installed program runs from its shortcut in a writable folder and keeps its link setting there" 0 "$rc"
fi
user_folder="$drive_c/users/Public/Documents/KVR2840E"
# As "Apps & features" runs it: the uninstaller copies itself to a temporary
# folder and returns at once; its copy removes the files, and the Wine
# server ends once it is done.
"$kvr_wine" "$programs/Uninstall.exe" /S >"$work/uninstall.out" 2>&1 && rc=0 || rc=$?
"$kvr_wineserver" -w
check "the silent uninstall ends with exit code 0" 0 "$rc"
check "it removes Program Files\\KVR2840E and the shortcut" "no no" \
  "$([ -e "$programs" ] && echo yes || echo no) $([ -e "$shortcut" ] && echo yes || echo no)"
check "it removes the Uninstall key" "" "$(uninstall_entry)"
check "it leaves the user's folder with KVR2840E.ini" yes "$([ -f "$user_folder/KVR2840E.ini" ] && echo yes || echo no)"

# The Debian package.
lintian_out="$(lintian --fail-on none "$deb" 2>&1)" || true
check "lintian finds no error and no warning in $(basename "$deb")" "" "$(grep -E '^[EW]: ' <<<"$lintian_out" || true)"
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
present=""
for file in usr/bin/kvr2840e-cli usr/bin/kvr2840e-sim usr/share/man/man1/kvr2840e-cli.1.gz \
  usr/share/man/man1/kvr2840e-sim.1.gz usr/share/bash-completion/completions/kvr2840e-cli \
  usr/share/doc/kvr2840e/copyright usr/share/doc/kvr2840e/changelog.gz; do
  [ -f "$work/root/$file" ] && present+="$file "
done
check "it installs both programs, their manual pages, the completion, copyright and changelog" \
  "usr/bin/kvr2840e-cli usr/bin/kvr2840e-sim usr/share/man/man1/kvr2840e-cli.1.gz usr/share/man/man1/kvr2840e-sim.1.gz usr/share/bash-completion/completions/kvr2840e-cli usr/share/doc/kvr2840e/copyright usr/share/doc/kvr2840e/changelog.gz " \
  "$present"
check "its manual page of kvr2840e-cli names the sub-commands" "read-all set-all verify send provision titles diff report" \
  "$(zcat "$work/root/usr/share/man/man1/kvr2840e-cli.1.gz" | sed -n 's/^\.SS "\([a-z-]*\)"$/\1/p' | tr '\n' ' ' | sed 's/ $//')"
tool="$work/root/usr/bin/kvr2840e-cli"
check "the installed kvr2840e-cli --version runs" "kvr2840e-cli $version" "$("$tool" --version 2>&1)"
check "the installed kvr2840e-sim --version runs" "kvr2840e-sim $version" "$("$work/root/usr/bin/kvr2840e-sim" --version 2>&1)"
"$tool" diff "$work/root/usr/share/doc/kvr2840e/sample-settings.dat" "$work/$zip_name/sample-settings.dat" >/dev/null 2>&1 &&
  diff_rc=0 || diff_rc=$?
check "it reads the sample settings file, the same in both packages" 0 "$diff_rc"

[ "$failures" -eq 0 ] || { echo "release: $failures check(s) failed"; exit 1; }
echo "release: $release/$zip_name.zip, $release/$setup_name and $release/$(basename "$deb")"
