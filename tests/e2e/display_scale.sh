#!/usr/bin/env bash
# The real program on desktops set up for larger sizes, under Xvfb with openbox: with nothing
# asked for (on a screen of 192 dots per inch), with GDK_SCALE=2, and with Xft.dpi at 144 in
# the X server's resources. Each time the window's first size, the menu bar's height and the
# main menu's buttons in the 3D frame are measured on a screenshot: the window and the bar
# follow the desktop's scale, and the frame fills the larger window at full resolution (the
# buttons lie and spread in proportion).
#
#   display_scale.sh <run directory> <screen_probe> [--screenshots DIR]
set -uo pipefail

run_dir=$1
probe=$2
keep=""
[ "${3:-}" = "--screenshots" ] && keep=$4
for tool in xvfb-run xdotool xwininfo xprop import convert openbox; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
shots=$(mktemp -d)
inner=$(mktemp)
trap 'rm -rf "$shots" "$inner"' EXIT

# Prints "WIDTH HEIGHT BAR NEW_GAME EXIT" for the game's window on this X server: its size, the
# menu bar's height (down to the last row of the gold rule under it), and the share (percent)
# of blue in a patch of the main menu's "new game" button and one of its "exit" button, where
# those patches lie in a frame SCALE times as large as designed.
cat >"$inner" <<'INNER'
set -u
cd "$1"
probe=$2 shot=$3 setting=$4 scale=$5
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
case $setting in
    xft:*) xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	${setting#xft:}" ;;
    gdk:*) export GDK_SCALE=${setting#gdk:} ;;
esac
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./kolvane &
pid=$!
. "$6"  # finish
# The game's window once shown and placed: the same position twice running.
placed="" window=""
for _ in $(seq 100); do
    for candidate in $(xdotool search --name "2001 Kolvane" 2>/dev/null); do
        info=$(xwininfo -id "$candidate" 2>/dev/null)
        grep -q "IsViewable" <<<"$info" || continue
        wx=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
        wy=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
        ww=$(sed -n 's/^ *Width: *//p' <<<"$info")
        wh=$(sed -n 's/^ *Height: *//p' <<<"$info")
        [ "$placed" = "$candidate $wx $wy $ww $wh" ] && window=$candidate && break 2
        placed="$candidate $wx $wy $ww $wh"
    done
    sleep 0.3
done
[ -n "$window" ] || { echo "no window"; finish 1; }
# A patch of the frame in designed pixels (left, top, width, height from the frame's origin),
# as the arguments of screen_probe on this screenshot at the scale asked for.
patch() {
    awk -v s="$scale" -v x="$wx" -v y=$((wy + bar)) -v l="$1" -v t="$2" -v w="$3" -v h="$4" \
        'BEGIN { printf "%d %d %d %d", x + l * s, y + t * s, w * s, h * s }'
}
blue_share() {  # PATCH...
    local count
    read -r count _ <<<"$("$probe" find "$shot" $(patch "$@") blue)"
    awk -v c="$count" -v s="$scale" -v a=$(($3 * $4)) 'BEGIN { printf "%d", 100 * c / (a * s * s) }'
}
for _ in $(seq 60); do
    import -window root -depth 8 "ppm:$shot"
    # The gold rule: the first run of gold rows from the window's top, in a column near its
    # right edge where no menu title lies.
    bar=$(convert "$shot" -crop "1x200+$((wx + ww - 20))+$wy" -depth 8 txt:- | awk -F'[,:() ]+' '
        NR > 1 { y = $2; r = $3; g = $4; b = $5
                 gold = (r > 150 && g > 100 && b < 110 && r - b > 80)
                 if (gold && first < 0) first = y
                 if (!gold && first >= 0 && last < 0) last = y }
        BEGIN { first = -1; last = -1 }
        END { print (first >= 0 && last > first) ? last : 0 }')
    # Left of the lettering on the first and the last button.
    new_game=$(blue_share 320 262 50 40)
    exit_button=$(blue_share 320 512 100 40)
    if [ "$bar" -gt 0 ] && [ "$new_game" -ge 90 ] && [ "$exit_button" -ge 90 ]; then
        echo "$ww $wh $bar $new_game $exit_button"
        finish 0
    fi
    sleep 0.5
done
echo "$ww $wh $bar $new_game $exit_button (no menu)"
finish 1
INNER

measure() {  # NAME SCREEN XVFB_OPTIONS SETTING SCALE
    xvfb-run -a -s "-screen 0 $2x24 $3" bash "$inner" "$run_dir" "$probe" "$shots/$1.ppm" "$4" "$5" \
        "$(cd "$(dirname "$0")/../support" && pwd)/game_window.sh" |
        tail -1
}
failures=0
check() {  # DESCRIPTION CONDITION...
    local what=$1
    shift
    if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
# Whether ACTUAL is within PERCENT of EXPECTED.
near() { awk -v a="$1" -v e="$2" -v p="$3" 'BEGIN { d = a - e; if (d < 0) d = -d; exit !(d <= e * p / 100) }'; }

plain=$(measure plain 1024x768 "-dpi 192" none 1)
double=$(measure double 2048x1536 "" gdk:2 2)
xft=$(measure xft 1536x1152 "" xft:144 1.5)
echo "  plain (-dpi 192): $plain"
echo "  GDK_SCALE=2:      $double"
echo "  Xft.dpi 144:      $xft"
read -r w1 h1 bar1 new1 exit1 <<<"$plain"
read -r w2 h2 bar2 new2 exit2 <<<"$double"
read -r w3 _ bar3 new3 exit3 <<<"$xft"
check "with nothing asked the window and bar keep their designed size" \
    test "${w1:-0}" = 1014 -a "${bar1:-0}" = 20
check "at GDK_SCALE=2 the window's first size and the menu bar are twice as large" \
    test "${w2:-0}" = 2028 -a "${bar2:-0}" = 40 -a "${h2:-0}" = $((2 * ${h1:-0}))
check "at Xft.dpi 144 they are one and a half times as large" \
    test "${w3:-0}" = 1521 -a "${bar3:-0}" = 30
# A frame left at the designed size in a corner of the larger window would miss the buttons'
# patches there, the lower one most of all.
check "the frame fills the larger windows: the buttons lie where they do, scaled" \
    test "${new2:-0}" -ge 90 -a "${exit2:-0}" -ge 90 -a "${new3:-0}" -ge 90 -a "${exit3:-0}" -ge 90
[ -n "$keep" ] && for f in "$shots"/*.ppm; do convert "$f" "$keep/$(basename "$f" .ppm).png"; done
[ $failures = 0 ]
