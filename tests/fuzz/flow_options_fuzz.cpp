// Any bytes read as options.dat: no crash; each option either comes from the text or keeps the
// value it had, the music option only after the background option was read; and saving what
// was read then reading the saved text gives the same options.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "game/flow/options.h"

namespace {

bool sameOptions(const Options& a, const Options& b) {
    return a.dynamicBackground == b.dynamicBackground && a.musicOn == b.musicOn;
}

// Whether an option read into two different starting values was taken from the text (both
// agree) and, if not, kept its starting value in both.
bool takenOrKept(std::int32_t first, std::int32_t second, std::int32_t firstStart,
                 std::int32_t secondStart, bool* taken) {
    *taken = first == second;
    return *taken || (first == firstStart && second == secondStart);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr Options firstStart{-7, 9};
    constexpr Options secondStart{11, -13};
    Options first = firstStart;
    Options second = secondStart;
    readOptions(text, first);
    readOptions(text, second);
    bool backgroundTaken = false;
    bool musicTaken = false;
    if (!takenOrKept(first.dynamicBackground, second.dynamicBackground,
                     firstStart.dynamicBackground, secondStart.dynamicBackground,
                     &backgroundTaken) ||
        !takenOrKept(first.musicOn, second.musicOn, firstStart.musicOn, secondStart.musicOn,
                     &musicTaken) ||
        (musicTaken && !backgroundTaken)) {
        __builtin_trap();
    }
    Options reread{0, 0};
    readOptions(formatOptions(first), reread);
    if (!sameOptions(reread, first)) {
        __builtin_trap();
    }
    return 0;
}
