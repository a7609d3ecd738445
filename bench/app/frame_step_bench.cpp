// What the frame itself costs per frame: the frame step with empty scene callbacks on a device
// that draws nothing, including building the menu bar's overlay frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/application.h"
#include "fake_direct3d.h"
#include "platform/message_box.h"

namespace {

IDirect3D8* makeFake(UINT) {
    return new FakeDirect3D({standardAdapter()}, nullptr);
}

void ignoreBox(const char*, const char*, MessageBoxIcon) {}

void BM_FrameStep(benchmark::State& state) {
    setMessageBoxFunction(ignoreBox);
    setDirect3DMaker(makeFake);
    Application3D app;
    if (FAILED(app.createApp(nullptr))) {
        state.SkipWithError("the frame could not start");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(app.frameStep());
    }
    sendMessage(app.mainWindow, WM_CLOSE, 0, 0);
    WindowMessage message;
    while (peekMessage(message, true)) {
    }
    setDirect3DMaker(nullptr);
}
BENCHMARK(BM_FrameStep);

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
