#include "gfx/bitmap_file.h"

#include <bit>

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kOs2InfoHeaderBytes = 12;
constexpr std::uint32_t kWindowsInfoHeaderBytes = 40;
// Headers from this size on hold the colour masks themselves, from the next also alpha's.
constexpr std::uint32_t kInfoHeaderWithColourMasks = 52;
constexpr std::uint32_t kInfoHeaderWithAlphaMask = 56;
constexpr std::size_t kMaskBytes = 4;

constexpr std::uint32_t kMasks555[kBitmapChannels] = {0x7C00, 0x03E0, 0x001F, 0};
constexpr std::uint32_t kMasks888[kBitmapChannels] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};

std::uint32_t little(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

// Reads `count` masks from `at` on, or fails when the head ends first.
bool readMasks(std::span<const std::uint8_t> head, std::size_t at, int count,
               BitmapHeader& header) {
    if (at + count * kMaskBytes > head.size()) {
        return false;
    }
    for (int channel = 0; channel < count; ++channel) {
        header.masks[channel] = little(head.data() + at + channel * kMaskBytes, 4);
    }
    return true;
}

// The masks of bit-field pixels stand in the info header when it is large enough for them, and
// right after it otherwise.
bool readFileMasks(std::span<const std::uint8_t> head, std::uint32_t infoBytes,
                   BitmapHeader& header) {
    const std::size_t inHeader = kFileHeaderBytes + kWindowsInfoHeaderBytes;
    const std::size_t afterHeader = kFileHeaderBytes + infoBytes;
    const int wanted = header.compression == kBitmapAlphaBitFields ? 4 : 3;
    if (infoBytes >= kInfoHeaderWithAlphaMask) {
        return readMasks(head, inHeader, 4, header);
    }
    if (infoBytes >= kInfoHeaderWithColourMasks) {
        return readMasks(head, inHeader, 3, header) &&
               (wanted == 3 || readMasks(head, afterHeader, 1, header));
    }
    return readMasks(head, afterHeader, wanted, header);
}

void setFixedMasks(BitmapHeader& header) {
    const std::uint32_t(&fixed)[kBitmapChannels] =
        header.bitsPerPixel == 16 ? kMasks555 : kMasks888;
    for (int channel = 0; channel < kBitmapChannels; ++channel) {
        header.masks[channel] = fixed[channel];
    }
}

// A mask is sound when it is empty or one run of bits inside the pixel.
bool isOneRun(std::uint32_t mask, std::uint32_t bitsPerPixel) {
    if (mask == 0) {
        return true;
    }
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    const bool insidePixel = bitsPerPixel == 32 || (mask >> bitsPerPixel) == 0;
    return insidePixel && (shifted & (shifted + 1)) == 0;
}

bool masksAreSound(const BitmapHeader& header) {
    std::uint32_t taken = 0;
    for (std::uint32_t mask : header.masks) {
        if (!isOneRun(mask, header.bitsPerPixel) || (taken & mask) != 0) {
            return false;
        }
        taken |= mask;
    }
    return true;
}

// One channel of a pixel scaled to 0..255; full when its mask is empty (opaque alpha).
std::uint32_t channelValue(std::uint32_t pixel, std::uint32_t mask, std::uint32_t empty) {
    if (mask == 0) {
        return empty;
    }
    const int shift = std::countr_zero(mask);
    const std::uint64_t largest = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint32_t>((value * 255 + largest / 2) / largest);
}

bool sameMasks(const BitmapHeader& header, std::uint32_t red, std::uint32_t green,
               std::uint32_t blue, std::uint32_t alpha) {
    return header.masks[kRedMask] == red && header.masks[kGreenMask] == green &&
           header.masks[kBlueMask] == blue && header.masks[kAlphaMask] == alpha;
}

}  // namespace

std::optional<BitmapHeader> readBitmapHeader(std::span<const std::uint8_t> head) {
    if (head.size() < kFileHeaderBytes + kOs2InfoHeaderBytes || head[0] != 'B' || head[1] != 'M') {
        return std::nullopt;
    }
    const std::uint8_t* info = head.data() + kFileHeaderBytes;
    BitmapHeader header;
    header.pixelOffset = little(head.data() + 10, 4);
    const std::uint32_t infoBytes = little(info, 4);
    if (infoBytes == kOs2InfoHeaderBytes) {
        header.width = little(info + 4, 2);
        header.height = little(info + 6, 2);
        header.bitsPerPixel = little(info + 10, 2);
        return header;
    }
    if (infoBytes < kWindowsInfoHeaderBytes ||
        head.size() < kFileHeaderBytes + kWindowsInfoHeaderBytes) {
        return std::nullopt;
    }
    header.width = static_cast<std::int32_t>(little(info + 4, 4));
    const auto rows = static_cast<std::int32_t>(little(info + 8, 4));
    header.topDown = rows < 0;
    header.height = rows < 0 ? -std::int64_t{rows} : rows;
    header.bitsPerPixel = little(info + 14, 2);
    header.compression = little(info + 16, 4);
    if (header.compression == kBitmapBitFields || header.compression == kBitmapAlphaBitFields) {
        if (!readFileMasks(head, infoBytes, header)) {
            return std::nullopt;
        }
    } else if (header.compression == kBitmapUncompressed &&
               (header.bitsPerPixel == 16 || header.bitsPerPixel == 32)) {
        setFixedMasks(header);
    }
    return header;
}

bool isBitFieldBitmap(const BitmapHeader& header) {
    const bool stored = header.compression == kBitmapUncompressed ||
                        header.compression == kBitmapBitFields ||
                        header.compression == kBitmapAlphaBitFields;
    return stored && (header.bitsPerPixel == 16 || header.bitsPerPixel == 32);
}

std::optional<FrameImage> decodeBitFieldBitmap(const BitmapHeader& header,
                                               std::span<const std::uint8_t> pixels) {
    if (!isBitFieldBitmap(header) || !masksAreSound(header) || header.width <= 0 ||
        header.height <= 0) {
        return std::nullopt;
    }
    const std::uint64_t pixelBytes = header.bitsPerPixel / 8;
    const std::uint64_t width = static_cast<std::uint64_t>(header.width);
    const std::uint64_t height = static_cast<std::uint64_t>(header.height);
    const std::uint64_t rowBytes = (width * pixelBytes + 3) / 4 * 4;
    // The last row's padding may be missing.
    if (pixels.size() < rowBytes * (height - 1) + width * pixelBytes) {
        return std::nullopt;
    }
    FrameImage image;
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    image.pixels.resize(width * height);
    for (std::uint64_t y = 0; y < height; ++y) {
        const std::uint64_t storedRow = header.topDown ? y : height - 1 - y;
        const std::uint8_t* row = pixels.data() + storedRow * rowBytes;
        for (std::uint64_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = little(row + x * pixelBytes, static_cast<int>(pixelBytes));
            image.pixels[y * width + x] = channelValue(pixel, header.masks[kAlphaMask], 0xFF)
                                              << 24 |
                                          channelValue(pixel, header.masks[kRedMask], 0) << 16 |
                                          channelValue(pixel, header.masks[kGreenMask], 0) << 8 |
                                          channelValue(pixel, header.masks[kBlueMask], 0);
        }
    }
    return image;
}

D3DFORMAT bitFieldTextureFormat(const BitmapHeader& header) {
    if (header.bitsPerPixel == 16) {
        if (sameMasks(header, 0xF800, 0x07E0, 0x001F, 0)) {
            return D3DFMT_R5G6B5;
        }
        if (sameMasks(header, 0x7C00, 0x03E0, 0x001F, 0)) {
            return D3DFMT_X1R5G5B5;
        }
        if (sameMasks(header, 0x7C00, 0x03E0, 0x001F, 0x8000)) {
            return D3DFMT_A1R5G5B5;
        }
        if (sameMasks(header, 0x0F00, 0x00F0, 0x000F, 0xF000)) {
            return D3DFMT_A4R4G4B4;
        }
        if (sameMasks(header, 0x0F00, 0x00F0, 0x000F, 0)) {
            return D3DFMT_X4R4G4B4;
        }
    }
    return header.masks[kAlphaMask] != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}
