#include "audio/music_player.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <fstream>
#include <mutex>
#include <vector>

#include "audio/game_path.h"
#include "audio/midi_file.h"
#include "audio/mixer_device.h"

namespace {

constexpr Uint32 kNoEventType = static_cast<Uint32>(-1);

Uint32 musicNoticeEventType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
}

// The notice owed to the window for the playback now running. SDL2_mixer calls its finished
// hook both when a playback reaches its end (on the audio thread) and when we halt it (on the
// main thread); whoever takes the owed notice first decides how that playback ended, so each
// playback yields exactly one notice.
struct OwedNotice {
    WindowHandle window = nullptr;
    std::uint32_t device = 0;
};

std::mutex owedMutex;
std::optional<OwedNotice> owedNotice;

void oweNotice(const OwedNotice& notice) {
    std::lock_guard lock(owedMutex);
    owedNotice = notice;
}

std::optional<OwedNotice> takeOwedNotice() {
    std::lock_guard lock(owedMutex);
    std::optional<OwedNotice> taken = owedNotice;
    owedNotice.reset();
    return taken;
}

void postMusicNotice(const OwedNotice& notice, MessageParam code) {
    const Uint32 type = musicNoticeEventType();
    if (notice.window == nullptr || type == kNoEventType) {
        return;
    }
    SDL_Event event{};
    event.user.type = type;
    event.user.code = static_cast<Sint32>(code);
    event.user.data1 = notice.window;
    event.user.data2 = reinterpret_cast<void*>(static_cast<std::uintptr_t>(notice.device));
    SDL_PushEvent(&event);
}

bool holdsCompleteMidi(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxMidiFileBytes) {
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    return in.read(reinterpret_cast<char*>(bytes.data()), size) && isCompleteMidiFile(bytes);
}

void SDLCALL onMusicFinished() {
    if (const auto notice = takeOwedNotice()) {
        postMusicNotice(*notice, MCI_NOTIFY_SUCCESSFUL);
    }
}

}  // namespace

MusicPlayer::MusicPlayer() {
    musicNoticeEventType();
}

MusicPlayer::~MusicPlayer() {
    takeOwedNotice();
    if (music_ != nullptr) {
        Mix_HaltMusic();
        Mix_FreeMusic(music_);
    }
    if (mixerOpen_) {
        Mix_HookMusicFinished(nullptr);
        closeMixer();
    }
}

void MusicPlayer::setMusicNotifyWindow(WindowHandle window) {
    notifyWindow_ = window;
}

int MusicPlayer::openMusic(std::string_view path) {
    closeMusic();
    if (!mixerOpen_) {
        mixerOpen_ = openMixer();
        if (!mixerOpen_) {
            return 0;
        }
        Mix_HookMusicFinished(onMusicFinished);
    }
    const std::string file = gameFilePath(path);
    if (!holdsCompleteMidi(file)) {
        return 0;
    }
    music_ = Mix_LoadMUS(file.c_str());
    if (music_ == nullptr) {
        return 0;
    }
    musicDevice_ = ++devicesOpened_;
    return 1;
}

int MusicPlayer::playMusic() {
    if (music_ == nullptr) {
        return 0;
    }
    endPlayback(MCI_NOTIFY_SUPERSEDED);
    oweNotice(OwedNotice{notifyWindow_, musicDevice_});
    if (Mix_PlayMusic(music_, 0) != 0) {
        takeOwedNotice();
        return 0;
    }
    return 1;
}

int MusicPlayer::stopMusic() {
    if (music_ == nullptr) {
        return 0;
    }
    endPlayback(MCI_NOTIFY_ABORTED);
    return 1;
}

int MusicPlayer::closeMusic() {
    if (music_ == nullptr) {
        return 0;
    }
    endPlayback(MCI_NOTIFY_ABORTED);
    Mix_FreeMusic(music_);
    music_ = nullptr;
    return 1;
}

// Halts the playback, if any, telling its window that it ended with `noticeCode`. Taking the
// owed notice before halting keeps the finished hook of the halt from reporting success.
void MusicPlayer::endPlayback(MessageParam noticeCode) {
    if (const auto notice = takeOwedNotice()) {
        postMusicNotice(*notice, noticeCode);
    }
    Mix_HaltMusic();
}

std::optional<MusicNotice> readMusicNotice(const SDL_Event& event) {
    const Uint32 type = musicNoticeEventType();
    if (type == kNoEventType || event.type != type) {
        return std::nullopt;
    }
    return MusicNotice{
        static_cast<WindowHandle>(event.user.data1), MM_MCINOTIFY,
        static_cast<MessageParam>(event.user.code),
        static_cast<MessageLong>(reinterpret_cast<std::uintptr_t>(event.user.data2))};
}
