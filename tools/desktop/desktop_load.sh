#!/usr/bin/env bash
# Measures the desktop app's CPU use (percent of one core) and resident memory on a virtual desktop
# (Xvfb + openbox + xcompmgr; OpenGL is whatever Mesa gives, llvmpipe without a GPU).
# Usage: desktop_load.sh PLIMSA HUMANOIDS_TOOL SWINGS FPS [ATTACH [CORNERS [SECONDS]]]
#   ATTACH "screen" (shown) or "window" (no application window: every swing hidden); SECONDS of
#   measuring after a 5-second warm-up (default 20). Prints one line:
#   swings=N corners=N fps=N attach=A cpu=P% rss=M MiB
set -euo pipefail
plimsa=$1 humanoids=$2 swings=$3 fps=$4 attach=${5:-screen} corners=${6:-0} seconds=${7:-20}
work=$(mktemp -d /tmp/plimsa-load-XXXXXX)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for ((t = 0; t < 100; t++)); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
unset WAYLAND_DISPLAY
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME/plimsa" "$XDG_DATA_HOME/Plimsa/Characters" && mkdir -m 700 "$XDG_RUNTIME_DIR"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
xcompmgr >/dev/null 2>&1 &
pids+=($!)
"$humanoids" "$XDG_DATA_HOME/Plimsa/Characters" humanoid-blender.glb humanoid-mixamo-colon.glb >/dev/null

{
  printf '{"frameRate": %d, "swings": [' "$fps"
  for ((i = 0; i < swings; i++)); do
    ((i > 0)) && printf ','
    printf '{"id": "5E1F0A00-0000-4000-8000-%012d", "characters": ["humanoid-blender", "humanoid-mixamo-colon"],' "$i"
    printf ' "attach": "%s", "anchorFraction": %s}' "$attach" "$(awk -v i="$i" -v n="$swings" 'BEGIN {print (i + 0.5) / n}')"
  done
  printf '], "corners": ['
  for ((i = 0; i < corners; i++)); do
    ((i > 0)) && printf ','
    printf '{"id": "5E1F0A00-0000-4000-9000-%012d", "character": "humanoid-blender", "side": "%s"}' "$i" \
      "$( ((i % 2)) && echo left || echo right)"
  done
  printf ']}\n'
} >"$XDG_CONFIG_HOME/plimsa/settings.json"

sleep 1
"$plimsa" >"$work/plimsa.log" 2>&1 &
app=$!
pids+=($app)
sleep 5
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
start=$(ticks)
sleep "$seconds"
end=$(ticks)
rss=$(awk '/VmRSS/ {print int($2 / 1024)}' "/proc/$app/status")
hz=$(getconf CLK_TCK)
cpu=$(awk -v a="$start" -v b="$end" -v s="$seconds" -v hz="$hz" 'BEGIN {printf "%.1f", 100 * (b - a) / hz / s}')
echo "swings=$swings corners=$corners fps=$fps attach=$attach cpu=$cpu% rss=$rss MiB"
