// The sound, music and text parts write the same bytes on every run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "tests/mediagen/sound/media_reader.h"
#include "tools/mediagen/media_parts.h"

namespace mediagen::testing {
namespace {

bool writeSoundMusicAndTexts(const std::filesystem::path& runDir) {
    const bool sounds = writeSounds(runDir);
    const bool music = writeMusic(runDir);
    const bool texts = writeTexts(runDir);
    return sounds && music && texts;
}

std::set<std::string> filesBelow(const std::filesystem::path& root) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            names.insert(std::filesystem::relative(entry.path(), root).string());
        }
    }
    return names;
}

TEST(SoundMusicAndTexts, AreTheSameBytesOnEveryRun) {
    ScratchFolder first("same-bytes-1");
    ScratchFolder second("same-bytes-2");
    ASSERT_TRUE(writeSoundMusicAndTexts(first.path()));
    ASSERT_TRUE(writeSoundMusicAndTexts(second.path()));

    const std::set<std::string> expected = {
        "Sound/action.wav",  "Sound/fill.wav",     "Sound/fall.wav",    "Sound/gameover.wav",
        "Sound/bonus.wav",   "Sound/getbonus.wav", "Sound/music_m.mid", "Sound/music_1.mid",
        "Sound/music_2.mid", "Sound/music_3.mid",  "gameinfo.txt",      "help.htm"};
    EXPECT_EQ(filesBelow(first.path()), expected);
    for (const std::string& name : expected) {
        SCOPED_TRACE(name);
        const std::string bytes = readFileBytes(first.path() / name);
        EXPECT_FALSE(bytes.empty());
        EXPECT_TRUE(bytes == readFileBytes(second.path() / name));
    }
}

TEST(SoundMusicAndTexts, RewritingLeavesTheSavedGameFilesAlone) {
    ScratchFolder runDir("rewrite");
    std::filesystem::create_directories(runDir.path());
    {
        std::ofstream(runDir.path() / "scores.dat") << "ANNA\n1234\n";
        std::ofstream(runDir.path() / "options.dat") << "0 1";
    }
    ASSERT_TRUE(writeSoundMusicAndTexts(runDir.path()));
    ASSERT_TRUE(writeSoundMusicAndTexts(runDir.path()));
    EXPECT_EQ(readFileBytes(runDir.path() / "scores.dat"), "ANNA\n1234\n");
    EXPECT_EQ(readFileBytes(runDir.path() / "options.dat"), "0 1");
}

TEST(SoundMusicAndTexts, ReportFailureWhenTheFolderCannotBeWritten) {
    ScratchFolder blocker("blocked");
    // A plain file where the run directory should be: nothing can be created below it.
    const std::filesystem::path notAFolder = blocker.path() / "file";
    std::ofstream(notAFolder) << "x";
    EXPECT_FALSE(writeSounds(notAFolder));
    EXPECT_FALSE(writeMusic(notAFolder));
    EXPECT_FALSE(writeTexts(notAFolder));
}

}  // namespace
}  // namespace mediagen::testing
