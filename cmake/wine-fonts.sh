#!/usr/bin/env bash
# Japanese text under Wine: the dialog fonts the program names are served by
# the IPA Gothic fonts, and the Western UI fonts fall back to them for the
# characters they lack. Run with WINEPREFIX set; LC_ALL=C.UTF-8 so that Wine
# reads the Japanese value names correctly.
set -u
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine64 || command -v wine)"
export LC_ALL=C.UTF-8 WINEDEBUG=-all

replace() {
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
}
replace "MS UI Gothic" "IPAGothic"
replace "ＭＳ Ｐゴシック" "IPAPGothic"
replace "ＭＳ ゴシック" "IPAGothic"
replace "MS PGothic" "IPAPGothic"
replace "MS Gothic" "IPAGothic"

for font in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$font" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic\0ipag.ttf,IPAGothic' /f >/dev/null 2>&1
done
# Wine draws the title-bar buttons with its Marlett font. This Wine never
# reads the fonts of its own data folder (it does not even look into
# /usr/share/wine/fonts), only the prefix's Fonts folder; without the font the
# buttons show as the letters "0 1 r". So the font goes into the prefix.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
for font in /usr/share/wine/fonts/marlett.ttf; do
  if [ -f "$font" ]; then
    mkdir -p "$fonts"
    cp -f "$font" "$fonts/"
  fi
done
exit 0
