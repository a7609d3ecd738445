#include "game/flow/high_scores.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "game/flow/text_reader.h"
#include "game/rules/session.h"
#include "platform/messages.h"

namespace {

bool isGroup(int group) {
    return group >= 0 && group < kHighScoreGroups;
}
bool isRow(int row) {
    return row >= 0 && row < kRowsPerGroup;
}

bool isNameCharacterKey(std::uint32_t virtualKey) {
    return (virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z') ||
           virtualKey == VK_SPACE;
}

void appendLine(std::string& text, std::string_view line) {
    text.append(line);
    text.push_back('\n');
}

// The longest score line read; a score with its sign and leading blanks is far shorter.
constexpr std::size_t kMaxScoreLineLength = 64;

// Reads the current line, keeping at most maxChars characters; false when the text has ended.
bool readLine(TextReader& reader, std::size_t maxChars, std::string& line) {
    const LinePart part = reader.readLinePart(maxChars, line);
    if (part == LinePart::Filled) {
        reader.skipRestOfLine();
    }
    return part != LinePart::NothingLeft;
}

// Characters the game never stores in a name: what a damaged file holds instead of one.
bool holdsControlCharacter(std::string_view line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// Reads one entry from its two lines; false when the text has ended.
bool readEntry(TextReader& reader, HighScoreEntry& entry) {
    std::string line;
    if (!readLine(reader, kMaxStoredNameLength, line)) {
        return false;
    }
    if (!holdsControlCharacter(line)) {
        setEntryName(entry, line);
    }
    if (!readLine(reader, kMaxScoreLineLength, line)) {
        return false;
    }
    TextReader(line).readInteger(entry.score);
    return true;
}

// A row no game has filled: the empty name with score 0.
bool isUnusedRow(const HighScoreEntry& entry) {
    return entry.score == 0 && entryName(entry).empty();
}

bool sameEntry(const HighScoreEntry& a, const HighScoreEntry& b) {
    return a.score == b.score && entryName(a) == entryName(b);
}

// Whether the group holds the entry in a row not yet matched; marks the row it matches.
bool matchUnmatchedRow(const HighScoreTable& table, int group, const HighScoreEntry& entry,
                       bool (&matched)[kRowsPerGroup]) {
    for (int row = 0; row < kRowsPerGroup; ++row) {
        if (!matched[row] && sameEntry(tableRow(table, group, row), entry)) {
            matched[row] = true;
            return true;
        }
    }
    return false;
}

void insertEntry(HighScoreTable& table, int group, const HighScoreEntry& entry) {
    const int rank = findRank(table, group, entry.score);
    insertScore(table, group, rank, entry.score);
    if (isRow(rank)) {
        setEntryName(tableRow(table, group, rank), entryName(entry));
    }
}

}  // namespace

std::string_view entryName(const HighScoreEntry& entry) {
    return std::string_view(entry.name, ::strnlen(entry.name, kNameFieldBytes));
}

void setEntryName(HighScoreEntry& entry, std::string_view name) {
    std::size_t length = std::min(name.size(), kNameFieldBytes - 1);
    std::memset(entry.name, 0, kNameFieldBytes);
    std::memcpy(entry.name, name.data(), length);
}

HighScoreEntry& tableRow(HighScoreTable& table, int group, int row) {
    return table.entries[group * kRowsPerGroup + row];
}

const HighScoreEntry& tableRow(const HighScoreTable& table, int group, int row) {
    return table.entries[group * kRowsPerGroup + row];
}

int findRank(const HighScoreTable& table, int group, std::int32_t score) {
    if (!isGroup(group)) {
        return kNotRanked;
    }
    int rank = kNotRanked;
    for (int row = kRowsPerGroup - 1; row >= 0; --row) {
        if (score > tableRow(table, group, row).score) {
            rank = row;
        }
    }
    return rank;
}

void insertScore(HighScoreTable& table, int group, int rank, std::int32_t score) {
    if (!isGroup(group) || !isRow(rank)) {
        return;
    }
    for (int row = kRowsPerGroup - 2; row >= rank; --row) {
        tableRow(table, group, row + 1) = tableRow(table, group, row);
    }
    HighScoreEntry& entry = tableRow(table, group, rank);
    entry = HighScoreEntry{};
    entry.score = score;
}

bool enterFinalScore(HighScoreTable& table, NameEntry& nameEntry, int group, std::int32_t score) {
    int rank = findRank(table, group, score);
    if (rank == kNotRanked) {
        return false;
    }
    insertScore(table, group, rank, score);
    nameEntry.nameEntryActive = 1;
    nameEntry.newEntryRank = rank;
    return true;
}

NameKey typeNameKey(HighScoreEntry& entry, std::uint32_t virtualKey) {
    std::size_t length = entryName(entry).size();
    if (virtualKey == VK_RETURN) {
        return NameKey::Confirmed;
    }
    if (virtualKey == VK_BACK) {
        if (length == 0) {
            return NameKey::Ignored;
        }
        entry.name[length - 1] = '\0';
        return NameKey::Edited;
    }
    if (!isNameCharacterKey(virtualKey) || length >= kMaxTypedNameLength) {
        return NameKey::Ignored;
    }
    entry.name[length] = static_cast<char>(virtualKey);
    return NameKey::Edited;
}

std::string formatHighScores(const HighScoreTable& table) {
    std::string text;
    for (const HighScoreEntry& entry : table.entries) {
        appendLine(text, entryName(entry));
        char digits[16];
        auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), entry.score);
        appendLine(text, std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
    return text;
}

HighScoreTable readHighScores(std::string_view text) {
    HighScoreTable table;
    TextReader reader(text);
    for (HighScoreEntry& entry : table.entries) {
        if (!readEntry(reader, entry)) {
            break;
        }
    }
    return table;
}

void foldInStoredEntries(HighScoreTable& table, const HighScoreTable& lastSeen,
                         const HighScoreTable& onFile) {
    for (int group = 0; group < gameModeCount; ++group) {
        bool matched[kRowsPerGroup] = {};
        for (int row = 0; row < kRowsPerGroup; ++row) {
            const HighScoreEntry& stored = tableRow(onFile, group, row);
            if (!isUnusedRow(stored) && !matchUnmatchedRow(lastSeen, group, stored, matched)) {
                insertEntry(table, group, stored);
            }
        }
    }
}

bool saveHighScores(HighScoreTable& table, HighScoreTable& lastSeen,
                    const FileReplaceSteps& steps) {
    const bool saved = updateDataFile(
        playerDataFile(kHighScoreFile).c_str(),
        [&table, &lastSeen](std::string_view current) {
            const HighScoreTable onFile = readHighScores(current);
            foldInStoredEntries(table, lastSeen, onFile);
            // Folded in now, whether or not the write succeeds.
            lastSeen = onFile;
            return formatHighScores(table);
        },
        steps);
    if (saved) {
        lastSeen = table;
    }
    return saved;
}

HighScoreTable loadHighScores() {
    std::optional<std::string> text = readDataFile(playerDataFile(kHighScoreFile).c_str());
    return readHighScores(text ? *text : std::string_view());
}
