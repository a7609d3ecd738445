#include "app/error_messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const ResultCode kEveryCodeWithText[] = {
    kErrorOutOfMemory,
    kErrorNoDirect3D,
    kErrorNoCompatibleDevices,
    kErrorNoWindowableDevices,
    kErrorNoHardwareDevice,
    kErrorHalLacksFeatures,
    kErrorHalNotWindowable,
    kErrorHalNotDesktopWindowable,
    kErrorHalLacksDesktopFeatures,
    kErrorNonZeroRefCount,
    kErrorMediaNotFound,
    kErrorResetFailed,
    kErrorOutOfVideoMemory,
};

const char* const kGeneric =
    "Generic application error. Enable\ndebug output for detailed information.";

TEST(ErrorTexts, EachCodeHasItsOwnWording) {
    EXPECT_STREQ(errorText(kErrorOutOfMemory), "Not enough memory.");
    EXPECT_STREQ(errorText(kErrorNoDirect3D),
                 "Could not initialize Direct3D. You may\nwant to check that the latest "
                 "version of\nDirectX is correctly installed on your\nsystem.  Also make sure "
                 "that this program\nwas compiled with header files that match\nthe installed "
                 "DirectX DLLs.");
    EXPECT_STREQ(errorText(kErrorNoCompatibleDevices),
                 "Could not find any compatible Direct3D\ndevices.");
    EXPECT_STREQ(errorText(kErrorNoWindowableDevices),
                 "This sample cannot run in a desktop\nwindow with the current display "
                 "settings.\nPlease change your desktop settings to a\n16- or 32-bit display "
                 "mode and re-run this\nsample.");
    EXPECT_STREQ(errorText(kErrorNoHardwareDevice),
                 "No hardware-accelerated Direct3D devices\nwere found.");
    EXPECT_STREQ(errorText(kErrorHalLacksFeatures),
                 "This sample requires functionality that is\nnot available on your Direct3D "
                 "hardware\naccelerator.");
    EXPECT_STREQ(errorText(kErrorHalNotWindowable),
                 "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 "
                 "while the app is running to see a\nlist of available devices and modes.");
    EXPECT_STREQ(errorText(kErrorHalNotDesktopWindowable),
                 "Your Direct3D hardware accelerator cannot\nrender into a window with the "
                 "current\ndesktop display settings.\nPress F2 while the app is running to "
                 "see a\nlist of available devices and modes.");
    EXPECT_STREQ(errorText(kErrorHalLacksDesktopFeatures),
                 "This sample requires functionality that is\nnot available on your Direct3D "
                 "hardware\naccelerator with the current desktop display\nsettings.\nPress F2 "
                 "while the app is running to see a\nlist of available devices and modes.");
    EXPECT_STREQ(errorText(kErrorNonZeroRefCount),
                 "A D3D object has a non-zero reference\ncount (meaning things were not "
                 "properly\ncleaned up).");
    EXPECT_STREQ(errorText(kErrorMediaNotFound), "Could not load required media.");
    EXPECT_STREQ(errorText(kErrorResetFailed), "Could not reset the Direct3D device.");
    EXPECT_STREQ(errorText(kErrorOutOfVideoMemory), "Not enough video memory.");
}

TEST(ErrorTexts, UnlistedCodesGetTheGenericText) {
    EXPECT_STREQ(errorText(kErrorGeneric), kGeneric);
    EXPECT_STREQ(errorText(static_cast<ResultCode>(0x82000002)), kGeneric);
    EXPECT_STREQ(errorText(static_cast<ResultCode>(0x8200000D)), kGeneric);
    EXPECT_STREQ(errorText(-1), kGeneric);
}

TEST(ErrorTexts, EachKindAddsItsSuffix) {
    char message[kErrorMessageCapacity];
    for (ResultCode code : kEveryCodeWithText) {
        const std::string text = errorText(code);
        composeErrorMessage(code, ErrorKind::Fatal, message);
        EXPECT_EQ(std::string(message), text + "\n\nThis sample will now exit.");
        composeErrorMessage(code, ErrorKind::SwitchToReference, message);
        EXPECT_EQ(std::string(message),
                  text +
                      "\n\nSwitching to the reference rasterizer,\na software device that "
                      "implements the entire\nDirect3D feature set, but runs very slowly.");
        composeErrorMessage(code, ErrorKind::Warning, message);
        EXPECT_EQ(std::string(message), text);
        composeErrorMessage(code, static_cast<ErrorKind>(7), message);
        EXPECT_EQ(std::string(message), text);
    }
}

TEST(ErrorTexts, TheLongestMessageFitsItsBuffer) {
    const std::size_t suffix = std::strlen(errorSuffix(ErrorKind::SwitchToReference));
    for (ResultCode code : kEveryCodeWithText) {
        EXPECT_LT(std::strlen(errorText(code)) + suffix, kErrorMessageCapacity);
    }
}

}  // namespace

#include "test_support.h"

namespace {

TEST(ShowError, ShowsTheBoxWithTheApplicationCaptionAndReturnsTheCode) {
    MessageBoxRecorder recorder;
    CallLog log;
    LoggingApplication app(&log);
    app.caption = "2001 Kolvane";
    EXPECT_EQ(showError(kErrorMediaNotFound, ErrorKind::Fatal), kErrorMediaNotFound);
    EXPECT_EQ(showError(kErrorNoHardwareDevice, ErrorKind::SwitchToReference),
              kErrorNoHardwareDevice);
    EXPECT_EQ(showError(kErrorResetFailed, ErrorKind::Warning), kErrorResetFailed);
    const auto& boxes = MessageBoxRecorder::boxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (const RecordedBox& box : boxes) {
        EXPECT_EQ(box.caption, "2001 Kolvane");
    }
    EXPECT_EQ(boxes[0].text, "Could not load required media.\n\nThis sample will now exit.");
    EXPECT_EQ(boxes[0].icon, MessageBoxIcon::Error);
    EXPECT_EQ(boxes[1].icon, MessageBoxIcon::Warning);
    EXPECT_EQ(boxes[2].text, "Could not reset the Direct3D device.");
    EXPECT_EQ(boxes[2].icon, MessageBoxIcon::Warning);
}

TEST(ShowError, AFatalErrorBeforeTheWindowExistsClosesNothing) {
    MessageBoxRecorder recorder;
    CallLog log;
    LoggingApplication app(&log);
    EXPECT_EQ(showError(kErrorNoDirect3D, ErrorKind::Fatal), kErrorNoDirect3D);
    EXPECT_EQ(MessageBoxRecorder::boxes().size(), 1u);
    EXPECT_EQ(MessageBoxRecorder::boxes()[0].caption, "D3D8 Application");
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(app.messages.empty());
}

}  // namespace
