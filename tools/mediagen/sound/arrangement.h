// Writing music for the game's tunes: melodies and chord progressions in a short text
// notation, and the parts that a band plays over a progression (pads, broken chords, bass
// lines, drum grooves), all placed into a MidiTune at a given beat.
#pragma once

#include <string_view>
#include <vector>

#include "tools/mediagen/sound/midi_file.h"

namespace mediagen::sound {

// A chord of the progression: its root (pitch class, 0 is C), the intervals of its tones
// above the root (the root itself included as 0), and how many beats it lasts.
struct Chord {
    int root;
    std::vector<int> intervals;
    double beats;
};

// A note of a melody; key -1 is a rest.
struct MelodyNote {
    double startBeat;
    double beats;
    int key;
};

// "Fmaj7:4 Dm7:2 G7:2": chord names (root, optional # or b, then one of "", m, 7, maj7, m7,
// 6, m6, sus2, sus4, 7sus4, dim, add9, 5) with their length in beats.
// Throws std::invalid_argument on a name or length it does not know.
std::vector<Chord> parseChords(std::string_view text);

// "c5q. a4e | bb4h r h": notes as letter, optional # or b, octave (4 holds middle C), then
// length w, h, q, e or s, optionally dotted; r and a length is a rest. A "|" marks a bar line:
// every bar must hold exactly beatsPerBar beats, or std::invalid_argument is thrown.
std::vector<MelodyNote> parseMelody(std::string_view text, int beatsPerBar);

// The same chords, every root moved by the given number of semitones.
std::vector<Chord> transposeChords(std::vector<Chord> chords, int semitones);

// Total length of chords or of a melody, in beats.
double lengthInBeats(const std::vector<Chord>& chords);
double lengthInBeats(const std::vector<MelodyNote>& melody);

// The chord's tones placed closest to centreKey (within half an octave each way), low to high,
// so consecutive chords move by small steps.
std::vector<int> voiceChord(const Chord& chord, int centreKey);

// How a part is played: where it goes and how loud.
struct PartPlacement {
    int channel;
    double atBeat;
    int velocity;
};

// The melody, shifted by transpose semitones; articulation is the sounding fraction of each
// note's length (1 is fully legato).
void placeMelody(MidiTune& tune, const PartPlacement& where, const std::vector<MelodyNote>& melody,
                 int transpose, double articulation);

// Each chord held for its whole length, voiced around centreKey.
void placePad(MidiTune& tune, const PartPlacement& where, const std::vector<Chord>& chords,
              int centreKey);

// Broken chords: every stepBeats the next tone of the pattern, where 0 is the lowest tone of
// the voicing, 1 the next, and so on (indices past the top repeat an octave higher).
// Each tone rings for ringSteps steps, but never past the end of its chord.
void placeBrokenChords(MidiTune& tune, const PartPlacement& where, const std::vector<Chord>& chords,
                       int centreKey, double stepBeats, const std::vector<int>& pattern,
                       int ringSteps);

// Which chord tone a bass note plays.
enum class BassTone { root, fifth, octave, third, seventh };

struct BassStep {
    double beat;  // within the pattern
    double beats;
    BassTone tone;
    int accent;  // added to the part's velocity
};

// A bass line: the pattern (patternBeats long) repeats from the start of every chord and
// is cut at the chord's end; roots lie in lowestKey .. lowestKey + 11.
void placeBass(MidiTune& tune, const PartPlacement& where, const std::vector<Chord>& chords,
               int lowestKey, double patternBeats, const std::vector<BassStep>& pattern);

// One drum of a groove: a General MIDI drum key and its steps, one character per sixteenth
// note: '.' silent, 'o' soft, 'x' normal, 'X' accented.
struct DrumLane {
    int key;
    std::string_view steps;
};

// Plays the groove on the drum channel (its steps repeat) for the given number of beats.
void placeDrums(MidiTune& tune, double atBeat, double beats, int velocity,
                const std::vector<DrumLane>& groove);

// One drum hit.
void placeHit(MidiTune& tune, double atBeat, int key, int velocity);

// Beats to ticks.
int beatTick(double beat);

}  // namespace mediagen::sound
