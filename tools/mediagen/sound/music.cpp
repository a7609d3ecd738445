// The game's four tunes: a calm menu tune and three upbeat game tunes, each ending cleanly
// so the game can start the next one. The menu tune and the first game tune are our own;
// the second and third arrange public-domain melodies by Beethoven and Grieg.
#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "tools/mediagen/media_parts.h"
#include "tools/mediagen/sound/arrangement.h"
#include "tools/mediagen/sound/synth.h"

namespace mediagen {

namespace {

using sound::BassStep;
using sound::BassTone;
using sound::DrumLane;
using sound::MidiTune;
using sound::parseChords;
using sound::parseMelody;
using sound::PartPlacement;

// General MIDI programs (numbered from 0) and drum keys used by the tunes.
namespace program {
constexpr int grandPiano = 0;
constexpr int electricPiano = 4;
constexpr int vibraphone = 11;
constexpr int acousticBass = 32;
constexpr int fingeredBass = 33;
constexpr int synthBass = 38;
constexpr int strings = 48;
constexpr int squareLead = 80;
constexpr int sawLead = 81;
constexpr int warmPad = 89;
constexpr int polySynthPad = 90;
}  // namespace program

namespace drum {
constexpr int kick = 36;
constexpr int sideStick = 37;
constexpr int snare = 38;
constexpr int clap = 39;
constexpr int closedHat = 42;
constexpr int openHat = 46;
constexpr int crash = 49;
constexpr int ride = 51;
}  // namespace drum

constexpr int beatsPerBar = 4;
constexpr double bar = beatsPerBar;

// ---------------------------------------------------------------------------------------
// Menu: "Evening Well", F major, 96 beats a minute. Electric piano over a warm pad.

MidiTune menuTune() {
    enum Channel { melody = 0, comp = 1, pad = 2, bass = 3, vibes = 4 };
    MidiTune tune;
    tune.title = "Kolvane: Evening Well (menu)";
    tune.beatsPerMinute = 96;
    tune.voices = {{melody, program::electricPiano, 120, 60, 60, 20},
                   {comp, program::electricPiano, 100, 72, 60, 30},
                   {pad, program::warmPad, 96, 54, 70, 40},
                   {bass, program::fingeredBass, 112, 64, 30, 0},
                   {vibes, program::vibraphone, 90, 84, 70, 20},
                   {sound::drumChannel, 0, 90, 64, 50, 0}};

    const auto intro = parseChords("Fmaj7:4 Bbmaj7:4 Fmaj7:4 C7sus4:2 C7:2");
    const auto verse =
        parseChords("Fmaj7:4 Dm7:4 Bbmaj7:4 C7sus4:2 C7:2 Fmaj7:4 Am7:4 Bbmaj7:4 Gm7:2 C7:2");
    const auto bridge =
        parseChords("Dm7:4 Am7:4 Bbmaj7:4 Fmaj7:4 Gm7:4 Am7:4 Bbmaj7:4 Csus4:2 C:2");
    const auto ending = parseChords("Bbmaj7:4 C7sus4:4 Fmaj7:8");

    const auto verseTune = parseMelody(
        "c5q. a4e c5q e5q | f5h. e5e d5e | d5q. c5e d5q f5q | g5q. f5e g5q e5q |"
        "c5q. a4e c5q a5q | g5h. e5e c5e | d5q. f5e a5q f5q | g5q f5q e5h |",
        beatsPerBar);
    const auto verseAnswer = parseMelody(
        "c5q. a4e c5q e5q | f5q. e5e f5q a5q | bb5h. a5e f5e | g5q. f5e e5h |"
        "a5q. g5e f5q c5q | e5h. g5e e5e | d5q. c5e d5q bb4q | g4q bb4q c5h |",
        beatsPerBar);
    const auto bridgeTune = parseMelody(
        "d5e f5e a5e c6e a5h | e5e g5e c6e g5e e5h | f5e a5e d6e a5e f5q d5q | e5h. c5q |"
        "bb4e d5e f5e a5e g5h | c5e e5e g5e a5e e5h | f5q. d5e f5q a5q | g5h. e5q |",
        beatsPerBar);
    const auto endingTune =
        parseMelody("d5q. c5e d5q f5q | g5h. f5q | c5q a4q c5q e5q | f5w |", beatsPerBar);

    const std::vector<int> gentleBrokenChord = {0, 1, 2, 3, 2, 3, 1, 2};
    const std::vector<BassStep> walk = {{0.0, 1.9, BassTone::root, 6},
                                        {2.0, 1.0, BassTone::fifth, -6},
                                        {3.0, 0.9, BassTone::octave, -10}};
    const std::vector<DrumLane> brushGroove = {{drum::kick, "x.......x......."},
                                               {drum::sideStick, "....x.......x..."},
                                               {drum::closedHat, "o.o.o.o.o.o.o.o."}};

    double beat = 0.0;
    const auto accompany = [&](const std::vector<sound::Chord>& chords, bool withDrums) {
        const double beats = sound::lengthInBeats(chords);
        sound::placePad(tune, {pad, beat, 56}, chords, 62);
        sound::placeBrokenChords(tune, {comp, beat, 60}, chords, 60, 0.5, gentleBrokenChord, 3);
        sound::placeBass(tune, {bass, beat, 86}, chords, 36, 4.0, walk);
        if (withDrums) {
            sound::placeDrums(tune, beat, beats, 78, brushGroove);
        }
        beat += beats;
    };
    const auto sing = [&](const std::vector<sound::MelodyNote>& line, bool withVibes) {
        sound::placeMelody(tune, {melody, beat, 94}, line, 0, 0.95);
        if (withVibes) {
            sound::placeMelody(tune, {vibes, beat, 52}, line, -12, 0.9);
        }
    };

    accompany(intro, false);
    sing(verseTune, false);
    accompany(verse, true);
    sing(verseAnswer, false);
    accompany(verse, true);
    sing(bridgeTune, true);
    accompany(bridge, true);
    sing(verseTune, true);
    accompany(verse, true);
    sing(endingTune, false);
    accompany(ending, false);
    tune.endTick = sound::beatTick(beat + 1.0);
    return tune;
}

// ---------------------------------------------------------------------------------------
// Game tune 1: "Neon Drop", A minor, 128 beats a minute. Saw lead, synth bass and drums.

MidiTune neonDropTune() {
    enum Channel { lead = 0, square = 1, pad = 2, bass = 3 };
    MidiTune tune;
    tune.title = "Kolvane: Neon Drop (game 1)";
    tune.beatsPerMinute = 128;
    tune.voices = {{lead, program::sawLead, 92, 64, 40, 30},
                   {square, program::squareLead, 70, 40, 40, 20},
                   {pad, program::polySynthPad, 70, 88, 60, 50},
                   {bass, program::synthBass, 100, 64, 10, 0},
                   {sound::drumChannel, 0, 100, 64, 30, 0}};

    const auto loop = parseChords("Am:4 F:4 C:4 G:4");
    const auto verse = parseChords("Am:4 F:4 C:4 G:4 Am:4 F:4 C:4 G:4");
    const auto chorus = parseChords("F:4 G:4 Em:4 Am:4 F:4 G:4 Esus4:4 E:4");
    const auto ending = parseChords("F:4 G:4 Am:4");

    const auto verseTune = parseMelody(
        "a5q. e5e a5e b5e c6q | c6e a5e f5q. e5e f5q | g5q. e5e g5e a5e g5q | d5q g5q b5q a5e g5e |"
        "a5q. e5e a5e b5e c6q | d6e c6e a5q. f5e a5q | g5e e5e c5e e5e g5q c6q | b5q. a5e b5q d6q "
        "|",
        beatsPerBar);
    const auto chorusTune = parseMelody(
        "c6h. a5q | b5h d6q b5q | g5q. e5e b4q e5q | c5q. e5e a5h |"
        "c6q. a5e f5q a5q | d6q. b5e g5q b5q | a5h b5q a5q | g#5q. e5e g#5q b5q |",
        beatsPerBar);
    const auto endingTune = parseMelody("a5q c6q f6q c6q | d6q b5q g5q b5q | a5w |", beatsPerBar);

    const std::vector<BassStep> pulse = {
        {0.0, 0.45, BassTone::root, 12},  {0.5, 0.45, BassTone::root, -4},
        {1.0, 0.45, BassTone::octave, 4}, {1.5, 0.45, BassTone::root, -4},
        {2.0, 0.45, BassTone::root, 8},   {2.5, 0.45, BassTone::root, -4},
        {3.0, 0.45, BassTone::octave, 4}, {3.5, 0.45, BassTone::fifth, -2}};
    const std::vector<DrumLane> groove = {{drum::kick, "x...x...x...x..."},
                                          {drum::snare, "....X.......X..."},
                                          {drum::closedHat, "x.o.x.o.x.o.x.o."},
                                          {drum::openHat, "..............................x."}};
    const std::vector<DrumLane> fill = {{drum::kick, "x...x...x...x..."},
                                        {drum::snare, "....X.......xxxX"},
                                        {drum::closedHat, "x.o.x.o.x.o....."}};
    const std::vector<DrumLane> breakGroove = {{drum::kick, "x.......x......."},
                                               {drum::clap, "............x..."},
                                               {drum::closedHat, "..x...x...x...x."}};
    const std::vector<int> rising = {0, 1, 2, 3, 4, 3, 2, 1};

    double beat = 0.0;
    const auto band = [&](const std::vector<sound::Chord>& chords, bool fullDrums) {
        const double beats = sound::lengthInBeats(chords);
        sound::placePad(tune, {pad, beat, 50}, chords, 62);
        sound::placeBass(tune, {bass, beat, 92}, chords, 33, 4.0, pulse);
        sound::placeHit(tune, beat, drum::crash, 96);
        if (fullDrums) {
            sound::placeDrums(tune, beat, beats - bar, 92, groove);
            sound::placeDrums(tune, beat + beats - bar, bar, 92, fill);
        } else {
            sound::placeDrums(tune, beat, beats, 92, breakGroove);
        }
        beat += beats;
    };
    const auto sing = [&](const std::vector<sound::MelodyNote>& line, bool doubled) {
        sound::placeMelody(tune, {lead, beat, 92}, line, 0, 0.9);
        if (doubled) {
            sound::placeMelody(tune, {square, beat, 70}, line, -12, 0.8);
        }
    };
    const auto sparkle = [&](const std::vector<sound::Chord>& chords) {
        sound::placeBrokenChords(tune, {square, beat, 62}, chords, 69, 0.25, rising, 1);
    };

    band(loop, true);
    sing(verseTune, false);
    band(verse, true);
    sing(chorusTune, false);
    band(chorus, true);
    sing(verseTune, true);
    band(verse, true);
    sparkle(loop);
    band(loop, false);
    sing(chorusTune, true);
    band(chorus, true);
    sing(verseTune, false);
    sparkle(verse);
    band(verse, true);
    sing(endingTune, false);
    sound::placePad(tune, {pad, beat, 50}, ending, 62);
    sound::placeBass(tune, {bass, beat, 92}, parseChords("F:4 G:4 Am:4"), 33, 4.0, pulse);
    sound::placeDrums(tune, beat, 2 * bar, 92, groove);
    sound::placeHit(tune, beat + 2 * bar, drum::crash, 110);
    sound::placeHit(tune, beat + 2 * bar, drum::kick, 110);
    beat += sound::lengthInBeats(ending);
    tune.endTick = sound::beatTick(beat + 1.0);
    return tune;
}

// ---------------------------------------------------------------------------------------
// Game tune 2: Beethoven's "Ode to Joy" (Symphony No. 9), arranged for piano and strings,
// D major rising to E major, 132 beats a minute.

MidiTune odeToJoyTune() {
    enum Channel { piano = 0, strings = 1, comp = 2, bass = 3, violins = 4 };
    MidiTune tune;
    tune.title = "Kolvane: Ode to Joy (game 2), after L. van Beethoven";
    tune.beatsPerMinute = 132;
    tune.voices = {
        {piano, program::grandPiano, 110, 58, 45, 0}, {strings, program::strings, 60, 80, 60, 20},
        {comp, program::grandPiano, 84, 70, 45, 0},   {bass, program::acousticBass, 100, 64, 30, 0},
        {violins, program::strings, 96, 48, 60, 20},  {sound::drumChannel, 0, 90, 64, 35, 0}};

    const auto intro = parseChords("D:4 Bm:4 G:4 A7:4");
    const auto theme = parseChords(
        "D:4 A:4 D:4 D:2 A:2 D:4 A:4 D:4 A:2 D:2 A:2 D:2 A7:2 D:2 A7:2 Bm:2 E7:2 A:2 "
        "D:4 A:4 D:4 A:2 D:2");
    const auto turn = parseChords("B7:4");
    const auto ending = parseChords("E:4 B7:4 E:4");
    const auto melody = parseMelody(
        "f#4q f#4q g4q a4q | a4q g4q f#4q e4q | d4q d4q e4q f#4q | f#4q. e4e e4h |"
        "f#4q f#4q g4q a4q | a4q g4q f#4q e4q | d4q d4q e4q f#4q | e4q. d4e d4h |"
        "e4q e4q f#4q d4q | e4q f#4e g4e f#4q d4q | e4q f#4e g4e f#4q e4q | d4q e4q a3h |"
        "f#4q f#4q g4q a4q | a4q g4q f#4q e4q | d4q d4q e4q f#4q | e4q. d4e d4h |",
        beatsPerBar);
    const auto endingTune =
        parseMelody("e5q g#5q b5q g#5q | a5q f#5q d#5q b4q | e5w |", beatsPerBar);

    const std::vector<int> alberti = {0, 2, 1, 2};
    const std::vector<BassStep> twoFeel = {{0.0, 0.95, BassTone::root, 8},
                                           {1.0, 0.95, BassTone::fifth, -4}};
    const std::vector<DrumLane> soft = {{drum::kick, "x.......x......."},
                                        {drum::sideStick, "....o.......o..."}};
    const std::vector<DrumLane> pop = {{drum::kick, "x.....x.x......."},
                                       {drum::snare, "....x.......x..."},
                                       {drum::closedHat, "x.o.x.o.x.o.x.o."}};
    const std::vector<DrumLane> bright = {{drum::kick, "x.....x.x......."},
                                          {drum::snare, "....x.......x..."},
                                          {drum::ride, "x.o.x.o.x.o.x.o."}};
    const std::vector<DrumLane> fill = {{drum::kick, "x.......x......."},
                                        {drum::snare, "........xxxxXxXx"}};

    double beat = 0.0;
    const auto band = [&](const std::vector<sound::Chord>& chords,
                          const std::vector<DrumLane>& groove, bool broken) {
        const double beats = sound::lengthInBeats(chords);
        sound::placePad(tune, {strings, beat, 56}, chords, 62);
        sound::placeBass(tune, {bass, beat, 88}, chords, 38, 2.0, twoFeel);
        if (broken) {
            sound::placeBrokenChords(tune, {comp, beat, 56}, chords, 57, 0.5, alberti, 2);
        }
        sound::placeDrums(tune, beat, beats, 86, groove);
        beat += beats;
    };

    sound::placeBrokenChords(tune, {comp, beat, 60}, intro, 57, 0.5, alberti, 2);
    band(intro, soft, false);
    sound::placeHit(tune, beat, drum::crash, 80);
    sound::placeMelody(tune, {piano, beat, 88}, melody, 12, 0.92);
    band(theme, soft, true);
    sound::placeHit(tune, beat, drum::crash, 96);
    sound::placeMelody(tune, {violins, beat, 92}, melody, 12, 1.0);
    band(theme, pop, true);
    band(turn, fill, true);

    const auto raisedTheme = sound::transposeChords(theme, 2);
    sound::placeHit(tune, beat, drum::crash, 104);
    sound::placeMelody(tune, {piano, beat, 96}, melody, 14, 0.92);
    sound::placeMelody(tune, {violins, beat, 84}, melody, 2, 1.0);
    band(raisedTheme, bright, true);

    sound::placeMelody(tune, {piano, beat, 92}, endingTune, 0, 0.95);
    sound::placeMelody(tune, {violins, beat, 80}, endingTune, -12, 1.0);
    sound::placePad(tune, {strings, beat, 60}, ending, 62);
    sound::placeBass(tune, {bass, beat, 88}, parseChords("E:4 B7:4"), 38, 2.0, twoFeel);
    sound::placeBass(tune, {bass, beat + 2 * bar, 92}, parseChords("E:4"), 38, 4.0,
                     {{0.0, 4.0, BassTone::root, 0}});
    sound::placeDrums(tune, beat, 2 * bar, 86, bright);
    sound::placeHit(tune, beat + 2 * bar, drum::crash, 100);
    sound::placeHit(tune, beat + 2 * bar, drum::kick, 100);
    beat += sound::lengthInBeats(ending);
    tune.endTick = sound::beatTick(beat + 1.0);
    return tune;
}

// ---------------------------------------------------------------------------------------
// Game tune 3: Grieg's "In the Hall of the Mountain King" (Peer Gynt), arranged as a fast
// square-wave chiptune, B minor, 150 beats a minute.

MidiTune mountainKingTune() {
    enum Channel { lead = 0, arpeggio = 1, bass = 2, echo = 3 };
    MidiTune tune;
    tune.title = "Kolvane: Mountain King (game 3), after E. Grieg";
    tune.beatsPerMinute = 150;
    tune.voices = {{lead, program::squareLead, 92, 56, 25, 10},
                   {arpeggio, program::squareLead, 64, 84, 25, 10},
                   {bass, program::synthBass, 100, 64, 10, 0},
                   {echo, program::squareLead, 60, 36, 35, 10},
                   {sound::drumChannel, 0, 96, 64, 20, 0}};

    const auto theme = parseMelody(
        "b3e c#4e d4e e4e f#4e d4e f#4q | e#4e c#4e e#4q e4e c4e e4q |"
        "b3e c#4e d4e e4e f#4e d4e f#4e b4e | a4e f#4e d4e f#4e a4h |",
        beatsPerBar);
    const auto phrase = parseChords("Bm:4 C#:2 C:2 Bm:4 D:4");
    const auto coda = parseMelody(
        "b4q f#4q d4q f#4q | a#4q f#4q c#4q e4q | d4q b3q c#4q a#3q | b3h rh |", beatsPerBar);
    const auto codaChords = parseChords("Bm:4 F#7:4 Bm:2 F#7:2 Bm:4");

    const std::vector<BassStep> octaves = {{0.0, 0.45, BassTone::root, 10},
                                           {0.5, 0.45, BassTone::octave, -6}};
    const std::vector<DrumLane> light = {{drum::kick, "x.......x......."},
                                         {drum::closedHat, "x.x.x.x.x.x.x.x."}};
    const std::vector<DrumLane> driving = {{drum::kick, "x...x...x...x..."},
                                           {drum::snare, "....X.......X..."},
                                           {drum::closedHat, "xoxoxoxoxoxoxoxo"}};
    const std::vector<int> climb = {0, 1, 2, 3};

    double beat = 0.0;
    // The phrase twice (eight bars), `shift` semitones from B minor; the lead plays
    // leadShift higher still and, in a full section, the echo another echoShift above it.
    const auto section = [&](int shift, int leadShift, int echoShift, bool full) {
        for (int repeat = 0; repeat < 2; ++repeat) {
            const auto chords = sound::transposeChords(phrase, shift);
            const double beats = sound::lengthInBeats(chords);
            sound::placeMelody(tune, {lead, beat, 96}, theme, shift + leadShift, 0.85);
            sound::placeBass(tune, {bass, beat, 92}, chords, 35, 1.0, octaves);
            if (full) {
                sound::placeMelody(tune, {echo, beat, 70}, theme, shift + leadShift + echoShift,
                                   0.6);
                sound::placeBrokenChords(tune, {arpeggio, beat, 58}, chords, 66, 0.25, climb, 1);
                sound::placeDrums(tune, beat, beats, 92, driving);
            } else {
                sound::placeDrums(tune, beat, beats, 88, light);
            }
            beat += beats;
        }
    };

    sound::placeBass(tune, {bass, beat, 88}, parseChords("Bm:8"), 35, 1.0, octaves);
    sound::placeDrums(tune, beat, 2 * bar, 84, light);
    beat += 2 * bar;
    section(0, 12, 0, false);
    sound::placeHit(tune, beat, drum::crash, 100);
    section(0, 12, -12, true);
    section(7, 0, 0, false);
    sound::placeHit(tune, beat, drum::crash, 100);
    section(7, 12, -12, true);
    sound::placeHit(tune, beat, drum::crash, 110);
    section(0, 12, -12, true);
    sound::placeHit(tune, beat, drum::crash, 110);
    section(0, 12, 12, true);

    sound::placeMelody(tune, {lead, beat, 100}, coda, 12, 0.9);
    sound::placeMelody(tune, {echo, beat, 72}, coda, 0, 0.9);
    const auto codaHeld = parseChords("Bm:4 F#7:4 Bm:2 F#7:2");
    sound::placeBass(tune, {bass, beat, 92}, codaHeld, 35, 1.0, octaves);
    sound::placeBrokenChords(tune, {arpeggio, beat, 58}, codaHeld, 66, 0.25, climb, 1);
    sound::placeDrums(tune, beat, 3 * bar, 92, driving);
    const double lastHit = beat + 3 * bar;
    sound::placeBass(tune, {bass, lastHit, 100}, parseChords("Bm:2"), 35, 2.0,
                     {{0.0, 2.0, BassTone::root, 0}});
    sound::placePad(tune, {arpeggio, lastHit, 80}, parseChords("Bm:2"), 66);
    sound::placeHit(tune, lastHit, drum::crash, 112);
    sound::placeHit(tune, lastHit, drum::kick, 112);
    beat += sound::lengthInBeats(codaChords);
    tune.endTick = sound::beatTick(beat);
    return tune;
}

bool writeTune(const std::filesystem::path& file, MidiTune (*compose)()) {
    try {
        return sound::writeFileBytes(file, sound::encodeMidiFile(compose()));
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "mediagen: %s: %s\n", file.string().c_str(), error.what());
        return false;
    }
}

}  // namespace

bool writeMusic(const std::filesystem::path& runDir) {
    const std::filesystem::path folder = runDir / "Sound";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool ok = writeTune(folder / "music_m.mid", menuTune);
    ok = writeTune(folder / "music_1.mid", neonDropTune) && ok;
    ok = writeTune(folder / "music_2.mid", odeToJoyTune) && ok;
    ok = writeTune(folder / "music_3.mid", mountainKingTune) && ok;
    return ok;
}

}  // namespace mediagen
