// How much larger than designed the game draws its window, menu bar and dialog, so that they
// read at the size the desktop's other programs do.
#pragma once

// What the desktop says of its scale. A missing setting is null or 0.
struct DesktopScaleSettings {
    const char* gdkScale = nullptr;  // GDK_SCALE: the whole-number scale of the session
    float xftDpi = 0.0f;             // the X resource Xft.dpi: the dots per inch fonts are set at
};

// The scale the settings ask for: GDK_SCALE where it holds a number, else Xft.dpi over the 96
// dots per inch that the designed sizes are for, else 1. Rounded to a quarter, never below 1
// nor above 4 (a mistaken setting does not make the window larger than any screen).
float chooseDisplayScale(const DesktopScaleSettings& settings);

// The scale of the desktop the game is shown on, read once SDL's video runs. The X11 driver
// reads the settings above; other drivers are left at 1 (a Wayland compositor scales the window
// itself and gives it a larger drawable instead).
float desktopDisplayScale();
