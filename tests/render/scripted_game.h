// A game played by script for whole-frame tests and benchmarks: the rules advance a real
// game with the arrow keys and drops pressed in a fixed pattern, and the scene draws it.
#pragma once

#include "render/game_scene.h"

#include "game/rules/session.h"

struct SilentSounds : SoundPlayer {
    void playSound(int) override {}
};

// One frame of a scripted game at frame `frame` of a 60 Hz clock: moves, turns and drops
// from a fixed pattern, the rules' step, and back to a new game when one ends.
void playScriptedFrame(GameSession& session, Well& well, int& screen, int frame,
                       SoundPlayer& sounds);

// The busiest game frame: the well nearly full with a row flying away, a piece falling
// mid-rotation, both bonus objects, on the Original rule set.
void setUpBusiestFrame(GameSession& session, Well& well);
