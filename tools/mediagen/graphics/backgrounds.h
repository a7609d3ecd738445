// The pictures behind everything: the still dusk landscape and the seamless tiles of the
// three pairs of scrolling planes (ceiling above, floor below), plus the surface textures
// the cell and well meshes name.
#pragma once

#include "tools/mediagen/graphics/bitmap.h"

namespace mediagen {

constexpr int kBackgroundVariants = 3;

// The whole still background; the game shows it as four quarters.
Picture stillBackground(int width, int height);

// Seamless square tiles for background variant 0..2: a starry nebula over a glowing grid,
// sunlit water over sand ripples, an ember-lit cave roof over cooling lava.
Picture ceilingTile(int variant, int size);
Picture floorTile(int variant, int size);

// One cell face: a soft glow brightest in the middle.
Picture cellFaceTexture(int size);
// One cell's square of the well's back panel: deep glass with faint column lines.
Picture wellBackTexture(int size);

}  // namespace mediagen
