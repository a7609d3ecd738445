// The real game on the software device in a small offscreen window, played with a virtual
// game controller: the pad's buttons and stick go through SDL's controller layer and the real
// event pump, as a plugged-in pad's do. Menus, a whole game, a name typed with the pad, the
// tables, pause and resume, hot-plugging, and the stick's dead zone.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "game/flow/game_application.h"
#include "game/flow/high_scores.h"
#include "platform/gamepad.h"
#include "platform/window.h"
#include "tests/flow/game_on_reference_device.h"
#include "tests/support/virtual_pad.h"

namespace {

constexpr int kFramesForAPiece = 200;
constexpr int kFramesForAWholeGame = 20000;

// The game, with every key message its window procedure hands it counted.
class ListenedGame : public GameApplication {
public:
    MessageResult handleMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                MessageLong lParam) override {
        if (message == WM_KEYDOWN || message == WM_KEYUP) {
            keys.push_back(
                Key{message, static_cast<std::uint32_t>(wParam), (lParam & kKeyWasDownBit) != 0});
        }
        return GameApplication::handleMessage(window, message, wParam, lParam);
    }
    // Key messages for virtualKey, repeats counted or not.
    int count(std::uint32_t message, std::uint32_t virtualKey, bool withRepeats = false) const {
        int n = 0;
        for (const Key& key : keys) {
            n += key.message == message && key.virtualKey == virtualKey &&
                         (withRepeats || !key.repeat)
                     ? 1
                     : 0;
        }
        return n;
    }
    // First presses of virtualKey.
    int keyDowns(std::uint32_t virtualKey) const { return count(WM_KEYDOWN, virtualKey); }

    struct Key {
        std::uint32_t message;
        std::uint32_t virtualKey;
        bool repeat;
    };
    std::vector<Key> keys;
};

std::string fileText(const char* name) {
    std::ifstream file(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class GameWithAPad : public ::testing::Test {
protected:
    void TearDown() override {
        pad_.reset();
        closeGame(game_);
    }

    void plugInPad() {
        pad_ = std::make_unique<VirtualPad>();
        ASSERT_TRUE(pad_->plugged()) << SDL_GetError();
    }

    // The game with a pad plugged in before it starts, at the main menu.
    void startGameWithPad() {
        plugInPad();
        startGame();
        loopOnce();
        ASSERT_EQ(connectedGamepadCount(), 1);
    }

    void startGame() {
        game_ = std::make_unique<ListenedGame>();
        game_->initialWidth = 160;  // small, so that the software device draws quickly
        game_->initialHeight = 120;
        ASSERT_EQ(game_->createApp(nullptr), kResultOk);
    }

    void loopOnce() { ASSERT_GE(runMainLoopTurn(*game_), 0); }
    void loop(int frames) {
        for (int i = 0; i < frames; ++i) {
            loopOnce();
        }
    }

    // A button held for one frame, then let go.
    void press(SDL_GameControllerButton button, int times = 1) {
        for (int i = 0; i < times; ++i) {
            pad_->hold(button);
            loopOnce();
            pad_->letGo(button);
            loopOnce();
        }
    }

    // The stick pushed to value on axis and kept there for one frame.
    void tilt(SDL_GameControllerAxis axis, Sint16 value) {
        pad_->tilt(axis, value);
        loopOnce();
    }

    const GameState& state() const { return game_->gameState(); }

    void waitForAPiece() {
        for (int i = 0; i < kFramesForAPiece && !state().well.pieceActive; ++i) {
            loopOnce();
        }
        ASSERT_TRUE(state().well.pieceActive);
    }

    // From the main menu: A, A starts a Classic game; frames until its first piece.
    void playUntilAPieceFalls() {
        press(SDL_CONTROLLER_BUTTON_A);
        press(SDL_CONTROLLER_BUTTON_A);
        ASSERT_EQ(state().screen, Playing);
        waitForAPiece();
    }

    MediaDirectory media_;
    BoxRecorder boxes_;
    SimulatedClock clock_;
    OnReferenceDevice referenceDevice_;
    std::unique_ptr<ListenedGame> game_;
    std::unique_ptr<VirtualPad> pad_;
};

TEST_F(GameWithAPad, TheMainMenuAndTheRuleSetMenuAreMovedAndChosen) {
    startGameWithPad();
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_EQ(state().menuSelection, MenuHighScores);
    press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    EXPECT_EQ(state().menuSelection, MenuNewGame);
    tilt(SDL_CONTROLLER_AXIS_LEFTY, 30000);
    tilt(SDL_CONTROLLER_AXIS_LEFTY, 0);
    EXPECT_EQ(state().menuSelection, MenuHighScores) << "the stick moves too";
    press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    press(SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(state().screen, RuleSetMenu);
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_EQ(state().session.gameMode, 1);
    press(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(state().screen, MainMenu);
    press(SDL_CONTROLLER_BUTTON_START);
    ASSERT_EQ(state().screen, RuleSetMenu);
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN, 2);
    press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(state().screen, Playing);
    EXPECT_EQ(state().session.gameMode, 2);
}

TEST_F(GameWithAPad, AHeldDirectionRepeatsOnTheMenusAtTheKeyboardsRate) {
    startGameWithPad();
    pad_->hold(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    loop(30);  // 480 ms
    EXPECT_EQ(game_->count(WM_KEYDOWN, VK_DOWN, true), 1) << "no repeat before half a second";
    loop(33);  // to 1008 ms
    pad_->letGo(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    loopOnce();
    EXPECT_EQ(game_->keyDowns(VK_DOWN), 1) << "one press, then its repeats";
    const int downs = game_->count(WM_KEYDOWN, VK_DOWN, true);
    EXPECT_GE(downs, 15);
    EXPECT_LE(downs, 18);
    EXPECT_EQ(state().menuSelection, downs % mainMenuItemCount);
    loop(40);
    EXPECT_EQ(game_->count(WM_KEYDOWN, VK_DOWN, true), downs) << "let go, it stops";
}

// Plays one Classic game: moves, turns, then drops until the well is full.
TEST_F(GameWithAPad, AGameIsPlayedToGameOverAndTheNameIsTypedWithThePad) {
    startGameWithPad();
    playUntilAPieceFalls();
    const Well& well = state().well;
    const int column = well.piece[0].column;
    press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(well.piece[0].column, column - 1);
    loop(10);  // the sideways step is over
    press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    loop(10);
    press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(well.piece[0].column, column + 1);

    int turns = 0;
    for (int piece = 0; piece < 3 && turns == 0; ++piece) {
        const Piece before = well.piece;
        press(SDL_CONTROLLER_BUTTON_A);
        for (int i = 0; i < 4; ++i) {
            turns += well.piece[i].column != before[i].column || well.piece[i].row != before[i].row;
        }
        press(SDL_CONTROLLER_BUTTON_X);
        loop(60);
        waitForAPiece();
    }
    EXPECT_GT(turns, 0) << "A turns the piece";

    for (int frame = 0; frame < kFramesForAWholeGame && state().screen == Playing; frame += 2) {
        press(frame % 4 == 0 ? SDL_CONTROLLER_BUTTON_X : SDL_CONTROLLER_BUTTON_Y);
    }
    ASSERT_EQ(state().screen, GameOver);
    EXPECT_GT(state().session.score, 0);

    press(SDL_CONTROLLER_BUTTON_A);  // any key ends the game-over display
    ASSERT_EQ(state().screen, HighScores);
    ASSERT_TRUE(state().nameEntry.nameEntryActive);
    EXPECT_EQ(state().nameEntry.letterAtCursor, 'A') << "the cursor shows the letter chosen";
    const HighScoreEntry& entry =
        tableRow(game_->gameState().highScores, Classic, state().nameEntry.newEntryRank);

    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN, 10);
    EXPECT_EQ(state().nameEntry.letterAtCursor, 'K');
    EXPECT_EQ(entryName(entry), "") << "chosen, not yet taken";
    press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(entryName(entry), "K");
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN, 4);
    press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(entryName(entry), "KO");
    press(SDL_CONTROLLER_BUTTON_DPAD_UP, 16);  // back past A, Space and round to 9
    EXPECT_EQ(state().nameEntry.letterAtCursor, '9');
    press(SDL_CONTROLLER_BUTTON_A, 2);
    EXPECT_EQ(entryName(entry), "KO99");
    press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(entryName(entry), "KO9") << "Left deletes";
    tilt(SDL_CONTROLLER_AXIS_LEFTY, 32767);  // the stick chooses too: Space, after 9
    tilt(SDL_CONTROLLER_AXIS_LEFTY, 0);
    EXPECT_EQ(state().nameEntry.letterAtCursor, ' ');
    press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(entryName(entry), "KO9 ");
    press(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(entryName(entry), "KO9") << "so does B";
    EXPECT_EQ(fileText("scores.dat").find("KO9"), std::string::npos) << "not stored before Start";

    press(SDL_CONTROLLER_BUTTON_START);
    EXPECT_FALSE(state().nameEntry.nameEntryActive);
    EXPECT_EQ(state().nameEntry.letterAtCursor, '\0');
    const HighScoreTable saved = readHighScores(fileText("scores.dat"));
    EXPECT_EQ(entryName(tableRow(saved, Classic, 0)), "KO9");
    EXPECT_EQ(tableRow(saved, Classic, 0).score, state().session.score);

    press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(state().screen, MainMenu);
}

TEST_F(GameWithAPad, TheTablesAreBrowsed) {
    startGameWithPad();
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(state().screen, HighScores);
    const int shown = state().session.gameMode;
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_EQ(state().session.gameMode, (shown + 1) % gameModeCount);
    press(SDL_CONTROLLER_BUTTON_DPAD_UP, 2);
    EXPECT_EQ(state().session.gameMode, (shown + gameModeCount - 1) % gameModeCount);
    press(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(state().screen, MainMenu);
}

TEST_F(GameWithAPad, StartPausesAndResumes) {
    startGameWithPad();
    playUntilAPieceFalls();
    press(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(state().screen, Paused);
    const int row = state().well.piece[0].row;
    loop(120);
    EXPECT_EQ(state().well.piece[0].row, row) << "nothing falls while paused";
    press(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(state().screen, Playing);
    press(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(state().screen, Paused) << "B is Escape";
    press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(state().screen, Playing) << "A is Enter";
}

TEST_F(GameWithAPad, PadsPluggedInAfterTheStartPlayToo) {
    startGame();
    loop(3);
    EXPECT_EQ(connectedGamepadCount(), 0);
    plugInPad();
    loop(2);
    ASSERT_EQ(connectedGamepadCount(), 1);
    playUntilAPieceFalls();

    VirtualPad second;
    ASSERT_TRUE(second.plugged());
    loop(2);
    EXPECT_EQ(connectedGamepadCount(), 2);
    second.hold(SDL_CONTROLLER_BUTTON_START);
    loopOnce();
    second.letGo(SDL_CONTROLLER_BUTTON_START);
    loopOnce();
    EXPECT_EQ(state().screen, Paused) << "any pad plays";
    press(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(state().screen, Playing) << "and so does the first still";
}

TEST_F(GameWithAPad, APadRemovedDuringPlayPausesTheGame) {
    startGameWithPad();
    playUntilAPieceFalls();
    const float removedAt = game_->appTime;
    pad_->unplug();
    loop(2);
    EXPECT_EQ(connectedGamepadCount(), 0);
    EXPECT_EQ(state().screen, Paused);
    EXPECT_GE(state().pauseStartTime, removedAt);
    plugInPad();
    loop(2);
    press(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(state().screen, Playing) << "the pad plugged back in resumes";
}

TEST_F(GameWithAPad, TheStickBelowTheDeadZoneOrJitteringAtItsEdgeMovesNothing) {
    startGameWithPad();
    playUntilAPieceFalls();
    const Well& well = state().well;
    const int column = well.piece[0].column;
    for (Sint16 value : {-3000, -9000, -9999, -8000, 9500, 9999, 4000}) {
        tilt(SDL_CONTROLLER_AXIS_LEFTX, value);
    }
    for (int i = 0; i < 10; ++i) {  // resting on the edge of the dead zone, shaking
        tilt(SDL_CONTROLLER_AXIS_LEFTX, i % 2 == 0 ? -9800 : -10400);
        tilt(SDL_CONTROLLER_AXIS_LEFTY, i % 2 == 0 ? 10300 : 9700);
    }
    EXPECT_EQ(well.piece[0].column, column);
    EXPECT_EQ(game_->keyDowns(VK_LEFT) + game_->keyDowns(VK_RIGHT) + game_->keyDowns(VK_DOWN), 0);

    tilt(SDL_CONTROLLER_AXIS_LEFTX, -24000);
    EXPECT_EQ(game_->keyDowns(VK_LEFT), 1);
    EXPECT_EQ(well.piece[0].column, column - 1);
    for (int i = 0; i < 40; ++i) {  // pushed out, shaking around the press travel
        tilt(SDL_CONTROLLER_AXIS_LEFTX, i % 2 == 0 ? -12000 : -17000);
    }
    EXPECT_EQ(game_->keyDowns(VK_LEFT), 1) << "still the one press";
    EXPECT_EQ(game_->count(WM_KEYUP, VK_LEFT), 0);
    EXPECT_LT(well.piece[0].column, column - 1) << "held, the game's own repeat moves it on";
    tilt(SDL_CONTROLLER_AXIS_LEFTX, -2000);
    EXPECT_EQ(game_->count(WM_KEYUP, VK_LEFT), 1);
}

}  // namespace
