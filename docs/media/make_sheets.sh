#!/usr/bin/env bash
# Rebuilds the contact sheets in this folder from a fresh run of the media generator:
#   pictures.png  every picture in Graphics/, at a glance
#   meshes.png    the meshes as the game's camera and lights show them (offline preview)
# Usage: docs/media/make_sheets.sh [build folder, default build]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" --target mediagen mesh_preview >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/tools/mediagen/mediagen" "$work/run" >/dev/null
g="$work/run/Graphics"
out="$root/docs/media"

# The still background is shown whole, as the game puts its quarters together.
convert "$g/back_static_12.bmp" "$g/back_static_11.bmp" +append "$work/top.png"
convert "$g/back_static_13.bmp" "$g/back_static_14.bmp" +append "$work/bottom.png"
convert "$work/top.png" "$work/bottom.png" -append "$work/back_static_(11-14).png"
# Scrolling-plane tiles are shown 2 x 2, so a seam would show.
for f in "$g"/back_up_*.bmp "$g"/back_down_*.bmp; do
  name="$(basename "$f" .bmp)"
  convert "$f" "$f" +append "$work/row.png"
  convert "$work/row.png" "$work/row.png" -append "$work/${name}_(2x2).png"
done

montage -background '#1b1d24' -fill '#e0e0e0' -font DejaVu-Sans -pointsize 13 -label '%t' \
  "$g"/new_game.bmp "$g"/high_scores.bmp "$g"/game_info.bmp "$g"/exit.bmp \
  "$g"/classic.bmp "$g"/original.bmp "$g"/crazy.bmp "$g"/select_game.bmp \
  -tile 4x -geometry 320x60+8+8 "$work/buttons.png"
montage -background '#1b1d24' -fill '#e0e0e0' -font DejaVu-Sans -pointsize 13 -label '%t' \
  "$g"/level.bmp "$g"/time.bmp "$g"/scores.bmp "$g"/next.bmp "$g"/list.bmp \
  "$g"/cell_face.bmp "$g"/well_back.bmp \
  -tile 7x -geometry 180x140+8+8 "$work/labels.png"
montage -background '#1b1d24' -fill '#e0e0e0' -font DejaVu-Sans -pointsize 13 -label '%t' \
  "$work/back_static_(11-14).png" "$work"/back_up_*_\(2x2\).png "$work"/back_down_*_\(2x2\).png \
  -tile 4x -geometry 300x225+8+8 "$work/backgrounds.png"
convert "$work/buttons.png" "$work/labels.png" "$work/backgrounds.png" -background '#1b1d24' \
  -gravity center -append "$out/pictures.png"

"$build/tests/mediagen/graphics/mesh_preview" "$g" "$work"
montage -background '#1b1d24' -fill '#e0e0e0' -font DejaVu-Sans -pointsize 13 -label '%t' \
  "$work"/scene_main_menu.ppm "$work"/scene_game.ppm "$work"/scene_paused.ppm \
  "$work"/scene_game_over.ppm "$work"/close_ups.ppm \
  -tile 3x -geometry 480x360+8+8 "$out/meshes.png"
echo "wrote $out/pictures.png and $out/meshes.png"
