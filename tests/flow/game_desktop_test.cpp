// The real game on the software device in a small offscreen window, driven as a desktop drives
// it: SDL events into the real message pump, handled between frame steps as the main loop does.
// Quick taps of the arrows, leaving the window during play, Alt+Tab, a focus loss while a menu
// is open, and a menu tune that ends and plays again.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "game/flow/game_application.h"
#include "platform/keys.h"
#include "platform/window.h"
#include "tests/audio/test_files.h"
#include "tests/flow/game_on_reference_device.h"
#include "tests/soak/game_in_process.h"
#include "tests/support/pushed_events.h"

namespace {

constexpr int kFramesForAPiece = 200;

// No key is held: pushed events do not move SDL's keyboard state, and the tests want only
// what the messages bring.
std::uint16_t noKeyHeld(std::uint32_t) {
    return 0;
}

struct Heard {
    std::uint32_t message;
    MessageParam wParam;
};

// The game, with every message its window procedure hands it written down.
class ListenedGame : public GameApplication {
public:
    MessageResult handleMessage(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                MessageLong lParam) override {
        heard.push_back(Heard{message, wParam});
        return GameApplication::handleMessage(window, message, wParam, lParam);
    }
    int count(std::uint32_t message, MessageParam wParam) const {
        int n = 0;
        for (const Heard& h : heard) {
            n += h.message == message && h.wParam == wParam ? 1 : 0;
        }
        return n;
    }
    bool heardBetween(std::uint32_t message, std::uint32_t first, std::uint32_t last) const {
        bool inside = false;
        for (const Heard& h : heard) {
            if (h.message == first) {
                inside = true;
            } else if (h.message == last) {
                inside = false;
            } else if (inside && h.message == message) {
                return true;
            }
        }
        return false;
    }
    std::vector<Heard> heard;
};

class GameOnTheDesktop : public ::testing::Test {
protected:
    void SetUp() override { previousKeys_ = setKeyStateFunction(noKeyHeld); }
    void TearDown() override {
        closeGame(game_);
        setKeyStateFunction(previousKeys_);
    }

    ListenedGame& startGame() {
        game_ = std::make_unique<ListenedGame>();
        game_->initialWidth = 160;  // small, so that the software device draws quickly
        game_->initialHeight = 120;
        EXPECT_EQ(game_->createApp(nullptr), kResultOk);
        return *game_;
    }

    Uint32 windowId() const { return SDL_GetWindowID(sdlWindowOf(game_->mainWindow)); }

    void pushKey(Uint32 type, SDL_Keycode key, Uint16 modifiers = KMOD_NONE) {
        pushed_events::pushKey(windowId(), type, key, modifiers);
    }
    void tap(SDL_Keycode key) {
        pushKey(SDL_KEYDOWN, key);
        pushKey(SDL_KEYUP, key);
    }
    void pushWindowEvent(Uint8 kind) { pushed_events::pushWindowEvent(windowId(), kind); }
    void pushMouse(Uint32 type, int x, int y) { pushed_events::pushMouse(windowId(), type, x, y); }

    // A click in the client area, away from the menus; the game takes no notice of it.
    void clickBesideTheMenus() {
        pushMouse(SDL_MOUSEBUTTONDOWN, 140, 100);
        pushMouse(SDL_MOUSEBUTTONUP, 140, 100);
    }

    // What the main loop does between two frames: every message waiting is handled, then,
    // while the window is active and may render, one frame step 16 ms later.
    void loopOnce() { ASSERT_GE(runMainLoopTurn(*game_), 0); }

    // From the main menu: Enter, Enter starts a Classic game; frames until its first piece.
    void playUntilAPieceFalls() {
        const GameState& state = game_->gameState();
        tap(SDLK_RETURN);
        loopOnce();
        tap(SDLK_RETURN);
        loopOnce();
        ASSERT_EQ(state.screen, Playing);
        for (int i = 0; i < kFramesForAPiece && !state.well.pieceActive; ++i) {
            loopOnce();
        }
        ASSERT_TRUE(state.well.pieceActive);
    }

    MediaDirectory media_;
    BoxRecorder boxes_;
    SimulatedClock clock_;
    OnReferenceDevice referenceDevice_;
    std::unique_ptr<ListenedGame> game_;

private:
    KeyStateFunction previousKeys_ = nullptr;
};

TEST_F(GameOnTheDesktop, ATapReleasedBeforeTheNextFrameMovesThePieceOneColumn) {
    startGame();
    playUntilAPieceFalls();
    const Well& well = game_->gameState().well;
    const int column = well.piece[0].column;
    tap(SDLK_LEFT);
    loopOnce();
    EXPECT_EQ(well.piece[0].column, column - 1);
    loopOnce();
    loopOnce();
    EXPECT_EQ(well.piece[0].column, column - 1) << "a tap moves the piece once";
    tap(SDLK_RIGHT);
    loopOnce();
    EXPECT_EQ(well.piece[0].column, column);
}

TEST_F(GameOnTheDesktop, LosingTheFocusOrBeingMinimisedDuringPlayPausesTheGame) {
    startGame();
    playUntilAPieceFalls();
    const GameState& state = game_->gameState();
    const float leftAt = game_->appTime;
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    loopOnce();
    EXPECT_EQ(state.screen, Paused);
    EXPECT_EQ(state.pauseStartTime, leftAt);

    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    loopOnce();
    EXPECT_EQ(state.screen, Paused) << "coming back does not resume by itself";
    tap(SDLK_RETURN);
    loopOnce();
    EXPECT_EQ(state.screen, Playing);

    pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    loopOnce();
    EXPECT_EQ(state.screen, Paused);
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    tap(SDLK_RETURN);
    loopOnce();
    EXPECT_EQ(state.screen, Playing);
}

TEST_F(GameOnTheDesktop, AltTabAwayPausesTheGameAndOpensNoMenu) {
    startGame();
    playUntilAPieceFalls();
    pushKey(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
    pushKey(SDL_KEYUP, SDLK_LALT, KMOD_NONE);  // let go by SDL as the focus goes
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    clickBesideTheMenus();  // closes a menu should one have opened
    loopOnce();
    loopOnce();
    EXPECT_EQ(game_->gameState().screen, Paused);
    EXPECT_EQ(game_->count(WM_ENTERMENULOOP, 0), 0);
}

TEST_F(GameOnTheDesktop, TheFocusLostWhileAMenuIsOpenReachesTheGame) {
    startGame();
    playUntilAPieceFalls();
    pushMouse(SDL_MOUSEBUTTONDOWN, 20, 10);  // "Options" on the menu bar
    pushMouse(SDL_MOUSEBUTTONUP, 20, 10);
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    clickBesideTheMenus();  // closes the menu should the focus loss not have
    loopOnce();
    EXPECT_TRUE(game_->heardBetween(WM_KILLFOCUS, WM_ENTERMENULOOP, WM_EXITMENULOOP));
    EXPECT_EQ(game_->gameState().screen, Paused);
}

TEST_F(GameOnTheDesktop, AMenuTuneThatEndsReachesTheGameAndThePlayStartsAgain) {
    // A menu tune of half a second in place of the long one.
    audio_test::writeFile("Sound/music_m.mid", audio_test::midiTune({60}, 480));
    startGame();
    pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);  // the first focus starts the music
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (game_->count(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL) < 2 &&
           std::chrono::steady_clock::now() < deadline) {
        loopOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(game_->gameState().screen, MainMenu);
    EXPECT_GE(game_->count(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL), 2)
        << "the end of the first playback chose the tune again, and that one ended too";
}

}  // namespace
