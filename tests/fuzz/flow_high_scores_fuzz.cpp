// Any bytes read as scores.dat: no crash, every name a terminated line part of at most 29
// characters, saving what was read then reading the saved text gives the same tables, and a
// file that gained nothing since it was last seen folds nothing into the tables.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/flow/high_scores.h"

namespace {

bool nameIsWellFormed(const HighScoreEntry& entry) {
    const std::string_view name = entryName(entry);
    return entry.name[kNameFieldBytes - 1] == '\0' && name.size() <= kMaxStoredNameLength &&
           name.find_first_of("\r\n") == std::string_view::npos;
}

bool sameEntries(const HighScoreTable& a, const HighScoreTable& b) {
    for (int i = 0; i < kHighScoreEntries; ++i) {
        if (entryName(a.entries[i]) != entryName(b.entries[i]) ||
            a.entries[i].score != b.entries[i].score) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const HighScoreTable read = readHighScores(text);
    for (const HighScoreEntry& entry : read.entries) {
        if (!nameIsWellFormed(entry)) {
            __builtin_trap();
        }
    }
    const std::string saved = formatHighScores(read);
    if (!sameEntries(readHighScores(saved), read)) {
        __builtin_trap();
    }
    HighScoreTable folded = read;
    foldInStoredEntries(folded, read, read);
    if (!sameEntries(folded, read)) {
        __builtin_trap();
    }
    return 0;
}
