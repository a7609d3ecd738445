// Frames per second of the game's busiest frame: the well nearly full, a row flying away, a
// piece turning, both bonus objects, the scrolling background, every label and number; drawn
// and presented on the OpenGL device (HAL, offscreen Mesa when there is no display) and on the
// software device (REF). Uses the generated media of the run directory when it has been built,
// flat-coloured stand-ins otherwise. Targets: 200 fps on HAL, 25 on REF, offscreen.
//
// Two paths: offscreen at 1024 x 768, and the window path, presenting into a real SDL window at
// the game's default window size (1014 x 703) as the game does (without the wait for the
// display's refresh, so the frame's own cost shows).
//
// Beside the frame, in each path: the main menu over the same background (its title, rows,
// highlight and turning piece), the scrolling background on its own (two planes filling the
// screen with trilinear-filtered textures), and the ceiling, a frame that only clears, draws one
// full-screen quad of a plane's picture with trilinear filtering and presents. The ceiling is
// the most a frame that shades the whole window with a trilinear texture can reach on the
// machine's driver: the busiest frame's rate over the ceiling's, read in one run, says how close
// the game comes to it. Each also reports the CPU of all the process's threads a frame, the
// driver's rasteriser threads included, which a software frame mostly runs on.
//
//   SDL_VIDEODRIVER=offscreen build/bench/render_frame_bench
//   xvfb-run -s "-screen 0 1024x768x24" build/bench/render_frame_bench --benchmark_filter=Window
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <ctime>
#include <filesystem>

#include "ceiling_frame.h"
#include "device_media.h"
#include "game/rules/random.h"
#include "gfx/soft/soft_device.h"
#include "gfx/window.h"
#include "recording_device.h"
#include "render/game_scene.h"
#include "render/media_loaders.h"
#include "render/screens.h"
#include "render/texture_font.h"
#include "scene_state.h"
#include "scripted_game.h"
#include "tests/gfx/offscreen_device.h"

namespace {

constexpr UINT frameWidth = 1024;
constexpr UINT frameHeight = 768;
constexpr UINT windowWidth = 1014;
constexpr UINT windowHeight = 703;

// The scene's own work without any drawing: the frame on a device that only keeps states.
constexpr D3DDEVTYPE sceneOnly = 0;

// Where the frames go.
enum class FramePath { Offscreen, Window };

// What one timed frame draws between Clear and Present: the busiest frame of play, the main
// menu over the same background, or parts of the frame.
enum class FramePart { Whole, MainMenu, BackgroundOnly, Ceiling };

void drawPart(GameScene& scene, const SceneInput& input, FramePart part) {
    if (part == FramePart::Whole || part == FramePart::MainMenu) {
        drawScene(scene, input);
        return;
    }
    IDirect3DDevice8* device = scene.device;
    if (part == FramePart::Ceiling) {
        drawCeilingFrame(device, scene.screenQuadBuffer, scene.assets.upperPlanes[0].texture,
                         static_cast<float>(scene.savedViewport.Width),
                         static_cast<float>(scene.savedViewport.Height));
        return;
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    device->BeginScene();
    startBackground(scene, input);
    drawPendingBackground(scene);
    device->EndScene();
}

// A shown SDL window and a device presenting into it, as the game makes them.
struct WindowTarget {
    SDL_Window* window = nullptr;
    IDirect3D8* direct3D = nullptr;

    IDirect3DDevice8* open(D3DDEVTYPE type) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            return nullptr;
        }
        window = SDL_CreateWindow("render_frame_bench", SDL_WINDOWPOS_UNDEFINED,
                                  SDL_WINDOWPOS_UNDEFINED, static_cast<int>(windowWidth),
                                  static_cast<int>(windowHeight), SDL_WINDOW_OPENGL);
        kolvane::soft::registerSoftwareDevice();
        direct3D = Direct3DCreate8(D3D_SDK_VERSION);
        if (window == nullptr || direct3D == nullptr) {
            return nullptr;
        }
        D3DPRESENT_PARAMETERS params = offscreenTestParameters(0, 0);
        params.hDeviceWindow = windowHandleOf(window);
        params.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
        IDirect3DDevice8* device = nullptr;
        direct3D->CreateDevice(D3DADAPTER_DEFAULT, type, windowHandleOf(window),
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
        return device;
    }
    ~WindowTarget() {
        if (direct3D != nullptr) {
            direct3D->Release();
        }
        if (window != nullptr) {
            SDL_DestroyWindow(window);
        }
    }
};

constexpr int settlingFrames = 400;

double processCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void busiestFrame(benchmark::State& state, D3DDEVTYPE type, FramePath path, FramePart part) {
    setPresentWait(false);
    std::filesystem::current_path(KOLVANE_RUN_DIR);
    RecordingDevice recorder(frameWidth, frameHeight);
    recorder.recording = false;
    fakeMedia().device = &recorder;
    const bool realMedia = type != sceneOnly && std::filesystem::exists("Graphics/glass.x");
    WindowTarget windowTarget;
    IDirect3DDevice8* device = type == sceneOnly ? &recorder
                               : path == FramePath::Window
                                   ? windowTarget.open(type)
                                   : createOffscreenDevice(type, frameWidth, frameHeight);
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
    const auto drawFrame = [&] {
        frameState.session = busiest.session;  // every frame as busy as the first
        frameState.well = busiest.well;
        drawPart(scene, frameState.input(part == FramePart::MainMenu ? MainMenu : Playing), part);
        device->Present(nullptr, nullptr, nullptr, nullptr);
        frameState.appTime += 1.0f / 60.0f;
    };
    // The OpenGL device packs the pictures the frame does not draw during its first few hundred
    // frames; the timing starts once that is over.
    for (int i = 0; type == D3DDEVTYPE_HAL && i < settlingFrames; ++i) {
        drawFrame();
    }
    const double cpuAtStart = processCpuMilliseconds();
    for (auto _ : state) {
        drawFrame();
    }
    FrameImage frame;
    if (type != sceneOnly) {
        device->readPresentedFrame(&frame);
    }  // waits for the last frame to be finished
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    // Every thread's: the driver's rasteriser threads do most of a software frame's work.
    state.counters["cpu_ms_per_frame"] =
        (processCpuMilliseconds() - cpuAtStart) / static_cast<double>(state.iterations());
    state.SetLabel(realMedia ? "generated media" : "flat-coloured media");
    releaseSceneVolatileObjects(scene);
    destroySceneDeviceObjects(scene);
    font.destroy();
    if (type != sceneOnly) {
        device->Release();
    }
}

BENCHMARK_CAPTURE(busiestFrame, SceneOnly, sceneOnly, FramePath::Offscreen, FramePart::Whole)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(busiestFrame, HAL, D3DDEVTYPE_HAL, FramePath::Offscreen, FramePart::Whole)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, HALMainMenu, D3DDEVTYPE_HAL, FramePath::Offscreen,
                  FramePart::MainMenu)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, HALBackgroundOnly, D3DDEVTYPE_HAL, FramePath::Offscreen,
                  FramePart::BackgroundOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, HALCeiling, D3DDEVTYPE_HAL, FramePath::Offscreen,
                  FramePart::Ceiling)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, REF, D3DDEVTYPE_REF, FramePath::Offscreen, FramePart::Whole)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, REFBackgroundOnly, D3DDEVTYPE_REF, FramePath::Offscreen,
                  FramePart::BackgroundOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, REFCeiling, D3DDEVTYPE_REF, FramePath::Offscreen,
                  FramePart::Ceiling)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, WindowHAL, D3DDEVTYPE_HAL, FramePath::Window, FramePart::Whole)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, WindowHALMainMenu, D3DDEVTYPE_HAL, FramePath::Window,
                  FramePart::MainMenu)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, WindowHALBackgroundOnly, D3DDEVTYPE_HAL, FramePath::Window,
                  FramePart::BackgroundOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, WindowHALCeiling, D3DDEVTYPE_HAL, FramePath::Window,
                  FramePart::Ceiling)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, WindowREF, D3DDEVTYPE_REF, FramePath::Window, FramePart::Whole)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, WindowREFBackgroundOnly, D3DDEVTYPE_REF, FramePath::Window,
                  FramePart::BackgroundOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(busiestFrame, WindowREFCeiling, D3DDEVTYPE_REF, FramePath::Window,
                  FramePart::Ceiling)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
