// The real game object on the real frame and device (OpenGL in an X server without a screen,
// Xvfb), with the generated media: every screen is shown and drawn, and closing from the menu ends
// the program without writing a file.
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/flow/game_application.h"
#include "game/flow/high_scores.h"
#include "platform/message_box.h"
#include "platform/window.h"
#include "tests/flow/temp_directory.h"

namespace {

std::vector<std::string> shownBoxes;
void recordBox(const char* caption, const char* text, MessageBoxIcon) {
    shownBoxes.push_back(std::string(caption) + ": " + text);
}

class GameProgram : public InTempDirectory {
protected:
    void SetUp() override {
        InTempDirectory::SetUp();
        for (const char* media : {"Graphics", "Sound"}) {
            std::filesystem::copy(std::filesystem::path(KOLVANE_RUN_DIR) / media, media,
                                  std::filesystem::copy_options::recursive);
        }
        shownBoxes.clear();
        previousBox_ = setMessageBoxFunction(recordBox);
        previousMaker_ = setDirect3DMaker(Direct3DCreate8);
    }

    void TearDown() override {
        setDirect3DMaker(previousMaker_);
        setMessageBoxFunction(previousBox_);
        InTempDirectory::TearDown();
    }

    void frames(GameApplication& game, int count) {
        for (int i = 0; i < count && game.device != nullptr; ++i) {
            EXPECT_GE(game.frameStep(), 0);
        }
    }

    void key(GameApplication& game, std::uint32_t virtualKey) {
        sendMessage(game.mainWindow, WM_KEYDOWN, virtualKey, 0);
        frames(game, 2);
    }

    // A key pressed and released on the window, as the window system reports it.
    static void pushKey(GameApplication& game, SDL_Keycode key) {
        SDL_Event event{};
        event.key.windowID = SDL_GetWindowID(reinterpret_cast<SDL_Window*>(game.mainWindow));
        event.key.keysym.sym = key;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        for (Uint32 type : {Uint32{SDL_KEYDOWN}, Uint32{SDL_KEYUP}}) {
            event.type = type;
            event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            SDL_PushEvent(&event);
        }
    }

    // The window's close box clicked.
    static void pushClose(GameApplication& game) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(reinterpret_cast<SDL_Window*>(game.mainWindow));
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        SDL_PushEvent(&event);
    }

private:
    MessageBoxFunction previousBox_ = nullptr;
    Direct3DMaker previousMaker_ = nullptr;
};

TEST_F(GameProgram, EveryScreenIsDrawnAndExitClosesTheProgramWithoutWritingAFile) {
    GameApplication game;
    std::vector<std::string> opened;
    game.openFile = [&opened](const char* file) { opened.emplace_back(file); };
    ASSERT_EQ(game.createApp(nullptr), kResultOk);
    ASSERT_NE(game.device, nullptr);
    EXPECT_TRUE(isWindowVisible(game.mainWindow));
    EXPECT_STREQ(game.caption, "2001 Kolvane");
    const GameState& state = game.gameState();
    frames(game, 5);
    EXPECT_EQ(state.screen, MainMenu);

    key(game, VK_RETURN);
    EXPECT_EQ(state.screen, RuleSetMenu);
    key(game, VK_DOWN);
    key(game, VK_RETURN);
    EXPECT_EQ(state.screen, Playing);
    EXPECT_EQ(state.session.gameMode, Original);
    frames(game, 20);
    key(game, 'P');
    EXPECT_EQ(state.screen, Paused);
    key(game, VK_RETURN);
    EXPECT_EQ(state.screen, Playing);
    key(game, VK_ESCAPE);
    key(game, VK_ESCAPE);
    EXPECT_EQ(state.screen, MainMenu);

    key(game, VK_DOWN);
    key(game, VK_RETURN);
    EXPECT_EQ(state.screen, HighScores);
    key(game, VK_UP);
    key(game, VK_ESCAPE);
    key(game, VK_DOWN);
    key(game, VK_RETURN);
    EXPECT_EQ(state.screen, Screen::GameInfo);
    key(game, VK_RETURN);
    EXPECT_EQ(state.screen, MainMenu);

    sendMessage(game.mainWindow, WM_COMMAND, kCommandHelp, 0);
    EXPECT_EQ(opened, std::vector<std::string>{"help.htm"});
    EXPECT_EQ(sendMessage(game.mainWindow, WM_CONTEXTMENU, 0, 0), 0);

    key(game, VK_ESCAPE);
    EXPECT_EQ(state.menuSelection, MenuExit);
    sendMessage(game.mainWindow, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(game.mainWindow, nullptr);
    EXPECT_EQ(game.device, nullptr);
    EXPECT_EQ(game.textFont(), nullptr);
    EXPECT_EQ(game.runLoop(), 0);

    EXPECT_TRUE(shownBoxes.empty()) << shownBoxes.front();
    for (const char* file : {kGameInfoFile, kHighScoreFile, kOptionsFile}) {
        EXPECT_EQ(fileContents(file), "") << file;
    }
}

}  // namespace

namespace {

TEST_F(GameProgram, ClosingTheWindowWhileANameIsTypedKeepsTheNewEntry) {
    writeFile(kHighScoreFile, "FIRST\r\n5000\r\n");
    GameApplication game;
    ASSERT_EQ(game.createApp(nullptr), kResultOk);
    frames(game, 3);
    GameState& state = game.gameState();
    state.session.score = 4321;
    state.screen = GameOver;

    pushKey(game, SDLK_SPACE);  // any key after the game: the score enters, at row 1
    for (SDL_Keycode key : {SDLK_z, SDLK_o, SDLK_e, SDLK_BACKSPACE, SDLK_e, SDLK_SPACE, SDLK_2}) {
        pushKey(game, key);
    }
    pushClose(game);
    EXPECT_EQ(game.runLoop(), 0);
    EXPECT_EQ(game.mainWindow, nullptr);
    EXPECT_EQ(state.screen, HighScores);
    EXPECT_TRUE(shownBoxes.empty()) << shownBoxes.front();

    const HighScoreTable stored = readHighScores(fileContents(kHighScoreFile));
    EXPECT_EQ(entryName(tableRow(stored, 0, 0)), "FIRST");
    EXPECT_EQ(tableRow(stored, 0, 0).score, 5000);
    EXPECT_EQ(entryName(tableRow(stored, 0, 1)), "ZOE 2");
    EXPECT_EQ(tableRow(stored, 0, 1).score, 4321);
    EXPECT_EQ(tableRow(stored, 0, 2).score, 0);
}

}  // namespace
