// Simple solids the game's meshes are made of, built where they stand in the world frame.
#pragma once

#include <cstdint>

#include "tools/mediagen/graphics/mesh_model.h"

namespace mediagen {

// A box with every edge and corner cut off by `chamfer`. Each face's texture coordinates run
// 0..1 across it.
void addChamferedBox(MeshModel& mesh, Vec3 centre, Vec3 halfSize, double chamfer,
                     std::uint32_t material);

// A flat-sided crystal standing on its point: `sides` facets round, `height` tall, widest
// (`radius`) a little above its middle.
void addCrystal(MeshModel& mesh, Vec3 centre, double height, double radius, int sides,
                std::uint32_t material);

// A coin facing the viewer (its faces towards -z and +z): a disc `radius` across and
// `thickness` thick whose edge is rounded into a half circle, smooth-shaded, `segments` round.
void addCoin(MeshModel& mesh, Vec3 centre, double radius, double thickness, int segments,
             std::uint32_t material);

// The outline of a star with `points` points, counter-clockwise, centred on the origin.
Contour starOutline(int points, double outerRadius, double innerRadius);

}  // namespace mediagen
