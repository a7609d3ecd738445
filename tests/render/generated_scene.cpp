#include "generated_scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "device_media.h"
#include "gfx/math.h"
#include "render/media_loaders.h"

GeneratedScene::GeneratedScene(D3DDEVTYPE deviceType) : type(deviceType) {
    std::filesystem::current_path(KOLVANE_RUN_DIR);
    if (!mediaBuilt()) {
        return;
    }
    device = createOffscreenDevice(type, generatedSceneWidth, generatedSceneHeight);
    if (device == nullptr) {
        return;
    }
    scene.loaders = helperLibraryLoaders();
    scene.font = &font;
    loaded = createSceneDeviceObjects(scene, device) == S_OK &&
             createSceneVolatileObjects(scene) == S_OK;
}

GeneratedScene::~GeneratedScene() {
    if (device == nullptr) {
        return;
    }
    releaseSceneVolatileObjects(scene);
    destroySceneDeviceObjects(scene);
    font.destroy();
    EXPECT_EQ(device->Release(), 0u) << "the scene released everything it made";
}

bool GeneratedScene::mediaBuilt() {
    return std::filesystem::exists(std::filesystem::path(KOLVANE_RUN_DIR) / "Graphics/glass.x");
}

const FrameImage& GeneratedScene::draw(int screen, int frames) {
    for (int i = 0; i < frames; ++i) {
        drawScene(scene, input(screen));
        appTime += 1.0f / 60.0f;
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
    frame = FrameImage{};
    device->readPresentedFrame(&frame);
    return frame;
}

bool GeneratedScene::save(const std::string& name) const {
    const std::string folder = KOLVANE_SCREENS_DIR;
    std::filesystem::create_directories(folder);
    return writePng(frame, folder + "/" + deviceName() + "_" + name + ".png");
}

void GeneratedScene::readGeneratedGameInfo() {
    std::ifstream in(kGameInfoFile, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    gameInfo = readGameInfo(text);
}

PixelPoint GeneratedScene::pixelOf(float x, float y, float z) const {
    D3DXMATRIX view, projection, both;
    buildViewMatrix(view);
    buildProjectionMatrix(projection);
    D3DXMatrixMultiply(&both, &view, &projection);
    const D3DXVECTOR3 p = transformPoint(both, D3DVECTOR{x, y, z});
    return PixelPoint{(p.x + 1.0f) * 0.5f * generatedSceneWidth,
                      (1.0f - p.y) * 0.5f * generatedSceneHeight};
}
