// The game's music: one MIDI file at a time, played once from its beginning by the one
// synthesiser of the run, in the same audio output as the sound effects.
#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.h"

// The synthesiser's output level: the music's share of the mix with the sound effects. With it
// the game's tunes peak at -10 dBFS at most and sit 4 dB or more under the effects (see
// kEffectsVolume), so that an effect over the loudest passage still stays below -1 dBFS.
constexpr float kMusicGain = 0.25f;

// One per process (there is one music output). A playback that reaches its end posts
// MM_MCINOTIFY with MCI_NOTIFY_SUCCESSFUL, lParam the music device, to the notify window through
// the window system's posted messages, so that it reaches the window's procedure on the window
// thread; a playback that is stopped, closed or replaced posts nothing. Every operation returns
// 1 on success and 0 on failure, and a failure has no effect: a missing file, a machine without
// audio or without the SoundFont leaves the game silent. Window thread only; the music is
// rendered on the audio thread.
class MusicPlayer {
public:
    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // The window that later playbacks report to; none (the start-up value) sends no notices.
    void setMusicNotifyWindow(WindowHandle window);

    // Opens the audio output and loads the General MIDI SoundFont into the synthesiser: once for
    // the run, so that later calls return at once. openMusic does it when it has not been done.
    // After a failure the game stays silent; a later call tries again.
    int startSynthesiser();

    // Starts loading the SoundFont on another thread, so that the window, the device and the
    // first frame need not wait for it; startSynthesiser (and so the first openMusic) waits
    // for the load to finish. Does nothing once a load has been started. Given the music files
    // the run plays (named as for openMusic), only the SoundFont's presets that they play are
    // loaded, which keeps several MiB of instrument tables out of memory; a file not among them
    // finds only those presets. Given none, the whole SoundFont is loaded.
    void loadSynthesiserInBackground(std::vector<std::string> tracks = {});

    // Opens a Standard MIDI File (a backslash is a folder separator) and makes it the music
    // device. A file that is missing, cut short, oversized or not MIDI is not opened. A file
    // still open is closed first, so its playback ends without a notice.
    int openMusic(std::string_view path);

    // Plays the open file from its beginning; restarts it if it is playing already.
    int playMusic();

    // Stops the open file's playback (from the next buffer of sound); the file stays open.
    int stopMusic();

    // Stops and closes the open file.
    int closeMusic();

    // The device of the file opened last: a new number for each successful open, 0 before the
    // first. It stays set after closeMusic.
    std::uint32_t musicDevice() const { return musicDevice_; }

    struct Synthesiser;

private:
    std::future<std::unique_ptr<Synthesiser>> loading_;  // the SoundFont's load, until taken
    std::unique_ptr<Synthesiser> synthesiser_;
    std::shared_ptr<const std::vector<std::uint8_t>> openMidi_;  // the open file's; none: closed
    std::uint32_t musicDevice_ = 0;
    std::uint32_t devicesOpened_ = 0;
    WindowHandle notifyWindow_ = nullptr;
};
