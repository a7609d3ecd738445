#include "app/error_messages.h"

#include <cstdio>

#include "app/application.h"
#include "platform/message_box.h"
#include "platform/window.h"

namespace {

struct ErrorTextEntry {
    ResultCode code;
    const char* text;
};

const ErrorTextEntry kErrorTexts[] = {
    {kErrorOutOfMemory, "Not enough memory."},
    {kErrorNoDirect3D,
     "Could not initialize Direct3D. You may\nwant to check that the latest version of\n"
     "DirectX is correctly installed on your\nsystem.  Also make sure that this program\n"
     "was compiled with header files that match\nthe installed DirectX DLLs."},
    {kErrorNoCompatibleDevices, "Could not find any compatible Direct3D\ndevices."},
    {kErrorNoWindowableDevices,
     "This sample cannot run in a desktop\nwindow with the current display settings.\n"
     "Please change your desktop settings to a\n16- or 32-bit display mode and re-run this\n"
     "sample."},
    {kErrorNoHardwareDevice, "No hardware-accelerated Direct3D devices\nwere found."},
    {kErrorHalLacksFeatures,
     "This sample requires functionality that is\nnot available on your Direct3D hardware\n"
     "accelerator."},
    {kErrorHalNotWindowable,
     "Your Direct3D hardware accelerator cannot\nrender into a window.\n"
     "Press F2 while the app is running to see a\nlist of available devices and modes."},
    {kErrorHalNotDesktopWindowable,
     "Your Direct3D hardware accelerator cannot\nrender into a window with the current\n"
     "desktop display settings.\n"
     "Press F2 while the app is running to see a\nlist of available devices and modes."},
    {kErrorHalLacksDesktopFeatures,
     "This sample requires functionality that is\nnot available on your Direct3D hardware\n"
     "accelerator with the current desktop display\nsettings.\n"
     "Press F2 while the app is running to see a\nlist of available devices and modes."},
    {kErrorNonZeroRefCount,
     "A D3D object has a non-zero reference\ncount (meaning things were not properly\n"
     "cleaned up)."},
    {kErrorMediaNotFound, "Could not load required media."},
    {kErrorResetFailed, "Could not reset the Direct3D device."},
    {kErrorOutOfVideoMemory, "Not enough video memory."},
};

constexpr const char* kGenericErrorText =
    "Generic application error. Enable\ndebug output for detailed information.";

constexpr const char* kFatalSuffix = "\n\nThis sample will now exit.";
constexpr const char* kSwitchToReferenceSuffix =
    "\n\nSwitching to the reference rasterizer,\na software device that implements the entire\n"
    "Direct3D feature set, but runs very slowly.";

}  // namespace

const char* errorText(ResultCode code) {
    for (const ErrorTextEntry& entry : kErrorTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return kGenericErrorText;
}

const char* errorSuffix(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::Fatal:
            return kFatalSuffix;
        case ErrorKind::SwitchToReference:
            return kSwitchToReferenceSuffix;
        default:
            return "";
    }
}

void composeErrorMessage(ResultCode code, ErrorKind kind, char (&message)[kErrorMessageCapacity]) {
    std::snprintf(message, kErrorMessageCapacity, "%s%s", errorText(code), errorSuffix(kind));
}

ResultCode showError(ResultCode code, ErrorKind kind) {
    char message[kErrorMessageCapacity];
    composeErrorMessage(code, kind, message);
    Application3D* application = Application3D::current();
    const char* caption = application != nullptr ? application->caption : "";
    const MessageBoxIcon icon =
        kind == ErrorKind::Fatal ? MessageBoxIcon::Error : MessageBoxIcon::Warning;
    showMessageBox(caption, message, icon);
    if (kind == ErrorKind::Fatal && application != nullptr && application->mainWindow != nullptr) {
        sendMessage(application->mainWindow, WM_CLOSE, 0, 0);
    }
    return code;
}
