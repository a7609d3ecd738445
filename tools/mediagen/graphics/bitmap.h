// Pictures in floating-point RGB and their 24-bit BMP files.
#pragma once

#include <algorithm>
#include <filesystem>
#include <vector>

namespace mediagen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, float s) {
    return {a.r * s, a.g * s, a.b * s};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb mix(Rgb a, Rgb b, float t) {
    return a + (b - a) * t;
}
inline float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}
// An sRGB colour from 0xRRGGBB.
inline Rgb hex(unsigned value) {
    return {((value >> 16) & 0xff) / 255.0f, ((value >> 8) & 0xff) / 255.0f,
            (value & 0xff) / 255.0f};
}

struct Picture {
    Picture() = default;
    Picture(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    Rgb& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    Rgb at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    // Lays `colour` over the pixel with the given coverage 0..1.
    void blend(int x, int y, Rgb colour, float coverage) {
        if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0)
            return;
        at(x, y) = mix(at(x, y), colour, std::min(coverage, 1.0f));
    }
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
};

// Cuts out the rectangle at (left, top) of the given size.
Picture crop(const Picture& picture, int left, int top, int width, int height);

// Writes an uncompressed bottom-up 24-bit BMP (values clamped to 0..1, rounded); false if
// the file could not be written.
bool writeBmp(const Picture& picture, const std::filesystem::path& file);

// A colour value 0..1 as a byte (clamped, rounded).
unsigned char channelByte(float v);

// Writes a bottom-up 32-bit BMP with an alpha channel from rows of RGBA bytes, top row first;
// false if the file could not be written.
bool writeBmp32(const std::vector<unsigned char>& rgba, int width, int height,
                const std::filesystem::path& file);

}  // namespace mediagen
