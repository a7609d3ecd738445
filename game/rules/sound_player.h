// How the rules make themselves heard: every sound goes out through one small interface,
// so the game can play it and a test can record it.
#pragma once

// The game's sound numbers.
enum SoundNumber : int {
    SoundAction = 1,
    SoundRowsRemoved = 2,
    SoundPieceLocked = 3,
    SoundGameOver = 4,
    SoundBonusAppearsOrVanishes = 5,
    SoundBonusCollected = 6,
};

struct SoundPlayer {
    // Plays sound `number` (1..6) once. The rules never look at whether it could be played.
    virtual void playSound(int number) = 0;

protected:
    ~SoundPlayer() = default;
};
