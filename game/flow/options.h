// The two user options and the file options.dat that keeps them: two decimal integers
// separated by one blank, background first, with no line end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "game/flow/data_file.h"

constexpr const char* kOptionsFile = "options.dat";

struct Options {
    std::int32_t dynamicBackground = 1;  // 1: scrolling background; any other value: still
    std::int32_t musicOn = 1;            // non-zero: music plays
};

// The file's text, "1 1" with both options on.
std::string formatOptions(const Options& options);

// Reads up to two integers from the file's text (any bytes at all) into options, white space
// and line ends before each skipped. A value that cannot be read leaves its option as it was
// and ends the reading. Values are taken without range checks.
void readOptions(std::string_view text, Options& options);

// Reads options.dat into options, creating the file empty when it is missing. Always succeeds:
// whatever the file does not supply keeps its current value.
bool loadOptions(Options& options);

// Writes options.dat in full without ever leaving it part-written (see replaceDataFile).
// Failures are not reported; the options in memory stay as they are.
void saveOptions(const Options& options, const FileReplaceSteps& steps = systemFileSteps());

// The window menu's toggles: 0 becomes 1, anything else becomes 0.
void toggleOption(std::int32_t& option);
