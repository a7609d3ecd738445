#!/usr/bin/env bash
# Takes the window figures of a game binary the way program_bench takes Kolvane's, so that two
# games can be measured side by side in one run: process start to the first drawn frame,
# resident memory, frames presented per second and CPU on the first screen and in play. Each
# run starts the binary in a private Xvfb at 1024x768 (with openbox where it is installed),
# waits for its window, takes the first-screen figures, types the start keys, then takes the
# play figures while typing the play keys now and then. Medians of the runs are printed with
# the machine's load. It installs nothing and fetches nothing: it runs the binary it is given.
#
#   bench/compare-peer.sh [--runs N] [--seconds S] [--counter PATH] BINARY "WINDOW TITLE" \
#                         "START KEYS" "PLAY KEYS" [ARGUMENTS...]
#
# Keys are xdotool key names ("Return Up Return"). The binary runs in its own folder. Frames
# are counted by build/bench/window_frame_counter (X damage reports); without it the frame
# figures read "not measured". Runs of two binaries alternate when the script is called in turn
# for each, run by run (--runs 1 in a loop).
#
#   bench/compare-peer.sh build/run/kolvane "2001 Kolvane" "Return Up Return" "Left Up Right Up"
set -euo pipefail

runs=5
seconds=5
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
counter="$here/build/bench/window_frame_counter"
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --counter) counter="$2"; shift 2 ;;
    *) break ;;
  esac
done
if [ $# -lt 4 ]; then
  sed -n '2,20p' "$0" >&2
  exit 2
fi
binary="$(realpath "$1")"
title="$2"
start_keys="$3"
play_keys="$4"
shift 4
arguments=("$@")

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "compare-peer: $tool is missing" >&2; exit 1; }
done
[ -x "$counter" ] || counter=""

work="$(mktemp -d)"
xvfb_pid=""
wm_pid=""
game_pid=""
finish() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  sleep 0.5
fi
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
unset SDL_VIDEODRIVER

ticks="$(getconf CLK_TCK)"
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
resident_mib() { awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# CPU in % of one core and frames per second of the game over the measuring time.
measure() {
  local window="$1" keys="$2" before after fps="" keys_pid=""
  before="$(cpu_ticks "$game_pid")"
  if [ -n "$keys" ]; then
    ( while sleep 0.5; do xdotool key --delay 50 $keys 2>/dev/null || true; done ) &
    keys_pid=$!
  fi
  if [ -n "$counter" ]; then
    fps="$("$counter" count "$window" "$seconds")"
  else
    sleep "$seconds"
  fi
  [ -n "$keys_pid" ] && { kill "$keys_pid"; wait "$keys_pid" 2>/dev/null || true; }
  after="$(cpu_ticks "$game_pid")"
  awk -v b="$before" -v a="$after" -v s="$seconds" -v t="$ticks" -v f="${fps:-nan}" \
    'BEGIN { printf "%s %.1f", f, (a - b) / t / s * 100 }'
}

: >"$work/results"
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
for run in $(seq "$runs"); do
  start_ns="$(date +%s%N)"
  (cd "$(dirname "$binary")" && exec "$binary" "${arguments[@]}") >/dev/null 2>&1 &
  game_pid=$!
  if [ -n "$counter" ]; then
    read -r first_ms window < <("$counter" first "$title" "$start_ns")
  else
    window="$(xdotool search --sync --onlyvisible --name "^${title}\$" | head -1)"
    first_ms="nan"
  fi
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  sleep 2
  menu_rss="$(resident_mib "$game_pid")"
  menu="$(measure "$window" "")"
  xdotool key --delay 150 $start_keys
  sleep 1
  play="$(measure "$window" "$play_keys")"
  play_rss="$(resident_mib "$game_pid")"
  kill "$game_pid" 2>/dev/null || true
  wait "$game_pid" 2>/dev/null || true
  game_pid=""
  echo "$first_ms $menu_rss $play_rss $menu $play" >>"$work/results"
  echo "run $run: first frame $first_ms ms, resident $menu_rss / $play_rss MiB," \
       "menu fps,CPU% $menu, play fps,CPU% $play"
done
echo "machine: load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
column() { awk -v c="$1" '{ print $c }' "$work/results" | median; }
not_measured() { [ "$1" = "nan" ] || [ "$1" = "-nan" ] && echo "not measured" || echo "$1"; }
echo "$(basename "$binary"), medians of $runs runs:"
echo "  process start to first drawn frame: $(not_measured "$(column 1)") ms"
echo "  resident memory, first screen / play: $(column 2) / $(column 3) MiB"
echo "  frames presented per second, first screen / play: $(not_measured "$(column 4)") / $(not_measured "$(column 6)")"
echo "  CPU, % of one core, first screen / play: $(column 5) / $(column 7)"
