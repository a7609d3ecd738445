// The screens of the game. The number of a screen is what is stored and compared.
#pragma once

enum Screen : int {
    MainMenu = 0,
    RuleSetMenu = 1,
    Playing = 2,
    GameOver = 3,
    Paused = 4,
    HighScores = 5,
    GameInfo = 6,
};
