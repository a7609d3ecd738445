// Formatted reading of the game's small text files, line ends CR LF or LF alike.
// Only game/flow uses this.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// How a read of part of a line ended.
enum class LinePart {
    NothingLeft,  // the text had ended before the read: nothing was read
    LineEnded,    // the line end was met and consumed
    TextEnded,    // the text ended within the line
    Filled,       // the limit was reached; the rest of the line, its end included, is left
};

// A cursor over text. Carriage returns are never part of what it reads.
class TextReader {
public:
    explicit TextReader(std::string_view text) : rest_(text) {}

    // Reads the current line into out, at most maxChars characters (out is replaced). A line of
    // exactly maxChars characters reads as Filled: its line end is left for the next read.
    LinePart readLinePart(std::size_t maxChars, std::string& out);

    // Consumes everything up to and including the next line end.
    void skipRestOfLine();

    // Skips white space (line ends and blank lines included) and reads a decimal integer with
    // an optional sign. Returns false, leaving value unchanged, when no integer stands there or
    // it does not fit 32 bits.
    bool readInteger(std::int32_t& value);

private:
    void skipCarriageReturns();

    std::string_view rest_;
};
