#include "game/flow/options.h"

#include <optional>

#include "game/flow/text_reader.h"

std::string formatOptions(const Options& options) {
    return std::to_string(options.dynamicBackground) + " " + std::to_string(options.musicOn);
}

void readOptions(std::string_view text, Options& options) {
    TextReader reader(text);
    if (reader.readInteger(options.dynamicBackground)) {
        reader.readInteger(options.musicOn);
    }
}

bool loadOptions(Options& options) {
    std::optional<std::string> text = readDataFile(playerDataFile(kOptionsFile).c_str());
    if (text) {
        readOptions(*text, options);
    }
    return true;
}

void saveOptions(const Options& options, const FileReplaceSteps& steps) {
    replaceDataFile(playerDataFile(kOptionsFile).c_str(), formatOptions(options), steps);
}

void toggleOption(std::int32_t& option) {
    option = option == 0 ? 1 : 0;
}
