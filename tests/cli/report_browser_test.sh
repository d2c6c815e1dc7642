#!/usr/bin/env bash
# The settings report as a browser shows and prints it, in headless Chromium:
#   report_browser_test.sh TOOL SAMPLE.dat
# - the report of SAMPLE.dat holds every title and every display-pattern cell
#   of the file, as read here from the file's own lines (not by the tool);
# - the report of SAMPLE.dat compared with a copy that has one value changed
#   in every section marks exactly those values, with both;
# - printed to PDF, each has the pages its sections take;
# - a screenshot of it is not blank.
# Prints one line a check and "all checks passed" at the end.
set -uo pipefail
tool="$1" sample="$2"
# shellcheck source=../../scripts/wine-com-port.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-com-port.sh"   # check
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
browser="$(command -v chromium || command -v chromium-browser)"
# Root in a container: no sandbox. A profile of its own, so runs side by side
# share nothing.
chrome() {
  "$browser" --headless --no-sandbox --disable-gpu --no-first-run --user-data-dir="$work/profile" \
    --no-pdf-header-footer "$@" 2>/dev/null
}
pdf_pages() {
  pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ { print $2 }'
}

# The file's lines: 1 the current display pattern, 2..529 the display
# patterns (33 rows of 16 outputs), ..., 3337..3400 the titles in Shift-JIS.
tr -d '\r' <"$sample" >"$work/sample.lines"
line_of() { sed -n "$1p" "$work/sample.lines"; }

"$tool" report "$sample" -o "$work/report.html" 2>/dev/null
check "report writes the page" yes "$([ -s "$work/report.html" ] && echo yes || echo no)"
chrome --dump-dom "file://$work/report.html" >"$work/dom.html"

# Every display-pattern cell: I and the input (code + 1) for codes 0..63, S
# and the pattern (code - 63) above, as the unit's wire names them.
missing=0
for p in $(seq 0 32); do
  for o in $(seq 0 15); do
    code="$(line_of $((2 + p * 16 + o)))"
    if [ "$code" -lt 64 ]; then shown="$(printf 'I%02d' $((code + 1)))"; else shown="$(printf 'S%02d' $((code - 63)))"; fi
    grep -q "id=\"s-DisplayPatternTable-$(printf '%02d-%02d' $((p + 1)) $((o + 1)))\"[^>]*>$shown<small>" \
      "$work/dom.html" || { missing=$((missing + 1)); [ "$missing" -le 3 ] && echo "  missing: pattern $((p + 1)) output $((o + 1)) $shown"; }
  done
done
check "the page holds all 528 display-pattern cells of the file" 0 "$missing"

# Every title: the file's line in Shift-JIS, its "＊" a full-width space,
# 28 of them an empty title.
missing=0
for c in $(seq 1 64); do
  title="$(line_of $((3336 + c)) | iconv -f CP932 -t UTF-8 | sed 's/＊/　/g')"
  [ "$title" = "$(printf '　%.0s' $(seq 1 28))" ] && title=""
  grep -q "id=\"s-TitleText-$(printf '%02d' "$c")\"[^>]*>$title</td>" "$work/dom.html" ||
    { missing=$((missing + 1)); [ "$missing" -le 3 ] && echo "  missing: title $c \"$title\""; }
done
check "the page holds all 64 titles of the file" 0 "$missing"
check "the password is hidden" "******" \
  "$(grep -o 'id="s-PanelLock.password"[^>]*>[^<]*' "$work/dom.html" | sed 's/.*>//')"

# One value changed in every section, on the file's own lines.
cp "$work/sample.lines" "$work/changed.lines"
change() {   # LINE NEW
  sed -i "$1s/.*/$2/" "$work/changed.lines"
}
flip() { change "$1" "$((1 - $(line_of "$1")))"; }
change 38 $((($(line_of 38) + 1) % 64))       # display pattern 3, output 5
change 2578 $(($(line_of 2578) % 98 + 1))      # alarm hold time
flip 3256                                     # date/time size
flip 3405                                     # title display, input 5
flip 3611                                     # panel lock on button operation
flip 3646                                     # unit keep alive
sed 's/$/\r/' "$work/changed.lines" >"$work/changed.dat"
"$tool" report "$sample" --compare "$work/changed.dat" -o "$work/compare.html" 2>/dev/null
chrome --dump-dom "file://$work/compare.html" >"$work/compare-dom.html"
check "the compare page marks exactly the changed values" \
  "AlarmSettings.holdTime DateTimeSize DisplayPatternTable-03-05 PanelLock.buttonLock TitleDisplayInput-05 UnitNetwork.keepAlive" \
  "$(grep -o 'id="s-[^"]*" class="[^"]*changed' "$work/compare-dom.html" | sed 's/id="s-//; s/".*//' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
check "each marked value shows the other file's value" 6 \
  "$(grep -o '<span class="other">[^<]*</span></td>' "$work/compare-dom.html" | wc -l)"
check "the list at the top names all six" "6 differences" \
  "$(grep -o '<h2>[0-9]* differences from' "$work/compare-dom.html" | sed 's/<h2>//; s/ from//')"
for section in routing titles date-time alarms panel network; do
  check "the $section section counts its difference" "1 difference" \
    "$(sed -n "/<section id=\"$section\"/,/<\/section>/p" "$work/compare-dom.html" | grep -o '<p class="count">[0-9]* difference' | sed 's/.*>//')"
done

# Printed: the sections on pages of their own.
chrome --print-to-pdf="$work/report.pdf" "file://$work/report.html"
check "the report prints on 11 A4 pages" 11 "$(pdf_pages "$work/report.pdf")"
chrome --print-to-pdf="$work/compare.pdf" "file://$work/compare.html"
check "the compare report prints on 12 (the list of differences first)" 12 "$(pdf_pages "$work/compare.pdf")"
check "its pages are A4" "(A4)" "$(pdfinfo "$work/report.pdf" | sed -n 's/^Page size:.* \((A4)\)$/\1/p')"

chrome --screenshot="$work/shot.png" --window-size=1000,800 "file://$work/compare.html"
colors="$(identify -format '%k' "$work/shot.png" 2>/dev/null || echo 0)"
check "a screenshot of it is not blank (more than 50 colours)" yes "$([ "$colors" -gt 50 ] && echo yes || echo "no: $colors")"

if [ "$failures" -eq 0 ]; then
  echo "all checks passed"
else
  echo "$failures check(s) failed"
  exit 1
fi
