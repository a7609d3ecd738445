#!/usr/bin/env bash
# The real program on the displays a player may have:
#  - none at all (no X server at DISPLAY, no Wayland compositor): it says so on standard error
#    and exits with a failure status at once, instead of running on unseen;
#  - an X server without OpenGL (Xvfb without its GLX extension): it warns that it runs on the
#    reference device, the player dismisses the box with Enter, and the main menu is drawn on
#    the processor, in the window first shown, with no fatal box after it.
# With --screenshots DIR it leaves the picture of that main menu there.
#
#   any_display.sh <run directory> <screen_probe> [--screenshots DIR]
set -uo pipefail

run_dir=$1
probe=$2
keep=""
[ "${3:-}" = "--screenshots" ] && keep=$4
for tool in xvfb-run xdotool xwininfo import openbox; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# ---- No display.

runtime=$(mktemp -d)
errors=$(mktemp)
shots=$(mktemp -d)
inner=$(mktemp)
trap 'rm -rf "$runtime" "$errors" "$shots" "$inner"' EXIT
(cd "$run_dir" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$runtime" \
    SDL_AUDIODRIVER=dummy timeout 20 ./kolvane 2>"$errors")
code=$?
echo "  no display: exit status $code, said: $(cat "$errors")"
if [ $code -ne 0 ] && [ $code -ne 124 ] && grep -q "no display" "$errors"; then
    pass "with no display it says so on standard error and exits with a failure status"
else
    fail "with no display it says so on standard error and exits with a failure status"
fi

# ---- An X server without GLX.

cat >"$inner" <<'INNER'
set -u
cd "$1"
probe=$2 shots=$3
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./kolvane &
pid=$!
status=0
. "$4"  # place_window, finish
# The ids of the windows titled "2001 Kolvane", each with its size: the program's window and
# message boxes alike (SDL's message box is found by walking the window tree).
titled_windows() {
    xwininfo -root -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "2001 Kolvane": ([^)]*) *\([0-9]*x[0-9]*\)+.*/\1 \2/p'
}
box=""
for _ in $(seq 100); do
    box=$(titled_windows | head -1)
    [ -n "$box" ] && break
    sleep 0.2
done
[ -n "$box" ] || { echo "FAIL a warning box appears"; finish 1; }
read -r box box_size <<<"$box"
echo "ok   a warning box appears ($box_size)"
import -window root "$shots/warning.png"
sleep 0.5
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
# Every game window shown from here on, looked for often enough to see one that lives briefly,
# for as long as the game runs.
while kill -0 $pid 2>/dev/null; do
    titled_windows | awk '$2 == "1014x723" { print $1 }' >>"$shots/windows"
    sleep 0.05
done &
watcher=$!
xdotool key Return
window=""
place_window || { echo "FAIL the game's window is shown"; finish 1; }
echo "ok   Enter dismisses the box and the game's window opens at $ox,$oy"
menu=0
for _ in $(seq 60); do
    import -window root -depth 8 "ppm:$shots/menu.ppm"
    # The blue "new game" button, the orange markers beside it, and the menu bar above the
    # frame (the gold rule along its bottom, a line of a colour that no frame has there).
    read -r button _ <<<"$("$probe" find "$shots/menu.ppm" $((ox + 320)) $((oy + 320)) 380 60 blue)"
    read -r marker _ <<<"$("$probe" find "$shots/menu.ppm" $((ox + 190)) $((oy + 190)) 120 460 solid-orange)"
    bar=$("$probe" mean "$shots/menu.ppm" $((ox + 300)) $((oy - 1)) 600 1)
    gold_bar=$(awk '{ print ($1 >= 190 && $2 >= 140 && $2 <= 190 && $3 <= 90) ? 1 : 0 }' <<<"$bar")
    if [ "$button" -gt 5000 ] && [ "$marker" -ge 100 ] && [ "$gold_bar" = 1 ]; then
        menu=1
        break
    fi
    sleep 0.5
done
import -window root "$shots/menu.png"
if [ $menu = 1 ]; then
    echo "ok   the main menu is drawn on the reference device"
else
    echo "FAIL the main menu is drawn on the reference device (button $button, markers $marker, bar $bar)"
    status=1
fi
# SDL must not remake the window on the way (trying OpenGL for the window's surface, say):
# the player would see it vanish and come back elsewhere.
kill $watcher 2>/dev/null
wait $watcher 2>/dev/null
made=$(sort -u "$shots/windows" | tr '\n' ' ')
if [ "$(sort -u "$shots/windows" | wc -l)" = 1 ]; then
    echo "ok   the game's window is made once"
else
    echo "FAIL the game's window is made once (windows: $made)"
    status=1
fi
sleep 1
others=$(titled_windows | awk '$2 != "1014x723"' | wc -l)
if [ "$others" = 0 ] && kill -0 $pid 2>/dev/null; then
    echo "ok   no fatal box follows and the game runs on"
else
    echo "FAIL no fatal box follows and the game runs on (other windows: $(titled_windows | tr '\n' ' '))"
    status=1
fi
finish $status
INNER
xvfb-run -a -s "-screen 0 1024x768x24 -extension GLX" bash "$inner" "$run_dir" "$probe" "$shots" \
    "$(cd "$(dirname "$0")/../support" && pwd)/game_window.sh"
[ $? = 0 ] || failures=$((failures + 1))
[ -n "$keep" ] && cp "$shots"/*.png "$keep"/ 2>/dev/null
[ $failures = 0 ]
