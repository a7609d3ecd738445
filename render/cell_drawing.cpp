#include "render/cell_drawing.h"

#include <cmath>

#include "render/animation.h"

namespace {

constexpr float quarterTurn = 1.5707964f;
constexpr float flightRadius = 20.0f;
constexpr float bonusLift = 0.55f;
constexpr float bonusSpin = 2.0f;

void translate(D3DXMATRIX& world, float x, float y, float z) {
    D3DXMATRIX step;
    D3DXMatrixTranslation(&step, x, y, z);
    D3DXMatrixMultiply(&world, &world, &step);
}

const MeshAsset* cellMesh(const SceneAssets& assets, int colour) {
    if (colour < 0 || colour >= cellMeshCount) {
        return nullptr;
    }
    return &assets.cellMeshes[colour];
}

HRESULT drawCell(IDirect3DDevice8* device, const SceneAssets& assets, int colour,
                 const D3DXMATRIX& world) {
    const HRESULT result = device->SetTransform(D3DTS_WORLD, &world);
    if (FAILED(result)) {
        return result;
    }
    if (const MeshAsset* mesh = cellMesh(assets, colour)) {
        drawMeshAsset(device, *mesh);
    }
    return result;
}

}  // namespace

float cellWorldX(int column) {
    return static_cast<float>(column) - 6.5f;
}

float cellWorldY(int row) {
    return 10.5f - static_cast<float>(row);
}

void pieceCellTransform(const Cell& cell, float pivotX, float pivotY, D3DXMATRIX& world) {
    D3DXMatrixTranslation(&world, cellWorldX(cell.column) - pivotX, cellWorldY(cell.row) - pivotY,
                          0.0f);
    if (cell.rotating) {
        D3DXMATRIX turn;
        D3DXMatrixRotationZ(&turn, (1.0f - cell.rotateProgress) * quarterTurn);
        D3DXMatrixMultiply(&world, &world, &turn);
    }
    if (cell.movingLeft) {
        translate(world, 1.0f - cell.leftProgress, 0.0f, 0.0f);
    }
    if (cell.movingRight) {
        translate(world, -(1.0f - cell.rightProgress), 0.0f, 0.0f);
    }
    if (cell.falling) {
        translate(world, 0.0f, 1.0f - cell.fallProgress, 0.0f);
    }
    translate(world, pivotX, pivotY, wellDepth);
}

void settledCellTransform(const Cell& cell, D3DXMATRIX& world) {
    D3DXMatrixTranslation(&world, cellWorldX(cell.column), cellWorldY(cell.row), wellDepth);
    if (cell.falling) {
        translate(world, 0.0f, 1.0f - cell.fallProgress, 0.0f);
    }
}

void clearedCellTransform(const Cell& cell, float c, D3DXMATRIX& world) {
    D3DXMatrixTranslation(&world, cellWorldX(cell.column),
                          cellWorldY(cell.row) - flightRadius * (1.0f - std::cos(c)),
                          wellDepth - flightRadius * std::sin(c));
}

HRESULT drawWellCells(IDirect3DDevice8* device, const SceneAssets& assets,
                      const GameSession& session, Well& well) {
    const AnimationSteps steps = animationSteps(session.framesPerSecond, session.fallSpeed);
    HRESULT result = 0;
    D3DXMATRIX world;
    if (well.pieceActive) {
        const float pivotX = cellWorldX(well.piece[0].column);
        const float pivotY = cellWorldY(well.piece[0].row);
        for (Cell& cell : well.piece) {
            advancePieceCellAnimation(cell, steps);
            pieceCellTransform(cell, pivotX, pivotY, world);
            result = drawCell(device, assets, cell.colour, world);
            if (FAILED(result)) {
                return result;
            }
        }
    }
    for (int i = 0; i < well.settledCount; ++i) {
        Cell& cell = well.settledCells[i];
        advanceSettledCellAnimation(cell, steps);
        settledCellTransform(cell, world);
        result = drawCell(device, assets, cell.colour, world);
        if (FAILED(result)) {
            return result;
        }
    }
    return result;
}

HRESULT drawPieceFigure(IDirect3DDevice8* device, const SceneAssets& assets, int shape, int colour,
                        float x, float y, float z, float ax, float ay, float az, float s) {
    if (shape < 1 || shape > shapeCount) {
        return 0;
    }
    HRESULT result = 0;
    for (const CellOffset& offset : pieceShapes[shape - 1]) {
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, static_cast<float>(offset.column),
                              static_cast<float>(offset.row), 0.0f);
        D3DXMATRIX step;
        if (s != 1.0f) {
            D3DXMatrixScaling(&step, s, s, s);
            D3DXMatrixMultiply(&world, &world, &step);
        }
        if (ax != 0.0f) {
            D3DXMatrixRotationX(&step, ax);
            D3DXMatrixMultiply(&world, &world, &step);
        }
        if (ay != 0.0f) {
            D3DXMatrixRotationY(&step, ay);
            D3DXMatrixMultiply(&world, &world, &step);
        }
        if (az != 0.0f) {
            D3DXMatrixRotationZ(&step, az);
            D3DXMatrixMultiply(&world, &world, &step);
        }
        translate(world, x, y, z);
        result = drawCell(device, assets, colour, world);
        if (FAILED(result)) {
            return result;
        }
    }
    return result;
}

HRESULT drawClearedCells(IDirect3DDevice8* device, const SceneAssets& assets, Well& well,
                         float framesPerSecond) {
    if (!advanceClearedFlight(well, framesPerSecond)) {
        return 0;
    }
    HRESULT result = 0;
    D3DXMATRIX world;
    for (int i = 0; i < well.clearedCount; ++i) {
        const Cell& cell = well.clearedCells[i];
        clearedCellTransform(cell, well.clearProgress, world);
        result = drawCell(device, assets, cell.colour, world);
        if (FAILED(result)) {
            return result;
        }
    }
    return result;
}

HRESULT drawBonusObject(IDirect3DDevice8* device, const SceneAssets& assets, int object, int column,
                        int row, float t) {
    D3DXMATRIX world;
    D3DXMatrixRotationX(&world, -quarterTurn);
    D3DXMATRIX spin;
    D3DXMatrixRotationY(&spin, bonusSpin * t);
    D3DXMatrixMultiply(&world, &world, &spin);
    translate(world, cellWorldX(column), cellWorldY(row) + bonusLift, wellDepth);
    const HRESULT result = device->SetTransform(D3DTS_WORLD, &world);
    if (SUCCEEDED(result) && object >= 0 && object < bonusKindCount) {
        drawMeshAsset(device, assets.bonusMeshes[object]);
    }
    return result;
}
