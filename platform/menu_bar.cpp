// The window's menu bar and the modal dialog, drawn with Dear ImGui over the device's frame.
// Opening a menu is the menu loop: the window hears enter-menu-loop, the menu stays open
// (redrawn through the window's paint message) until it closes, the window hears
// exit-menu-loop, and a chosen item arrives as a command message.
#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/overlay_renderer.h"
#include "platform/window_internal.h"

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

// Pixels per dialog unit of the dialog's font.
constexpr float kDialogUnitX = 1.5f;
constexpr float kDialogUnitY = 1.75f;

struct ActiveDialog {
    Dialog* dialog = nullptr;
    int pendingControl = 0;
    int pendingNotification = 0;
    bool hasPending = false;
    bool focused = false;
    bool listOpen = false;          // one of its lists is open (in the latest frame)
    int tabStep = 0;                // Tab (+1) or Shift+Tab (-1) waiting for the next frame
    std::vector<ImGuiID> tabStops;  // in the order of the controls, from the latest frame
};

struct MenuBarState {
    ImGuiContext* context = nullptr;
    Uint64 lastFrame = 0;
    bool anyMenuOpen = false;
    bool openOptionsByKey = false;
    std::uint32_t chosenCommand = 0;
    unsigned framesBuilt = 0;
    bool frameWaiting = false;  // built by drawMenuBar, not yet drawn by a swap
    ActiveDialog activeDialog;
};

MenuBarState state;

ModalDialogRunner installedRunner = nullptr;

// Text without the '&' mnemonic markers ("&&" stays a single '&').
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

void ensureContext() {
    if (state.context != nullptr) {
        return;
    }
    state.context = ImGui::CreateContext();
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

void drawMenus(bool& anyOpen) {
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
    if (!barShown || !ImGui::BeginMenuBar()) {
        ImGui::End();
        return;
    }
    // Built once: the bar is drawn every frame and a frame allocates nothing.
    static const std::string optionsLabel = withoutMnemonic(kOptionsMenu) + "##options";
    static const std::string helpLabel = withoutMnemonic(kHelpItem) + "##help";
    if (state.openOptionsByKey) {
        ImGui::OpenPopup(optionsLabel.c_str());
        state.openOptionsByKey = false;
    }
    if (ImGui::BeginMenu(optionsLabel.c_str())) {
        anyOpen = true;
        for (const MenuItemEntry& item : kOptionsItems) {
            if (ImGui::MenuItem(item.text)) {
                state.chosenCommand = item.command;
            }
        }
        ImGui::EndMenu();
    }
    if (ImGui::MenuItem(helpLabel.c_str())) {
        state.chosenCommand = kCommandHelp;
    }
    ImGui::EndMenuBar();
    ImGui::End();
}

// The radio buttons controls[first..end) of the group the radio button at `index` is in: from
// the button that starts it (or the first of the run) to the next start or other control.
struct RadioGroup {
    std::size_t first, end;
};
RadioGroup radioGroupAround(const std::vector<DialogControl>& controls, std::size_t index) {
    std::size_t first = index;
    while (first > 0 && !controls[first].firstOfGroup &&
           controls[first - 1].kind == ControlKind::RadioButton) {
        --first;
    }
    std::size_t end = first + 1;
    while (end < controls.size() && controls[end].kind == ControlKind::RadioButton &&
           !controls[end].firstOfGroup) {
        ++end;
    }
    return RadioGroup{first, end};
}

void queueDialogCommand(int controlId, int notification) {
    state.activeDialog.pendingControl = controlId;
    state.activeDialog.pendingNotification = notification;
    state.activeDialog.hasPending = true;
}

void drawGroupBox(const DialogControl& control, ImVec2 origin) {
    ImDrawList* drawList = ImGui::GetWindowDrawList();
    const ImVec2 topLeft(origin.x + static_cast<float>(control.x) * kDialogUnitX,
                         origin.y + static_cast<float>(control.y) * kDialogUnitY);
    const ImVec2 bottomRight(topLeft.x + static_cast<float>(control.width) * kDialogUnitX,
                             topLeft.y + static_cast<float>(control.height) * kDialogUnitY);
    const float textTop = topLeft.y - ImGui::GetFontSize() * 0.5f;
    drawList->AddRect(topLeft, bottomRight, ImGui::GetColorU32(ImGuiCol_Border));
    const std::string text = withoutMnemonic(control.text);
    const ImVec2 textSize = ImGui::CalcTextSize(text.c_str());
    const ImVec2 textAt(topLeft.x + 6.0f, textTop);
    drawList->AddRectFilled(ImVec2(textAt.x - 2.0f, textAt.y),
                            ImVec2(textAt.x + textSize.x + 2.0f, textAt.y + textSize.y),
                            ImGui::GetColorU32(ImGuiCol_WindowBg));
    drawList->AddText(textAt, ImGui::GetColorU32(ImGuiCol_Text), text.c_str());
}

// Returns the overlay's id of what the control draws to take the keyboard; 0 for none.
ImGuiID drawControl(DialogControl& control, ImVec2 origin) {
    if (control.kind == ControlKind::GroupBox) {
        drawGroupBox(control, origin);
        return 0;
    }
    ImGuiID navId = 0;
    const float width = static_cast<float>(control.width) * kDialogUnitX;
    ImGui::SetCursorScreenPos(ImVec2(origin.x + static_cast<float>(control.x) * kDialogUnitX,
                                     origin.y + static_cast<float>(control.y) * kDialogUnitY));
    ImGui::PushID(control.id == kStaticControlId ? static_cast<int>(control.x * 1000 + control.y)
                                                 : control.id);
    ImGui::BeginDisabled(!control.enabled);
    const std::string text = withoutMnemonic(control.text);
    switch (control.kind) {
        case ControlKind::Label:
            ImGui::TextUnformatted(text.c_str());
            break;
        case ControlKind::DropDownList: {
            ImGui::SetNextItemWidth(width);
            const bool valid =
                control.selected >= 0 && control.selected < static_cast<int>(control.items.size());
            const char* preview = valid ? control.items[control.selected].c_str() : "";
            navId = ImGui::GetID("##list");
            if (ImGui::BeginCombo("##list", preview)) {
                state.activeDialog.listOpen = true;
                for (int i = 0; i < static_cast<int>(control.items.size()); ++i) {
                    const bool selected = i == control.selected;
                    ImGui::PushID(i);
                    if (ImGui::Selectable(control.items[i].c_str(), selected)) {
                        selectListItem(*state.activeDialog.dialog, control.id, i);
                        queueDialogCommand(control.id, kNotifySelectionConfirmed);
                    }
                    if (selected) {
                        ImGui::SetItemDefaultFocus();
                    }
                    ImGui::PopID();
                }
                ImGui::EndCombo();
            }
            break;
        }
        case ControlKind::RadioButton:
            if (ImGui::RadioButton(text.c_str(), control.checked)) {
                clickRadioButton(*state.activeDialog.dialog, control.id);
                queueDialogCommand(control.id, kNotifyClicked);
            }
            navId = ImGui::GetItemID();
            break;
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            if (ImGui::Button(text.c_str(),
                              ImVec2(width, static_cast<float>(control.height) * kDialogUnitY))) {
                queueDialogCommand(control.id, kNotifyClicked);
            }
            navId = ImGui::GetItemID();
            break;
        case ControlKind::GroupBox:
            break;
    }
    ImGui::EndDisabled();
    ImGui::PopID();
    return navId;
}

// Tab stops at every enabled list and button, and once in each group of radio buttons: at the
// checked one, or at the group's first enabled one while none is checked.
bool isTabStop(const std::vector<DialogControl>& controls, std::size_t index) {
    const DialogControl& control = controls[index];
    if (!control.enabled) {
        return false;
    }
    if (control.kind != ControlKind::RadioButton) {
        return control.kind == ControlKind::DropDownList || control.kind == ControlKind::Button ||
               control.kind == ControlKind::DefaultButton;
    }
    if (control.checked) {
        return true;
    }
    const RadioGroup group = radioGroupAround(controls, index);
    std::size_t firstEnabled = controls.size();
    for (std::size_t i = group.first; i < group.end; ++i) {
        if (controls[i].checked && controls[i].enabled) {
            return false;
        }
        if (controls[i].enabled && firstEnabled == controls.size()) {
            firstEnabled = i;
        }
    }
    return firstEnabled == index;
}

// Moves the keyboard to the next (step +1) or previous (-1) tab stop, round the end; from
// no stop at all, to the first or the last.
void moveToTabStop(const std::vector<ImGuiID>& stops, int step) {
    if (stops.empty()) {
        return;
    }
    ImGuiContext& context = *ImGui::GetCurrentContext();
    const auto count = static_cast<int>(stops.size());
    const auto current = std::find(stops.begin(), stops.end(), context.NavId);
    const int next = current == stops.end()
                         ? (step > 0 ? 0 : count - 1)
                         : (static_cast<int>(current - stops.begin()) + step + count) % count;
    ImGui::SetFocusID(stops[static_cast<std::size_t>(next)], ImGui::GetCurrentWindow());
    context.NavDisableHighlight = false;
    context.NavDisableMouseHover = true;
}

void drawDialog(WindowRecord& record) {
    Dialog* dialog = state.activeDialog.dialog;
    if (dialog == nullptr) {
        return;
    }
    state.activeDialog.listOpen = false;
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GetWindowSize(record.sdl, &windowWidth, &windowHeight);
    const float bar = static_cast<float>(menuBarHeightOf(record));
    const ImVec2 size(static_cast<float>(dialog->width) * kDialogUnitX,
                      static_cast<float>(dialog->height) * kDialogUnitY + ImGui::GetFrameHeight());
    const ImVec2 centre(static_cast<float>(windowWidth) * 0.5f,
                        bar + (static_cast<float>(windowHeight) - bar) * 0.5f);
    ImGui::SetNextWindowPos(centre, ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(size, ImGuiCond_Always);
    const bool opening = !state.activeDialog.focused;
    if (opening) {
        // Only once: focusing the dialog again would close a list it has opened.
        ImGui::SetNextWindowFocus();
        state.activeDialog.focused = true;
    }
    bool open = true;
    const std::string title = dialog->caption + "##dialog";
    if (ImGui::Begin(title.c_str(), &open,
                     ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                         ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                         ImGuiWindowFlags_NoScrollbar)) {
        if (opening) {
            // The keyboard starts on the first control, shown as such, so Space works it at once.
            ImGui::NavInitWindow(ImGui::GetCurrentWindow(), true);
            ImGui::GetCurrentContext()->NavDisableHighlight = false;
        }
        const ImVec2 origin(ImGui::GetWindowPos().x,
                            ImGui::GetWindowPos().y + ImGui::GetFrameHeight());
        std::vector<ImGuiID>& stops = state.activeDialog.tabStops;
        stops.clear();
        for (std::size_t i = 0; i < dialog->controls.size(); ++i) {
            const ImGuiID navId = drawControl(dialog->controls[i], origin);
            if (navId != 0 && isTabStop(dialog->controls, i)) {
                stops.push_back(navId);
            }
        }
        if (state.activeDialog.tabStep != 0 && !state.activeDialog.listOpen) {
            moveToTabStop(stops, state.activeDialog.tabStep);
        }
        state.activeDialog.tabStep = 0;
    }
    ImGui::End();
    if (!open) {
        queueDialogCommand(kDialogCancel, kNotifyClicked);
    }
}

// Builds one ImGui frame of the window's overlay: the bar with any open menu, and the dialog.
void buildFrame(WindowRecord& record) {
    ensureContext();
    ImGuiIO& io = ImGui::GetIO();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(record.sdl, &width, &height);
    io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    const Uint64 now = SDL_GetPerformanceCounter();
    const double seconds = state.lastFrame == 0
                               ? 1.0 / 60.0
                               : static_cast<double>(now - state.lastFrame) /
                                     static_cast<double>(SDL_GetPerformanceFrequency());
    io.DeltaTime = static_cast<float>(seconds > 0.0 ? seconds : 1.0 / 60.0);
    state.lastFrame = now;

    ImGui::NewFrame();
    bool anyOpen = false;
    if (menuBarHeightOf(record) > 0) {
        // While the modal dialog is up its owner takes no input: the bar stays shut.
        ImGui::BeginDisabled(state.activeDialog.dialog != nullptr);
        drawMenus(anyOpen);
        ImGui::EndDisabled();
    }
    drawDialog(record);
    ImGui::Render();
    state.anyMenuOpen = anyOpen;
    ++state.framesBuilt;
}

// Has the window redraw itself (which draws the overlay); builds the overlay frame here if
// the window drew nothing, so the menus and the dialog go on working without a device.
void repaint(WindowRecord& record) {
    const unsigned before = state.framesBuilt;
    sendMessage(record.handle, WM_PAINT, 0, 0);
    if (state.framesBuilt == before && findWindowRecord(record.handle) != nullptr) {
        buildFrame(record);
    }
}

enum class ModalEvent { Continue, Escape, Enter, Close };

// The keys reach the overlay only while a menu or the dialog is open, so that the game's own
// keys (Space drops a piece) never work a menu. Forgotten between loops: a key let go outside
// one would otherwise stay down for the next.
void feedModalKey(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) {
        return;
    }
    ImGuiIO& io = ImGui::GetIO();
    int scancode = event.key.keysym.scancode;
    if (scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER) {
        // In a menu or an open list Enter takes the highlighted item, as Space does; elsewhere
        // in the dialog it is the default button, which the dialog's loop sees to.
        if (state.activeDialog.dialog != nullptr && !state.activeDialog.listOpen) {
            return;
        }
        scancode = SDL_SCANCODE_SPACE;
    }
    if (scancode >= 0 && scancode < IM_ARRAYSIZE(io.KeysDown)) {
        io.KeysDown[scancode] = event.type == SDL_KEYDOWN;
    }
    const Uint16 modifiers = event.key.keysym.mod;
    io.KeyShift = (modifiers & KMOD_SHIFT) != 0;
    io.KeyCtrl = (modifiers & KMOD_CTRL) != 0;
    io.KeyAlt = (modifiers & KMOD_ALT) != 0;
}

void forgetModalKeys() {
    ImGuiIO& io = ImGui::GetIO();
    std::fill(std::begin(io.KeysDown), std::end(io.KeysDown), false);
    io.KeyShift = io.KeyCtrl = io.KeyAlt = false;
}

// Frames drawn after each event of a menu or dialog: a popup opened by a click appears in the
// frame after the one that saw the click.
constexpr int kFramesPerEvent = 2;

// Takes one event while a menu or the dialog is open: the overlay gets the mouse, Escape and
// Enter are reported, the close button ends the loop (and stays queued for the window).
ModalEvent takeModalEvent(WindowRecord& record) {
    SDL_Event event;
    if (SDL_WaitEvent(&event) == 0) {
        return ModalEvent::Close;
    }
    feedMenuBarInput(record, event);
    feedModalKey(event);
    if (event.type == SDL_QUIT ||
        (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
        queueMessage(WindowMessage{record.handle, WM_CLOSE, 0, 0});
        return ModalEvent::Close;
    }
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_TAB &&
        state.activeDialog.dialog != nullptr) {
        state.activeDialog.tabStep = (event.key.keysym.mod & KMOD_SHIFT) != 0 ? -1 : 1;
    }
    if (event.type == SDL_KEYDOWN && event.key.repeat == 0) {
        if (event.key.keysym.sym == SDLK_ESCAPE) {
            return ModalEvent::Escape;
        }
        if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) {
            return ModalEvent::Enter;
        }
    }
    return ModalEvent::Continue;
}

int runImGuiDialog(WindowHandle owner, Dialog& dialog, DialogProcedure procedure, void* context) {
    WindowRecord* record = findWindowRecord(owner);
    if (record == nullptr) {
        return kDialogCancel;
    }
    const WindowHandle handle = record->handle;
    ensureContext();
    forgetModalKeys();
    state.activeDialog = ActiveDialog{};
    state.activeDialog.dialog = &dialog;
    int result = -1;
    while (result == -1) {
        // Two frames per event: a list opened by a click shows its items one frame later.
        for (int pass = 0; pass < kFramesPerEvent && result == -1; ++pass) {
            repaint(*record);
            if (state.activeDialog.hasPending) {
                state.activeDialog.hasPending = false;
                result = procedure(dialog, state.activeDialog.pendingControl,
                                   state.activeDialog.pendingNotification, context);
                pass = -1;
            }
        }
        if (result != -1) {
            break;
        }
        // Escape and Enter in an open list close it (Enter taking the highlighted item), as in
        // any dialog; otherwise they are Cancel and the default button.
        const bool listWasOpen = state.activeDialog.listOpen;
        switch (takeModalEvent(*record)) {
            case ModalEvent::Escape:
                if (!listWasOpen) {
                    result = procedure(dialog, kDialogCancel, kNotifyClicked, context);
                }
                break;
            case ModalEvent::Close:
                result = procedure(dialog, kDialogCancel, kNotifyClicked, context);
                break;
            case ModalEvent::Enter:
                if (!listWasOpen) {
                    result = procedure(dialog, kDialogOk, kNotifyClicked, context);
                }
                break;
            case ModalEvent::Continue:
                break;
        }
        record = findWindowRecord(handle);
        if (record == nullptr && result == -1) {
            result = kDialogCancel;
        }
    }
    forgetModalKeys();
    state.activeDialog = ActiveDialog{};
    return result;
}

}  // namespace

void feedMenuBarInput(WindowRecord&, const SDL_Event& event) {
    ensureContext();
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

bool menuOpen() {
    return state.anyMenuOpen;
}

void runMenuLoop(WindowRecord& record) {
    static bool inMenuLoop = false;
    if (inMenuLoop) {
        return;
    }
    inMenuLoop = true;
    forgetModalKeys();
    const WindowHandle handle = record.handle;
    state.chosenCommand = 0;
    const bool byKey = !ImGui::GetIO().MouseDown[0];
    state.openOptionsByKey = byKey;
    sendMessage(handle, WM_ENTERMENULOOP, 0, 0);
    // One frame with the button up first, so the bar is known under the pointer when the
    // press that opened the loop is seen.
    if (WindowRecord* live = findWindowRecord(handle); live != nullptr && !byKey) {
        ImGui::GetIO().MouseDown[0] = false;
        repaint(*live);
        ImGui::GetIO().MouseDown[0] = true;
    }
    for (;;) {
        WindowRecord* live = findWindowRecord(handle);
        if (live == nullptr) {
            break;
        }
        for (int pass = 0; pass < kFramesPerEvent && state.chosenCommand == 0; ++pass) {
            repaint(*live);
        }
        if (state.chosenCommand != 0) {
            break;
        }
        if (!state.anyMenuOpen && !ImGui::GetIO().MouseDown[0]) {
            break;
        }
        const ModalEvent event = takeModalEvent(*live);
        if (event == ModalEvent::Escape || event == ModalEvent::Close) {
            break;
        }
    }
    if (findWindowRecord(handle) != nullptr) {
        ImGui::GetIO().MouseDown[0] = false;
        ImGui::ClosePopupsOverWindow(nullptr, false);
        repaint(*findWindowRecord(handle));
        sendMessage(handle, WM_EXITMENULOOP, 0, 0);
        if (state.chosenCommand != 0) {
            queueMessage(WindowMessage{handle, WM_COMMAND, menuCommand(state.chosenCommand), 0});
        }
    }
    state.chosenCommand = 0;
    forgetModalKeys();
    inMenuLoop = false;
}

void releaseMenuBar(WindowRecord&) {
    forgetOverlayGraphics();
    if (state.context != nullptr) {
        ImGui::DestroyContext(state.context);
    }
    state = MenuBarState{};
}

void drawMenuBar(WindowHandle window) {
    if (WindowRecord* record = findWindowRecord(window)) {
        buildFrame(*record);
        state.frameWaiting = true;
    }
}

void drawOverlayBeforeSwap(WindowRecord& record) {
    const bool dialogOpen = state.activeDialog.dialog != nullptr;
    if ((menuBarHeightOf(record) == 0 && !dialogOpen) || SDL_GL_GetCurrentWindow() != record.sdl) {
        return;
    }
    if (!state.frameWaiting) {
        buildFrame(record);
    }
    state.frameWaiting = false;
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(record.sdl, &width, &height);
    renderOverlay(ImGui::GetDrawData(), width, height);
}

void drawOverlayOnRenderer(WindowRecord& record, SDL_Renderer* renderer) {
    const bool dialogOpen = state.activeDialog.dialog != nullptr;
    if (menuBarHeightOf(record) == 0 && !dialogOpen) {
        return;
    }
    if (!state.frameWaiting) {
        buildFrame(record);
    }
    state.frameWaiting = false;
    renderOverlayOnRenderer(ImGui::GetDrawData(), renderer);
}

void windowGraphicsChanged(WindowHandle) {
    forgetOverlayGraphics();
}

// ---- Dialog model and runner.

void DialogControl::clearItems() {
    items.clear();
    itemData.clear();
    selected = -1;
}

int DialogControl::addItem(const std::string& itemText, std::int64_t data) {
    items.push_back(itemText);
    itemData.push_back(data);
    return static_cast<int>(items.size()) - 1;
}

DialogControl* Dialog::control(int id) {
    if (id == kStaticControlId) {
        return nullptr;
    }
    for (DialogControl& candidate : controls) {
        if (candidate.id == id) {
            return &candidate;
        }
    }
    return nullptr;
}

void clickRadioButton(Dialog& dialog, int controlId) {
    std::size_t index = dialog.controls.size();
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        if (dialog.controls[i].id == controlId &&
            dialog.controls[i].kind == ControlKind::RadioButton) {
            index = i;
        }
    }
    if (index == dialog.controls.size() || !dialog.controls[index].enabled) {
        return;
    }
    const RadioGroup group = radioGroupAround(dialog.controls, index);
    for (std::size_t i = group.first; i < group.end; ++i) {
        dialog.controls[i].checked = i == index;
    }
}

void selectListItem(Dialog& dialog, int controlId, int item) {
    DialogControl* list = dialog.control(controlId);
    if (list != nullptr && list->kind == ControlKind::DropDownList && list->enabled && item >= 0 &&
        item < static_cast<int>(list->items.size())) {
        list->selected = item;
    }
}

int runModalDialog(WindowHandle owner, Dialog& dialog, DialogProcedure procedure, void* context) {
    return (installedRunner != nullptr ? installedRunner : runImGuiDialog)(owner, dialog, procedure,
                                                                           context);
}

ModalDialogRunner setModalDialogRunner(ModalDialogRunner runner) {
    const ModalDialogRunner previous =
        installedRunner != nullptr ? installedRunner : runImGuiDialog;
    installedRunner = runner;
    return previous;
}
