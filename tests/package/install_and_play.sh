#!/usr/bin/env bash
# The Debian package as a player gets it: scripts/package builds it (from the build the tests
# run in), lintian finds no error in
# it, its desktop entry and metainfo validate, it carries the program, every media file, the
# icons and the manual page. Unpacked into a scratch root, its program starts under Xvfb (with
# Openbox) from an unrelated working directory with a fresh HOME, is played to a stored high
# score with xdotool, and keeps scores.dat and options.dat under that HOME's
# .local/share/kolvane/, nowhere else.
#
#   install_and_play.sh <source directory> <build directory> <work directory> <screen_probe>
set -uo pipefail

source_dir=$1
build=$2
work=$3
probe=$4
for tool in xvfb-run xdotool xwininfo import openbox lintian desktop-file-validate appstreamcli \
    dpkg-deb cpack; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
check() {  # check "what" command...
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

mkdir -p "$work"
deb=$("$source_dir/scripts/package" "$build" | tail -1)
[ -f "$deb" ] || { echo "FAIL scripts/package made no package"; exit 1; }
pass "scripts/package made $(basename "$deb")"
case "$(basename "$deb")" in
    kolvane_*_"$(dpkg --print-architecture)".deb) pass "the package is named kolvane_<version>_<arch>.deb" ;;
    *) fail "the package is named kolvane_<version>_<arch>.deb" ;;
esac

lintian_report=$(lintian --tag-display-limit 0 "$deb" 2>&1)
echo "$lintian_report" | sed 's/^/  lintian: /'
check "lintian reports no errors" bash -c '! grep -q "^E:" <<<"$1"' _ "$lintian_report"

depends=$(dpkg-deb -f "$deb" Depends)
echo "  Depends: $depends"
check "Depends holds the shared libraries the program links" \
    bash -c 'grep -q "libsdl2-2.0-0" <<<"$1" && grep -q "libsdl2-mixer" <<<"$1" && grep -q "libassimp" <<<"$1"' \
    _ "$depends"
check "Depends holds the SoundFont and the fonts read at run time" \
    bash -c 'grep -q "timgm6mb-soundfont" <<<"$1" && grep -q "fonts-urw-base35" <<<"$1"' _ "$depends"

root=$work/root
rm -rf "$root"
dpkg -x "$deb" "$root"
media=$root/usr/share/games/kolvane
check "the program is /usr/games/kolvane" test -x "$root/usr/games/kolvane"
missing=$(cd "$build/run" && find Graphics Sound gameinfo.txt help.htm -type f |
    while read -r file; do cmp -s "$file" "$media/$file" || echo "$file"; done)
check "every media file lies in /usr/share/games/kolvane ${missing:+(missing: $missing)}" test -z "$missing"
desktop=$root/usr/share/applications/org.kolvane.Kolvane.desktop
metainfo=$root/usr/share/metainfo/org.kolvane.Kolvane.metainfo.xml
check "desktop-file-validate passes on the desktop entry" desktop-file-validate "$desktop"
check "the desktop entry files the game under Game;BlocksGame" grep -qx 'Categories=Game;BlocksGame;' "$desktop"
check "appstreamcli validate passes on the metainfo" appstreamcli validate --no-net "$metainfo"
icons=""
for size in 16 22 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/org.kolvane.Kolvane.png
    [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${size}x${size}" ] || icons="$icons $size"
done
check "icons of 16 to 256 pixels${icons:+ (wrong:$icons)}" test -z "$icons"
check "a scalable icon" test -s "$root/usr/share/icons/hicolor/scalable/apps/org.kolvane.Kolvane.svg"
check "the manual page kolvane.6" test -s "$root/usr/share/man/man6/kolvane.6.gz"

# ---- Played from the unpacked package.

home=$(mktemp -d)
elsewhere=$(mktemp -d)
shots=$(mktemp -d)
inner=$(mktemp)
trap 'rm -rf "$home" "$elsewhere" "$shots" "$inner"' EXIT
cat >"$inner" <<'INNER'
set -u
program=$1 probe=$2 shots=$3
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$program" &
pid=$!
window=""
. "$4"  # place_window, finish
place_window || { echo "FAIL the game's window is shown"; finish 1; }
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
key() { xdotool key --delay 60 "$@"; }
# The dark rim of the game-over lettering at both ends of the middle of the well.
game_over_shown() {
    import -window root -depth 8 "ppm:$shots/now.ppm"
    local left right
    read -r left _ <<<"$("$probe" find "$shots/now.ppm" $((ox + 310)) $((oy + 271)) 99 154 black)"
    read -r right _ <<<"$("$probe" find "$shots/now.ppm" $((ox + 606)) $((oy + 271)) 99 154 black)"
    [ "$left" -ge 60 ] && [ "$right" -ge 60 ]
}
sleep 2
key Return  # new game: the rule-set menu
sleep 1
key Return  # Classic
sleep 1.5
over=0
for _ in $(seq 80); do
    key space
    sleep 0.4
    if game_over_shown; then over=1; break; fi
done
[ $over = 1 ] || { echo "FAIL dropping piece after piece ends the game"; finish 1; }
echo "ok   dropping piece after piece ends the game"
sleep 1
key Return  # leaves the game-over display for the name entry
sleep 1.5
xdotool type --delay 120 "PACKAGED"
key Return
sleep 1.5
finish 0
INNER
(cd "$elsewhere" && env -u XDG_DATA_HOME HOME="$home" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash "$inner" "$root/usr/games/kolvane" "$probe" "$shots" \
    "$source_dir/tests/support/game_window.sh")
played=$?
check "the installed game starts from an unrelated folder and is played to the end" test $played = 0
scores=$home/.local/share/kolvane/scores.dat
check "scores.dat lies under HOME/.local/share/kolvane/" test -f "$scores"
name=$(sed -n 1p "$scores" 2>/dev/null | tr -d '\r')
score=$(sed -n 2p "$scores" 2>/dev/null | tr -d '\r')
check "it holds the named high score (\"$name\", ${score:-none}) in 80 lines" \
    test "$name" = "PACKAGED" -a "${score:-0}" -gt 0 -a "$(wc -l <"$scores")" = 80
check "options.dat lies beside it" test -f "$home/.local/share/kolvane/options.dat"
check "nothing is written into the working directory or the media folder" \
    test -z "$(ls -A "$elsewhere")" -a ! -e "$media/scores.dat" -a ! -e "$media/options.dat"

[ $failures = 0 ]
