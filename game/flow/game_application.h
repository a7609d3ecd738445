// The game object: the frame's application with the game's state, its scene, its text font,
// the sound effects and the music. One per process; the program's entry makes it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/application.h"
#include "audio/music_player.h"
#include "audio/sound_bank.h"
#include "game/flow/game_services.h"
#include "game/flow/game_state.h"
#include "render/game_scene.h"

class TextureFont;

// The six sound effects, in the order that numbers them 1..6.
constexpr int gameSoundCount = 6;
extern const char* const gameSoundFiles[gameSoundCount];

// The text font of every screen.
constexpr const char* gameFontFace = "Courier";
constexpr std::uint32_t gameFontHeight = 18;

class GameApplication : public Application3D, private GameServices {
public:
    // Sets the caption "2001 Kolvane", asks for a depth buffer and for the cursor in full-screen
    // mode, sizes the window from the desktop (10 pixels narrower, 65 lower) and makes the
    // text font object (its device objects come with the device).
    GameApplication();
    ~GameApplication() override;

    // Seeds the random source with the milliseconds since the machine started times ten,
    // shows the main menu, reads the information text, the high scores and the options, opens
    // the sound output with the six sounds, makes the main window the music's notify window and
    // starts loading the music's SoundFont on another thread (the first track waits for it).
    // Always succeeds.
    ResultCode initScene() override;
    // Loads every picture and mesh and the font's texture, then shows the main window.
    ResultCode createDeviceObjects() override;
    ResultCode createVolatileObjects() override;
    // The rules' frame step, with the Left, Right and Down keys polled: a key is held for the
    // step while it is down, or when it was pressed since the last step.
    ResultCode advanceScene() override;
    ResultCode drawScene() override;
    ResultCode releaseVolatileObjects() override;
    ResultCode destroyDeviceObjects() override;
    // Stores a new high score whose name is still being typed, with the name typed so far, and
    // saves scores.dat as Enter would; then frees the text font and closes the music. Writes no
    // other file.
    ResultCode shutdownScene() override;

    // The screens' keys, menu commands, focus changes, a pad going away and the end of a tune,
    // then the frame's own handling; the context menu message ends here with 0. Afterwards the
    // pads hear what the screen shown wants of them.
    MessageResult handleMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                MessageLong lParam) override;

    GameState& gameState() { return *state_; }
    // The text font; nullptr after shutdownScene.
    TextureFont* textFont() const { return font_.get(); }
    const GameScene& scene() const { return scene_; }

    // How the help page is opened: the desktop's viewer unless replaced (tests record it).
    std::function<void(const char* fileName)> openFile;

private:
    // GameServices: what the screens ask of the world.
    void playSound(int number) override;
    void stopMusic() override;
    void closeMusic() override;
    void openMusic(const char* fileName) override;
    void playMusic() override;
    void openWithDesktop(const char* fileName) override;
    void closeMainWindow() override;
    void saveOptions(const Options& options) override;
    void saveHighScores(HighScoreTable& table) override;

    // The arrows the frame-move step polls, each pressed since the last step.
    struct PressedArrows {
        bool left = false;
        bool right = false;
        bool down = false;
    };

    void notePressedArrow(std::uint32_t virtualKey);
    void sizeWindowFromDesktop();
    void loadSounds();
    SceneInput sceneInput();

    std::unique_ptr<GameState> state_;
    // What scores.dat held when this copy of the game last read or wrote it.
    HighScoreTable highScoresOnFile_;
    GameScene scene_;
    std::unique_ptr<TextureFont> font_;
    SoundBank soundBank_;
    MusicPlayer musicPlayer_;
    PressedArrows pressed_;
};
