// Seeded, seamless noise for pictures that tile: every pattern repeats after `period`
// lattice cells in x and in y, so a picture sampled over whole periods has no seams.
#pragma once

#include <cstdint>

namespace mediagen {

// A well-mixed hash of lattice coordinates and a seed, 0..1.
float latticeHash(int x, int y, std::uint32_t seed);

// Gradient noise, about -1..1, repeating every `period` cells.
float tiledNoise(float x, float y, int period, std::uint32_t seed);

// Octaves of tiledNoise, each twice as fine and half as strong; about -1..1.
float tiledFractal(float x, float y, int period, int octaves, std::uint32_t seed);

struct CellDistances {
    float nearest = 0;     // to the closest feature point
    float second = 0;      // to the next closest
    std::uint32_t id = 0;  // which cell the closest point belongs to
};

// Distances to jittered feature points, one per lattice cell, repeating every `period`.
CellDistances tiledCells(float x, float y, int period, std::uint32_t seed);

}  // namespace mediagen
