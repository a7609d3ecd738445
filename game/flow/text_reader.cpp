#include "game/flow/text_reader.h"

#include <limits>

namespace {

constexpr char kLineEnd = '\n';
constexpr char kCarriageReturn = '\r';

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

void TextReader::skipCarriageReturns() {
    while (!rest_.empty() && rest_.front() == kCarriageReturn) {
        rest_.remove_prefix(1);
    }
}

LinePart TextReader::readLinePart(std::size_t maxChars, std::string& out) {
    out.clear();
    skipCarriageReturns();
    if (rest_.empty()) {
        return LinePart::NothingLeft;
    }
    while (true) {
        skipCarriageReturns();
        if (rest_.empty()) {
            return LinePart::TextEnded;
        }
        if (out.size() == maxChars) {
            return LinePart::Filled;
        }
        if (rest_.front() == kLineEnd) {
            rest_.remove_prefix(1);
            return LinePart::LineEnded;
        }
        out.push_back(rest_.front());
        rest_.remove_prefix(1);
    }
}

void TextReader::skipRestOfLine() {
    std::size_t end = rest_.find(kLineEnd);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
}

bool TextReader::readInteger(std::int32_t& value) {
    while (!rest_.empty() && isBlank(rest_.front())) {
        rest_.remove_prefix(1);
    }
    std::size_t at = 0;
    bool negative = false;
    if (at < rest_.size() && (rest_[at] == '-' || rest_[at] == '+')) {
        negative = rest_[at] == '-';
        ++at;
    }
    const std::size_t firstDigit = at;
    // The magnitude of the most negative value is one more than the largest positive one.
    const std::int64_t limit =
        std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    bool fits = true;
    while (at < rest_.size() && isDigit(rest_[at])) {
        magnitude = magnitude * 10 + (rest_[at] - '0');
        if (magnitude > limit) {
            fits = false;
            magnitude = limit;
        }
        ++at;
    }
    rest_.remove_prefix(at);
    if (at == firstDigit || !fits) {
        return false;
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}
