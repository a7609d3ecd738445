// Cells placed in the world and animated on their way from the old place to the new one,
// the flight of removed rows, free-standing figures and the spinning bonus objects. The
// animations advance inside the drawing, by steps derived from the frame rate.
#pragma once

#include "game/rules/session.h"
#include "game/rules/well.h"
#include "gfx/device.h"
#include "gfx/math.h"
#include "render/scene_assets.h"

// Where the board lies in the world: one unit per cell, the well at depth 22.
constexpr float wellDepth = 22.0f;
float cellWorldX(int column);  // column 1 at -5.5, column 12 at 5.5
float cellWorldY(int row);     // row 1 at 9.5, row 20 at -9.5

// The world transform of one falling-piece cell, with its rotation about piece cell 0 at
// (pivotX, pivotY) and its sideways and falling offsets.
void pieceCellTransform(const Cell& cell, float pivotX, float pivotY, D3DXMATRIX& world);
// The world transform of one settled cell, with its falling offset.
void settledCellTransform(const Cell& cell, D3DXMATRIX& world);
// The world transform of one cleared cell at flight progress c (radians along its arc).
void clearedCellTransform(const Cell& cell, float c, D3DXMATRIX& world);

// Advances and draws the falling piece (while active) and the settled stack, at the frame
// rate session.framesPerSecond and the piece fall speed session.fallSpeed. A failing
// SetTransform ends it at once and is returned; 0 when everything was drawn.
HRESULT drawWellCells(IDirect3DDevice8* device, const SceneAssets& assets,
                      const GameSession& session, Well& well);

// Draws the four cells of shape (1..7) in colour (0..6): each offset (column, row) taken as
// (x, y), then scaled by s, turned about X, Y and Z, and moved to (x, y, z). Shapes or
// colours outside their ranges draw nothing. Returns the last SetTransform result.
HRESULT drawPieceFigure(IDirect3DDevice8* device, const SceneAssets& assets, int shape, int colour,
                        float x, float y, float z, float ax, float ay, float az, float s);

// Advances the flight of removed rows by 1.5 / f and draws the cleared cells on their arcs;
// once the flight has ended it empties the cleared list and returns 0.
HRESULT drawClearedCells(IDirect3DDevice8* device, const SceneAssets& assets, Well& well,
                         float framesPerSecond);

// Draws bonus object 0 (score) or 1 (clear) 0.55 above the centre of its cell, turning about
// the vertical axis at 2 radians per second of t.
HRESULT drawBonusObject(IDirect3DDevice8* device, const SceneAssets& assets, int object, int column,
                        int row, float t);
