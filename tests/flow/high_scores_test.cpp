#include "game/flow/high_scores.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/messages.h"
#include "tests/flow/ordinary_user.h"
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

// Saves the table as the one copy of the game running would: nothing on file is new to it.
bool saveAlone(HighScoreTable& table, const FileReplaceSteps& steps = systemFileSteps()) {
    HighScoreTable lastSeen = loadHighScores();
    return saveHighScores(table, lastSeen, steps);
}

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
    ASSERT_TRUE(saveAlone(table));
    expectSameTables(table, loadHighScores());
    EXPECT_FALSE(exists(replacementFileName(kHighScoreFile).c_str()));
}

TEST_F(HighScoreFile, SavedFileHoldsEightyLinesOfNameAndScore) {
    HighScoreTable table;
    setEntryName(table.entries[0], "ANNA");
    table.entries[0].score = 1234;
    table.entries[1].score = -7;
    ASSERT_TRUE(saveAlone(table));
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
        ASSERT_TRUE(saveAlone(table));
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

TEST_F(HighScoreFile, BlanksBeforeAScoreOnItsLineAreSkipped) {
    HighScoreTable table = readHighScores("A\n  \t 10\nB\n+20\r\n");
    EXPECT_EQ(entryName(table.entries[0]), "A");
    EXPECT_EQ(table.entries[0].score, 10);
    EXPECT_EQ(entryName(table.entries[1]), "B");
    EXPECT_EQ(table.entries[1].score, 20);
}

TEST_F(HighScoreFile, AScoreLineWithoutANumberCostsOnlyItsOwnEntry) {
    HighScoreTable table = readHighScores("A\n1\nB\n2\nC\nlots\nD\n4\nE\n\nF\n-\nG\n7\n");
    EXPECT_EQ(table.entries[1].score, 2);
    EXPECT_EQ(entryName(table.entries[2]), "C");
    EXPECT_EQ(table.entries[2].score, 0);
    EXPECT_EQ(entryName(table.entries[3]), "D");
    EXPECT_EQ(table.entries[3].score, 4);
    EXPECT_EQ(entryName(table.entries[4]), "E") << "a blank score line is a damaged one";
    EXPECT_EQ(table.entries[4].score, 0);
    EXPECT_EQ(entryName(table.entries[5]), "F");
    EXPECT_EQ(table.entries[5].score, 0);
    EXPECT_EQ(entryName(table.entries[6]), "G");
    EXPECT_EQ(table.entries[6].score, 7);
    expectEmptyFrom(table, 7);
}

TEST_F(HighScoreFile, ScoreBeyondThirtyTwoBitsCountsAsZero) {
    HighScoreTable table = readHighScores("A\n99999999999\nB\n2\nC\n-2147483649\nD\n-2147483648\n");
    EXPECT_EQ(entryName(table.entries[0]), "A");
    EXPECT_EQ(table.entries[0].score, 0);
    EXPECT_EQ(entryName(table.entries[1]), "B");
    EXPECT_EQ(table.entries[1].score, 2);
    EXPECT_EQ(table.entries[2].score, 0);
    EXPECT_EQ(table.entries[3].score, INT_MIN);
}

TEST_F(HighScoreFile, ADamagedLineInTheMiddleOfTheTableCostsOnlyItsOwnEntry) {
    std::string text = numberedFile("\r\n");
    const std::size_t score17 = text.find("\r\n17\r\n") + 2;
    text.replace(score17, 2, "#?\x07");  // entry 17's score line
    const std::size_t name23 = text.find("N23");
    text.replace(name23, 3, std::string("N\0\x01\x1b", 4));  // entry 23's name line
    writeFile(kHighScoreFile, text);

    HighScoreTable table = loadHighScores();
    EXPECT_EQ(table.entries[17].score, 0);
    EXPECT_EQ(entryName(table.entries[17]), "N17");
    EXPECT_EQ(entryName(table.entries[23]), "") << "a name with control characters is damaged";
    EXPECT_EQ(table.entries[23].score, 23);
    for (int i = 0; i < kHighScoreEntries; ++i) {
        if (i != 17 && i != 23) {
            EXPECT_EQ(entryName(table.entries[i]), "N" + std::to_string(i)) << "entry " << i;
            EXPECT_EQ(table.entries[i].score, i) << "entry " << i;
        }
    }

    // The next save keeps every entry that was read, in its place.
    HighScoreTable saved = table;
    ASSERT_TRUE(saveAlone(saved));
    expectSameTables(table, loadHighScores());
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
    ASSERT_TRUE(saveAlone(old));
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
    EXPECT_FALSE(saveAlone(changed, diskFull));

    EXPECT_EQ(fileContents(kHighScoreFile), oldText);
    EXPECT_FALSE(exists(replacementFileName(kHighScoreFile).c_str()));
    expectSameTables(old, loadHighScores());
}

TEST_F(HighScoreFile, FailedSyncOrRenameLeavesTheOldFileWhole) {
    HighScoreTable old = distinctTable();
    ASSERT_TRUE(saveAlone(old));
    HighScoreTable changed;

    FileReplaceSteps syncFails = systemFileSteps();
    syncFails.fsync = [](int) {
        errno = EIO;
        return -1;
    };
    EXPECT_FALSE(saveAlone(changed, syncFails));
    expectSameTables(old, loadHighScores());

    FileReplaceSteps renameFails = systemFileSteps();
    renameFails.rename = [](const char*, const char*) {
        errno = EXDEV;
        return -1;
    };
    EXPECT_FALSE(saveAlone(changed, renameFails));
    expectSameTables(old, loadHighScores());
    EXPECT_FALSE(exists(replacementFileName(kHighScoreFile).c_str()));
}

TEST_F(HighScoreFile, ProgramKilledPartWayThroughASaveLeavesTheOldFileWhole) {
    HighScoreTable old = distinctTable();
    ASSERT_TRUE(saveAlone(old));
    FileReplaceSteps killed = systemFileSteps();
    killed.write = [](int fd, const char* bytes, std::size_t count) -> long {
        if (::write(fd, bytes, count / 2) < 0) {
            ::_exit(2);
        }
        ::_exit(3);  // the process dies with half the new file written
    };
    HighScoreTable changed;
    EXPECT_EXIT(saveAlone(changed, killed), ::testing::ExitedWithCode(3), "");
    expectSameTables(old, loadHighScores());
}

TEST_F(HighScoreFile, StaleReplacementFromAnEarlierCrashIsOverwritten) {
    writeFile(replacementFileName(kHighScoreFile).c_str(), std::string(5000, 'z'));
    HighScoreTable table = distinctTable();
    ASSERT_TRUE(saveAlone(table));
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

// --- two copies of the game on one scores.dat -----------------------------------------------

namespace {

// One copy of the game: the table it shows, and what scores.dat held when it last read or
// wrote the file.
struct GameCopy {
    HighScoreTable table = loadHighScores();
    HighScoreTable lastSeen = table;
};

// The end of a good game: the score enters with its name, and the file is saved.
bool storeName(GameCopy& copy, int group, const std::string& name, std::int32_t score) {
    const int rank = findRank(copy.table, group, score);
    if (rank == kNotRanked) {
        return false;
    }
    insertScore(copy.table, group, rank, score);
    setEntryName(tableRow(copy.table, group, rank), name);
    return saveHighScores(copy.table, copy.lastSeen);
}

void expectGroup(const HighScoreTable& table, int group,
                 std::initializer_list<std::pair<const char*, int>> rows) {
    int row = 0;
    for (const auto& [name, score] : rows) {
        EXPECT_EQ(entryName(tableRow(table, group, row)), name) << "row " << row;
        EXPECT_EQ(tableRow(table, group, row).score, score) << "row " << row;
        ++row;
    }
    for (; row < kRowsPerGroup; ++row) {
        EXPECT_EQ(entryName(tableRow(table, group, row)), "") << "row " << row;
        EXPECT_EQ(tableRow(table, group, row).score, 0) << "row " << row;
    }
}

}  // namespace

TEST_F(HighScoreFile, TwoCopiesStoringNamesInTurnKeepEveryName) {
    GameCopy first;
    GameCopy second;
    ASSERT_TRUE(storeName(first, 1, "ANNA", 500));
    ASSERT_TRUE(storeName(second, 1, "BERT", 300));
    ASSERT_TRUE(storeName(first, 1, "CARL", 400));
    ASSERT_TRUE(storeName(second, 2, "DORA", 50));

    const HighScoreTable stored = loadHighScores();
    expectGroup(stored, 1, {{"ANNA", 500}, {"CARL", 400}, {"BERT", 300}});
    expectGroup(stored, 2, {{"DORA", 50}});
    expectGroup(stored, 0, {});
    expectSameTables(stored, second.table);
    SCOPED_TRACE("each copy shows what the other stored before its own last save");
    expectGroup(first.table, 1, {{"ANNA", 500}, {"CARL", 400}, {"BERT", 300}});
    expectGroup(first.table, 2, {});
}

TEST_F(HighScoreFile, TheSameNameAndScoreStoredByBothCopiesStandsTwice) {
    GameCopy first;
    GameCopy second;
    ASSERT_TRUE(storeName(first, 0, "SAM", 100));
    ASSERT_TRUE(storeName(second, 0, "SAM", 100));
    ASSERT_TRUE(storeName(first, 0, "TOM", 90));
    expectGroup(loadHighScores(), 0, {{"SAM", 100}, {"SAM", 100}, {"TOM", 90}});
}

TEST_F(HighScoreFile, EntriesThatDroppedOutOfAFullGroupStayOut) {
    HighScoreTable full;
    fillGroup(full, 0, kFalling);
    ASSERT_TRUE(saveAlone(full));
    GameCopy first;
    GameCopy second;
    ASSERT_TRUE(storeName(second, 0, "NEW", 55));  // ROW9 with 10 drops out
    ASSERT_TRUE(storeName(first, 0, "TOP", 200));  // ROW9 here too, ROW8 as NEW comes in
    ASSERT_TRUE(storeName(first, 0, "LOW", 35));   // and ROW7 with 30
    const HighScoreTable stored = loadHighScores();
    expectGroup(stored, 0,
                {{"TOP", 200},
                 {"ROW0", 100},
                 {"ROW1", 90},
                 {"ROW2", 80},
                 {"ROW3", 70},
                 {"ROW4", 60},
                 {"NEW", 55},
                 {"ROW5", 50},
                 {"ROW6", 40},
                 {"LOW", 35}});
}

TEST_F(HighScoreFile, AReadOnlyScoresFileIsLeftAloneAndTheTableKept) {
    EXPECT_EXIT(
        {
            becomeOrdinaryUser();
            HighScoreTable table = distinctTable();
            const std::string before = formatHighScores(table);
            writeFile(kHighScoreFile, before);
            ::chmod(kHighScoreFile, 0444);
            insertScore(table, 0, 0, 1 << 30);
            const HighScoreTable inMemory = table;
            HighScoreTable lastSeen = readHighScores(before);
            const bool saved = saveHighScores(table, lastSeen);
            std::_Exit(!saved && fileContents(kHighScoreFile) == before &&
                               formatHighScores(table) == formatHighScores(inMemory)
                           ? 0
                           : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(HighScoreFile, ALinkedScoresFileIsSavedThroughTheLink) {
    ASSERT_EQ(::mkdir("shared", 0700), 0);
    ASSERT_EQ(::symlink("shared/kolvane-scores", kHighScoreFile), 0);
    GameCopy copy;
    ASSERT_TRUE(storeName(copy, 2, "LINK", 77));
    struct stat info {};
    ASSERT_EQ(::lstat(kHighScoreFile, &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    expectGroup(readHighScores(fileContents("shared/kolvane-scores")), 2, {{"LINK", 77}});
}

// Real processes, each with the table it read at its start, storing names as fast as they can
// into the same file: no name is lost to the other's saves.
TEST_F(HighScoreFile, CopiesInSeparateProcessesStoringAtOnceLoseNoName) {
    constexpr int kCopies = 3;
    constexpr int kNamesEach = 3;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> copies;
    for (int copy = 0; copy < kCopies; ++copy) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            GameCopy game;
            char go = 0;
            if (::read(start[0], &go, 1) != 0) {
                ::_exit(2);
            }
            for (int n = 0; n < kNamesEach; ++n) {
                const std::string name =
                    "COPY" + std::to_string(copy) + " GAME" + std::to_string(n);
                if (!storeName(game, 1, name, 1000 + copy * 10 + n)) {
                    ::_exit(3);
                }
            }
            ::_exit(0);
        }
        copies.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);  // every copy has read the file by now or reads the same empty one
    for (pid_t pid : copies) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const HighScoreTable stored = loadHighScores();
    for (int copy = kCopies - 1, row = 0; copy >= 0; --copy) {
        for (int n = kNamesEach - 1; n >= 0; --n, ++row) {
            EXPECT_EQ(entryName(tableRow(stored, 1, row)),
                      "COPY" + std::to_string(copy) + " GAME" + std::to_string(n));
            EXPECT_EQ(tableRow(stored, 1, row).score, 1000 + copy * 10 + n);
        }
    }
}
