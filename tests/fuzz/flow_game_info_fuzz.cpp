// Any bytes read as gameinfo.txt: no crash; 1 to 100 lines, each zero-terminated within its
// 50 bytes and free of line ends; and, for text without zero bytes, the lines put back
// together give the text without its carriage returns (all of it when fewer than 100 lines
// were read, its beginning otherwise).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/flow/game_info.h"

namespace {

bool linesAreWellFormed(const GameInfoText& info) {
    if (info.infoLineCount < 1 || info.infoLineCount > kMaxInfoLines) {
        return false;
    }
    for (int i = 0; i < info.infoLineCount; ++i) {
        if (info.infoLines[i][kInfoLineBytes - 1] != '\0' ||
            std::string_view(info.infoLines[i]).find_first_of("\r\n") != std::string_view::npos) {
            return false;
        }
    }
    for (int i = info.infoLineCount; i < kMaxInfoLines; ++i) {
        if (!std::string_view(info.infoLines[i]).empty()) {
            return false;
        }
    }
    return true;
}

// The text the lines came from: a full line (49 characters) continues on the next line, any
// shorter one ended at a line end, and the last one ended the reading.
std::string joinedLines(const GameInfoText& info) {
    std::string text;
    for (int i = 0; i < info.infoLineCount; ++i) {
        const std::string_view line = info.infoLines[i];
        text.append(line);
        if (i + 1 < info.infoLineCount && line.size() < kInfoLineBytes - 1) {
            text.push_back('\n');
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const GameInfoText info = readGameInfo(text);
    if (!linesAreWellFormed(info)) {
        __builtin_trap();
    }
    if (text.find('\0') != std::string_view::npos) {
        return 0;
    }
    std::string withoutReturns(text);
    withoutReturns.erase(std::remove(withoutReturns.begin(), withoutReturns.end(), '\r'),
                         withoutReturns.end());
    const std::string joined = joinedLines(info);
    const bool complete = info.infoLineCount < kMaxInfoLines;
    if (complete ? joined != withoutReturns : !withoutReturns.starts_with(joined)) {
        __builtin_trap();
    }
    return 0;
}
