// A tune as notes on General MIDI channels, and the Standard MIDI File that holds it.
#pragma once

#include <string>
#include <vector>

namespace mediagen::sound {

inline constexpr int ticksPerBeat = 480;
inline constexpr int drumChannel = 9;  // channel 10 as musicians count

// One sounding note: it starts at startTick and is released lengthTicks later.
struct MidiNote {
    int startTick;
    int lengthTicks;
    int channel;   // 0..15
    int key;       // 0..127
    int velocity;  // 1..127
};

// The instrument and mix settings of one channel, sent before the first note.
struct ChannelVoice {
    int channel;
    int program;  // General MIDI program 0..127 (ignored on the drum channel)
    int volume;   // controller 7
    int pan;      // controller 10, 64 is the centre
    int reverb;   // controller 91
    int chorus;   // controller 93
};

struct MidiTune {
    std::string title;
    int beatsPerMinute = 120;
    int beatsPerBar = 4;
    std::vector<ChannelVoice> voices;
    std::vector<MidiNote> notes;
    int endTick = 0;  // the end of the tune; at least the last release
};

// The bytes of a format 0 Standard MIDI File. Every note gets its note-off; where two notes
// of the same key on the same channel overlap, the earlier one is released when the later
// one starts, so no note is ever left hanging.
std::string encodeMidiFile(const MidiTune& tune);

}  // namespace mediagen::sound
