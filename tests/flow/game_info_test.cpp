#include "game/flow/game_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/flow/temp_directory.h"

namespace {

std::vector<std::string> linesOf(const GameInfoText& info) {
    std::vector<std::string> lines;
    for (int i = 0; i < info.infoLineCount; ++i) {
        lines.emplace_back(info.infoLines[i]);
    }
    return lines;
}

using Lines = std::vector<std::string>;

}  // namespace

class GameInfoFile : public InTempDirectory {};

TEST_F(GameInfoFile, EmptyFileShowsOneEmptyLine) {
    writeFile(kGameInfoFile, "");
    EXPECT_EQ(linesOf(loadGameInfo()), Lines{""});
}

TEST_F(GameInfoFile, MissingFileIsCreatedEmptyAndShowsOneEmptyLine) {
    EXPECT_EQ(linesOf(loadGameInfo()), Lines{""});
    ASSERT_TRUE(exists(kGameInfoFile));
    EXPECT_EQ(fileContents(kGameInfoFile), "");
}

TEST_F(GameInfoFile, FileThatCannotBeOpenedShowsNoLines) {
    ASSERT_EQ(::mkdir(kGameInfoFile, 0700), 0);
    EXPECT_EQ(loadGameInfo().infoLineCount, 0);
}

TEST_F(GameInfoFile, LastLineEndGivesAnExtraEmptyLine) {
    writeFile(kGameInfoFile, "one\ntwo\nthree\n");
    EXPECT_EQ(linesOf(loadGameInfo()), (Lines{"one", "two", "three", ""}));
    EXPECT_EQ(linesOf(readGameInfo("one\ntwo\nthree")), (Lines{"one", "two", "three"}));
}

TEST_F(GameInfoFile, CrLfAndLfReadAlike) {
    EXPECT_EQ(linesOf(readGameInfo("one\r\n\r\ntwo\r\n")), (Lines{"one", "", "two", ""}));
    std::string line48(48, 'a');
    EXPECT_EQ(linesOf(readGameInfo(line48 + "\r\nb")), (Lines{line48, "b"}));
}

TEST_F(GameInfoFile, LongLineIsSplitIntoLinesOfFortyNine) {
    std::string line(120, 'x');
    line[49] = 'y';
    line[98] = 'z';
    GameInfoText info = readGameInfo(line + "\nafter");
    EXPECT_EQ(linesOf(info),
              (Lines{line.substr(0, 49), line.substr(49, 49), line.substr(98), "after"}));
    EXPECT_EQ(std::string_view(info.infoLines[2]).size(), 22u);
}

TEST_F(GameInfoFile, LineOfExactlyFortyNineIsFollowedByAnEmptyLine) {
    std::string line49(49, 'q');
    EXPECT_EQ(linesOf(readGameInfo(line49 + "\nnext")), (Lines{line49, "", "next"}));
    EXPECT_EQ(linesOf(readGameInfo(line49 + "\r\nnext")), (Lines{line49, "", "next"}));
    EXPECT_EQ(linesOf(readGameInfo(line49)), Lines{line49});
}

TEST_F(GameInfoFile, OnlyTheFirstHundredOfTwoHundredFiftyLinesAreKept) {
    std::string text;
    for (int i = 0; i < 250; ++i) {
        text += "line " + std::to_string(i) + "\n";
    }
    writeFile(kGameInfoFile, text);
    GameInfoText info = loadGameInfo();
    ASSERT_EQ(info.infoLineCount, kMaxInfoLines);
    EXPECT_EQ(std::string_view(info.infoLines[0]), "line 0");
    EXPECT_EQ(std::string_view(info.infoLines[99]), "line 99");
}

TEST_F(GameInfoFile, HundredLongLinesFillTheTextAtMostOnce) {
    GameInfoText info = readGameInfo(std::string(100 * 49 * 3, 'w'));
    EXPECT_EQ(info.infoLineCount, kMaxInfoLines);
    EXPECT_EQ(std::string_view(info.infoLines[99]), std::string(49, 'w'));
}
