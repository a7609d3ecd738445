# Sourced by the tests that look at the game's window on an X server with a window manager.
#
# Sets window to the game's window once it is shown and the window manager has placed it
# (a window SDL makes and drops again on the way does not count), and ox, oy to its client
# area's origin on the screen, below the 20-pixel menu bar.
place_window() {
    local info placed="" candidate
    for _ in $(seq 100); do
        for candidate in $(xdotool search --name "2001 Kolvane" 2>/dev/null); do
            info=$(xwininfo -id "$candidate" 2>/dev/null)
            if grep -q "IsViewable" <<<"$info" && grep -q '^ *Width: 1014$' <<<"$info"; then
                window=$candidate
                ox=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
                oy=$(($(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info") + 20))
                [ "$placed" = "$window $ox $oy" ] && return 0
                placed="$window $ox $oy"
            fi
        done
        sleep 0.3
    done
    return 1
}

# Ends the game ($pid) and the window manager ($wm), then exits with the status given. A modal
# box keeps the program from ending on a terminate signal: it is killed after a while.
finish() {
    kill -TERM $pid 2>/dev/null
    for _ in $(seq 20); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
    kill -KILL $pid 2>/dev/null
    wait $pid 2>/dev/null
    kill $wm 2>/dev/null
    wait $wm 2>/dev/null
    exit "$1"
}
