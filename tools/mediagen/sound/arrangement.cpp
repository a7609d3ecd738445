#include "tools/mediagen/sound/arrangement.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

namespace mediagen::sound {

namespace {

constexpr double beatTolerance = 1e-6;

const std::map<std::string, std::vector<int>, std::less<>>& chordQualities() {
    static const std::map<std::string, std::vector<int>, std::less<>> qualities = {
        {"", {0, 4, 7}},       {"m", {0, 3, 7}},
        {"7", {0, 4, 7, 10}},  {"maj7", {0, 4, 7, 11}},
        {"m7", {0, 3, 7, 10}}, {"6", {0, 4, 7, 9}},
        {"m6", {0, 3, 7, 9}},  {"sus2", {0, 2, 7}},
        {"sus4", {0, 5, 7}},   {"7sus4", {0, 5, 7, 10}},
        {"dim", {0, 3, 6}},    {"add9", {0, 4, 7, 14}},
        {"5", {0, 7}},
    };
    return qualities;
}

// The text with every bar line standing apart as a token of its own.
std::string separateBarLines(std::string_view text) {
    std::string spaced;
    for (char c : text) {
        if (c == '|') {
            spaced += " | ";
        } else {
            spaced += c;
        }
    }
    return spaced;
}

// Pitch class of a note letter with an optional sharp or flat; advances pos past it.
int readPitchClass(std::string_view text, std::size_t& pos) {
    static constexpr int letterClasses[] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos])));
    if (letter < 'a' || letter > 'g') {
        throw std::invalid_argument("not a note letter: " + std::string(text));
    }
    int pitchClass = letterClasses[letter - 'a'];
    ++pos;
    if (pos < text.size() && text[pos] == '#') {
        ++pitchClass;
        ++pos;
    } else if (pos < text.size() && text[pos] == 'b') {
        --pitchClass;
        ++pos;
    }
    return (pitchClass + 12) % 12;
}

double readLength(std::string_view token, std::size_t pos) {
    if (pos >= token.size()) {
        throw std::invalid_argument("note without a length: " + std::string(token));
    }
    double beats = 0.0;
    switch (token[pos]) {
        case 'w':
            beats = 4.0;
            break;
        case 'h':
            beats = 2.0;
            break;
        case 'q':
            beats = 1.0;
            break;
        case 'e':
            beats = 0.5;
            break;
        case 's':
            beats = 0.25;
            break;
        default:
            throw std::invalid_argument("unknown note length: " + std::string(token));
    }
    if (pos + 1 < token.size()) {
        if (token.substr(pos + 1) != ".") {
            throw std::invalid_argument("unknown note length: " + std::string(token));
        }
        beats *= 1.5;
    }
    return beats;
}

MelodyNote readNote(std::string_view token, double startBeat) {
    if (token[0] == 'r') {
        return {startBeat, readLength(token, 1), -1};
    }
    std::size_t pos = 0;
    const int pitchClass = readPitchClass(token, pos);
    if (pos >= token.size() || !std::isdigit(static_cast<unsigned char>(token[pos]))) {
        throw std::invalid_argument("note without an octave: " + std::string(token));
    }
    const int octave = token[pos] - '0';
    return {startBeat, readLength(token, pos + 1), 12 * (octave + 1) + pitchClass};
}

// The tone of the chord that a bass step asks for, as semitones above the root.
int bassInterval(const Chord& chord, BassTone tone) {
    const auto has = [&](int interval) {
        return std::find(chord.intervals.begin(), chord.intervals.end(), interval) !=
               chord.intervals.end();
    };
    switch (tone) {
        case BassTone::root:
            return 0;
        case BassTone::octave:
            return 12;
        case BassTone::fifth:
            return has(6) ? 6 : 7;
        case BassTone::third:
            return has(3) ? 3 : (has(4) ? 4 : 7);
        case BassTone::seventh:
            return has(10) ? 10 : (has(11) ? 11 : 12);
    }
    return 0;
}

// A small, repeatable variation of loudness, so repeated notes do not sound mechanical.
int humanise(int velocity, int tick, int key) {
    std::uint32_t hash = static_cast<std::uint32_t>(tick) * 2654435761u;
    hash ^= static_cast<std::uint32_t>(key) * 40503u;
    hash ^= hash >> 13;
    const int spread = static_cast<int>(hash % 7) - 3;
    return std::clamp(velocity + spread, 1, 127);
}

void addNote(MidiTune& tune, int channel, double startBeat, double beats, int key, int velocity) {
    const int start = beatTick(startBeat);
    const int length = std::max(1, beatTick(startBeat + beats) - start);
    tune.notes.push_back(
        {start, length, channel, std::clamp(key, 0, 127), humanise(velocity, start, key)});
    tune.endTick = std::max(tune.endTick, start + length);
}

}  // namespace

int beatTick(double beat) {
    return static_cast<int>(std::lround(beat * ticksPerBeat));
}

std::vector<Chord> parseChords(std::string_view text) {
    std::vector<Chord> chords;
    std::istringstream tokens{separateBarLines(text)};
    std::string token;
    while (tokens >> token) {
        if (token == "|") {
            continue;
        }
        const auto colon = token.find(':');
        if (colon == std::string::npos || colon == 0) {
            throw std::invalid_argument("chord without a length: " + token);
        }
        std::size_t pos = 0;
        const std::string name = token.substr(0, colon);
        const int root = readPitchClass(name, pos);
        const auto quality = chordQualities().find(std::string_view(name).substr(pos));
        if (quality == chordQualities().end()) {
            throw std::invalid_argument("unknown chord: " + token);
        }
        const double beats = std::stod(token.substr(colon + 1));
        if (beats <= 0.0) {
            throw std::invalid_argument("chord without a length: " + token);
        }
        chords.push_back({root, quality->second, beats});
    }
    return chords;
}

std::vector<MelodyNote> parseMelody(std::string_view text, int beatsPerBar) {
    std::vector<MelodyNote> melody;
    std::istringstream tokens{separateBarLines(text)};
    std::string token;
    double beat = 0.0;
    double barStart = 0.0;
    while (tokens >> token) {
        if (token == "|") {
            if (std::fabs(beat - barStart - beatsPerBar) > beatTolerance) {
                throw std::invalid_argument("a bar of the wrong length before beat " +
                                            std::to_string(beat) + " in: " + std::string(text));
            }
            barStart = beat;
            continue;
        }
        const MelodyNote note = readNote(token, beat);
        melody.push_back(note);
        beat += note.beats;
    }
    return melody;
}

std::vector<Chord> transposeChords(std::vector<Chord> chords, int semitones) {
    for (Chord& chord : chords) {
        chord.root = ((chord.root + semitones) % 12 + 12) % 12;
    }
    return chords;
}

double lengthInBeats(const std::vector<Chord>& chords) {
    double beats = 0.0;
    for (const Chord& chord : chords) {
        beats += chord.beats;
    }
    return beats;
}

double lengthInBeats(const std::vector<MelodyNote>& melody) {
    return melody.empty() ? 0.0 : melody.back().startBeat + melody.back().beats;
}

std::vector<int> voiceChord(const Chord& chord, int centreKey) {
    std::vector<int> keys;
    for (int interval : chord.intervals) {
        const int pitchClass = (chord.root + interval) % 12;
        int key = centreKey - 6 + ((pitchClass - (centreKey - 6)) % 12 + 12) % 12;
        keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

void placeMelody(MidiTune& tune, const PartPlacement& where, const std::vector<MelodyNote>& melody,
                 int transpose, double articulation) {
    for (const MelodyNote& note : melody) {
        if (note.key < 0) {
            continue;
        }
        const bool onBeat = std::fabs(note.startBeat - std::round(note.startBeat)) < beatTolerance;
        addNote(tune, where.channel, where.atBeat + note.startBeat, note.beats * articulation,
                note.key + transpose, where.velocity + (onBeat ? 6 : 0));
    }
}

void placePad(MidiTune& tune, const PartPlacement& where, const std::vector<Chord>& chords,
              int centreKey) {
    double beat = where.atBeat;
    for (const Chord& chord : chords) {
        for (int key : voiceChord(chord, centreKey)) {
            addNote(tune, where.channel, beat, chord.beats, key, where.velocity);
        }
        beat += chord.beats;
    }
}

void placeBrokenChords(MidiTune& tune, const PartPlacement& where, const std::vector<Chord>& chords,
                       int centreKey, double stepBeats, const std::vector<int>& pattern,
                       int ringSteps) {
    double chordStart = where.atBeat;
    std::size_t step = 0;
    for (const Chord& chord : chords) {
        const std::vector<int> tones = voiceChord(chord, centreKey);
        const double chordEnd = chordStart + chord.beats;
        for (double beat = chordStart; beat < chordEnd - beatTolerance; beat += stepBeats) {
            const int index = pattern[step++ % pattern.size()];
            const int count = static_cast<int>(tones.size());
            const int key = tones[index % count] + 12 * (index / count);
            const double beats = std::min(stepBeats * ringSteps, chordEnd - beat);
            const bool onBeat = std::fabs(beat - std::round(beat)) < beatTolerance;
            addNote(tune, where.channel, beat, beats, key, where.velocity + (onBeat ? 8 : 0));
        }
        chordStart = chordEnd;
    }
}

void placeBass(MidiTune& tune, const PartPlacement& where, const std::vector<Chord>& chords,
               int lowestKey, double patternBeats, const std::vector<BassStep>& pattern) {
    double chordStart = where.atBeat;
    for (const Chord& chord : chords) {
        const int rootKey = lowestKey + ((chord.root - lowestKey) % 12 + 12) % 12;
        for (double cycle = 0.0; cycle < chord.beats - beatTolerance; cycle += patternBeats) {
            for (const BassStep& step : pattern) {
                const double offset = cycle + step.beat;
                if (offset >= chord.beats - beatTolerance) {
                    continue;
                }
                const double beats = std::min(step.beats, chord.beats - offset);
                addNote(tune, where.channel, chordStart + offset, beats,
                        rootKey + bassInterval(chord, step.tone), where.velocity + step.accent);
            }
        }
        chordStart += chord.beats;
    }
}

void placeDrums(MidiTune& tune, double atBeat, double beats, int velocity,
                const std::vector<DrumLane>& groove) {
    constexpr double stepBeats = 0.25;
    const int steps = static_cast<int>(std::lround(beats / stepBeats));
    for (const DrumLane& lane : groove) {
        for (int i = 0; i < steps; ++i) {
            const char mark = lane.steps[static_cast<std::size_t>(i) % lane.steps.size()];
            const int strength = mark == 'X' ? 24 : mark == 'x' ? 0 : mark == 'o' ? -30 : -999;
            if (strength > -999) {
                addNote(tune, drumChannel, atBeat + i * stepBeats, stepBeats, lane.key,
                        velocity + strength);
            }
        }
    }
}

void placeHit(MidiTune& tune, double atBeat, int key, int velocity) {
    addNote(tune, drumChannel, atBeat, 0.5, key, velocity);
}

}  // namespace mediagen::sound
