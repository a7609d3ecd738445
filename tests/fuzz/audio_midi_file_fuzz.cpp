// Any bytes, checked as a MIDI file before the synthesiser would get them and turned into the
// file it would play: no crash, no read out of bounds, and what is to be played is a complete
// file of format 0 or 1, no more than twice the size of what was read and a little more.
#include <cstdint>
#include <span>

#include "audio/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    isCompleteMidiFile(bytes);
    const std::vector<std::uint8_t> played = playableMidiFile(bytes);
    if (played.empty()) {
        return 0;
    }
    if (!isCompleteMidiFile(played) || played[8] != 0 || played[9] > 1 ||
        played.size() > 2 * size + 64) {
        __builtin_trap();
    }
    return 0;
}
