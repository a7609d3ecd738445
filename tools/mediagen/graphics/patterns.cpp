#include "tools/mediagen/graphics/patterns.h"

#include <cmath>

namespace mediagen {

namespace {

std::uint32_t mixBits(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

std::uint32_t latticeBits(int x, int y, std::uint32_t seed) {
    return mixBits(static_cast<std::uint32_t>(x) * 0x9E3779B1u ^
                   mixBits(static_cast<std::uint32_t>(y) * 0x85EBCA77u ^ mixBits(seed)));
}

int wrap(int v, int period) {
    return ((v % period) + period) % period;
}

float fade(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

}  // namespace

float latticeHash(int x, int y, std::uint32_t seed) {
    return (latticeBits(x, y, seed) >> 8) / 16777216.0f;
}

float tiledNoise(float x, float y, int period, std::uint32_t seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0, fy = y - y0;
    float corner[2][2];
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            const float angle =
                6.2831853f * latticeHash(wrap(x0 + i, period), wrap(y0 + j, period), seed);
            corner[j][i] = std::cos(angle) * (fx - i) + std::sin(angle) * (fy - j);
        }
    }
    const float u = fade(fx), v = fade(fy);
    const float top = corner[0][0] + (corner[0][1] - corner[0][0]) * u;
    const float bottom = corner[1][0] + (corner[1][1] - corner[1][0]) * u;
    return 1.41f * (top + (bottom - top) * v);
}

float tiledFractal(float x, float y, int period, int octaves, std::uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * tiledNoise(x, y, period, seed + 101u * i);
        total += weight;
        x *= 2;
        y *= 2;
        period *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

CellDistances tiledCells(float x, float y, int period, std::uint32_t seed) {
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    CellDistances result{1e9f, 1e9f, 0};
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            const int wx = wrap(cx + i, period), wy = wrap(cy + j, period);
            const float px = cx + i + 0.1f + 0.8f * latticeHash(wx, wy, seed);
            const float py = cy + j + 0.1f + 0.8f * latticeHash(wx, wy, seed ^ 0x5bd1e995u);
            const float d = std::hypot(px - x, py - y);
            if (d < result.nearest) {
                result.second = result.nearest;
                result.nearest = d;
                result.id = latticeBits(wx, wy, seed);
            } else if (d < result.second) {
                result.second = d;
            }
        }
    }
    return result;
}

}  // namespace mediagen
