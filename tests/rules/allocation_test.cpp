// Counts every heap allocation made while the game runs: the rules must make none.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "tests/rules/rules_test_support.h"
#include "tests/support/counted_allocations.h"

namespace {

struct SoundTally final : SoundPlayer {
    std::array<long, 7> played{};
    void playSound(int number) override {
        if (number >= 0 && number < static_cast<int>(played.size())) {
            ++played[number];
        }
    }
};

TEST(Allocations, TheCounterSeesAnAllocation) {
    const long counted = allocationsDuring([] {
        auto cell = std::make_unique<Cell>();
        cell->row = 3;
        EXPECT_EQ(cell->row, 3);
    });
    EXPECT_EQ(counted, 1);
}

TEST(Allocations, PlayingGamesAllocatesNothing) {
    for (int mode : {Classic, Original, Crazy}) {
        seedGameRandom(static_cast<std::uint32_t>(17 + mode));
        PlanningPlayer player(static_cast<unsigned>(mode), 200);
        GameDriver game;  // its own sound recorder is not used here
        SoundTally sounds;
        game.start(mode, 1.0);
        long frames = 0;
        const long counted = allocationsDuring([&] {
            for (; frames < 64L * 400 && game.screen == Playing; ++frames) {
                player.play(game);
                game.now += 1.0 / game.framesPerSecond;
                FrameInput input = game.keys;
                input.appTime = static_cast<float>(game.now);
                input.framesPerSecond = static_cast<float>(game.framesPerSecond);
                advanceGame(game.session, game.well, game.screen, input, sounds);
                advanceAsDrawn(game.well, game.session.framesPerSecond, game.session.fallSpeed);
            }
        });
        EXPECT_EQ(counted, 0) << "rule set " << mode;
        EXPECT_EQ(game.screen, GameOver);
        EXPECT_GT(frames, 64L * 60) << "a game of more than a minute";
        EXPECT_GT(sounds.played[SoundRowsRemoved], 0);
        EXPECT_EQ(sounds.played[SoundGameOver], 1);
    }
}

}  // namespace
