#!/usr/bin/env bash
# The link check must fail on a library that links one above it (here the
# fast Fourier transforms linking the plot set-up, and a core library linking
# the interface's), naming both, and pass on the build's own links.
# Usage: planted_upward_link.sh REPO_ROOT LINKS_FILE
set -euo pipefail
root="$1"; links="$2"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
check() { /usr/bin/env python3 "$root/scripts/check_links.py" "$root" "$1"; }
if ! check "$links" > "$tmp/out1"; then
  echo "the build's own links were refused:"; cat "$tmp/out1"; exit 1
fi
grep -q '^norvane_dsp	' "$links" || { echo "no norvane_dsp in $links"; exit 1; }
# A planted upward link within the core.
sed 's/^\(norvane_dsp	[^	]*	.*\)$/\1 norvane_plot/' "$links" > "$tmp/planted"
if check "$tmp/planted" > "$tmp/out2"; then
  echo "the planted upward link was not caught:"; cat "$tmp/out2"; exit 1
fi
grep -q '^norvane_dsp (src/core/dsp) links norvane_plot (src/core/plot), above it' "$tmp/out2" ||
  { echo "unexpected report:"; cat "$tmp/out2"; exit 1; }
echo "planted upward link caught: $(head -1 "$tmp/out2")"
# A core library linking an interface library (a tree above it).
printf 'norvane_ui_widgets\tsrc/ui/base\tnorvane_base\n' >> "$tmp/planted2"
sed 's/^\(norvane_settings	[^	]*	.*\)$/\1 norvane_ui_widgets/' "$links" >> "$tmp/planted2"
if check "$tmp/planted2" > "$tmp/out3"; then
  echo "the planted link into the interface was not caught:"; cat "$tmp/out3"; exit 1
fi
grep -q '^norvane_settings (src/core/settings) links norvane_ui_widgets (src/ui/base), above it' "$tmp/out3" ||
  { echo "unexpected report:"; cat "$tmp/out3"; exit 1; }
echo "planted link into the interface caught: $(head -1 "$tmp/out3")"
