// The look of the menu bar, its menu and the modal dialog: the game's own palette (the deep blue
// plates with gold rims and gold-white lettering of its screen pictures) and every size of the
// overlay in pixels, in one place, so that a scale factor can multiply them. Internal to
// platform/.
#pragma once

#include <cstdint>

#include "platform/window.h"

// Colours as 0xRRGGBB.
struct OverlayPalette {
    std::uint32_t barTop = 0x1d3a8a;  // the bar's gradient, as the game's plates
    std::uint32_t barBottom = 0x0c1d5e;
    std::uint32_t rim = 0xd9a73a;    // the gold rule under the bar, borders, the title
    std::uint32_t panel = 0x0f2266;  // open menus and the dialog's face
    std::uint32_t field = 0x071033;  // the inside of lists and radio buttons
    std::uint32_t fieldHovered = 0x16307e;
    std::uint32_t button = 0x2a56b8;
    std::uint32_t buttonHovered = 0x3f74e0;
    std::uint32_t highlight = 0x3566cc;      // the highlighted item, as a lit plate
    std::uint32_t keyboardFrame = 0xffd35a;  // round the item the keyboard is on
    std::uint32_t text = 0xfff3d0;           // gold-white lettering
    std::uint32_t disabledText = 0x8090b8;
    std::uint32_t check = 0xffd35a;  // the dot of the checked radio button
};

struct OverlayStyle {
    float fontPixels = 15.0f;  // DejaVu Sans, of the Debian package fonts-dejavu-core
    float barHeight = static_cast<float>(kMenuBarHeight);
    float barRule = 2.0f;          // the gold rule along the bar's lower edge
    float barItemPadding = 10.0f;  // left and right of each title on the bar, across items
    float menuPadding = 6.0f;      // inside an open menu, round its items
    float menuItemSpacing = 8.0f;  // between two items of an open menu
    float menuWidth = 220.0f;      // an open menu is at least this wide
    float framePaddingX = 6.0f;    // inside buttons and lists
    float framePaddingY = 3.0f;
    float rounding = 3.0f;
    float border = 1.0f;
    // Pixels per dialog unit: a quarter of the font's average character width across, an
    // eighth of its height down, as dialog units are meant.
    float dialogUnitX = 2.0f;
    float dialogUnitY = 2.1f;
    OverlayPalette palette;
};

// A style with every size of designed multiplied by scale; the colours stay.
inline OverlayStyle scaledOverlayStyle(const OverlayStyle& designed, float scale) {
    OverlayStyle scaled = designed;
    for (float* size :
         {&scaled.fontPixels, &scaled.barHeight, &scaled.barRule, &scaled.barItemPadding,
          &scaled.menuPadding, &scaled.menuItemSpacing, &scaled.menuWidth, &scaled.framePaddingX,
          &scaled.framePaddingY, &scaled.rounding, &scaled.border, &scaled.dialogUnitX,
          &scaled.dialogUnitY}) {
        *size *= scale;
    }
    return scaled;
}

// The overlay's style at the display's scale.
inline const OverlayStyle& overlayStyle() {
    static const OverlayStyle style = scaledOverlayStyle(OverlayStyle{}, displayScale());
    return style;
}

// Where the font file lies.
constexpr const char* kOverlayFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
