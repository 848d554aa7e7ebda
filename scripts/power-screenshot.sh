#!/usr/bin/env bash
# Starts norvane in a virtual X display on the demo recording, zooms in on
# one call, selects it, opens a power-spectrum window (Ctrl+Shift+P) and
# saves a screenshot as DIR/power-spectrum.png (default docs/screenshots).
# Needs xvfb-run, xdotool and xwd (packages xvfb, xdotool, x11-apps).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/release}
out=${1:-docs/screenshots}
mkdir -p "$out"
demo=$(mktemp -d)/demo.wav
"$build/src/cli/norvane-cli" demo "$demo"

inner=$(mktemp)
cat > "$inner" <<INNER
set -e
export XDG_CONFIG_HOME=\$(mktemp -d)
"$build/src/ui/norvane" "$demo" &
pid=\$!
sleep 3
win=\$(xdotool search --sync --name "Norvane - demo.wav" | head -1)
xdotool windowmove "\$win" 0 0 windowsize "\$win" 1280 800 windowfocus --sync "\$win"
sleep 1
xdotool key ctrl+shift+Down; sleep 2
xdotool key ctrl+a
# The loud call of the first bat just before the closest pass, then the call itself.
xdotool mousemove 466 300 mousedown 1 mousemove 470 300 mousemove 478 300 mouseup 1; sleep 1
xdotool key ctrl+Up; sleep 2
xdotool mousemove 540 300 mousedown 1 mousemove 600 300 mousemove 680 300 mouseup 1; sleep 1
xdotool key ctrl+shift+p; sleep 3
xwd -root -silent > "$out/power-spectrum.xwd"
python3 scripts/xwd2png.py "$out/power-spectrum.xwd" "$out/power-spectrum.png"
rm "$out/power-spectrum.xwd"
kill \$pid
INNER
xvfb-run -a -s "-screen 0 1280x800x24" bash "$inner"
rm -f "$inner"
ls "$out/power-spectrum.png"
