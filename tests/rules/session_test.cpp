#include "game/rules/session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "game/rules/rotation.h"
#include "tests/rules/rules_test_support.h"

namespace {

using Sounds = std::vector<int>;

// Frames between successive one-row falls of the piece, over `ticks` falls.
std::vector<long> framesBetweenFalls(GameDriver& game, int ticks) {
    std::vector<long> gaps;
    int row = game.well.piece[0].row;
    long since = 0;
    while (static_cast<int>(gaps.size()) < ticks && since < 10'000) {
        game.frame();
        ++since;
        if (game.well.piece[0].row != row) {
            row = game.well.piece[0].row;
            gaps.push_back(since);
            since = 0;
        }
    }
    return gaps;
}

// ---- Starting a game ----

TEST(StartGame, ResetsTheGameButKeepsPreviewTickAndFlight) {
    GameDriver game;
    game.session.score = 900;
    game.session.level = 7;
    game.session.nextShape = 4;
    game.session.nextColour = 2;
    game.session.lastFallTime = 3.0f;
    game.session.scoreBonus = {.active = 1, .column = 3, .row = 9, .bonusMark = 40};
    game.session.clearBonus = {.active = 1, .column = 4, .row = 9, .bonusMark = 41};
    game.session.leftRepeat.repeatCount = 3;
    fillRow(game.well, 20, {2});
    game.well.pieceActive = 1;
    game.well.clearedCount = 7;
    game.well.clearProgress = 0.5f;
    game.start(Crazy, 12.5);
    EXPECT_EQ(game.session.score, 0);
    EXPECT_EQ(game.session.level, 1);
    EXPECT_EQ(game.session.gameStartTime, 12.5f);
    EXPECT_EQ(game.session.fallSpeed, 3.0f);
    EXPECT_EQ(game.session.scoreBonus.active + game.session.clearBonus.active, 0);
    EXPECT_EQ(game.session.scoreBonus.bonusMark + game.session.clearBonus.bonusMark, 0);
    EXPECT_EQ(game.well.settledCount, 0);
    EXPECT_EQ(game.well.pieceActive, 0);
    EXPECT_EQ(game.session.nextShape, 4);
    EXPECT_EQ(game.session.nextColour, 2);
    EXPECT_EQ(game.session.lastFallTime, 3.0f);
    EXPECT_EQ(game.session.leftRepeat.repeatCount, 3);
    EXPECT_EQ(game.well.clearedCount, 7);
    EXPECT_EQ(game.well.clearProgress, 0.5f);
}

TEST(StartGame, FirstPieceOfTheRunHasColourZeroAndLaterGamesStartWithThePreview) {
    seedGameRandom(11);
    GameDriver game;
    game.start(Original, 5.0);
    ASSERT_TRUE(game.untilPieceFalls());
    EXPECT_EQ(game.session.currentColour, 0);
    EXPECT_GE(game.session.currentShape, 1);
    EXPECT_LE(game.session.currentShape, 7);

    game.screen = MainMenu;  // the game is abandoned
    const int previewShape = game.session.nextShape;
    const int previewColour = game.session.nextColour;
    game.start(Original, game.now);
    ASSERT_TRUE(game.untilPieceFalls());
    EXPECT_EQ(game.session.currentShape, previewShape);
    EXPECT_EQ(game.session.currentColour, previewColour);
}

TEST(FrameStep, OffThePlayingScreenOnlyTheFrameRateIsTaken) {
    GameDriver game;
    game.start(Classic, 0.0);
    ASSERT_TRUE(game.untilPieceFalls());
    game.screen = Paused;
    const GameSession before = game.session;
    const Cell pieceBefore = game.well.piece[0];
    game.framesPerSecond = 32.0;
    game.keys.leftHeld = true;
    for (int i = 0; i < 200; ++i) {
        EXPECT_TRUE(game.frame().empty());
    }
    EXPECT_EQ(game.session.framesPerSecond, 32.0f);
    EXPECT_EQ(game.session.gameClock, before.gameClock);
    EXPECT_EQ(game.session.lastFallTime, before.lastFallTime);
    EXPECT_EQ(game.well.piece[0].row, pieceBefore.row);
    EXPECT_EQ(game.well.piece[0].column, pieceBefore.column);
    EXPECT_EQ(game.screen, Paused);
}

// ---- Gravity ----

TEST(Gravity, ClassicLevelOneFallsAtTheFirstFrameAfterEachSecond) {
    seedGameRandom(2);
    GameDriver game;
    game.start(Classic, 100.0);
    EXPECT_EQ(game.frame(), Sounds{});
    ASSERT_EQ(game.well.pieceActive, 1) << "the first frame's tick places the first piece";
    EXPECT_EQ(game.well.piece[0].row, 2);
    const std::vector<long> gaps = framesBetweenFalls(game, 5);
    EXPECT_EQ(gaps, (std::vector<long>{65, 65, 65, 65, 65}));  // 65/64 s: just over a second
}

TEST(Gravity, CrazyLevelOneFallsThreeRowsPerSecond) {
    GameDriver game;
    game.start(Crazy, 100.0);
    ASSERT_TRUE(game.untilPieceFalls());
    EXPECT_EQ(game.session.fallSpeed, 3.0f);
    EXPECT_EQ(framesBetweenFalls(game, 4), (std::vector<long>{22, 22, 22, 22}));
}

TEST(Gravity, OriginalLevelFourFallsEightRowsPerSecond) {
    GameDriver game;
    game.start(Original, 1000.0);
    game.session.gameStartTime -= 3 * levelLength;
    ASSERT_TRUE(game.untilPieceFalls());
    EXPECT_EQ(game.session.level, 4);
    EXPECT_EQ(game.session.fallSpeed, 8.0f);
    EXPECT_EQ(framesBetweenFalls(game, 4), (std::vector<long>{9, 9, 9, 9}));
}

TEST(Gravity, HoldingDownFallsAtThirtyFiveRowsPerSecond) {
    GameDriver game;
    game.start(Classic, 100.0);
    ASSERT_TRUE(game.untilPieceFalls());
    game.keys.downHeld = true;
    game.frame();
    EXPECT_EQ(game.session.fallSpeed, softDropSpeed);
    EXPECT_EQ(framesBetweenFalls(game, 4), (std::vector<long>{1, 2, 2, 2}));
    game.keys.downHeld = false;
    game.frame();
    EXPECT_EQ(game.session.fallSpeed, 1.0f);
}

TEST(Gravity, HoldingDownSlowsAFastPiece) {
    GameDriver game;
    game.start(Crazy, 2000.0);
    game.session.gameStartTime -= 11 * levelLength;  // level 12: 36 rows per second
    ASSERT_TRUE(game.untilPieceFalls());
    EXPECT_EQ(game.session.fallSpeed, 36.0f);
    game.keys.downHeld = true;
    game.frame();
    EXPECT_EQ(game.session.fallSpeed, 35.0f);
}

TEST(Gravity, DropFallsAtSeventyRowsPerSecondUntilTheNextPiece) {
    for (auto [framesPerSecond, rowsPerTick] : {std::pair{30.0, 2}, std::pair{60.0, 1}}) {
        GameDriver game;
        game.framesPerSecond = framesPerSecond;
        game.start(Classic, 50.0);
        game.session.nextShape = 1;
        ASSERT_TRUE(game.untilPieceFalls());
        requestDrop(game.well);
        game.keys.downHeld = true;
        game.frame();
        EXPECT_EQ(game.session.fallSpeed, dropSpeed);
        int row = game.well.piece[0].row;
        for (int tick = 0; tick < 4; ++tick) {
            game.frame();
            EXPECT_EQ(game.well.piece[0].row, row + rowsPerTick) << framesPerSecond;
            row = game.well.piece[0].row;
            EXPECT_EQ(game.session.fallSpeed, dropSpeed);
        }
        // Once locked, the next piece comes 1/70 s later: in the frame after the lock.
        const long lockFrames = game.runUntil([&] { return game.well.pieceActive == 0; }, 200);
        ASSERT_GT(lockFrames, 0);
        EXPECT_EQ(game.sounds.played, Sounds{SoundPieceLocked});
        EXPECT_EQ(game.session.fallSpeed, dropSpeed);
        game.frame();
        EXPECT_EQ(game.well.pieceActive, 1);
        EXPECT_EQ(game.well.dropRequested, 0);
        game.frame();
        EXPECT_EQ(game.session.fallSpeed, softDropSpeed) << "Down is still held";
    }
}

TEST(Gravity, NextPieceComesOneFallIntervalAfterTheLock) {
    GameDriver game;
    game.start(Classic, 100.0);
    game.session.nextShape = 7;
    ASSERT_TRUE(game.untilPieceFalls());
    ASSERT_GT(game.runUntil([&] { return game.well.pieceActive == 0; }, 64 * 30), 0);
    EXPECT_EQ(game.session.score, lockPoints);
    EXPECT_EQ(game.well.settledCount, 4);
    EXPECT_EQ(game.runUntil([&] { return game.well.pieceActive == 1; }, 64 * 3), 65);
}

TEST(Gravity, LandedPieceLocksOnlyOnceItsFallAnimationHasEnded) {
    GameDriver game;
    game.animate = false;
    game.start(Classic, 100.0);
    game.session.nextShape = 6;
    ASSERT_TRUE(game.untilPieceFalls());
    requestDrop(game.well);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(game.frame(), Sounds{});
    }
    EXPECT_EQ(game.well.pieceActive, 1);
    EXPECT_EQ(game.well.piece[0].row, 20);
    rotatePiece(game.well);  // still the player's: it turns and moves
    EXPECT_EQ(game.well.piece[0].rotating, 1);
    game.keys.leftHeld = true;
    game.frame();
    EXPECT_EQ(game.well.piece[0].movingLeft, 1);
    game.keys.leftHeld = false;
    EXPECT_EQ(game.frame(), Sounds{}) << "its fall animation still holds the lock back";
    advanceAsDrawn(game.well, 0.0f, 1.0f);  // no frame rate yet: every animation ends
    EXPECT_EQ(game.frame(), Sounds{SoundPieceLocked});
    EXPECT_EQ(game.well.pieceActive, 0);
}

TEST(Gravity, PauseLongerThanAFallIntervalTicksInTheFirstFrameAfter) {
    GameDriver game;
    game.start(Classic, 100.0);
    ASSERT_TRUE(game.untilPieceFalls());
    for (int i = 0; i < 3 * 64; ++i) {
        game.frame();
    }
    const int clock = game.session.gameClock;
    const int row = game.well.piece[0].row;
    const double pausedAt = game.now;
    game.screen = Paused;
    for (int i = 0; i < 10 * 64; ++i) {
        game.frame();
    }
    game.screen = Playing;
    game.session.gameStartTime += static_cast<float>(game.now - pausedAt);
    game.frame();
    EXPECT_EQ(game.well.piece[0].row, row + 1);
    EXPECT_EQ(game.session.gameClock, clock);
}

// ---- Levels ----

TEST(Levels, RiseEveryNinetySecondsWithTheirPoints) {
    GameDriver game;
    game.start(Original, 10.0);
    game.frameAt(10.0 + 89.5);
    EXPECT_EQ(game.session.level, 1);
    EXPECT_EQ(game.session.score, 0);
    game.frameAt(10.0 + 90.0);
    EXPECT_EQ(game.session.gameClock, 90);
    EXPECT_EQ(game.session.level, 2);
    EXPECT_EQ(game.session.score, 50);
    EXPECT_EQ(game.session.fallSpeed, 4.0f) << "the speed follows the level at once";
    game.frameAt(10.0 + 179.5);
    EXPECT_EQ(game.session.level, 2);
    game.frameAt(10.0 + 180.25);
    EXPECT_EQ(game.session.level, 3);
    EXPECT_EQ(game.session.score, 150);
}

TEST(Levels, AJumpOfSeveralLevelsInOneStepPaysEveryLevelThatEnds) {
    GameDriver game;
    game.start(Classic, 10.0);
    game.frameAt(10.0 + 30.0);
    ASSERT_EQ(game.session.level, 1);
    // A stall of over five minutes between two frames: levels 1, 2, 3 and 4 end together.
    game.frameAt(10.0 + 4 * levelLength + 5.0);
    EXPECT_EQ(game.session.level, 5);
    EXPECT_EQ(game.session.score, 50 * (1 + 2 + 3 + 4));
    EXPECT_EQ(game.session.fallSpeed, 5.0f);
}

// ---- Rows ----

class RowScores : public testing::TestWithParam<int> {};

TEST_P(RowScores, LockingABarThatCompletesRowsScoresThemInTheLockFrame) {
    const int rows = GetParam();
    GameDriver game;
    game.start(Classic, 100.0);
    for (int row = 17; row <= 20; ++row) {
        fillRow(game.well, row,
                row > wellRows - rows ? std::initializer_list<int>{6}
                                      : std::initializer_list<int>{1, 6});
    }
    game.session.nextShape = 1;
    ASSERT_TRUE(game.untilPieceFalls());
    requestDrop(game.well);
    const long frames = game.runUntil([&] { return !game.sounds.played.empty(); }, 64 * 5);
    ASSERT_GT(frames, 0);
    EXPECT_EQ(game.sounds.played, (Sounds{SoundPieceLocked, SoundRowsRemoved}));
    EXPECT_EQ(game.session.score, lockPoints + rowPoints[rows]);
    EXPECT_EQ(game.well.clearedCount, 12 * rows);
    EXPECT_EQ(game.well.settledCount, 11 * (4 - rows)) << "the rows left over hold the bar too";
}

INSTANTIATE_TEST_SUITE_P(OneToFour, RowScores, testing::Values(1, 2, 3, 4));

// ---- Keys ----

TEST(KeyRepeat, HeldLeftMovesAtOnceThenAfterTheDelayThenAtTheInterval) {
    GameDriver game;
    game.start(Classic, 100.0);
    game.session.nextShape = 7;  // the square: columns 6 and 7
    ASSERT_TRUE(game.untilPieceFalls());
    game.keys.leftHeld = true;
    std::vector<long> moveFrames;
    int column = game.well.piece[0].column;
    for (long frame = 0; frame < 48; ++frame) {
        game.frame();
        if (game.well.piece[0].column != column) {
            column = game.well.piece[0].column;
            moveFrames.push_back(frame);
        }
    }
    // First at once, then 0.35 s later (23 frames), then every 0.05 s (4 frames), to the wall.
    EXPECT_EQ(moveFrames, (std::vector<long>{0, 23, 27, 31, 35}));
    EXPECT_EQ(column, 1);
    // Against the wall the repeat still counts: frames 39, 43 and 47 were due.
    EXPECT_EQ(game.session.leftRepeat.repeatCount, 8);
    game.keys.leftHeld = false;
    game.frame();
    EXPECT_EQ(game.session.leftRepeat.repeatCount, 0);
}

TEST(KeyRepeat, PressingAgainRightAfterAMoveWaitsForTheInterval) {
    GameDriver game;
    game.start(Classic, 100.0);
    game.session.nextShape = 7;
    ASSERT_TRUE(game.untilPieceFalls());
    game.keys.rightHeld = true;
    game.frame();
    EXPECT_EQ(game.well.piece[0].column, 7);
    game.keys.rightHeld = false;
    game.frame();
    game.keys.rightHeld = true;
    game.frame();  // 2/64 s after the move
    game.frame();  // 3/64 s
    EXPECT_EQ(game.well.piece[0].column, 7);
    game.frame();  // 4/64 s: more than 0.05 s
    EXPECT_EQ(game.well.piece[0].column, 8);
}

TEST(KeyRepeat, BothKeysMoveLeftThenRightInOneFrame) {
    GameDriver game;
    game.start(Classic, 100.0);
    game.session.nextShape = 7;
    ASSERT_TRUE(game.untilPieceFalls());
    game.keys.leftHeld = true;
    game.keys.rightHeld = true;
    game.frame();
    EXPECT_EQ(game.well.piece[0].column, 6);
    EXPECT_EQ(game.well.piece[0].movingLeft, 1);
    EXPECT_EQ(game.well.piece[0].movingRight, 1);
}

TEST(KeyRepeat, KeysCountWithoutAPiece) {
    GameDriver game;
    game.start(Classic, 100.0);
    game.session.lastFallTime = 100.0f;  // no gravity tick, so no piece, for a second
    game.keys.leftHeld = true;
    game.frame();
    EXPECT_EQ(game.well.pieceActive, 0);
    EXPECT_EQ(game.session.leftRepeat.repeatCount, 1);
    EXPECT_EQ(game.session.leftRepeat.lastMoveTime, static_cast<float>(game.now));
    EXPECT_EQ(game.well.piece[0].column, 0) << "no piece was moved";
}

// ---- Bonus objects ----

// Starts a game of `mode` at time 0 under `seed` and plays one frame at `to` seconds.
GameDriver bonusGame(std::uint32_t seed, int mode, double to) {
    seedGameRandom(seed);
    GameDriver game;
    game.start(mode, 0.0);
    game.frameAt(to);
    return game;
}

TEST(Bonus, ScoreBonusFirstChanceComesAtSixteenSeconds) {
    int appeared = 0;
    int missed = 0;
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        GameDriver game = bonusGame(seed, Original, 15.9);
        EXPECT_EQ(game.session.scoreBonus.active, 0);
        EXPECT_EQ(game.session.scoreBonus.bonusMark, 0);
        const Sounds sounds = game.frameAt(16.0);
        const BonusObject& bonus = game.session.scoreBonus;
        EXPECT_EQ(bonus.bonusMark, 16) << "the chance is used, whatever it gave";
        if (bonus.active) {
            ++appeared;
            EXPECT_EQ(std::count(sounds.begin(), sounds.end(), SoundBonusAppearsOrVanishes), 1);
            EXPECT_GE(bonus.row, 3);
            EXPECT_LE(bonus.row, 20);
            EXPECT_GE(bonus.column, 1);
            EXPECT_LE(bonus.column, 12);
            EXPECT_FALSE(isPieceAt(game.well, bonus.column, bonus.row));
        } else {
            ++missed;
            EXPECT_EQ(std::count(sounds.begin(), sounds.end(), SoundBonusAppearsOrVanishes), 0);
        }
    }
    EXPECT_GT(appeared, 5) << "about one chance in four";
    EXPECT_GT(missed, 25);
}

TEST(Bonus, ClearBonusFirstChanceComesAtOneHundredFiftyOneSeconds) {
    int appeared = 0;
    for (std::uint32_t seed = 1; seed <= 30; ++seed) {
        GameDriver game = bonusGame(seed, Crazy, 150.9);
        EXPECT_EQ(game.session.clearBonus.active, 0);
        EXPECT_EQ(game.session.clearBonus.bonusMark, 0);
        game.frameAt(151.0);
        EXPECT_EQ(game.session.clearBonus.bonusMark, 151);
        appeared += game.session.clearBonus.active;
        if (game.session.clearBonus.active && game.session.scoreBonus.active) {
            EXPECT_FALSE(game.session.clearBonus.column == game.session.scoreBonus.column &&
                         game.session.clearBonus.row == game.session.scoreBonus.row);
        }
    }
    EXPECT_GT(appeared, 5) << "about one chance in two";
}

TEST(Bonus, BonusNeverAppearsOnTheStackOrThePiece) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        seedGameRandom(seed);
        GameDriver game;
        game.start(Original, 0.0);
        game.frameAt(1.0);  // the first piece: rows 1..4
        for (int row = 5; row <= 20; ++row) {
            fillRow(game.well, row, {1 + (row % 12)});
        }
        game.frameAt(16.0);
        const BonusObject& bonus = game.session.scoreBonus;
        if (bonus.active) {
            EXPECT_FALSE(isSettledAt(game.well, bonus.column, bonus.row));
            EXPECT_FALSE(isPieceAt(game.well, bonus.column, bonus.row));
        }
    }
}

TEST(Bonus, FullWellLeavesNoPlaceAndTheChanceIsSpent) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        seedGameRandom(seed);
        GameDriver game;
        game.start(Original, 0.0);
        game.frameAt(1.0);  // the first piece: rows 1..4
        for (int row = 3; row <= 20; ++row) {
            for (int column = 1; column <= wellColumns; ++column) {
                if (!isPieceAt(game.well, column, row)) {
                    settleCell(game.well, column, row);
                }
            }
        }
        const Sounds sounds = game.frameAt(16.0);
        EXPECT_EQ(game.session.scoreBonus.active, 0);
        EXPECT_EQ(game.session.scoreBonus.bonusMark, 16);
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), SoundBonusAppearsOrVanishes), 0);
        EXPECT_EQ(game.session.score, lockPoints) << "more than four rows at once score nothing";
    }
}

TEST(Bonus, ClassicNeverShowsOne) {
    seedGameRandom(9);
    GameDriver game;
    game.start(Classic, 0.0);
    for (double t = 0.5; t < 400.0; t += 0.5) {
        game.frameAt(t);
        game.well.settledCount = 0;  // keep the game going
        ASSERT_EQ(game.session.scoreBonus.active + game.session.clearBonus.active, 0);
    }
}

TEST(Bonus, UncollectedBonusVanishesElevenSecondsAfterItAppeared) {
    GameDriver game;
    game.start(Original, 0.0);
    game.frameAt(20.0);
    game.session.scoreBonus = {.active = 1, .column = 1, .row = 20, .bonusMark = 20};
    for (double t = 20.5; t < 31.0; t += 0.5) {
        EXPECT_EQ(game.frameAt(t), Sounds{}) << t;
        ASSERT_EQ(game.session.scoreBonus.active, 1);
    }
    EXPECT_EQ(game.frameAt(31.0), Sounds{SoundBonusAppearsOrVanishes});
    EXPECT_EQ(game.session.scoreBonus.active, 0);
    EXPECT_EQ(game.session.scoreBonus.bonusMark, 31);
    // The next chance comes when more than 15 further seconds have passed.
    game.frameAt(46.0);
    EXPECT_EQ(game.session.scoreBonus.bonusMark, 31);
}

TEST(Bonus, BothVanishOnEveryRuleSet) {
    GameDriver game;
    game.start(Classic, 0.0);
    game.session.scoreBonus = {.active = 1, .column = 1, .row = 20, .bonusMark = 0};
    game.session.clearBonus = {.active = 1, .column = 12, .row = 20, .bonusMark = 0};
    EXPECT_EQ(game.frameAt(10.5), Sounds{});
    EXPECT_EQ(game.frameAt(11.0),
              (Sounds{SoundBonusAppearsOrVanishes, SoundBonusAppearsOrVanishes}));
    EXPECT_EQ(game.session.scoreBonus.active + game.session.clearBonus.active, 0);
    EXPECT_EQ(game.session.clearBonus.bonusMark, 11);
}

TEST(Bonus, PieceCollectsTheScoreBonus) {
    GameDriver game;
    game.start(Original, 0.0);
    game.session.nextShape = 1;
    ASSERT_TRUE(game.untilPieceFalls());
    game.session.scoreBonus = {.active = 1, .column = 6, .row = 10, .bonusMark = 0};
    requestDrop(game.well);
    const long frames = game.runUntil([&] { return !game.sounds.played.empty(); }, 64);
    ASSERT_GT(frames, 0);
    EXPECT_EQ(game.sounds.played, Sounds{SoundBonusCollected});
    EXPECT_EQ(game.session.score, scoreBonusPoints);
    EXPECT_EQ(game.session.scoreBonus.active, 0);
    EXPECT_EQ(game.well.piece[3].row, 11) << "reached in the frame before, then fell on";
}

TEST(Bonus, CollectedClearBonusEmptiesOnlyTheStack) {
    GameDriver game;
    game.animate = false;
    game.start(Crazy, 0.0);
    game.session.nextShape = 1;
    ASSERT_TRUE(game.untilPieceFalls());
    for (int row = 14; row <= 20; ++row) {
        fillRow(game.well, row, {6, 9});
    }
    game.well.clearedCount = 5;
    game.well.clearProgress = 0.5f;
    game.session.score = 1234;
    game.session.clearBonus = {.active = 1, .column = 6, .row = 5, .bonusMark = 0};
    const long frames = game.runUntil([&] { return !game.sounds.played.empty(); }, 64);
    ASSERT_GT(frames, 0);
    EXPECT_EQ(game.sounds.played, Sounds{SoundBonusCollected});
    EXPECT_EQ(game.well.settledCount, 0);
    EXPECT_EQ(game.well.pieceActive, 1);
    EXPECT_EQ(game.session.score, 1234);
    EXPECT_EQ(game.well.clearedCount, 5);
    EXPECT_EQ(game.well.clearProgress, 0.5f);
}

TEST(Bonus, BothCanBeActiveAtOnce) {
    bool both = false;
    for (std::uint32_t seed = 1; seed <= 200 && !both; ++seed) {
        GameDriver game = bonusGame(seed, Original, 145.0);
        game.frameAt(151.0);
        both = game.session.scoreBonus.active && game.session.clearBonus.active;
    }
    EXPECT_TRUE(both);
}

// ---- Game over ----

TEST(GameOver, OnlyABlockedSpawnEndsTheGameAndTheFrameGoesOn) {
    GameDriver game;
    game.start(Classic, 100.0);
    settleCell(game.well, 1, 1);
    settleCell(game.well, 12, 1);
    ASSERT_TRUE(game.untilPieceFalls()) << "cells in row 1 away from the spawn do not end it";
    game.well.pieceActive = 0;
    settleCell(game.well, 6, 2);
    fillRow(game.well, 20);
    game.session.lastFallTime = static_cast<float>(game.now - 2.0);  // a tick is due
    game.frame();
    EXPECT_EQ(game.screen, GameOver);
    EXPECT_EQ(game.sounds.played, (Sounds{SoundGameOver, SoundRowsRemoved}));
    EXPECT_EQ(game.well.pieceActive, 0);
    EXPECT_EQ(game.session.score, rowPoints[1]);

    const GameSession after = game.session;
    for (int i = 0; i < 64 * 100; ++i) {
        ASSERT_EQ(game.frame(), Sounds{});
    }
    EXPECT_EQ(game.session.score, after.score);
    EXPECT_EQ(game.session.gameClock, after.gameClock);
    EXPECT_EQ(game.screen, GameOver);
}

// ---- Whole games ----

void expectWellConsistent(const Well& well) {
    bool taken[wellColumns + 1][wellRows + 1] = {};
    for (int i = 0; i < well.settledCount; ++i) {
        const Cell& cell = well.settledCells[i];
        ASSERT_GE(cell.column, 1);
        ASSERT_LE(cell.column, wellColumns);
        ASSERT_GE(cell.row, 1);
        ASSERT_LE(cell.row, wellRows);
        ASSERT_FALSE(taken[cell.column][cell.row]) << "two settled cells share a place";
        taken[cell.column][cell.row] = true;
    }
    if (well.pieceActive) {
        for (const Cell& cell : well.piece) {
            ASSERT_GE(cell.column, 1);
            ASSERT_LE(cell.column, wellColumns);
            ASSERT_GE(cell.row, 1);
            ASSERT_LE(cell.row, wellRows);
            ASSERT_FALSE(taken[cell.column][cell.row]) << "the piece overlaps the stack";
        }
    }
}

struct GameTally {
    long frames = 0;
    int locks = 0;
    int rowsRemoved = 0;
    int scoreBonuses = 0;
    int clearBonuses = 0;
    int appearances = 0;
    int highestLevel = 0;
};

bool collected(const BonusObject& before, const BonusObject& after, int clock) {
    return before.active && !after.active && clock - before.bonusMark <= 10;
}

// Plays one game from startGame to game over and checks every frame's score and sounds
// against what happened in it.
GameTally playWholeGame(int mode, unsigned seed) {
    seedGameRandom(seed);
    PlanningPlayer player(seed, 200);
    GameDriver game;
    game.start(mode, 1.0);
    GameTally tally;
    const long frameLimit = 64L * 60 * 60;
    while (game.screen == Playing && tally.frames < frameLimit) {
        player.play(game);
        const GameSession before = game.session;
        const int settledBefore = game.well.settledCount;
        const Sounds sounds = game.frame();
        ++tally.frames;
        const GameSession& after = game.session;
        expectWellConsistent(game.well);
        if (testing::Test::HasFatalFailure()) {
            return tally;
        }

        const int locks = static_cast<int>(std::count(sounds.begin(), sounds.end(), 3));
        const bool scoreTaken = collected(before.scoreBonus, after.scoreBonus, after.gameClock);
        const bool clearTaken = collected(before.clearBonus, after.clearBonus, after.gameClock);
        const int removedCells =
            (clearTaken ? 0 : settledBefore) + 4 * locks - game.well.settledCount;
        EXPECT_EQ(removedCells % wellColumns, 0);
        const int rows = removedCells / wellColumns;
        int levelPoints = 0;
        for (int ended = before.level; ended < after.level; ++ended) {
            levelPoints += 50 * ended;
        }
        EXPECT_EQ(after.score - before.score, levelPoints + lockPoints * locks +
                                                  (scoreTaken ? scoreBonusPoints : 0) +
                                                  rowPoints[std::clamp(rows, 0, 4)])
            << "frame " << tally.frames;
        EXPECT_EQ(after.level, after.gameClock / levelLength + 1);

        // Sounds in the order their events happen within the frame.
        Sounds expected;
        const int newBonuses = (!before.scoreBonus.active && after.scoreBonus.active) +
                               (!before.clearBonus.active && after.clearBonus.active);
        const int expired = (before.scoreBonus.active && !after.scoreBonus.active && !scoreTaken) +
                            (before.clearBonus.active && !after.clearBonus.active && !clearTaken);
        for (int i = 0; i < newBonuses + expired + scoreTaken + clearTaken; ++i) {
            expected.push_back(-1);  // bonus sounds come first; checked by kind below
        }
        for (int i = 0; i < locks; ++i) {
            expected.push_back(SoundPieceLocked);
        }
        if (game.screen == GameOver) {
            expected.push_back(SoundGameOver);
        }
        if (rows > 0) {
            expected.push_back(SoundRowsRemoved);
        }
        EXPECT_EQ(sounds.size(), expected.size()) << "frame " << tally.frames;
        for (std::size_t i = 0; i < std::min(sounds.size(), expected.size()); ++i) {
            if (expected[i] == -1) {
                EXPECT_TRUE(sounds[i] == SoundBonusAppearsOrVanishes ||
                            sounds[i] == SoundBonusCollected);
            } else {
                EXPECT_EQ(sounds[i], expected[i]) << "frame " << tally.frames;
            }
        }
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), SoundBonusCollected),
                  scoreTaken + clearTaken);

        tally.locks += locks;
        tally.rowsRemoved += rows;
        tally.scoreBonuses += scoreTaken;
        tally.clearBonuses += clearTaken;
        tally.appearances += newBonuses;
        tally.highestLevel = std::max(tally.highestLevel, after.level);
        if (testing::Test::HasFailure()) {
            return tally;
        }
    }
    EXPECT_EQ(game.screen, GameOver) << "the game ended within an hour";
    EXPECT_EQ(game.well.pieceActive, 0);
    return tally;
}

GameTally playWholeGames(int mode) {
    GameTally total;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const GameTally tally = playWholeGame(mode, seed);
        total.frames += tally.frames;
        total.locks += tally.locks;
        total.rowsRemoved += tally.rowsRemoved;
        total.scoreBonuses += tally.scoreBonuses;
        total.clearBonuses += tally.clearBonuses;
        total.appearances += tally.appearances;
        total.highestLevel = std::max(total.highestLevel, tally.highestLevel);
    }
    return total;
}

TEST(WholeGame, ClassicPlaysToGameOverWithoutBonuses) {
    const GameTally total = playWholeGames(Classic);
    EXPECT_GT(total.rowsRemoved, 100);
    EXPECT_GE(total.highestLevel, 3);
    EXPECT_EQ(total.appearances, 0);
}

TEST(WholeGame, OriginalPlaysToGameOverWithBothBonuses) {
    const GameTally total = playWholeGames(Original);
    EXPECT_GT(total.rowsRemoved, 100);
    EXPECT_GE(total.highestLevel, 3);
    EXPECT_GT(total.scoreBonuses, 0);
    EXPECT_GT(total.clearBonuses, 0);
}

TEST(WholeGame, CrazyPlaysToGameOverWithBothBonuses) {
    const GameTally total = playWholeGames(Crazy);
    EXPECT_GT(total.rowsRemoved, 100);
    EXPECT_GE(total.highestLevel, 3);
    EXPECT_GT(total.scoreBonuses, 0);
    EXPECT_GT(total.clearBonuses, 0);
}

}  // namespace
