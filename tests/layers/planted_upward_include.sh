#!/usr/bin/env bash
# The layer check must fail on an include that climbs a layer, naming the
# file and line, and pass on the same tree without it.
set -euo pipefail
root="$1"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/docs" "$tmp/src/core/dsp" "$tmp/src/core/document" "$tmp/src/ui/views"
cp "$root/docs/architecture.md" "$tmp/docs/"
printf '#include "base/SampleSource.h"\n' > "$tmp/src/core/dsp/Fine.cpp"
printf '#include "document/CNorvaneDoc.h"\n#include "settings/AnalysisSettings.h"\n' > "$tmp/src/core/document/Fine.h"
if ! /usr/bin/env python3 "$root/scripts/check_layers.py" "$tmp" > "$tmp/out1"; then
  echo "a tree without upward includes was refused:"; cat "$tmp/out1"; exit 1
fi
printf '// a planted upward include\n#include "plot/PlotSetup.h"\n' > "$tmp/src/core/dsp/Bad.cpp"
if /usr/bin/env python3 "$root/scripts/check_layers.py" "$tmp" > "$tmp/out2"; then
  echo "the planted upward include was not caught:"; cat "$tmp/out2"; exit 1
fi
grep -q '^src/core/dsp/Bad.cpp:2: dsp includes plot' "$tmp/out2" || { echo "unexpected report:"; cat "$tmp/out2"; exit 1; }
echo "planted upward include caught: $(head -1 "$tmp/out2")"
