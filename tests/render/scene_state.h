// The game state one drawn frame shows, and the frame's own clock and rate, kept together so a
// test or benchmark sets what it cares about and hands the rest over as one SceneInput.
#pragma once

#include "render/game_scene.h"

struct SceneState {
    GameSession session = initialGameSession(0.0f);
    Well well;
    Options options;
    HighScoreTable highScores;
    NameEntry nameEntry;
    GameInfoText gameInfo;
    int menuSelection = 0;
    int backgroundVariant = 0;
    float appTime = 1.0f;
    float framesPerSecond = 60.0f;

    // The input of one frame of `screen`. The session's measured rate is set to
    // framesPerSecond first, as the game keeps the two equal.
    SceneInput input(int screen) {
        session.framesPerSecond = framesPerSecond;
        return SceneInput{screen,   menuSelection, backgroundVariant, session,
                          well,     options,       highScores,        nameEntry,
                          gameInfo, appTime,       framesPerSecond};
    }
};
