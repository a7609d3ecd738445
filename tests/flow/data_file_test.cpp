#include "game/flow/data_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

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
