// The music player with the disk audio driver and a real window of the offscreen video driver:
// what is heard, and which completion notices reach the window's procedure through the message
// pump.
#include "audio/music_player.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/window.h"
#include "tests/audio/mixed_output.h"
#include "tests/audio/test_files.h"

namespace {

using namespace audio_test;

constexpr const char* kDiskAudioDelayMs = "4";
constexpr std::int64_t kTuneFrames = 3 * 44100 / 2;  // three quarter notes at 120 a minute
constexpr std::int64_t kAfterTheEnd = 44100;         // a second more of output
constexpr std::int64_t kOutputBufferFrames = 1024;
// The most output between a tune's last note and its notice reaching the window.
constexpr std::int64_t kNoticeDelayFrames = 4 * kOutputBufferFrames;

struct Notice {
    MessageParam code;
    MessageLong device;
    bool operator==(const Notice&) const = default;
};

void PrintTo(const Notice& n, std::ostream* os) {
    *os << "{code " << n.code << ", device " << n.device << "}";
}

std::vector<Notice> heard;

MessageResult recordingProcedure(WindowHandle window, std::uint32_t message, MessageParam wParam,
                                 MessageLong lParam) {
    if (message == MM_MCINOTIFY) {
        heard.push_back(Notice{wParam, lParam});
    }
    return defaultWindowProcedure(window, message, wParam, lParam);
}

Notice successful(std::uint32_t device) {
    return Notice{MCI_NOTIFY_SUCCESSFUL, static_cast<MessageLong>(device)};
}

class MusicPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        heard.clear();
        folder_ = caseFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        diskFile_ = folder_ / "mixed.raw";
        setenv("SDL_DISKAUDIOFILE", diskFile_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", kDiskAudioDelayMs, 1);
        writeFile(folder_ / "Sound" / "tune.mid", midiTune({60, 64, 67}, 480));
        writeFile(folder_ / "Sound" / "other.mid", midiTune({72, 76, 79}, 480));
        WindowDescription description;
        description.title = "Music test";
        description.clientWidth = 64;
        description.clientHeight = 48;
        description.procedure = recordingProcedure;
        window_ = createWindow(description);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        player_ = std::make_unique<MusicPlayer>();
        player_->setMusicNotifyWindow(window_);
    }

    void TearDown() override {
        clock_.stop();  // the next case's mixer would count into this case's clock
        player_.reset();
        destroyWindow(window_);
        pumpMessages();
    }

    std::string musicFile(const char* name) const { return (folder_ / "Sound" / name).string(); }

    // Opens a file and starts the mixer clock once the mixer is running.
    void open(const char* name) {
        ASSERT_EQ(player_->openMusic(musicFile(name)), 1);
        if (!clockStarted_) {
            clock_.start();
            clockStarted_ = true;
        }
    }

    // Hands every message waiting now to the window's procedure; the notices it heard.
    std::vector<Notice> pumpMessages() {
        WindowMessage message;
        while (peekMessage(message, true)) {
            dispatchMessage(message);
        }
        std::vector<Notice> notices;
        notices.swap(heard);
        return notices;
    }

    // Pumps messages until the first notice arrives (at most ten seconds).
    std::vector<Notice> waitForNotice() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::vector<Notice> notices;
        while (notices.empty() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            notices = pumpMessages();
        }
        return notices;
    }

    // Lets the mixer run on past where the tune would have ended, then returns the notices.
    std::vector<Notice> noticesAfterTheTuneWouldHaveEnded() {
        EXPECT_TRUE(clock_.waitFor(clock_.frames() + kTuneFrames + kAfterTheEnd));
        return pumpMessages();
    }

    // Where a frame the mixer clock counted lies in the whole output, once the mixer is
    // closed: the clock started a little after the output did.
    std::int64_t outputFrameOf(const std::vector<Frame>& output, std::int64_t clockFrame) const {
        return clockFrame + static_cast<std::int64_t>(output.size()) - clock_.frames();
    }

    std::vector<Frame> finish() {
        player_.reset();
        return readDiskOutput(diskFile_);
    }

    std::filesystem::path folder_;
    std::filesystem::path diskFile_;
    WindowHandle window_ = nullptr;
    std::unique_ptr<MusicPlayer> player_;
    MixClock clock_;
    bool clockStarted_ = false;
};

TEST_F(MusicPlayerTest, ATuneThatPlaysToItsEndIsHeardAndReachesTheWindowAsSuccessOnce) {
    open("tune.mid");
    const std::int64_t startedAt = clock_.frames();
    ASSERT_EQ(player_->playMusic(), 1);
    const std::vector<Notice> first = waitForNotice();
    const std::int64_t endedBy = clock_.frames();
    ASSERT_EQ(first, std::vector<Notice>{successful(player_->musicDevice())});
    EXPECT_GE(endedBy - startedAt, kTuneFrames * 9 / 10);
    EXPECT_LE(endedBy - startedAt, kTuneFrames + kNoticeDelayFrames) << "the end came late";

    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
    EXPECT_EQ(player_->stopMusic(), 1);  // the file is still open
    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
    EXPECT_GT(countSounding(finish()), kTuneFrames / 2);
}

TEST_F(MusicPlayerTest, ATuneInARiffMidiFilePlaysToItsEndAsAPlainOneDoes) {
    const Bytes inner = midiTune({60, 64, 67}, 480);
    Bytes wrapped;
    appendId(wrapped, "RIFF");
    appendLe(wrapped, static_cast<std::uint32_t>(12 + inner.size()), 4);
    appendId(wrapped, "RMID");
    appendId(wrapped, "data");
    appendLe(wrapped, static_cast<std::uint32_t>(inner.size()), 4);
    wrapped.insert(wrapped.end(), inner.begin(), inner.end());
    writeFile(folder_ / "Sound" / "wrapped.rmi", wrapped);
    open("wrapped.rmi");
    const std::int64_t startedAt = clock_.frames();
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_EQ(waitForNotice(), std::vector<Notice>{successful(player_->musicDevice())});
    EXPECT_GE(clock_.frames() - startedAt, kTuneFrames * 9 / 10);
}

TEST_F(MusicPlayerTest, ATuneOpenedWhileTheSoundFontLoadsBesidePlaysOnceItIsReady) {
    // With only the presets of the run's tracks.
    player_->loadSynthesiserInBackground({musicFile("tune.mid"), musicFile("other.mid")});
    player_->loadSynthesiserInBackground();  // one load for the run
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_EQ(waitForNotice(), std::vector<Notice>{successful(player_->musicDevice())});
    EXPECT_GT(countSounding(finish()), kTuneFrames / 2);
}

TEST_F(MusicPlayerTest, APlayerGoneBeforeItsSoundFontLoadedEndsQuietly) {
    player_->loadSynthesiserInBackground();
    player_.reset();
    EXPECT_TRUE(pumpMessages().empty());
}

TEST_F(MusicPlayerTest, PlayingAgainAfterTheEndStartsFromTheBeginning) {
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_EQ(waitForNotice(), std::vector<Notice>{successful(player_->musicDevice())});
    const std::int64_t again = clock_.frames();
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_EQ(waitForNotice(), std::vector<Notice>{successful(player_->musicDevice())});
    EXPECT_GE(clock_.frames() - again, kTuneFrames * 9 / 10);
}

TEST_F(MusicPlayerTest, StoppingBeforeTheEndSendsNoNoticeAndSilencesTheMusicAtOnce) {
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_TRUE(clock_.waitFor(clock_.frames() + kTuneFrames / 3));
    ASSERT_EQ(player_->stopMusic(), 1);
    const std::int64_t stoppedBy = clock_.frames() + kOutputBufferFrames;
    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
    const std::vector<Frame> output = finish();
    EXPECT_GT(countSounding(output), 0);
    EXPECT_EQ(firstSound(output, outputFrameOf(output, stoppedBy)), -1)
        << "music heard after it was stopped";
}

TEST_F(MusicPlayerTest, ClosingBeforeTheEndSendsNoNotice) {
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    const std::uint32_t device = player_->musicDevice();
    ASSERT_EQ(player_->closeMusic(), 1);
    EXPECT_EQ(player_->musicDevice(), device);  // kept after closing
    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());
    EXPECT_EQ(player_->playMusic(), 0);
    EXPECT_EQ(player_->stopMusic(), 0);
    EXPECT_EQ(player_->closeMusic(), 0);
}

TEST_F(MusicPlayerTest, OpeningAnotherTuneEndsTheOldOneWithoutANotice) {
    open("tune.mid");
    const std::uint32_t oldDevice = player_->musicDevice();
    ASSERT_EQ(player_->playMusic(), 1);
    open("other.mid");
    const std::uint32_t newDevice = player_->musicDevice();
    EXPECT_NE(newDevice, oldDevice);
    EXPECT_TRUE(noticesAfterTheTuneWouldHaveEnded().empty());

    ASSERT_EQ(player_->playMusic(), 1);
    EXPECT_EQ(waitForNotice(), std::vector<Notice>{successful(newDevice)});
}

TEST_F(MusicPlayerTest, RestartingAPlayingTuneReportsOnlyTheRestartedPlaybacksEnd) {
    open("tune.mid");
    ASSERT_EQ(player_->playMusic(), 1);
    ASSERT_TRUE(clock_.waitFor(clock_.frames() + kTuneFrames / 2));
    const std::int64_t restarted = clock_.frames();
    ASSERT_EQ(player_->playMusic(), 1);
    EXPECT_EQ(waitForNotice(), std::vector<Notice>{successful(player_->musicDevice())});
    EXPECT_GE(clock_.frames() - restarted, kTuneFrames * 9 / 10);
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
    EXPECT_TRUE(pumpMessages().empty());
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
    player_->loadSynthesiserInBackground();
    EXPECT_EQ(player_->startSynthesiser(), 0);
    EXPECT_EQ(player_->startSynthesiser(), 0) << "a later try fails as quietly";
    EXPECT_EQ(player_->openMusic(musicFile("tune.mid")), 0);
    EXPECT_EQ(player_->playMusic(), 0);
    player_.reset();
    setenv("SDL_AUDIODRIVER", savedDriver.c_str(), 1);
    EXPECT_TRUE(pumpMessages().empty());
}

}  // namespace
