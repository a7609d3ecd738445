#include "audio/sound_bank.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include "tests/audio/mixed_output.h"
#include "tests/audio/test_files.h"

namespace {

using namespace audio_test;

// A second at the mixer's rate: long enough that the test thread, even when the machine is
// busy, acts while a sound is still playing.
constexpr std::int64_t kSoundFrames = 44100;
constexpr std::int64_t kMargin = 4096;  // a few mixer buffers
// Milliseconds the disk driver waits per mixer buffer of 1024 frames (23 ms of sound).
constexpr const char* kDiskAudioDelayMs = "8";

// A sound already in the mixer's format (44100 Hz, 16-bit stereo), so the mixed output holds
// its samples, at the effects' volume, while it plays alone. Every frame differs from its
// neighbours.
std::vector<Frame> rampSound(std::int16_t base, std::int16_t step) {
    std::vector<Frame> frames;
    for (std::int64_t i = 0; i < kSoundFrames; ++i) {
        const auto value = static_cast<std::int16_t>(base + step * (i / 4));
        frames.push_back(Frame{value, static_cast<std::int16_t>(-value)});
    }
    return frames;
}

Bytes stereoWave(const std::vector<Frame>& frames) {
    std::vector<std::int16_t> samples;
    for (const Frame& f : frames) {
        samples.push_back(f.left);
        samples.push_back(f.right);
    }
    return waveFile(FormatRecord{.channels = 2, .rate = 44100, .bits = 16}, pcm16(samples));
}

const std::vector<Frame> kSoundA = rampSound(500, 1);
const std::vector<Frame> kSoundB = rampSound(-3000, 2);

// One playing of a sound: where it starts, and the frame where it was cut off or replaced.
struct Playing {
    const std::vector<Frame>* sound;
    std::int64_t start;
    std::int64_t end;  // exclusive; start + length when it played to its end
};

// A sample of a sound as the mixer adds it, at the effects' volume.
std::int16_t atEffectsVolume(std::int16_t sample) {
    return static_cast<std::int16_t>(sample * kEffectsVolume / MIX_MAX_VOLUME);
}

// The output that the given playings add up to, for `length` frames.
std::vector<Frame> expectedOutput(const std::vector<Playing>& playings, std::size_t length) {
    std::vector<Frame> out(length, Frame{0, 0});
    for (const Playing& p : playings) {
        const auto soundLength = static_cast<std::int64_t>(p.sound->size());
        for (std::int64_t t = p.start; t < std::min(p.end, p.start + soundLength); ++t) {
            if (t >= 0 && t < static_cast<std::int64_t>(length)) {
                const Frame add = (*p.sound)[static_cast<std::size_t>(t - p.start)];
                out[static_cast<std::size_t>(t)].left += atEffectsVolume(add.left);
                out[static_cast<std::size_t>(t)].right += atEffectsVolume(add.right);
            }
        }
    }
    return out;
}

class SoundBankTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = caseFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        diskFile_ = folder_ / "mixed.raw";
        setenv("SDL_DISKAUDIOFILE", diskFile_.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", kDiskAudioDelayMs, 1);
        writeFile(folder_ / "Sound" / "a.wav", stereoWave(kSoundA));
        writeFile(folder_ / "Sound" / "b.wav", stereoWave(kSoundB));
        bank_ = std::make_unique<SoundBank>();
    }

    std::string soundFile(const char* name) const { return (folder_ / "Sound" / name).string(); }

    // Opens the bank with the given files; the mixer clock starts right after.
    void openBank(std::initializer_list<const char*> files) {
        ASSERT_EQ(bank_->initSound(nullptr), kSoundReady);
        for (const char* file : files) {
            bank_->loadSound(soundFile(file));
        }
        clock_.start();
    }

    // Plays a sound and returns the earliest and latest frame at which it can have started.
    std::pair<std::int64_t, std::int64_t> play(int number) {
        const std::int64_t before = clock_.frames();
        EXPECT_EQ(bank_->playSound(number), 1);
        return {before, clock_.frames()};
    }

    void waitFrames(std::int64_t target) { ASSERT_TRUE(clock_.waitFor(target)); }

    // Closes the bank and returns the output mixed since the clock started.
    std::vector<Frame> finish() {
        const std::int64_t counted = [this] {
            bank_.reset();
            return clock_.frames();
        }();
        std::vector<Frame> all = readDiskOutput(diskFile_);
        EXPECT_GE(static_cast<std::int64_t>(all.size()), counted);
        const auto skip = static_cast<long>(all.size()) - static_cast<long>(counted);
        return std::vector<Frame>(all.begin() + std::max(skip, 0L), all.end());
    }

    std::filesystem::path folder_;
    std::filesystem::path diskFile_;
    std::unique_ptr<SoundBank> bank_;
    MixClock clock_;
};

// The first frame in [earliest, latest] at which the playings that `playingsAt` makes of it
// add up to exactly `output`, if any.
template <typename PlayingsAt>
std::optional<std::int64_t> findFrame(const std::vector<Frame>& output, std::int64_t earliest,
                                      std::int64_t latest, PlayingsAt playingsAt) {
    for (std::int64_t at = earliest; at <= latest; ++at) {
        if (expectedOutput(playingsAt(at), output.size()) == output) {
            return at;
        }
    }
    return std::nullopt;
}

TEST_F(SoundBankTest, APlayedSoundIsHeardWholeFromTheMomentItIsPlayed) {
    openBank({"a.wav"});
    const auto [earliest, latest] = play(1);
    waitFrames(latest + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();

    const std::int64_t start = firstSound(output);
    EXPECT_GE(start, earliest);
    EXPECT_LE(start, latest);
    EXPECT_EQ(output, expectedOutput({{&kSoundA, start, start + kSoundFrames}}, output.size()));
}

TEST_F(SoundBankTest, ReplayingASoundCutsItOffAndStartsItFromItsFirstSample) {
    openBank({"a.wav"});
    const auto first = play(1);
    waitFrames(first.second + kSoundFrames / 2);
    const auto second = play(1);
    waitFrames(second.second + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();

    const std::int64_t firstStart = firstSound(output);
    ASSERT_GE(firstStart, first.first);
    ASSERT_LE(firstStart, first.second);
    // The cut and the restart fall on the same frame, somewhere in the second window.
    const auto restart = findFrame(output, second.first, second.second, [&](std::int64_t at) {
        return std::vector<Playing>{{&kSoundA, firstStart, at}, {&kSoundA, at, at + kSoundFrames}};
    });
    ASSERT_TRUE(restart.has_value());
    EXPECT_GT(*restart - firstStart, kSoundFrames / 4);
    EXPECT_LT(*restart - firstStart, kSoundFrames);
}

TEST_F(SoundBankTest, TwoDifferentSoundsAreHeardTogether) {
    openBank({"a.wav", "b.wav"});
    const auto first = play(1);
    waitFrames(first.second + kSoundFrames / 4);
    const auto second = play(2);
    waitFrames(second.second + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();

    const std::int64_t startA = firstSound(output);
    ASSERT_GE(startA, first.first);
    ASSERT_LE(startA, first.second);
    const auto startB = findFrame(output, second.first, second.second, [&](std::int64_t at) {
        return std::vector<Playing>{{&kSoundA, startA, startA + kSoundFrames},
                                    {&kSoundB, at, at + kSoundFrames}};
    });
    ASSERT_TRUE(startB.has_value());
    EXPECT_LT(*startB, startA + kSoundFrames);  // they overlap
}

TEST_F(SoundBankTest, StoppingASoundCutsItOff) {
    openBank({"a.wav"});
    const auto played = play(1);
    waitFrames(played.second + kSoundFrames / 2);
    const std::int64_t stopEarliest = clock_.frames();
    EXPECT_EQ(bank_->stopSound(1), 1);
    const std::int64_t stopLatest = clock_.frames();
    waitFrames(stopLatest + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();

    const std::int64_t start = firstSound(output);
    const auto heard = countSounding(output);
    EXPECT_GE(start + heard, stopEarliest);
    EXPECT_LE(start + heard, stopLatest);
    EXPECT_EQ(output, expectedOutput({{&kSoundA, start, start + heard}}, output.size()));
}

TEST_F(SoundBankTest, ALoopingSoundRepeatsFromItsFirstSampleUntilStopped) {
    openBank({"a.wav"});
    const std::int64_t before = clock_.frames();
    ASSERT_EQ(bank_->playSound(1, kPlayLooping), 1);
    waitFrames(clock_.frames() + 5 * kSoundFrames / 2);
    ASSERT_EQ(bank_->stopSound(1), 1);
    waitFrames(clock_.frames() + kMargin);
    const std::vector<Frame> output = finish();

    const std::int64_t start = firstSound(output);
    const std::int64_t end = start + countSounding(output);
    ASSERT_GE(start, before);
    ASSERT_GT(end - start, 2 * kSoundFrames);
    std::vector<Playing> rounds;
    for (std::int64_t at = start; at < end; at += kSoundFrames) {
        rounds.push_back({&kSoundA, at, end});
    }
    EXPECT_EQ(output, expectedOutput(rounds, output.size()));
}

TEST_F(SoundBankTest, NumbersOutsideTheLoadedOnesDoNothing) {
    openBank({"a.wav", "b.wav"});
    EXPECT_EQ(bank_->playSound(0), 0);
    EXPECT_EQ(bank_->playSound(3), 0);
    EXPECT_EQ(bank_->playSound(-1), 0);
    EXPECT_EQ(bank_->playSound(SoundBank::kMaxSounds + 1), 0);
    EXPECT_EQ(bank_->stopSound(0), 0);
    EXPECT_EQ(bank_->stopSound(3), 0);
    waitFrames(clock_.frames() + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(countSounding(output), 0);
}

TEST_F(SoundBankTest, AMissingFileKeepsItsNumberSilentAndTheNextFileItsOwnNumber) {
    ASSERT_EQ(bank_->initSound(nullptr), kSoundReady);
    EXPECT_EQ(bank_->loadSound(soundFile("a.wav")), 1);
    EXPECT_EQ(bank_->loadSound(soundFile("absent.wav")), 0);
    EXPECT_EQ(bank_->loadSound(soundFile("b.wav")), 1);
    EXPECT_EQ(bank_->soundCount(), 3);
    clock_.start();

    EXPECT_EQ(bank_->playSound(2), 0);
    EXPECT_EQ(bank_->stopSound(2), 0);
    const auto played = play(3);
    waitFrames(played.second + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();
    const std::int64_t start = firstSound(output);
    EXPECT_GE(start, played.first);
    EXPECT_EQ(output, expectedOutput({{&kSoundB, start, start + kSoundFrames}}, output.size()));
}

TEST_F(SoundBankTest, TheHundredAndFirstLoadIsRefused) {
    ASSERT_EQ(bank_->initSound(nullptr), kSoundReady);
    for (int n = 1; n <= SoundBank::kMaxSounds; ++n) {
        ASSERT_EQ(bank_->loadSound(soundFile(n == SoundBank::kMaxSounds ? "b.wav" : "a.wav")), 1);
    }
    EXPECT_EQ(bank_->loadSound(soundFile("a.wav")), 0);
    EXPECT_EQ(bank_->loadSound(soundFile("absent.wav")), 0);
    EXPECT_EQ(bank_->soundCount(), SoundBank::kMaxSounds);
    EXPECT_EQ(bank_->playSound(SoundBank::kMaxSounds + 1), 0);
    clock_.start();

    const auto played = play(SoundBank::kMaxSounds);
    waitFrames(played.second + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();
    const std::int64_t start = firstSound(output);
    EXPECT_EQ(output, expectedOutput({{&kSoundB, start, start + kSoundFrames}}, output.size()));
}

TEST_F(SoundBankTest, SoundsInOtherFormatsAreConvertedOnceAndPlayAtTheirOwnSpeed) {
    // 8-bit mono at half the mixer's rate, a constant level of half the full scale.
    constexpr std::int64_t kFrames = 2205;
    writeFile(folder_ / "Sound" / "low.wav",
              waveFile(FormatRecord{.channels = 1, .rate = 22050, .bits = 8},
                       Bytes(static_cast<std::size_t>(kFrames), 128 + 64)));
    openBank({"low.wav"});
    const auto played = play(1);
    waitFrames(played.second + 2 * kFrames + kMargin);
    const std::vector<Frame> output = finish();

    const std::int64_t start = firstSound(output);
    const std::int64_t heard = countSounding(output);
    EXPECT_GE(start, played.first);
    EXPECT_NEAR(static_cast<double>(heard), 2.0 * kFrames, 64.0);
    const Frame middle = output[static_cast<std::size_t>(start + kFrames)];
    EXPECT_EQ(middle.left, middle.right);
    EXPECT_NEAR(middle.left, atEffectsVolume(16384), 200);
}

TEST_F(SoundBankTest, SoundsTheMixerCannotPlayAreSilentButKeepTheirNumbers) {
    const Bytes samples(64, 0x55);
    writeFile(folder_ / "Sound" / "adpcm.wav",
              waveFile(FormatRecord{.tag = 2, .channels = 1, .bits = 4, .blockAlignOverride = 32},
                       samples));
    writeFile(folder_ / "Sound" / "48bit.wav", waveFile(FormatRecord{.bits = 48}, samples));
    writeFile(folder_ / "Sound" / "badalign.wav",
              waveFile(FormatRecord{.channels = 2, .blockAlignOverride = 3}, samples));
    writeFile(folder_ / "Sound" / "norate.wav", waveFile(FormatRecord{.rate = 0}, samples));
    writeFile(folder_ / "Sound" / "empty.wav", waveFile(FormatRecord{}, Bytes{}));
    writeFile(folder_ / "Sound" / "noise.wav", Bytes(100, 0xAB));
    openBank({});
    for (const char* name :
         {"adpcm.wav", "48bit.wav", "badalign.wav", "norate.wav", "empty.wav", "noise.wav"}) {
        EXPECT_EQ(bank_->loadSound(soundFile(name)), 0) << name;
    }
    EXPECT_EQ(bank_->loadSound(soundFile("a.wav")), 1);
    EXPECT_EQ(bank_->soundCount(), 7);
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(bank_->playSound(n), 0) << n;
    }
    const auto played = play(7);
    waitFrames(played.second + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();
    const std::int64_t start = firstSound(output);
    EXPECT_EQ(output, expectedOutput({{&kSoundA, start, start + kSoundFrames}}, output.size()));
}

TEST_F(SoundBankTest, MuLawAndExtensibleTwentyFourBitSoundsPlayAsTheyAreCoded) {
    // Stereo at the mixer's rate: mu-law codes whose linear values are known, and 24-bit
    // samples in a WAVE_FORMAT_EXTENSIBLE file, each left and right one the negative of the
    // other.
    const std::uint8_t codes[][2] = {{0x80, 0x00}, {0xEF, 0x6F}, {0xFE, 0x7E}, {0xF0, 0x70}};
    const std::int16_t linear[] = {32124, 132, 8, 120};
    Bytes muLaw;
    std::vector<Frame> muLawFrames;
    Bytes deep;
    for (std::int64_t i = 0; i < kSoundFrames; ++i) {
        const std::size_t pick = static_cast<std::size_t>(i / 100 % 4);
        muLaw.insert(muLaw.end(), {codes[pick][0], codes[pick][1]});
        muLawFrames.push_back(Frame{linear[pick], static_cast<std::int16_t>(-linear[pick])});
        const std::int32_t level = 0x100000 * (1 + static_cast<std::int32_t>(pick));
        appendLe(deep, static_cast<std::uint32_t>(level) & 0xFFFFFF, 3);
        appendLe(deep, static_cast<std::uint32_t>(-level) & 0xFFFFFF, 3);
    }
    writeFile(folder_ / "Sound" / "mulaw.wav",
              waveFile(FormatRecord{.tag = 7, .channels = 2, .rate = 44100, .bits = 8}, muLaw));
    writeFile(
        folder_ / "Sound" / "deep.wav",
        riffWave({chunk("fmt ", extensibleFormatBody(1, 2, 44100, 24, 24)), chunk("data", deep)}));
    openBank({"mulaw.wav", "deep.wav"});
    const auto first = play(1);
    waitFrames(first.second + kSoundFrames + kMargin);
    const auto second = play(2);
    waitFrames(second.second + kSoundFrames + kMargin);
    const std::vector<Frame> output = finish();

    const std::int64_t start = firstSound(output);
    ASSERT_GE(start, 0);
    const std::int64_t deepStart = firstSound(output, start + kSoundFrames);
    ASSERT_GE(deepStart, second.first);
    const std::vector<Frame> heardFirst(output.begin(), output.begin() + deepStart);
    EXPECT_EQ(heardFirst,
              expectedOutput({{&muLawFrames, start, start + kSoundFrames}}, heardFirst.size()));
    EXPECT_EQ(countSounding(output), 2 * kSoundFrames);
    for (std::int64_t i = 0; i < kSoundFrames; i += 50) {
        const Frame heard = output[static_cast<std::size_t>(deepStart + i)];
        const int level = 0x1000 * (1 + static_cast<int>(i / 100 % 4));  // the top 16 of 24 bits
        EXPECT_NEAR(heard.left, atEffectsVolume(static_cast<std::int16_t>(level)), 1)
            << "frame " << i;
        EXPECT_NEAR(heard.right, atEffectsVolume(static_cast<std::int16_t>(-level)), 1)
            << "frame " << i;
    }
}

TEST_F(SoundBankTest, WithoutAnAudioDeviceEverythingFailsQuietly) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string savedDriver = driver != nullptr ? driver : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(bank_->initSound(nullptr), kSoundNoDevice);
    EXPECT_EQ(bank_->loadSound(soundFile("a.wav")), 0);
    EXPECT_EQ(bank_->loadSound(soundFile("b.wav")), 0);
    EXPECT_EQ(bank_->soundCount(), 2);
    EXPECT_EQ(bank_->playSound(1), 0);
    EXPECT_EQ(bank_->stopSound(1), 0);
    bank_.reset();
    setenv("SDL_AUDIODRIVER", savedDriver.c_str(), 1);
    EXPECT_FALSE(std::filesystem::exists(diskFile_));
}

}  // namespace
