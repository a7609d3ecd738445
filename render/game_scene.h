// The game's scene: what GameApplication owns for drawing (assets, buffers, the menu's falling
// figure, the text material) and the functions its scene callbacks call:
//
//   createDeviceObjects    -> createSceneDeviceObjects, then show the main window
//   createVolatileObjects  -> createSceneVolatileObjects
//   drawScene              -> drawScene (with a SceneInput over the game's state)
//   releaseVolatileObjects -> releaseSceneVolatileObjects
//   destroyDeviceObjects   -> destroySceneDeviceObjects
#pragma once

#include "game/flow/game_info.h"
#include "game/flow/high_scores.h"
#include "game/flow/options.h"
#include "game/rules/screen.h"
#include "game/rules/session.h"
#include "game/rules/well.h"
#include "gfx/device.h"
#include "render/media_loaders.h"
#include "render/scene_assets.h"

class TextureFont;
struct SceneInput;

// The figure that falls past one side of the main menu. decoY starts below its restart
// height, so the first main-menu frame chooses a figure before drawing it.
struct MenuDecoration {
    int decoShape = 0;      // 1..7
    int decoColour = 0;     // 0..6
    float decoX = 0.0f;     // -12.5 (left of the menu) or 12.5 (right)
    float decoY = -100.0f;  // falls from 20 to -20
};

constexpr std::size_t sceneTextBytes = 80;

struct GameScene {
    IDirect3DDevice8* device = nullptr;  // not owned; set by createSceneDeviceObjects
    TextureFont* font = nullptr;         // the game's text font; not owned
    MediaLoaders loaders;                // how pictures and meshes are read
    SceneAssets assets;
    IDirect3DVertexBuffer8* screenQuadBuffer = nullptr;
    D3DVIEWPORT8 savedViewport{};  // its width W and height H place every screen picture
    MenuDecoration menuDecoration;
    D3DMATERIAL8 textMaterial{};
    char textBuffer[sceneTextBytes] = {};
    // The frame whose scrolling background is still to be drawn (null when none is).
    const SceneInput* pendingBackground = nullptr;
};

// The game state one frame reads. drawScene also advances the animations it draws: the
// cells' flags and progresses, the flight of removed rows (in `well`) and the scroll of the
// background planes.
struct SceneInput {
    int screen;             // a Screen value
    int menuSelection;      // highlighted main-menu item 0..3
    int backgroundVariant;  // 0..2
    GameSession& session;   // gameMode picks the rule-set menu item and the high-score table
    Well& well;
    const Options& options;  // dynamicBackground
    const HighScoreTable& highScores;
    const NameEntry& nameEntry;
    const GameInfoText& gameInfo;
    float appTime;          // seconds
    float framesPerSecond;  // measured frame rate; 0 before the first measurement
};

// Loads every picture and mesh (files under "Graphics\") with scene.loaders, then lets the
// font make its device objects (its result is not acted on). The first failing load returns
// its code; what loaded before it stays loaded until destroySceneDeviceObjects. After a
// success the caller shows the main window.
HRESULT createSceneDeviceObjects(GameScene& scene, IDirect3DDevice8* device);

// Reads the viewport; sets the camera, the projection, the render states and the three lights;
// makes the font's volatile objects, the background planes' buffers and the screen-quad
// buffer. A failing buffer returns its code.
HRESULT createSceneVolatileObjects(GameScene& scene);

// Releases what createSceneVolatileObjects made; returns 0.
HRESULT releaseSceneVolatileObjects(GameScene& scene);

// Releases every picture and mesh and the font's device objects; returns 0.
HRESULT destroySceneDeviceObjects(GameScene& scene);

// Draws one frame of the current screen: clears, draws the background, then the screen's
// content. Returns 0 always; a failed BeginScene leaves the frame cleared. Allocates nothing.
HRESULT drawScene(GameScene& scene, const SceneInput& input);
