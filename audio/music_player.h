// The game's music: one MIDI file at a time, played once with a completion notice.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/messages.h"

struct _Mix_Music;
union SDL_Event;

// One per process (there is one music output). A playback that reaches its end posts
// MM_MCINOTIFY with MCI_NOTIFY_SUCCESSFUL to the notify window; one that is stopped or closed
// posts MCI_NOTIFY_ABORTED instead, and one restarted by playMusic MCI_NOTIFY_SUPERSEDED. The
// notice travels through the SDL event queue (see readMusicNotice) and so reaches the window on
// the main thread. Every operation returns 1 on success and 0 on failure, and a failure has no
// effect: a missing file, a machine without audio or without MIDI support leaves the game
// silent. Main thread only.
class MusicPlayer {
public:
    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // The window that later playbacks report to; none (the start-up value) sends no notices.
    void setMusicNotifyWindow(WindowHandle window);

    // Opens a Standard MIDI File (a backslash is a folder separator) and makes it the music
    // device. A file that is missing, cut short or not MIDI is not opened. A file still open is
    // closed first, so its playback ends without a successful notice.
    int openMusic(std::string_view path);

    // Plays the open file from its beginning; restarts it if it is playing already.
    int playMusic();

    // Stops the open file's playback; the file stays open.
    int stopMusic();

    // Stops and closes the open file.
    int closeMusic();

    // The device of the file opened last: a new number for each successful open, 0 before the
    // first. It stays set after closeMusic. Each notice carries it as lParam.
    std::uint32_t musicDevice() const { return musicDevice_; }

private:
    void endPlayback(MessageParam noticeCode);

    bool mixerOpen_ = false;
    _Mix_Music* music_ = nullptr;  // the open file, none when closed
    std::uint32_t musicDevice_ = 0;
    std::uint32_t devicesOpened_ = 0;
    WindowHandle notifyWindow_ = nullptr;
};

// A music notice taken from the event queue, addressed to a window.
struct MusicNotice {
    WindowHandle window;
    std::uint32_t message;  // MM_MCINOTIFY
    MessageParam wParam;    // MCI_NOTIFY_SUCCESSFUL, _ABORTED or _SUPERSEDED
    MessageLong lParam;     // the music device that played

    bool operator==(const MusicNotice&) const = default;
};

// The music notice that `event` carries, or nothing when it is some other event. The platform
// layer hands each one found to the window procedure of `window`.
std::optional<MusicNotice> readMusicNotice(const SDL_Event& event);
