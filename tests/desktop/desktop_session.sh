#!/usr/bin/env bash
# The desktop app on a virtual desktop (Xvfb + openbox + xcompmgr + trayer), driven with xdotool:
# a window swing hangs on an xterm's title bar, follows it when it moves and jumps to another
# application's window when that one is activated; a screen swing stays put; a corner sitter sits in the
# work area's corner; the pointer beside a board reaches the window below, over a board it reaches the
# swing, and a click there pushes it; a second launch exits at once; quitting leaves only settings.json.
# Usage: desktop_session.sh PLIMSA HUMANOIDS_TOOL [SCREENSHOT.png]  (or PLIMSA_SCREENSHOT=FILE)
set -euo pipefail
plimsa=$1 humanoids=$2 screenshot=${3:-${PLIMSA_SCREENSHOT:-}}
for tool in Xvfb openbox xcompmgr xdotool xwininfo xprop; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup installs it)"; exit 1; }
done

work=$(mktemp -d /tmp/plimsa-desktop-XXXXXX)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  if [[ -n ${app:-} ]]; then
    for id in $(overlays); do echo "  overlay $id: $(geometry "$id")"; done
  fi
  [[ -f $work/plimsa.log ]] && sed 's/^/  plimsa: /' "$work/plimsa.log" | tail -20
  exit 1
}
# Polls a command until it succeeds, for up to $1 tenths of a second.
until_true() {
  local tries=$1; shift
  for ((t = 0; t < tries; t++)); do "$@" && return 0; sleep 0.1; done
  return 1
}

# --- The virtual desktop, on a display of its own ---
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
until_true 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
unset WAYLAND_DISPLAY
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME/plimsa" "$XDG_DATA_HOME/Plimsa/Characters" && mkdir -m 700 "$XDG_RUNTIME_DIR"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
until_true 100 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "openbox did not start"
xcompmgr >"$work/xcompmgr.log" 2>&1 &
pids+=($!)

# --- Characters and settings: a window swing at the middle of the front window that does not pump
# (so only a push moves it much), a screen swing, a corner sitter on the right ---
"$humanoids" "$XDG_DATA_HOME/Plimsa/Characters" humanoid-blender.glb >/dev/null
cat >"$XDG_CONFIG_HOME/plimsa/settings.json" <<'JSON'
{"frameRate": 30, "lightContrast": 0.4,
 "swings": [
  {"id": "7C3A1D2E-0000-4000-8000-000000000001", "characters": ["humanoid-blender"], "attach": "window",
   "anchorFraction": 0.5, "pumping": false, "cruiseAmplitudeDegrees": 0},
  {"id": "7C3A1D2E-0000-4000-8000-000000000002", "characters": ["humanoid-blender"], "attach": "screen",
   "anchorFraction": 0.72}],
 "corners": [
  {"id": "7C3A1D2E-0000-4000-8000-000000000003", "character": "humanoid-blender", "side": "right"}]}
JSON
cp "$XDG_CONFIG_HOME/plimsa/settings.json" "$work/settings.before"

# --- Two applications with title bars ---
xterm -class FirstTerm -geometry 90x30+120+180 &
pids+=($!)
xterm -class OtherTerm -geometry 70x20+700+420 &
pids+=($!)
window_of() { xdotool search --onlyvisible --class "$1" 2>/dev/null | head -n1; }
mapped() { [[ -n "$(window_of "$1")" ]]; }
until_true 100 mapped FirstTerm || fail "xterm did not map"
until_true 100 mapped OtherTerm || fail "xterm did not map"
first=$(window_of FirstTerm) other=$(window_of OtherTerm)
# xdotool dies on an X error when it asks about the active window while the window manager has made none
# active yet; asking again a moment later succeeds.
activate() { until_true 50 sh -c 'xdotool windowactivate --sync "$1" 2>/dev/null' _ "$1" || fail "could not activate $1"; }
activate "$first"

# --- Plimsa ---
# Under AddressSanitizer every error but leaks counts: Mesa's software driver leaves a small allocation
# behind when it is unloaded at exit, and a suppression cannot name an unloaded library.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
"$plimsa" >"$work/plimsa.log" 2>&1 &
app=$!
pids+=($app)

# "x y w h" of a window in root coordinates (top-left origin).
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
# The visible frame of a managed window: its client area grown by the window manager's decorations.
frame_of() {
  local x y w h l r t b
  read -r x y w h < <(geometry "$1")
  IFS=', ' read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //')
  echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))
}
# The settings panel (the app's one window the window manager manages: it has a WM_STATE) and the overlays
# (every other window it shows; they bypass the window manager).
panel() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    xprop -id "$id" WM_STATE 2>/dev/null | grep -q "window state" && echo "$id" && return
  done
}
overlays() {
  local shown
  shown=$(panel)
  xdotool search --onlyvisible --pid "$app" 2>/dev/null | { [[ -n $shown ]] && grep -vx "$shown" || cat; }
}
# The overlay whose geometry satisfies an awk condition on x, y, w, h.
overlay_where() {
  local id
  for id in $(overlays); do
    geometry "$id" | awk -v id="$id" "{x=\$1; y=\$2; w=\$3; h=\$4} $1 {print id}"
  done | head -n1
}
near() { (($1 - $2 <= 1 && $2 - $1 <= 1)); }
clamp_centre() {  # frame x, width, fraction -> hanging x as the tick computes it
  awk -v x="$1" -v w="$2" -v f="$3" 'BEGIN {c = x + w * f; if (c > x + w - 90) c = x + w - 90;
    if (c < x + 90) c = x + 90; print c}'
}
# Checks that a window swing hangs from window $1 (its top edge on the frame's top, centred at the anchor).
hangs_from() {
  local fx fy fw fh id x y w h cx
  read -r fx fy fw fh < <(frame_of "$1")
  cx=$(clamp_centre "$fx" "$fw" 0.5)
  id=$(overlay_where "y > 1 && !(x + w == 1280 && y + h == 800)") || return 1
  [[ -n $id ]] || return 1
  read -r x y w h < <(geometry "$id")
  near "$y" "$fy" && awk -v x="$x" -v w="$w" -v c="$cx" 'BEGIN {d = x + w / 2 - c; exit !(d <= 1 && d >= -1)}'
}

# No tray host runs here, so the panel opens at launch (the only way into the menu); Escape closes it and
# the first xterm is the front window again.
panel_shown() { [[ -n "$(panel)" ]]; }
until_true 300 panel_shown || fail "the settings panel did not open at launch without a tray"
activate "$(panel)"
xdotool key Escape
until_true 150 eval '! panel_shown' || fail "Escape did not close the settings panel"
activate "$first"
echo "ok: without a tray the settings panel opens at launch, and Escape closes it"

three_overlays() { (($(overlays | wc -l) >= 3)); }
until_true 300 three_overlays || fail "expected three overlays, got: $(overlays | wc -l)"
until_true 150 hangs_from "$first" ||
  fail "the window swing does not hang on the first xterm's title bar (frame $(frame_of "$first"))"
echo "ok: the window swing hangs on the front xterm's title bar"

screen_swing=$(overlay_where "y <= 1")
[[ -n $screen_swing ]] || fail "no screen swing at the top of the screen"
read -r sx sy sw sh < <(geometry "$screen_swing")
awk -v x="$sx" -v w="$sw" 'BEGIN {d = x + w / 2 - 1280 * 0.72; exit !(d <= 1 && d >= -1)}' ||
  fail "screen swing not centred at 0.72 of the screen width: $sx $sw"
echo "ok: the screen swing hangs at the top of the screen"

corner=$(overlay_where "x + w == 1280 && y + h == 800")
[[ -n $corner ]] || fail "no corner sitter in the bottom right corner"
echo "ok: the corner sitter sits in the bottom right corner"

xdotool windowmove --sync "$first" 300 260
until_true 150 hangs_from "$first" || fail "the window swing did not follow the moved xterm"
echo "ok: the window swing follows a moved window"

activate "$other"
until_true 150 hangs_from "$other" || fail "the window swing did not move to the activated xterm"
[[ "$(geometry "$screen_swing")" == "$sx $sy $sw $sh" ]] || fail "the screen swing moved"
echo "ok: the window swing moves to another application's window; the screen swing stays"

# --- Clicks: beside the board the pointer is over the xterm below; over the board it is over the swing ---
swing=$(overlay_where "y > 1 && !(x + w == 1280 && y + h == 800)")
read -r x y w h < <(geometry "$swing")
# The top-level window under the pointer, as the X server delivers clicks to it (a window manager's frame
# around the client); compared with the frames of the swing and of the xterm.
under_pointer() { xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p'; }
top_level() {
  local id=$1 line
  while line=$(xwininfo -tree -id "$id" | grep 'Parent window id:') && [[ $line != *"(the root window)"* ]]; do
    id=$(sed 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/' <<<"$line")
  done
  printf '%d\n' "$id"
}
swing_frame=$(top_level "$swing") other_frame=$(top_level "$other")
# Left of the chains, under the bar: nothing there can be clicked, and the xterm lies below.
xdotool mousemove $((x + w / 2 - 150)) $((y + 60))
sleep 0.3
[[ "$(under_pointer)" == "$other_frame" ]] ||
  fail "the swing catches the mouse beside its board ($(under_pointer), swing $swing_frame, xterm $other_frame)"
echo "ok: beside the board the pointer reaches the window below"

# The board swings past its resting point under the bar; wait there until the swing catches the pointer.
fx=$(awk -v x="$x" -v w="$w" 'BEGIN {print int(x + w / 2)}')
# The bar is the overlay's top edge and the board hangs 2.2 scene units (120 points each) below it.
board_y=$((y + 240))
caught=""
for ((t = 0; t < 200; t++)); do
  for dy in 0 -50 24; do
    xdotool mousemove "$fx" $((board_y + dy))
    sleep 0.05
    [[ -n ${PLIMSA_E2E_DEBUG:-} ]] && echo "pointer $fx $((board_y + dy)): $(under_pointer) swing $swing_frame"
    if [[ "$(under_pointer)" == "$swing_frame" ]]; then caught=$((board_y + dy)); break 2; fi
  done
done
[[ -n $caught ]] || { [[ -n $screenshot ]] && import -window root "$screenshot"; fail "the swing never caught the pointer over its board"; }
width_before=$w
xdotool click --repeat 3 --delay 20 1
grown() { read -r _ _ w2 _ < <(geometry "$swing"); ((w2 > width_before)); }
until_true 150 grown || fail "a click on the swing did not push it (width stayed $width_before)"
echo "ok: the swing catches the pointer over its board, and a click pushes it"

if [[ -n $screenshot ]]; then import -window root "$screenshot" && echo "screenshot: $screenshot"; fi

# --- A second launch hands over and exits; quitting leaves only the settings ---
timeout 20 "$plimsa" >"$work/second.log" 2>&1 || fail "the second launch failed: $(cat "$work/second.log")"
sleep 0.5
until_true 150 panel_shown || fail "a second launch did not open the running app's settings panel"
# The panel counts among the overlays until the window manager has marked it managed.
exactly_three_overlays() { (($(overlays | wc -l) == 3)); }
until_true 50 exactly_three_overlays || fail "a second launch changed the overlays"
echo "ok: a second launch exits and opens the running app's settings panel"

kill -TERM "$app"
wait "$app" || fail "plimsa did not exit cleanly on SIGTERM (status $?)"
cmp -s "$XDG_CONFIG_HOME/plimsa/settings.json" "$work/settings.before" ||
  echo "note: settings.json was rewritten at start (start-up cleanup)"
leftovers=$(cd "$XDG_CONFIG_HOME" && find . -type f ! -path ./plimsa/settings.json)
[[ -z $leftovers ]] || fail "files left behind in the config folder: $leftovers"
grep -Ei "GLX|BadWindow|BadMatch|X Error|AddressSanitizer|runtime error" "$work/plimsa.log" &&
  fail "errors in plimsa's output"
echo "ok: plimsa quit cleanly"
