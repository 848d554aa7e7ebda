#!/usr/bin/env bash
# Starts norvane in a virtual X display as a user would, opens the demo
# recording, zooms, selects (the selected stretch shows inverted), scrolls,
# opens a second view and splits it with Caps Lock on, and saves a
# screenshot after each step into DIR (default docs/screenshots).
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
shot() { xwd -root -silent > "$out/\$1.xwd"; python3 scripts/xwd2png.py "$out/\$1.xwd" "$out/\$1.png"; rm "$out/\$1.xwd"; }
shot 1-opened
xdotool key ctrl+shift+Down; sleep 1; shot 2-entire-file
xdotool key ctrl+a
# A marking drag across the oscillogram: the stretch between its ends is
# inverted in both diagrams and the strip reads its times and distance.
xdotool mousemove 300 300 mousedown 1
for x in 340 380 420 460 500 520; do xdotool mousemove \$x 300; sleep 0.1; done
xdotool mouseup 1; sleep 1; shot 3-selection
xdotool key ctrl+Up; sleep 1; shot 4-zoomed
xdotool key ctrl+Right ctrl+Right; sleep 1; shot 5-scrolled
xdotool key alt+a; sleep 1; xdotool key Return; sleep 2; shot 6-second-view
# Window, Split: two panes on the same view; Caps Lock shows in the CAP pane.
xdotool key alt+w; sleep 1; xdotool key p; sleep 2
xdotool key Caps_Lock; sleep 1; shot 7-split
xdotool key Caps_Lock
kill \$pid
INNER
xvfb-run -a -s "-screen 0 1280x800x24" bash "$inner"
rm -f "$inner"
ls "$out"
