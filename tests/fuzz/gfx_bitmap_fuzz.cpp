// Any bytes as a bitmap file, through the texture loader: no crash, no read or write out of
// bounds, no leak; a texture only on success, then of a size the device allows, with its full
// mip chain, every level lockable; nothing on failure.
#include <cstddef>
#include <cstdint>

#include "gfx/d3dx.h"
#include "gfx/resource.h"
#include "tests/fuzz/memory_device.h"
#include "tests/fuzz/scratch_file.h"

namespace {

// Small enough that the largest texture (and SDL's copies of it) fits the fuzzer's memory.
constexpr UINT kMaxTextureSide = 4096;

bool levelsAreSound(IDirect3DTexture8* texture) {
    D3DSURFACE_DESC top{};
    if (FAILED(texture->GetLevelDesc(0, &top)) || top.Width == 0 || top.Height == 0 ||
        top.Width > kMaxTextureSide || top.Height > kMaxTextureSide ||
        texture->GetLevelCount() != fullMipCount(top.Width, top.Height)) {
        return false;
    }
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DLOCKED_RECT locked{};
        if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)) ||
            FAILED(texture->UnlockRect(level))) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFile file(".bmp");
    if (!file.write(data, size)) {
        return 0;
    }
    auto* device = new MemoryDevice(kMaxTextureSide);
    IDirect3DTexture8* texture = nullptr;
    const HRESULT result = D3DXCreateTextureFromFileA(device, file.name().c_str(), &texture);
    if (SUCCEEDED(result) != (texture != nullptr)) {
        __builtin_trap();
    }
    if (texture != nullptr) {
        if (!levelsAreSound(texture) || texture->Release() != 0) {
            __builtin_trap();
        }
    }
    if (device->Release() != 0) {
        __builtin_trap();
    }
    return 0;
}
