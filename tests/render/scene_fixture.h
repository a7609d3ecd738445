// A game scene on the recording device with made-up media, the game state it draws, and
// ways to read a recorded frame back: which meshes stood where, which pictures went where,
// which texts were written.
#pragma once

#include "render/game_scene.h"

#include <string>
#include <vector>

#include "recording_device.h"
#include "render/texture_font.h"
#include "scene_state.h"

constexpr UINT testWidth = 1024;
constexpr UINT testHeight = 768;

// A text drawn with drawText3D, read back from its quads through the glyph table.
struct DrawnText {
    std::string text;
    D3DMATRIX world{};
    D3DMATERIAL8 material{};
    float firstX = 0.0f;  // left edge of the first character, in the text's plane
    float firstY = 0.0f;  // bottom edge of the first character
    DWORD lightMask = 0;
};

// A picture drawn with drawScreenQuad.
struct DrawnPicture {
    IDirect3DTexture8* texture = nullptr;
    std::string name;
    float left = 0, top = 0, right = 0, bottom = 0, depth = 0;
    DWORD zEnable = 0;
};

class SceneFixture : public SceneState {
public:
    explicit SceneFixture(UINT width = testWidth, UINT height = testHeight);
    ~SceneFixture();

    // Draws one frame of `screen` and returns its draws.
    const std::vector<DrawRecord>& drawFrame(int screen);

    std::vector<DrawnText> texts() const;
    std::vector<DrawnPicture> pictures() const;
    std::vector<DrawRecord> meshDraws(const std::string& meshName) const;

    RecordingDevice device;
    TextureFont font{"Courier", 18, fontBold};
    GameScene scene;
};

// Where a world point lands on the viewport, in pixels, through the recorded view and
// projection; z is its depth 0..1.
D3DXVECTOR3 screenPoint(const DrawRecord& draw, const D3DVECTOR& world, UINT width = testWidth,
                        UINT height = testHeight);

// The translation part of a world matrix.
D3DVECTOR translationOf(const D3DMATRIX& world);

bool sameColour(const D3DCOLORVALUE& a, const D3DCOLORVALUE& b);
