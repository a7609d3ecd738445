#include "game/flow/game_application.h"

#include <iterator>

#include "game/flow/screen_flow.h"
#include "game/rules/session.h"
#include "platform/clock.h"
#include "platform/gamepad.h"
#include "platform/keys.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "render/texture_font.h"

const char* const gameSoundFiles[gameSoundCount] = {
    "Sound\\action.wav",   "Sound\\fill.wav",  "Sound\\fall.wav",
    "Sound\\gameover.wav", "Sound\\bonus.wav", "Sound\\getbonus.wav",
};

namespace {

constexpr int desktopWidthMargin = 10;
constexpr int desktopHeightMargin = 65;
constexpr std::uint32_t tickSeedFactor = 10;
constexpr std::uint16_t keyHeldBit = 0x8000;

bool isHeld(std::uint32_t virtualKey) {
    return (keyState(virtualKey) & keyHeldBit) != 0;
}

bool isFirstPress(std::uint32_t message, MessageLong lParam) {
    return message == WM_KEYDOWN && (lParam & kKeyWasDownBit) == 0;
}

// What a pad's buttons stand for on the screen shown.
PadUse padUseFor(const GameState& state) {
    switch (state.screen) {
        case Playing:
            return PadUse::Play;
        case Paused:
            return PadUse::Paused;
        case HighScores:
            return state.nameEntry.nameEntryActive ? PadUse::NameEntry : PadUse::Menus;
        default:
            return PadUse::Menus;
    }
}

}  // namespace

GameApplication::GameApplication()
    : openFile([](const char* fileName) { openWithShell(fileName); }),
      state_(std::make_unique<GameState>()) {
    caption = "2001 Kolvane";
    wantDepthBuffer = true;
    cursorInFullscreen = true;
    sizeWindowFromDesktop();
    font_ = std::make_unique<TextureFont>(gameFontFace, gameFontHeight, fontBold);
    scene_.font = font_.get();
    scene_.loaders = helperLibraryLoaders();
}

GameApplication::~GameApplication() = default;

// A desktop that cannot be read, or is too small to leave a window after the margins, keeps
// the frame's default window size. The size is in designed units, as the window takes it: on a
// display scaled up the window is made that much larger, and the margins with it.
void GameApplication::sizeWindowFromDesktop() {
    const WindowRect desktop = usableDesktopRect();
    const float scale = displayScale();
    const int width = static_cast<int>(desktop.width() / scale) - desktopWidthMargin;
    const int height = static_cast<int>(desktop.height() / scale) - desktopHeightMargin;
    if (width > 0 && height > 0) {
        initialWidth = static_cast<std::uint32_t>(width);
        initialHeight = static_cast<std::uint32_t>(height);
    }
}

ResultCode GameApplication::initScene() {
    prepareFirstScreen(*state_, tickCount() * tickSeedFactor, appTime);
    scene_.menuDecoration.decoY = -100.0f;
    loadDataFiles(*state_);
    highScoresOnFile_ = state_->highScores;
    loadSounds();
    musicPlayer_.setMusicNotifyWindow(mainWindow);
    musicPlayer_.loadSynthesiserInBackground({std::begin(musicFiles), std::end(musicFiles)});
    return kResultOk;
}

void GameApplication::loadSounds() {
    soundBank_.initSound(mainWindow);
    for (const char* file : gameSoundFiles) {
        soundBank_.loadSound(file);
    }
}

ResultCode GameApplication::createDeviceObjects() {
    const HRESULT result = createSceneDeviceObjects(scene_, device);
    if (SUCCEEDED(result) && mainWindow != nullptr) {
        showWindow(mainWindow);
    }
    return result;
}

ResultCode GameApplication::createVolatileObjects() {
    return createSceneVolatileObjects(scene_);
}

ResultCode GameApplication::advanceScene() {
    const FrameInput input{appTime, framesPerSecond, isHeld(VK_LEFT) || pressed_.left,
                           isHeld(VK_RIGHT) || pressed_.right, isHeld(VK_DOWN) || pressed_.down};
    pressed_ = PressedArrows{};
    advanceGame(state_->session, state_->well, state_->screen, input, *this);
    useGamepadFor(padUseFor(*state_));
    return kResultOk;
}

// A tap can be over before the next frame-move step polls the key: its press still counts.
void GameApplication::notePressedArrow(std::uint32_t virtualKey) {
    switch (virtualKey) {
        case VK_LEFT:
            pressed_.left = true;
            return;
        case VK_RIGHT:
            pressed_.right = true;
            return;
        case VK_DOWN:
            pressed_.down = true;
            return;
        default:
            return;
    }
}

SceneInput GameApplication::sceneInput() {
    GameState& state = *state_;
    return SceneInput{state.screen,     state.menuSelection, state.backgroundVariant,
                      state.session,    state.well,          state.options,
                      state.highScores, state.nameEntry,     state.gameInfo,
                      appTime,          framesPerSecond};
}

ResultCode GameApplication::drawScene() {
    state_->nameEntry.letterAtCursor = gamepadLetterAtCursor();
    return ::drawScene(scene_, sceneInput());
}

ResultCode GameApplication::releaseVolatileObjects() {
    return releaseSceneVolatileObjects(scene_);
}

ResultCode GameApplication::destroyDeviceObjects() {
    return destroySceneDeviceObjects(scene_);
}

ResultCode GameApplication::shutdownScene() {
    if (state_->nameEntry.nameEntryActive) {
        state_->nameEntry.nameEntryActive = 0;
        ::saveHighScores(state_->highScores, highScoresOnFile_);
    }
    if (font_ != nullptr) {
        font_->destroy();
        font_.reset();
        scene_.font = nullptr;
    }
    musicPlayer_.closeMusic();
    return kResultOk;
}

MessageResult GameApplication::handleMessage(WindowHandle window, std::uint32_t message,
                                             MessageParam wParam, MessageLong lParam) {
    if (isFirstPress(message, lParam)) {
        notePressedArrow(static_cast<std::uint32_t>(wParam));
    }
    const bool handled = handleGameMessage(*state_, *this, message, wParam, appTime);
    useGamepadFor(padUseFor(*state_));
    if (!handled) {
        return 0;
    }
    return Application3D::handleMessage(window, message, wParam, lParam);
}

void GameApplication::playSound(int number) {
    soundBank_.playSound(number, kPlayOnce);
}

void GameApplication::stopMusic() {
    musicPlayer_.stopMusic();
}

void GameApplication::closeMusic() {
    musicPlayer_.closeMusic();
}

void GameApplication::openMusic(const char* fileName) {
    musicPlayer_.openMusic(fileName);
}

void GameApplication::playMusic() {
    musicPlayer_.playMusic();
}

void GameApplication::openWithDesktop(const char* fileName) {
    if (openFile) {
        openFile(fileName);
    }
}

void GameApplication::closeMainWindow() {
    sendMessage(mainWindow, WM_CLOSE, 0, 0);
}

void GameApplication::saveOptions(const Options& options) {
    ::saveOptions(options);
}

void GameApplication::saveHighScores(HighScoreTable& table) {
    ::saveHighScores(table, highScoresOnFile_);
}
