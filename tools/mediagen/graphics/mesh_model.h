// A triangle mesh with one material per subset, built in the game's world frame and written
// as a DirectX .x text file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/mediagen/graphics/geometry.h"

namespace mediagen {

struct Colour {
    double r = 0, g = 0, b = 0;
};

// The loader copies the diffuse colour into the ambient one, so only these are stored.
struct MeshMaterial {
    std::string name;
    Colour diffuse;
    double alpha = 1.0;
    double power = 30.0;
    Colour specular{1, 1, 1};
    Colour emissive;
    std::string textureFile;  // relative to Graphics/, empty for none
};

struct MeshVertex {
    Vec3 position;
    Vec3 normal;
    Vec2 uv;
};

struct MeshTriangle {
    std::array<std::uint32_t, 3> corners{};
    std::uint32_t material = 0;
};

struct MeshModel {
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
    std::vector<MeshMaterial> materials;
};

std::uint32_t addVertex(MeshModel& mesh, Vec3 position, Vec3 normal, Vec2 uv = {});

// Adds a triangle wound clockwise as seen from the side `outward` points to, which is the
// front side for the game's renderer.
void addTriangleFacing(MeshModel& mesh, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                       Vec3 outward, std::uint32_t material);

// Adds a flat convex polygon (corners in order around it) with one normal for all corners.
void addFlatPolygon(MeshModel& mesh, const std::vector<Vec3>& corners, Vec3 outward,
                    std::uint32_t material, const std::vector<Vec2>& uvs = {});

// Moves every vertex through `transform` (rotations, uniform scales, translations only).
void transformMesh(MeshModel& mesh, const Mat4& transform);

// Adds the vertices and triangles of `part`, moved through `transform` (rotations, uniform
// scales, translations), to `mesh`; the part's material numbers are the mesh's.
void appendMesh(MeshModel& mesh, const MeshModel& part, const Mat4& transform);

// Writes the mesh as a text .x file ("xof 0303txt 0032") with normals, texture coordinates
// when any material has a texture, and a material list; false if the file could not be
// written.
bool writeXFile(const MeshModel& mesh, const std::string& meshName,
                const std::filesystem::path& file);

}  // namespace mediagen
