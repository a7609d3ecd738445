// Application3D: the frame every 3D program of the game is built on. It owns the main window,
// the Direct3D object and device and the adapter table, runs the message loop and the frame
// step, and calls the scene callbacks of a derived application at fixed moments:
//
//   start-up:      acceptDevice (during enumeration), window creation, initScene,
//                  applyWindowStyle, device creation, createDeviceObjects, createVolatileObjects
//   every frame:   advanceScene, drawScene, present
//   device reset:  releaseVolatileObjects, reset, createVolatileObjects
//   new device:    releaseVolatileObjects, destroyDeviceObjects, release, applyWindowStyle,
//                  creation, createDeviceObjects, createVolatileObjects
//   shut-down:     releaseVolatileObjects, destroyDeviceObjects, release, shutdownScene
//
// A derived application overrides the scene callbacks and handleMessage (handling its own
// messages, then returning Application3D::handleMessage with the same arguments), and may
// change the defaults in its constructor. There is one object per process.
#pragma once

#include <cstdint>

#include "app/adapter_table.h"
#include "app/error_messages.h"
#include "gfx/device.h"
#include "platform/cursor.h"
#include "platform/messages.h"
#include "platform/window.h"

using InstanceHandle = void*;

constexpr std::size_t kDeviceTextLength = 90;
constexpr std::size_t kRateTextLength = 64;

class Application3D {
public:
    // Sets the defaults and becomes the process's application (see current()).
    Application3D();
    Application3D(const Application3D&) = delete;
    Application3D& operator=(const Application3D&) = delete;

    // ---- Scene callbacks: the frame's versions do nothing and succeed, except
    // applyWindowStyle, which sets the window style for the mode about to be used.

    // Windowed: savedStyle; full-screen: a popup without caption or menu bar.
    virtual ResultCode applyWindowStyle();
    // Accepts (success) or refuses (failure) a device, behaviour and format during enumeration.
    virtual ResultCode acceptDevice(const D3DCAPS8& caps, DWORD behaviorFlags, D3DFORMAT format);
    // Once, after the window exists and before any device exists.
    virtual ResultCode initScene();
    // After a device has been created.
    virtual ResultCode createDeviceObjects();
    // After createDeviceObjects and after every device reset.
    virtual ResultCode createVolatileObjects();
    // Advances the scene by one frame; appTime and frameDelta are set.
    virtual ResultCode advanceScene();
    // Draws the frame (BeginScene and EndScene are the callback's own).
    virtual ResultCode drawScene();
    // Before every device reset and before the device is released.
    virtual ResultCode releaseVolatileObjects();
    // After releaseVolatileObjects, before the device is released.
    virtual ResultCode destroyDeviceObjects();
    // Once, at the end.
    virtual ResultCode shutdownScene();

    // ---- The frame.

    // Creates the Direct3D object, enumerates devices, creates the (hidden) window, runs
    // initScene, starts the device and the clock. A failure has been shown as a fatal box.
    virtual ResultCode createApp(InstanceHandle instance);
    // Runs the message loop until the quit message; returns its exit code.
    virtual int runLoop();
    // The frame's message handling: sizing, pausing around menus, closing, device commands.
    virtual MessageResult handleMessage(WindowHandle window, std::uint32_t message,
                                        MessageParam wParam, MessageLong lParam);
    // Counted pause: the clock stops at the first pause and restarts when the last one ends
    // (and no window move or resize holds it).
    virtual void setPaused(bool pause);

    virtual ~Application3D();

    // One pass of the loop: tests the device, advances, draws, measures and presents.
    ResultCode frameStep();
    // Releases the device and its objects (if any), then runs shutdownScene.
    ResultCode releaseAll3D();

    // Fills the adapter table from direct3D and chooses the starting device.
    ResultCode enumerateDevices();
    // Finds a depth-stencil format with depthBitsWanted and stencilBitsWanted for the device.
    bool pickDepthStencilFormat(std::uint32_t adapter, D3DDEVTYPE type, D3DFORMAT format,
                                D3DFORMAT* depthStencilFormat);
    // Creates the device for the current adapter, device and mode, with its scene objects.
    ResultCode startDevice();
    // Resets the device with presentParams, rebuilding the volatile objects around it.
    ResultCode resetDevice();
    // Switches between windowed and full-screen rendering.
    ResultCode switchFullscreen();
    // Moves to the first device that can render in a window and starts it windowed.
    ResultCode fallBackToWindowed();
    // Makes cursor's image the device's cursor.
    ResultCode makeDeviceCursor(IDirect3DDevice8* targetDevice, CursorHandle cursor);
    // Lets the user pick another adapter, device or mode and starts the chosen device.
    ResultCode chooseDevice();

    // The process's application object (nullptr when none exists).
    static Application3D* current();

    // ---- Fields, in their designed order. The game reads appTime, framesPerSecond, device
    // and mainWindow.
    AdapterEntry adapters[kMaxAdapters];
    std::uint32_t adapterCount = 0;
    std::uint32_t currentAdapter = 0;
    bool inWindow = true;
    bool isActive = false;
    bool canRender = false;
    D3DPRESENT_PARAMETERS presentParams{};
    WindowHandle mainWindow = nullptr;
    WindowHandle focusWindow = nullptr;
    IDirect3D8* direct3D = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DCAPS8 deviceCaps{};
    D3DSURFACE_DESC backBufferDesc{};
    DWORD behaviorFlags = 0;
    std::uint32_t savedStyle = 0;
    WindowRect savedBounds;
    WindowRect clientArea;
    float appTime = 0.0f;
    float frameDelta = 0.0f;
    float framesPerSecond = 0.0f;
    char deviceText[kDeviceTextLength] = {};
    char rateText[kRateTextLength] = {};
    const char* caption = "D3D8 Application";
    bool wantDepthBuffer = false;
    std::uint32_t depthBitsWanted = 16;
    std::uint32_t stencilBitsWanted = 0;
    std::uint32_t initialWidth = 400;
    std::uint32_t initialHeight = 300;
    bool cursorInFullscreen = false;

    // The device in use and its chosen mode.
    DeviceEntry& currentDeviceEntry();
    ModeEntry& currentModeEntry();

private:
    ResultCode createMainWindow(InstanceHandle instance);
    ResultCode failCreateApp(ResultCode code);
    void presentFrame();
    void measureFrameRate();
    void writeRateText();
    void writeDeviceText(const DeviceEntry& deviceEntry, DWORD flags);
    void fillPresentParams(const DeviceEntry& deviceEntry, const ModeEntry& mode);
    void fillPresentSizeAndFormat(const ModeEntry& mode);
    void readBackBufferDesc();
    void showDeviceCursor();
    ResultCode releaseDevice();
    ResultCode retryOnReferenceDevice(ResultCode failure, D3DDEVTYPE failedType);
    void handleExitSizeMove();
    void handleSize(MessageParam kind);
    void holdClock(bool hold);
    void restartRateMeasurement();
    void reportFailedSwitch();
    void enumerateAdapter(std::uint32_t ordinal);
    bool chooseBehavior(const D3DCAPS8& caps, D3DFORMAT format, DWORD* flags);
    ResultCode chooseStartingDevice();
    ResultCode referenceWarning() const;

    // Process-wide in design; kept here because there is one application per process.
    int pauseCount = 0;
    int clockHolds = 0;           // a pause and a window move or resize each hold the clock
    bool deviceDialogUp = false;  // the device dialog runs over the window
    std::uint32_t framesSinceRate = 0;
    float lastRateTime = 0.0f;
    // Found during enumeration; decide the warning when only the reference device is usable.
    bool halPresent = false;
    bool halModePresent = false;
    bool halWindowed = false;
    bool halDesktopWindowed = false;
};

// The window procedure of the main window: hands every message to the application's
// handleMessage and returns its result.
MessageResult windowProcedure(WindowHandle window, std::uint32_t message, MessageParam wParam,
                              MessageLong lParam);

// How createApp makes the Direct3D object (Direct3DCreate8 unless replaced). Tests install a
// maker that returns an object over a supplied adapter list. nullptr puts the default back;
// returns the maker in force before.
using Direct3DMaker = IDirect3D8* (*)(UINT sdkVersion);
Direct3DMaker setDirect3DMaker(Direct3DMaker maker);
