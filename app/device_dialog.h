// The "Select Device" dialog: its controls, and the logic that keeps the old and new choice of
// adapter, device, mode and windowed rendering while the user works with it.
#pragma once

#include <cstdint>

#include "gfx/types.h"
#include "platform/dialog.h"

class Application3D;

constexpr int kDeviceListId = 1000;
constexpr int kAdapterListId = 1002;
constexpr int kModeListId = 1003;
constexpr int kWindowedChoiceId = 1016;
constexpr int kFullscreenChoiceId = 1018;

// One complete choice of the dialog.
struct DeviceChoice {
    std::uint32_t adapter = 0;
    std::uint32_t device = 0;
    std::uint32_t mode = 0;
    bool windowed = false;
    D3DMULTISAMPLE_TYPE multiSampleType = D3DMULTISAMPLE_NONE;

    bool operator==(const DeviceChoice&) const = default;
};

// The controls of dialog 144, empty and unchecked.
Dialog makeDeviceDialog();

// The dialog's working copy over an application's adapter table.
class DeviceDialogLogic {
public:
    explicit DeviceDialogLogic(Application3D& application);

    // On opening: the old and new choice are the application's current one; fills the controls.
    void open(Dialog& dialog);
    // A command from a control; returns -1 to go on, kDialogOk after storing a changed choice,
    // kDialogCancel otherwise.
    int command(Dialog& dialog, int controlId, int notification);

    const DeviceChoice& oldChoice() const { return before; }
    const DeviceChoice& newChoice() const { return after; }

    // A dialog procedure for runModalDialog; context is the DeviceDialogLogic.
    static int procedure(Dialog& dialog, int controlId, int notification, void* context);

private:
    void refill(Dialog& dialog);
    void store();
    void takeDeviceDefaults();

    Application3D& app;
    DeviceChoice before;
    DeviceChoice after;
};
