// The game information text shown on the information screen, read once from gameinfo.txt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr int kMaxInfoLines = 100;
constexpr std::size_t kInfoLineBytes = 50;  // zero-terminated: at most 49 characters a line

constexpr const char* kGameInfoFile = "gameinfo.txt";

struct GameInfoText {
    char infoLines[kMaxInfoLines][kInfoLineBytes] = {};
    std::int32_t infoLineCount = 0;  // 0..100: lines 0 .. infoLineCount - 1 are shown
};

// Splits the file's text (any bytes at all) into lines of at most 49 characters, the first
// 100 of them: a longer line continues as the next line, a line of exactly 49 characters is
// followed by an empty one, and the read that meets the end of the text counts as a line too
// (so an empty text gives one empty line). Line ends are not kept, carriage returns never.
GameInfoText readGameInfo(std::string_view text);

// Reads gameinfo.txt, creating it empty when it is missing; a file that cannot be opened
// gives no lines at all.
GameInfoText loadGameInfo();
