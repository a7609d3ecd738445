// The high-score tables: ten best scores for each rule set, the name typed into a new entry,
// and the file scores.dat that keeps them between runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/flow/data_file.h"

constexpr int kHighScoreGroups = 4;  // groups 0..2: Classic, Original, Crazy; 3: kept, unused
constexpr int kRowsPerGroup = 10;
constexpr int kHighScoreEntries = kHighScoreGroups * kRowsPerGroup;
constexpr int kNotRanked = kRowsPerGroup;  // findRank's answer for a score that does not enter

constexpr std::size_t kNameFieldBytes = 32;
constexpr std::size_t kMaxTypedNameLength = 16;
constexpr std::size_t kMaxStoredNameLength = 29;  // the most read from one name line

constexpr const char* kHighScoreFile = "scores.dat";

struct HighScoreEntry {
    char name[kNameFieldBytes] = {};  // zero-terminated
    std::int32_t score = 0;
};

// Forty rows in group order: group g holds rows g * 10 .. g * 10 + 9, row 0 the best.
struct HighScoreTable {
    HighScoreEntry entries[kHighScoreEntries] = {};
};

// The new entry being named after a good game: while nameEntryActive is 1, row newEntryRank of
// the group of the current rule set receives the typed name. letterAtCursor is the letter a
// pad is choosing for the next place of the name, shown at the cursor; 0 when none is.
struct NameEntry {
    std::int32_t nameEntryActive = 0;
    std::int32_t newEntryRank = 0;
    char letterAtCursor = '\0';
};

// The name as text, up to its terminating zero.
std::string_view entryName(const HighScoreEntry& entry);

// Replaces the name, keeping at most kNameFieldBytes - 1 characters.
void setEntryName(HighScoreEntry& entry, std::string_view name);

// Row 0..9 of group 0..3; both must be in range.
HighScoreEntry& tableRow(HighScoreTable& table, int group, int row);
const HighScoreEntry& tableRow(const HighScoreTable& table, int group, int row);

// The row 0..9 at which score enters the group: the first row holding a lower score, so a
// score equal to a stored one ranks after it. kNotRanked when it does not enter, or the
// group is not one of 0..3.
int findRank(const HighScoreTable& table, int group, std::int32_t score);

// Moves the rows from rank down by one (the old row 9 drops out) and puts score with an
// empty name at rank. Does nothing unless group is 0..3 and rank 0..9.
void insertScore(HighScoreTable& table, int group, int rank, std::int32_t score);

// The table's side of the end-of-game check: when score enters the group (0..2), inserts it
// and starts naming its row (nameEntryActive 1, newEntryRank the rank) and returns true;
// otherwise changes nothing and returns false.
bool enterFinalScore(HighScoreTable& table, NameEntry& nameEntry, int group, std::int32_t score);

// What a key did to the name being typed.
enum class NameKey {
    Ignored,    // not a name key, the name is full, or Backspace on an empty name
    Edited,     // a character was added or removed
    Confirmed,  // Enter: the name stands as it is
};

// Applies one key press, by virtual-key code, to the name being typed: 0-9, A-Z and Space add
// that character while the name holds fewer than kMaxTypedNameLength; Backspace removes the
// last one; Enter confirms. The caller ends the name entry and saves on Confirmed.
NameKey typeNameKey(HighScoreEntry& entry, std::uint32_t virtualKey);

// The file's text: for each of the 40 entries in order, the name on one line and the score
// as a decimal integer on the next.
std::string formatHighScores(const HighScoreTable& table);

// Reads the tables from the file's text (any bytes at all). Line 2e holds the name of entry e
// and line 2e + 1 its score, so a damaged line costs only its own entry: a score line that
// holds no 32-bit decimal integer (after any blanks) gives score 0, a name line holding a
// control character the empty name. A name line keeps its first kMaxStoredNameLength
// characters; carriage returns are never kept. Entries the text ends before are empty with
// score 0.
HighScoreTable readHighScores(std::string_view text);

// Puts into groups 0..2 of table, each where its score ranks, the entries that onFile holds
// and lastSeen, what the file held when this copy of the game last read or wrote it, does not
// (a name and score stored twice count twice): what other copies of the game stored meanwhile
// then stands beside this copy's own entries. Group 3 stays as it is.
void foldInStoredEntries(HighScoreTable& table, const HighScoreTable& lastSeen,
                         const HighScoreTable& onFile);

// Writes scores.dat in full without ever leaving it part-written (see updateDataFile). Under
// the file's lock, the entries other copies of the game stored since lastSeen are first folded
// into table (foldInStoredEntries); lastSeen then becomes what the file holds after the save.
// Returns false when the file could not be written; the game does not report it.
bool saveHighScores(HighScoreTable& table, HighScoreTable& lastSeen,
                    const FileReplaceSteps& steps = systemFileSteps());

// Reads scores.dat, creating it empty when missing; a file that cannot be read gives empty
// tables.
HighScoreTable loadHighScores();
