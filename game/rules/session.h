// One game: score, level, clock, fall speed, the choice of pieces, gravity, locking, row
// scores, the two bonus objects and the polled arrow keys, advanced once per frame.
#pragma once

#include "game/rules/screen.h"
#include "game/rules/sound_player.h"
#include "game/rules/well.h"

// The rule set; it also picks the high-score table shown.
enum GameMode : int {
    Classic = 0,   // fall speed = level, no bonus objects
    Original = 1,  // twice as fast, with bonus objects
    Crazy = 2,     // three times as fast, with bonus objects
};
constexpr int gameModeCount = 3;

// A bonus object in the well: shown while `active`, at (`column`, `row`) with row 3..20.
// `bonusMark` is the game clock of its last appearance, disappearance, collection or
// placement attempt.
struct BonusObject {
    int active = 0;
    int column = 0;
    int row = 0;
    int bonusMark = 0;
};

// Auto-repeat of a held arrow key: moves made during the current hold, and the application
// time of the last one.
struct KeyRepeat {
    int repeatCount = 0;
    float lastMoveTime = 0.0f;
};

// The running game. Times are application time in seconds.
struct GameSession {
    int gameMode = Classic;
    int score = 0;
    int level = 0;               // from 1 in a game: gameClock / 90 + 1
    float gameStartTime = 0.0f;  // moved forward by the length of every pause
    int gameClock = 0;           // whole seconds played; frozen off the Playing screen
    float fallSpeed = 0.0f;      // rows per second; also paces the piece's fall animation
    float lastFallTime = 0.0f;   // time of the last gravity tick
    int currentShape = 0;        // 1..7
    int currentColour = 0;       // 0..6
    int nextShape = 0;           // 1..7, the preview; 0 before the first piece of the run
    int nextColour = 0;          // 0..6
    BonusObject scoreBonus;      // worth 500 points
    BonusObject clearBonus;      // empties the well
    KeyRepeat leftRepeat;
    KeyRepeat rightRepeat;
    float framesPerSecond = 0.0f;  // the frame rate of the last frame step, for the animations
};

// Fixed values of the game.
constexpr float dropSpeed = 70.0f;                 // rows per second after a drop
constexpr float softDropSpeed = 0.5f * dropSpeed;  // rows per second while Down is held
constexpr float repeatInterval = 0.05f;            // seconds between repeated moves
constexpr float repeatDelay = 0.3f;                // extra wait before the first repeat
constexpr int levelLength = 90;                    // seconds of play per level
constexpr int spawnColumn = 6;
constexpr int spawnRow = 2;

constexpr int lockPoints = 5;
constexpr int scoreBonusPoints = 500;
// Points for rows removed at once, indexed by the number of rows (0..4).
constexpr int rowPoints[] = {0, 100, 250, 400, 600};

// What a frame step reads from outside the rules.
struct FrameInput {
    float appTime = 0.0f;          // application time, seconds
    float framesPerSecond = 0.0f;  // measured frame rate; 0 until first measured
    bool leftHeld = false;         // the arrow keys, polled each frame
    bool rightHeld = false;
    bool downHeld = false;
};

// The session at program start: rule set Classic, both times at `appTime`, all else zero.
GameSession initialGameSession(float appTime);

// Starts a game of `session.gameMode` at `appTime`: score 0, level 1, both bonus objects gone,
// the well emptied, no piece falling. The preview, the last gravity tick, the key repeat and
// the cleared list carry over. The first piece comes with the first gravity tick.
void startGame(GameSession& session, Well& well, float appTime);

// The player asks to drop the falling piece: it falls at dropSpeed until the next placement.
void requestDrop(Well& well);

// The rules' part of one frame. Always takes the frame rate; only while `screen` is Playing
// does it run the game: clock and level, the bonus objects, the gravity tick with locking or
// the next piece, row removal, the Left and Right keys with auto-repeat, and the fall speed
// for the next frame. A new piece that does not fit sets `screen` to GameOver; the rest of
// that frame still runs. Sounds are played through `sounds` in the order they happen.
// Allocates nothing.
void advanceGame(GameSession& session, Well& well, Screen& screen, const FrameInput& input,
                 SoundPlayer& sounds);
