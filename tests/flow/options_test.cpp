#include "game/flow/options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "tests/flow/temp_directory.h"

namespace {

Options loadedFrom(std::string_view text) {
    Options options;
    readOptions(text, options);
    return options;
}

}  // namespace

class OptionsFile : public InTempDirectory {};

TEST_F(OptionsFile, BothOffReadsAsStillBackgroundWithoutMusic) {
    writeFile(kOptionsFile, "0 0");
    Options options;
    EXPECT_TRUE(loadOptions(options));
    EXPECT_EQ(options.dynamicBackground, 0);
    EXPECT_EQ(options.musicOn, 0);
}

TEST_F(OptionsFile, ValuesAreTakenWithoutRangeChecks) {
    writeFile(kOptionsFile, "2 1");
    Options options;
    loadOptions(options);
    EXPECT_EQ(options.dynamicBackground, 2);
    EXPECT_EQ(options.musicOn, 1);
    toggleOption(options.dynamicBackground);
    EXPECT_EQ(options.dynamicBackground, 0);
    toggleOption(options.dynamicBackground);
    EXPECT_EQ(options.dynamicBackground, 1);
}

TEST_F(OptionsFile, OneValueSetsTheBackgroundAndLeavesMusicOn) {
    writeFile(kOptionsFile, "0");
    Options options;
    loadOptions(options);
    EXPECT_EQ(options.dynamicBackground, 0);
    EXPECT_EQ(options.musicOn, 1);
}

TEST_F(OptionsFile, LineEndsAndExtraBlanksReadTheSame) {
    for (const char* text :
         {"0 0\n", "0 0\r\n", "0\n0", "0\r\n0\r\n", "  0    0  ", "\n\n\t0 \r\n\r\n 0\n"}) {
        Options options = loadedFrom(text);
        EXPECT_EQ(options.dynamicBackground, 0) << '"' << text << '"';
        EXPECT_EQ(options.musicOn, 0) << '"' << text << '"';
    }
}

TEST_F(OptionsFile, UnreadableValueEndsTheReadingAndKeepsWhatCameBefore) {
    Options garbageFirst = loadedFrom("x 0");
    EXPECT_EQ(garbageFirst.dynamicBackground, 1);
    EXPECT_EQ(garbageFirst.musicOn, 1);
    Options garbageSecond = loadedFrom("0 off");
    EXPECT_EQ(garbageSecond.dynamicBackground, 0);
    EXPECT_EQ(garbageSecond.musicOn, 1);
    Options tooLarge = loadedFrom("99999999999 0");
    EXPECT_EQ(tooLarge.dynamicBackground, 1);
    EXPECT_EQ(tooLarge.musicOn, 1);
}

TEST_F(OptionsFile, ReadingStartsFromTheCurrentValues) {
    Options options{0, 0};
    readOptions("1", options);
    EXPECT_EQ(options.dynamicBackground, 1);
    EXPECT_EQ(options.musicOn, 0);
    readOptions("", options);
    EXPECT_EQ(options.dynamicBackground, 1);
    EXPECT_EQ(options.musicOn, 0);
}

TEST_F(OptionsFile, MissingFileIsCreatedEmptyAndKeepsDefaults) {
    Options options;
    EXPECT_TRUE(loadOptions(options));
    EXPECT_EQ(options.dynamicBackground, 1);
    EXPECT_EQ(options.musicOn, 1);
    ASSERT_TRUE(exists(kOptionsFile));
    EXPECT_EQ(fileContents(kOptionsFile), "");
}

TEST_F(OptionsFile, FileThatCannotBeReadKeepsDefaults) {
    ASSERT_EQ(::mkdir(kOptionsFile, 0700), 0);
    Options options;
    EXPECT_TRUE(loadOptions(options));
    EXPECT_EQ(options.dynamicBackground, 1);
    EXPECT_EQ(options.musicOn, 1);
}

TEST_F(OptionsFile, SavedFileIsTwoNumbersWithoutLineEnd) {
    saveOptions(Options{1, 0});
    EXPECT_EQ(fileContents(kOptionsFile), "1 0");
    saveOptions(Options{-3, 12});
    EXPECT_EQ(fileContents(kOptionsFile), "-3 12");
    Options options;
    loadOptions(options);
    EXPECT_EQ(options.dynamicBackground, -3);
    EXPECT_EQ(options.musicOn, 12);
}

TEST_F(OptionsFile, FailedSaveLeavesTheOldFile) {
    saveOptions(Options{0, 1});
    FileReplaceSteps diskFull = systemFileSteps();
    diskFull.write = [](int, const char*, std::size_t) -> long {
        errno = ENOSPC;
        return -1;
    };
    saveOptions(Options{1, 0}, diskFull);
    EXPECT_EQ(fileContents(kOptionsFile), "0 1");
}
