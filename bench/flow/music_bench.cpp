// What changing the music costs the window thread: chooseMusic (stop, close, open, play) from
// one of the game's tunes to the next, with the tune before it playing, as when a game starts
// or ends, the window regains the focus or a tune ends. Apart from it, the SoundFont's load,
// which the game does once, at start-up: with the presets of the game's tunes only, as the game
// loads it, and whole, as a synthesiser given no tunes does.
//
//   build/bench/music_bench [changes]
//
// The sound goes to the disk audio driver, at the pace of a sound card, into /dev/null (unless
// SDL_AUDIODRIVER names another driver), so that the synthesiser renders on the audio thread
// while the window thread changes the tune. Medians and the slowest change are printed with the
// machine's load.
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "audio/music_player.h"
#include "game/flow/game_services.h"
#include "game/flow/screen_flow.h"
#include "game/rules/random.h"

namespace {

constexpr int kDefaultChanges = 60;
constexpr int kSoundFontLoads = 5;
constexpr auto kPlayBetweenChanges = std::chrono::milliseconds(40);

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The game's music calls go to a real player; everything else is left out.
class MusicOnlyServices final : public GameServices {
public:
    explicit MusicOnlyServices(MusicPlayer& player) : player_(player) {}
    void playSound(int) override {}
    void stopMusic() override { player_.stopMusic(); }
    void closeMusic() override { player_.closeMusic(); }
    void openMusic(const char* fileName) override { player_.openMusic(fileName); }
    void playMusic() override { player_.playMusic(); }
    void openWithDesktop(const char*) override {}
    void closeMainWindow() override {}
    void saveOptions(const Options&) override {}
    void saveHighScores(HighScoreTable&) override {}

private:
    MusicPlayer& player_;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    return values[index];
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string oneMinute;
    in >> oneMinute;
    return oneMinute.empty() ? "unknown" : oneMinute;
}

bool measureSoundFontLoads(bool onlyTheTunesPresets, std::vector<double>& loads) {
    for (int i = 0; i < kSoundFontLoads; ++i) {
        MusicPlayer player;
        const Clock::time_point start = Clock::now();
        if (onlyTheTunesPresets) {
            player.loadSynthesiserInBackground({std::begin(musicFiles), std::end(musicFiles)});
        }
        if (player.startSynthesiser() != 1) {
            return false;
        }
        loads.push_back(millisecondsSince(start));
    }
    return true;
}

// Changes between the menu tune and the game tunes, as leaving and entering games does.
bool measureChanges(int changes, std::vector<double>& times, std::string& driver) {
    MusicPlayer player;
    if (player.startSynthesiser() != 1) {
        return false;
    }
    driver = SDL_GetCurrentAudioDriver() != nullptr ? SDL_GetCurrentAudioDriver() : "none";
    MusicOnlyServices services(player);
    GameState state;
    state.options.musicOn = 1;
    for (int i = 0; i < changes; ++i) {
        state.screen = i % 2 == 0 ? Playing : MainMenu;
        const Clock::time_point start = Clock::now();
        chooseMusic(state, services);
        times.push_back(millisecondsSince(start));
        if (player.musicDevice() != static_cast<std::uint32_t>(i + 1)) {
            return false;
        }
        std::this_thread::sleep_for(kPlayBetweenChanges);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int changes = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultChanges;
    setenv("SDL_AUDIODRIVER", "disk", 0);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);
    std::filesystem::current_path(KOLVANE_RUN_DIR);
    seedGameRandom(20010417);

    std::vector<double> loads, wholeLoads;
    if (!measureSoundFontLoads(true, loads) || !measureSoundFontLoads(false, wholeLoads)) {
        std::fprintf(stderr, "no synthesiser: no audio output or no SoundFont\n");
        return 1;
    }
    std::vector<double> times;
    std::string driver;
    if (!measureChanges(changes, times, driver)) {
        std::fprintf(stderr, "a tune did not open: is the run directory's Sound folder there?\n");
        return 1;
    }
    std::printf(
        "SoundFont load (once, at start-up), the game's tunes' presets: median %.1f ms of %d "
        "loads, slowest %.1f ms; whole: median %.1f ms, slowest %.1f ms\n",
        median(loads), kSoundFontLoads, *std::max_element(loads.begin(), loads.end()),
        median(wholeLoads), *std::max_element(wholeLoads.begin(), wholeLoads.end()));
    std::printf(
        "chooseMusic, one tune to the next: median %.3f ms, 90th percentile %.3f ms, slowest "
        "%.3f ms of %d changes\n",
        median(times), percentile(times, 0.9), *std::max_element(times.begin(), times.end()),
        changes);
    std::printf("audio driver %s; load average %s on %u processors\n", driver.c_str(),
                loadAverage().c_str(), std::thread::hardware_concurrency());
    return 0;
}
