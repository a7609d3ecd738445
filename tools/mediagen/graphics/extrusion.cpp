#include "tools/mediagen/graphics/extrusion.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <deque>

namespace mediagen {

namespace {

constexpr double kSmoothTurnCosine = 0.8;  // sides meeting at under ~37 degrees look round
constexpr double kLongestMiter = 2.5;      // bevel corners never reach further than this

struct TessellationRun {
    std::vector<std::array<Vec2, 3>> triangles;
    std::array<Vec2, 3> pending{};
    int pendingCount = 0;
    std::deque<std::array<GLdouble, 3>> storage;  // stable addresses for GLU
};

void GLAPIENTRY onVertex(void* data, void* user) {
    auto* run = static_cast<TessellationRun*>(user);
    const auto* v = static_cast<const GLdouble*>(data);
    run->pending[run->pendingCount++] = {v[0], v[1]};
    if (run->pendingCount == 3) {
        run->triangles.push_back(run->pending);
        run->pendingCount = 0;
    }
}

void GLAPIENTRY onCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* user) {
    auto* run = static_cast<TessellationRun*>(user);
    run->storage.push_back({coords[0], coords[1], coords[2]});
    *out = run->storage.back().data();
}

// With an edge-flag callback GLU hands out separate triangles only.
void GLAPIENTRY onEdgeFlag(GLboolean, void*) {}
void GLAPIENTRY onBegin(GLenum, void* user) {
    static_cast<TessellationRun*>(user)->pendingCount = 0;
}

// The unit normal pointing out of the solid for the edge from a to b.
Vec2 outwardNormal(Vec2 a, Vec2 b, bool fillOnRight) {
    const Vec2 d = normalize(b - a);
    const Vec2 right{d.y, -d.x};
    return fillOnRight ? right * -1.0 : right;
}

Contour insetContour(const Contour& contour, bool fillOnRight, double distance) {
    const std::size_t n = contour.size();
    Contour inset(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vec2 prev = contour[(i + n - 1) % n], here = contour[i], next = contour[(i + 1) % n];
        const Vec2 nIn = outwardNormal(prev, here, fillOnRight);
        const Vec2 nOut = outwardNormal(here, next, fillOnRight);
        const Vec2 miter = normalize(nIn + nOut);
        const double reach = distance / std::max(dot(miter, nIn), 1.0 / kLongestMiter);
        inset[i] = here - miter * reach;
    }
    return inset;
}

Vec3 at(Vec2 p, double z) {
    return {p.x, p.y, z};
}

// The side normal at corner `i` of edge (i, i+1): rounded with the neighbouring edge where
// the outline turns gently, sharp where it turns hard.
Vec2 cornerNormal(const Contour& c, std::size_t edge, std::size_t corner, bool fillOnRight) {
    const std::size_t n = c.size();
    const Vec2 own = outwardNormal(c[edge], c[(edge + 1) % n], fillOnRight);
    const std::size_t other = corner == edge ? (edge + n - 1) % n : (edge + 1) % n;
    const Vec2 neighbour = outwardNormal(c[other], c[(other + 1) % n], fillOnRight);
    return dot(own, neighbour) > kSmoothTurnCosine ? normalize(own + neighbour) : own;
}

void addSides(MeshModel& mesh, const Contour& outer, const Contour& inset, bool fillOnRight,
              const Extrusion& shape) {
    const double front = -shape.depth / 2, bevelEnd = front + shape.bevel, back = shape.depth / 2;
    const std::size_t n = outer.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        const Vec2 ni = cornerNormal(outer, i, i, fillOnRight);
        const Vec2 nj = cornerNormal(outer, i, j, fillOnRight);
        const Vec2 faceNormal = outwardNormal(outer[i], outer[j], fillOnRight);

        const Vec3 sideOut{faceNormal.x, faceNormal.y, 0};
        const auto s0 = addVertex(mesh, at(outer[i], bevelEnd), {ni.x, ni.y, 0});
        const auto s1 = addVertex(mesh, at(outer[j], bevelEnd), {nj.x, nj.y, 0});
        const auto s2 = addVertex(mesh, at(outer[j], back), {nj.x, nj.y, 0});
        const auto s3 = addVertex(mesh, at(outer[i], back), {ni.x, ni.y, 0});
        addTriangleFacing(mesh, s0, s1, s2, sideOut, shape.sideMaterial);
        addTriangleFacing(mesh, s0, s2, s3, sideOut, shape.sideMaterial);

        const Vec3 bevelOut = normalize(Vec3{faceNormal.x, faceNormal.y, -1});
        const auto b0 = addVertex(mesh, at(inset[i], front), {ni.x, ni.y, -1});
        const auto b1 = addVertex(mesh, at(inset[j], front), {nj.x, nj.y, -1});
        const auto b2 = addVertex(mesh, at(outer[j], bevelEnd), {nj.x, nj.y, -1});
        const auto b3 = addVertex(mesh, at(outer[i], bevelEnd), {ni.x, ni.y, -1});
        addTriangleFacing(mesh, b0, b1, b2, bevelOut, shape.frontMaterial);
        addTriangleFacing(mesh, b0, b2, b3, bevelOut, shape.frontMaterial);
    }
}

void addCap(MeshModel& mesh, const std::vector<Contour>& contours, double z, Vec3 outward,
            std::uint32_t material) {
    for (const auto& t : tessellate(contours)) {
        const double area =
            (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[2].x - t[0].x) * (t[1].y - t[0].y);
        if (std::fabs(area) < 1e-12)
            continue;
        addTriangleFacing(mesh, addVertex(mesh, at(t[0], z), outward),
                          addVertex(mesh, at(t[1], z), outward),
                          addVertex(mesh, at(t[2], z), outward), outward, material);
    }
}

}  // namespace

std::vector<std::array<Vec2, 3>> tessellate(const std::vector<Contour>& contours) {
    TessellationRun run;
    GLUtesselator* tess = gluNewTess();
    if (!tess)
        return run.triangles;
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0, 0, 1);
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(onBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(onVertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(onCombine));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(onEdgeFlag));
    for (const Contour& contour : contours) {
        for (Vec2 p : contour)
            run.storage.push_back({p.x, p.y, 0});
    }
    gluTessBeginPolygon(tess, &run);
    std::size_t next = 0;
    for (const Contour& contour : contours) {
        gluTessBeginContour(tess);
        for (std::size_t i = 0; i < contour.size(); ++i, ++next) {
            gluTessVertex(tess, run.storage[next].data(), run.storage[next].data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    return run.triangles;
}

std::vector<Contour> grownContours(const std::vector<Contour>& contours, bool fillOnRight,
                                   double distance) {
    std::vector<Contour> grown;
    for (const Contour& c : contours)
        grown.push_back(insetContour(c, fillOnRight, -distance));
    return grown;
}

void addExtrudedOutline(MeshModel& mesh, const std::vector<Contour>& contours, bool fillOnRight,
                        const Extrusion& shape) {
    std::vector<Contour> insets;
    for (const Contour& c : contours)
        insets.push_back(insetContour(c, fillOnRight, shape.bevel));
    addCap(mesh, insets, -shape.depth / 2, {0, 0, -1}, shape.frontMaterial);
    addCap(mesh, contours, shape.depth / 2, {0, 0, 1}, shape.sideMaterial);
    for (std::size_t i = 0; i < contours.size(); ++i) {
        addSides(mesh, contours[i], insets[i], fillOnRight, shape);
    }
}

}  // namespace mediagen
