#include "platform/display_scale.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float kDesignedDpi = 96.0f;
constexpr float kLargestScale = 4.0f;

// A positive number the whole text spells, or 0.
float positiveNumber(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return 0.0f;
    }
    char* end = nullptr;
    const float value = std::strtof(text, &end);
    return *end == '\0' && std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

float roundedToQuarter(float scale) {
    return std::round(scale * 4.0f) / 4.0f;
}

// Xft.dpi from the resources the desktop loaded into the X server; 0 where none is set.
float xftDpiOfDisplay() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 0.0f;
    }
    float dpi = 0.0f;
    if (const char* resources = XResourceManagerString(display)) {
        XrmInitialize();
        if (XrmDatabase database = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value{};
            if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) == True &&
                value.addr != nullptr) {
                dpi = positiveNumber(value.addr);
            }
            XrmDestroyDatabase(database);
        }
    }
    XCloseDisplay(display);
    return dpi;
}

}  // namespace

float chooseDisplayScale(const DesktopScaleSettings& settings) {
    float scale = positiveNumber(settings.gdkScale);
    if (scale == 0.0f && settings.xftDpi > 0.0f) {
        scale = settings.xftDpi / kDesignedDpi;
    }
    if (scale == 0.0f) {
        return 1.0f;
    }
    return std::clamp(roundedToQuarter(scale), 1.0f, kLargestScale);
}

float desktopDisplayScale() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) {
        return 1.0f;
    }
    DesktopScaleSettings settings;
    settings.gdkScale = std::getenv("GDK_SCALE");
    settings.xftDpi = xftDpiOfDisplay();
    return chooseDisplayScale(settings);
}
