// The machine's ceiling for a frame that shades the whole window with a trilinear texture: clear,
// one full-screen quad of a picture drawn smaller than its size (so every pixel blends two mip
// levels), nothing else. The game's frames are measured against it.
#pragma once

#include "gfx/device.h"

// Draws the ceiling frame's content between Clear and Present: a width x height quad of
// picture through quadBuffer (a screen-quad buffer), with lighting off and trilinear filtering;
// the states it changes are put back.
void drawCeilingFrame(IDirect3DDevice8* device, IDirect3DVertexBuffer8* quadBuffer,
                      IDirect3DTexture8* picture, float width, float height);
