#include "game/flow/game_application.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/keys.h"
#include "platform/window.h"
#include "tests/flow/temp_directory.h"
#include "tests/support/drawn_frame.h"

namespace {

const char* const dataFiles[] = {kGameInfoFile, kHighScoreFile, kOptionsFile};

std::set<std::string> directoryListing() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::uint32_t heldKey = 0;
std::uint16_t heldKeyState(std::uint32_t virtualKey) {
    return virtualKey == heldKey ? 0x8000 : 0;
}

class GameStartUp : public InTempDirectory {
protected:
    void SetUp() override {
        InTempDirectory::SetUp();
        heldKey = 0;
        previousKeys_ = setKeyStateFunction(heldKeyState);
    }
    void TearDown() override {
        setKeyStateFunction(previousKeys_);
        InTempDirectory::TearDown();
    }

    MessageResult send(GameApplication& game, std::uint32_t message, MessageParam wParam) {
        return game.handleMessage(nullptr, message, wParam, 0);
    }

    // One frame as the frame runs it, with the drawing's share of the cell animations.
    void frame(GameApplication& game) {
        game.appTime += 1.0f / 60.0f;
        game.framesPerSecond = 60.0f;
        game.advanceScene();
        GameState& state = game.gameState();
        advanceAsDrawn(state.well, game.framesPerSecond, state.session.fallSpeed);
    }

private:
    KeyStateFunction previousKeys_ = nullptr;
};

TEST_F(GameStartUp, TheGameObjectAsksForItsWindowDepthBufferCursorAndFont) {
    GameApplication game;
    EXPECT_STREQ(game.caption, "2001 Kolvane");
    EXPECT_TRUE(game.wantDepthBuffer);
    EXPECT_TRUE(game.cursorInFullscreen);
    ASSERT_NE(game.textFont(), nullptr);
    EXPECT_EQ(game.scene().font, game.textFont());

    const WindowRect desktop = desktopRect();
    if (desktop.width() > 10 && desktop.height() > 65) {
        EXPECT_EQ(game.initialWidth, static_cast<std::uint32_t>(desktop.width() - 10));
        EXPECT_EQ(game.initialHeight, static_cast<std::uint32_t>(desktop.height() - 65));
    } else {
        EXPECT_EQ(game.initialWidth, 400u);
        EXPECT_EQ(game.initialHeight, 300u);
    }
    EXPECT_TRUE(directoryListing().empty()) << "making the game object reads no file";
}

TEST_F(GameStartUp, AFirstStartInAnEmptyDirectoryShowsTheMainMenuWithDefaultsAndEmptyFiles) {
    GameApplication game;
    ASSERT_EQ(game.initScene(), kResultOk);

    const GameState& state = game.gameState();
    EXPECT_EQ(state.screen, MainMenu);
    EXPECT_EQ(state.menuSelection, MenuNewGame);
    EXPECT_EQ(state.session.gameMode, Classic);
    EXPECT_GE(state.backgroundVariant, 0);
    EXPECT_LT(state.backgroundVariant, backgroundVariantChoices);
    EXPECT_EQ(game.scene().menuDecoration.decoY, -100.0f);
    EXPECT_EQ(state.options.dynamicBackground, 1);
    EXPECT_EQ(state.options.musicOn, 1);
    for (const HighScoreEntry& entry : state.highScores.entries) {
        EXPECT_EQ(entryName(entry), "");
        EXPECT_EQ(entry.score, 0);
    }
    EXPECT_EQ(state.gameInfo.infoLineCount, 1) << "an empty information file is one empty line";
    for (const char* file : dataFiles) {
        EXPECT_TRUE(exists(file)) << file;
        EXPECT_EQ(fileContents(file), "") << file;
    }

    EXPECT_EQ(game.shutdownScene(), kResultOk);
    EXPECT_EQ(game.textFont(), nullptr);
    EXPECT_EQ(game.scene().font, nullptr);
    EXPECT_EQ(directoryListing(),
              (std::set<std::string>{dataFiles[0], dataFiles[1], dataFiles[2]}));
    for (const char* file : dataFiles) {
        EXPECT_EQ(fileContents(file), "") << file << " written at shut-down";
    }
}

TEST_F(GameStartUp, StartUpReadsTheFilesThatExistAndShutDownLeavesThemAlone) {
    const std::string scores = std::string("ACE\r\n900\r\n") + std::string(78, '\n');
    writeFile(kHighScoreFile, scores);
    writeFile(kOptionsFile, "0 0");
    writeFile(kGameInfoFile, "ONE\nTWO");

    GameApplication game;
    game.initScene();
    const GameState& state = game.gameState();
    EXPECT_EQ(entryName(state.highScores.entries[0]), "ACE");
    EXPECT_EQ(state.highScores.entries[0].score, 900);
    EXPECT_EQ(state.options.dynamicBackground, 0);
    EXPECT_EQ(state.options.musicOn, 0);
    EXPECT_EQ(state.gameInfo.infoLineCount, 2);

    game.shutdownScene();
    EXPECT_EQ(fileContents(kHighScoreFile), scores);
    EXPECT_EQ(fileContents(kOptionsFile), "0 0");
}

TEST_F(GameStartUp, ClosingWhileANameIsTypedStoresItWithTheNameSoFar) {
    writeFile(kHighScoreFile, "OLD\n900\n");
    GameApplication game;
    game.initScene();
    GameState& state = game.gameState();
    state.session.gameMode = Crazy;
    state.session.score = 300;
    state.screen = GameOver;
    send(game, WM_KEYDOWN, VK_SPACE);
    send(game, WM_KEYDOWN, 'A');
    send(game, WM_KEYDOWN, 'B');
    ASSERT_EQ(state.nameEntry.nameEntryActive, 1);
    EXPECT_EQ(fileContents(kHighScoreFile), "OLD\n900\n");

    game.shutdownScene();
    EXPECT_EQ(state.nameEntry.nameEntryActive, 0);
    HighScoreTable expected;
    setEntryName(expected.entries[0], "OLD");
    expected.entries[0].score = 900;
    setEntryName(tableRow(expected, Crazy, 0), "AB");
    tableRow(expected, Crazy, 0).score = 300;
    EXPECT_EQ(fileContents(kHighScoreFile), formatHighScores(expected));
}

TEST_F(GameStartUp, TheMenuCommandsWriteTheOptionsAndOpenTheHelpPage) {
    GameApplication game;
    std::vector<std::string> opened;
    game.openFile = [&opened](const char* file) { opened.emplace_back(file); };
    game.initScene();

    send(game, WM_COMMAND, kCommandToggleBackground);
    EXPECT_EQ(fileContents(kOptionsFile), "0 1");
    send(game, WM_COMMAND, kCommandToggleMusic);
    EXPECT_EQ(fileContents(kOptionsFile), "0 0");
    send(game, WM_COMMAND, kCommandHelp);
    EXPECT_EQ(opened, std::vector<std::string>{"help.htm"});
    EXPECT_EQ(send(game, WM_CONTEXTMENU, 0), 0);
    game.shutdownScene();
}

TEST_F(GameStartUp, TheFrameStepPollsTheArrowKeys) {
    GameApplication game;
    game.initScene();
    GameState& state = game.gameState();
    send(game, WM_KEYDOWN, VK_RETURN);
    send(game, WM_KEYDOWN, VK_RETURN);
    ASSERT_EQ(state.screen, Playing);
    for (int i = 0; i < 90 && !state.well.pieceActive; ++i) {
        frame(game);
    }
    ASSERT_TRUE(state.well.pieceActive);
    const int column = state.well.piece[0].column;

    heldKey = VK_LEFT;
    frame(game);
    EXPECT_EQ(state.well.piece[0].column, column - 1);
    heldKey = VK_RIGHT;
    frame(game);
    EXPECT_EQ(state.well.piece[0].column, column);
    heldKey = VK_DOWN;
    frame(game);
    EXPECT_EQ(state.session.fallSpeed, softDropSpeed);
    game.shutdownScene();
}

// A whole game played without a device: start, drop pieces until the well is full, enter the
// score with a name, and find it in scores.dat.
TEST_F(GameStartUp, AGamePlayedBlindEndsWithItsScoreNamedAndSaved) {
    GameApplication game;
    game.initScene();
    GameState& state = game.gameState();
    send(game, WM_KEYDOWN, VK_RETURN);
    send(game, WM_KEYDOWN, VK_DOWN);
    send(game, WM_KEYDOWN, VK_RETURN);
    ASSERT_EQ(state.screen, Playing);
    ASSERT_EQ(state.session.gameMode, Original);

    for (int i = 0; i < 20000 && state.screen == Playing; ++i) {
        send(game, WM_KEYDOWN, VK_SPACE);
        frame(game);
    }
    ASSERT_EQ(state.screen, GameOver);
    const int score = state.session.score;
    ASSERT_GT(score, 0);

    send(game, WM_KEYDOWN, VK_ESCAPE);
    ASSERT_EQ(state.screen, HighScores);
    for (std::uint32_t key : {'B', 'L', 'I', 'N', 'D'}) {
        send(game, WM_KEYDOWN, key);
    }
    EXPECT_EQ(fileContents(kHighScoreFile), "") << "nothing is written before Enter";
    send(game, WM_KEYDOWN, VK_RETURN);

    HighScoreTable expected;
    setEntryName(tableRow(expected, Original, 0), "BLIND");
    tableRow(expected, Original, 0).score = score;
    EXPECT_EQ(fileContents(kHighScoreFile), formatHighScores(expected));

    send(game, WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(state.screen, MainMenu);
    game.shutdownScene();
}

}  // namespace
