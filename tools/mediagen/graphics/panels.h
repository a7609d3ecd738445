// The game's opaque screen pictures: rounded, bevelled plates set into a gold frame that fills
// the picture's corners, and crisp lettering with an outline and a drop shadow, all in one
// palette.
#pragma once

#include <string>

#include "tools/mediagen/graphics/bitmap.h"
#include "tools/mediagen/graphics/lettering.h"

namespace mediagen {

constexpr const char* kPanelFont = "DejaVu Sans:bold";

// A button or label: a deep blue glossy plate with `text` centred on it.
Picture buttonPicture(const FontFace& font, const std::string& text, int width, int height);

// The plate behind the high-score list and the information text: light and calm, so dark
// green text reads on it.
Picture listPanelPicture(int width, int height);

}  // namespace mediagen
