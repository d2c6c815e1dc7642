#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, when any is
# missing (with --demo, also those the demo needs). clang builds the fuzz
# targets; libclang-rt-dev holds libFuzzer and clang's sanitizer runtimes (only
# a recommendation of clang, so it is named here); dpkg-dev's dpkg-shlibdeps
# finds the Debian package's dependencies for CPack. libcli11-dev and
# nlohmann-json3-dev are the header-only libraries of the tool's and the
# simulator's command lines and of the --json output; both builds (MinGW too)
# take their headers from there (cmake/header_libraries.cmake). nsis's
# makensis builds the Windows installer, help2man the manual pages from
# --help, lintian checks the Debian package. The settings report is tested
# in headless chromium; poppler-utils' pdfinfo counts its printed pages and
# imagemagick's identify looks at its screenshot.
# Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev googletest
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine64 xvfb
  clang libclang-rt-dev
  dpkg-dev
  libcli11-dev nlohmann-json3-dev
  nsis help2man lintian
  chromium poppler-utils imagemagick
)
# The demo also shows Japanese text and takes a screenshot; Wine's own fonts
# carry the Marlett font its title-bar buttons are drawn with (only a
# recommendation of Wine, so it is named here).
if [ "${1:-}" = "--demo" ]; then
  packages+=(fonts-ipafont-gothic imagemagick fonts-wine)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
