// The six sound effects: format, length, level, clean ends, and readable by sox.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/mediagen/sound/media_reader.h"
#include "tools/mediagen/media_parts.h"
#include "tools/mediagen/sound/synth.h"

namespace mediagen::testing {
namespace {

struct EffectLength {
    const char* file;
    double shortest;
    double longest;
};

// Each effect's length, from a blip of about 60 ms to a game-over figure of about 1.5 s.
constexpr EffectLength effects[] = {
    {"action.wav", 0.04, 0.09}, {"fill.wav", 0.4, 0.6},  {"fall.wav", 0.1, 0.2},
    {"gameover.wav", 1.3, 1.7}, {"bonus.wav", 0.3, 0.5}, {"getbonus.wav", 0.5, 0.7},
};

class SoundEffects : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new ScratchFolder("sound-effects");
        written = writeSounds(folder->path());
    }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
    }
    static WaveContents effect(const char* name) {
        return parseWave(readFileBytes(folder->path() / "Sound" / name));
    }
    static inline ScratchFolder* folder = nullptr;
    static inline bool written = false;
};

int peakOf(const WaveContents& wave) {
    int peak = 0;
    for (std::int16_t s : wave.samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    return peak;
}

TEST_F(SoundEffects, AreSixteenBitMonoPcmAt44100HzOfTheirLength) {
    ASSERT_TRUE(written);
    for (const EffectLength& expected : effects) {
        SCOPED_TRACE(expected.file);
        const WaveContents wave = effect(expected.file);
        ASSERT_TRUE(wave.valid);
        EXPECT_EQ(wave.formatTag, 1);
        EXPECT_EQ(wave.channels, 1);
        EXPECT_EQ(wave.sampleRate, 44100);
        EXPECT_EQ(wave.bitsPerSample, 16);
        EXPECT_GE(wave.seconds(), expected.shortest);
        EXPECT_LE(wave.seconds(), expected.longest);
    }
}

TEST_F(SoundEffects, PeakAtAboutMinusThreeDecibels) {
    for (const EffectLength& expected : effects) {
        SCOPED_TRACE(expected.file);
        const double peakDecibels = 20.0 * std::log10(peakOf(effect(expected.file)) / 32768.0);
        EXPECT_NEAR(peakDecibels, -3.0, 0.3);
    }
}

TEST_F(SoundEffects, FadeInAndOutSoTheyNeverClick) {
    constexpr int nearSilence = 64;  // about -54 dBFS
    for (const EffectLength& expected : effects) {
        SCOPED_TRACE(expected.file);
        const WaveContents wave = effect(expected.file);
        ASSERT_GT(wave.samples.size(), 100u);
        EXPECT_LE(std::abs(wave.samples.front()), nearSilence);
        EXPECT_LE(std::abs(wave.samples.back()), nearSilence);
        // The first and last millisecond stay well below the peak.
        const int edge = 44;
        int loudestEdge = 0;
        for (int i = 0; i < edge; ++i) {
            loudestEdge = std::max({loudestEdge, std::abs(int(wave.samples[i])),
                                    std::abs(int(wave.samples[wave.samples.size() - 1 - i]))});
        }
        EXPECT_LT(loudestEdge, peakOf(wave) / 2);
    }
}

TEST_F(SoundEffects, ReadBySox) {
    for (const EffectLength& expected : effects) {
        SCOPED_TRACE(expected.file);
        const std::string command =
            "sox --i -r '" + (folder->path() / "Sound" / expected.file).string() + "' 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char line[128] = {};
        const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
        const int status = pclose(pipe);
        ASSERT_TRUE(got);
        EXPECT_EQ(status, 0) << line;
        EXPECT_EQ(std::string(line), "44100\n");
    }
}

TEST(WaveEncoding, WritesAHeaderTheWaveReaderAcceptsAndClampsLoudSamples) {
    const sound::Samples samples = {0.0, 0.5, -0.5, 2.0, -2.0};
    const WaveContents wave = parseWave(sound::encodeWave(samples));
    ASSERT_TRUE(wave.valid);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_EQ(wave.sampleRate, 44100);
    ASSERT_EQ(wave.samples.size(), 5u);
    EXPECT_EQ(wave.samples[1], 16384);
    EXPECT_EQ(wave.samples[2], -16384);
    EXPECT_EQ(wave.samples[3], 32767);
    EXPECT_EQ(wave.samples[4], -32767);
}

TEST(WaveEncoding, NormalisingSetsThePeakAndLeavesSilenceAlone) {
    sound::Samples tone = {0.1, -0.25, 0.2};
    sound::normalisePeak(tone, -6.0);
    EXPECT_NEAR(std::fabs(tone[1]), std::pow(10.0, -6.0 / 20.0), 1e-12);
    EXPECT_NEAR(tone[0] / tone[1], 0.1 / -0.25, 1e-12);
    sound::Samples quiet(10, 0.0);
    sound::normalisePeak(quiet, -3.0);
    EXPECT_EQ(quiet, sound::Samples(10, 0.0));
}

}  // namespace
}  // namespace mediagen::testing
