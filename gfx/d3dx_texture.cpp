// Textures from bitmap files, through SDL's BMP reader, with a full mip chain.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/d3dx.h"
#include "gfx/file_names.h"
#include "gfx/resource.h"

namespace {

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// The texture format that keeps what the file holds: 16-bit files keep their layout, 32-bit
// files with an alpha channel keep it (when any texel uses it), everything else becomes 32-bit
// without alpha.
D3DFORMAT textureFormatFor(const SDL_PixelFormat& format) {
    if (format.BitsPerPixel == 16) {
        if (format.Amask != 0) {
            return D3DFMT_A1R5G5B5;
        }
        return format.Gmask == 0x07E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
    }
    if (format.BitsPerPixel == 32 && format.Amask != 0) {
        return D3DFMT_A8R8G8B8;
    }
    return D3DFMT_X8R8G8B8;
}

struct ArgbImage {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint32_t> pixels;
};

// The next smaller mip level: each texel the average of the (up to) four it covers.
ArgbImage halve(const ArgbImage& image) {
    ArgbImage half;
    half.width = std::max(1u, image.width / 2);
    half.height = std::max(1u, image.height / 2);
    half.pixels.resize(std::size_t{half.width} * half.height);
    for (UINT y = 0; y < half.height; ++y) {
        for (UINT x = 0; x < half.width; ++x) {
            std::uint32_t sums[4] = {};
            UINT count = 0;
            for (UINT dy = 0; dy < 2; ++dy) {
                for (UINT dx = 0; dx < 2; ++dx) {
                    const UINT sx = std::min(image.width - 1, x * 2 + dx);
                    const UINT sy = std::min(image.height - 1, y * 2 + dy);
                    const std::uint32_t p = image.pixels[std::size_t{sy} * image.width + sx];
                    for (int c = 0; c < 4; ++c) {
                        sums[c] += (p >> (c * 8)) & 0xFF;
                    }
                    ++count;
                }
            }
            std::uint32_t averaged = 0;
            for (int c = 0; c < 4; ++c) {
                averaged |= ((sums[c] + count / 2) / count) << (c * 8);
            }
            half.pixels[std::size_t{y} * half.width + x] = averaged;
        }
    }
    return half;
}

HRESULT fillLevel(IDirect3DTexture8* texture, UINT level, D3DFORMAT format,
                  const ArgbImage& image) {
    D3DLOCKED_RECT locked{};
    const HRESULT lockResult = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(lockResult)) {
        return lockResult;
    }
    for (UINT y = 0; y < image.height; ++y) {
        BYTE* row = static_cast<BYTE*>(locked.pBits) + std::size_t{y} * locked.Pitch;
        for (UINT x = 0; x < image.width; ++x) {
            writeTexel(format, row, x, image.pixels[std::size_t{y} * image.width + x]);
        }
    }
    return texture->UnlockRect(level);
}

bool hasTransparency(const ArgbImage& image) {
    return std::any_of(image.pixels.begin(), image.pixels.end(),
                       [](std::uint32_t p) { return (p >> 24) != 0xFF; });
}

ArgbImage argbOf(SDL_Surface* surface) {
    ArgbImage image;
    image.width = static_cast<UINT>(surface->w);
    image.height = static_cast<UINT>(surface->h);
    image.pixels.resize(std::size_t{image.width} * image.height);
    SDL_LockSurface(surface);
    for (UINT y = 0; y < image.height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(surface->pixels) +
                          std::size_t{y} * static_cast<std::size_t>(surface->pitch);
        std::memcpy(image.pixels.data() + std::size_t{y} * image.width, row,
                    std::size_t{image.width} * 4);
    }
    SDL_UnlockSurface(surface);
    return image;
}

struct RwopsClose {
    void operator()(SDL_RWops* file) const { SDL_RWclose(file); }
};
using RwFile = std::unique_ptr<SDL_RWops, RwopsClose>;

constexpr std::size_t bitmapFileHeaderBytes = 14;
constexpr std::uint32_t os2InfoHeaderBytes = 12;
constexpr std::uint32_t windowsInfoHeaderBytes = 40;
constexpr std::uint32_t uncompressed = 0;
constexpr std::uint32_t bitFields = 3;

// What a bitmap's headers declare, before any pixel is decoded.
struct BitmapHeader {
    std::int64_t width = 0;
    std::int64_t height = 0;  // rows, whichever way they run
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = uncompressed;
    std::uint32_t pixelOffset = 0;
};

std::uint32_t little(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

std::optional<BitmapHeader> bitmapHeader(SDL_RWops* file) {
    std::uint8_t bytes[bitmapFileHeaderBytes + windowsInfoHeaderBytes] = {};
    const std::size_t read = SDL_RWread(file, bytes, 1, sizeof bytes);
    if (read < bitmapFileHeaderBytes + os2InfoHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M') {
        return std::nullopt;
    }
    const std::uint8_t* info = bytes + bitmapFileHeaderBytes;
    BitmapHeader header;
    header.pixelOffset = little(bytes + 10, 4);
    const std::uint32_t infoBytes = little(info, 4);
    if (infoBytes == os2InfoHeaderBytes) {
        header.width = little(info + 4, 2);
        header.height = little(info + 6, 2);
        header.bitsPerPixel = little(info + 10, 2);
    } else if (infoBytes >= windowsInfoHeaderBytes && read == sizeof bytes) {
        header.width = static_cast<std::int32_t>(little(info + 4, 4));
        const auto rows = static_cast<std::int32_t>(little(info + 8, 4));
        header.height = rows < 0 ? -std::int64_t{rows} : rows;
        header.bitsPerPixel = little(info + 14, 2);
        header.compression = little(info + 16, 4);
    } else {
        return std::nullopt;
    }
    return header;
}

// Whether the bitmap's size is one the device takes and, for pixels stored as they are, one the
// file holds enough bytes for (the last row's padding may be missing).
bool bitmapFits(const BitmapHeader& header, const D3DCAPS8& caps, std::int64_t fileBytes) {
    if (header.width <= 0 || header.height <= 0 || header.width > caps.MaxTextureWidth ||
        header.height > caps.MaxTextureHeight) {
        return false;
    }
    if (header.compression != uncompressed && header.compression != bitFields) {
        return true;
    }
    const std::int64_t rowBits = header.width * header.bitsPerPixel;
    const std::int64_t rowBytes = (rowBits + 31) / 32 * 4;
    const std::int64_t needed = rowBytes * (header.height - 1) + (rowBits + 7) / 8;
    return header.bitsPerPixel > 0 && fileBytes - header.pixelOffset >= needed;
}

// The bitmap decoded, once its header shows a size the device takes; nothing otherwise.
Surface loadedBitmap(const std::string& name, const D3DCAPS8& caps) {
    RwFile file(SDL_RWFromFile(name.c_str(), "rb"));
    if (!file) {
        return nullptr;
    }
    const std::optional<BitmapHeader> header = bitmapHeader(file.get());
    if (!header || !bitmapFits(*header, caps, SDL_RWsize(file.get())) ||
        SDL_RWseek(file.get(), 0, RW_SEEK_SET) != 0) {
        return nullptr;
    }
    return Surface(SDL_LoadBMP_RW(file.get(), 0));
}

}  // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* fileName,
                                   IDirect3DTexture8** texture) {
    if (device == nullptr || fileName == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS8 caps{};
    device->GetDeviceCaps(&caps);
    const Surface loaded = loadedBitmap(hostFileName(fileName), caps);
    if (!loaded || loaded->w <= 0 || loaded->h <= 0) {
        return D3DXERR_INVALIDDATA;
    }
    if (static_cast<DWORD>(loaded->w) > caps.MaxTextureWidth ||
        static_cast<DWORD>(loaded->h) > caps.MaxTextureHeight) {
        return D3DXERR_INVALIDDATA;
    }
    const Surface argb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb) {
        return E_OUTOFMEMORY;
    }
    ArgbImage level = argbOf(argb.get());
    D3DFORMAT format = textureFormatFor(*loaded->format);
    if (format == D3DFMT_A8R8G8B8 && !hasTransparency(level)) {
        format = D3DFMT_X8R8G8B8;
    }
    IDirect3DTexture8* created = nullptr;
    const HRESULT made =
        device->CreateTexture(level.width, level.height, 0, 0, format, D3DPOOL_MANAGED, &created);
    if (FAILED(made)) {
        return made;
    }
    const UINT levels = created->GetLevelCount();
    for (UINT i = 0; i < levels; ++i) {
        if (i > 0) {
            level = halve(level);
        }
        const HRESULT filled = fillLevel(created, i, format, level);
        if (FAILED(filled)) {
            created->Release();
            return filled;
        }
    }
    *texture = created;
    return D3D_OK;
}
