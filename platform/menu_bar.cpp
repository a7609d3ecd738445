// The menu bar is drawn with Dear ImGui over the device's frame. Opening a menu is the menu
// loop: the menu stays open, redrawn through the window's paint message, while the event pump
// hands it the keyboard and the mouse and the window goes on hearing everything else.
#include "platform/menu_bar.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <string>

#include "platform/event_pump.h"
#include "platform/overlay.h"

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

}  // namespace

void drawMenuBarWidgets(bool shown, bool shut) {
    menu.anyMenuOpen = false;
    if (!shown) {
        return;
    }
    ImGui::BeginDisabled(shut);
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(
        ImVec2(ImGui::GetIO().DisplaySize.x, static_cast<float>(kMenuBarHeight)));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowMinSize, ImVec2(1.0f, 1.0f));
    const bool barShown =
        ImGui::Begin("##menubar", nullptr,
                     ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                         ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoScrollbar |
                         ImGuiWindowFlags_NoScrollWithMouse | ImGuiWindowFlags_NoSavedSettings |
                         ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_MenuBar);
    ImGui::PopStyleVar(3);
    if (barShown && ImGui::BeginMenuBar()) {
        // Built once: the bar is drawn every frame and a frame allocates nothing.
        static const std::string optionsLabel = withoutMnemonic(kOptionsMenu) + "##options";
        static const std::string helpLabel = withoutMnemonic(kHelpItem) + "##help";
        if (menu.openOptionsByKey) {
            ImGui::OpenPopup(optionsLabel.c_str());
            menu.openOptionsByKey = false;
        }
        if (ImGui::BeginMenu(optionsLabel.c_str())) {
            menu.anyMenuOpen = true;
            for (const MenuItemEntry& item : kOptionsItems) {
                if (ImGui::MenuItem(item.text)) {
                    menu.chosenCommand = item.command;
                }
            }
            ImGui::EndMenu();
        }
        if (ImGui::MenuItem(helpLabel.c_str())) {
            menu.chosenCommand = kCommandHelp;
        }
        ImGui::EndMenuBar();
    }
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
