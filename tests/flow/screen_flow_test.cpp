#include "game/flow/screen_flow.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/rules/random.h"
#include "tests/flow/recording_services.h"

namespace {

using Calls = std::vector<std::string>;

const Calls actionSound = {"sound 1"};
const Calls nothing = {};

Calls menuTune() {
    return {"stop music", "close music", "open music Sound\\music_m.mid", "play music"};
}

// The parts of the state a key could change, for "this key did nothing" checks.
struct Snapshot {
    int screen;
    int menuSelection;
    int gameMode;
    int backgroundVariant;
    float pauseStartTime;
    float gameStartTime;
    int score;
    int pieceActive;
    int dropRequested;
    int nameEntryActive;
    std::string typedName;
    int pieceColumns[pieceCellCount];
    int pieceRows[pieceCellCount];
    int dynamicBackground;
    int musicOn;

    bool operator==(const Snapshot&) const = default;
};

class ScreenFlow : public ::testing::Test {
protected:
    void SetUp() override {
        seedGameRandom(12345);
        state->options.musicOn = 0;
    }

    bool send(std::uint32_t message, MessageParam wParam) {
        return handleGameMessage(*state, services, message, wParam, appTime);
    }

    Calls press(std::uint32_t key) {
        send(WM_KEYDOWN, key);
        return services.take();
    }

    Calls command(std::uint32_t id) {
        send(WM_COMMAND, id);
        return services.take();
    }

    Snapshot snapshot() const {
        Snapshot s{state->screen,
                   state->menuSelection,
                   state->session.gameMode,
                   state->backgroundVariant,
                   state->pauseStartTime,
                   state->session.gameStartTime,
                   state->session.score,
                   state->well.pieceActive,
                   state->well.dropRequested,
                   state->nameEntry.nameEntryActive,
                   {},
                   {},
                   {},
                   state->options.dynamicBackground,
                   state->options.musicOn};
        if (state->session.gameMode >= 0 && state->session.gameMode < gameModeCount) {
            s.typedName = std::string(entryName(tableRow(state->highScores, state->session.gameMode,
                                                         state->nameEntry.newEntryRank)));
        }
        for (int k = 0; k < pieceCellCount; ++k) {
            s.pieceColumns[k] = state->well.piece[k].column;
            s.pieceRows[k] = state->well.piece[k].row;
        }
        return s;
    }

    // Walks from the main menu into a game of rule set `mode`, with a falling piece.
    void startPlaying(int mode) {
        state->screen = MainMenu;
        state->menuSelection = MenuNewGame;
        press(VK_RETURN);
        for (int i = 0; i < mode; ++i) {
            press(VK_DOWN);
        }
        press(VK_RETURN);
        ASSERT_EQ(state->screen, Playing);
        ASSERT_TRUE(spawnPiece(state->well, 1, spawnColumn, 5, 0));
    }

    // Ends a game of `mode` with `score` on the game-over display.
    void endGame(int mode, int score) {
        state->session.gameMode = mode;
        state->session.score = score;
        state->screen = GameOver;
    }

    // Every key in `keys` leaves the state as it was and plays nothing.
    void expectIgnored(std::initializer_list<std::uint32_t> keys) {
        for (std::uint32_t key : keys) {
            const Snapshot before = snapshot();
            EXPECT_EQ(press(key), nothing) << "key " << key << " on screen " << state->screen;
            EXPECT_TRUE(snapshot() == before) << "key " << key << " on screen " << state->screen;
        }
    }

    std::unique_ptr<GameState> state = std::make_unique<GameState>();
    RecordingServices services;
    float appTime = 10.0f;
};

// ---- Main menu

TEST_F(ScreenFlow, MainMenuDownAndUpMoveTheHighlightRoundTheFourItemsWithASoundEach) {
    const int downOrder[] = {MenuHighScores, MenuGameInfo, MenuExit, MenuNewGame};
    for (int expected : downOrder) {
        EXPECT_EQ(press(VK_DOWN), actionSound);
        EXPECT_EQ(state->menuSelection, expected);
    }
    const int upOrder[] = {MenuExit, MenuGameInfo, MenuHighScores, MenuNewGame};
    for (int expected : upOrder) {
        EXPECT_EQ(press(VK_UP), actionSound);
        EXPECT_EQ(state->menuSelection, expected);
    }
    EXPECT_EQ(state->screen, MainMenu);
}

TEST_F(ScreenFlow, EscapeOnTheMainMenuOnlyHighlightsExitAndTheNextEnterClosesTheWindow) {
    state->menuSelection = MenuGameInfo;
    EXPECT_EQ(press(VK_ESCAPE), actionSound);
    EXPECT_EQ(state->menuSelection, MenuExit);
    EXPECT_EQ(state->screen, MainMenu);

    EXPECT_EQ(press(VK_RETURN), (Calls{"sound 1", "close window"}));
    EXPECT_EQ(state->screen, MainMenu);
}

TEST_F(ScreenFlow, NewGameAlwaysOpensTheRuleSetMenuAtClassic) {
    state->session.gameMode = Crazy;
    EXPECT_EQ(press(VK_RETURN), actionSound);
    EXPECT_EQ(state->screen, RuleSetMenu);
    EXPECT_EQ(state->session.gameMode, Classic);
}

TEST_F(ScreenFlow, HighScoresFromTheMainMenuShowTheLastRuleSetsTableWithoutNameEntry) {
    state->session.gameMode = Original;
    state->menuSelection = MenuHighScores;
    EXPECT_EQ(press(VK_RETURN), actionSound);
    EXPECT_EQ(state->screen, HighScores);
    EXPECT_EQ(state->session.gameMode, Original);
    EXPECT_EQ(state->nameEntry.nameEntryActive, 0);
}

TEST_F(ScreenFlow, GameInformationOpensFromTheMainMenuAndEnterOrEscapeReturn) {
    for (std::uint32_t back : {VK_RETURN, VK_ESCAPE}) {
        state->menuSelection = MenuGameInfo;
        EXPECT_EQ(press(VK_RETURN), actionSound);
        EXPECT_EQ(state->screen, Screen::GameInfo);
        EXPECT_EQ(press(back), actionSound);
        EXPECT_EQ(state->screen, MainMenu);
        EXPECT_EQ(state->menuSelection, MenuGameInfo);
    }
}

// ---- Rule-set menu and starting a game

TEST_F(ScreenFlow, RuleSetMenuDownAndUpWrapRoundTheThreeRuleSets) {
    state->screen = RuleSetMenu;
    const int downOrder[] = {Original, Crazy, Classic};
    for (int expected : downOrder) {
        EXPECT_EQ(press(VK_DOWN), actionSound);
        EXPECT_EQ(state->session.gameMode, expected);
    }
    EXPECT_EQ(press(VK_UP), actionSound);
    EXPECT_EQ(state->session.gameMode, Crazy);
    EXPECT_EQ(state->screen, RuleSetMenu);
}

TEST_F(ScreenFlow, EscapeOnTheRuleSetMenuReturnsToTheMainMenu) {
    state->screen = RuleSetMenu;
    EXPECT_EQ(press(VK_ESCAPE), actionSound);
    EXPECT_EQ(state->screen, MainMenu);
}

TEST_F(ScreenFlow, EnterOnTheRuleSetMenuStartsAFreshGameOfEachRuleSet) {
    for (int mode : {Classic, Original, Crazy}) {
        state->screen = RuleSetMenu;
        state->session.gameMode = mode;
        state->session.score = 777;
        state->session.level = 5;
        state->session.scoreBonus.active = 1;
        state->session.clearBonus.bonusMark = 40;
        state->well.settledCount = 12;
        state->well.pieceActive = 1;
        appTime = 33.5f + static_cast<float>(mode);

        EXPECT_EQ(press(VK_RETURN), actionSound) << "mode " << mode;
        EXPECT_EQ(state->screen, Playing);
        EXPECT_EQ(state->session.gameMode, mode);
        EXPECT_EQ(state->session.score, 0);
        EXPECT_EQ(state->session.level, 1);
        EXPECT_EQ(state->session.gameStartTime, appTime);
        EXPECT_EQ(state->session.fallSpeed, static_cast<float>(mode + 1));
        EXPECT_EQ(state->session.scoreBonus.active, 0);
        EXPECT_EQ(state->session.clearBonus.bonusMark, 0);
        EXPECT_EQ(state->well.settledCount, 0);
        EXPECT_EQ(state->well.pieceActive, 0);
    }
}

TEST_F(ScreenFlow, StartingAGameDrawsANewBackgroundFromTheRandomSource) {
    std::set<int> variants;
    for (int i = 0; i < 60; ++i) {
        state->screen = RuleSetMenu;
        press(VK_RETURN);
        ASSERT_GE(state->backgroundVariant, 0);
        ASSERT_LT(state->backgroundVariant, backgroundVariantChoices);
        variants.insert(state->backgroundVariant);
    }
    EXPECT_EQ(variants.size(), 3u);
}

// ---- Playing and pausing

TEST_F(ScreenFlow, TurningKeysTurnTheFallingPieceSilently) {
    for (std::uint32_t key : {VK_UP, VK_CLEAR, VK_NUMPAD5}) {
        startPlaying(Classic);
        const int columnBefore = state->well.piece[1].column;
        EXPECT_EQ(press(key), nothing) << "key " << key;
        EXPECT_EQ(state->well.piece[1].rotating, 1) << "key " << key;
        EXPECT_NE(state->well.piece[1].column, columnBefore) << "key " << key;
        EXPECT_EQ(state->screen, Playing);
    }
}

TEST_F(ScreenFlow, SpaceDropsTheFallingPieceSilently) {
    startPlaying(Original);
    EXPECT_EQ(press(VK_SPACE), nothing);
    EXPECT_EQ(state->well.dropRequested, 1);
    EXPECT_EQ(state->screen, Playing);
}

TEST_F(ScreenFlow, TurnAndDropDoNothingBetweenTwoPieces) {
    startPlaying(Classic);
    lockPiece(state->well);
    expectIgnored({VK_UP, VK_CLEAR, VK_NUMPAD5, VK_SPACE});
}

TEST_F(ScreenFlow, EscapeOrPPausesAndOnlyEnterResumesWithTheClockMovedOnByThePause) {
    for (std::uint32_t pauseKey : {VK_ESCAPE, static_cast<std::uint32_t>('P')}) {
        startPlaying(Classic);
        const float started = state->session.gameStartTime;
        appTime = 100.0f;
        EXPECT_EQ(press(pauseKey), actionSound);
        EXPECT_EQ(state->screen, Paused);
        EXPECT_EQ(state->pauseStartTime, 100.0f);

        appTime = 130.0f;
        expectIgnored({'P', VK_SPACE, VK_UP, VK_DOWN, VK_LEFT});
        EXPECT_EQ(press(VK_RETURN), actionSound);
        EXPECT_EQ(state->screen, Playing);
        EXPECT_EQ(state->session.gameStartTime, started + 30.0f);
        appTime = 10.0f;
    }
}

TEST_F(ScreenFlow, EscapeOnPauseAbandonsTheGameWithoutAHighScoreCheck) {
    startPlaying(Crazy);
    state->session.score = 5000;
    press(VK_ESCAPE);
    ASSERT_EQ(state->screen, Paused);

    EXPECT_EQ(press(VK_ESCAPE), actionSound);
    EXPECT_EQ(state->screen, MainMenu);
    EXPECT_EQ(state->nameEntry.nameEntryActive, 0);
    EXPECT_EQ(findRank(state->highScores, Crazy, 5000), 0) << "the table is untouched";
    EXPECT_EQ(state->session.score, 5000) << "the abandoned game is not cleared";
}

TEST_F(ScreenFlow, LeavingPlayForTheMainMenuDrawsANewBackground) {
    std::set<int> variants;
    for (int i = 0; i < 60; ++i) {
        state->screen = Paused;
        press(VK_ESCAPE);
        variants.insert(state->backgroundVariant);
        endGame(Classic, 0);
        press(VK_RETURN);
        variants.insert(state->backgroundVariant);
    }
    EXPECT_EQ(variants, (std::set<int>{0, 1, 2}));
}

TEST_F(ScreenFlow, APieceWithNoRoomEndsTheGameWithTheGameOverSound) {
    startPlaying(Classic);
    clearWell(state->well);
    state->well.pieceActive = 0;
    state->well.settledCells[state->well.settledCount++] = Cell{spawnColumn, spawnRow};

    const FrameInput frame{state->session.gameStartTime + 2.0f, 60.0f, false, false, false};
    advanceGame(state->session, state->well, state->screen, frame, services);
    EXPECT_EQ(state->screen, GameOver);
    EXPECT_EQ(services.take(), (Calls{"sound 4"}));
    EXPECT_EQ(press(VK_RETURN), nothing) << "the key that leaves the game-over display is silent";
}

// ---- End of a game and the high-score check

HighScoreTable tableWithRowNineAt(int group, int rowNineScore) {
    HighScoreTable table;
    for (int row = 0; row < kRowsPerGroup; ++row) {
        HighScoreEntry& entry = tableRow(table, group, row);
        entry.score = rowNineScore + (kRowsPerGroup - 1 - row) * 100;
        setEntryName(entry, "ROW " + std::to_string(row));
    }
    return table;
}

TEST_F(ScreenFlow, AScoreEqualToRowNineLeadsBackToTheMainMenuSilently) {
    state->highScores = tableWithRowNineAt(Original, 500);
    endGame(Original, 500);
    EXPECT_EQ(press(VK_RETURN), nothing);
    EXPECT_EQ(state->screen, MainMenu);
    EXPECT_EQ(state->nameEntry.nameEntryActive, 0);
    EXPECT_EQ(entryName(tableRow(state->highScores, Original, 9)), "ROW 9");
}

TEST_F(ScreenFlow, OnePointAboveRowNineEntersAtRowNineForNaming) {
    state->highScores = tableWithRowNineAt(Original, 500);
    endGame(Original, 501);
    EXPECT_EQ(press('A'), nothing);
    EXPECT_EQ(state->screen, HighScores);
    EXPECT_EQ(state->nameEntry.nameEntryActive, 1);
    EXPECT_EQ(state->nameEntry.newEntryRank, 9);
    EXPECT_EQ(tableRow(state->highScores, Original, 9).score, 501);
    EXPECT_EQ(entryName(tableRow(state->highScores, Original, 9)), "")
        << "the key that left the game-over display is not the name's first letter";
    EXPECT_EQ(entryName(tableRow(state->highScores, Original, 8)), "ROW 8");
}

TEST_F(ScreenFlow, AnyKeyLeavesTheGameOverDisplayEvenAHeldArrow) {
    for (std::uint32_t key : {VK_LEFT, VK_DOWN, VK_F1, VK_SHIFT, static_cast<std::uint32_t>('Q')}) {
        endGame(Classic, 0);
        EXPECT_EQ(press(key), nothing);
        EXPECT_EQ(state->screen, MainMenu) << "key " << key;
    }
}

TEST_F(ScreenFlow, ANameIsTypedConfirmedWithASoundAndSavedThenTheTablesCanBeBrowsed) {
    endGame(Crazy, 900);
    press(VK_RETURN);
    ASSERT_EQ(state->nameEntry.nameEntryActive, 1);
    ASSERT_EQ(state->nameEntry.newEntryRank, 0);

    for (std::uint32_t key :
         std::initializer_list<std::uint32_t>{'K', 'O', 'X', VK_BACK, 'L', VK_SPACE, '7'}) {
        EXPECT_EQ(press(key), nothing);
    }
    expectIgnored({VK_ESCAPE, VK_UP, VK_DOWN, VK_LEFT, VK_NUMPAD5, VK_F1});
    EXPECT_EQ(entryName(tableRow(state->highScores, Crazy, 0)), "KOL 7");

    EXPECT_EQ(press(VK_RETURN), (Calls{"sound 1", "save scores"}));
    EXPECT_EQ(state->nameEntry.nameEntryActive, 0);
    EXPECT_EQ(state->screen, HighScores);
    EXPECT_EQ(entryName(tableRow(services.savedTable, Crazy, 0)), "KOL 7");
    EXPECT_EQ(tableRow(services.savedTable, Crazy, 0).score, 900);

    EXPECT_EQ(press(VK_DOWN), actionSound);
    EXPECT_EQ(state->session.gameMode, Classic);
    EXPECT_EQ(press(VK_UP), actionSound);
    EXPECT_EQ(state->session.gameMode, Crazy);
    EXPECT_EQ(press(VK_UP), actionSound);
    EXPECT_EQ(state->session.gameMode, Original);
    EXPECT_EQ(state->screen, HighScores);
    EXPECT_EQ(press(VK_ESCAPE), actionSound);
    EXPECT_EQ(state->screen, MainMenu);
}

TEST_F(ScreenFlow, EnterOnAnEmptyNameStoresItAndEnterAgainReturnsToTheMainMenu) {
    endGame(Classic, 5);
    press(VK_SPACE);
    EXPECT_EQ(press(VK_RETURN), (Calls{"sound 1", "save scores"}));
    EXPECT_EQ(entryName(tableRow(services.savedTable, Classic, 0)), "");
    EXPECT_EQ(press(VK_RETURN), actionSound);
    EXPECT_EQ(state->screen, MainMenu);
}

TEST_F(ScreenFlow, NoScoresAreSavedUnlessANameIsConfirmed) {
    endGame(Classic, 50);
    press(VK_RETURN);
    press('A');
    press(VK_ESCAPE);
    EXPECT_EQ(state->screen, HighScores);
    EXPECT_EQ(services.take(), nothing);
}

// ---- Keys that do nothing

TEST_F(ScreenFlow, KeysAScreenDoesNotListChangeNothingAndStaySilent) {
    state->screen = MainMenu;
    expectIgnored({VK_LEFT, VK_RIGHT, VK_SPACE, 'P', 'A', VK_BACK, VK_F1, VK_NUMPAD5, VK_CLEAR});
    state->screen = RuleSetMenu;
    expectIgnored({VK_LEFT, VK_RIGHT, VK_SPACE, 'P', 'Z', VK_BACK});
    startPlaying(Original);
    expectIgnored({VK_LEFT, VK_RIGHT, VK_DOWN, VK_RETURN, VK_BACK, 'A', '5', VK_TAB});
    state->screen = HighScores;
    expectIgnored({VK_LEFT, VK_RIGHT, VK_SPACE, 'A', VK_BACK, 'P'});
    state->screen = Screen::GameInfo;
    expectIgnored({VK_UP, VK_DOWN, VK_LEFT, VK_SPACE, 'P', VK_BACK});
}

// ---- Window menu commands

TEST_F(ScreenFlow, TheBackgroundCommandTogglesAndSavesTheOptionOnEveryScreen) {
    for (Screen screen : {MainMenu, Playing, HighScores}) {
        state->screen = screen;
        state->options.dynamicBackground = 1;
        EXPECT_EQ(command(kCommandToggleBackground), (Calls{"save options 0 0"}));
        EXPECT_EQ(command(kCommandToggleBackground), (Calls{"save options 1 0"}));
        state->options.dynamicBackground = 2;
        EXPECT_EQ(command(kCommandToggleBackground), (Calls{"save options 0 0"}));
        EXPECT_EQ(state->screen, screen);
    }
}

TEST_F(ScreenFlow, TheCommandIsTakenFromTheLowWordOnly) {
    send(WM_COMMAND, (MessageParam{1} << 16) | kCommandToggleBackground);
    EXPECT_EQ(state->options.dynamicBackground, 0);
}

TEST_F(ScreenFlow, TurningMusicOffStopsItAndTurningItOnStartsTheTuneOfTheScreen) {
    state->options.musicOn = 1;
    EXPECT_EQ(command(kCommandToggleMusic), (Calls{"stop music", "save options 1 0"}));
    EXPECT_EQ(state->options.musicOn, 0);

    Calls on = menuTune();
    on.push_back("save options 1 1");
    EXPECT_EQ(command(kCommandToggleMusic), on);
    EXPECT_EQ(state->options.musicOn, 1);

    state->screen = Playing;
    command(kCommandToggleMusic);
    const Calls gameOn = command(kCommandToggleMusic);
    ASSERT_EQ(gameOn.size(), 5u);
    EXPECT_NE(gameOn[2], "open music Sound\\music_m.mid");
    EXPECT_EQ(gameOn[3], "play music");
}

TEST_F(ScreenFlow, HelpOpensTheHelpPageAndChangesNothingElse) {
    const Snapshot before = snapshot();
    EXPECT_EQ(command(kCommandHelp), (Calls{"open help.htm"}));
    EXPECT_TRUE(snapshot() == before);
}

TEST_F(ScreenFlow, TheFramesOwnCommandsAndOtherMessagesAreHandedOnUntouched) {
    for (std::uint32_t id : {kCommandChangeVideoMode, kCommandToggleFullscreen, 40016u}) {
        const Snapshot before = snapshot();
        EXPECT_TRUE(send(WM_COMMAND, id));
        EXPECT_EQ(services.take(), nothing);
        EXPECT_TRUE(snapshot() == before);
    }
    for (std::uint32_t message : {WM_SIZE, WM_CLOSE, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN}) {
        const Snapshot before = snapshot();
        EXPECT_TRUE(send(message, VK_RETURN)) << message;
        EXPECT_EQ(services.take(), nothing) << message;
        EXPECT_TRUE(snapshot() == before) << message;
    }
}

TEST_F(ScreenFlow, TheContextMenuMessageEndsHere) {
    EXPECT_FALSE(send(WM_CONTEXTMENU, 0));
    EXPECT_EQ(services.take(), nothing);
}

// ---- Focus and the end of a tune

TEST_F(ScreenFlow, LosingFocusStopsTheMusicWhetherOnOrOff) {
    for (int musicOn : {0, 1}) {
        state->options.musicOn = musicOn;
        EXPECT_TRUE(send(WM_KILLFOCUS, 0));
        EXPECT_EQ(services.take(), (Calls{"stop music"}));
    }
}

TEST_F(ScreenFlow, LeavingTheWindowDuringPlayPausesSilentlyAsPDoes) {
    startPlaying(Original);
    services.take();
    appTime = 42.5f;
    send(WM_KILLFOCUS, 0);
    EXPECT_EQ(state->screen, Paused);
    EXPECT_EQ(state->pauseStartTime, 42.5f);
    EXPECT_EQ(services.take(), (Calls{"stop music"}));
    send(WM_SETFOCUS, 0);
    EXPECT_EQ(state->screen, Paused) << "coming back does not resume by itself";
    press(VK_RETURN);
    ASSERT_EQ(state->screen, Playing);

    appTime = 50.0f;
    send(WM_SIZE, SIZE_MINIMIZED);
    EXPECT_EQ(state->screen, Paused);
    EXPECT_EQ(state->pauseStartTime, 50.0f);
    EXPECT_EQ(services.take(), nothing);
}

TEST_F(ScreenFlow, LeavingTheWindowOffPlayChangesNoScreen) {
    for (Screen screen : {MainMenu, RuleSetMenu, GameOver, HighScores, Screen::GameInfo}) {
        state->screen = screen;
        send(WM_KILLFOCUS, 0);
        send(WM_SIZE, SIZE_MINIMIZED);
        EXPECT_EQ(state->screen, screen);
    }
    startPlaying(Classic);
    send(WM_SIZE, SIZE_RESTORED);
    send(WM_SIZE, SIZE_MAXIMIZED);
    EXPECT_EQ(state->screen, Playing);
}

TEST_F(ScreenFlow, AnInputDeviceRemovedDuringPlayPausesSilentlyAndOneAddedDoesNot) {
    for (Screen screen : {MainMenu, RuleSetMenu, GameOver, HighScores, Screen::GameInfo}) {
        state->screen = screen;
        EXPECT_TRUE(send(WM_INPUT_DEVICE_CHANGE, GIDC_REMOVAL));
        EXPECT_EQ(state->screen, screen);
    }
    startPlaying(Crazy);
    services.take();
    appTime = 7.0f;
    send(WM_INPUT_DEVICE_CHANGE, GIDC_ARRIVAL);
    EXPECT_EQ(state->screen, Playing);
    send(WM_INPUT_DEVICE_CHANGE, GIDC_REMOVAL);
    EXPECT_EQ(state->screen, Paused);
    EXPECT_EQ(state->pauseStartTime, 7.0f);
    EXPECT_EQ(services.take(), nothing) << "the music plays on";
}

TEST_F(ScreenFlow, GainingFocusOrATuneThatEndsStartsTheScreensTuneOnlyWithMusicOn) {
    EXPECT_TRUE(send(WM_SETFOCUS, 0));
    EXPECT_TRUE(send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL));
    EXPECT_EQ(services.take(), nothing);

    state->options.musicOn = 1;
    send(WM_SETFOCUS, 0);
    EXPECT_EQ(services.take(), menuTune());
    send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(services.take(), menuTune());
}

TEST_F(ScreenFlow, AStoppedOrReplacedTuneStartsNothing) {
    state->options.musicOn = 1;
    for (MessageParam code : {MCI_NOTIFY_ABORTED, MCI_NOTIFY_SUPERSEDED, MCI_NOTIFY_FAILURE}) {
        EXPECT_TRUE(send(MM_MCINOTIFY, code));
        EXPECT_EQ(services.take(), nothing) << code;
    }
}

TEST_F(ScreenFlow, GameScreensPlayARandomGameTuneEachTimeAndNeverTheMenuTune) {
    state->options.musicOn = 1;
    std::set<std::string> tunes;
    for (Screen screen : {Playing, Paused, GameOver}) {
        state->screen = screen;
        for (int i = 0; i < 30; ++i) {
            send(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL);
            const Calls calls = services.take();
            ASSERT_EQ(calls.size(), 4u);
            tunes.insert(calls[2]);
        }
    }
    EXPECT_EQ(tunes, (std::set<std::string>{"open music Sound\\music_1.mid",
                                            "open music Sound\\music_2.mid",
                                            "open music Sound\\music_3.mid"}));
}

TEST_F(ScreenFlow, TheTuneFollowsTheGameInAndOutWithMusicOn) {
    state->options.musicOn = 1;
    state->screen = RuleSetMenu;
    const Calls start = press(VK_RETURN);
    ASSERT_EQ(start.size(), 5u);
    EXPECT_EQ(start[0], "sound 1");
    EXPECT_NE(start[3], "open music Sound\\music_m.mid");

    EXPECT_EQ(press('P'), actionSound) << "pausing keeps the game tune";
    EXPECT_EQ(press(VK_RETURN), actionSound) << "resuming keeps the game tune";

    state->screen = GameOver;
    state->session.score = 40;
    EXPECT_EQ(press(VK_SPACE), menuTune()) << "a score for the table brings the menu tune";
    press(VK_RETURN);
    services.take();

    endGame(Classic, 0);
    EXPECT_EQ(press(VK_SPACE), menuTune()) << "a score off the table brings the menu tune";

    state->screen = Paused;
    Calls abandon = actionSound;
    for (const std::string& call : menuTune()) {
        abandon.push_back(call);
    }
    EXPECT_EQ(press(VK_ESCAPE), abandon);
}

TEST_F(ScreenFlow, MenuScreensChangeWithoutTouchingTheMusic) {
    state->options.musicOn = 1;
    EXPECT_EQ(press(VK_RETURN), actionSound);
    EXPECT_EQ(press(VK_ESCAPE), actionSound);
    state->menuSelection = MenuHighScores;
    EXPECT_EQ(press(VK_RETURN), actionSound);
    EXPECT_EQ(press(VK_RETURN), actionSound);
}

}  // namespace
