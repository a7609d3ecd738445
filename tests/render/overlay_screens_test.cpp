// The menu bar, its Options menu opened from the keyboard and the Select Device dialog, drawn
// over the main menu as the OpenGL device draws it, in a window of the game's size, worked
// through the real event pump with pushed keys and pointer moves. Saved beside the other
// screens, and checked: the game's colours, the first item highlighted when F10 opens the menu,
// no control of the dialog over another, and a long adapter name shown whole in a tooltip.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/device_dialog.h"
#include "generated_scene.h"
#include "gfx/window.h"
#include "platform/dialog_view.h"
#include "platform/menu_bar.h"
#include "platform/overlay.h"
#include "platform/overlay_style.h"
#include "platform/window.h"
#include "platform/window_internal.h"
#include "tests/support/menu_bar_window.h"
#include "tests/support/pushed_events.h"

namespace {

constexpr int kClientWidth = 1024;
constexpr int kClientHeight = 768;
const std::string kLongAdapterName =
    "Mesa Gallium llvmpipe (LLVM 15.0.6, 256 bits) software rasteriser of the offscreen desktop";

// The dialog's frame after which Escape is pushed: each event draws two frames, and the
// pointer's moves come after the first frame.
constexpr int kFramesBeforeEscape = 5;
// A dialog drawn this long has missed its Escape.
constexpr int kMostDialogFrames = 60;

// What the window showed, frame by frame, while the menu and the dialog were worked.
struct Pictures {
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* mainMenu = nullptr;
    FrameImage latest;
    FrameImage menu;           // the last frame with the Options menu open
    FrameImage dialog;         // the dialog as it opens
    FrameImage dialogHovered;  // the last frame of the dialog, the pointer on the adapter list
    int dialogFrames = 0;
};

Pictures* pictures = nullptr;

// A key pressed and let go in the window.
void press(WindowHandle window, SDL_Keycode key) {
    const Uint32 id = SDL_GetWindowID(reinterpret_cast<SDL_Window*>(window));
    pushed_events::pushKey(id, SDL_KEYDOWN, key);
    pushed_events::pushKey(id, SDL_KEYUP, key);
}

// The centre of the dialog's adapter list in the latest frame.
SDL_Point adapterListCentre() {
    for (const DrawnControlBox& box : latestDialogBoxes()) {
        if (box.id == kAdapterListId) {
            return SDL_Point{static_cast<int>((box.left + box.right) / 2),
                             static_cast<int>((box.top + box.bottom) / 2)};
        }
    }
    return SDL_Point{0, 0};
}

// While the dialog is up: after its first frame the pointer moves onto the adapter list (twice,
// so that the tooltip that hovering opens is drawn), and after a few frames Escape closes it.
void workDialog(WindowHandle window) {
    ++pictures->dialogFrames;
    const Uint32 id = SDL_GetWindowID(reinterpret_cast<SDL_Window*>(window));
    if (pictures->dialogFrames == 1) {
        pictures->dialog = pictures->latest;
        const SDL_Point centre = adapterListCentre();
        pushed_events::pushMouse(id, SDL_MOUSEMOTION, centre.x, centre.y);
        pushed_events::pushMouse(id, SDL_MOUSEMOTION, centre.x + 1, centre.y);
    }
    if (pictures->dialogFrames == kFramesBeforeEscape ||
        pictures->dialogFrames == kMostDialogFrames) {
        press(window, SDLK_ESCAPE);
    }
    if (pictures->dialogFrames <= kFramesBeforeEscape) {
        pictures->dialogHovered = pictures->latest;
    }
}

void paint(WindowHandle window) {
    WindowRecord* record = findWindowRecord(window);
    SDL_Renderer* renderer = pictures->renderer;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    copyFrameBelowChrome(renderer, pictures->mainMenu);
    drawOverlayOnRenderer(*record, renderer);
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    FrameImage& frame = pictures->latest;
    frame.width = static_cast<std::uint32_t>(width);
    frame.height = static_cast<std::uint32_t>(height);
    frame.pixels.resize(frame.width * frame.height);
    SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, frame.pixels.data(),
                         width * 4);
    SDL_RenderPresent(renderer);
    if (menuOpen()) {
        pictures->menu = frame;
    }
    if (dialogRunning()) {
        workDialog(window);
    }
}

MessageResult paintingProcedure(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                MessageLong lParam) {
    if (message == WM_PAINT && pictures != nullptr && pictures->renderer != nullptr) {
        paint(window);
        return 0;
    }
    return defaultWindowProcedure(window, message, wParam, lParam);
}

int rgbOf(std::uint32_t pixel) {
    return static_cast<int>(pixel & 0xFFFFFFu);
}

int channelDistance(std::uint32_t pixel, std::uint32_t rgb) {
    int most = 0;
    for (int shift : {0, 8, 16}) {
        most = std::max(most, std::abs(static_cast<int>((pixel >> shift) & 0xFF) -
                                       static_cast<int>((rgb >> shift) & 0xFF)));
    }
    return most;
}

// The share of the pixels of rows [top, bottom) and columns [left, right) that show `rgb`.
double shareOf(const FrameImage& frame, std::uint32_t rgb, int left, int top, int right,
               int bottom) {
    int count = 0;
    int of = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            ++of;
            count += channelDistance(
                         frame.at(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)),
                         rgb) <= 8
                         ? 1
                         : 0;
        }
    }
    return of == 0 ? 0.0 : static_cast<double>(count) / of;
}

bool overlap(const DrawnControlBox& a, const DrawnControlBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool inside(const DrawnControlBox& inner, const DrawnControlBox& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

class GameScreensWithOverlay : public testing::Test, public GeneratedScene {
protected:
    GameScreensWithOverlay() : GeneratedScene(D3DDEVTYPE_HAL) {}

    void SetUp() override {
        if (!mediaBuilt()) {
            GTEST_SKIP() << "the media target has not been built";
        }
        ASSERT_TRUE(ready()) << "every media file loads";
        menuSelection = 0;
        backgroundVariant = 0;
        appTime = 2.0f;
        draw(MainMenu, 40);

        window = menu_bar_window::create("Kolvane", kClientWidth, kClientHeight, paintingProcedure);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        SDL_Window* sdl = reinterpret_cast<SDL_Window*>(window);
        shown.renderer = SDL_CreateRenderer(sdl, -1, SDL_RENDERER_SOFTWARE);
        ASSERT_NE(shown.renderer, nullptr) << SDL_GetError();
        shown.mainMenu =
            SDL_CreateTexture(shown.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                              static_cast<int>(frame.width), static_cast<int>(frame.height));
        ASSERT_NE(shown.mainMenu, nullptr) << SDL_GetError();
        SDL_UpdateTexture(shown.mainMenu, nullptr, frame.pixels.data(),
                          static_cast<int>(frame.width) * 4);
        pictures = &shown;
        drain();
    }

    void TearDown() override {
        pictures = nullptr;
        if (window != nullptr) {
            windowGraphicsChanged(window);
            if (shown.mainMenu != nullptr) {
                SDL_DestroyTexture(shown.mainMenu);
            }
            if (shown.renderer != nullptr) {
                SDL_DestroyRenderer(shown.renderer);
            }
            destroyWindow(window);
            drain();
        }
    }

    void drain() { menu_bar_window::drain(); }

    bool savePicture(const FrameImage& picture, const std::string& name) {
        const std::string folder = KOLVANE_SCREENS_DIR;
        std::filesystem::create_directories(folder);
        return writePng(picture, folder + "/" + deviceName() + "_" + name + ".png");
    }

    WindowHandle window = nullptr;
    Pictures shown;
};

TEST_F(GameScreensWithOverlay, F10OpensTheOptionsMenuWithItsFirstItemHighlighted) {
    press(window, SDLK_F10);
    press(window, SDLK_ESCAPE);
    drain();
    ASSERT_FALSE(shown.menu.pixels.empty()) << "F10 opened no menu";
    EXPECT_TRUE(savePicture(shown.menu, "menu_bar_options"));

    const OverlayStyle& look = overlayStyle();
    const OverlayPalette& palette = look.palette;
    const auto bar = static_cast<int>(look.barHeight);
    // The bar: the plates' deep blue over the main menu's whole width, a gold rule beneath.
    const std::uint32_t barMiddle =
        shown.menu.at(kClientWidth - 4, static_cast<std::uint32_t>(bar / 2));
    EXPECT_GT(static_cast<int>(barMiddle & 0xFF), static_cast<int>((barMiddle >> 16) & 0xFF) + 60)
        << std::hex << rgbOf(barMiddle);
    EXPECT_GT(shareOf(shown.menu, palette.rim, 300, bar - 1, kClientWidth, bar), 0.95);

    // The menu's items, one pitch of font and spacing apart below the bar and the menu's
    // padding: the first one is lit, the second is not.
    const auto pitch = static_cast<int>(look.fontPixels + look.menuItemSpacing);
    const int firstTop = bar + static_cast<int>(look.menuPadding);
    const int right = static_cast<int>(look.menuWidth - look.menuPadding) - 4;
    EXPECT_GT(shareOf(shown.menu, palette.highlight, 8, firstTop, right, firstTop + pitch - 4),
              0.6);
    EXPECT_LT(shareOf(shown.menu, palette.highlight, 8, firstTop + pitch + 2, right,
                      firstTop + 2 * pitch - 4),
              0.05);
    EXPECT_GT(shareOf(shown.menu, palette.panel, 8, firstTop + pitch + 2, right,
                      firstTop + 2 * pitch - 4),
              0.6);
}

TEST_F(GameScreensWithOverlay, TheDeviceDialogShowsEveryControlClearOfTheOthers) {
    Dialog dialog = makeDeviceDialog();
    DialogControl& adapters = *dialog.control(kAdapterListId);
    adapters.addItem(kLongAdapterName, 0);
    adapters.selected = 0;
    DialogControl& devices = *dialog.control(kDeviceListId);
    devices.addItem("HAL", 0);
    devices.addItem("REF", 1);
    devices.selected = 0;
    DialogControl& modes = *dialog.control(kModeListId);
    modes.addItem("1024 x 768 x 32", 0);
    modes.selected = 0;
    modes.enabled = false;
    dialog.control(kWindowedChoiceId)->checked = true;
    const auto cancelOnly = [](Dialog&, int controlId, int, void*) {
        return controlId == kDialogCancel || controlId == kDialogOk ? controlId : -1;
    };
    EXPECT_EQ(runModalDialog(window, dialog, cancelOnly, nullptr), kDialogCancel);
    ASSERT_GE(shown.dialogFrames, kFramesBeforeEscape) << "the dialog was drawn";
    EXPECT_TRUE(savePicture(shown.dialog, "device_dialog"));
    EXPECT_TRUE(savePicture(shown.dialogHovered, "device_dialog_adapter_tooltip"));

    const std::vector<DrawnControlBox>& boxes = latestDialogBoxes();
    ASSERT_EQ(boxes.size(), dialog.controls.size());
    std::vector<DrawnControlBox> groups;
    for (const DrawnControlBox& box : boxes) {
        if (box.kind == ControlKind::GroupBox) {
            groups.push_back(box);
        }
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const DrawnControlBox& box = boxes[i];
        if (box.kind == ControlKind::GroupBox) {
            continue;
        }
        EXPECT_GE(box.left, 0.0f);
        EXPECT_LE(box.right, static_cast<float>(kClientWidth));
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            if (boxes[j].kind != ControlKind::GroupBox) {
                EXPECT_FALSE(overlap(box, boxes[j]))
                    << '"' << box.text << "\" runs into \"" << boxes[j].text << "\" (" << box.id
                    << ", " << boxes[j].id << ")";
            }
        }
        const bool button =
            box.kind == ControlKind::Button || box.kind == ControlKind::DefaultButton;
        const bool inAGroup = std::any_of(groups.begin(), groups.end(),
                                          [&](const DrawnControlBox& g) { return inside(box, g); });
        EXPECT_TRUE(button || inAGroup) << '"' << box.text << "\" stands in its group";
    }
    EXPECT_EQ(latestDialogTooltip(), kLongAdapterName)
        << "the pointer on the adapter list shows its whole name";
}

}  // namespace
