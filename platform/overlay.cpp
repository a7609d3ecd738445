#include "platform/overlay.h"

#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <iterator>

#include "platform/dialog_view.h"
#include "platform/menu_bar.h"
#include "platform/overlay_renderer.h"

namespace {

struct OverlayState {
    ImGuiContext* context = nullptr;
    Uint64 lastFrame = 0;
    unsigned framesBuilt = 0;
    bool frameWaiting = false;  // built by drawMenuBar, not yet drawn by a swap
};

OverlayState overlay;

constexpr double kFirstFrameSeconds = 1.0 / 60.0;

float secondsSinceLastFrame() {
    const Uint64 now = SDL_GetPerformanceCounter();
    const double seconds = overlay.lastFrame == 0
                               ? kFirstFrameSeconds
                               : static_cast<double>(now - overlay.lastFrame) /
                                     static_cast<double>(SDL_GetPerformanceFrequency());
    overlay.lastFrame = now;
    return static_cast<float>(seconds > 0.0 ? seconds : kFirstFrameSeconds);
}

// Builds one ImGui frame of the window's overlay: the bar with any open menu, and the dialog.
void buildFrame(WindowRecord& record) {
    ensureOverlay();
    ImGuiIO& io = ImGui::GetIO();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(record.sdl, &width, &height);
    io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    io.DeltaTime = secondsSinceLastFrame();

    ImGui::NewFrame();
    // While the modal dialog is up its owner takes no input: the bar stays shut.
    drawMenuBarWidgets(menuBarHeightOf(record) > 0, dialogRunning());
    drawRunningDialog(record);
    ImGui::Render();
    ++overlay.framesBuilt;
}

bool hasOverlay(const WindowRecord& record) {
    return menuBarHeightOf(record) > 0 || dialogRunning();
}

// The latest frame, built now unless drawMenuBar built it for this swap.
ImDrawData* frameToDraw(WindowRecord& record) {
    if (!overlay.frameWaiting) {
        buildFrame(record);
    }
    overlay.frameWaiting = false;
    return ImGui::GetDrawData();
}

}  // namespace

std::string withoutMnemonic(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

void ensureOverlay() {
    if (overlay.context != nullptr) {
        return;
    }
    overlay.context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // Menus and the dialog work from the keyboard too: arrows, Space, Enter and Escape here,
    // Tab in the dialog's own loop.
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    io.KeyMap[ImGuiKey_LeftArrow] = SDL_SCANCODE_LEFT;
    io.KeyMap[ImGuiKey_RightArrow] = SDL_SCANCODE_RIGHT;
    io.KeyMap[ImGuiKey_UpArrow] = SDL_SCANCODE_UP;
    io.KeyMap[ImGuiKey_DownArrow] = SDL_SCANCODE_DOWN;
    io.KeyMap[ImGuiKey_Home] = SDL_SCANCODE_HOME;
    io.KeyMap[ImGuiKey_End] = SDL_SCANCODE_END;
    io.KeyMap[ImGuiKey_Space] = SDL_SCANCODE_SPACE;
    io.KeyMap[ImGuiKey_Escape] = SDL_SCANCODE_ESCAPE;
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.DisplaySafeAreaPadding = ImVec2(0.0f, 0.0f);
    style.WindowMinSize = ImVec2(1.0f, 1.0f);
    style.WindowRounding = 0.0f;
    style.FrameRounding = 2.0f;
    const ImFont* font = io.Fonts->AddFontDefault();
    io.Fonts->Build();
    style.FramePadding.y = (static_cast<float>(kMenuBarHeight) - font->FontSize) * 0.5f;
}

void trackPointer(const SDL_Event& event) {
    ensureOverlay();
    ImGuiIO& io = ImGui::GetIO();
    switch (event.type) {
        case SDL_MOUSEMOTION:
            io.MousePos =
                ImVec2(static_cast<float>(event.motion.x), static_cast<float>(event.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            io.MousePos =
                ImVec2(static_cast<float>(event.button.x), static_cast<float>(event.button.y));
            const int button = event.button.button == SDL_BUTTON_LEFT    ? 0
                               : event.button.button == SDL_BUTTON_RIGHT ? 1
                                                                         : 2;
            io.MouseDown[button] = event.type == SDL_MOUSEBUTTONDOWN;
            break;
        }
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_LEAVE) {
                io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
            }
            break;
        default:
            break;
    }
}

void pressOverlayKey(const SDL_Event& keyEvent, SDL_Scancode scancode) {
    ensureOverlay();
    ImGuiIO& io = ImGui::GetIO();
    if (scancode >= 0 && scancode < IM_ARRAYSIZE(io.KeysDown)) {
        io.KeysDown[scancode] = keyEvent.type == SDL_KEYDOWN;
    }
    const Uint16 modifiers = keyEvent.key.keysym.mod;
    io.KeyShift = (modifiers & KMOD_SHIFT) != 0;
    io.KeyCtrl = (modifiers & KMOD_CTRL) != 0;
    io.KeyAlt = (modifiers & KMOD_ALT) != 0;
}

bool isEnterKey(SDL_Scancode scancode) {
    return scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
}

void releaseOverlayKeys() {
    ensureOverlay();
    ImGuiIO& io = ImGui::GetIO();
    std::fill(std::begin(io.KeysDown), std::end(io.KeysDown), false);
    io.KeyShift = io.KeyCtrl = io.KeyAlt = false;
}

void repaintOverlay(WindowRecord& record) {
    const WindowHandle handle = record.handle;
    const unsigned before = overlay.framesBuilt;
    sendMessage(handle, WM_PAINT, 0, 0);
    if (overlay.framesBuilt == before) {
        if (WindowRecord* live = findWindowRecord(handle)) {
            buildFrame(*live);
        }
    }
}

void releaseOverlay() {
    forgetOverlayGraphics();
    if (overlay.context != nullptr) {
        ImGui::DestroyContext(overlay.context);
    }
    overlay = OverlayState{};
    forgetMenuBar();
}

void drawMenuBar(WindowHandle window) {
    if (WindowRecord* record = findWindowRecord(window)) {
        buildFrame(*record);
        overlay.frameWaiting = true;
    }
}

void drawOverlayBeforeSwap(WindowRecord& record) {
    if (!hasOverlay(record) || SDL_GL_GetCurrentWindow() != record.sdl) {
        return;
    }
    ImDrawData* frame = frameToDraw(record);
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(record.sdl, &width, &height);
    renderOverlay(frame, width, height);
}

void drawOverlayOnRenderer(WindowRecord& record, SDL_Renderer* renderer) {
    if (!hasOverlay(record)) {
        return;
    }
    renderOverlayOnRenderer(frameToDraw(record), renderer);
}

void windowGraphicsChanged(WindowHandle) {
    forgetOverlayGraphics();
}
