// Media made on a real device without files: every picture a flat colour of its own, every
// mesh a lit cube whose material colour says what it is. Pixel tests find things by colour.
#pragma once

#include <string>

#include "gfx/d3dx.h"
#include "render/media_loaders.h"

// Loaders making the media on the device they are given.
MediaLoaders deviceMediaLoaders();

// The colour (0xAARRGGBB, opaque) of the picture loaded from fileName.
D3DCOLOR pictureColour(const std::string& fileName);

// The material colour of the cube of cell colour k (0..6): seven clearly different hues.
D3DCOLORVALUE deviceCellColour(int k);

// Creates an offscreen device of a type (HAL or REF) with a back buffer of width x height.
IDirect3DDevice8* createOffscreenDevice(D3DDEVTYPE type, UINT width, UINT height);
