// A small software renderer for looking at the generated meshes: the game's camera and
// projection, its directional lights and global ambient, per-pixel lighting, textures
// modulated by the lit colour, back faces (counter-clockwise on screen) culled.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/mediagen/graphics/loaded_mesh.h"

namespace meshcheck {

struct Texture {
    int width = 0, height = 0;
    std::vector<V3> texels;  // 0..1
};

struct Light {
    V3 direction;  // the way the light travels
    V3 colour;
    V3 specular;  // the colour of the highlights it makes; the game's key light alone has one
};

class PreviewCanvas {
public:
    PreviewCanvas(int width, int height, V3 clearColour);
    // Draws an already transformed (world-space) mesh; textures are looked up in `folder`.
    void draw(const LoadedMesh& worldMesh, const std::vector<Light>& lights, double ambient,
              const std::string& folder);
    // Pixel centre (x, y) of a world point, as the game's camera sees it.
    bool project(V3 world, double& x, double& y, double& depth) const;
    bool writePpm(const std::string& file) const;

private:
    const Texture& texture(const std::string& file);
    int width, height;
    std::vector<V3> colour;
    std::vector<double> depthBuffer;
    std::map<std::string, Texture> textures;
};

}  // namespace meshcheck
