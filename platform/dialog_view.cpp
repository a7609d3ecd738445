#include "platform/dialog_view.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/event_pump.h"
#include "platform/overlay.h"
#include "platform/overlay_style.h"

namespace {

// Frames drawn after each event: a list opened by a click shows its items one frame later.
constexpr int kFramesPerEvent = 2;

constexpr int kKeepRunning = -1;

// A push button as drawn in the latest frame: the overlay's id of it and the control's id.
struct DrawnButton {
    ImGuiID navId;
    int controlId;
};

struct RunningDialog {
    Dialog* dialog = nullptr;
    int pendingControl = 0;
    int pendingNotification = 0;
    bool hasPending = false;
    bool focused = false;
    bool listOpen = false;             // one of its lists is open (in the latest frame)
    int tabStep = 0;                   // Tab (+1) or Shift+Tab (-1) waiting for the next frame
    std::vector<ImGuiID> tabStops;     // in the order of the controls, from the latest frame
    std::vector<DrawnButton> buttons;  // from the latest frame
};

RunningDialog running;

// What the latest frame of a dialog showed; kept after the dialog ends.
struct DialogPicture {
    std::vector<DrawnControlBox> boxes;
    std::string tooltip;
};

DialogPicture shown;

float unitX() {
    return overlayStyle().dialogUnitX;
}

float unitY() {
    return overlayStyle().dialogUnitY;
}

void noteDrawnBox(const DialogControl& control, ImVec2 topLeft, ImVec2 bottomRight) {
    shown.boxes.push_back(DrawnControlBox{control.id, control.kind, control.text, topLeft.x,
                                          topLeft.y, bottomRight.x, bottomRight.y});
}

// What the last widget drew, for the dialog's picture.
void noteLastItem(const DialogControl& control) {
    noteDrawnBox(control, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
}

void queueDialogCommand(int controlId, int notification) {
    running.pendingControl = controlId;
    running.pendingNotification = notification;
    running.hasPending = true;
}

ImVec2 controlOrigin(const DialogControl& control, ImVec2 origin) {
    return ImVec2(origin.x + static_cast<float>(control.x) * unitX(),
                  origin.y + static_cast<float>(control.y) * unitY());
}

void drawGroupBox(const DialogControl& control, ImVec2 origin) {
    ImDrawList* drawList = ImGui::GetWindowDrawList();
    const ImVec2 topLeft = controlOrigin(control, origin);
    const ImVec2 bottomRight(topLeft.x + static_cast<float>(control.width) * unitX(),
                             topLeft.y + static_cast<float>(control.height) * unitY());
    const float textTop = topLeft.y - ImGui::GetFontSize() * 0.5f;
    drawList->AddRect(topLeft, bottomRight, ImGui::GetColorU32(ImGuiCol_Border));
    const std::string text = withoutMnemonic(control.text);
    const ImVec2 textSize = ImGui::CalcTextSize(text.c_str());
    const ImVec2 textAt(topLeft.x + 6.0f, textTop);
    drawList->AddRectFilled(ImVec2(textAt.x - 2.0f, textAt.y),
                            ImVec2(textAt.x + textSize.x + 2.0f, textAt.y + textSize.y),
                            ImGui::GetColorU32(ImGuiCol_WindowBg));
    drawList->AddText(textAt, ImGui::GetColorU32(ImGuiCol_Text), text.c_str());
    noteDrawnBox(control, topLeft, bottomRight);
}

// A list's choice that its closed face cannot show whole is shown whole beside the pointer.
void explainCutChoice(const char* choice, float faceWidth) {
    const float room = faceWidth - ImGui::GetFrameHeight() - ImGui::GetStyle().FramePadding.x * 2;
    if (ImGui::CalcTextSize(choice).x > room &&
        ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled)) {
        ImGui::SetTooltip("%s", choice);
        shown.tooltip = choice;
    }
}

ImGuiID drawDropDownList(DialogControl& control, float width) {
    ImGui::SetNextItemWidth(width);
    const bool valid =
        control.selected >= 0 && control.selected < static_cast<int>(control.items.size());
    const char* preview = valid ? control.items[control.selected].c_str() : "";
    const ImGuiID navId = ImGui::GetID("##list");
    const bool open = ImGui::BeginCombo("##list", preview);
    if (!open) {
        explainCutChoice(preview, width);
    }
    if (open) {
        running.listOpen = true;
        for (int i = 0; i < static_cast<int>(control.items.size()); ++i) {
            const bool selected = i == control.selected;
            ImGui::PushID(i);
            if (ImGui::Selectable(control.items[i].c_str(), selected)) {
                selectListItem(*running.dialog, control.id, i);
                queueDialogCommand(control.id, kNotifySelectionConfirmed);
            }
            if (selected) {
                ImGui::SetItemDefaultFocus();
            }
            ImGui::PopID();
        }
        ImGui::EndCombo();
    }
    return navId;
}

// Returns the overlay's id of what the control draws to take the keyboard; 0 for none.
ImGuiID drawControl(DialogControl& control, ImVec2 origin) {
    if (control.kind == ControlKind::GroupBox) {
        drawGroupBox(control, origin);
        return 0;
    }
    ImGuiID navId = 0;
    const float width = static_cast<float>(control.width) * unitX();
    ImGui::SetCursorScreenPos(controlOrigin(control, origin));
    ImGui::PushID(control.id == kStaticControlId ? static_cast<int>(control.x * 1000 + control.y)
                                                 : control.id);
    ImGui::BeginDisabled(!control.enabled);
    const std::string text = withoutMnemonic(control.text);
    switch (control.kind) {
        case ControlKind::Label:
            ImGui::TextUnformatted(text.c_str());
            noteLastItem(control);
            break;
        case ControlKind::DropDownList: {
            const ImVec2 topLeft = ImGui::GetCursorScreenPos();
            navId = drawDropDownList(control, width);
            noteDrawnBox(control, topLeft,
                         ImVec2(topLeft.x + width, topLeft.y + ImGui::GetFrameHeight()));
            break;
        }
        case ControlKind::RadioButton:
            if (ImGui::RadioButton(text.c_str(), control.checked)) {
                clickRadioButton(*running.dialog, control.id);
                queueDialogCommand(control.id, kNotifyClicked);
            }
            noteLastItem(control);
            navId = ImGui::GetItemID();
            break;
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            if (ImGui::Button(text.c_str(),
                              ImVec2(width, static_cast<float>(control.height) * unitY()))) {
                queueDialogCommand(control.id, kNotifyClicked);
            }
            noteLastItem(control);
            navId = ImGui::GetItemID();
            running.buttons.push_back(DrawnButton{navId, control.id});
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

void drawControls(Dialog& dialog, ImVec2 origin) {
    running.tabStops.clear();
    running.buttons.clear();
    shown.boxes.clear();
    shown.tooltip.clear();
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        const ImGuiID navId = drawControl(dialog.controls[i], origin);
        if (navId != 0 && isTabStop(dialog.controls, i)) {
            running.tabStops.push_back(navId);
        }
    }
    if (running.tabStep != 0 && !running.listOpen) {
        moveToTabStop(running.tabStops, running.tabStep);
    }
    running.tabStep = 0;
}

// The push button that has the keyboard now; kStaticControlId when none has.
int buttonWithKeyboard() {
    const ImGuiID focus = ImGui::GetCurrentContext()->NavId;
    for (const DrawnButton& button : running.buttons) {
        if (button.navId == focus) {
            return button.controlId;
        }
    }
    return kStaticControlId;
}

int defaultButton(const Dialog& dialog) {
    for (const DialogControl& control : dialog.controls) {
        if (control.kind == ControlKind::DefaultButton) {
            return control.id;
        }
    }
    return kDialogOk;
}

enum class DialogKey { None, Escape, Enter };

// The dialog's share of the input. The overlay works the controls; Tab and Shift+Tab move
// between them; Escape and Enter belong to an open list (closing it, Enter taking the
// highlighted item as Space does) and otherwise to the dialog.
class DialogLoop final : public ModalLoop {
public:
    void takeInput(const SDL_Event& event) override {
        if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) {
            return;
        }
        const bool pressed = event.type == SDL_KEYDOWN && event.key.repeat == 0;
        const SDL_Scancode scancode = event.key.keysym.scancode;
        if (isEnterKey(scancode) && !running.listOpen) {
            key_ = pressed ? DialogKey::Enter : key_;
            return;
        }
        pressOverlayKey(event, isEnterKey(scancode) ? SDL_SCANCODE_SPACE : scancode);
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_TAB) {
            running.tabStep = (event.key.keysym.mod & KMOD_SHIFT) != 0 ? -1 : 1;
        }
        if (pressed && event.key.keysym.sym == SDLK_ESCAPE && !running.listOpen) {
            key_ = DialogKey::Escape;
        }
    }
    void windowHandled(std::uint32_t) override {}

    DialogKey takeKey() {
        const DialogKey key = key_;
        key_ = DialogKey::None;
        return key;
    }

private:
    DialogKey key_ = DialogKey::None;
};

// Draws frames until the controls have nothing more to say, handing each command to the
// procedure; its result.
int drawAndHandleCommands(WindowHandle handle, Dialog& dialog, DialogProcedure procedure,
                          void* context) {
    for (int pass = 0; pass < kFramesPerEvent; ++pass) {
        WindowRecord* record = findWindowRecord(handle);
        if (record == nullptr) {
            return kDialogCancel;
        }
        repaintOverlay(*record);
        if (running.hasPending) {
            running.hasPending = false;
            const int result =
                procedure(dialog, running.pendingControl, running.pendingNotification, context);
            if (result != kKeepRunning) {
                return result;
            }
            pass = -1;
        }
    }
    return kKeepRunning;
}

int cancel(WindowHandle handle, Dialog& dialog, DialogProcedure procedure, void* context) {
    if (!isWindow(handle)) {
        return kDialogCancel;
    }
    const int result = procedure(dialog, kDialogCancel, kNotifyClicked, context);
    return result == kKeepRunning ? kDialogCancel : result;
}

}  // namespace

const std::vector<DrawnControlBox>& latestDialogBoxes() {
    return shown.boxes;
}

const std::string& latestDialogTooltip() {
    return shown.tooltip;
}

bool dialogRunning() {
    return running.dialog != nullptr;
}

void drawRunningDialog(WindowRecord& record) {
    Dialog* dialog = running.dialog;
    if (dialog == nullptr) {
        return;
    }
    running.listOpen = false;
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GetWindowSize(record.sdl, &windowWidth, &windowHeight);
    const float bar = static_cast<float>(menuBarHeightOf(record));
    const ImVec2 size(static_cast<float>(dialog->width) * unitX(),
                      static_cast<float>(dialog->height) * unitY() + ImGui::GetFrameHeight());
    const ImVec2 centre(static_cast<float>(windowWidth) * 0.5f,
                        bar + (static_cast<float>(windowHeight) - bar) * 0.5f);
    ImGui::SetNextWindowPos(centre, ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(size, ImGuiCond_Always);
    const bool opening = !running.focused;
    if (opening) {
        // Only once: focusing the dialog again would close a list it has opened.
        ImGui::SetNextWindowFocus();
        running.focused = true;
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
        drawControls(*dialog, ImVec2(ImGui::GetWindowPos().x,
                                     ImGui::GetWindowPos().y + ImGui::GetFrameHeight()));
    }
    ImGui::End();
    if (!open) {
        queueDialogCommand(kDialogCancel, kNotifyClicked);
    }
}

int runDialogOverWindow(WindowHandle owner, Dialog& dialog, DialogProcedure procedure,
                        void* context) {
    const WindowRecord* record = findWindowRecord(owner);
    if (record == nullptr) {
        return kDialogCancel;
    }
    const WindowHandle handle = record->handle;
    ensureOverlay();
    releaseOverlayKeys();
    running = RunningDialog{};
    running.dialog = &dialog;
    DialogLoop loop;
    int result = kKeepRunning;
    while (result == kKeepRunning) {
        result = drawAndHandleCommands(handle, dialog, procedure, context);
        if (result != kKeepRunning) {
            break;
        }
        if (!runModalTurn(loop, handle)) {
            result = cancel(handle, dialog, procedure, context);
            break;
        }
        switch (loop.takeKey()) {
            case DialogKey::Escape:
                result = cancel(handle, dialog, procedure, context);
                break;
            case DialogKey::Enter: {
                const int button = buttonWithKeyboard();
                result =
                    procedure(dialog, button != kStaticControlId ? button : defaultButton(dialog),
                              kNotifyClicked, context);
                break;
            }
            case DialogKey::None:
                break;
        }
    }
    releaseOverlayKeys();
    running = RunningDialog{};
    return result;
}
