#include "game/flow/high_scores.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "game/flow/text_reader.h"
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

// Reads one entry; false when reading has stopped (the entry may hold a name by then).
bool readEntry(TextReader& reader, HighScoreEntry& entry) {
    std::string name;
    LinePart part = reader.readLinePart(kMaxStoredNameLength, name);
    if (part == LinePart::NothingLeft) {
        return false;
    }
    if (part == LinePart::Filled) {
        reader.skipRestOfLine();
    }
    setEntryName(entry, name);
    if (!reader.readInteger(entry.score)) {
        return false;
    }
    reader.skipRestOfLine();
    return true;
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

bool saveHighScores(const HighScoreTable& table, const FileReplaceSteps& steps) {
    return replaceDataFile(kHighScoreFile, formatHighScores(table), steps);
}

HighScoreTable loadHighScores() {
    std::optional<std::string> text = readDataFile(kHighScoreFile);
    return readHighScores(text ? *text : std::string_view());
}
