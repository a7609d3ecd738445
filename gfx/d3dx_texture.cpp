// Textures from bitmap files, with a full mip chain: pixels in bit fields (16 and 32 bits) through
// our own decoder, every other bitmap (palettes, 24 bits, run-length coding) through SDL's.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gfx/bitmap_file.h"
#include "gfx/d3dx.h"
#include "gfx/file_names.h"
#include "gfx/image.h"
#include "gfx/resource.h"

namespace {

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// The next smaller mip level: each texel the average of the (up to) four it covers.
FrameImage halve(const FrameImage& image) {
    FrameImage half;
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
                  const FrameImage& image) {
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

bool hasTransparency(const FrameImage& image) {
    return std::any_of(image.pixels.begin(), image.pixels.end(),
                       [](std::uint32_t p) { return (p >> 24) != 0xFF; });
}

FrameImage argbOf(SDL_Surface* surface) {
    FrameImage image;
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

// Bytes a bitmap's pixels take when they are stored as they are (the last row's padding may
// be missing); 0 for run-length coded ones, whose size only their decoding tells.
std::int64_t storedPixelBytes(const BitmapHeader& header) {
    if (header.compression != kBitmapUncompressed && header.compression != kBitmapBitFields &&
        header.compression != kBitmapAlphaBitFields) {
        return 0;
    }
    const std::int64_t rowBits = header.width * header.bitsPerPixel;
    const std::int64_t rowBytes = (rowBits + 31) / 32 * 4;
    return rowBytes * (header.height - 1) + (rowBits + 7) / 8;
}

// Whether the bitmap's size is one the device takes and, for pixels stored as they are, one the
// file holds enough bytes for.
bool bitmapFits(const BitmapHeader& header, const D3DCAPS8& caps, std::int64_t fileBytes) {
    if (header.width <= 0 || header.height <= 0 || header.width > caps.MaxTextureWidth ||
        header.height > caps.MaxTextureHeight || header.bitsPerPixel == 0) {
        return false;
    }
    return fileBytes - std::int64_t{header.pixelOffset} >= storedPixelBytes(header);
}

// A bitmap decoded, with the texture format that keeps what it holds.
struct DecodedBitmap {
    FrameImage image;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
};

std::optional<DecodedBitmap> decodeBitFields(SDL_RWops* file, const BitmapHeader& header) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(storedPixelBytes(header)));
    if (SDL_RWseek(file, header.pixelOffset, RW_SEEK_SET) < 0 ||
        SDL_RWread(file, pixels.data(), 1, pixels.size()) != pixels.size()) {
        return std::nullopt;
    }
    std::optional<FrameImage> image = decodeBitFieldBitmap(header, pixels);
    if (!image) {
        return std::nullopt;
    }
    DecodedBitmap decoded{std::move(*image), bitFieldTextureFormat(header)};
    // An alpha channel that every texel leaves opaque is no alpha at all.
    if (decoded.format == D3DFMT_A8R8G8B8 && !hasTransparency(decoded.image)) {
        decoded.format = D3DFMT_X8R8G8B8;
    }
    return decoded;
}

std::optional<DecodedBitmap> decodeWithSdl(SDL_RWops* file) {
    if (SDL_RWseek(file, 0, RW_SEEK_SET) != 0) {
        return std::nullopt;
    }
    const Surface loaded(SDL_LoadBMP_RW(file, 0));
    if (!loaded || loaded->w <= 0 || loaded->h <= 0) {
        return std::nullopt;
    }
    const Surface argb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb) {
        return std::nullopt;
    }
    return DecodedBitmap{argbOf(argb.get()), D3DFMT_X8R8G8B8};
}

// The bitmap decoded, once its header shows a size the device takes; nothing otherwise.
std::optional<DecodedBitmap> loadedBitmap(const std::string& name, const D3DCAPS8& caps) {
    RwFile file(SDL_RWFromFile(name.c_str(), "rb"));
    if (!file) {
        return std::nullopt;
    }
    std::uint8_t head[kBitmapHeadBytes] = {};
    const std::size_t read = SDL_RWread(file.get(), head, 1, sizeof head);
    const std::optional<BitmapHeader> header = readBitmapHeader(std::span(head, read));
    if (!header || !bitmapFits(*header, caps, SDL_RWsize(file.get()))) {
        return std::nullopt;
    }
    std::optional<DecodedBitmap> decoded = isBitFieldBitmap(*header)
                                               ? decodeBitFields(file.get(), *header)
                                               : decodeWithSdl(file.get());
    if (!decoded || decoded->image.width > caps.MaxTextureWidth ||
        decoded->image.height > caps.MaxTextureHeight) {
        return std::nullopt;
    }
    return decoded;
}

}  // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* device, const char* fileName,
                                   IDirect3DTexture8** texture) {
    if (device == nullptr || fileName == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS8 caps{};
    device->GetDeviceCaps(&caps);
    std::optional<DecodedBitmap> decoded = loadedBitmap(hostFileName(fileName), caps);
    if (!decoded) {
        return D3DXERR_INVALIDDATA;
    }
    FrameImage level = std::move(decoded->image);
    const D3DFORMAT format = decoded->format;
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
