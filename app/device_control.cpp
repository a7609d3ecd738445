// Creating, resetting and replacing the device, switching between windowed and full-screen
// rendering, and the device cursor.
#include <cstdio>
#include <cstring>

#include "app/application.h"

namespace {

const char* vertexProcessingText(D3DDEVTYPE type, DWORD flags) {
    const bool hardwareDevice = type == D3DDEVTYPE_HAL;
    if ((flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0 && (flags & D3DCREATE_PUREDEVICE) != 0) {
        return hardwareDevice ? " (pure hw vp)" : " (simulated pure hw vp)";
    }
    if ((flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0) {
        return hardwareDevice ? " (hw vp)" : " (simulated hw vp)";
    }
    if ((flags & D3DCREATE_MIXED_VERTEXPROCESSING) != 0) {
        return hardwareDevice ? " (mixed vp)" : " (simulated mixed vp)";
    }
    if ((flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0) {
        return " (sw vp)";
    }
    return "";
}

// A cursor bitmap's row counted from the top, in a bottom-up bitmap of height rows.
const std::uint32_t* rowFromTop(const std::vector<std::uint32_t>& pixels, int width, int height,
                                int rowFromTheTop) {
    return pixels.data() + static_cast<std::size_t>(height - 1 - rowFromTheTop) * width;
}

// Appends as much of addition as fits, keeping text terminated.
void appendText(char* text, std::size_t capacity, const char* addition) {
    std::size_t used = std::strlen(text);
    while (*addition != '\0' && used + 1 < capacity) {
        text[used++] = *addition++;
    }
    text[used] = '\0';
}

}  // namespace

void Application3D::writeDeviceText(const DeviceEntry& deviceEntry, DWORD flags) {
    const bool hardwareDevice = deviceEntry.deviceType == D3DDEVTYPE_HAL;
    deviceText[0] = '\0';
    appendText(deviceText, sizeof deviceText, deviceTypeName(deviceEntry.deviceType));
    appendText(deviceText, sizeof deviceText, vertexProcessingText(deviceEntry.deviceType, flags));
    if (hardwareDevice) {
        appendText(deviceText, sizeof deviceText, ": ");
        appendText(deviceText, sizeof deviceText, adapters[currentAdapter].identifier.Description);
    }
}

void Application3D::fillPresentSizeAndFormat(const ModeEntry& mode) {
    if (inWindow) {
        presentParams.BackBufferWidth = static_cast<UINT>(clientArea.width());
        presentParams.BackBufferHeight = static_cast<UINT>(clientArea.height());
        presentParams.BackBufferFormat = adapters[currentAdapter].desktopMode.Format;
    } else {
        presentParams.BackBufferWidth = mode.width;
        presentParams.BackBufferHeight = mode.height;
        presentParams.BackBufferFormat = mode.format;
    }
}

void Application3D::fillPresentParams(const DeviceEntry& deviceEntry, const ModeEntry& mode) {
    presentParams = D3DPRESENT_PARAMETERS{};
    presentParams.Windowed = deviceEntry.windowed ? TRUE : FALSE;
    presentParams.BackBufferCount = 1;
    presentParams.MultiSampleType = deviceEntry.multiSampleType;
    presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParams.EnableAutoDepthStencil = wantDepthBuffer ? TRUE : FALSE;
    presentParams.hDeviceWindow = mainWindow;
    presentParams.AutoDepthStencilFormat = mode.depthStencilFormat;
    fillPresentSizeAndFormat(mode);
}

void Application3D::readBackBufferDesc() {
    IDirect3DSurface8* backBuffer = nullptr;
    if (SUCCEEDED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) {
        backBuffer->GetDesc(&backBufferDesc);
        backBuffer->Release();
    }
}

void Application3D::showDeviceCursor() {
    if (cursorInFullscreen && !inWindow) {
        makeDeviceCursor(device, arrowCursor());
        device->ShowCursor(TRUE);
    }
}

ResultCode Application3D::releaseDevice() {
    if (device == nullptr) {
        return kResultOk;
    }
    const ULONG remaining = device->Release();
    device = nullptr;
    windowGraphicsChanged(mainWindow);
    return remaining > 0 ? kErrorNonZeroRefCount : kResultOk;
}

ResultCode Application3D::startDevice() {
    AdapterEntry& adapter = adapters[currentAdapter];
    DeviceEntry& deviceEntry = adapter.devices[adapter.currentDevice];
    const ModeEntry& mode = deviceEntry.modes[deviceEntry.currentMode];

    applyWindowStyle();
    fillPresentParams(deviceEntry, mode);
    ResultCode result = direct3D->CreateDevice(adapter.ordinal, deviceEntry.deviceType, focusWindow,
                                               mode.behaviorFlags, &presentParams, &device);
    if (SUCCEEDED(result)) {
        windowGraphicsChanged(mainWindow);
        device->GetDeviceCaps(&deviceCaps);
        behaviorFlags = mode.behaviorFlags;
        writeDeviceText(deviceEntry, mode.behaviorFlags);
        readBackBufferDesc();
        showDeviceCursor();
        result = createDeviceObjects();
        if (SUCCEEDED(result)) {
            result = createVolatileObjects();
        }
        if (SUCCEEDED(result)) {
            isActive = true;
            return kResultOk;
        }
        releaseVolatileObjects();
        destroyDeviceObjects();
        releaseDevice();
    }
    return retryOnReferenceDevice(result, deviceEntry.deviceType);
}

ResultCode Application3D::retryOnReferenceDevice(ResultCode failure, D3DDEVTYPE failedType) {
    // The reference device is the last resort: when it fails itself there is nothing to retry.
    if (failedType == D3DDEVTYPE_REF) {
        return failure;
    }
    if (failedType == D3DDEVTYPE_HAL) {
        showError(failure, ErrorKind::SwitchToReference);
    }
    currentAdapter = 0;
    AdapterEntry& adapter = adapters[0];
    for (std::uint32_t d = 0; d < adapter.deviceCount; ++d) {
        if (adapter.devices[d].deviceType == D3DDEVTYPE_REF) {
            adapter.currentDevice = d;
            inWindow = adapter.devices[d].windowed;
            break;
        }
    }
    if (adapter.devices[adapter.currentDevice].deviceType == D3DDEVTYPE_REF) {
        return startDevice();
    }
    return failure;
}

ResultCode Application3D::resetDevice() {
    if (device == nullptr) {
        return kErrorGeneric;
    }
    ResultCode result = releaseVolatileObjects();
    if (FAILED(result)) {
        return result;
    }
    result = device->Reset(&presentParams);
    if (FAILED(result)) {
        return result;
    }
    readBackBufferDesc();
    showDeviceCursor();
    return createVolatileObjects();
}

ResultCode Application3D::switchFullscreen() {
    DeviceEntry& deviceEntry = currentDeviceEntry();
    if (!inWindow && !deviceEntry.windowCapable) {
        return fallBackToWindowed();
    }
    canRender = false;
    inWindow = !inWindow;
    deviceEntry.windowed = inWindow;
    applyWindowStyle();

    const ModeEntry& mode = currentModeEntry();
    presentParams.Windowed = inWindow ? TRUE : FALSE;
    presentParams.MultiSampleType = deviceEntry.multiSampleType;
    presentParams.hDeviceWindow = mainWindow;
    presentParams.AutoDepthStencilFormat = mode.depthStencilFormat;
    fillPresentSizeAndFormat(mode);

    if (FAILED(resetDevice())) {
        return inWindow ? fallBackToWindowed() : kErrorGeneric;
    }
    if (inWindow) {
        setWindowBounds(mainWindow, savedBounds);
        showWindow(mainWindow);
    }
    canRender = true;
    return kResultOk;
}

ResultCode Application3D::fallBackToWindowed() {
    if (!currentDeviceEntry().windowCapable) {
        bool found = false;
        for (std::uint32_t a = 0; a < adapterCount && !found; ++a) {
            for (std::uint32_t d = 0; d < adapters[a].deviceCount; ++d) {
                if (adapters[a].devices[d].windowCapable) {
                    currentAdapter = a;
                    adapters[a].currentDevice = d;
                    found = true;
                    break;
                }
            }
        }
        if (!found) {
            return kErrorGeneric;
        }
    }
    currentDeviceEntry().windowed = true;
    inWindow = true;
    canRender = false;
    releaseVolatileObjects();
    destroyDeviceObjects();
    if (FAILED(releaseDevice())) {
        return showError(kErrorNonZeroRefCount, ErrorKind::Fatal);
    }
    const ResultCode result = startDevice();
    if (FAILED(result)) {
        return showError(result, ErrorKind::Fatal);
    }
    canRender = true;
    return kResultOk;
}

ResultCode Application3D::makeDeviceCursor(IDirect3DDevice8* targetDevice, CursorHandle cursor) {
    CursorBitmaps bitmaps;
    if (targetDevice == nullptr || !readCursorBitmaps(cursor, bitmaps)) {
        return kErrorGeneric;
    }
    const bool monochrome = bitmaps.colour.empty();
    const int width = bitmaps.maskWidth;
    const int height = monochrome ? bitmaps.maskHeight / 2 : bitmaps.maskHeight;
    if (width <= 0 || height <= 0) {
        return kErrorGeneric;
    }

    IDirect3DSurface8* image = nullptr;
    ResultCode result = targetDevice->CreateImageSurface(
        static_cast<UINT>(width), static_cast<UINT>(height), D3DFMT_A8R8G8B8, &image);
    if (FAILED(result)) {
        return result;
    }
    D3DLOCKED_RECT locked{};
    result = image->LockRect(&locked, nullptr, 0);
    if (SUCCEEDED(result)) {
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* andRow = rowFromTop(bitmaps.mask, width, bitmaps.maskHeight, y);
            const std::uint32_t* colourRow =
                monochrome ? rowFromTop(bitmaps.mask, width, bitmaps.maskHeight, height + y)
                           : rowFromTop(bitmaps.colour, width, height, y);
            auto* target = reinterpret_cast<std::uint32_t*>(
                static_cast<BYTE*>(locked.pBits) + static_cast<std::ptrdiff_t>(y) * locked.Pitch);
            for (int x = 0; x < width; ++x) {
                target[x] = andRow[x] != 0 ? 0u : (colourRow[x] | 0xFF000000u);
            }
        }
        image->UnlockRect();
        result = targetDevice->SetCursorProperties(static_cast<UINT>(bitmaps.hotX),
                                                   static_cast<UINT>(bitmaps.hotY), image);
    }
    image->Release();
    return result;
}
