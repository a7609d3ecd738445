#include "game/flow/game_info.h"

#include <cstring>
#include <optional>
#include <string>

#include "game/flow/data_file.h"
#include "game/flow/text_reader.h"

GameInfoText readGameInfo(std::string_view text) {
    GameInfoText info;
    TextReader reader(text);
    std::string line;
    LinePart part = LinePart::LineEnded;
    while (info.infoLineCount < kMaxInfoLines && part != LinePart::NothingLeft &&
           part != LinePart::TextEnded) {
        part = reader.readLinePart(kInfoLineBytes - 1, line);
        std::memcpy(info.infoLines[info.infoLineCount], line.data(), line.size());
        ++info.infoLineCount;
    }
    return info;
}

GameInfoText loadGameInfo() {
    std::optional<std::string> text = readDataFile(kGameInfoFile);
    return text ? readGameInfo(*text) : GameInfoText{};
}
