#include "tools/mediagen/graphics/backgrounds.h"

#include <cmath>
#include <functional>

#include "tools/mediagen/graphics/patterns.h"

namespace mediagen {

namespace {

constexpr float kTau = 6.2831853f;

// Paints every pixel of a tile from its position u, v in 0..1.
Picture paintTile(int size, const std::function<Rgb(float, float)>& shade) {
    Picture tile(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            tile.at(x, y) = shade((x + 0.5f) / size, (y + 0.5f) / size);
        }
    }
    return tile;
}

// Brightness of a seamless star field at (u, v): one candidate star per lattice cell.
float starLight(float u, float v, int cells, float density, float sharpness, std::uint32_t seed) {
    const float x = u * cells, y = v * cells;
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    float light = 0;
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            const int wx = ((cx + i) % cells + cells) % cells,
                      wy = ((cy + j) % cells + cells) % cells;
            if (latticeHash(wx, wy, seed) > density)
                continue;
            const float sx = cx + i + latticeHash(wx, wy, seed + 1),
                        sy = cy + j + latticeHash(wx, wy, seed + 2);
            const float brightness = std::pow(latticeHash(wx, wy, seed + 3), 2.5f);
            const float d2 = ((sx - x) * (sx - x) + (sy - y) * (sy - y)) * sharpness;
            light += brightness * std::exp(-d2);
        }
    }
    return light;
}

Rgb nebulaCeiling(float u, float v) {
    const float wx = tiledFractal(u * 3, v * 3, 3, 4, 11),
                wy = tiledFractal(u * 3, v * 3, 3, 4, 12);
    const float cloud = tiledFractal(u * 4 + 0.7f * wx, v * 4 + 0.7f * wy, 4, 6, 13);
    const float hue = tiledFractal(u * 2, v * 2, 2, 3, 14);
    const float density = smoothstep(-0.15f, 0.6f, cloud);
    const Rgb gas = mix(hex(0x5a1a78), hex(0x0f5a78), smoothstep(-0.4f, 0.4f, hue));
    Rgb c =
        hex(0x03030c) + gas * (0.85f * density) + hex(0xff7ac0) * (0.25f * std::pow(density, 4.0f));
    const float stars =
        starLight(u, v, 40, 0.55f, 900.0f, 15) + starLight(u, v, 12, 0.5f, 2500.0f, 16) * 1.5f;
    return c + hex(0xe8f0ff) * std::min(stars, 1.2f);
}

Rgb neonGridFloor(float u, float v) {
    const int lines = 4;
    const float gx = std::fabs(u * lines - std::round(u * lines)) / lines;
    const float gy = std::fabs(v * lines - std::round(v * lines)) / lines;
    const float pixel = 1.0f / 512;
    const auto glow = [&](float d) {
        return std::exp(-(d / (2.2f * pixel)) * (d / (2.2f * pixel))) +
               0.45f * std::exp(-d / (16 * pixel));
    };
    const float haze = 0.5f + 0.5f * tiledFractal(u * 3, v * 3, 3, 4, 21);
    Rgb c = mix(hex(0x07020f), hex(0x1a0630), haze * 0.8f);
    c = c + hex(0x20e8ff) * (0.85f * glow(gx)) + hex(0xff40d0) * (0.7f * glow(gy));
    const float fine =
        std::min(std::fabs(u * 16 - std::round(u * 16)), std::fabs(v * 16 - std::round(v * 16))) /
        16;
    return c + hex(0x4060a0) * (0.25f * std::exp(-(fine / pixel) * (fine / pixel)));
}

float causticWeb(float u, float v, int scale, std::uint32_t seed) {
    const float wx = tiledFractal(u * 2, v * 2, 2, 3, seed + 1),
                wy = tiledFractal(u * 2, v * 2, 2, 3, seed + 2);
    const CellDistances d = tiledCells(u * scale + 0.5f * wx, v * scale + 0.5f * wy, scale, seed);
    const float edge = d.second - d.nearest;
    return std::exp(-(edge / 0.09f) * (edge / 0.09f));
}

Rgb waterCeiling(float u, float v) {
    const float swell = 0.5f + 0.5f * tiledFractal(u * 3, v * 3, 3, 5, 31);
    Rgb c = mix(hex(0x01101f), hex(0x083a58), swell);
    const float light = 0.6f * causticWeb(u, v, 6, 32) + 0.45f * causticWeb(u, v, 9, 33);
    return c + hex(0x5fd0f0) * std::min(light, 1.0f) * 0.5f;
}

Rgb sandFloor(float u, float v) {
    const float warp = tiledFractal(u * 3, v * 3, 3, 4, 41);
    const float ripple = std::sin(kTau * (v * 14 + 1.1f * warp + 0.25f * std::sin(kTau * u * 2)));
    const float crest = 0.5f + 0.5f * ripple;
    Rgb sand = mix(hex(0x2e271a), hex(0x9a8660), std::pow(crest, 1.4f));
    sand = sand * (0.9f + 0.12f * tiledFractal(u * 24, v * 24, 24, 2, 42));
    const float light = causticWeb(u, v, 5, 43);
    return sand * hex(0xb8c8b8) + hex(0x6fd8e8) * (0.08f * light);
}

// Height of the cave roof's lumpy rock, 0..1.
float caveRock(float u, float v) {
    const float wx = tiledFractal(u * 3, v * 3, 3, 3, 55),
                wy = tiledFractal(u * 3, v * 3, 3, 3, 56);
    const CellDistances d = tiledCells(u * 7 + 0.5f * wx, v * 7 + 0.5f * wy, 7, 53);
    const float lump = 1 - smoothstep(0.0f, 0.75f, d.nearest);
    return 0.7f * lump + 0.3f * (0.5f + 0.5f * tiledFractal(u * 8, v * 8, 8, 4, 51));
}

Rgb caveCeiling(float u, float v) {
    constexpr float kStep = 1.0f / 512;
    const float height = caveRock(u, v);
    const float slope = (caveRock(u, v + kStep) - caveRock(u, v - kStep)) / (2 * kStep);
    const float lit = std::clamp(0.4f + 0.08f * slope, 0.0f, 1.0f);
    const float heat = 0.6f + 0.4f * tiledFractal(u * 2, v * 2, 2, 3, 54);
    Rgb c = mix(hex(0x0d0806), hex(0xc8661e), std::pow(lit, 1.5f) * heat) * (0.5f + 0.5f * height);
    const float embers = 4.0f * starLight(u, v, 28, 0.3f, 90.0f, 57) * heat;
    return c + hex(0xff7a20) * std::min(embers, 1.0f);
}

Rgb lavaFloor(float u, float v) {
    const float wx = tiledFractal(u * 3, v * 3, 3, 4, 61),
                wy = tiledFractal(u * 3, v * 3, 3, 4, 62);
    const CellDistances d = tiledCells(u * 7 + 0.6f * wx, v * 7 + 0.6f * wy, 7, 63);
    const float edge = d.second - d.nearest;
    const float warmth = 0.55f + 0.45f * tiledFractal(u * 2, v * 2, 2, 3, 64);
    const float heat = std::clamp(
        (std::exp(-(edge / 0.08f) * (edge / 0.08f)) + 0.3f * std::exp(-edge / 0.2f)) * warmth, 0.0f,
        1.0f);
    const float crustGrain = 0.5f + 0.5f * tiledFractal(u * 16, v * 16, 16, 3, 65);
    const Rgb crust = mix(hex(0x0a0707), hex(0x2a1d18),
                          crustGrain * (0.4f + 0.6f * latticeHash(int(d.id & 0xff), 0, 66)));
    Rgb hot = mix(hex(0x5a0800), hex(0xff5a08), smoothstep(0.25f, 0.7f, heat));
    hot = mix(hot, hex(0xffd870), smoothstep(0.75f, 1.0f, heat));
    return mix(crust, hot, smoothstep(0.08f, 0.45f, heat));
}

// The height of a mountain ridge at x (0..1 across the picture), 0..1 of the picture's height.
float ridgeLine(float x, float base, float amplitude, int period, std::uint32_t seed) {
    const float n = tiledFractal(x * period, 0.5f, period, 6, seed);
    return base - amplitude * (0.5f + 0.6f * n);
}

Rgb duskSky(float x, float y, float horizon, float aspect) {
    const float t = std::clamp(y / horizon, 0.0f, 1.0f);
    Rgb sky = mix(hex(0x070418), hex(0x2c1446), smoothstep(0.0f, 0.55f, t));
    sky = mix(sky, hex(0x8a2c5a), smoothstep(0.45f, 0.85f, t));
    sky = mix(sky, hex(0xf2844a), smoothstep(0.8f, 1.0f, t));
    const float sunX = 0.68f, sunY = horizon - 0.15f;
    const float sunDistance = std::hypot((x - sunX) * aspect, y - sunY);
    sky = sky + hex(0xffb060) * (0.55f * std::exp(-sunDistance / 0.09f));
    sky = sky + hex(0xfff0c0) * smoothstep(0.034f, 0.028f, sunDistance);
    const float streak = tiledFractal(x * 3, y * 18, 3, 5, 71);
    const float band = smoothstep(0.3f, 0.55f, y) * smoothstep(horizon, 0.45f, y);
    const float cloud = smoothstep(0.1f, 0.5f, streak) * band;
    sky = mix(sky, mix(hex(0x3a1838), hex(0xff9a70), smoothstep(0.35f, horizon, y)), 0.7f * cloud);
    const float stars =
        starLight(x * aspect / 2, y / 2, 90, 0.45f, 700.0f, 72) * (1 - smoothstep(0.05f, 0.5f, y));
    return sky + hex(0xf0f0ff) * std::min(stars, 1.0f) * (1 - cloud);
}

struct Ridge {
    float base, amplitude;
    int period;
    std::uint32_t seed;
    Rgb colour;
};

}  // namespace

Picture stillBackground(int width, int height) {
    constexpr float kHorizon = 0.74f;
    const float aspect = static_cast<float>(width) / height;
    const Ridge ridges[] = {{0.70f, 0.12f, 3, 81, hex(0x5a3060)},
                            {0.725f, 0.08f, 5, 82, hex(0x2e1a3e)},
                            {0.745f, 0.05f, 7, 83, hex(0x120b1c)}};
    constexpr int kRidgeCount = 3;
    std::vector<float> ridgeTops(std::size_t(width) * kRidgeCount);
    for (int px = 0; px < width; ++px) {
        for (int i = 0; i < kRidgeCount; ++i) {
            const Ridge& r = ridges[i];
            ridgeTops[std::size_t(px) * kRidgeCount + i] = std::min(
                ridgeLine((px + 0.5f) / width, r.base, r.amplitude, r.period, r.seed), kHorizon);
        }
    }
    Picture picture(width, height);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const float x = (px + 0.5f) / width;
            float y = (py + 0.5f) / height;
            bool reflected = false;
            if (y > kHorizon) {
                const float ripple =
                    0.004f * std::sin(kTau * (y * 90 + 3 * tiledFractal(x * 6, y * 40, 6, 2, 84)));
                y = 2 * kHorizon - y + ripple;
                reflected = true;
            }
            Rgb c = duskSky(x, y, kHorizon, aspect);
            for (int i = 0; i < kRidgeCount; ++i) {
                const Ridge& r = ridges[i];
                const float top = ridgeTops[std::size_t(px) * kRidgeCount + i];
                const float haze = smoothstep(top, kHorizon, y) * 0.25f;
                c = mix(c, mix(r.colour, hex(0xc0607a), haze),
                        smoothstep(top - 0.0015f, top + 0.0015f, y));
            }
            if (reflected)
                c = c * hex(0x5a6a9a) + hex(0x050818);
            picture.at(px, py) = c;
        }
    }
    return picture;
}

Picture ceilingTile(int variant, int size) {
    switch (variant) {
        case 0:
            return paintTile(size, nebulaCeiling);
        case 1:
            return paintTile(size, waterCeiling);
        default:
            return paintTile(size, caveCeiling);
    }
}

Picture floorTile(int variant, int size) {
    switch (variant) {
        case 0:
            return paintTile(size, neonGridFloor);
        case 1:
            return paintTile(size, sandFloor);
        default:
            return paintTile(size, lavaFloor);
    }
}

Picture cellFaceTexture(int size) {
    return paintTile(size, [](float u, float v) {
        const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
        const float glow = 0.8f + 0.2f * smoothstep(0.0f, 0.4f, edge);
        const float grain = 0.015f * tiledFractal(u * 16, v * 16, 16, 2, 91);
        const float g = glow + grain;
        return Rgb{g, g, g};
    });
}

Picture wellBackTexture(int size) {
    return paintTile(size, [size](float u, float v) {
        const float pixel = 1.0f / size;
        const float column = std::min(u, 1 - u) / pixel, row = std::min(v, 1 - v) / pixel;
        const float depth = 0.5f + 0.12f * tiledFractal(u * 2, v * 2, 2, 3, 92);
        Rgb c = Rgb{depth, depth * 1.05f, depth * 1.15f};
        c = mix(c, Rgb{1.0f, 1.0f, 1.1f}, 0.75f * std::exp(-column * column / 1.2f));
        return mix(c, Rgb{0.8f, 0.85f, 1.0f}, 0.3f * std::exp(-row * row / 0.8f));
    });
}

}  // namespace mediagen
