#!/usr/bin/env bash
# The desktop app's CPU use, as % of one core (all its threads, from /proc/PID/stat), on a virtual desktop
# of its own (Xvfb + openbox + xcompmgr + trayer, Mesa's software renderer) with HOME in a temporary folder and the
# starter characters installed. Each case starts a fresh desktop and app, waits for it to settle, then
# measures. Several builds are measured case by case, one after the other, so that they share the minutes.
#
# Cases: one    one swing at the top of the screen, pumping, 60 fps
#        four   four such swings
#        rest   four half-size swings (REST_SCALE) that do not pump, heads facing forward, measured once
#               they came to rest (see `settle`; at full size a loaded machine cannot keep their frame
#               rate, and their swing time, which comes to rest after about 200 s, then runs slow)
#        panel  the settings panel on a swing with two seats (two live portraits); the swing hangs from
#               the front window, and there is none, so only the panel draws
#
# Usage: desktop-cpu.sh [LABEL=]PLIMSA [[LABEL=]PLIMSA...]   (for example before=/tmp/b/plimsa after=...)
# Environment: CASES ("one four rest panel"), SECONDS_MEASURED (25), SETTLE (8), REST_SETTLE_MAX (900),
#              REST_SCALE (0.5), PANEL_SETTLE (15), SHOTS (a folder for a screenshot of each run, taken after measuring).
set -euo pipefail
(($# >= 1)) || { sed -n '2,20p' "$0"; exit 2; }
for tool in Xvfb openbox xcompmgr trayer xdotool xprop import; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup installs it)"; exit 1; }
done
cases=${CASES:-one four rest panel}
measured=${SECONDS_MEASURED:-25}
shots=${SHOTS:-}
[[ -n $shots ]] && mkdir -p "$shots"
ticks=$(getconf CLK_TCK)
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
unset WAYLAND_DISPLAY

work=$(mktemp -d /tmp/plimsa-cpu-XXXXXX)
pids=()
stop_all() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT
until_true() {
  local tries=$1; shift
  for ((t = 0; t < tries; t++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
# utime + stime of every thread of a process, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

swing() {  # id suffix, anchor fraction, pumping, head mode, characters, attach, scale
  printf '{"id": "5E1F0000-0000-4000-8000-00000000000%s", "characters": %s, "attach": "%s",
   "anchorFraction": %s, "pumping": %s, "headMode": "%s", "swingScale": %s}' "$1" "$5" "$6" "$2" "$3" "$4" "$7"
}
settings_for() {
  local swings=()
  case $1 in
    one) swings=("$(swing 1 0.5 true cursor '["Poppy"]' screen 1)") ;;
    four | rest)
      local pumping=true head=cursor scale=1 i=1 at
      [[ $1 == rest ]] && pumping=false head=forward scale=${REST_SCALE:-0.5}
      for at in 0.14 0.38 0.62 0.86; do
        swings+=("$(swing $i $at $pumping $head '["Poppy"]' screen "$scale")")
        i=$((i + 1))
      done ;;
    panel) swings=("$(swing 1 0.5 true cursor '["Poppy", "Basil"]' window 1)") ;;
  esac
  local IFS=,
  printf '{"frameRate": 60, "lightContrast": 0.4, "swings": [%s], "corners": []}\n' "${swings[*]}"
}

# Starts a desktop and the app with the case's settings; prints the app's process id.
start() {  # plimsa, case, run folder
  local plimsa=$1 name=$2 run=$3
  mkdir -p "$run"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$run/display" 2>"$run/xvfb.log" &
  pids+=($!)
  until_true 100 test -s "$run/display" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(head -n1 "$run/display")
  export HOME=$run/home XDG_CONFIG_HOME=$run/config XDG_DATA_HOME=$run/data XDG_RUNTIME_DIR=$run/xdg
  mkdir -p "$HOME" "$XDG_CONFIG_HOME/plimsa" && mkdir -m 700 "$XDG_RUNTIME_DIR"
  openbox --sm-disable >"$run/openbox.log" 2>&1 &
  pids+=($!)
  until_true 100 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { echo "openbox did not start" >&2; return 1; }
  xcompmgr >"$run/xcompmgr.log" 2>&1 &
  pids+=($!)
  # A tray, or the app opens its panel at launch.
  trayer --edge bottom --align right >"$run/trayer.log" 2>&1 &
  pids+=($!)
  until_true 100 sh -c 'xdotool search --onlyvisible --class trayer >/dev/null' ||
    { echo "trayer did not start" >&2; return 1; }
  "$plimsa" --install-starter >"$run/install.log" 2>&1 || { echo "--install-starter failed" >&2; return 1; }
  settings_for "$name" >"$XDG_CONFIG_HOME/plimsa/settings.json"
  "$plimsa" >"$run/plimsa.log" 2>&1 &
  app=$!
  pids+=($app)
  if [[ $name == panel ]]; then
    sleep 3
    "$plimsa" --panel >>"$run/plimsa.log" 2>&1 || true
  fi
}

# Waits for the case to settle. Resting swings come to rest after about 200 s of swing time, which runs
# slower than the clock while the app cannot keep its frame rate (a swing steps at most 1/30 s a frame):
# the wait ends once the app used under 10 % of a core over 10 s, and lasts at most REST_SETTLE_MAX, or as
# long as the first build of the case needed, so that the builds are measured after the same wait.
settle() {  # case
  case $1 in
    rest)
      local limit=${rest_waited:-${REST_SETTLE_MAX:-900}} waited=30 before after
      sleep 30
      while ((waited < limit)); do
        before=$(cpu_ticks "$app") || break
        sleep 10
        waited=$((waited + 10))
        after=$(cpu_ticks "$app") || break
        ((100 * (after - before) < 10 * 10 * ticks)) && break
      done
      rest_waited=${rest_waited:-$waited}
      echo "rest: build $n measured after ${waited} s" >&2 ;;
    panel) sleep "${PANEL_SETTLE:-15}" ;;
    *) sleep "${SETTLE:-8}" ;;
  esac
}

printf '%-8s' case
n=0
for build in "$@"; do
  n=$((n + 1))
  [[ $build == *=* ]] && printf ' %14s' "${build%%=*}" || printf ' %14s' "build $n"
done
echo "   (% of one core over ${measured} s; GL: llvmpipe)"
for name in $cases; do
  printf '%-8s' "$name"
  n=0
  for build in "$@"; do
    n=$((n + 1))
    plimsa=${build#*=}
    run=$work/$name-$n
    start "$plimsa" "$name" "$run"
    settle "$name"
    if ! kill -0 "$app" 2>/dev/null; then
      printf ' %14s' "exited"
      sed 's/^/  plimsa: /' "$run/plimsa.log" | tail -5 >&2
      stop_all
      continue
    fi
    first=$(cpu_ticks "$app")
    sleep "$measured"
    last=$(cpu_ticks "$app")
    [[ -n $shots ]] && import -window root "$shots/$name-$n.png" 2>/dev/null
    printf ' %13.1f%%' "$(awk -v d=$((last - first)) -v t="$ticks" -v s="$measured" 'BEGIN {print 100 * d / t / s}')"
    stop_all
  done
  echo
done
