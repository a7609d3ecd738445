#include "tools/mediagen/graphics/bitmap.h"

#include <cstdint>
#include <fstream>

namespace mediagen {

namespace {

void put16(std::vector<unsigned char>& out, std::uint16_t v) {
    out.push_back(v & 0xff);
    out.push_back(v >> 8);
}

void put32(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back((v >> (8 * i)) & 0xff);
}

unsigned char channel(float v) {
    return channelByte(v);
}

// The file header and the first 40 bytes of the information header of a bottom-up BMP with
// infoSize bytes of information header and imageSize bytes of pixels.
void putBmpHeaders(std::vector<unsigned char>& out, std::uint32_t infoSize, int width, int height,
                   std::uint16_t bitsPerPixel, std::uint32_t compression, std::uint32_t imageSize) {
    const std::uint32_t headerSize = 14 + infoSize;
    out.reserve(headerSize + imageSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, headerSize + imageSize);
    put32(out, 0);
    put32(out, headerSize);
    put32(out, infoSize);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, bitsPerPixel);
    put32(out, compression);
    put32(out, imageSize);
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
}

}  // namespace

unsigned char channelByte(float v) {
    return static_cast<unsigned char>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
}

bool writeBmp32(const std::vector<unsigned char>& rgba, int width, int height,
                const std::filesystem::path& file) {
    constexpr std::uint32_t kInfoSize = 108;  // the header that carries an alpha mask
    constexpr std::uint32_t kBitFields = 3;
    constexpr std::uint32_t kSrgbSpace = 0x73524742;  // 'sRGB'
    const std::uint32_t imageSize = std::uint32_t(width) * height * 4;
    std::vector<unsigned char> out;
    putBmpHeaders(out, kInfoSize, width, height, 32, kBitFields, imageSize);
    for (const std::uint32_t mask : {0x00ff0000u, 0x0000ff00u, 0x000000ffu, 0xff000000u})
        put32(out, mask);
    put32(out, kSrgbSpace);
    out.insert(out.end(), 36 + 12, 0);  // end points and gamma, unused for sRGB
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &rgba[(std::size_t(y) * width + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    return static_cast<bool>(stream.flush());
}

Picture crop(const Picture& picture, int left, int top, int width, int height) {
    Picture out(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            out.at(x, y) = picture.at(left + x, top + y);
    }
    return out;
}

bool writeBmp(const Picture& picture, const std::filesystem::path& file) {
    const std::uint32_t rowSize = (picture.width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = rowSize * picture.height;
    std::vector<unsigned char> out;
    putBmpHeaders(out, 40, picture.width, picture.height, 24, 0, imageSize);  // uncompressed
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const Rgb c = picture.at(x, y);
            out.push_back(channel(c.b));
            out.push_back(channel(c.g));
            out.push_back(channel(c.r));
        }
        for (std::uint32_t pad = picture.width * 3; pad < rowSize; ++pad)
            out.push_back(0);
    }
    std::ofstream stream(file, std::ios::binary);
    stream.write(reinterpret_cast<const char*>(out.data()),
                 static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(stream);
}

}  // namespace mediagen
