// Every sample coding a wave file may use, converted for a mixer that needs no further change,
// so that what comes out is exactly what the coding says each sample is.
#include "audio/sample_conversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/audio/test_files.h"

namespace {

using namespace audio_test;

template <typename Sample>
std::vector<Sample> samplesOf(const std::vector<std::uint8_t>& bytes) {
    std::vector<Sample> samples(bytes.size() / sizeof(Sample));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(Sample));
    return samples;
}

template <typename Sample>
std::vector<Sample> converted(const Bytes& file, const MixerSpec& mixer) {
    const WaveFile wave = readWaveBytes(file);
    EXPECT_TRUE(wave.loaded);
    const auto bytes = convertToMixer(wave, mixer);
    EXPECT_TRUE(bytes.has_value());
    return bytes ? samplesOf<Sample>(*bytes) : std::vector<Sample>{};
}

Bytes pcm24(std::initializer_list<std::int32_t> samples) {
    Bytes out;
    for (std::int32_t s : samples) {
        appendLe(out, static_cast<std::uint32_t>(s) & 0xFFFFFF, 3);
    }
    return out;
}

// IEEE floats or doubles as a wave file stores them, little-endian.
template <typename Real>
Bytes reals(std::initializer_list<Real> samples) {
    Bytes out;
    for (Real s : samples) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &s, sizeof s);
        for (std::size_t word = 0; word < sizeof s / 4; ++word) {
            appendLe(out, static_cast<std::uint32_t>(bits >> (32 * word)), 4);
        }
    }
    return out;
}

TEST(SampleConversion, TwentyFourBitPcmFillsTheTopOfThirtyTwoBitSamples) {
    const Bytes file = waveFile(FormatRecord{.channels = 1, .rate = 44100, .bits = 24},
                                pcm24({0x123456, -1, 0x7FFFFF, -0x800000, 0}));
    EXPECT_EQ(converted<std::int32_t>(file, MixerSpec{44100, AUDIO_S32SYS, 1}),
              (std::vector<std::int32_t>{0x12345600, -0x100, 0x7FFFFF00, INT32_MIN, 0}));
}

TEST(SampleConversion, TwentyFourBitStereoKeepsItsChannelsApart) {
    const Bytes file = waveFile(FormatRecord{.channels = 2, .rate = 22050, .bits = 24},
                                pcm24({100, -100, 200, -200}));
    EXPECT_EQ(converted<std::int32_t>(file, MixerSpec{22050, AUDIO_S32SYS, 2}),
              (std::vector<std::int32_t>{100 << 8, -100 * 256, 200 << 8, -200 * 256}));
}

TEST(SampleConversion, SixtyFourBitFloatBecomesTheNearestFloat) {
    const Bytes file = waveFile(FormatRecord{.tag = 3, .channels = 1, .rate = 48000, .bits = 64},
                                reals<double>({0.5, -0.25, 1.0, -1.0, 0.1, 1e-40}));
    EXPECT_EQ(converted<float>(file, MixerSpec{48000, AUDIO_F32SYS, 1}),
              (std::vector<float>{0.5f, -0.25f, 1.0f, -1.0f, 0.1f, static_cast<float>(1e-40)}));
}

// Codes of G.711 and the linear values they stand for.
TEST(SampleConversion, MuLawBytesBecomeTheirLinearValues) {
    const Bytes codes = {0xFF, 0xFE, 0xEF, 0x80, 0x00, 0x7F, 0xF0, 0x70};
    const Bytes file =
        waveFile(FormatRecord{.tag = 7, .channels = 1, .rate = 8000, .bits = 8}, codes);
    EXPECT_EQ(converted<std::int16_t>(file, MixerSpec{8000, AUDIO_S16SYS, 1}),
              (std::vector<std::int16_t>{0, 8, 132, 32124, -32124, 0, 120, -120}));
}

TEST(SampleConversion, ALawBytesBecomeTheirLinearValues) {
    const Bytes codes = {0xD5, 0x55, 0xAA, 0x2A, 0xC5, 0x45, 0xD4, 0xE5};
    const Bytes file =
        waveFile(FormatRecord{.tag = 6, .channels = 1, .rate = 8000, .bits = 8}, codes);
    EXPECT_EQ(converted<std::int16_t>(file, MixerSpec{8000, AUDIO_S16SYS, 1}),
              (std::vector<std::int16_t>{8, -8, 32256, -32256, 264, -264, 24, 1056}));
}

TEST(SampleConversion, ExtensibleRecordsPlayByTheirSubFormat) {
    const Bytes stereo16 = pcm16(std::vector<std::int16_t>{1, -2, 300, -400, 32767, -32768});
    const Bytes pcm = riffWave(
        {chunk("fmt ", extensibleFormatBody(1, 2, 44100, 16, 16)), chunk("data", stereo16)});
    EXPECT_EQ(converted<std::int16_t>(pcm, MixerSpec{44100, AUDIO_S16SYS, 2}),
              (std::vector<std::int16_t>{1, -2, 300, -400, 32767, -32768}));

    const Bytes real = riffWave({chunk("fmt ", extensibleFormatBody(3, 1, 44100, 32, 32)),
                                 chunk("data", reals<float>({0.75f, -0.5f, 0.125f}))});
    EXPECT_EQ(converted<float>(real, MixerSpec{44100, AUDIO_F32SYS, 1}),
              (std::vector<float>{0.75f, -0.5f, 0.125f}));

    // Twenty valid bits in 24-bit containers, kept at the top as the format stores them.
    const Bytes deep = riffWave({chunk("fmt ", extensibleFormatBody(1, 1, 44100, 24, 20)),
                                 chunk("data", pcm24({0x123450, -0x10}))});
    EXPECT_EQ(converted<std::int32_t>(deep, MixerSpec{44100, AUDIO_S32SYS, 1}),
              (std::vector<std::int32_t>{0x12345000, -0x1000}));

    const Bytes double64 = riffWave({chunk("fmt ", extensibleFormatBody(3, 1, 44100, 64, 64)),
                                     chunk("data", reals<double>({-0.5}))});
    EXPECT_EQ(converted<float>(double64, MixerSpec{44100, AUDIO_F32SYS, 1}),
              (std::vector<float>{-0.5f}));
}

TEST(SampleConversion, CodingsTheGameCannotPlayAreRefused) {
    const Bytes samples(48, 0x11);
    const MixerSpec mixer{44100, AUDIO_S16SYS, 2};
    Bytes foreignGuid = extensibleFormatBody(1, 1, 44100, 16, 16);
    foreignGuid[30] ^= 0x01;
    const Bytes files[] = {
        waveFile(FormatRecord{.tag = 2, .bits = 4, .blockAlignOverride = 1}, samples),  // ADPCM
        waveFile(FormatRecord{.bits = 48}, samples),
        waveFile(FormatRecord{.bits = 12, .blockAlignOverride = 2}, samples),
        waveFile(FormatRecord{.tag = 3, .bits = 16}, samples),
        waveFile(FormatRecord{.tag = 7, .bits = 16}, samples),
        riffWave(
            {chunk("fmt ", extensibleFormatBody(2, 1, 44100, 16, 16)), chunk("data", samples)}),
        riffWave({chunk("fmt ", foreignGuid), chunk("data", samples)}),
        waveFile(FormatRecord{.channels = 2, .bits = 24, .blockAlignOverride = 4}, samples),
    };
    for (const Bytes& file : files) {
        const WaveFile wave = readWaveBytes(file);
        ASSERT_TRUE(wave.loaded);
        EXPECT_FALSE(convertToMixer(wave, mixer).has_value())
            << "tag " << wave.format.formatTag << ", " << wave.format.bitsPerSample << " bits";
    }
}

TEST(SampleConversion, OnlyWholeFramesAreConverted) {
    // Two and a half stereo 24-bit frames.
    Bytes samples = pcm24({1, 2, 3, 4});
    samples.insert(samples.end(), {9, 9, 9});
    const Bytes file = waveFile(FormatRecord{.channels = 2, .rate = 44100, .bits = 24}, samples);
    EXPECT_EQ(converted<std::int32_t>(file, MixerSpec{44100, AUDIO_S32SYS, 2}),
              (std::vector<std::int32_t>{1 << 8, 2 << 8, 3 << 8, 4 << 8}));
}

}  // namespace
