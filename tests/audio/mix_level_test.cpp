// The game's own tunes and sound effects from the run directory, played by the music player and
// the sound bank as the game plays them and read back from the disk audio driver: the mix of the
// loudest effect over every tune stays clear of full scale, and the music sits under the effects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/music_player.h"
#include "audio/sound_bank.h"
#include "audio/wave_file.h"
#include "platform/window.h"
#include "tests/audio/mixed_output.h"

namespace {

using namespace audio_test;

// No pause between the disk driver's buffers: the tunes render as fast as the synthesiser goes.
constexpr const char* kDiskAudioDelayMs = "0";
constexpr double kFullScale = 32768.0;
constexpr double kHighestPeakDb = -1.0;
// The music's level (over the whole tune) at least this far under the loudest effect's.
constexpr double kMusicUnderEffectsDb = 3.0;
// Wall time a tune of a few minutes may take to render on a busy machine.
constexpr auto kRenderDeadline = std::chrono::minutes(4);

const char* const kTunes[] = {"music_m.mid", "music_1.mid", "music_2.mid", "music_3.mid"};
const char* const kEffects[] = {"action.wav",   "fill.wav",  "fall.wav",
                                "gameover.wav", "bonus.wav", "getbonus.wav"};

std::string mediaFile(const char* name) {
    return std::string(KOLVANE_RUN_DIR) + "/Sound/" + name;
}

bool tuneEnded = false;

MessageResult noticeProcedure(WindowHandle window, std::uint32_t message, MessageParam wParam,
                              MessageLong lParam) {
    if (message == MM_MCINOTIFY && wParam == MCI_NOTIFY_SUCCESSFUL) {
        tuneEnded = true;
    }
    return defaultWindowProcedure(window, message, wParam, lParam);
}

double decibels(double level) {
    return 20.0 * std::log10(std::max(level, 1e-9));
}

struct Level {
    int peak = 0;  // of |sample|, 0..32768
    double rms = 0.0;
    long fullScaleSamples = 0;
};

Level levelOf(const std::vector<std::int16_t>& samples) {
    Level level;
    double sum = 0.0;
    for (const std::int16_t sample : samples) {
        const int magnitude = std::abs(static_cast<int>(sample));
        level.peak = std::max(level.peak, magnitude);
        level.fullScaleSamples += magnitude >= 32767 ? 1 : 0;
        sum += static_cast<double>(sample) * sample;
    }
    level.rms = samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
    return level;
}

Level levelOf(const std::vector<Frame>& frames) {
    std::vector<std::int16_t> samples;
    samples.reserve(frames.size() * 2);
    for (const Frame& frame : frames) {
        samples.push_back(frame.left);
        samples.push_back(frame.right);
    }
    return levelOf(samples);
}

// An effect's own level (16-bit mono, as the media are) and that of it as the mixer plays it.
Level effectLevel(const char* path) {
    const WaveFile wave = readWaveFile(mediaFile(path));
    std::vector<std::int16_t> samples(wave.samples.size() / 2);
    std::memcpy(samples.data(), wave.samples.data(), samples.size() * 2);
    return levelOf(samples);
}

double playedDb(double level) {
    return decibels(level * kEffectsVolume / MIX_MAX_VOLUME / kFullScale);
}

const char* loudestEffect() {
    const char* loudest = kEffects[0];
    for (const char* effect : kEffects) {
        if (effectLevel(effect).peak > effectLevel(loudest).peak) {
            loudest = effect;
        }
    }
    return loudest;
}

class MixLevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = caseFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        setenv("SDL_DISKAUDIODELAY", kDiskAudioDelayMs, 1);
        for (const char* effect : kEffects) {
            ASSERT_TRUE(readWaveFile(mediaFile(effect)).loaded) << effect;
        }
    }

    // The whole output of one tune played to its end, with `effect` (if any) looping on top
    // from the tune's first note to its last.
    std::vector<Frame> render(const char* tune, const char* effect) {
        const std::filesystem::path output = folder_ / (std::to_string(renders_++) + ".raw");
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        WindowDescription description;
        description.title = "Mix test";
        description.clientWidth = 64;
        description.clientHeight = 48;
        description.procedure = noticeProcedure;
        const WindowHandle window = createWindow(description);
        EXPECT_NE(window, nullptr) << SDL_GetError();
        tuneEnded = false;
        {
            SoundBank bank;
            MusicPlayer player;
            EXPECT_EQ(bank.initSound(window), kSoundReady);
            player.setMusicNotifyWindow(window);
            EXPECT_EQ(player.openMusic(mediaFile(tune)), 1) << tune;
            if (effect != nullptr) {
                EXPECT_EQ(bank.loadSound(mediaFile(effect)), 1) << effect;
                EXPECT_EQ(bank.playSound(1, kPlayLooping), 1);
            }
            EXPECT_EQ(player.playMusic(), 1);
            const auto deadline = std::chrono::steady_clock::now() + kRenderDeadline;
            while (!tuneEnded && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                WindowMessage message;
                while (peekMessage(message, true)) {
                    dispatchMessage(message);
                }
            }
            EXPECT_TRUE(tuneEnded) << tune << " did not play to its end in time";
        }
        destroyWindow(window);
        std::vector<Frame> frames = readDiskOutput(output);
        std::filesystem::remove(output);  // some 18 MB a tune
        return frames;
    }

    std::filesystem::path folder_;
    int renders_ = 0;
};

TEST_F(MixLevelTest, TheLoudestEffectOverEveryTuneStaysBelowMinusOneDecibel) {
    const char* effect = loudestEffect();
    for (const char* tune : kTunes) {
        SCOPED_TRACE(tune);
        const std::vector<Frame> output = render(tune, effect);
        ASSERT_GT(output.size(), 44100u * 30) << "a tune of half a minute at least";
        const Level mix = levelOf(output);
        EXPECT_EQ(mix.fullScaleSamples, 0);
        EXPECT_LT(decibels(mix.peak / kFullScale), kHighestPeakDb)
            << "peak " << mix.peak << " with " << effect << " looping on top";
        EXPECT_GT(mix.peak, effectLevel(effect).peak * kEffectsVolume / MIX_MAX_VOLUME)
            << "the music is heard under the effect";
    }
}

TEST_F(MixLevelTest, EveryTuneSitsUnderTheEffectsYetIsHeard) {
    double quietestEffectDb = 0.0;
    for (const char* effect : kEffects) {
        quietestEffectDb = std::min(quietestEffectDb, playedDb(effectLevel(effect).rms));
    }
    for (const char* tune : kTunes) {
        SCOPED_TRACE(tune);
        const Level music = levelOf(render(tune, nullptr));
        const double musicDb = decibels(music.rms / kFullScale);
        EXPECT_LT(musicDb, quietestEffectDb - kMusicUnderEffectsDb)
            << "the effects' quietest is at " << quietestEffectDb << " dBFS";
        EXPECT_GT(musicDb, -40.0) << "so quiet that a player turns the volume up for it";
    }
}

}  // namespace
