#include "app/device_dialog.h"

#include <cstdio>

#include "app/application.h"

namespace {

DialogControl makeControl(ControlKind kind, int id, const char* text, int x, int y, int width,
                          int height) {
    DialogControl control;
    control.kind = kind;
    control.id = id;
    control.text = text;
    control.x = x;
    control.y = y;
    control.width = width;
    control.height = height;
    return control;
}

std::string modeText(const ModeEntry& mode) {
    char text[64];
    std::snprintf(text, sizeof text, "%ld x %ld x %ld", static_cast<long>(mode.width),
                  static_cast<long>(mode.height), static_cast<long>(displayBitsOf(mode.format)));
    return text;
}

}  // namespace

Dialog makeDeviceDialog() {
    Dialog dialog;
    dialog.caption = "Select Device";
    dialog.width = 267;
    dialog.height = 114;
    auto& c = dialog.controls;
    c.push_back(
        makeControl(ControlKind::GroupBox, kStaticControlId, "Rendering device", 7, 7, 253, 46));
    c.push_back(makeControl(ControlKind::Label, kStaticControlId, "&Adapter:", 14, 19, 50, 8));
    c.push_back(makeControl(ControlKind::DropDownList, kAdapterListId, "", 70, 17, 183, 100));
    c.push_back(makeControl(ControlKind::Label, kStaticControlId, "&Device:", 14, 35, 50, 8));
    c.push_back(makeControl(ControlKind::DropDownList, kDeviceListId, "", 70, 33, 183, 100));
    c.push_back(
        makeControl(ControlKind::GroupBox, kStaticControlId, "Rendering mode", 7, 57, 253, 37));
    c.push_back(makeControl(ControlKind::RadioButton, kWindowedChoiceId, "Use desktop &window", 14,
                            64, 110, 10));
    c.back().firstOfGroup = true;
    c.push_back(makeControl(ControlKind::RadioButton, kFullscreenChoiceId, "&Fullscreen mode:", 14,
                            77, 85, 10));
    c.push_back(makeControl(ControlKind::DropDownList, kModeListId, "", 100, 77, 153, 100));
    c.push_back(makeControl(ControlKind::DefaultButton, kDialogOk, "OK", 153, 98, 50, 14));
    c.push_back(makeControl(ControlKind::Button, kDialogCancel, "Cancel", 210, 98, 50, 14));
    return dialog;
}

DeviceDialogLogic::DeviceDialogLogic(Application3D& application) : app(application) {}

void DeviceDialogLogic::open(Dialog& dialog) {
    const AdapterEntry& adapter = app.adapters[app.currentAdapter];
    const DeviceEntry& device = adapter.devices[adapter.currentDevice];
    before.adapter = app.currentAdapter;
    before.device = adapter.currentDevice;
    before.mode = device.currentMode;
    before.windowed = device.windowed;
    before.multiSampleType = device.multiSampleType;
    after = before;
    // No multisample choice is offered.
    after.multiSampleType = D3DMULTISAMPLE_NONE;
    refill(dialog);
}

void DeviceDialogLogic::takeDeviceDefaults() {
    const DeviceEntry& device = app.adapters[after.adapter].devices[after.device];
    after.mode = device.currentMode;
    after.windowed = device.windowed;
}

int DeviceDialogLogic::command(Dialog& dialog, int controlId, int notification) {
    if (const DialogControl* windowedChoice = dialog.control(kWindowedChoiceId)) {
        after.windowed = windowedChoice->checked;
    }
    const DialogControl* list = dialog.control(controlId);
    const bool confirmed =
        notification == kNotifySelectionConfirmed && list != nullptr && list->selected >= 0;
    switch (controlId) {
        case kDialogOk:
            if (after == before) {
                return kDialogCancel;
            }
            store();
            return kDialogOk;
        case kDialogCancel:
            return kDialogCancel;
        case kAdapterListId:
            if (confirmed && static_cast<std::uint32_t>(list->selected) < app.adapterCount) {
                after.adapter = static_cast<std::uint32_t>(list->selected);
                after.device = app.adapters[after.adapter].currentDevice;
                takeDeviceDefaults();
            }
            break;
        case kDeviceListId:
            if (confirmed && static_cast<std::uint32_t>(list->selected) <
                                 app.adapters[after.adapter].deviceCount) {
                after.device = static_cast<std::uint32_t>(list->selected);
                takeDeviceDefaults();
            }
            break;
        case kModeListId:
            if (confirmed && static_cast<std::uint32_t>(list->selected) <
                                 app.adapters[after.adapter].devices[after.device].modeCount) {
                after.mode = static_cast<std::uint32_t>(list->selected);
            }
            break;
        default:
            break;
    }
    refill(dialog);
    return -1;
}

void DeviceDialogLogic::refill(Dialog& dialog) {
    DialogControl* adapterList = dialog.control(kAdapterListId);
    DialogControl* deviceList = dialog.control(kDeviceListId);
    DialogControl* modeList = dialog.control(kModeListId);
    DialogControl* windowedChoice = dialog.control(kWindowedChoiceId);
    DialogControl* fullscreenChoice = dialog.control(kFullscreenChoiceId);
    if (adapterList == nullptr || deviceList == nullptr || modeList == nullptr ||
        windowedChoice == nullptr || fullscreenChoice == nullptr) {
        return;
    }
    adapterList->clearItems();
    deviceList->clearItems();
    modeList->clearItems();

    for (std::uint32_t a = 0; a < app.adapterCount; ++a) {
        const int item = adapterList->addItem(app.adapters[a].identifier.Description, a);
        if (a == after.adapter) {
            adapterList->selected = item;
        }
    }
    const AdapterEntry& adapter = app.adapters[after.adapter];
    for (std::uint32_t d = 0; d < adapter.deviceCount; ++d) {
        const int item = deviceList->addItem(adapter.devices[d].name, d);
        if (d == after.device) {
            deviceList->selected = item;
        }
    }
    const DeviceEntry& device = adapter.devices[after.device];
    for (std::uint32_t m = 0; m < device.modeCount; ++m) {
        const int item = modeList->addItem(modeText(device.modes[m]), m);
        if (m == after.mode) {
            modeList->selected = item;
        }
    }
    windowedChoice->enabled = device.windowCapable;
    windowedChoice->checked = after.windowed;
    fullscreenChoice->checked = !after.windowed;
    modeList->enabled = !after.windowed;
}

void DeviceDialogLogic::store() {
    app.currentAdapter = after.adapter;
    AdapterEntry& adapter = app.adapters[after.adapter];
    adapter.currentDevice = after.device;
    DeviceEntry& device = adapter.devices[after.device];
    device.currentMode = after.mode;
    device.windowed = after.windowed;
    device.multiSampleType = after.multiSampleType;
}

int DeviceDialogLogic::procedure(Dialog& dialog, int controlId, int notification, void* context) {
    return static_cast<DeviceDialogLogic*>(context)->command(dialog, controlId, notification);
}

ResultCode Application3D::chooseDevice() {
    if (!inWindow && FAILED(switchFullscreen())) {
        reportFailedSwitch();
        return kErrorGeneric;
    }
    Dialog dialog = makeDeviceDialog();
    DeviceDialogLogic logic(*this);
    logic.open(dialog);
    deviceDialogUp = true;
    const int ending = runModalDialog(mainWindow, dialog, DeviceDialogLogic::procedure, &logic);
    deviceDialogUp = false;
    if (ending != kDialogOk) {
        return kResultOk;
    }
    inWindow = currentDeviceEntry().windowed;
    releaseVolatileObjects();
    destroyDeviceObjects();
    if (FAILED(releaseDevice())) {
        return showError(kErrorNonZeroRefCount, ErrorKind::Fatal);
    }
    const ResultCode result = startDevice();
    if (FAILED(result)) {
        return showError(result, ErrorKind::Fatal);
    }
    return kResultOk;
}
