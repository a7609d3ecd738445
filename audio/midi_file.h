// A first look at a music file before the synthesiser gets it (inside audio/ only).
#pragma once

#include <cstdint>
#include <span>

// True when `bytes` is a Standard MIDI File whose header and every track it announces are
// complete: "MThd" with at least 6 header bytes, one or more tracks, a non-zero time division,
// and that many "MTrk" chunks lying wholly inside the file (other chunks are skipped). The
// synthesiser accepts cut or garbled files and then plays nothing, ending at once, which
// would report a finished track immediately after every start.
bool isCompleteMidiFile(std::span<const std::uint8_t> bytes);

// Music files larger than this are not opened.
constexpr std::uint64_t kMaxMidiFileBytes = 16u << 20;
