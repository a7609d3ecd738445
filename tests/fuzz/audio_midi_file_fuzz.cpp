// Any bytes, checked as a MIDI file before the synthesiser would get them: no crash and no
// read out of bounds.
#include <cstdint>
#include <span>

#include "audio/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    isCompleteMidiFile(std::span(data, size));
    return 0;
}
