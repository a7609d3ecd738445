// What the screens need from outside the game's state: the sound effects, the music, the
// desktop's viewer, the main window and the data files. The game object supplies the real
// ones; tests record what the screens asked for.
#pragma once

#include "game/flow/high_scores.h"
#include "game/flow/options.h"
#include "game/rules/sound_player.h"

class GameServices : public SoundPlayer {
public:
    // playSound(n), inherited: plays sound n (1..6) once; failures are ignored.

    // The music, one file at a time; failures are ignored and leave the game without music.
    virtual void stopMusic() = 0;
    virtual void closeMusic() = 0;
    // Opens a MIDI file named as the game spells it ("Sound\music_m.mid").
    virtual void openMusic(const char* fileName) = 0;
    // Plays the open file from its start; its end arrives as MM_MCINOTIFY with
    // MCI_NOTIFY_SUCCESSFUL.
    virtual void playMusic() = 0;

    // Opens a file of the working directory with the desktop's viewer for it; failures
    // (no file, no viewer) are ignored.
    virtual void openWithDesktop(const char* fileName) = 0;

    // Sends the close message to the main window, which ends the program.
    virtual void closeMainWindow() = 0;

    // Write options.dat and scores.dat; failures are not reported. Saving the high scores
    // first folds into table the entries other copies of the game stored meanwhile.
    virtual void saveOptions(const Options& options) = 0;
    virtual void saveHighScores(HighScoreTable& table) = 0;

protected:
    ~GameServices() = default;
};
