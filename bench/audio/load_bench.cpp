// How long the sounds and a music file take to load, and a sound to start. Runs on the dummy
// audio driver unless SDL_AUDIODRIVER names another.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/music_player.h"
#include "audio/sound_bank.h"
#include "tests/audio/test_files.h"

namespace {

using namespace audio_test;

const std::filesystem::path kFolder =
    std::filesystem::temp_directory_path() / "kolvane_audio_bench";

// Six sounds shaped like the game's: 16-bit mono at 22050 Hz, 0.2 to 1.5 seconds long.
const char* const kSoundNames[] = {"action.wav",   "fill.wav",  "fall.wav",
                                   "gameover.wav", "bonus.wav", "getbonus.wav"};
const double kSoundSeconds[] = {0.2, 0.6, 0.25, 1.5, 0.5, 0.7};

void writeBenchFiles() {
    static bool written = false;
    if (written) {
        return;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    for (int i = 0; i < 6; ++i) {
        const int frames = static_cast<int>(kSoundSeconds[i] * 22050);
        std::vector<std::int16_t> samples(static_cast<std::size_t>(frames));
        for (int t = 0; t < frames; ++t) {
            samples[static_cast<std::size_t>(t)] =
                static_cast<std::int16_t>(8000 * std::sin(t * (0.05 + 0.01 * i)));
        }
        writeFile(kFolder / kSoundNames[i],
                  waveFile(FormatRecord{.channels = 1, .rate = 22050, .bits = 16}, pcm16(samples)));
    }
    // A minute of music: 32 notes of 1.875 s each.
    writeFile(kFolder / "music.mid",
              midiTune({60, 62, 64, 65, 67, 69, 71, 72, 60, 62, 64, 65, 67, 69, 71, 72,
                        60, 62, 64, 65, 67, 69, 71, 72, 60, 62, 64, 65, 67, 69, 71, 72},
                       1800));
    written = true;
}

std::string benchFile(const char* name) {
    return (kFolder / name).string();
}

// initSound and the six loads of start-up, with the audio device already open.
void BM_LoadSoundBank(benchmark::State& state) {
    writeBenchFiles();
    SoundBank holder;  // keeps the mixer open, as the game's one bank does
    holder.initSound(nullptr);
    for (auto _ : state) {
        SoundBank bank;
        bank.initSound(nullptr);
        int loaded = 0;
        for (const char* name : kSoundNames) {
            loaded += bank.loadSound(benchFile(name));
        }
        if (loaded != 6) {
            state.SkipWithError("a sound did not load");
            break;
        }
    }
}
BENCHMARK(BM_LoadSoundBank)->Unit(benchmark::kMillisecond);

// One openMusic of a minute-long MIDI file, the synthesiser already started (bench/flow's
// music_bench times the SoundFont's load apart).
void BM_OpenMusic(benchmark::State& state) {
    writeBenchFiles();
    MusicPlayer player;
    player.startSynthesiser();
    for (auto _ : state) {
        if (player.openMusic(benchFile("music.mid")) != 1) {
            state.SkipWithError("the music did not open");
            break;
        }
        state.PauseTiming();
        player.closeMusic();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenMusic)->Unit(benchmark::kMillisecond);

// What a frame pays to start a sound.
void BM_PlaySound(benchmark::State& state) {
    writeBenchFiles();
    SoundBank bank;
    bank.initSound(nullptr);
    bank.loadSound(benchFile("fall.wav"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(bank.playSound(1));
    }
}
BENCHMARK(BM_PlaySound)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
