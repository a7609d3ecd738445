#include "game/flow/game_state.h"

#include "game/rules/random.h"

std::int32_t drawBackgroundVariant() {
    return scaledDraw(backgroundVariantChoices);
}

void prepareFirstScreen(GameState& state, std::uint32_t randomSeed, float appTime) {
    seedGameRandom(randomSeed);
    state.session.gameMode = Classic;
    state.session.gameStartTime = appTime;
    state.session.lastFallTime = appTime;
    state.backgroundVariant = drawBackgroundVariant();
    state.screen = MainMenu;
    state.menuSelection = MenuNewGame;
}

void loadDataFiles(GameState& state) {
    state.gameInfo = loadGameInfo();
    state.highScores = loadHighScores();
    loadOptions(state.options);
}
