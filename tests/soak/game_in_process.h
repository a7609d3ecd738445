// What the long-running tests of the whole game share: a working directory holding a copy of
// the generated media, a clock moved by hand, a recorder in place of message boxes, and the
// process's resident memory.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/frame_timer.h"
#include "platform/clock.h"
#include "platform/message_box.h"

#ifndef KOLVANE_RUN_DIR
#error "KOLVANE_RUN_DIR names the run directory with the generated media"
#endif

#if defined(__SANITIZE_ADDRESS__)
#define KOLVANE_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOLVANE_UNDER_ASAN 1
#endif
#endif

// A fresh working directory with the game's pictures, meshes and sounds, removed afterwards.
// The data files (scores.dat, options.dat, gameinfo.txt) start missing, as on a first run.
class MediaDirectory {
public:
    MediaDirectory() {
        previous_ = std::filesystem::current_path();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kolvane-game-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "no temporary directory";
            return;
        }
        directory_ = pattern;
        for (const char* media : {"Graphics", "Sound"}) {
            std::filesystem::copy(std::filesystem::path(KOLVANE_RUN_DIR) / media,
                                  directory_ / media, std::filesystem::copy_options::recursive);
        }
        std::filesystem::current_path(directory_);
    }
    ~MediaDirectory() {
        std::filesystem::current_path(previous_);
        if (!directory_.empty()) {
            std::filesystem::remove_all(directory_);
        }
    }
    MediaDirectory(const MediaDirectory&) = delete;
    MediaDirectory& operator=(const MediaDirectory&) = delete;

private:
    std::filesystem::path previous_;
    std::filesystem::path directory_;
};

// The process clock, moved only by advance(); installed for its lifetime with a fresh frame
// timer, so the frame's appTime is simulated time.
class SimulatedClock {
public:
    SimulatedClock() : previous_(setClockSource(&source())) {
        ticks() = 1000000;  // microseconds; start a second in, like a machine that has been up
        resetFrameTimer();
    }
    ~SimulatedClock() {
        setClockSource(previous_);
        resetFrameTimer();
    }
    SimulatedClock(const SimulatedClock&) = delete;
    SimulatedClock& operator=(const SimulatedClock&) = delete;

    static void advanceMicroseconds(std::int64_t microseconds) { ticks() += microseconds; }
    static double seconds() { return static_cast<double>(ticks()) / 1e6; }

private:
    static std::int64_t& ticks() {
        static std::int64_t value = 0;
        return value;
    }
    static bool frequency(std::int64_t* perSecond) {
        *perSecond = 1000000;
        return true;
    }
    static std::int64_t counter() { return ticks(); }
    static std::uint32_t milliseconds() { return static_cast<std::uint32_t>(ticks() / 1000); }

    static const ClockSource& source() {
        static const ClockSource simulated{frequency, counter, milliseconds};
        return simulated;
    }
    const ClockSource* previous_;
};

// Keeps every message box the game shows instead of showing it.
class BoxRecorder {
public:
    BoxRecorder() : previous_(setMessageBoxFunction(record)) { shown().clear(); }
    ~BoxRecorder() { setMessageBoxFunction(previous_); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    static std::vector<std::string>& shown() {
        static std::vector<std::string> boxes;
        return boxes;
    }

private:
    static void record(const char* caption, const char* text, MessageBoxIcon) {
        shown().push_back(std::string(caption) + ": " + text);
    }
    MessageBoxFunction previous_;
};

// The process's resident memory in bytes (/proc/self/statm), 0 where it cannot be read.
inline std::int64_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::int64_t totalPages = 0;
    std::int64_t residentPages = 0;
    if (!(statm >> totalPages >> residentPages)) {
        return 0;
    }
    return residentPages * static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
}
