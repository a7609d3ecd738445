// A mesh file as the game sees it: read through Assimp without any conversion, so positions
// stay in the file's left-handed frame and triangles keep their winding.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace meshcheck {

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline double dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Row-vector transform: p' = p * m.
struct M4 {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};
M4 operator*(const M4& a, const M4& b);
M4 rotateX(double a);
M4 rotateY(double a);
M4 translate(double x, double y, double z);
M4 scale(double s);
V3 apply(V3 p, const M4& m);
V3 applyToNormal(V3 n, const M4& m);

struct Material {
    V3 diffuse, specular, emissive;
    double power = 0;
    std::string texture;
};

struct Corner {
    V3 position, normal;
    double u = 0, v = 0;
};

struct Triangle {
    std::array<Corner, 3> corners;
    int material = 0;
};

struct LoadedMesh {
    std::vector<Material> materials;
    std::vector<Triangle> triangles;
    bool hasNormals = true;
};

// False if Assimp cannot read the file.
bool loadMesh(const std::string& file, LoadedMesh& mesh);

// The mesh with every corner moved through the transform.
LoadedMesh transformed(const LoadedMesh& mesh, const M4& m);

}  // namespace meshcheck
