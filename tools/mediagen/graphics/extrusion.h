// Solid 3D shapes from flat outlines: the front face filled with a polygon tessellator
// (holes stay holes), a 45-degree bevel round the front edge and straight sides back to a
// flat back face.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/mediagen/graphics/lettering.h"
#include "tools/mediagen/graphics/mesh_model.h"

namespace mediagen {

// Splits the area inside the contours (non-zero winding) into triangles.
std::vector<std::array<Vec2, 3>> tessellate(const std::vector<Contour>& contours);

struct Extrusion {
    double depth = 1.0;  // front at z = -depth / 2 (towards the viewer), back at +depth / 2
    double bevel = 0.1;  // width and depth of the chamfer round the front face
    std::uint32_t frontMaterial = 0;
    std::uint32_t sideMaterial = 0;
};

// The contours moved outward by `distance` at every corner (holes shrink), sharp corners
// reaching out at most a few times that far; for an outline round the shape.
std::vector<Contour> grownContours(const std::vector<Contour>& contours, bool fillOnRight,
                                   double distance);

// Adds the solid to the mesh in the x-y plane as given, facing the viewer at -z.
// `fillOnRight` says which side of each contour's direction of travel is solid.
void addExtrudedOutline(MeshModel& mesh, const std::vector<Contour>& contours, bool fillOnRight,
                        const Extrusion& shape);

}  // namespace mediagen
