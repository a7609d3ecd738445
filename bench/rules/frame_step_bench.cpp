// The cost of the rules' part of one frame on a busy well: most rows filled, a piece falling,
// both bonus objects in the well, the arrow keys in use.
#include <benchmark/benchmark.h>

#include "game/rules/random.h"
#include "game/rules/session.h"
#include "tests/support/drawn_frame.h"

namespace {

constexpr int framesPerBatch = 256;  // four seconds of play at 64 frames per second
constexpr double frameTime = 1.0 / 64.0;

struct SilentSounds final : SoundPlayer {
    int played = 0;
    void playSound(int number) override { played += number; }
};

struct BusyGame {
    GameSession session = initialGameSession(0.0f);
    Well well{};
    Screen screen = Playing;
};

// Rows 6..20 filled but for one gap each, a piece just placed, both bonuses shown.
BusyGame busyGame() {
    seedGameRandom(2024);
    BusyGame game;
    game.session.gameMode = Crazy;
    startGame(game.session, game.well, 0.0f);
    for (int row = 6; row <= wellRows; ++row) {
        const int gap = 1 + (row * 5) % wellColumns;
        for (int column = 1; column <= wellColumns; ++column) {
            if (column != gap) {
                Cell& cell = game.well.settledCells[game.well.settledCount++];
                cell.column = column;
                cell.row = row;
                cell.colour = (row + column) % colourCount;
            }
        }
    }
    game.session.gameClock = 20;
    game.session.level = 1;
    game.session.lastFallTime = 20.0f;
    game.session.nextShape = 6;
    game.session.scoreBonus = {.active = 1, .column = 1, .row = 5, .bonusMark = 20};
    game.session.clearBonus = {.active = 1, .column = 12, .row = 5, .bonusMark = 20};
    spawnPiece(game.well, 2, spawnColumn, spawnRow, 3);
    game.session.currentShape = 2;
    return game;
}

FrameInput inputForFrame(int frame) {
    FrameInput input;
    input.appTime = static_cast<float>(20.0 + (frame + 1) * frameTime);
    input.framesPerSecond = 64.0f;
    input.leftHeld = (frame / 13) % 2 == 0;
    input.rightHeld = !input.leftHeld;
    input.downHeld = (frame / 50) % 2 == 1;
    return input;
}

void reportPerStep(benchmark::State& state) {
    state.counters["perStep"] =
        benchmark::Counter(framesPerBatch, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}

// The frame step alone; the piece lands and waits for its fall animation, as it does while
// the frame is not drawn.
void frameStepOnBusyWell(benchmark::State& state) {
    const BusyGame start = busyGame();
    BusyGame game = start;
    SilentSounds sounds;
    for (auto _ : state) {
        game = start;
        for (int frame = 0; frame < framesPerBatch; ++frame) {
            advanceGame(game.session, game.well, game.screen, inputForFrame(frame), sounds);
        }
        benchmark::DoNotOptimize(game.session.score);
    }
    benchmark::DoNotOptimize(sounds.played);
    reportPerStep(state);
}
BENCHMARK(frameStepOnBusyWell)->Repetitions(15)->ReportAggregatesOnly(true);

// The frame step with the animation progress a drawn frame adds: pieces lock, rows go.
void frameStepWithAnimationOnBusyWell(benchmark::State& state) {
    const BusyGame start = busyGame();
    BusyGame game = start;
    SilentSounds sounds;
    for (auto _ : state) {
        game = start;
        for (int frame = 0; frame < framesPerBatch; ++frame) {
            advanceGame(game.session, game.well, game.screen, inputForFrame(frame), sounds);
            advanceAsDrawn(game.well, game.session.framesPerSecond, game.session.fallSpeed);
        }
        benchmark::DoNotOptimize(game.session.score);
    }
    benchmark::DoNotOptimize(sounds.played);
    reportPerStep(state);
}
BENCHMARK(frameStepWithAnimationOnBusyWell)->Repetitions(15)->ReportAggregatesOnly(true);

// Restoring the busy well, included once per batch in the figures above.
void restoreBusyWell(benchmark::State& state) {
    const BusyGame start = busyGame();
    BusyGame game = start;
    for (auto _ : state) {
        benchmark::DoNotOptimize(game);
        game = start;
        benchmark::DoNotOptimize(game);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(restoreBusyWell);

}  // namespace

BENCHMARK_MAIN();
