#include "tools/mediagen/graphics/solids.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace mediagen {

namespace {

double& axis(Vec3& v, int i) {
    return i == 0 ? v.x : i == 1 ? v.y : v.z;
}
double axis(const Vec3& v, int i) {
    return i == 0 ? v.x : i == 1 ? v.y : v.z;
}

Vec3 axisVector(int i, double sign) {
    Vec3 v;
    axis(v, i) = sign;
    return v;
}

struct BoxFrame {
    Vec3 centre, half;
    double chamfer;
    // A point on the box: `full` axes lie on the face plane, the others at the chamfer line.
    Vec3 point(Vec3 signs, bool fullX, bool fullY, bool fullZ) const {
        const bool full[3] = {fullX, fullY, fullZ};
        Vec3 p = centre;
        for (int i = 0; i < 3; ++i) {
            const double reach = full[i] ? axis(half, i) : axis(half, i) - chamfer;
            axis(p, i) += axis(signs, i) * reach;
        }
        return p;
    }
    // Texture coordinates across the face whose normal lies along `faceAxis`.
    Vec2 uv(Vec3 p, int faceAxis) const {
        const int a = faceAxis == 0 ? 2 : 0, b = faceAxis == 1 ? 2 : 1;
        return {(axis(p - centre, a) / axis(half, a) + 1) / 2,
                (1 - axis(p - centre, b) / axis(half, b)) / 2};
    }
};

void addBoxPolygon(MeshModel& mesh, const BoxFrame& box, const std::vector<Vec3>& corners,
                   Vec3 outward, int uvAxis, std::uint32_t material) {
    std::vector<Vec2> uvs;
    for (Vec3 p : corners)
        uvs.push_back(box.uv(p, uvAxis));
    addFlatPolygon(mesh, corners, outward, material, uvs);
}

// A point of a profile turned about the z axis: its distance from the axis, its z, and its
// normal in the plane through the axis (outward, along z).
struct ProfilePoint {
    double radius, z;
    Vec2 normal;
};

// The surface swept by the profile turning once about the z axis through `centre`, smooth
// round the turn and along the profile; each band is wound to face along its normals.
void addLathe(MeshModel& mesh, Vec3 centre, const std::vector<ProfilePoint>& profile, int segments,
              std::uint32_t material) {
    std::vector<std::vector<std::uint32_t>> rings;
    for (const ProfilePoint& p : profile) {
        std::vector<std::uint32_t> ring;
        for (int i = 0; i < segments; ++i) {
            const double angle = 2 * std::numbers::pi * i / segments;
            const double c = std::cos(angle), s = std::sin(angle);
            ring.push_back(addVertex(mesh, centre + Vec3{p.radius * c, p.radius * s, p.z},
                                     {p.normal.x * c, p.normal.x * s, p.normal.y}));
        }
        rings.push_back(ring);
    }
    for (std::size_t k = 0; k + 1 < rings.size(); ++k) {
        for (int i = 0; i < segments; ++i) {
            const int j = (i + 1) % segments;
            const std::uint32_t a = rings[k][i], b = rings[k][j], c = rings[k + 1][j],
                                d = rings[k + 1][i];
            for (const auto& corners : {std::array{a, b, c}, std::array{a, c, d}}) {
                const Vec3 p0 = mesh.vertices[corners[0]].position;
                const Vec3 area = cross(mesh.vertices[corners[1]].position - p0,
                                        mesh.vertices[corners[2]].position - p0);
                if (length(area) < 1e-12)
                    continue;  // the point where the profile meets the axis
                const Vec3 outward = mesh.vertices[corners[0]].normal +
                                     mesh.vertices[corners[1]].normal +
                                     mesh.vertices[corners[2]].normal;
                addTriangleFacing(mesh, corners[0], corners[1], corners[2], outward, material);
            }
        }
    }
}

}  // namespace

void addChamferedBox(MeshModel& mesh, Vec3 centre, Vec3 halfSize, double chamfer,
                     std::uint32_t material) {
    const BoxFrame box{centre, halfSize, chamfer};
    const int next[3] = {1, 2, 0};
    for (int a = 0; a < 3; ++a) {
        const int b = next[a], c = next[b];
        for (double sa : {-1.0, 1.0}) {
            // The face across axis a.
            std::vector<Vec3> face;
            for (auto [sb, sc] : {std::pair{-1.0, -1.0}, {1.0, -1.0}, {1.0, 1.0}, {-1.0, 1.0}}) {
                Vec3 signs;
                axis(signs, a) = sa;
                axis(signs, b) = sb;
                axis(signs, c) = sc;
                face.push_back(box.point(signs, a == 0, a == 1, a == 2));
            }
            addBoxPolygon(mesh, box, face, axisVector(a, sa), a, material);
            // The bevel between this face and the face across axis b, running along c.
            for (double sb : {-1.0, 1.0}) {
                std::vector<Vec3> edge;
                for (auto [sc, onA] :
                     {std::pair{-1.0, true}, {1.0, true}, {1.0, false}, {-1.0, false}}) {
                    Vec3 signs;
                    axis(signs, a) = sa;
                    axis(signs, b) = sb;
                    axis(signs, c) = sc;
                    const bool full[3] = {(onA && a == 0) || (!onA && b == 0),
                                          (onA && a == 1) || (!onA && b == 1),
                                          (onA && a == 2) || (!onA && b == 2)};
                    edge.push_back(box.point(signs, full[0], full[1], full[2]));
                }
                addBoxPolygon(mesh, box, edge, axisVector(a, sa) + axisVector(b, sb), a, material);
            }
        }
    }
    for (double sx : {-1.0, 1.0}) {
        for (double sy : {-1.0, 1.0}) {
            for (double sz : {-1.0, 1.0}) {
                const Vec3 signs{sx, sy, sz};
                addBoxPolygon(
                    mesh, box,
                    {box.point(signs, true, false, false), box.point(signs, false, true, false),
                     box.point(signs, false, false, true)},
                    signs, 2, material);
            }
        }
    }
}

void addCrystal(MeshModel& mesh, Vec3 centre, double height, double radius, int sides,
                std::uint32_t material) {
    const Vec3 top = centre + Vec3{0, height / 2, 0};
    const Vec3 bottom = centre - Vec3{0, height / 2, 0};
    const double upper = height * 0.16, lower = -height * 0.02;
    std::vector<Vec3> ringHigh, ringLow;
    for (int i = 0; i < sides; ++i) {
        const double angle = 2 * std::numbers::pi * i / sides;
        const Vec3 spoke{std::cos(angle) * radius, 0, std::sin(angle) * radius};
        ringHigh.push_back(centre + spoke + Vec3{0, upper, 0});
        ringLow.push_back(centre + spoke + Vec3{0, lower, 0});
    }
    for (int i = 0; i < sides; ++i) {
        const int j = (i + 1) % sides;
        const auto facing = [&](const std::vector<Vec3>& poly) {
            Vec3 mid;
            for (Vec3 p : poly)
                mid = mid + p * (1.0 / poly.size());
            const Vec3 n = cross(poly[1] - poly[0], poly[2] - poly[0]);
            return dot(n, mid - centre) >= 0 ? normalize(n) : normalize(n) * -1.0;
        };
        const std::vector<Vec3> crown{top, ringHigh[i], ringHigh[j]};
        const std::vector<Vec3> girdle{ringHigh[i], ringHigh[j], ringLow[j], ringLow[i]};
        const std::vector<Vec3> pavilion{bottom, ringLow[j], ringLow[i]};
        addFlatPolygon(mesh, crown, facing(crown), material);
        addFlatPolygon(mesh, girdle, facing(girdle), material);
        addFlatPolygon(mesh, pavilion, facing(pavilion), material);
    }
}

void addCoin(MeshModel& mesh, Vec3 centre, double radius, double thickness, int segments,
             std::uint32_t material) {
    constexpr int kEdgeSteps = 8;
    const double edge = thickness / 2;
    std::vector<ProfilePoint> profile{{0, -edge, {0, -1}}};
    // From the front face round the edge to the back face.
    for (int step = 0; step <= 2 * kEdgeSteps; ++step) {
        const double angle = -std::numbers::pi / 2 + std::numbers::pi * step / (2 * kEdgeSteps);
        profile.push_back({radius - edge + edge * std::cos(angle),
                           edge * std::sin(angle),
                           {std::cos(angle), std::sin(angle)}});
    }
    profile.push_back({0, edge, {0, 1}});
    addLathe(mesh, centre, profile, segments, material);
}

Contour starOutline(int points, double outerRadius, double innerRadius) {
    Contour star;
    for (int i = 0; i < 2 * points; ++i) {
        const double angle = std::numbers::pi / 2 + std::numbers::pi * i / points;
        const double r = i % 2 == 0 ? outerRadius : innerRadius;
        star.push_back({std::cos(angle) * r, std::sin(angle) * r});
    }
    return star;
}

}  // namespace mediagen
