// Frames per second of the game's busiest frame at 1024 x 768: the well nearly full, a row
// flying away, a piece turning, both bonus objects, the scrolling background, every label and
// number; drawn and presented on the OpenGL device (HAL, offscreen Mesa when there is no
// display) and on the software device (REF). Uses the generated media of the run directory
// when it has been built, flat-coloured stand-ins otherwise. Targets: 200 fps on HAL, 25 on REF.
//
// The scrolling background on its own is timed beside it: it is the floor under the whole
// frame, two planes filling the screen with trilinear-filtered textures.
//
//   SDL_VIDEODRIVER=offscreen build/bench/render_frame_bench
#include <benchmark/benchmark.h>

#include <filesystem>

#include "device_media.h"
#include "game/rules/random.h"
#include "recording_device.h"
#include "render/game_scene.h"
#include "render/media_loaders.h"
#include "render/screens.h"
#include "render/texture_font.h"
#include "scene_state.h"
#include "scripted_game.h"

namespace {

constexpr UINT frameWidth = 1024;
constexpr UINT frameHeight = 768;

// The scene's own work without any drawing: the frame on a device that only keeps states.
constexpr D3DDEVTYPE sceneOnly = 0;

// What one timed frame draws between Clear and Present.
enum class FramePart { Whole, BackgroundOnly };

void drawPart(GameScene& scene, const SceneInput& input, FramePart part) {
    if (part == FramePart::Whole) {
        drawScene(scene, input);
        return;
    }
    IDirect3DDevice8* device = scene.device;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    device->BeginScene();
    startBackground(scene, input);
    drawPendingBackground(scene);
    device->EndScene();
}

void busiestFrame(benchmark::State& state, D3DDEVTYPE type, FramePart part) {
    setPresentWait(false);
    std::filesystem::current_path(KOLVANE_RUN_DIR);
    RecordingDevice recorder(frameWidth, frameHeight);
    recorder.recording = false;
    fakeMedia().device = &recorder;
    const bool realMedia = type != sceneOnly && std::filesystem::exists("Graphics/glass.x");
    IDirect3DDevice8* device =
        type == sceneOnly ? &recorder : createOffscreenDevice(type, frameWidth, frameHeight);
    if (device == nullptr) {
        state.SkipWithError("no device of this type");
        return;
    }
    TextureFont font("Courier", 18, fontBold);
    GameScene scene;
    scene.loaders = type == sceneOnly ? fakeLoaders()
                    : realMedia       ? helperLibraryLoaders()
                                      : deviceMediaLoaders();
    scene.font = &font;
    if (FAILED(createSceneDeviceObjects(scene, device)) ||
        FAILED(createSceneVolatileObjects(scene))) {
        state.SkipWithError("the media did not load");
        return;
    }
    seedGameRandom(1);
    SceneState busiest;  // on the scrolling background
    setUpBusiestFrame(busiest.session, busiest.well);
    SceneState frameState = busiest;
    for (auto _ : state) {
        frameState.session = busiest.session;  // every frame as busy as the first
        frameState.well = busiest.well;
        drawPart(scene, frameState.input(Playing), part);
        device->Present(nullptr, nullptr, nullptr, nullptr);
        frameState.appTime += 1.0f / 60.0f;
    }
    FrameImage frame;
    if (type != sceneOnly) {
        device->readPresentedFrame(&frame);
    }  // waits for the last frame to be finished
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(realMedia ? "generated media" : "flat-coloured media");
    releaseSceneVolatileObjects(scene);
    destroySceneDeviceObjects(scene);
    font.destroy();
    if (type != sceneOnly) {
        device->Release();
    }
}

BENCHMARK_CAPTURE(busiestFrame, SceneOnly, sceneOnly, FramePart::Whole)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(busiestFrame, HAL, D3DDEVTYPE_HAL, FramePart::Whole)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, REF, D3DDEVTYPE_REF, FramePart::Whole)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, HALBackgroundOnly, D3DDEVTYPE_HAL, FramePart::BackgroundOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, REFBackgroundOnly, D3DDEVTYPE_REF, FramePart::BackgroundOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
