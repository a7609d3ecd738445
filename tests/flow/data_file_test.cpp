#include "game/flow/data_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "tests/flow/ordinary_user.h"
#include "tests/flow/temp_directory.h"

class DataFile : public InTempDirectory {};

TEST_F(DataFile, OversizedFileIsReadOnlyUpToTheLimit) {
    writeFile("big.dat", std::string(kMaxDataFileBytes + 12345, 'b'));
    std::optional<std::string> text = readDataFile("big.dat");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->size(), kMaxDataFileBytes);
}

TEST_F(DataFile, ShortAndInterruptedWritesStillCompleteTheFile) {
    std::string contents(3000, 'c');
    contents[2999] = 'e';
    bool interrupt = true;
    FileReplaceSteps trickle = systemFileSteps();
    trickle.write = [&interrupt](int fd, const char* bytes, std::size_t count) -> long {
        interrupt = !interrupt;
        if (interrupt) {
            errno = EINTR;
            return -1;
        }
        return ::write(fd, bytes, std::min<std::size_t>(count, 7));
    };
    ASSERT_TRUE(replaceDataFile("some.dat", contents, trickle));
    EXPECT_EQ(fileContents("some.dat"), contents);
}

TEST_F(DataFile, WriteThatMakesNoProgressFailsInsteadOfSpinning) {
    writeFile("some.dat", "old");
    FileReplaceSteps stuck = systemFileSteps();
    stuck.write = [](int, const char*, std::size_t) -> long { return 0; };
    EXPECT_FALSE(replaceDataFile("some.dat", "new", stuck));
    EXPECT_EQ(fileContents("some.dat"), "old");
}

// --- links, permissions and folders --------------------------------------------------------

namespace {

mode_t permissionBits(const char* name) {
    struct stat info {};
    ::stat(name, &info);
    return info.st_mode & 07777;
}

bool isLink(const char* name) {
    struct stat info {};
    return ::lstat(name, &info) == 0 && S_ISLNK(info.st_mode);
}

}  // namespace

TEST_F(DataFile, ASaveThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
    ASSERT_EQ(::mkdir("store", 0700), 0);
    writeFile("store/real.dat", "old");
    ASSERT_EQ(::symlink("real.dat", "store/middle.dat"), 0);
    ASSERT_EQ(::symlink("store/middle.dat", "some.dat"), 0);

    ASSERT_TRUE(replaceDataFile("some.dat", "new"));
    EXPECT_TRUE(isLink("some.dat"));
    EXPECT_TRUE(isLink("store/middle.dat"));
    EXPECT_EQ(fileContents("store/real.dat"), "new");
    EXPECT_FALSE(exists("some.dat.new"));
    EXPECT_FALSE(exists("store/real.dat.new"));
    EXPECT_EQ(replacementFileName("some.dat"), "store/real.dat.new");
}

TEST_F(DataFile, ASaveThroughALinkToAMissingFileCreatesThatFile) {
    ASSERT_EQ(::mkdir("store", 0700), 0);
    ASSERT_EQ(::symlink("store/first.dat", "some.dat"), 0);
    ASSERT_TRUE(replaceDataFile("some.dat", "new"));
    EXPECT_TRUE(isLink("some.dat"));
    EXPECT_EQ(fileContents("store/first.dat"), "new");
}

TEST_F(DataFile, ASaveKeepsTheFilesPermissionBits) {
    for (mode_t mode : {mode_t{0600}, mode_t{0664}, mode_t{0606}}) {
        writeFile("some.dat", "old");
        ASSERT_EQ(::chmod("some.dat", mode), 0);
        ASSERT_TRUE(replaceDataFile("some.dat", "new"));
        EXPECT_EQ(fileContents("some.dat"), "new");
        EXPECT_EQ(permissionBits("some.dat"), mode) << std::oct << mode;
    }
}

TEST_F(DataFile, AFileThatMayNotBeWrittenIsLeftAlone) {
    EXPECT_EXIT(
        {
            becomeOrdinaryUser();
            writeFile("some.dat", "old");
            ::chmod("some.dat", 0444);
            bool updated = false;
            const bool saved = updateDataFile("some.dat", [&updated](std::string_view) {
                updated = true;
                return std::string("new");
            });
            const bool untouched = fileContents("some.dat") == "old" &&
                                   permissionBits("some.dat") == 0444 && !exists("some.dat.new");
            std::_Exit(!saved && !updated && untouched ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(DataFile, WhereOnlyTheFolderMayNotBeWrittenTheFileIsRewrittenInPlace) {
    EXPECT_EXIT(
        {
            becomeOrdinaryUser();
            ::mkdir("shared", 0700);
            writeFile("shared/some.dat", std::string(500, 'o'));
            struct stat before {};
            ::stat("shared/some.dat", &before);
            ::chmod("shared", 0500);
            const bool saved = replaceDataFile("shared/some.dat", "new");
            struct stat after {};
            ::stat("shared/some.dat", &after);
            ::chmod("shared", 0700);
            std::_Exit(saved && fileContents("shared/some.dat") == "new" &&
                               before.st_ino == after.st_ino
                           ? 0
                           : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(DataFile, NothingButAPlainFileIsReplaced) {
    ASSERT_EQ(::mkdir("some.dat", 0700), 0);
    EXPECT_FALSE(replaceDataFile("some.dat", "new"));
    ASSERT_EQ(::mkfifo("pipe.dat", 0600), 0);
    EXPECT_FALSE(replaceDataFile("pipe.dat", "new"));
    EXPECT_FALSE(isLink("pipe.dat"));
    struct stat info {};
    ASSERT_EQ(::stat("pipe.dat", &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(DataFile, TheUpdateSeesWhatTheFileHoldsAtTheMomentOfTheSave) {
    writeFile("some.dat", "one");
    ASSERT_TRUE(updateDataFile(
        "some.dat", [](std::string_view current) { return std::string(current) + " two"; }));
    EXPECT_EQ(fileContents("some.dat"), "one two");
}
