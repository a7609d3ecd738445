// What the mixer sends to the disk audio driver, for the sound and music tests.
#pragma once

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace audio_test {

// One stereo 16-bit frame of the mixed output.
struct Frame {
    std::int16_t left;
    std::int16_t right;
    bool operator==(const Frame&) const = default;
};

// Counts the frames the mixer has produced since start(). SDL2_mixer runs its post-mix hook
// under the same lock as Mix_PlayChannel, so a sound started between two readings of frames()
// begins at a frame between those two readings.
class MixClock {
public:
    void start() { Mix_SetPostMix(&MixClock::count, this); }
    void stop() { Mix_SetPostMix(nullptr, nullptr); }
    std::int64_t frames() const { return frames_.load(); }

    // Waits (at most ten seconds of wall time) until `target` frames are mixed.
    bool waitFor(std::int64_t target) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (frames() < target) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    static void SDLCALL count(void* self, Uint8*, int len) {
        static_cast<MixClock*>(self)->frames_ += len / static_cast<int>(sizeof(Frame));
    }
    std::atomic<std::int64_t> frames_{0};
};

// The frames the disk driver wrote to `path`.
inline std::vector<Frame> readDiskOutput(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Frame> frames(bytes.size() / sizeof(Frame));
    std::memcpy(frames.data(), bytes.data(), frames.size() * sizeof(Frame));
    return frames;
}

inline bool isSilent(const Frame& frame) {
    return frame.left == 0 && frame.right == 0;
}

// Index of the first frame at or after `from` that is not silent, or -1.
inline std::int64_t firstSound(const std::vector<Frame>& output, std::int64_t from = 0) {
    for (auto i = static_cast<std::size_t>(std::max<std::int64_t>(from, 0)); i < output.size();
         ++i) {
        if (!isSilent(output[i])) {
            return static_cast<std::int64_t>(i);
        }
    }
    return -1;
}

inline std::int64_t countSounding(const std::vector<Frame>& output) {
    std::int64_t count = 0;
    for (const Frame& frame : output) {
        count += isSilent(frame) ? 0 : 1;
    }
    return count;
}

// A fresh folder for one test case, named after it, below the working directory.
inline std::filesystem::path caseFolder(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::current_path() / "audio_cases" / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace audio_test
