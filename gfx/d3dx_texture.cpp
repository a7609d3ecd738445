// Textures from bitmap files, through SDL's BMP reader, with a full mip chain.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>
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

}  // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* fileName,
                                   IDirect3DTexture8** texture) {
    if (device == nullptr || fileName == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const Surface loaded(SDL_LoadBMP(hostFileName(fileName).c_str()));
    if (!loaded || loaded->w <= 0 || loaded->h <= 0) {
        return D3DXERR_INVALIDDATA;
    }
    D3DCAPS8 caps{};
    device->GetDeviceCaps(&caps);
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
