// A first look at a music file before the synthesiser gets it (inside audio/ only).
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <vector>

// True when `bytes` is a Standard MIDI File whose header and every track it announces are
// complete: "MThd" with at least 6 header bytes, one or more tracks, a non-zero time division,
// and that many "MTrk" chunks lying wholly inside the file (other chunks are skipped). The
// synthesiser accepts cut or garbled files and then plays nothing, ending at once, which
// would report a finished track immediately after every start.
bool isCompleteMidiFile(std::span<const std::uint8_t> bytes);

// Music files larger than this are not opened.
constexpr std::uint64_t kMaxMidiFileBytes = 16u << 20;

// The Standard MIDI File the synthesiser should play for a music file's bytes, or nothing
// (empty) when the file cannot be played. A RIFF "RMID" file gives the MIDI file of its "data"
// chunk. A complete file (isCompleteMidiFile) of format 0 or 1 comes back as it is. The
// patterns of a complete format-2 file, which are meant to play one after another while the
// synthesiser would play them all at once, come back laid end to end in the one track of a
// format-0 file: each pattern starts where the one before it ends (at its end-of-track event)
// and at the default tempo. Anything else is refused: another format, a file larger than
// kMaxMidiFileBytes, or a format-2 track whose events cannot be read exactly.
std::vector<std::uint8_t> playableMidiFile(std::span<const std::uint8_t> bytes);

// The presets a music file plays, told apart as General MIDI does: the programs chosen on the
// melodic channels, and the drum kits chosen on channel 10. Every channel starts on 0.
struct PlayedPresets {
    std::set<std::uint8_t> melodicPrograms{0};
    std::set<std::uint8_t> drumKits{0};
};

// Adds the programs that the program changes of a playable file (see playableMidiFile) choose.
// A track whose events cannot be read adds those read before the fault.
void addPresetsPlayedBy(std::span<const std::uint8_t> playable, PlayedPresets& presets);
