#include "audio/wave_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/audio/test_files.h"

namespace {

using namespace audio_test;

const Bytes kStereoSamples =
    pcm16(std::vector<std::int16_t>{100, -100, 2000, -2000, 32767, -32768});
const Bytes kOddSamples = {0x80, 0x90, 0xA0};  // three 8-bit mono samples

Bytes listChunk() {
    const Bytes body = {'I', 'N', 'F', 'O', 'x'};  // odd size: a pad byte follows
    return chunk("LIST", body);
}

TEST(WaveReader, Reads16BitStereoPcm) {
    const FormatRecord format{.tag = 1, .channels = 2, .rate = 22050, .bits = 16};
    const WaveFile wave = readWaveBytes(waveFile(format, kStereoSamples));
    ASSERT_TRUE(wave.loaded);
    EXPECT_EQ(wave.format.formatTag, kWaveFormatPcm);
    EXPECT_EQ(wave.format.channels, 2);
    EXPECT_EQ(wave.format.samplesPerSecond, 22050u);
    EXPECT_EQ(wave.format.averageBytesPerSecond, 22050u * 4);
    EXPECT_EQ(wave.format.blockAlign, 4);
    EXPECT_EQ(wave.format.bitsPerSample, 16);
    EXPECT_EQ(wave.format.extraSize, 0);
    EXPECT_EQ(wave.dataSize, kStereoSamples.size());
    EXPECT_EQ(wave.samples, kStereoSamples);
}

TEST(WaveReader, Reads8BitMonoPcmWithOddSizeAndPadByte) {
    const FormatRecord format{.tag = 1, .channels = 1, .rate = 11025, .bits = 8};
    const Bytes file =
        riffWave({chunk("fmt ", formatBody(format)), chunk("data", kOddSamples), listChunk()});
    const WaveFile wave = readWaveBytes(file);
    ASSERT_TRUE(wave.loaded);
    EXPECT_EQ(wave.format.channels, 1);
    EXPECT_EQ(wave.format.bitsPerSample, 8);
    EXPECT_EQ(wave.format.blockAlign, 1);
    EXPECT_EQ(wave.dataSize, 3u);
    EXPECT_EQ(wave.samples, kOddSamples);
}

TEST(WaveReader, SkipsOtherChunksWhereverTheyStand) {
    const FormatRecord format{.channels = 2};
    const Bytes fact = chunk("fact", Bytes{1, 2, 3, 4});
    const Bytes oddJunk = chunk("junk", Bytes{9});
    const Bytes file = riffWave({listChunk(), chunk("fmt ", formatBody(format)), oddJunk, fact,
                                 chunk("data", kStereoSamples), listChunk()});
    const WaveFile wave = readWaveBytes(file);
    ASSERT_TRUE(wave.loaded);
    EXPECT_EQ(wave.format.channels, 2);
    EXPECT_EQ(wave.samples, kStereoSamples);
}

TEST(WaveReader, FindsTheWaveFormAfterOtherTopLevelChunks) {
    Bytes file = chunk("RIFF", Bytes{'A', 'V', 'I', ' ', 0, 0});
    const Bytes wave = waveFile(FormatRecord{}, kStereoSamples);
    file.insert(file.end(), wave.begin(), wave.end());
    EXPECT_EQ(readWaveBytes(file).samples, kStereoSamples);
}

TEST(WaveReader, ReadsADataChunkThatComesBeforeTheFormat) {
    const FormatRecord format{.channels = 2};
    const Bytes file = riffWave({chunk("data", kStereoSamples), chunk("fmt ", formatBody(format))});
    const WaveFile wave = readWaveBytes(file);
    ASSERT_TRUE(wave.loaded);
    EXPECT_EQ(wave.format.channels, 2);
    EXPECT_EQ(wave.samples, kStereoSamples);
}

TEST(WaveReader, KeepsNonPcmFormatsAndTheExtraSizeAsStored) {
    const FormatRecord format{
        .tag = 2, .channels = 1, .bits = 4, .recordBytes = 18, .extraSize = 0x1234};
    const WaveFile wave = readWaveBytes(waveFile(format, kOddSamples));
    ASSERT_TRUE(wave.loaded);
    EXPECT_EQ(wave.format.formatTag, 2);
    EXPECT_EQ(wave.format.extraSize, 0x1234);
    EXPECT_EQ(wave.samples, kOddSamples);
}

TEST(WaveReader, RefusesFilesWithoutAWaveFormOrItsChunks) {
    const Bytes fmt = chunk("fmt ", formatBody(FormatRecord{}));
    const Bytes data = chunk("data", kStereoSamples);
    Bytes notWave = riffWave({fmt, data});
    notWave[8] = 'A';
    Bytes shortFormat = chunk("fmt ", Bytes(14, 1));

    EXPECT_FALSE(readWaveBytes(Bytes{}).loaded);
    EXPECT_FALSE(readWaveBytes(Bytes{'R', 'I', 'F', 'F'}).loaded);
    EXPECT_FALSE(readWaveBytes(notWave).loaded);
    EXPECT_FALSE(readWaveBytes(riffWave({data})).loaded);
    EXPECT_FALSE(readWaveBytes(riffWave({fmt})).loaded);
    EXPECT_FALSE(readWaveBytes(riffWave({shortFormat, data})).loaded);
    EXPECT_FALSE(readWaveBytes(riffWave({})).loaded);
}

TEST(WaveReader, EveryTruncationIsRefusedOrKeepsOnlyThePresentSamples) {
    const Bytes file = riffWave(
        {listChunk(), chunk("fmt ", formatBody(FormatRecord{})), chunk("data", kStereoSamples)});
    const std::size_t dataStart = file.size() - kStereoSamples.size();
    for (std::size_t length = 0; length < file.size(); ++length) {
        const WaveFile wave = readWaveBytes(std::span(file).first(length));
        if (length < dataStart) {
            EXPECT_FALSE(wave.loaded) << "cut at " << length;
            continue;
        }
        ASSERT_TRUE(wave.loaded) << "cut at " << length;
        const Bytes present(kStereoSamples.begin(),
                            kStereoSamples.begin() + static_cast<long>(length - dataStart));
        EXPECT_EQ(wave.samples, present) << "cut at " << length;
        EXPECT_EQ(wave.dataSize, present.size());
    }
}

TEST(WaveReader, ClampsAbsurdSizesToTheFile) {
    const Bytes fmt = chunk("fmt ", formatBody(FormatRecord{}));
    // A data chunk claiming four gigabytes holds only what the file has.
    const WaveFile hugeData =
        readWaveBytes(riffWave({fmt, chunk("data", kStereoSamples, 0xFFFFFFFF)}));
    ASSERT_TRUE(hugeData.loaded);
    EXPECT_EQ(hugeData.samples, kStereoSamples);
    // A RIFF size beyond the file is cut to the file.
    const WaveFile hugeForm =
        readWaveBytes(riffWave({fmt, chunk("data", kStereoSamples)}, 0xFFFFFFF0));
    EXPECT_EQ(hugeForm.samples, kStereoSamples);
    // A format chunk claiming four gigabytes swallows the data chunk that follows it.
    const Bytes hugeFormat = chunk("fmt ", formatBody(FormatRecord{}), 0xFFFFFFFF);
    EXPECT_FALSE(readWaveBytes(riffWave({hugeFormat, chunk("data", kStereoSamples)})).loaded);
}

TEST(WaveReader, IgnoresChunksBeyondTheDeclaredEndOfTheForm) {
    const Bytes fmt = chunk("fmt ", formatBody(FormatRecord{}));
    const Bytes data = chunk("data", kStereoSamples);
    const auto formSize = static_cast<std::int64_t>(4 + fmt.size());
    EXPECT_FALSE(readWaveBytes(riffWave({fmt, data}, formSize)).loaded);
}

TEST(WaveReader, ReadsFilesByTheGamesNamesAndQuietlyMissesAbsentOnes) {
    const std::filesystem::path folder = "wave_reader_files/Sound";
    writeFile(folder / "beep.wav", waveFile(FormatRecord{.channels = 2}, kStereoSamples));
    EXPECT_EQ(readWaveFile("wave_reader_files\\Sound\\beep.wav").samples, kStereoSamples);
    EXPECT_FALSE(readWaveFile("wave_reader_files\\Sound\\absent.wav").loaded);
    EXPECT_FALSE(readWaveFile("wave_reader_files\\Sound").loaded);
}

}  // namespace

namespace {

TEST(WaveReader, TellsTheSampleCodingOfAnExtensibleRecordByItsSubFormat) {
    const Bytes data = chunk("data", kStereoSamples);
    const WaveFile pcm =
        readWaveBytes(riffWave({chunk("fmt ", extensibleFormatBody(1, 2, 48000, 16, 16)), data}));
    ASSERT_TRUE(pcm.loaded);
    EXPECT_EQ(pcm.format.formatTag, kWaveFormatExtensible) << "the record is kept as stored";
    EXPECT_EQ(pcm.format.extraSize, 22);
    EXPECT_EQ(pcm.sampleCoding, kWaveFormatPcm);
    const WaveFile real =
        readWaveBytes(riffWave({chunk("fmt ", extensibleFormatBody(3, 1, 48000, 32, 32)), data}));
    EXPECT_EQ(real.sampleCoding, kWaveFormatFloat);

    Bytes foreign = extensibleFormatBody(1, 2, 48000, 16, 16);
    foreign[39] ^= 0xFF;  // the GUID no longer ends as the standard ones do
    EXPECT_EQ(readWaveBytes(riffWave({chunk("fmt ", foreign), data})).sampleCoding, 0);
    const Bytes cut(foreign.begin(), foreign.begin() + 30);
    EXPECT_EQ(readWaveBytes(riffWave({chunk("fmt ", cut), data})).sampleCoding, 0);

    EXPECT_EQ(readWaveBytes(waveFile(FormatRecord{.tag = 7, .bits = 8}, kOddSamples)).sampleCoding,
              kWaveFormatMuLaw);
}

TEST(WaveReader, ADataChunkRunningPastTheDeclaredFormKeepsWhatTheFileHolds) {
    const Bytes fmt = chunk("fmt ", formatBody(FormatRecord{.channels = 2}));
    const Bytes data = chunk("data", kStereoSamples);
    // The form's size counts the data chunk's header and only two of its bytes.
    const auto formSize = static_cast<std::int64_t>(4 + fmt.size() + 8 + 2);
    const WaveFile wave = readWaveBytes(riffWave({fmt, data}, formSize));
    ASSERT_TRUE(wave.loaded);
    EXPECT_EQ(wave.samples, kStereoSamples);
    EXPECT_EQ(wave.dataSize, kStereoSamples.size());

    // Where the file ends first, the bytes it has are kept.
    Bytes cut = riffWave({fmt, data}, formSize);
    cut.resize(cut.size() - 5);
    const WaveFile shortened = readWaveBytes(cut);
    ASSERT_TRUE(shortened.loaded);
    EXPECT_EQ(shortened.samples, Bytes(kStereoSamples.begin(), kStereoSamples.end() - 5));
}

}  // namespace
