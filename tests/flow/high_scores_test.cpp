#include "game/flow/high_scores.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <random>
#include <string>

#include "platform/messages.h"
#include "tests/flow/temp_directory.h"

namespace {

// Every entry different: a name of its own and a score of its own, some at the limits.
HighScoreTable distinctTable() {
    HighScoreTable table;
    for (int i = 0; i < kHighScoreEntries; ++i) {
        std::string name = "PLAYER " + std::to_string(i);
        if (i == 7) {
            name = std::string(kMaxStoredNameLength, 'L');
        } else if (i % 10 == 9) {
            name.clear();
        }
        setEntryName(table.entries[i], name);
        table.entries[i].score = (kHighScoreEntries - i) * 1000 + i;
    }
    table.entries[38].score = INT_MIN;
    table.entries[39].score = INT_MAX;
    table.entries[5].score = -42;
    return table;
}

void expectSameTables(const HighScoreTable& expected, const HighScoreTable& actual) {
    for (int i = 0; i < kHighScoreEntries; ++i) {
        EXPECT_EQ(entryName(expected.entries[i]), entryName(actual.entries[i])) << "entry " << i;
        EXPECT_EQ(expected.entries[i].score, actual.entries[i].score) << "entry " << i;
    }
}

void expectEmptyFrom(const HighScoreTable& table, int first) {
    for (int i = first; i < kHighScoreEntries; ++i) {
        EXPECT_EQ(entryName(table.entries[i]), "") << "entry " << i;
        EXPECT_EQ(table.entries[i].score, 0) << "entry " << i;
    }
}

// A file of 40 entries named N0..N39 with scores 0..39, each line ended by lineEnd.
std::string numberedFile(const std::string& lineEnd) {
    std::string text;
    for (int i = 0; i < kHighScoreEntries; ++i) {
        text += "N" + std::to_string(i) + lineEnd + std::to_string(i) + lineEnd;
    }
    return text;
}

void fillGroup(HighScoreTable& table, int group, const int (&scores)[kRowsPerGroup]) {
    for (int row = 0; row < kRowsPerGroup; ++row) {
        setEntryName(tableRow(table, group, row), "ROW" + std::to_string(row));
        tableRow(table, group, row).score = scores[row];
    }
}

constexpr int kFalling[kRowsPerGroup] = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};

}  // namespace

// --- ranking and inserting ---------------------------------------------------------------

TEST(HighScoreRanking, ScoreEqualToRowNineDoesNotEnter) {
    HighScoreTable table;
    fillGroup(table, 1, kFalling);
    EXPECT_EQ(findRank(table, 1, 10), kNotRanked);
    EXPECT_EQ(findRank(table, 1, 9), kNotRanked);
}

TEST(HighScoreRanking, OnePointAboveRowNineReplacesOnlyRowNine) {
    HighScoreTable table;
    fillGroup(table, 1, kFalling);
    HighScoreTable before = table;
    ASSERT_EQ(findRank(table, 1, 11), 9);
    insertScore(table, 1, 9, 11);
    EXPECT_EQ(entryName(tableRow(table, 1, 9)), "");
    EXPECT_EQ(tableRow(table, 1, 9).score, 11);
    for (int row = 0; row < 9; ++row) {
        EXPECT_EQ(entryName(tableRow(table, 1, row)), entryName(tableRow(before, 1, row)));
        EXPECT_EQ(tableRow(table, 1, row).score, tableRow(before, 1, row).score);
    }
}

TEST(HighScoreRanking, EqualScoreRanksBelowTheStoredOne) {
    HighScoreTable table;
    fillGroup(table, 0, kFalling);
    EXPECT_EQ(findRank(table, 0, 60), 5);
    EXPECT_EQ(findRank(table, 0, 61), 4);
    EXPECT_EQ(findRank(table, 0, 1000), 0);
}

TEST(HighScoreRanking, ZeroNeverEntersAnEmptyGroupButOnePointDoes) {
    HighScoreTable table;
    EXPECT_EQ(findRank(table, 2, 0), kNotRanked);
    EXPECT_EQ(findRank(table, 2, -5), kNotRanked);
    EXPECT_EQ(findRank(table, 2, 1), 0);
}

TEST(HighScoreRanking, HigherScoreInFullGroupOfEqualsEntersAtTopAndDropsRowNine) {
    HighScoreTable table;
    const int equal[kRowsPerGroup] = {50, 50, 50, 50, 50, 50, 50, 50, 50, 50};
    fillGroup(table, 0, equal);
    ASSERT_EQ(findRank(table, 0, 51), 0);
    insertScore(table, 0, 0, 51);
    EXPECT_EQ(tableRow(table, 0, 0).score, 51);
    EXPECT_EQ(entryName(tableRow(table, 0, 0)), "");
    for (int row = 1; row < kRowsPerGroup; ++row) {
        EXPECT_EQ(entryName(tableRow(table, 0, row)), "ROW" + std::to_string(row - 1));
        EXPECT_EQ(tableRow(table, 0, row).score, 50);
    }
}

TEST(HighScoreRanking, InsertingTouchesOnlyItsOwnGroup) {
    HighScoreTable table = distinctTable();
    HighScoreTable before = table;
    insertScore(table, 1, 3, 777);
    for (int i = 0; i < kHighScoreEntries; ++i) {
        if (i / kRowsPerGroup == 1) {
            continue;
        }
        EXPECT_EQ(entryName(table.entries[i]), entryName(before.entries[i]));
        EXPECT_EQ(table.entries[i].score, before.entries[i].score);
    }
    EXPECT_EQ(tableRow(table, 1, 3).score, 777);
    EXPECT_EQ(tableRow(table, 1, 4).score, tableRow(before, 1, 3).score);
}

TEST(HighScoreRanking, GroupsAndRanksOutOfRangeAreRefused) {
    HighScoreTable table;
    EXPECT_EQ(findRank(table, -1, 100), kNotRanked);
    EXPECT_EQ(findRank(table, kHighScoreGroups, 100), kNotRanked);
    HighScoreTable before = table;
    insertScore(table, kHighScoreGroups, 0, 100);
    insertScore(table, 0, kRowsPerGroup, 100);
    insertScore(table, 0, -1, 100);
    expectSameTables(before, table);
}

TEST(HighScoreRanking, FinalScoreEqualToRowNineStartsNoNameEntry) {
    HighScoreTable table;
    fillGroup(table, 2, kFalling);
    NameEntry nameEntry;
    EXPECT_FALSE(enterFinalScore(table, nameEntry, 2, 10));
    EXPECT_EQ(nameEntry.nameEntryActive, 0);
    EXPECT_EQ(tableRow(table, 2, 9).score, 10);
    EXPECT_EQ(entryName(tableRow(table, 2, 9)), "ROW9");
}

TEST(HighScoreRanking, FinalScoreAboveRowNineStartsNamingItsRow) {
    HighScoreTable table;
    fillGroup(table, 2, kFalling);
    NameEntry nameEntry;
    ASSERT_TRUE(enterFinalScore(table, nameEntry, 2, 11));
    EXPECT_EQ(nameEntry.nameEntryActive, 1);
    EXPECT_EQ(nameEntry.newEntryRank, 9);
    HighScoreEntry& row = tableRow(table, 2, nameEntry.newEntryRank);
    typeNameKey(row, 'K');
    EXPECT_EQ(entryName(tableRow(table, 2, 9)), "K");
    EXPECT_EQ(tableRow(table, 2, 9).score, 11);
}

// --- typing a name -------------------------------------------------------------------------

TEST(NameEntryKeys, LettersDigitsAndSpaceAreAppended) {
    HighScoreEntry entry;
    for (std::uint32_t key : {std::uint32_t{'A'}, std::uint32_t{'Z'}, VK_SPACE, std::uint32_t{'0'},
                              std::uint32_t{'9'}}) {
        EXPECT_EQ(typeNameKey(entry, key), NameKey::Edited);
    }
    EXPECT_EQ(entryName(entry), "AZ 09");
}

TEST(NameEntryKeys, SeventeenthCharacterIsIgnored) {
    HighScoreEntry entry;
    for (std::size_t i = 0; i < kMaxTypedNameLength; ++i) {
        ASSERT_EQ(typeNameKey(entry, 'A' + i % 26), NameKey::Edited);
    }
    EXPECT_EQ(typeNameKey(entry, 'X'), NameKey::Ignored);
    EXPECT_EQ(entryName(entry), "ABCDEFGHIJKLMNOP");
}

TEST(NameEntryKeys, BackspaceRemovesLastCharacterAndStopsAtEmpty) {
    HighScoreEntry entry;
    typeNameKey(entry, 'A');
    typeNameKey(entry, 'B');
    EXPECT_EQ(typeNameKey(entry, VK_BACK), NameKey::Edited);
    EXPECT_EQ(entryName(entry), "A");
    EXPECT_EQ(typeNameKey(entry, VK_BACK), NameKey::Edited);
    EXPECT_EQ(typeNameKey(entry, VK_BACK), NameKey::Ignored);
    EXPECT_EQ(entryName(entry), "");
    EXPECT_EQ(typeNameKey(entry, 'C'), NameKey::Edited);
    EXPECT_EQ(entryName(entry), "C");
}

TEST(NameEntryKeys, EnterConfirmsEvenAnEmptyName) {
    HighScoreEntry entry;
    entry.score = 500;
    EXPECT_EQ(typeNameKey(entry, VK_RETURN), NameKey::Confirmed);
    EXPECT_EQ(entryName(entry), "");
    EXPECT_EQ(entry.score, 500);
}

TEST(NameEntryKeys, OtherKeysChangeNothing) {
    HighScoreEntry entry;
    typeNameKey(entry, 'Q');
    for (std::uint32_t key :
         {VK_ESCAPE, VK_UP, VK_DOWN, VK_LEFT, VK_NUMPAD5, VK_CLEAR, VK_TAB, std::uint32_t{'a'},
          std::uint32_t{'/'}, std::uint32_t{'@'}, std::uint32_t{'['}, std::uint32_t{0x1FF}}) {
        EXPECT_EQ(typeNameKey(entry, key), NameKey::Ignored) << "key " << key;
    }
    EXPECT_EQ(entryName(entry), "Q");
}

// --- the file ----------------------------------------------------------------------------

class HighScoreFile : public InTempDirectory {};

TEST_F(HighScoreFile, FortyEntriesSurviveSaveAndLoad) {
    HighScoreTable table = distinctTable();
    ASSERT_TRUE(saveHighScores(table));
    expectSameTables(table, loadHighScores());
    EXPECT_FALSE(exists(replacementFileName(kHighScoreFile).c_str()));
}

TEST_F(HighScoreFile, SavedFileHoldsEightyLinesOfNameAndScore) {
    HighScoreTable table;
    setEntryName(table.entries[0], "ANNA");
    table.entries[0].score = 1234;
    table.entries[1].score = -7;
    ASSERT_TRUE(saveHighScores(table));
    std::string text = fileContents(kHighScoreFile);
    EXPECT_EQ(text.substr(0, 16), "ANNA\n1234\n\n-7\n\n0");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 * kHighScoreEntries);
    EXPECT_EQ(text.back(), '\n');
}

TEST_F(HighScoreFile, GroupThreeSurvivesRepeatedSaves) {
    HighScoreTable table = distinctTable();
    HighScoreTable original = table;
    for (int game = 0; game < 5; ++game) {
        insertScore(table, game % 3, findRank(table, game % 3, 1 << 20), 1 << 20);
        ASSERT_TRUE(saveHighScores(table));
        table = loadHighScores();
    }
    for (int row = 0; row < kRowsPerGroup; ++row) {
        EXPECT_EQ(entryName(tableRow(table, 3, row)), entryName(tableRow(original, 3, row)));
        EXPECT_EQ(tableRow(table, 3, row).score, tableRow(original, 3, row).score);
    }
}

TEST_F(HighScoreFile, MissingFileIsCreatedEmptyAndGivesEmptyTables) {
    ASSERT_FALSE(exists(kHighScoreFile));
    expectEmptyFrom(loadHighScores(), 0);
    ASSERT_TRUE(exists(kHighScoreFile));
    EXPECT_EQ(fileContents(kHighScoreFile), "");
}

TEST_F(HighScoreFile, EmptyFileGivesEmptyTables) {
    writeFile(kHighScoreFile, "");
    expectEmptyFrom(loadHighScores(), 0);
}

TEST_F(HighScoreFile, FileThatCannotBeReadGivesEmptyTables) {
    ASSERT_EQ(::mkdir(kHighScoreFile, 0700), 0);
    expectEmptyFrom(loadHighScores(), 0);
}

TEST_F(HighScoreFile, PipeInPlaceOfTheFileDoesNotStallReading) {
    ASSERT_EQ(::mkfifo(kHighScoreFile, 0600), 0);
    expectEmptyFrom(loadHighScores(), 0);
}

TEST_F(HighScoreFile, CrLfAndLfFilesReadAlike) {
    writeFile(kHighScoreFile, numberedFile("\r\n"));
    HighScoreTable fromCrLf = loadHighScores();
    HighScoreTable fromLf = readHighScores(numberedFile("\n"));
    expectSameTables(fromLf, fromCrLf);
    EXPECT_EQ(entryName(fromCrLf.entries[39]), "N39");
    EXPECT_EQ(fromCrLf.entries[39].score, 39);
}

TEST_F(HighScoreFile, LongNameLineKeepsItsStartAndTheRestStillReads) {
    std::string text = numberedFile("\n");
    std::string longName(45, 'X');
    longName.replace(0, 3, "ABC");
    text.replace(0, 2, longName);  // entry 0's name "N0" becomes 45 characters
    writeFile(kHighScoreFile, text);
    HighScoreTable table = loadHighScores();
    EXPECT_EQ(entryName(table.entries[0]), longName.substr(0, kMaxStoredNameLength));
    EXPECT_EQ(table.entries[0].score, 0);
    for (int i = 1; i < kHighScoreEntries; ++i) {
        EXPECT_EQ(entryName(table.entries[i]), "N" + std::to_string(i));
        EXPECT_EQ(table.entries[i].score, i);
    }
}

TEST_F(HighScoreFile, LongCrLfNameLineKeepsNoCarriageReturn) {
    std::string name29(kMaxStoredNameLength, 'M');
    HighScoreTable table = readHighScores(name29 + "\r\n5\r\n" + name29 + "XY\r\n6\r\n");
    EXPECT_EQ(entryName(table.entries[0]), name29);
    EXPECT_EQ(table.entries[0].score, 5);
    EXPECT_EQ(entryName(table.entries[1]), name29);
    EXPECT_EQ(table.entries[1].score, 6);
}

TEST_F(HighScoreFile, LongJunkAfterAScoreIsSkipped) {
    HighScoreTable table = readHighScores("A\n10 " + std::string(100, 'j') + "\nB\n20\n");
    EXPECT_EQ(table.entries[0].score, 10);
    EXPECT_EQ(entryName(table.entries[1]), "B");
    EXPECT_EQ(table.entries[1].score, 20);
}

TEST_F(HighScoreFile, BlankLinesBeforeAScoreAreSkipped) {
    HighScoreTable table = readHighScores("A\n\n\n  \t 10\nB\n20\n");
    EXPECT_EQ(entryName(table.entries[0]), "A");
    EXPECT_EQ(table.entries[0].score, 10);
    EXPECT_EQ(entryName(table.entries[1]), "B");
    EXPECT_EQ(table.entries[1].score, 20);
}

TEST_F(HighScoreFile, ReadingStopsAtAScoreThatIsNoNumber) {
    std::string text = "A\n1\nB\n2\nC\nlots\nD\n4\n";
    HighScoreTable table = readHighScores(text);
    EXPECT_EQ(table.entries[1].score, 2);
    EXPECT_EQ(entryName(table.entries[2]), "C");
    EXPECT_EQ(table.entries[2].score, 0);
    expectEmptyFrom(table, 3);
}

TEST_F(HighScoreFile, ScoreBeyondThirtyTwoBitsStopsReading) {
    HighScoreTable table = readHighScores("A\n99999999999\nB\n2\n");
    EXPECT_EQ(entryName(table.entries[0]), "A");
    EXPECT_EQ(table.entries[0].score, 0);
    expectEmptyFrom(table, 1);
}

TEST_F(HighScoreFile, TruncatedFileKeepsWhatWasComplete) {
    std::string text = numberedFile("\n");
    HighScoreTable table = readHighScores(text.substr(0, text.find("N12")) + "N1");
    EXPECT_EQ(table.entries[11].score, 11);
    EXPECT_EQ(entryName(table.entries[12]), "N1");
    EXPECT_EQ(table.entries[12].score, 0);
    expectEmptyFrom(table, 13);
}

TEST_F(HighScoreFile, FailedWriteLeavesTheOldFileWhole) {
    HighScoreTable old = distinctTable();
    ASSERT_TRUE(saveHighScores(old));
    std::string oldText = fileContents(kHighScoreFile);

    FileReplaceSteps diskFull = systemFileSteps();
    std::size_t budget = 100;  // the disk fills after 100 bytes
    diskFull.write = [&budget](int fd, const char* bytes, std::size_t count) -> long {
        if (budget == 0) {
            errno = ENOSPC;
            return -1;
        }
        std::size_t now = std::min(count, budget);
        budget -= now;
        return ::write(fd, bytes, now);
    };
    HighScoreTable changed = old;
    insertScore(changed, 0, 0, 999999);
    EXPECT_FALSE(saveHighScores(changed, diskFull));

    EXPECT_EQ(fileContents(kHighScoreFile), oldText);
    EXPECT_FALSE(exists(replacementFileName(kHighScoreFile).c_str()));
    expectSameTables(old, loadHighScores());
}

TEST_F(HighScoreFile, FailedSyncOrRenameLeavesTheOldFileWhole) {
    HighScoreTable old = distinctTable();
    ASSERT_TRUE(saveHighScores(old));
    HighScoreTable changed;

    FileReplaceSteps syncFails = systemFileSteps();
    syncFails.fsync = [](int) {
        errno = EIO;
        return -1;
    };
    EXPECT_FALSE(saveHighScores(changed, syncFails));
    expectSameTables(old, loadHighScores());

    FileReplaceSteps renameFails = systemFileSteps();
    renameFails.rename = [](const char*, const char*) {
        errno = EXDEV;
        return -1;
    };
    EXPECT_FALSE(saveHighScores(changed, renameFails));
    expectSameTables(old, loadHighScores());
    EXPECT_FALSE(exists(replacementFileName(kHighScoreFile).c_str()));
}

TEST_F(HighScoreFile, ProgramKilledPartWayThroughASaveLeavesTheOldFileWhole) {
    HighScoreTable old = distinctTable();
    ASSERT_TRUE(saveHighScores(old));
    FileReplaceSteps killed = systemFileSteps();
    killed.write = [](int fd, const char* bytes, std::size_t count) -> long {
        if (::write(fd, bytes, count / 2) < 0) {
            ::_exit(2);
        }
        ::_exit(3);  // the process dies with half the new file written
    };
    HighScoreTable changed;
    EXPECT_EXIT(saveHighScores(changed, killed), ::testing::ExitedWithCode(3), "");
    expectSameTables(old, loadHighScores());
}

TEST_F(HighScoreFile, StaleReplacementFromAnEarlierCrashIsOverwritten) {
    writeFile(replacementFileName(kHighScoreFile).c_str(), std::string(5000, 'z'));
    HighScoreTable table = distinctTable();
    ASSERT_TRUE(saveHighScores(table));
    expectSameTables(table, loadHighScores());
    EXPECT_FALSE(exists(replacementFileName(kHighScoreFile).c_str()));
}

// Whatever a damaged file holds, what the game reads from it saves and reads back the same.
TEST(HighScoreText, AnyTextReadsBackTheSameAfterASave) {
    const std::string alphabet("AZ09 -+\n\n\r\t\0\xffX", 15);
    std::mt19937 random(20010);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 400, ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        HighScoreTable once = readHighScores(text);
        expectSameTables(once, readHighScores(formatHighScores(once)));
    }
}
