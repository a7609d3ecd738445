#!/usr/bin/env bash
# Plays Kolvane from the outside, as a player does: the real program on an X server of its own
# (Xvfb, 1024 x 768) under a real window manager (Openbox), keys typed and the menu bar clicked
# with xdotool, what the window shows read from screenshots, what it plays read from the disk
# audio driver's output, and the data files read after each step that should (or should not)
# write them. The program runs from a copy of the run directory, so the developer's scores.dat
# and options.dat are never touched.
#
#   play_through.sh <run directory> <screen_probe program> [--keep DIR]
#
# --keep DIR leaves the screenshots (PPM) there. Exit status 0 when every check passed, 1 when
# one failed, 77 when a tool it needs is missing.
set -uo pipefail

if [ "${KOLVANE_E2E_INNER:-}" != 1 ]; then
    for tool in xvfb-run Xvfb xdotool import openbox xmessage xprop xwininfo; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
    done
    export KOLVANE_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" "$@"
fi

run_dir=$(cd "$1" && pwd)
probe=$2
keep=""
[ "${3:-}" = "--keep" ] && keep=$4

work=$(mktemp -d)
shots=${keep:-$work/shots}
mkdir -p "$shots"
game_pid=""
wm_pid=""
other_pid=""
end_process() {  # end_process PID: asks it to end, then makes it
    if [ -n "$1" ] && kill -0 "$1" 2>/dev/null; then
        kill -TERM "$1" 2>/dev/null
        sleep 1
        kill -KILL "$1" 2>/dev/null
    fi
}
cleanup() {
    end_process "$game_pid"
    end_process "$other_pid"
    end_process "$wm_pid"
    rm -rf "$work"
}
trap cleanup EXIT

# ---- Reporting.

failures=0
started=$SECONDS
pass() { echo "ok   $(($SECONDS - started))s  $*"; }
fail() {
    echo "FAIL $(($SECONDS - started))s  $*"
    failures=$((failures + 1))
}
check() {  # check "what" command...: passes when the command succeeds
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
give_up() {
    fail "$*"
    echo "stopping: the rest depends on this"
    exit 1
}

# ---- The desktop: a window manager, as a player's desktop has.

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 150); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" ||
    give_up "the window manager (Openbox) runs"

# ---- The game and its window.

mkdir -p "$work/game"
for item in kolvane Graphics Sound gameinfo.txt help.htm; do
    cp -r "$run_dir/$item" "$work/game/" || give_up "the run directory lacks $item"
done
cd "$work/game"

# A short menu tune in place of the long one: one note of a quarter of a second, then silence
# up to the end of the track at two seconds (120 beats a minute, 480 ticks a beat). Each time it
# ends, the game chooses the menu tune again.
tune_seconds=2
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x11' >Sound/music_m.mid
printf '\x00\xc0\x00\x00\x90\x48\x64\x81\x70\x80\x48\x00\x8d\x10\xff\x2f\x00' >>Sound/music_m.mid
audio="$work/audio.raw"
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$audio
./kolvane >"$work/game.log" 2>&1 &
game_pid=$!

window=""
for _ in $(seq 150); do
    window=$(xdotool search --name "2001 Kolvane" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || give_up "a window called \"2001 Kolvane\" appears"

# Window geometry: X, Y (on the screen), WIDTH, HEIGHT of the game's window, menu bar included
# and the window manager's frame left out. (xdotool counts a reparenting window manager's frame
# offset twice; xwininfo reads the position as the X server has it.)
geometry() {
    local info
    info=$(xwininfo -id "$window")
    X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
    HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
    VIEWABLE=$(grep -c 'Map State: IsViewable' <<<"$info" || true)
}
# The window manager frames and places the window once it is mapped: wait until it is shown and
# stays put. (Before that, on a busy machine, it can stand still at a place it will leave.)
placed=""
for _ in $(seq 50); do
    geometry
    if [ "$VIEWABLE" = 1 ]; then
        [ "$placed" = "$X $Y $WIDTH $HEIGHT" ] && break
        placed="$X $Y $WIDTH $HEIGHT"
    fi
    sleep 0.3
done
[ "$WIDTH" = 1014 ] && [ "$HEIGHT" = 723 ] ||
    give_up "the window is 1014 x 703 with the 20-pixel menu bar above (got ${WIDTH}x${HEIGHT})"
pass "the window opens at 1014 x 703 with a menu bar"
# Client-area origin on the screen; every rectangle below is in client coordinates.
ox=$X
oy=$((Y + 20))

shot_number=0
last=""
shot() {  # shot NAME: a screenshot of the whole screen; $last is its file
    shot_number=$((shot_number + 1))
    last=$(printf '%s/%03d_%s.ppm' "$shots" "$shot_number" "$1")
    import -window root -depth 8 "ppm:$last"
}
# find FILE KIND X Y W H: sets COUNT, CXR, CYR (centre) and L T R B (bounds), client coordinates.
find_kind() {
    local out
    out=$("$probe" find "$1" $(($3 + ox)) $(($4 + oy)) "$5" "$6" "$2")
    read -r COUNT CXR CYR L T R B <<<"$out"
    if [ "$COUNT" -gt 0 ]; then
        CXR=$((CXR - ox)); CYR=$((CYR - oy)); L=$((L - ox)); R=$((R - ox)); T=$((T - oy)); B=$((B - oy))
    fi
}
# difference A B X Y W H: mean channel difference, as an integer (0..255).
difference() {
    local value
    value=$("$probe" diff "$1" "$2" $(($3 + ox)) $(($4 + oy)) "$5" "$6")
    echo "${value%.*}"
}
key() { xdotool key --delay 40 "$@"; }
focus_game() {
    xdotool mousemove $((ox + 500)) $((oy + 600))
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window" 2>/dev/null ||
        true
}
file_is() { [ -f "$1" ] && [ "$(cat "$1")" = "$2" ]; }
wait_for_file() {  # wait_for_file FILE CONTENTS
    for _ in $(seq 25); do
        file_is "$1" "$2" && return 0
        sleep 0.2
    done
    return 1
}

# ---- Where things are on the 1014 x 703 client area.

# The spinning markers beside the highlighted menu item: a strip left of the buttons.
marker_strip=(190 190 120 460)
first_item_y=292
item_step=85
# The inside of the well; its upper part, where a new piece falls; its bottom row.
well=(310 46 395 610)
well_top=(310 46 395 430)
well_top_clear=(310 46 395 245)
well_bottom=(310 610 395 46)
# The well above and below the pause and game-over lettering.
well_above_lettering=(310 46 395 225)
well_below_lettering=(310 425 395 231)
# The two ends of the middle of the well, where the pause and game-over lettering stands; a
# falling piece never reaches both at once.
lettering_left=(310 271 99 154)
lettering_right=(606 271 99 154)
# Title plate of the menus and lists; the rule-set label of the high-score screen; the
# high-score table; the top of the information text.
title_plate=(215 25 590 90)
# Where the Options menu drops down below the bar; the middle of the client area, where the
# device dialog stands.
options_menu=(0 0 200 80)
dialog_middle=(357 291 300 120)
table_label=(305 136 405 67)
score_table=(175 238 660 410)
info_top=(175 143 660 60)

# bar_shown FILE: the menu bar's gold rule runs along the bottom of the bar, above the client
# area; nothing of the game's frames is a line of that colour.
bar_shown() {
    local r g b
    read -r r g b <<<"$("$probe" mean "$1" $((ox + 300)) $((oy - 1)) 600 1)"
    r=${r%.*}; g=${g%.*}; b=${b%.*}
    [ "$r" -ge 190 ] && [ "$g" -ge 140 ] && [ "$g" -le 190 ] && [ "$b" -le 90 ]
}

# lettering_shown FILE: the dark rim of the pause or game-over lettering shows at both ends of
# the middle of the well; nothing else in the well is that dark. lettering_gone FILE: it does
# not.
lettering_shown() {
    find_kind "$1" black "${lettering_left[@]}"
    local left=$COUNT
    find_kind "$1" black "${lettering_right[@]}"
    [ "$left" -ge 60 ] && [ "$COUNT" -ge 60 ]
}
lettering_gone() { ! lettering_shown "$1"; }
bar_gone() { ! bar_shown "$1"; }

# highlighted_item FILE: the index of the menu item the markers stand beside, or -1. A marker
# is a solid orange cube; the cave background's orange cracks and sparks are thin.
highlighted_item() {
    find_kind "$1" solid-orange "${marker_strip[@]}"
    if [ "$COUNT" -lt 100 ]; then
        echo -1
        return
    fi
    echo $(((CYR - first_item_y + item_step / 2) / item_step))
}
# wait_for_item N NAME: screenshots until the markers stand beside item N.
wait_for_item() {
    for _ in $(seq 30); do
        shot "$2"
        [ "$(highlighted_item "$last")" = "$1" ] && return 0
        sleep 0.3
    done
    return 1
}

# ---- The main menu.

focus_game
wait_for_item 0 main_menu || give_up "the main menu appears with \"new game\" highlighted"
pass "the main menu appears with \"new game\" highlighted"
main_menu_shot=$last
check "starting writes no data file (scores.dat, options.dat created empty)" \
    bash -c '[ -f scores.dat ] && [ ! -s scores.dat ] && [ -f options.dat ] && [ ! -s options.dat ]'

check "the menu bar is drawn above the client area" bar_shown "$main_menu_shot"

# ---- The menu tune plays on: after its end the game starts it again.

# tune_restarts: true when two stretches of music in the output begin one tune's length apart.
tune_restarts() {
    local previous="" start end
    while read -r start end; do
        if [ -n "$previous" ] && [ $((start - previous)) -ge $((tune_seconds * 1000 - 300)) ] &&
            [ $((start - previous)) -le $((tune_seconds * 1000 + 300)) ]; then
            return 0
        fi
        previous=$start
    done < <("$probe" sound "$audio")
    return 1
}
restarted=0
for _ in $(seq 30); do
    tune_restarts && { restarted=1; break; }
    sleep 0.5
done
check "the menu tune plays to its end and the game starts it again ($("$probe" sound "$audio" |
    head -3 | tr '\n' ' '))" test $restarted = 1

# ---- The menu bar: the options are toggled with the mouse and written at once.

click_menu_item() {  # click_menu_item Y: opens Options and clicks the item at Y below the bar
    xdotool mousemove $((ox + 20)) $((oy - 10)) click 1
    sleep 0.8
    xdotool mousemove $((ox + 60)) $((oy + $1)) click 1
    sleep 0.5
    focus_game
}
click_menu_item 36
check "Options > Dynamic/static background writes options.dat \"0 1\"" wait_for_file options.dat "0 1"
click_menu_item 59
check "Options > Music on/off writes options.dat \"0 0\"" wait_for_file options.dat "0 0"
sleep 0.5
shot still_background
still_shot=$last
sleep 1
shot still_background_later
# With the still background, only the figure of the main menu moves, falling down the left or
# the right side: at least two of the left side, the right side and the bottom between them
# stay. (The bottom leaves the sides out: a figure at a bottom corner would change two parts.)
still_parts=0
for part in "10 100 150 500" "850 100 160 500" "170 620 670 80"; do
    [ "$(difference "$still_shot" "$last" $part)" -le 2 ] && still_parts=$((still_parts + 1))
done
check "the still background stands still" test $still_parts -ge 2

# ---- The main menu's highlight.

key Down
check "Down moves the highlight to \"high scores\"" wait_for_item 1 menu_down
key Down
check "Down again moves it to \"game information\"" wait_for_item 2 menu_down_down
key Up Up
check "Up twice brings it back to \"new game\"" wait_for_item 0 menu_up_up
key Up
check "Up on the first item wraps to \"exit\"" wait_for_item 3 menu_wrap
key Down

# ---- The rule-set menu and a Crazy game.

wait_for_item 0 menu_back >/dev/null
key Return
rule_set_menu=0
for _ in $(seq 20); do
    shot rule_set_menu
    find_kind "$last" blue "${title_plate[@]}"
    if [ "$COUNT" -gt 10000 ] && [ "$(highlighted_item "$last")" = 0 ]; then
        rule_set_menu=1
        break
    fi
    sleep 0.3
done
[ $rule_set_menu = 1 ] || give_up "Enter on \"new game\" opens the rule-set menu at Classic"
pass "Enter on \"new game\" opens the rule-set menu at Classic"
key Down Down
check "Down twice highlights Crazy" wait_for_item 2 crazy

key Return
piece_seen=0
for _ in $(seq 40); do
    shot game
    find_kind "$last" bright "${well_top[@]}"
    if [ "$COUNT" -gt 800 ]; then
        piece_seen=1
        break
    fi
    sleep 0.2
done
[ $piece_seen = 1 ] || give_up "Enter on Crazy starts a game: a piece falls in the well"
pass "Enter on Crazy starts a game: a piece falls in the well"

# ---- Dropping, turning and moving pieces.

# The first piece falls into an empty well: Space drops it to the bottom row.
dropped=0
key space
for _ in $(seq 20); do
    sleep 0.2
    shot after_drop
    find_kind "$last" bright "${well_bottom[@]}"
    if [ "$COUNT" -gt 400 ]; then
        dropped=1
        break
    fi
done
check "Space drops the piece to the bottom of the well" test $dropped = 1

# The falling piece's bounds in the upper well, clear of the pause lettering: PW, PH, PL (left
# edge), PT (top); false if no piece is there.
falling_piece() {
    shot "$1"
    find_kind "$last" bright "${well_top_clear[@]}"
    PW=$((R - L))
    PH=$((B - T))
    PL=$L
    PT=$T
    [ "$COUNT" -gt 800 ]
}
# fresh_piece SIDE: plays on (Enter resumes a paused game), moves the current piece to SIDE
# (Left or Right) and drops it, waits for the next piece at the top of the well and pauses,
# so that the slow screenshots see a still game. Sets PW, PH, PL of the new piece.
fresh_piece() {
    key Return
    xdotool keydown "$1"
    sleep 0.6
    xdotool keyup "$1"
    key space
    for _ in $(seq 30); do
        if falling_piece new_piece && [ "$PT" -lt 100 ]; then
            key p
            sleep 0.6
            falling_piece new_piece_paused
            return
        fi
        sleep 0.1
    done
    return 1
}
# A turn, and a move each way, each on a fresh piece: the game plays for a moment and is
# paused again to look.
turned=0
for side in Left Right Left Right; do
    fresh_piece $side || continue
    # A piece still partly above the looked-at part of the well measures short: let it fall
    # fully into view first.
    for _ in 1 2 3; do
        [ "$PT" -gt $((well_top_clear[1] + 2)) ] && break
        key Return
        sleep 0.3
        key p
        sleep 0.6
        falling_piece new_piece_paused
    done
    if [ $((PW - PH)) -lt 12 ] && [ $((PH - PW)) -lt 12 ]; then
        continue  # a square piece looks the same turned
    fi
    width_before=$PW
    height_before=$PH
    key Return Up
    sleep 0.4
    key p
    sleep 0.6
    falling_piece turned || continue
    [ "$PT" -gt $((well_top_clear[1] + 2)) ] || continue  # turned partly out of view
    if [ $((PW - height_before)) -le 12 ] && [ $((height_before - PW)) -le 12 ] &&
        [ $((PH - width_before)) -le 12 ] && [ $((width_before - PH)) -le 12 ]; then
        turned=1
        break
    fi
done
check "Up turns the falling piece (its width and height swap)" test $turned = 1

# moves_piece KEY SIGN SIDE: holding KEY moves a fresh piece a column or more (SIGN -1 left,
# 1 right).
moves_piece() {
    local left_before
    fresh_piece "$3" || return 1
    left_before=$PL
    key Return
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
    key p
    sleep 0.6
    falling_piece "moved_$1" && [ $((($PL - left_before) * $2)) -ge 25 ]
}
check "holding Left moves the falling piece to the left" moves_piece Left -1 Right
check "holding Right moves it to the right" moves_piece Right 1 Left
key Return

# ---- Pause and resume.

# lettering_comes BEFORE AFTER: the lettering is missing from BEFORE and shown in AFTER.
lettering_comes() { lettering_gone "$1" && lettering_shown "$2"; }
# check_paused WHAT PLAYING PAUSED LATER: the pause lettering, missing from the PLAYING shot,
# stands over the middle of the well in the PAUSED one, and the well stands still from PAUSED
# to LATER.
check_paused() {
    check "$1: the pause lettering stands over the middle of the well" \
        lettering_comes "$2" "$3"
    check "$1: the well stands still" test \
        "$(($(difference "$3" "$4" "${well_above_lettering[@]}") + \
            $(difference "$3" "$4" "${well_below_lettering[@]}")))" -le 1
}
# resume_from PAUSED: Enter until the pause lettering of the PAUSED shot is gone; the window
# manager may still be handing the focus back when the first Enter comes.
resume_from() {
    for _ in 1 2 3 4 5; do
        key Return
        sleep 0.6
        shot resumed
        lettering_gone "$last" && return 0
        focus_game
    done
    return 1
}

for _ in $(seq 30); do
    falling_piece before_pause && break
    sleep 0.2
done
playing_shot=$last
key p
sleep 1
shot paused
paused_shot=$last
sleep 1.2
shot still_paused
check_paused "P pauses" "$playing_shot" "$paused_shot" "$last"
key Return
sleep 1.5
shot resumed
resumed_shot=$last
check "Enter resumes: the lettering is gone" lettering_gone "$resumed_shot"
sleep 1
shot resumed_later
check "Enter resumes: the game moves on" \
    test "$(difference "$resumed_shot" "$last" "${well[@]}")" -ge 1

# ---- Alt+Tab to another window and back: the game waits paused, with no menu open.

xmessage -geometry 300x80+700+650 "another window" >/dev/null 2>&1 &
other_pid=$!
other=""
for _ in $(seq 50); do
    other=$(xdotool search --onlyvisible --class Xmessage 2>/dev/null | tail -1 || true)
    [ -n "$other" ] && break
    sleep 0.1
done
[ -n "$other" ] || give_up "a second window (xmessage) opens beside the game"
sleep 1
check "the new window takes the focus" bash -c "
    [ \"\$(xdotool getactivewindow)\" != $window ]"
shot left_for_the_other_window  # paused by the focus loss
left_shot=$last
focus_game
sleep 0.5
check "back in the game, Enter resumes it" resume_from "$left_shot"
sleep 0.5
shot before_alt_tab
before_alt_tab=$last
key alt+Tab
sleep 1
check "Alt+Tab goes to the other window" test "$(xdotool getactivewindow)" != "$window"
key alt+Tab
sleep 1
check "Alt+Tab again comes back to the game" test "$(xdotool getactivewindow)" = "$window"
shot back_from_alt_tab
back_shot=$last
sleep 1.2
shot back_from_alt_tab_later
check_paused "the game is paused when the player comes back" "$before_alt_tab" "$back_shot" \
    "$last"
check "no menu opened on the way (the Options menu's place is unchanged)" \
    test "$(difference "$before_alt_tab" "$back_shot" "${options_menu[@]}")" -le 2
end_process "$other_pid"
other_pid=""
sleep 0.5
focus_game
resume_from "$back_shot"

# ---- Played to the end: drop piece after piece until no new piece fits.

game_over=0
for _ in $(seq 60); do
    key space
    # The next key would leave the game-over display: look before pressing again.
    for _ in 1 2 3 4; do
        sleep 0.25
        shot dropping
        if lettering_shown "$last"; then
            game_over=1
            break 2
        fi
    done
done
[ $game_over = 1 ] || give_up "dropping piece after piece ends the game: \"game over\" is shown"
pass "dropping piece after piece ends the game: \"game over\" is shown"
sleep 1
check "the game is over: nothing is written yet" test ! -s scores.dat

# ---- The name of a good game.

key Return  # any key leaves the game-over display; the score enters the empty table
naming=0
for _ in $(seq 20); do
    sleep 0.3
    shot name_entry
    find_kind "$last" light "${score_table[@]}"
    light=$COUNT
    find_kind "$last" red "${score_table[@]}"
    if [ "$light" -gt 50000 ] && [ "$COUNT" -gt 50 ]; then
        naming=1
        break
    fi
done
check "any key after the game opens the high-score table with a row to name" test $naming = 1
xdotool type --delay 120 "KOLVANE PLAYER9"
key BackSpace
sleep 0.5
check "typing the name writes nothing yet" test ! -s scores.dat
key Return
sleep 1
name_line=$(sed -n 41p scores.dat 2>/dev/null | tr -d '\r')
score_line=$(sed -n 42p scores.dat 2>/dev/null | tr -d '\r')
check "Enter stores the name in scores.dat (Crazy's first row: \"$name_line\", $score_line)" \
    test "$name_line" = "KOLVANE PLAYER" -a "${score_line:-0}" -gt 0
check "scores.dat holds 80 lines" test "$(wc -l <scores.dat)" = 80
shot named
named_shot=$last
find_kind "$named_shot" red "${score_table[@]}"
check "the named row is no longer being typed" test "$COUNT" -lt 20

# ---- The high-score tables.

key Down
sleep 1
shot classic_table
check "Down shows another rule set's table" \
    test "$(difference "$named_shot" "$last" "${table_label[@]}")" -ge 5
check "that table is empty of names" \
    test "$(difference "$named_shot" "$last" "${score_table[@]}")" -ge 1
key Up
sleep 1
shot crazy_table_again
check "Up brings back the Crazy table" \
    test "$(difference "$named_shot" "$last" "${table_label[@]}")" -le 1

# ---- The information screen.

key Escape
check "Escape returns to the main menu" wait_for_item 0 back_to_menu
key Down Down
wait_for_item 2 on_information >/dev/null
key Return
information=0
for _ in $(seq 15); do
    sleep 0.3
    shot information
    find_kind "$last" light "${info_top[@]}"
    if [ "$COUNT" -gt 12000 ]; then
        information=1
        break
    fi
done
check "Enter on \"game information\" shows the information text" test $information = 1

# ---- The window resized while the device dialog is open: the frame follows the new size.

information_shot=$last
key F2
sleep 1.5
shot dialog_over_information
check "F2 shows the device dialog over the information" \
    test "$(difference "$information_shot" "$last" "${dialog_middle[@]}")" -ge 15
xdotool windowsize "$window" 760 580
sleep 1.5
key Escape
sleep 1.5
shot resized_under_dialog
resized_shot=$last
# The same size reached by an ordinary resize, to compare with: a frame drawn for the new size
# looks the same, one still drawn for the old size and stretched does not (the text).
xdotool windowsize "$window" 780 600
sleep 1
xdotool windowsize "$window" 760 580
sleep 1.5
shot resized_plainly
# (A stretched frame differs by about 2 on average, all over; a frame of the right size by 0.)
check "Escape closes the dialog, and the frame is drawn at the size the window got meanwhile" \
    awk -v d="$("$probe" diff "$resized_shot" "$last" "$ox" "$oy" 760 560)" 'BEGIN { exit !(d < 0.5) }'
xdotool windowsize "$window" 1014 723
sleep 1.5
geometry
ox=$X
oy=$((Y + 20))
key Escape
check "Escape leaves it for the main menu" wait_for_item 2 menu_after_information

# ---- The background option back on: the file follows every change.

click_menu_item 36
check "Options > Dynamic/static background again writes options.dat \"1 0\"" \
    wait_for_file options.dat "1 0"

# ---- Full screen and back.

geometry
windowed_geometry="${WIDTH}x${HEIGHT}+${X}+${Y}"
key alt+Return
sleep 2
shot full_screen
check "Alt+Enter goes full-screen: no menu bar" bar_gone "$last"
key alt+Return
sleep 2
geometry
shot windowed_again
check "Alt+Enter again returns to the window ($windowed_geometry) with its menu bar" \
    test "${WIDTH}x${HEIGHT}+${X}+${Y}" = "$windowed_geometry" -a "$(bar_shown "$last" && echo 1)" = 1
check "the window shows the main menu again" wait_for_item 2 menu_after_full_screen

# ---- F2 in full screen: the game returns to a window and shows the device dialog there.

key alt+Return
sleep 2
key F2
sleep 2
geometry
ox=$X
oy=$((Y + 20))
shot dialog_from_full_screen
find_kind "$last" panel "${dialog_middle[@]}"
check "F2 from full screen shows the dialog in the window ($COUNT pixels of its face in the middle)" \
    test "$COUNT" -gt 15000
key Escape
sleep 1
shot dialog_closed
find_kind "$last" panel "${dialog_middle[@]}"
check "Escape closes it, and the window shows the main menu ($COUNT pixels of the dialog's face)" \
    test "$COUNT" -lt 5000 -a "$(highlighted_item "$last")" = 2

# ---- Closing: Escape moves to "exit", Enter closes the window and ends the program.

options_before=$(cat options.dat)
scores_before=$(md5sum <scores.dat)
key Escape
check "Escape on the main menu highlights \"exit\"" wait_for_item 3 exit_highlighted
key Return
ended=0
for _ in $(seq 50); do
    kill -0 "$game_pid" 2>/dev/null || { ended=1; break; }
    sleep 0.2
done
check "Enter on \"exit\" closes the window and ends the program" test $ended = 1
if [ $ended = 1 ]; then
    wait "$game_pid"
    code=$?
    game_pid=""
    check "the program ends with exit code 0" test $code = 0
fi
check "the window is gone" test -z "$(xdotool search --name '2001 Kolvane' 2>/dev/null)"
check "closing writes no file" test "$(cat options.dat)" = "$options_before" -a \
    "$(md5sum <scores.dat)" = "$scores_before"

echo "$failures failed check(s) in $(($SECONDS - started)) s"
if [ $failures -gt 0 ]; then
    echo "---- program output"
    cat "$work/game.log"
    exit 1
fi
exit 0
