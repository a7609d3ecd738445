// Every picture and mesh the game draws, and the fixed view of the scene.
#pragma once

#include <array>

#include "gfx/device.h"
#include "gfx/math.h"
#include "render/media_loaders.h"
#include "render/mesh_asset.h"
#include "render/scrolling_plane.h"

constexpr int backgroundVariantCount = 3;
constexpr int staticQuarterCount = 4;
constexpr int menuItemCount = 4;
constexpr int ruleSetItemCount = 3;
constexpr int bonusKindCount = 2;
constexpr int cellMeshCount = 7;

// The asset table: empty before createSceneDeviceObjects and after destroySceneDeviceObjects.
struct SceneAssets {
    // Quarters of the still background: 11 top right, 12 top left, 13 bottom left, 14 bottom
    // right.
    std::array<IDirect3DTexture8*, staticQuarterCount> staticBackground{};
    // The scrolling background, by background variant.
    std::array<ScrollingPlane, backgroundVariantCount> upperPlanes{};
    std::array<ScrollingPlane, backgroundVariantCount> lowerPlanes{};
    IDirect3DTexture8* listPanel = nullptr;
    IDirect3DTexture8* ruleSetHeading = nullptr;
    IDirect3DTexture8* levelLabel = nullptr;
    IDirect3DTexture8* timeLabel = nullptr;
    IDirect3DTexture8* scoreLabel = nullptr;
    IDirect3DTexture8* nextLabel = nullptr;
    // New game, high scores, game information, exit.
    std::array<IDirect3DTexture8*, menuItemCount> menuItems{};
    // Classic, Original, Crazy.
    std::array<IDirect3DTexture8*, ruleSetItemCount> ruleSetItems{};
    MeshAsset titleMesh1;
    MeshAsset titleMesh2;
    MeshAsset pauseMesh;
    std::array<MeshAsset, bonusKindCount> bonusMeshes{};  // score bonus, clear bonus
    MeshAsset gameOverMesh;
    MeshAsset wellMesh;
    std::array<MeshAsset, cellMeshCount> cellMeshes{};  // entry k draws cells of colour k
};

// The fixed view: eye (0, 0, -5) looking towards (0, 0, 22); 45 degree vertical field of
// view at 4/3 whatever the window's shape, depth from 1 to farPlane.
constexpr float cameraEyeZ = -5.0f;
constexpr float nearPlane = 1.0f;
constexpr float farPlane = 100.0f;
void buildViewMatrix(D3DXMATRIX& view);
void buildProjectionMatrix(D3DXMATRIX& projection, float farDistance = farPlane);
