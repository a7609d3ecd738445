// The game's scene on a real device, HAL (OpenGL on offscreen Mesa) or REF (the software
// device), with the media the generator wrote into the run directory, drawn at 1024 x 768 and
// read back as pixels.
#pragma once

#include <string>

#include "gfx/image.h"
#include "render/game_scene.h"
#include "render/texture_font.h"
#include "scene_state.h"

constexpr UINT generatedSceneWidth = 1024;
constexpr UINT generatedSceneHeight = 768;

struct PixelPoint {
    float x, y;
};

class GeneratedScene : public SceneState {
public:
    // Works in the run directory; ready() tells whether the device and every media file
    // could be made.
    explicit GeneratedScene(D3DDEVTYPE type);
    ~GeneratedScene();
    GeneratedScene(const GeneratedScene&) = delete;
    GeneratedScene& operator=(const GeneratedScene&) = delete;

    // False when the media target has not been built, so nothing can be drawn.
    static bool mediaBuilt();
    bool ready() const { return loaded; }
    const char* deviceName() const { return type == D3DDEVTYPE_HAL ? "hal" : "ref"; }

    // Draws `frames` frames of `screen`, appTime going on by 1/60 s after each, and reads the
    // last one back into `frame`.
    const FrameImage& draw(int screen, int frames = 1);
    // Writes `frame` as <screens folder>/<device>_<name>.png.
    bool save(const std::string& name) const;
    // Sets gameInfo to the information text the generator wrote, read as the game reads it.
    void readGeneratedGameInfo();
    // Where a world point lands in the frame, in pixels from the top left.
    PixelPoint pixelOf(float x, float y, float z) const;

    GameScene scene;
    FrameImage frame;

private:
    D3DDEVTYPE type;
    IDirect3DDevice8* device = nullptr;
    TextureFont font{"Courier", 18, fontBold};
    bool loaded = false;
};
