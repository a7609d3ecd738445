// The frame's failure codes and the fixed texts the user sees for them.
#pragma once

#include <cstddef>
#include <cstdint>

using ResultCode = std::int32_t;  // negative is failure, 0 success

constexpr ResultCode kResultOk = 0;
constexpr ResultCode kErrorGeneric = static_cast<ResultCode>(0x80004005);  // E_FAIL
constexpr ResultCode kErrorOutOfMemory = static_cast<ResultCode>(0x8007000E);
constexpr ResultCode kErrorOutOfVideoMemory = static_cast<ResultCode>(0x8876017C);

// The frame's own codes.
constexpr ResultCode kErrorNoDirect3D = static_cast<ResultCode>(0x82000001);
constexpr ResultCode kErrorNoCompatibleDevices = static_cast<ResultCode>(0x82000003);
constexpr ResultCode kErrorNoWindowableDevices = static_cast<ResultCode>(0x82000004);
constexpr ResultCode kErrorNoHardwareDevice = static_cast<ResultCode>(0x82000005);
constexpr ResultCode kErrorHalLacksFeatures = static_cast<ResultCode>(0x82000006);
constexpr ResultCode kErrorHalNotWindowable = static_cast<ResultCode>(0x82000007);
constexpr ResultCode kErrorHalNotDesktopWindowable = static_cast<ResultCode>(0x82000008);
constexpr ResultCode kErrorHalLacksDesktopFeatures = static_cast<ResultCode>(0x82000009);
constexpr ResultCode kErrorNonZeroRefCount = static_cast<ResultCode>(0x8200000A);
constexpr ResultCode kErrorMediaNotFound = static_cast<ResultCode>(0x8200000B);
constexpr ResultCode kErrorResetFailed = static_cast<ResultCode>(0x8200000C);

// How a failure is presented. Any other value shows the bare text as a warning.
enum class ErrorKind : int {
    Warning = 0,
    Fatal = 1,              // error box; the program then closes its window
    SwitchToReference = 2,  // warning box; the program goes on with the reference device
};

// Size of the buffer the composed message is written into; every text with its suffix fits.
constexpr std::size_t kErrorMessageCapacity = 512;

// The text for a code (the generic text for a code without one of its own).
const char* errorText(ResultCode code);

// The suffix a kind adds to the text ("" for a plain warning).
const char* errorSuffix(ErrorKind kind);

// Writes the text for code followed by the suffix of kind into message (always terminated).
void composeErrorMessage(ResultCode code, ErrorKind kind, char (&message)[kErrorMessageCapacity]);

// Shows the box for code with the running application's caption: an error box for Fatal,
// a warning box otherwise. After a Fatal box the main window, if there is one, is sent the
// close message. Returns code, so a caller may return showError's result as its own.
ResultCode showError(ResultCode code, ErrorKind kind);
