// The menu bar is drawn with Dear ImGui over the device's frame. Opening a menu is the menu
// loop: the menu stays open, redrawn through the window's paint message, while the event pump
// hands it the keyboard and the mouse and the window goes on hearing everything else.
#include "platform/menu_bar.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cfloat>
#include <string>

#include "platform/event_pump.h"
#include "platform/overlay.h"
#include "platform/overlay_style.h"

namespace {

struct MenuItemEntry {
    const char* text;
    std::uint32_t command;
};

constexpr MenuItemEntry kOptionsItems[] = {
    {"Change video mode...", kCommandChangeVideoMode},
    {"Dynamic/static background", kCommandToggleBackground},
    {"Music on/off", kCommandToggleMusic},
};
constexpr const char* kOptionsMenu = "&Options";
constexpr const char* kHelpItem = "&Help";

// Frames drawn after each event of a menu: a popup opened by a click appears in the frame
// after the one that saw the click.
constexpr int kFramesPerEvent = 2;

struct MenuBarState {
    bool anyMenuOpen = false;
    bool openOptionsByKey = false;
    bool highlightFirstItem = false;  // the menu opened from the keyboard, until it shows
    std::uint32_t chosenCommand = 0;
    bool inMenuLoop = false;
};

MenuBarState menu;

// The open menu's share of the input: the keys (Enter takes the highlighted item, as Space
// does), Escape closing it; the focus going elsewhere closes it too.
class MenuLoop final : public ModalLoop {
public:
    void takeInput(const SDL_Event& event) override {
        if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) {
            return;
        }
        const SDL_Scancode scancode = event.key.keysym.scancode;
        pressOverlayKey(event, isEnterKey(scancode) ? SDL_SCANCODE_SPACE : scancode);
        if (event.type == SDL_KEYDOWN && event.key.repeat == 0 &&
            event.key.keysym.sym == SDLK_ESCAPE) {
            ended_ = true;
        }
    }
    void windowHandled(std::uint32_t message) override {
        if (message == WM_KILLFOCUS) {
            ended_ = true;
        }
    }
    bool ended() const { return ended_; }

private:
    bool ended_ = false;
};

void repaintTwice(WindowHandle handle) {
    for (int pass = 0; pass < kFramesPerEvent && menu.chosenCommand == 0; ++pass) {
        if (WindowRecord* live = findWindowRecord(handle)) {
            repaintOverlay(*live);
        }
    }
}

// Closes whatever menu is open and tells the window the loop is over; then the item taken.
void leaveMenuLoop(WindowHandle handle) {
    WindowRecord* live = findWindowRecord(handle);
    if (live == nullptr) {
        return;
    }
    ImGui::GetIO().MouseDown[0] = false;
    ImGui::ClosePopupsOverWindow(nullptr, false);
    repaintOverlay(*live);
    sendMessage(handle, WM_EXITMENULOOP, 0, 0);
    if (menu.chosenCommand != 0) {
        queueMessage(WindowMessage{handle, WM_COMMAND, menuCommand(menu.chosenCommand), 0});
    }
}

// The bar's face, drawn under its titles: the gradient of the game's plates with a gold rule along
// its lower edge.
void drawBarFace(const OverlayStyle& look) {
    ImDrawList* drawList = ImGui::GetWindowDrawList();
    const ImVec2 topLeft = ImGui::GetWindowPos();
    const ImVec2 bottomRight(topLeft.x + ImGui::GetWindowWidth(), topLeft.y + look.barHeight);
    const ImU32 top = ImGui::GetColorU32(ImGuiCol_TitleBgActive);
    const ImU32 bottom = ImGui::GetColorU32(ImGuiCol_MenuBarBg);
    // The whole bar: the menu bar's own clipping stops above the rule.
    ImGui::PushClipRect(topLeft, bottomRight, false);
    drawList->AddRectFilledMultiColor(topLeft, bottomRight, top, top, bottom, bottom);
    drawList->AddRectFilled(ImVec2(topLeft.x, bottomRight.y - look.barRule), bottomRight,
                            ImGui::GetColorU32(ImGuiCol_Border));
    ImGui::PopClipRect();
}

// The keyboard is on the first item of the menu being drawn, and shows it, as when the menu
// is opened with Alt or F10.
void highlightThisItem() {
    ImGui::SetFocusID(ImGui::GetItemID(), ImGui::GetCurrentWindow());
    ImGuiContext& context = *ImGui::GetCurrentContext();
    context.NavDisableHighlight = false;
    context.NavDisableMouseHover = true;
}

}  // namespace

void drawMenuBarWidgets(bool shown, bool shut) {
    menu.anyMenuOpen = false;
    if (!shown) {
        return;
    }
    const OverlayStyle& look = overlayStyle();
    ImGui::BeginDisabled(shut);
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(ImGui::GetIO().DisplaySize.x, look.barHeight));
    // The titles sit in the middle of the bar above its rule (the bar's height is the font's
    // and this padding's, from the bar's beginning to its end).
    const float titlePadding = (look.barHeight - look.barRule - ImGui::GetFontSize()) * 0.5f;
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding,
                        ImVec2(look.framePaddingX, std::max(titlePadding, 0.0f)));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowMinSize, ImVec2(1.0f, 1.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0.0f);
    const bool barShown =
        ImGui::Begin("##menubar", nullptr,
                     ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                         ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoScrollbar |
                         ImGuiWindowFlags_NoScrollWithMouse | ImGuiWindowFlags_NoSavedSettings |
                         ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_MenuBar);
    ImGui::PopStyleVar(4);
    if (barShown && ImGui::BeginMenuBar()) {
        drawBarFace(look);
        // Built once: the bar is drawn every frame and a frame allocates nothing.
        static const std::string optionsLabel = withoutMnemonic(kOptionsMenu) + "##options";
        static const std::string helpLabel = withoutMnemonic(kHelpItem) + "##help";
        if (menu.openOptionsByKey) {
            ImGui::OpenPopup(optionsLabel.c_str());
            menu.openOptionsByKey = false;
            menu.highlightFirstItem = true;
        }
        if (ImGui::IsPopupOpen(optionsLabel.c_str())) {
            ImGui::SetNextWindowSizeConstraints(ImVec2(look.menuWidth, 0.0f),
                                                ImVec2(FLT_MAX, FLT_MAX));
        }
        if (ImGui::BeginMenu(optionsLabel.c_str())) {
            menu.anyMenuOpen = true;
            for (const MenuItemEntry& item : kOptionsItems) {
                if (ImGui::MenuItem(item.text)) {
                    menu.chosenCommand = item.command;
                }
                if (menu.highlightFirstItem) {
                    highlightThisItem();
                    menu.highlightFirstItem = false;
                }
            }
            ImGui::EndMenu();
        }
        if (ImGui::MenuItem(helpLabel.c_str())) {
            menu.chosenCommand = kCommandHelp;
        }
        ImGui::EndMenuBar();
    }
    ImGui::PopStyleVar();
    ImGui::End();
    ImGui::EndDisabled();
}

bool menuOpen() {
    return menu.anyMenuOpen;
}

void runMenuLoop(WindowRecord& record, MenuOpening opening) {
    if (menu.inMenuLoop) {
        return;
    }
    menu.inMenuLoop = true;
    ensureOverlay();
    releaseOverlayKeys();
    const WindowHandle handle = record.handle;
    menu.chosenCommand = 0;
    menu.openOptionsByKey = opening == MenuOpening::ByKeyboard;
    sendMessage(handle, WM_ENTERMENULOOP, 0, 0);
    ImGuiIO& io = ImGui::GetIO();
    // One frame with the button up first, so the bar is known under the pointer when the
    // press that opened the loop is seen.
    if (WindowRecord* live = findWindowRecord(handle);
        live != nullptr && opening == MenuOpening::ByMouse) {
        io.MouseDown[0] = false;
        repaintOverlay(*live);
        io.MouseDown[0] = true;
    }
    MenuLoop loop;
    while (findWindowRecord(handle) != nullptr) {
        repaintTwice(handle);
        if (menu.chosenCommand != 0 || (!menu.anyMenuOpen && !io.MouseDown[0])) {
            break;
        }
        if (!runModalTurn(loop, handle) || loop.ended()) {
            break;
        }
    }
    leaveMenuLoop(handle);
    menu.chosenCommand = 0;
    releaseOverlayKeys();
    menu.inMenuLoop = false;
}

void forgetMenuBar() {
    menu = MenuBarState{};
}
