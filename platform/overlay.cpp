#include "platform/overlay.h"

#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <filesystem>
#include <iterator>

#include "platform/dialog_view.h"
#include "platform/menu_bar.h"
#include "platform/overlay_renderer.h"
#include "platform/overlay_style.h"

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
    // Where the window system scales the window itself, its drawable has more pixels than the
    // window has units, and the overlay is drawn at the drawable's full resolution.
    int drawableWidth = width;
    int drawableHeight = height;
    if ((SDL_GetWindowFlags(record.sdl) & SDL_WINDOW_OPENGL) != 0) {
        SDL_GL_GetDrawableSize(record.sdl, &drawableWidth, &drawableHeight);
    }
    io.DisplayFramebufferScale = width > 0 && height > 0
                                     ? ImVec2(static_cast<float>(drawableWidth) / width,
                                              static_cast<float>(drawableHeight) / height)
                                     : ImVec2(1.0f, 1.0f);
    io.DeltaTime = secondsSinceLastFrame();

    ImGui::NewFrame();
    // While the modal dialog is up its owner takes no input: the bar stays shut.
    drawMenuBarWidgets(menuBarHeightOf(record) > 0, dialogRunning());
    drawRunningDialog(record);
    ImGui::Render();
    ++overlay.framesBuilt;
}

ImVec4 colour(std::uint32_t rgb) {
    return ImVec4(static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
                  static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
                  static_cast<float>(rgb & 0xFF) / 255.0f, 1.0f);
}

void applyPalette(const OverlayPalette& palette, ImVec4* colours) {
    colours[ImGuiCol_Text] = colour(palette.text);
    colours[ImGuiCol_TextDisabled] = colour(palette.disabledText);
    colours[ImGuiCol_WindowBg] = colour(palette.panel);
    colours[ImGuiCol_PopupBg] = colour(palette.panel);
    colours[ImGuiCol_MenuBarBg] = colour(palette.barBottom);
    colours[ImGuiCol_Border] = colour(palette.rim);
    colours[ImGuiCol_BorderShadow] = ImVec4(0.0f, 0.0f, 0.0f, 0.0f);
    colours[ImGuiCol_FrameBg] = colour(palette.field);
    colours[ImGuiCol_FrameBgHovered] = colour(palette.fieldHovered);
    colours[ImGuiCol_FrameBgActive] = colour(palette.fieldHovered);
    colours[ImGuiCol_TitleBg] = colour(palette.barBottom);
    colours[ImGuiCol_TitleBgActive] = colour(palette.barTop);
    colours[ImGuiCol_TitleBgCollapsed] = colour(palette.barBottom);
    colours[ImGuiCol_Button] = colour(palette.button);
    colours[ImGuiCol_ButtonHovered] = colour(palette.buttonHovered);
    colours[ImGuiCol_ButtonActive] = colour(palette.highlight);
    colours[ImGuiCol_Header] = colour(palette.highlight);
    colours[ImGuiCol_HeaderHovered] = colour(palette.highlight);
    colours[ImGuiCol_HeaderActive] = colour(palette.highlight);
    colours[ImGuiCol_CheckMark] = colour(palette.check);
    colours[ImGuiCol_Separator] = colour(palette.rim);
    colours[ImGuiCol_NavHighlight] = colour(palette.keyboardFrame);
}

// The game's font at the style's size; ImGui's own font where the font package is missing.
ImFont* addOverlayFont(ImGuiIO& io, const OverlayStyle& look) {
    std::error_code error;
    if (std::filesystem::is_regular_file(kOverlayFontFile, error)) {
        if (ImFont* font = io.Fonts->AddFontFromFileTTF(kOverlayFontFile, look.fontPixels)) {
            return font;
        }
    }
    ImFontConfig config;
    config.SizePixels = look.fontPixels;
    return io.Fonts->AddFontDefault(&config);
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
    const OverlayStyle& look = overlayStyle();
    ImGuiStyle& style = ImGui::GetStyle();
    applyPalette(look.palette, style.Colors);
    style.DisplaySafeAreaPadding = ImVec2(0.0f, 0.0f);
    style.WindowMinSize = ImVec2(1.0f, 1.0f);
    style.WindowRounding = look.rounding;
    style.PopupRounding = look.rounding;
    style.FrameRounding = look.rounding;
    style.GrabRounding = look.rounding;
    style.WindowBorderSize = look.border;
    style.PopupBorderSize = look.border;
    style.FrameBorderSize = look.border;
    style.FramePadding = ImVec2(look.framePaddingX, look.framePaddingY);
    style.WindowPadding = ImVec2(look.menuPadding, look.menuPadding);
    style.ItemSpacing = ImVec2(look.barItemPadding, look.menuItemSpacing);
    style.WindowTitleAlign = ImVec2(0.5f, 0.5f);
    addOverlayFont(io, look);
    io.Fonts->Build();
    // The atlas is built once for the run: with its pixels made (every device uploads them from
    // here), the font file and the rest of the build's input are let go.
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    io.Fonts->ClearInputData();
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
