#include "audio/music_player.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "tests/audio/mixed_output.h"
#include "tests/audio/test_files.h"

void PrintTo(const MusicNotice& n, std::ostream* os) {
    *os << "{message " << n.message << ", wParam " << n.wParam << ", lParam " << n.lParam << "}";
}

namespace {

using namespace audio_test;

constexpr const char* kDiskAudioDelayMs = "4";
constexpr std::int64_t kTuneFrames = 3 * 44100 / 2;  // three quarter notes at 120 a minute
constexpr std::int64_t kAfterTheEnd = 44100;         // a second more of output

WindowHandle gameWindow() {
    return reinterpret_cast<WindowHandle>(std::uintptr_t{0x5150});
}

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = caseFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        diskFile_ = folder_ / "mixed.raw";
        setenv("SDL_DISKAUDIOFILE", diskFile_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", kDiskAudioDelayMs, 1);
        writeFile(folder_ / "Sound" / "tune.mid", midiTune({60, 64, 67}, 480));
        writeFile(folder_ / "Sound" / "other.mid", midiTune({72, 76, 79}, 480));
        player_ = std::make_unique<MusicPlayer>();
        player_->setMusicNotifyWindow(gameWindow());
    }

    void TearDown() override { drainNotices(); }

    std::string musicFile(const char* name) const { return (folder_ / "Sound" / name).string(); }

    // Opens a file and starts the mixer clock once the mixer is running.
    void open(const char* name) {
        ASSERT_EQ(player_->openMusic(musicFile(name)), 1);
        if (!clockStarted_) {
            clock_.start();
            clockStarted_ = true;
        }
    }

    // Every music notice in the event queue now.
    std::vector<MusicNotice> drainNotices() {
        std::vector<MusicNotice> notices;
        SDL_Event event;
        while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
            if (const auto notice = readMusicNotice(event)) {
                notices.push_back(*notice);
            }
        }
        return notices;
    }

    // Waits (at most ten seconds) for the first notice to arrive.
    std::vector<MusicNotice> waitForNotice() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::vector<MusicNotice> notices;
        while (notices.empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            notices = drainNotices();
        }
        return notices;
    }

    // Lets the mixer run on past where the tune would have ended, then returns the notices.
    std::vector<MusicNotice> noticesAfterTheTuneWouldHaveEnded() {
        EXPECT_TRUE(clock_.waitFor(clock_.frames() + kTuneFrames + kAfterTheEnd));
        return drainNotices();
    }

    std::vector<Frame> finish() {
        player_.reset();
        return readDiskOutput(diskFile_);
    }

    std::filesystem::path folder_;
    std::filesystem::path diskFile_;
    std::unique_ptr<MusicPlayer> player_;
    MixClock clock_;
    bool clockStarted_ = false;
};

MusicNotice successful(std::uint32_t device) {
    return MusicNotice{gameWindow(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL,
                       static_cast<MessageLong>(device)};
}

MusicNotice aborted(std::uint32_t device) {
    return MusicNotice{gameWindow(), MM_MCINOTIFY, MCI_NOTIFY_ABORTED,
                       static_cast<MessageLong>(device)};
}

TEST_F(MusicPlayerTest, ATuneThatPlaysToItsEndIsHeardAndReportsSuccessOnce) {
    open("tune.mid");
    const std::int64_t startedAt = clock_.frames();
    ASSERT_EQ(player_->playMusic(), 1);
    const std::vector<MusicNotice> first = waitForNotice();
    const std::int64_t endedBy = clock_.frames();
    ASSERT_EQ(first, std::vector<MusicNotice>{successful(player_->musicDevice())});
    EXPECT_GE(endedBy - startedAt, kTuneFrames * 9 / 10);

    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
    EXPECT_EQ(player_->stopMusic(), 1);  // the file is still open
    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
    EXPECT_GT(countSounding(finish()), kTuneFrames / 2);
}

TEST_F(MusicPlayerTest, PlayingAgainAfterTheEndStartsFromTheBeginning) {
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_EQ(waitForNotice(), std::vector<MusicNotice>{successful(player_->musicDevice())});
    const std::int64_t again = clock_.frames();
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_EQ(waitForNotice(), std::vector<MusicNotice>{successful(player_->musicDevice())});
    EXPECT_GE(clock_.frames() - again, kTuneFrames * 9 / 10);
}

TEST_F(MusicPlayerTest, StoppingBeforeTheEndReportsNoSuccess) {
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_TRUE(clock_.waitFor(clock_.frames() + kTuneFrames / 3));
    ASSERT_EQ(player_->stopMusic(), 1);
    EXPECT_EQ(noticesAfterTheTuneWouldHaveEnded(),
              std::vector<MusicNotice>{aborted(player_->musicDevice())});
    EXPECT_GT(countSounding(finish()), 0);
}

TEST_F(MusicPlayerTest, ClosingBeforeTheEndReportsNoSuccess) {
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    const std::uint32_t device = player_->musicDevice();
    ASSERT_EQ(player_->closeMusic(), 1);
    EXPECT_EQ(player_->musicDevice(), device);  // kept after closing
    EXPECT_EQ(noticesAfterTheTuneWouldHaveEnded(), std::vector<MusicNotice>{aborted(device)});
    EXPECT_EQ(player_->playMusic(), 0);
    EXPECT_EQ(player_->stopMusic(), 0);
    EXPECT_EQ(player_->closeMusic(), 0);
}

TEST_F(MusicPlayerTest, OpeningAnotherTuneEndsTheOldOneWithoutSuccess) {
    open("tune.mid");
    const std::uint32_t oldDevice = player_->musicDevice();
    ASSERT_EQ(player_->playMusic(), 1);
    open("other.mid");
    const std::uint32_t newDevice = player_->musicDevice();
    EXPECT_NE(newDevice, oldDevice);
    EXPECT_EQ(noticesAfterTheTuneWouldHaveEnded(), std::vector<MusicNotice>{aborted(oldDevice)});

    ASSERT_EQ(player_->playMusic(), 1);
    EXPECT_EQ(waitForNotice(), std::vector<MusicNotice>{successful(newDevice)});
}

TEST_F(MusicPlayerTest, RestartingAPlayingTuneSupersedesItsNotice) {
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_EQ(player_->playMusic(), 1);
    const MusicNotice superseded{gameWindow(), MM_MCINOTIFY, MCI_NOTIFY_SUPERSEDED,
                                 static_cast<MessageLong>(player_->musicDevice())};
    EXPECT_EQ(drainNotices(), std::vector<MusicNotice>{superseded});
    EXPECT_EQ(waitForNotice(), std::vector<MusicNotice>{successful(player_->musicDevice())});
    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
}

TEST_F(MusicPlayerTest, AMissingOrBrokenFileLeavesTheGameSilent) {
    writeFile(folder_ / "Sound" / "broken.mid", Bytes{'M', 'T', 'h', 'd', 0, 0});
    EXPECT_EQ(player_->openMusic(musicFile("absent.mid")), 0);
    EXPECT_EQ(player_->openMusic(musicFile("broken.mid")), 0);
    EXPECT_EQ(player_->musicDevice(), 0u);
    EXPECT_EQ(player_->playMusic(), 0);
    EXPECT_EQ(player_->stopMusic(), 0);
    EXPECT_EQ(player_->closeMusic(), 0);
    clock_.start();
    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
    EXPECT_EQ(countSounding(finish()), 0);
}

TEST_F(MusicPlayerTest, ATuneCutShortAnywhereIsNotOpened) {
    const Bytes tune = midiTune({60, 64, 67}, 480);
    for (std::size_t length = 0; length < tune.size(); ++length) {
        writeFile(folder_ / "Sound" / "cut.mid", std::span(tune).first(length));
        EXPECT_EQ(player_->openMusic(musicFile("cut.mid")), 0) << "cut at " << length;
    }
    EXPECT_EQ(player_->musicDevice(), 0u);
    Bytes noTracks = tune;
    noTracks[10] = 0;
    noTracks[11] = 0;
    writeFile(folder_ / "Sound" / "notracks.mid", noTracks);
    EXPECT_EQ(player_->openMusic(musicFile("notracks.mid")), 0);
    writeFile(folder_ / "Sound" / "whole.mid", tune);
    EXPECT_EQ(player_->openMusic(musicFile("whole.mid")), 1);
}

TEST_F(MusicPlayerTest, CommandsBeforeTheFirstOpenFailWithoutEffect) {
    EXPECT_EQ(player_->playMusic(), 0);
    EXPECT_EQ(player_->stopMusic(), 0);
    EXPECT_EQ(player_->closeMusic(), 0);
    EXPECT_EQ(player_->musicDevice(), 0u);
    EXPECT_TRUE(drainNotices().empty());
}

TEST_F(MusicPlayerTest, WithoutANotifyWindowNoNoticeIsPosted) {
    player_->setMusicNotifyWindow(nullptr);
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
}

TEST_F(MusicPlayerTest, WithoutAnAudioDeviceTheMusicStaysSilent) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string savedDriver = driver != nullptr ? driver : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(player_->openMusic(musicFile("tune.mid")), 0);
    EXPECT_EQ(player_->playMusic(), 0);
    player_.reset();
    setenv("SDL_AUDIODRIVER", savedDriver.c_str(), 1);
    EXPECT_TRUE(drainNotices().empty());
}

}  // namespace
