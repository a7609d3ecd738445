// Everything the game keeps between frames: the running game and its well, which screen is
// shown and what it highlights, the high-score tables, the options and the information text.
// Plain data; the screens' message handling and the frame step change it, the drawing reads it.
#pragma once

#include <cstdint>

#include "game/flow/game_info.h"
#include "game/flow/high_scores.h"
#include "game/flow/options.h"
#include "game/rules/screen.h"
#include "game/rules/session.h"
#include "game/rules/well.h"

// The items of the main menu, top to bottom.
enum MainMenuItem : int {
    MenuNewGame = 0,
    MenuHighScores = 1,
    MenuGameInfo = 2,
    MenuExit = 3,
};
constexpr int mainMenuItemCount = 4;

// Background picture sets the drawing chooses from (backgroundVariant 0..2).
constexpr int backgroundVariantChoices = 3;

struct GameState {
    GameSession session;  // gameMode also picks the high-score table shown
    Well well;
    Screen screen = MainMenu;
    std::int32_t menuSelection = MenuNewGame;  // a MainMenuItem
    std::int32_t backgroundVariant = 0;        // 0..2
    float pauseStartTime = 0.0f;               // application time the current pause began
    NameEntry nameEntry;
    HighScoreTable highScores;
    Options options;
    GameInfoText gameInfo;
};

// A new background picture set, 0..2, from the game's random source.
std::int32_t drawBackgroundVariant();

// Puts the screens in their state at program start: seeds the random source with
// randomSeed, rule set Classic, the game's start and last gravity tick at appTime, a new
// background, the main menu with "new game" highlighted.
void prepareFirstScreen(GameState& state, std::uint32_t randomSeed, float appTime);

// Reads gameinfo.txt, scores.dat and options.dat, in this order, creating each empty when it
// is missing; what a file does not supply keeps its default.
void loadDataFiles(GameState& state);
