// The game's icon: a falling violet T above a part-filled row of cells on a dark rounded
// tile. Drawn from one description as the window's picture (Graphics/icon.bmp), as PNG
// pictures at the desktop's usual sizes and as a scalable SVG drawing.
#include <png.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "tools/mediagen/graphics/bitmap.h"
#include "tools/mediagen/media_parts.h"

namespace mediagen {

namespace {

constexpr const char* kIconName = "org.kolvane.Kolvane";
constexpr int kWindowIconSize = 64;
constexpr std::array<int, 8> kDesktopIconSizes = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kSamplesPerSide = 4;

// The drawing in a unit square, y downwards.
constexpr float kTileInset = 0.03f;
constexpr float kTileCorner = 0.18f;
constexpr float kGridLeft = 0.14f;
constexpr float kCellStep = 0.18f;
constexpr float kCellGap = 0.016f;
constexpr float kCellCorner = 0.03f;
constexpr float kBevel = 0.035f;

struct IconCell {
    int column, row;
    unsigned colour;
};

constexpr std::array<IconCell, 10> kIconCells = {{
    {0, 0, 0x8e24aa},
    {1, 0, 0x8e24aa},
    {2, 0, 0x8e24aa},
    {1, 1, 0x8e24aa},  // the falling T
    {0, 2, 0x43a047},
    {3, 2, 0x00acc1},  // the settled cells
    {0, 3, 0xe53935},
    {1, 3, 0xfb8c00},
    {2, 3, 0xfdd835},
    {3, 3, 0x1e88e5},
}};
constexpr unsigned kTileTop = 0x27305f;
constexpr unsigned kTileBottom = 0x11162f;

struct Sample {
    Rgb colour;
    float alpha = 0.0f;
};

bool insideRoundedSquare(float x, float y, float left, float top, float side, float corner) {
    const float cx = std::clamp(x, left + corner, left + side - corner);
    const float cy = std::clamp(y, top + corner, top + side - corner);
    const float dx = x - cx;
    const float dy = y - cy;
    return x >= left && y >= top && x <= left + side && y <= top + side &&
           dx * dx + dy * dy <= corner * corner;
}

float cellLeft(int column) {
    return kGridLeft + column * kCellStep + kCellGap * 0.5f;
}

// A cell lit from the top left: a light rim there, a dark one bottom right.
Rgb cellShade(unsigned colour, float x, float y, float left, float top) {
    const float side = kCellStep - kCellGap;
    const Rgb base = hex(colour);
    if (x - left < kBevel || y - top < kBevel) {
        return mix(base, Rgb{1, 1, 1}, 0.4f);
    }
    if (left + side - x < kBevel || top + side - y < kBevel) {
        return base * 0.6f;
    }
    return base;
}

Sample iconSample(float x, float y) {
    const float side = kCellStep - kCellGap;
    for (const IconCell& cell : kIconCells) {
        const float left = cellLeft(cell.column);
        const float top = cellLeft(cell.row);
        if (insideRoundedSquare(x, y, left, top, side, kCellCorner)) {
            return {cellShade(cell.colour, x, y, left, top), 1.0f};
        }
    }
    if (insideRoundedSquare(x, y, kTileInset, kTileInset, 1 - 2 * kTileInset, kTileCorner)) {
        return {mix(hex(kTileTop), hex(kTileBottom), y), 1.0f};
    }
    return {};
}

// The icon at size x size pixels, each pixel the average of a grid of samples.
std::vector<unsigned char> iconPixels(int size) {
    std::vector<unsigned char> rgba(std::size_t(size) * size * 4);
    const float samples = kSamplesPerSide * kSamplesPerSide;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Rgb sum{};
            float coverage = 0;
            for (int s = 0; s < kSamplesPerSide * kSamplesPerSide; ++s) {
                const float x = (px + (s % kSamplesPerSide + 0.5f) / kSamplesPerSide) / size;
                const float y = (py + (s / kSamplesPerSide + 0.5f) / kSamplesPerSide) / size;
                const Sample sample = iconSample(x, y);
                sum = sum + sample.colour * sample.alpha;
                coverage += sample.alpha;
            }
            const Rgb colour = coverage > 0 ? sum * (1.0f / coverage) : Rgb{};
            unsigned char* out = &rgba[(std::size_t(py) * size + px) * 4];
            out[0] = channelByte(colour.r);
            out[1] = channelByte(colour.g);
            out[2] = channelByte(colour.b);
            out[3] = channelByte(coverage / samples);
        }
    }
    return rgba;
}

bool writePng(const std::vector<unsigned char>& rgba, int size, const std::filesystem::path& file) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(file.c_str(), "wb"),
                                                        std::fclose);
    if (!out) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out.get());
    png_set_IHDR(png, info, size, size, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < size; ++y) {
        png_write_row(png, &rgba[std::size_t(y) * size * 4]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out.release()) == 0;
}

std::string svgColour(unsigned colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", colour & 0xffffffu);
    return text;
}

std::string svgNumber(float value) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", value * 256.0f);
    return text;
}

// The same drawing on a 256-unit canvas: the tile, then each cell with its two rims.
std::string iconSvg() {
    const float side = kCellStep - kCellGap;
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n"
        "  <defs><linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
        "<stop offset=\"0\" stop-color=\"" +
        svgColour(kTileTop) + "\"/><stop offset=\"1\" stop-color=\"" + svgColour(kTileBottom) +
        "\"/></linearGradient></defs>\n" + "  <rect x=\"" + svgNumber(kTileInset) + "\" y=\"" +
        svgNumber(kTileInset) + "\" width=\"" + svgNumber(1 - 2 * kTileInset) + "\" height=\"" +
        svgNumber(1 - 2 * kTileInset) + "\" rx=\"" + svgNumber(kTileCorner) +
        "\" fill=\"url(#tile)\"/>\n";
    for (const IconCell& cell : kIconCells) {
        const Rgb base = hex(cell.colour);
        const Rgb light = mix(base, Rgb{1, 1, 1}, 0.4f);
        const Rgb dark = base * 0.6f;
        const auto packed = [](Rgb c) {
            return (unsigned(channelByte(c.r)) << 16) | (unsigned(channelByte(c.g)) << 8) |
                   channelByte(c.b);
        };
        const std::string x = svgNumber(cellLeft(cell.column));
        const std::string y = svgNumber(cellLeft(cell.row));
        const std::string s = svgNumber(side);
        const std::string inner = svgNumber(side - kBevel);
        const std::string rim = svgNumber(kBevel);
        svg += "  <g transform=\"translate(" + x + " " + y + ")\">";
        svg += "<rect width=\"" + s + "\" height=\"" + s + "\" rx=\"" + svgNumber(kCellCorner) +
               "\" fill=\"" + svgColour(packed(dark)) + "\"/>";
        svg += "<rect width=\"" + inner + "\" height=\"" + inner + "\" rx=\"" +
               svgNumber(kCellCorner) + "\" fill=\"" + svgColour(packed(light)) + "\"/>";
        svg += "<rect x=\"" + rim + "\" y=\"" + rim + "\" width=\"" + svgNumber(side - 2 * kBevel) +
               "\" height=\"" + svgNumber(side - 2 * kBevel) + "\" fill=\"" +
               svgColour(cell.colour) + "\"/></g>\n";
    }
    return svg + "</svg>\n";
}

bool writeTextFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

}  // namespace

bool writeWindowIcon(const std::filesystem::path& runDir) {
    const std::filesystem::path file = runDir / "Graphics" / "icon.bmp";
    if (!writeBmp32(iconPixels(kWindowIconSize), kWindowIconSize, kWindowIconSize, file)) {
        std::fprintf(stderr, "mediagen: cannot write %s\n", file.c_str());
        return false;
    }
    return true;
}

bool writeDesktopIcons(const std::filesystem::path& iconDir) {
    bool ok = true;
    std::error_code error;
    for (const int size : kDesktopIconSizes) {
        const std::filesystem::path folder =
            iconDir / "hicolor" / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        std::filesystem::create_directories(folder, error);
        const std::filesystem::path file = folder / (std::string(kIconName) + ".png");
        if (!writePng(iconPixels(size), size, file)) {
            std::fprintf(stderr, "mediagen: cannot write %s\n", file.c_str());
            ok = false;
        }
    }
    const std::filesystem::path scalable = iconDir / "hicolor" / "scalable" / "apps";
    std::filesystem::create_directories(scalable, error);
    const std::filesystem::path svgFile = scalable / (std::string(kIconName) + ".svg");
    if (!writeTextFile(svgFile, iconSvg())) {
        std::fprintf(stderr, "mediagen: cannot write %s\n", svgFile.c_str());
        ok = false;
    }
    return ok;
}

}  // namespace mediagen
