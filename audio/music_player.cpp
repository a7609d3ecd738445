#include "audio/music_player.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <future>
#include <mutex>
#include <optional>
#include <string>

#include "audio/game_path.h"
#include "audio/midi_file.h"
#include "audio/mixer_device.h"
#include "audio/soundfont_presets.h"
#include "platform/window.h"

namespace {

// The General MIDI SoundFont the music is played with (Debian's timgm6mb-soundfont).
constexpr const char* kGeneralMidiSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

constexpr int kBytesPerFrame = kMixerChannels * static_cast<int>(sizeof(Sint16));
// Frames the synthesiser renders at a time into its scratch buffers.
constexpr int kScratchFrames = 1024;
constexpr float kFullScale = 32767.0f;

// The player's messages go nowhere: there is no log.
void silenceSynthesiserLog() {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
        fluid_set_log_function(level, nullptr, nullptr);
    }
}

// The file's bytes, or nothing when it cannot be read or is larger than a music file can be.
std::vector<std::uint8_t> readMusicFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size <= 0 || static_cast<std::uint64_t>(size) > kMaxMidiFileBytes) {
        return {};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return {};
    }
    return bytes;
}

Sint16 mixedSample(Sint16 under, float music) {
    const float sum = static_cast<float>(under) + std::nearbyint(music * kFullScale);
    return static_cast<Sint16>(std::clamp(sum, -kFullScale - 1.0f, kFullScale));
}

}  // namespace

// What the window thread asks of the audio thread: play this MIDI data from its beginning
// (reporting its end to window), or, with none, play nothing.
struct PlaybackRequest {
    std::uint64_t serial = 0;  // a new number for every request
    std::shared_ptr<const std::vector<std::uint8_t>> midi;
    WindowHandle window = nullptr;
    std::uint32_t device = 0;
};

// The FluidSynth synthesiser with the SoundFont loaded, and the playback it runs. Only the
// audio thread touches the synthesiser while it renders: the window thread leaves a request
// that the next rendered buffer takes up, so that starting and stopping a track never waits for
// a buffer being rendered.
struct MusicPlayer::Synthesiser {
    PresetSubsetLoading presetLoading;  // outlives the synthesiser, which reads through it
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    bool mixerOpen = false;

    std::mutex requestLock;  // wanted
    PlaybackRequest wanted;

    // The audio thread's own.
    std::uint64_t servedSerial = 0;
    fluid_player_t* playback = nullptr;
    bool awaitingEnd = false;  // the playback's end is still to be reported
    WindowHandle noticeWindow = nullptr;
    std::uint32_t noticeDevice = 0;
    std::vector<float> left = std::vector<float>(kScratchFrames);
    std::vector<float> right = std::vector<float>(kScratchFrames);

    ~Synthesiser() {
        if (mixerOpen) {
            Mix_HookMusic(nullptr, nullptr);  // returns once no buffer is being rendered
            closeMixer();
        }
        if (playback != nullptr) {
            delete_fluid_player(playback);
        }
        if (synth != nullptr) {
            delete_fluid_synth(synth);
        }
        if (settings != nullptr) {
            delete_fluid_settings(settings);
        }
    }

    // Any thread: makes the synthesiser and loads the SoundFont into it, with only the presets
    // played when they are given.
    bool loadSoundFont(const std::optional<PlayedPresets>& played) {
        settings = new_fluid_settings();
        if (settings == nullptr) {
            return false;
        }
        fluid_settings_setnum(settings, "synth.sample-rate", kMixerRate);
        fluid_settings_setnum(settings, "synth.gain", kMusicGain);
        fluid_settings_setstr(settings, "player.timing-source", "sample");
        // Only the instruments the tracks play are read from the SoundFont into memory.
        fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
        synth = new_fluid_synth(settings);
        if (synth == nullptr) {
            return false;
        }
        if (played) {
            presetLoading.addTo(synth, settings, kGeneralMidiSoundFont, *played);
        }
        return fluid_synth_sfload(synth, kGeneralMidiSoundFont, 1) != FLUID_FAILED;
    }

    // Window thread: puts the loaded synthesiser into the audio output.
    bool connect() {
        mixerOpen = openMixer();
        if (!mixerOpen) {
            return false;
        }
        Mix_HookMusic(&Synthesiser::render, this);
        return true;
    }

    // Window thread: the next buffer plays midi from its beginning, or, with none, nothing.
    // Either way the playback before it ends there without a notice.
    void request(std::shared_ptr<const std::vector<std::uint8_t>> midi, WindowHandle window,
                 std::uint32_t device) {
        std::lock_guard hold(requestLock);
        wanted.serial += 1;
        wanted.midi = std::move(midi);
        wanted.window = window;
        wanted.device = device;
    }

    // Audio thread: takes up the latest request, if one came since the last buffer.
    void serveRequest() {
        PlaybackRequest request;
        {
            std::lock_guard hold(requestLock);
            if (wanted.serial == servedSerial) {
                return;
            }
            request = wanted;
            servedSerial = wanted.serial;
        }
        stopPlayback();
        if (request.midi != nullptr) {
            startPlayback(*request.midi, request.window, request.device);
        }
    }

    // The music stops at once: nothing is rendered until the next playback, which starts
    // with no note sounding.
    void stopPlayback() {
        awaitingEnd = false;
        if (playback != nullptr) {
            delete_fluid_player(playback);
            playback = nullptr;
        }
        fluid_synth_all_sounds_off(synth, -1);
    }

    void startPlayback(const std::vector<std::uint8_t>& midi, WindowHandle window,
                       std::uint32_t device) {
        playback = new_fluid_player(synth);
        if (playback == nullptr) {
            return;
        }
        if (fluid_player_add_mem(playback, midi.data(), midi.size()) == FLUID_FAILED ||
            fluid_player_play(playback) == FLUID_FAILED) {
            delete_fluid_player(playback);
            playback = nullptr;
            return;
        }
        awaitingEnd = true;
        noticeWindow = window;
        noticeDevice = device;
    }

    // The player counts itself done only a few seconds after the file's last tick has gone
    // by; the track has ended at that tick.
    bool playbackEnded() const {
        const int lastTick = fluid_player_get_total_ticks(playback);
        return fluid_player_get_status(playback) == FLUID_PLAYER_DONE ||
               (lastTick > 0 && fluid_player_get_current_tick(playback) >= lastTick);
    }

    // The mixer's music hook, on the audio thread: adds the playback, with the notes and the
    // reverb still ringing after its end, to the output (the effects are mixed on top
    // afterwards), then reports a playback that has reached its end.
    static void SDLCALL render(void* self, Uint8* stream, int bytes) {
        auto& s = *static_cast<Synthesiser*>(self);
        s.serveRequest();
        if (s.playback == nullptr) {
            return;
        }
        auto* out = reinterpret_cast<Sint16*>(stream);
        for (int frames = bytes / kBytesPerFrame; frames > 0;) {
            const int chunk = std::min(frames, kScratchFrames);
            fluid_synth_write_float(s.synth, chunk, s.left.data(), 0, 1, s.right.data(), 0, 1);
            for (int i = 0; i < chunk; ++i) {
                out[2 * i] = mixedSample(out[2 * i], s.left[static_cast<std::size_t>(i)]);
                out[2 * i + 1] = mixedSample(out[2 * i + 1], s.right[static_cast<std::size_t>(i)]);
            }
            out += 2 * chunk;
            frames -= chunk;
        }
        if (s.awaitingEnd && s.playbackEnded()) {
            s.awaitingEnd = false;
            if (s.noticeWindow != nullptr) {
                postMessage(s.noticeWindow, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL,
                            static_cast<MessageLong>(s.noticeDevice));
            }
        }
    }
};

MusicPlayer::MusicPlayer() = default;

MusicPlayer::~MusicPlayer() = default;

void MusicPlayer::setMusicNotifyWindow(WindowHandle window) {
    notifyWindow_ = window;
}

namespace {

std::unique_ptr<MusicPlayer::Synthesiser> loadedSynthesiser(std::vector<std::string> tracks) {
    std::optional<PlayedPresets> played;
    if (!tracks.empty()) {
        played.emplace();
        for (const std::string& track : tracks) {
            addPresetsPlayedBy(playableMidiFile(readMusicFile(gameFilePath(track))), *played);
        }
    }
    auto synthesiser = std::make_unique<MusicPlayer::Synthesiser>();
    if (!synthesiser->loadSoundFont(played)) {
        return nullptr;
    }
    return synthesiser;
}

}  // namespace

void MusicPlayer::loadSynthesiserInBackground(std::vector<std::string> tracks) {
    if (synthesiser_ != nullptr || loading_.valid()) {
        return;
    }
    silenceSynthesiserLog();
    loading_ = std::async(std::launch::async, loadedSynthesiser, std::move(tracks));
}

int MusicPlayer::startSynthesiser() {
    if (synthesiser_ != nullptr) {
        return 1;
    }
    if (!loading_.valid()) {
        loadSynthesiserInBackground();
    }
    std::unique_ptr<Synthesiser> synthesiser = loading_.get();
    if (synthesiser == nullptr || !synthesiser->connect()) {
        return 0;
    }
    synthesiser_ = std::move(synthesiser);
    return 1;
}

int MusicPlayer::openMusic(std::string_view path) {
    closeMusic();
    if (startSynthesiser() == 0) {
        return 0;
    }
    std::vector<std::uint8_t> midi = playableMidiFile(readMusicFile(gameFilePath(path)));
    if (midi.empty()) {
        return 0;
    }
    openMidi_ = std::make_shared<const std::vector<std::uint8_t>>(std::move(midi));
    musicDevice_ = ++devicesOpened_;
    return 1;
}

int MusicPlayer::playMusic() {
    if (openMidi_ == nullptr) {
        return 0;
    }
    synthesiser_->request(openMidi_, notifyWindow_, musicDevice_);
    return 1;
}

int MusicPlayer::stopMusic() {
    if (openMidi_ == nullptr) {
        return 0;
    }
    synthesiser_->request(nullptr, nullptr, 0);
    return 1;
}

int MusicPlayer::closeMusic() {
    if (openMidi_ == nullptr) {
        return 0;
    }
    synthesiser_->request(nullptr, nullptr, 0);
    openMidi_.reset();
    return 1;
}
