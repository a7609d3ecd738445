// Drawing frames takes no memory from the heap: a running game is drawn frame after frame,
// through every screen, while every allocation of the process is counted.
#include <gtest/gtest.h>

#include "device_media.h"
#include "game/rules/random.h"
#include "render/texture_font.h"
#include "scene_fixture.h"
#include "scripted_game.h"
#include "tests/support/counted_allocations.h"

namespace {

TEST(FrameAllocations, ManyFramesOfARunningGameAndEveryScreenAllocateNothing) {
    seedGameRandom(2024);
    SceneFixture f;
    f.device.recording = false;
    SilentSounds sounds;
    setEntryName(tableRow(f.highScores, Original, 0), "ANNA");
    f.gameInfo = readGameInfo("Kolvane\nline two\nline three");
    f.nameEntry = NameEntry{1, 2};
    int screen = MainMenu;
    // One frame of every screen first, so that the device has seen every state once.
    for (int s = MainMenu; s <= GameInfo; ++s) {
        f.drawFrame(s);
    }
    f.options.dynamicBackground = 0;
    f.drawFrame(Playing);
    f.options.dynamicBackground = 1;

    // Kept in a volatile pointer, as the compiler may leave out an allocation nobody looks at.
    const long probe = allocationsDuring([] {
        int* volatile kept = new int(1);
        delete kept;
    });
    ASSERT_EQ(probe, 1) << "the count sees allocations";

    int locks = 0;
    const long counted = allocationsDuring([&] {
        for (int frame = 0; frame < 3000; ++frame) {
            const int settledBefore = f.well.settledCount;
            playScriptedFrame(f.session, f.well, screen, frame, sounds);
            locks += f.well.settledCount > settledBefore;
            f.appTime = static_cast<float>(frame) / 60.0f;
            f.options.dynamicBackground = (frame / 500) % 2;
            drawScene(f.scene, f.input(frame % 400 < 300 ? screen : frame % 7));
        }
    });
    EXPECT_EQ(counted, 0);
    EXPECT_GT(locks, 10) << "the game really ran";
    EXPECT_GT(f.device.drawCount, 3000 * 10);
}

TEST(FrameAllocations, ARunningGameOnTheSoftwareDeviceAllocatesNothingPerFrame) {
    seedGameRandom(77);
    IDirect3DDevice8* device = createOffscreenDevice(D3DDEVTYPE_REF, 320, 240);
    ASSERT_NE(device, nullptr);
    TextureFont font("Courier", 18, fontBold);
    GameScene scene;
    scene.loaders = deviceMediaLoaders();
    scene.font = &font;
    ASSERT_EQ(createSceneDeviceObjects(scene, device), S_OK);
    ASSERT_EQ(createSceneVolatileObjects(scene), S_OK);
    SceneState state;
    state.nameEntry = NameEntry{1, 0};
    state.gameInfo = readGameInfo("Kolvane\nline two");
    SilentSounds sounds;
    int screen = MainMenu;
    const auto frame = [&](int n, int shown, int dynamicBackground) {
        playScriptedFrame(state.session, state.well, screen, n, sounds);
        state.options.dynamicBackground = dynamicBackground;
        state.backgroundVariant = n % 3;
        state.appTime = static_cast<float>(n) / 60.0f;
        drawScene(scene, state.input(shown));
        device->Present(nullptr, nullptr, nullptr, nullptr);
    };
    // The software device converts a texture's texels when it first draws it, so every screen
    // and every background picture is drawn once before counting.
    for (int n = 0; n < 42; ++n) {
        frame(n, n % 7, n / 21);
    }
    const long counted = allocationsDuring([&] {
        for (int n = 42; n < 600; ++n) {
            frame(n, n % 200 < 150 ? screen : n % 7, (n / 100) % 2);
        }
    });
    EXPECT_EQ(counted, 0);
    releaseSceneVolatileObjects(scene);
    destroySceneDeviceObjects(scene);
    font.destroy();
    EXPECT_EQ(device->Release(), 0u);
}

}  // namespace
