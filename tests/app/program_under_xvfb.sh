#!/usr/bin/env bash
# Runs the real kolvane program on an X server of its own (Xvfb, 1024 x 768) and checks what a
# user sees: a window whose client area is the desktop less 10 x 65 pixels, with the menu bar
# above it; the Options menu opening on a click; closing in order on a terminate signal.
# With --screenshots DIR it also leaves pictures of the open menu and of the device dialog.
#
#   program_under_xvfb.sh <run directory> [--screenshots DIR]
set -euo pipefail

run_dir=$1
shots=""
if [ "${2:-}" = "--screenshots" ]; then
    shots=$3
fi
for tool in xvfb-run xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<'INNER'
set -u
cd "$1"
shots=$2
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
./kolvane &
pid=$!
window=""
for _ in $(seq 50); do
    window=$(xdotool search --name "2001 Kolvane" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "no window appeared"; kill $pid; exit 1; }
sleep 1
geometry=$(xdotool getwindowgeometry --shell "$window")
eval "$geometry"
echo "window ${WIDTH}x${HEIGHT} at ${X},${Y}"
status=0
if [ "$WIDTH" != 1014 ] || [ "$HEIGHT" != $((703 + 20)) ]; then
    echo "expected a 1014 x 703 client area with a 20-pixel menu bar above it"
    status=1
fi
pixel() { import -window root -crop "1x1+$(($X + $1))+$(($Y + $2))" -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}'; }
# The first frames take a while on a busy machine (or under the sanitizers): wait for the bar.
for _ in $(seq 100); do
    bar=$(pixel 500 10)
    client=$(pixel 500 30)
    [ "$bar" != "$client" ] && break
    sleep 0.2
done
echo "menu bar $bar, client $client"
[ "$bar" != "$client" ] || { echo "no menu bar drawn above the client area"; status=1; }
xdotool mousemove --window "$window" 20 10 click 1
sleep 0.5
xdotool mousemove --window "$window" 60 40
sleep 0.5
item=$(pixel 60 32)
echo "first menu item $item"
[ "$item" != "$client" ] || { echo "the Options menu did not open"; status=1; }
if [ -n "$shots" ]; then
    import -window root "$shots/menu_open.png"
fi
xdotool click 1
sleep 1
if [ -n "$shots" ]; then
    import -window root "$shots/select_device_dialog.png"
fi
xdotool key Escape
sleep 0.5
kill -TERM $pid
wait $pid
code=$?
echo "exit code $code"
[ $code -eq 0 ] || status=1
exit $status
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash "$inner" "$run_dir" "$shots"
