// Helpers shared by the rules tests: building wells, recording sounds, playing frames.
#pragma once

#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "game/rules/random.h"
#include "game/rules/rotation.h"
#include "game/rules/rows.h"
#include "game/rules/screen.h"
#include "game/rules/session.h"
#include "game/rules/sound_player.h"
#include "game/rules/well.h"
#include "tests/support/drawn_frame.h"

struct SoundRecorder final : SoundPlayer {
    std::vector<int> played;
    void playSound(int number) override { played.push_back(number); }
};

inline void settleCell(Well& well, int column, int row, int colour = 0) {
    Cell& cell = well.settledCells[well.settledCount++];
    cell = Cell{};
    cell.column = column;
    cell.row = row;
    cell.colour = colour;
}

// Fills `row` except the columns listed in `gaps`.
inline void fillRow(Well& well, int row, std::initializer_list<int> gaps = {}) {
    for (int column = 1; column <= wellColumns; ++column) {
        bool isGap = false;
        for (int gap : gaps) {
            isGap |= gap == column;
        }
        if (!isGap) {
            settleCell(well, column, row, column % colourCount);
        }
    }
}

// Places the four cells of a piece directly, with no animation running.
inline void placePiece(Well& well, std::initializer_list<std::pair<int, int>> cells) {
    int k = 0;
    for (auto [column, row] : cells) {
        well.piece[k] = Cell{};
        well.piece[k].column = column;
        well.piece[k].row = row;
        ++k;
    }
    well.pieceActive = 1;
}

// A game driven frame by frame under a chosen frame rate and key state. After each frame
// step the well's animations advance as the renderer advances them while the well is shown.
struct GameDriver {
    GameSession session = initialGameSession(0.0f);
    Well well{};
    Screen screen = MainMenu;
    SoundRecorder sounds;
    double now = 0.0;
    double framesPerSecond = 64.0;  // a power of two keeps the frame times exact
    FrameInput keys;
    bool animate = true;  // advance the cell animations after each step, as drawing does
    long frames = 0;

    void start(int mode, double at) {
        now = at;
        session.gameMode = mode;
        screen = Playing;
        startGame(session, well, static_cast<float>(now));
    }

    // Runs one frame at the next frame time; returns the sounds of this frame.
    std::vector<int> frame() { return frameAt(now + 1.0 / framesPerSecond); }

    std::vector<int> frameAt(double time) {
        now = time;
        ++frames;
        sounds.played.clear();
        FrameInput input = keys;
        input.appTime = static_cast<float>(now);
        input.framesPerSecond = static_cast<float>(framesPerSecond);
        advanceGame(session, well, screen, input, sounds);
        if (animate && (screen == Playing || screen == Paused || screen == GameOver)) {
            advanceAsDrawn(well, session.framesPerSecond, session.fallSpeed);
        }
        return sounds.played;
    }

    // Runs frames until `done` holds after a frame; returns the number of frames run, or -1
    // if it did not hold within `limit` frames.
    long runUntil(const std::function<bool()>& done, long limit) {
        for (long i = 1; i <= limit; ++i) {
            frame();
            if (done()) {
                return i;
            }
        }
        return -1;
    }

    // Runs frames until a piece falls; returns false if none came within ten seconds.
    bool untilPieceFalls() {
        return runUntil([&] { return well.pieceActive != 0; }, 10 * 64) > 0;
    }

    int pieceTopRow() const {
        int top = wellRows + 1;
        for (const Cell& cell : well.piece) {
            top = std::min(top, cell.row);
        }
        return top;
    }
    int pieceLeftColumn() const {
        int left = wellColumns + 1;
        for (const Cell& cell : well.piece) {
            left = std::min(left, cell.column);
        }
        return left;
    }
};

inline int leftmostColumn(const Well& well) {
    int left = wellColumns + 1;
    for (const Cell& cell : well.piece) {
        left = std::min(left, cell.column);
    }
    return left;
}

// A player who plans where each new piece should go (turns, column), gets it there with the
// keys a person would press, and drops it; now and then a careless choice, and after
// `givesUpAt` seconds of game clock the player stops touching the keys.
struct PlanningPlayer {
    std::mt19937 dice;
    int givesUpAt;
    int carelessOneIn = 40;
    bool planned = false;
    int turnsLeft = 0;
    int targetColumn = 0;

    PlanningPlayer(unsigned seed, int givesUpAt) : dice(seed), givesUpAt(givesUpAt) {}

    void play(GameDriver& game) {
        Well& well = game.well;
        game.keys = FrameInput{};
        if (game.screen != Playing || game.session.gameClock >= givesUpAt) {
            return;
        }
        if (!well.pieceActive) {
            planned = false;
            return;
        }
        if (!planned) {
            plan(well);
            planned = true;
        }
        if (turnsLeft > 0) {
            rotatePiece(well);
            --turnsLeft;
            return;
        }
        const int left = leftmostColumn(well);
        if (left > targetColumn) {
            game.keys.leftHeld = true;
        } else if (left < targetColumn) {
            game.keys.rightHeld = true;
        } else if (!well.dropRequested) {
            requestDrop(well);
        }
    }

private:
    void plan(const Well& well) {
        if (std::uniform_int_distribution<int>(1, carelessOneIn)(dice) == 1) {
            turnsLeft = std::uniform_int_distribution<int>(0, 3)(dice);
            targetColumn = std::uniform_int_distribution<int>(1, wellColumns)(dice);
            return;
        }
        int bestValue = -1'000'000;
        turnsLeft = 0;
        targetColumn = leftmostColumn(well);
        for (int turns = 0; turns < 4; ++turns) {
            for (int column = 1; column <= wellColumns; ++column) {
                int value = 0;
                if (landingValue(well, turns, column, value) && value > bestValue) {
                    bestValue = value;
                    turnsLeft = turns;
                    targetColumn = column;
                }
            }
        }
    }

    static bool landingValue(const Well& well, int turns, int column, int& value) {
        static Well trial;
        trial = well;
        for (int t = 0; t < turns; ++t) {
            rotatePiece(trial);
        }
        while (leftmostColumn(trial) > column) {
            const int before = leftmostColumn(trial);
            movePieceLeft(trial);
            if (leftmostColumn(trial) == before) {
                return false;
            }
        }
        while (leftmostColumn(trial) < column) {
            const int before = leftmostColumn(trial);
            movePieceRight(trial);
            if (leftmostColumn(trial) == before) {
                return false;
            }
        }
        while (stepPieceDown(trial)) {
        }
        lockPiece(trial);
        const int fullRows = clearFullRows(trial);
        bool taken[wellColumns + 2][wellRows + 2] = {};
        for (int i = 0; i < trial.settledCount; ++i) {
            taken[trial.settledCells[i].column][trial.settledCells[i].row] = true;
        }
        int holes = 0;
        int heightSum = 0;
        int bumpiness = 0;
        int previousHeight = -1;
        for (int c = 1; c <= wellColumns; ++c) {
            int top = 1;
            while (top <= wellRows && !taken[c][top]) {
                ++top;
            }
            const int height = wellRows + 1 - top;
            heightSum += height;
            if (previousHeight >= 0) {
                bumpiness += std::abs(height - previousHeight);
            }
            previousHeight = height;
            for (int row = top + 1; row <= wellRows; ++row) {
                holes += !taken[c][row];
            }
        }
        value = 76 * fullRows - 51 * heightSum - 36 * holes - 18 * bumpiness;
        return true;
    }
};
