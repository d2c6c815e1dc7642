#!/usr/bin/env bash
# make_man_page.sh PROGRAM SUMMARY CHANGELOG OUT.1.gz [SUB-COMMAND...]
# The manual page of PROGRAM, made by help2man from its --help and --version,
# with each SUB-COMMAND's own --help as a part of the page's SUB-COMMANDS
# section, so that the page lists every sub-command and every option. Dated
# by the Debian changelog's latest entry (a build made again gives the same
# bytes) and compressed as Debian wants it (gzip -9n).
set -euo pipefail
program="$1" summary="$2" changelog="$3" out="$4"
shift 4
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Help text as roff: no-fill, backslashes and leading dots or quotes escaped.
as_roff() {
  sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}
: >"$work/include"
if [ "$#" -gt 0 ]; then
  {
    echo "[SUB-COMMANDS]"
    for sub in "$@"; do
      echo ".SS \"$sub\""
      echo ".nf"
      "$program" "$sub" --help | as_roff
      echo ".fi"
    done
  } >>"$work/include"
fi
cat >>"$work/include" <<'TEXT'
[SEE ALSO]
The README in /usr/share/doc/kvr2840e/ describes the links, the settings file
and the configuration program for Windows.
TEXT

# help2man reads a synopsis as "Usage: LINE" and "  or: LINE"; the help lists
# its usage lines under a "Usage:" of their own, which it would run together.
cat >"$work/$(basename "$program")" <<WRAPPER
#!/usr/bin/env bash
if [ "\$1" = --help ]; then
  "$program" --help | awk '
    /^Usage:\$/ { usage = 1; first = 1; next }
    usage && /^  [^ ]/ { sub(/^  /, ""); print (first ? "Usage: " : "  or:  ") \$0; first = 0; next }
    { usage = 0; print }'
else
  exec "$program" "\$@"
fi
WRAPPER
chmod +x "$work/$(basename "$program")"

SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l "$changelog" -S Timestamp)" \
  help2man --no-info --section=1 --name="$summary" --include="$work/include" \
  --output="$work/page.1" "$work/$(basename "$program")"
gzip -9n <"$work/page.1" >"$out"
