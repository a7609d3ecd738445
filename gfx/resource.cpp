#include "gfx/resource.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cstring>

HRESULT LockableMemory::lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    if (data == nullptr || locked_ || offset > bytes_.size()) {
        return D3DERR_INVALIDCALL;
    }
    if (size == 0) {
        size = static_cast<UINT>(bytes_.size() - offset);
    }
    if (size > bytes_.size() - offset) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = true;
    writing_ = (flags & D3DLOCK_READONLY) == 0;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT LockableMemory::unlock() {
    if (!locked_) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = false;
    if (writing_) {
        ++version_;
    }
    return D3D_OK;
}

MemoryVertexBuffer::MemoryVertexBuffer(std::shared_ptr<ResourceTracker> tracker, UINT length,
                                       DWORD usage, DWORD fvf, D3DPOOL pool)
    : TrackedResource(std::move(tracker), pool), memory_(length), usage_(usage), fvf_(fvf) {}

HRESULT MemoryVertexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    return memory_.lock(offset, size, data, flags);
}

HRESULT MemoryVertexBuffer::Unlock() {
    return memory_.unlock();
}

HRESULT MemoryVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = {D3DFMT_VERTEXDATA,
             D3DRTYPE_VERTEXBUFFER,
             usage_,
             pool(),
             static_cast<UINT>(memory_.size()),
             fvf_};
    return D3D_OK;
}

MemoryIndexBuffer::MemoryIndexBuffer(std::shared_ptr<ResourceTracker> tracker, UINT length,
                                     DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : TrackedResource(std::move(tracker), pool), memory_(length), usage_(usage), format_(format) {}

HRESULT MemoryIndexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    return memory_.lock(offset, size, data, flags);
}

HRESULT MemoryIndexBuffer::Unlock() {
    return memory_.unlock();
}

HRESULT MemoryIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = {format_, D3DRTYPE_INDEXBUFFER, usage_, pool(), static_cast<UINT>(memory_.size())};
    return D3D_OK;
}

UINT MemoryIndexBuffer::indexAt(UINT i) const {
    const BYTE* p = memory_.data() + std::size_t{i} * indexSize();
    if (format_ == D3DFMT_INDEX32) {
        std::uint32_t value;
        std::memcpy(&value, p, 4);
        return value;
    }
    std::uint16_t value;
    std::memcpy(&value, p, 2);
    return value;
}

bool isStoredColourFormat(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4:
        case D3DFMT_A8:
        case D3DFMT_L8:
            return true;
        default:
            return false;
    }
}

namespace {

// Widens a value of the given number of bits to 8 bits, so that full scale stays full scale.
std::uint32_t widen(std::uint32_t value, int bits) {
    const std::uint32_t maximum = (1u << bits) - 1;
    return (value * 255 + maximum / 2) / maximum;
}

std::uint32_t narrow(std::uint32_t value8, int bits) {
    const std::uint32_t maximum = (1u << bits) - 1;
    return (value8 * maximum + 127) / 255;
}

std::uint32_t argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace

std::uint32_t readTexel(D3DFORMAT format, const BYTE* row, UINT x) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: {
            std::uint32_t v;
            std::memcpy(&v, row + std::size_t{x} * 4, 4);
            return format == D3DFMT_X8R8G8B8 ? (v | 0xFF000000u) : v;
        }
        case D3DFMT_A8:
            return std::uint32_t{row[x]} << 24;
        case D3DFMT_L8:
            return argb(0xFF, row[x], row[x], row[x]);
        default:
            break;
    }
    std::uint16_t v;
    std::memcpy(&v, row + std::size_t{x} * 2, 2);
    switch (format) {
        case D3DFMT_R5G6B5:
            return argb(0xFF, widen(v >> 11, 5), widen((v >> 5) & 0x3F, 6), widen(v & 0x1F, 5));
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            const std::uint32_t a = format == D3DFMT_X1R5G5B5 || (v & 0x8000) ? 0xFF : 0;
            return argb(a, widen((v >> 10) & 0x1F, 5), widen((v >> 5) & 0x1F, 5),
                        widen(v & 0x1F, 5));
        }
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4: {
            const std::uint32_t a = format == D3DFMT_X4R4G4B4 ? 0xFF : widen(v >> 12, 4);
            return argb(a, widen((v >> 8) & 0xF, 4), widen((v >> 4) & 0xF, 4), widen(v & 0xF, 4));
        }
        default:
            return 0;
    }
}

void writeTexel(D3DFORMAT format, BYTE* row, UINT x, std::uint32_t colour) {
    const std::uint32_t a = colour >> 24, r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF,
                        b = colour & 0xFF;
    std::uint16_t v = 0;
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            std::memcpy(row + std::size_t{x} * 4, &colour, 4);
            return;
        case D3DFMT_A8:
            row[x] = static_cast<BYTE>(a);
            return;
        case D3DFMT_L8:
            row[x] = static_cast<BYTE>((r * 77 + g * 150 + b * 29) >> 8);
            return;
        case D3DFMT_R5G6B5:
            v = static_cast<std::uint16_t>((narrow(r, 5) << 11) | (narrow(g, 6) << 5) |
                                           narrow(b, 5));
            break;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            v = static_cast<std::uint16_t>(((a >= 128 ? 1u : 0u) << 15) | (narrow(r, 5) << 10) |
                                           (narrow(g, 5) << 5) | narrow(b, 5));
            break;
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4:
            v = static_cast<std::uint16_t>((narrow(a, 4) << 12) | (narrow(r, 4) << 8) |
                                           (narrow(g, 4) << 4) | narrow(b, 4));
            break;
        default:
            return;
    }
    std::memcpy(row + std::size_t{x} * 2, &v, 2);
}

std::vector<std::uint32_t> PixelLevel::toArgb(D3DFORMAT format) const {
    std::vector<std::uint32_t> out(std::size_t{width} * height);
    for (UINT y = 0; y < height; ++y) {
        const BYTE* row = bytes.data() + std::size_t{y} * pitch;
        for (UINT x = 0; x < width; ++x) {
            out[std::size_t{y} * width + x] = readTexel(format, row, x);
        }
    }
    return out;
}

UINT fullMipCount(UINT width, UINT height) {
    UINT count = 1;
    while (width > 1 || height > 1) {
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
        ++count;
    }
    return count;
}

namespace {

PixelLevel makeLevel(UINT width, UINT height, D3DFORMAT format) {
    PixelLevel level;
    level.width = width;
    level.height = height;
    level.pitch = width * bytesPerTexel(format);
    level.bytes.assign(std::size_t{level.pitch} * height, 0);
    return level;
}

}  // namespace

HRESULT lockPixelLevel(PixelLevel& level, D3DFORMAT format, D3DLOCKED_RECT* locked,
                       const RECT* rect) {
    if (locked == nullptr || level.locked) {
        return D3DERR_INVALIDCALL;
    }
    RECT area{0, 0, static_cast<LONG>(level.width), static_cast<LONG>(level.height)};
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || rect->right > area.right || rect->bottom > area.bottom) {
            return D3DERR_INVALIDCALL;
        }
        area = *rect;
    }
    level.locked = true;
    locked->Pitch = static_cast<INT>(level.pitch);
    locked->pBits = level.bytes.data() + std::size_t(area.top) * level.pitch +
                    std::size_t(area.left) * bytesPerTexel(format);
    return D3D_OK;
}

MemoryTexture::MemoryTexture(std::shared_ptr<ResourceTracker> tracker, UINT width, UINT height,
                             UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : TrackedResource(std::move(tracker), pool), usage_(usage), format_(format) {
    const UINT count = levels == 0 ? fullMipCount(width, height) : levels;
    for (UINT i = 0; i < count; ++i) {
        levels_.push_back(makeLevel(width, height, format));
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
}

bool MemoryTexture::isValid(UINT width, UINT height, UINT levels, D3DFORMAT format, UINT maxSide) {
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
           levels <= fullMipCount(width, height) && isStoredColourFormat(format);
}

DWORD MemoryTexture::GetLevelCount() {
    return levelCount();
}

HRESULT MemoryTexture::GetLevelDesc(UINT index, D3DSURFACE_DESC* desc) {
    if (desc == nullptr || index >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    const PixelLevel& level = levels_[index];
    *desc = {format_,
             D3DRTYPE_SURFACE,
             usage_,
             pool(),
             level.pitch * level.height,
             D3DMULTISAMPLE_NONE,
             level.width,
             level.height};
    return D3D_OK;
}

HRESULT MemoryTexture::LockRect(UINT index, D3DLOCKED_RECT* locked, const RECT* rect,
                                DWORD /*flags*/) {
    if (index >= levels_.size()) {
        return D3DERR_INVALIDCALL;
    }
    takeBackTexels();
    return lockPixelLevel(levels_[index], format_, locked, rect);
}

namespace {

bool freedSinceReturn = false;

}  // namespace

void noteFreedMemory() {
    freedSinceReturn = true;
}

void returnFreedMemory() {
    if (!freedSinceReturn) {
        return;
    }
    freedSinceReturn = false;
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void MemoryTexture::dropTexels() {
    for (const PixelLevel& level : levels_) {
        if (level.locked) {
            return;
        }
    }
    for (PixelLevel& level : levels_) {
        std::vector<BYTE>().swap(level.bytes);
    }
    texelsDropped_ = true;
    noteFreedMemory();
}

void MemoryTexture::takeBackTexels() {
    if (!texelsDropped_) {
        return;
    }
    for (PixelLevel& level : levels_) {
        level.bytes.resize(std::size_t{level.pitch} * level.height);
    }
    texelsDropped_ = false;
    restoreTexels();
}

HRESULT MemoryTexture::UnlockRect(UINT index) {
    if (index >= levels_.size() || !levels_[index].locked) {
        return D3DERR_INVALIDCALL;
    }
    levels_[index].locked = false;
    ++version_;
    return D3D_OK;
}

MemorySurface::MemorySurface(std::shared_ptr<ResourceTracker> tracker, UINT width, UINT height,
                             D3DFORMAT format, DWORD usage, D3DPOOL pool)
    : TrackedResource(std::move(tracker), pool),
      pixels_(makeLevel(width, height, format)),
      usage_(usage),
      format_(format) {}

HRESULT MemorySurface::GetDesc(D3DSURFACE_DESC* desc) {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = {format_,
             D3DRTYPE_SURFACE,
             usage_,
             pool(),
             static_cast<UINT>(pixels_.bytes.size()),
             D3DMULTISAMPLE_NONE,
             pixels_.width,
             pixels_.height};
    return D3D_OK;
}

HRESULT MemorySurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD /*flags*/) {
    return lockPixelLevel(pixels_, format_, locked, rect);
}

HRESULT MemorySurface::UnlockRect() {
    if (!pixels_.locked) {
        return D3DERR_INVALIDCALL;
    }
    pixels_.locked = false;
    return D3D_OK;
}
