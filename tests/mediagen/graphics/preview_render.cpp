#include "tests/mediagen/graphics/preview_render.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace meshcheck {

namespace {

constexpr double kEyeZ = -5.0;
constexpr double kFocal = 2.414213562;  // 1 / tan(pi / 8), the game's 45-degree field of view
constexpr double kAspect = 4.0 / 3.0;
constexpr double kNear = 1.0;

V3 normalise(V3 v) {
    const double l = std::sqrt(dot(v, v));
    return l > 0 ? v * (1 / l) : v;
}

V3 multiply(V3 a, V3 b) {
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}

Texture loadTexture(const std::string& file) {
    Texture t;
    SDL_Surface* loaded = SDL_LoadBMP(file.c_str());
    if (!loaded)
        return t;
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(loaded);
    if (!rgb)
        return t;
    t.width = rgb->w;
    t.height = rgb->h;
    for (int y = 0; y < rgb->h; ++y) {
        const auto* row = static_cast<const unsigned char*>(rgb->pixels) + y * rgb->pitch;
        for (int x = 0; x < rgb->w; ++x) {
            t.texels.push_back(
                {row[3 * x] / 255.0, row[3 * x + 1] / 255.0, row[3 * x + 2] / 255.0});
        }
    }
    SDL_FreeSurface(rgb);
    return t;
}

V3 sample(const Texture& t, double u, double v) {
    if (t.width == 0)
        return {1, 1, 1};
    const double fx = (u - std::floor(u)) * t.width - 0.5,
                 fy = (v - std::floor(v)) * t.height - 0.5;
    const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
    const double ax = fx - x0, ay = fy - y0;
    const auto texel = [&](int x, int y) {
        x = ((x % t.width) + t.width) % t.width;
        y = ((y % t.height) + t.height) % t.height;
        return t.texels[static_cast<std::size_t>(y) * t.width + x];
    };
    return (texel(x0, y0) * (1 - ax) + texel(x0 + 1, y0) * ax) * (1 - ay) +
           (texel(x0, y0 + 1) * (1 - ax) + texel(x0 + 1, y0 + 1) * ax) * ay;
}

struct ScreenCorner {
    double x, y, invZ;
    Corner world;
};

}  // namespace

PreviewCanvas::PreviewCanvas(int w, int h, V3 clearColour)
    : width(w),
      height(h),
      colour(static_cast<std::size_t>(w) * h, clearColour),
      depthBuffer(static_cast<std::size_t>(w) * h, 1e30) {}

bool PreviewCanvas::project(V3 world, double& x, double& y, double& depth) const {
    depth = world.z - kEyeZ;
    if (depth < kNear)
        return false;
    x = (world.x * kFocal / kAspect / depth + 1) / 2 * width - 0.5;
    y = (1 - world.y * kFocal / depth) / 2 * height - 0.5;
    return true;
}

const Texture& PreviewCanvas::texture(const std::string& file) {
    auto found = textures.find(file);
    if (found == textures.end())
        found = textures.emplace(file, loadTexture(file)).first;
    return found->second;
}

void PreviewCanvas::draw(const LoadedMesh& mesh, const std::vector<Light>& lights, double ambient,
                         const std::string& folder) {
    const V3 eye{0, 0, kEyeZ};
    for (const Triangle& t : mesh.triangles) {
        ScreenCorner s[3];
        bool visible = true;
        for (int k = 0; k < 3; ++k) {
            double depth = 0;
            visible = visible && project(t.corners[k].position, s[k].x, s[k].y, depth);
            s[k].invZ = 1 / depth;
            s[k].world = t.corners[k];
        }
        if (!visible)
            continue;
        const double area =
            (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[2].x - s[0].x) * (s[1].y - s[0].y);
        if (area <= 0)
            continue;  // counter-clockwise on screen: a back face
        const Material& m =
            mesh.materials[std::clamp(t.material, 0, int(mesh.materials.size()) - 1)];
        const Texture* tex = m.texture.empty() ? nullptr : &texture(folder + "/" + m.texture);
        const int x0 = std::max(0, int(std::floor(std::min({s[0].x, s[1].x, s[2].x}))));
        const int x1 = std::min(width - 1, int(std::ceil(std::max({s[0].x, s[1].x, s[2].x}))));
        const int y0 = std::max(0, int(std::floor(std::min({s[0].y, s[1].y, s[2].y}))));
        const int y1 = std::min(height - 1, int(std::ceil(std::max({s[0].y, s[1].y, s[2].y}))));
        for (int py = y0; py <= y1; ++py) {
            for (int px = x0; px <= x1; ++px) {
                double w[3];
                for (int k = 0; k < 3; ++k) {
                    const ScreenCorner& a = s[(k + 1) % 3];
                    const ScreenCorner& b = s[(k + 2) % 3];
                    w[k] = ((b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y)) / area;
                }
                if (w[0] < 0 || w[1] < 0 || w[2] < 0)
                    continue;
                const double invZ = w[0] * s[0].invZ + w[1] * s[1].invZ + w[2] * s[2].invZ;
                const double z = 1 / invZ;
                const std::size_t at = static_cast<std::size_t>(py) * width + px;
                if (z >= depthBuffer[at])
                    continue;
                depthBuffer[at] = z;
                V3 p, n;
                double u = 0, v = 0;
                for (int k = 0; k < 3; ++k) {
                    const double pw = w[k] * s[k].invZ * z;
                    p = p + s[k].world.position * pw;
                    n = n + s[k].world.normal * pw;
                    u += s[k].world.u * pw;
                    v += s[k].world.v * pw;
                }
                n = normalise(n);
                const V3 toEye = normalise(eye - p);
                V3 lit = m.emissive + m.diffuse * ambient, shine;
                for (const Light& l : lights) {
                    const V3 toLight = normalise(l.direction * -1);
                    lit = lit + multiply(m.diffuse, l.colour) * std::max(0.0, dot(n, toLight));
                    const double h = std::max(0.0, dot(n, normalise(toLight + toEye)));
                    shine = shine + multiply(m.specular, l.specular) * std::pow(h, m.power);
                }
                lit = {std::min(lit.x, 1.0), std::min(lit.y, 1.0), std::min(lit.z, 1.0)};
                if (tex)
                    lit = multiply(lit, sample(*tex, u, v));
                colour[at] = lit + shine;
            }
        }
    }
}

bool PreviewCanvas::writePpm(const std::string& file) const {
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        return false;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    for (const V3& c : colour) {
        const unsigned char rgb[3] = {
            static_cast<unsigned char>(std::clamp(c.x, 0.0, 1.0) * 255 + 0.5),
            static_cast<unsigned char>(std::clamp(c.y, 0.0, 1.0) * 255 + 0.5),
            static_cast<unsigned char>(std::clamp(c.z, 0.0, 1.0) * 255 + 0.5)};
        std::fwrite(rgb, 1, 3, out);
    }
    return std::fclose(out) == 0;
}

}  // namespace meshcheck
