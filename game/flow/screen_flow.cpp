#include "game/flow/screen_flow.h"

#include "game/flow/help.h"
#include "game/rules/random.h"
#include "game/rules/rotation.h"

const char* const musicFiles[musicTrackCount] = {
    "Sound\\music_m.mid",
    "Sound\\music_1.mid",
    "Sound\\music_2.mid",
    "Sound\\music_3.mid",
};

namespace {

constexpr int menuTrack = 0;
constexpr int firstGameTrack = 1;
constexpr int lastGameTrack = 3;

constexpr std::uint32_t kCommandIdMask = 0xFFFF;

int stepWrapping(int value, int step, int count) {
    return ((value + step) % count + count) % count;
}

bool isGameScreen(Screen screen) {
    return screen == Playing || screen == Paused || screen == GameOver;
}

void showMainMenuAfterPlay(GameState& state, GameServices& services) {
    state.screen = MainMenu;
    state.backgroundVariant = drawBackgroundVariant();
    chooseMusic(state, services);
}

void startNewGame(GameState& state, GameServices& services, float appTime) {
    services.playSound(SoundAction);
    state.screen = Playing;
    state.backgroundVariant = drawBackgroundVariant();
    chooseMusic(state, services);
    startGame(state.session, state.well, appTime);
}

void keyOnMainMenu(GameState& state, GameServices& services, std::uint32_t key) {
    switch (key) {
        case VK_DOWN:
        case VK_UP:
            services.playSound(SoundAction);
            state.menuSelection =
                stepWrapping(state.menuSelection, key == VK_DOWN ? 1 : -1, mainMenuItemCount);
            return;
        case VK_ESCAPE:
            services.playSound(SoundAction);
            state.menuSelection = MenuExit;
            return;
        case VK_RETURN:
            services.playSound(SoundAction);
            switch (state.menuSelection) {
                case MenuNewGame:
                    state.session.gameMode = Classic;
                    state.screen = RuleSetMenu;
                    return;
                case MenuHighScores:
                    state.screen = HighScores;
                    return;
                case MenuGameInfo:
                    state.screen = Screen::GameInfo;
                    return;
                case MenuExit:
                    services.closeMainWindow();
                    return;
                default:
                    return;
            }
        default:
            return;
    }
}

void keyOnRuleSetMenu(GameState& state, GameServices& services, std::uint32_t key, float appTime) {
    switch (key) {
        case VK_DOWN:
        case VK_UP:
            services.playSound(SoundAction);
            state.session.gameMode =
                stepWrapping(state.session.gameMode, key == VK_DOWN ? 1 : -1, gameModeCount);
            return;
        case VK_RETURN:
            startNewGame(state, services, appTime);
            return;
        case VK_ESCAPE:
            services.playSound(SoundAction);
            state.screen = MainMenu;
            return;
        default:
            return;
    }
}

void keyOnPlaying(GameState& state, GameServices& services, std::uint32_t key, float appTime) {
    switch (key) {
        case VK_UP:
        case VK_CLEAR:
        case VK_NUMPAD5:
            if (state.well.pieceActive) {
                rotatePiece(state.well);
            }
            return;
        case VK_SPACE:
            if (state.well.pieceActive) {
                requestDrop(state.well);
            }
            return;
        case VK_ESCAPE:
        case 'P':
            services.playSound(SoundAction);
            state.screen = Paused;
            state.pauseStartTime = appTime;
            return;
        default:
            return;
    }
}

void keyOnPaused(GameState& state, GameServices& services, std::uint32_t key, float appTime) {
    switch (key) {
        case VK_RETURN:
            services.playSound(SoundAction);
            state.screen = Playing;
            state.session.gameStartTime += appTime - state.pauseStartTime;
            return;
        case VK_ESCAPE:
            services.playSound(SoundAction);
            showMainMenuAfterPlay(state, services);
            return;
        default:
            return;
    }
}

// Any key ends the game-over display: a score good enough for the table of this rule set is
// entered there and named, any other leads back to the main menu.
void keyOnGameOver(GameState& state, GameServices& services) {
    if (enterFinalScore(state.highScores, state.nameEntry, state.session.gameMode,
                        state.session.score)) {
        state.screen = HighScores;
        chooseMusic(state, services);
        return;
    }
    showMainMenuAfterPlay(state, services);
}

HighScoreEntry* entryBeingNamed(GameState& state) {
    const int group = state.session.gameMode;
    const int rank = state.nameEntry.newEntryRank;
    if (group < 0 || group >= gameModeCount || rank < 0 || rank >= kRowsPerGroup) {
        return nullptr;
    }
    return &tableRow(state.highScores, group, rank);
}

void keyOnNameEntry(GameState& state, GameServices& services, std::uint32_t key) {
    HighScoreEntry* entry = entryBeingNamed(state);
    if (entry == nullptr) {
        state.nameEntry.nameEntryActive = 0;
        return;
    }
    if (typeNameKey(*entry, key) != NameKey::Confirmed) {
        return;
    }
    services.playSound(SoundAction);
    state.nameEntry.nameEntryActive = 0;
    services.saveHighScores(state.highScores);
}

void keyOnHighScores(GameState& state, GameServices& services, std::uint32_t key) {
    if (state.nameEntry.nameEntryActive) {
        keyOnNameEntry(state, services, key);
        return;
    }
    switch (key) {
        case VK_DOWN:
        case VK_UP:
            services.playSound(SoundAction);
            state.session.gameMode =
                stepWrapping(state.session.gameMode, key == VK_DOWN ? 1 : -1, gameModeCount);
            return;
        case VK_RETURN:
        case VK_ESCAPE:
            services.playSound(SoundAction);
            state.screen = MainMenu;
            return;
        default:
            return;
    }
}

void keyOnGameInfo(GameState& state, GameServices& services, std::uint32_t key) {
    if (key == VK_RETURN || key == VK_ESCAPE) {
        services.playSound(SoundAction);
        state.screen = MainMenu;
    }
}

void handleKey(GameState& state, GameServices& services, std::uint32_t key, float appTime) {
    switch (state.screen) {
        case MainMenu:
            keyOnMainMenu(state, services, key);
            return;
        case RuleSetMenu:
            keyOnRuleSetMenu(state, services, key, appTime);
            return;
        case Playing:
            keyOnPlaying(state, services, key, appTime);
            return;
        case GameOver:
            keyOnGameOver(state, services);
            return;
        case Paused:
            keyOnPaused(state, services, key, appTime);
            return;
        case HighScores:
            keyOnHighScores(state, services, key);
            return;
        case Screen::GameInfo:
            keyOnGameInfo(state, services, key);
            return;
    }
}

// Leaving the window during play, by losing the focus or minimising it, pauses the game as
// P does; the player comes back to the pause display and resumes with Enter. So does losing
// the pad one plays with.
void pauseWhenWindowLeft(GameState& state, float appTime) {
    if (state.screen == Playing) {
        state.screen = Paused;
        state.pauseStartTime = appTime;
    }
}

void handleCommand(GameState& state, GameServices& services, std::uint32_t command) {
    switch (command) {
        case kCommandToggleBackground:
            toggleOption(state.options.dynamicBackground);
            services.saveOptions(state.options);
            return;
        case kCommandToggleMusic:
            toggleOption(state.options.musicOn);
            chooseMusic(state, services);
            if (state.options.musicOn == 0) {
                services.stopMusic();
            }
            services.saveOptions(state.options);
            return;
        case kCommandHelp:
            services.openWithDesktop(kHelpPage);
            return;
        default:
            return;
    }
}

}  // namespace

void chooseMusic(const GameState& state, GameServices& services) {
    if (state.options.musicOn == 0) {
        return;
    }
    services.stopMusic();
    services.closeMusic();
    const int track =
        isGameScreen(state.screen) ? randomInRange(firstGameTrack, lastGameTrack) : menuTrack;
    services.openMusic(musicFiles[track]);
    services.playMusic();
}

bool handleGameMessage(GameState& state, GameServices& services, std::uint32_t message,
                       MessageParam wParam, float appTime) {
    switch (message) {
        case WM_CONTEXTMENU:
            return false;
        case WM_COMMAND:
            handleCommand(state, services, static_cast<std::uint32_t>(wParam & kCommandIdMask));
            return true;
        case WM_KILLFOCUS:
            services.stopMusic();
            pauseWhenWindowLeft(state, appTime);
            return true;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                pauseWhenWindowLeft(state, appTime);
            }
            return true;
        case WM_SETFOCUS:
            chooseMusic(state, services);
            return true;
        case WM_INPUT_DEVICE_CHANGE:
            if (wParam == GIDC_REMOVAL) {
                pauseWhenWindowLeft(state, appTime);
            }
            return true;
        case MM_MCINOTIFY:
            if (wParam == MCI_NOTIFY_SUCCESSFUL) {
                chooseMusic(state, services);
            }
            return true;
        case WM_KEYDOWN:
            handleKey(state, services, static_cast<std::uint32_t>(wParam), appTime);
            return true;
        default:
            return true;
    }
}
