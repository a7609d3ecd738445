// The four tunes: well-formed General MIDI files of the right length and character, with
// no hanging notes, that FluidSynth turns into music without gaps; and the notation and
// encoding they are written with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>

#include "tests/mediagen/sound/media_reader.h"
#include "tools/mediagen/media_parts.h"
#include "tools/mediagen/sound/arrangement.h"
#include "tools/mediagen/sound/midi_file.h"

namespace mediagen::testing {
namespace {

constexpr const char* tuneFiles[] = {"music_m.mid", "music_1.mid", "music_2.mid", "music_3.mid"};
constexpr int drumChannel = 9;

class Tunes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new ScratchFolder("tunes");
        written = writeMusic(folder->path());
    }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
    }
    static std::filesystem::path file(const char* name) { return folder->path() / "Sound" / name; }
    static MidiContents tune(const char* name) { return parseMidi(readFileBytes(file(name))); }
    static inline ScratchFolder* folder = nullptr;
    static inline bool written = false;
};

double beatsPerMinute(const MidiContents& midi) {
    return 60e6 / midi.microsecondsPerBeat;
}

TEST_F(Tunes, AreStandardMidiFilesWithEveryNoteReleased) {
    ASSERT_TRUE(written);
    for (const char* name : tuneFiles) {
        SCOPED_TRACE(name);
        const MidiContents midi = tune(name);
        ASSERT_TRUE(midi.valid);
        EXPECT_TRUE(midi.format == 0 || midi.format == 1);
        EXPECT_TRUE(midi.everyTrackEnds);
        EXPECT_GT(midi.notes.size(), 500u);
        EXPECT_EQ(midi.unmatchedNoteOns, 0);
        EXPECT_EQ(midi.unmatchedNoteOffs, 0);
        for (const MidiNoteSpan& note : midi.notes) {
            ASSERT_GT(note.endTick, note.startTick);
            ASSERT_LE(note.endTick, midi.lastTick);
        }
    }
}

TEST_F(Tunes, LastOneToThreeMinutes) {
    for (const char* name : tuneFiles) {
        SCOPED_TRACE(name);
        const double seconds = tune(name).seconds();
        EXPECT_GE(seconds, 60.0);
        EXPECT_LE(seconds, 180.0);
    }
}

TEST_F(Tunes, MenuIsCalmAndTheGameTunesAreUpbeatWithDrumsAndDiffer) {
    const MidiContents menu = tune("music_m.mid");
    EXPECT_GE(beatsPerMinute(menu), 90.0);
    EXPECT_LE(beatsPerMinute(menu), 100.0);
    std::set<int> tempos;
    std::set<std::set<int>> instrumentations;
    for (const char* name : {"music_1.mid", "music_2.mid", "music_3.mid"}) {
        SCOPED_TRACE(name);
        const MidiContents game = tune(name);
        EXPECT_GE(beatsPerMinute(game), 120.0);
        EXPECT_LE(beatsPerMinute(game), 150.0);
        tempos.insert(static_cast<int>(std::lround(beatsPerMinute(game))));
        const auto drums =
            std::count_if(game.notes.begin(), game.notes.end(),
                          [](const MidiNoteSpan& n) { return n.channel == drumChannel; });
        EXPECT_GT(drums, 100);
        std::set<int> programs;
        for (int choice : game.programs) {
            programs.insert(choice % 128);
        }
        instrumentations.insert(programs);
    }
    EXPECT_EQ(tempos.size(), 3u);
    EXPECT_EQ(instrumentations.size(), 3u);
}

// Renders each tune with FluidSynth and General MIDI sounds, as the game plays it.
TEST_F(Tunes, RenderWithFluidSynthToMusicWithoutGaps) {
    const std::filesystem::path soundFont = "/usr/share/sounds/sf2/default-GM.sf2";
    ASSERT_TRUE(std::filesystem::exists(soundFont)) << "install timgm6mb-soundfont";
    for (const char* name : tuneFiles) {
        SCOPED_TRACE(name);
        const std::filesystem::path rendered = folder->path() / (std::string(name) + ".wav");
        const std::string command = "fluidsynth -ni -F '" + rendered.string() + "' -r 44100 '" +
                                    soundFont.string() + "' '" + file(name).string() +
                                    "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const WaveContents audio = parseWave(readFileBytes(rendered));
        ASSERT_TRUE(audio.valid);
        ASSERT_EQ(audio.bitsPerSample, 16);
        EXPECT_GE(audio.seconds(), 60.0);
        EXPECT_LE(audio.seconds(), 180.0);

        // Every two seconds of the music itself carries sound, so no part falls silent.
        const MidiContents midi = tune(name);
        const double musicSeconds = midi.seconds() - 1.0;
        const auto window = static_cast<std::size_t>(2 * audio.sampleRate * audio.channels);
        const auto musicSamples =
            static_cast<std::size_t>(musicSeconds * audio.sampleRate * audio.channels);
        double quietest = 1e9;
        for (std::size_t start = 0; start + window <= musicSamples; start += window) {
            double energy = 0.0;
            for (std::size_t i = start; i < start + window; ++i) {
                energy += double(audio.samples[i]) * audio.samples[i];
            }
            quietest = std::min(quietest, std::sqrt(energy / window));
        }
        EXPECT_GT(quietest, 100.0) << "a stretch of two seconds is nearly silent";
    }
}

TEST(MusicNotation, ReadsNotesRestsAndDottedLengths) {
    const auto melody = sound::parseMelody("c4q. d4e e#4h | bb3w | rq f#5e g5e a5h |", 4);
    ASSERT_EQ(melody.size(), 8u);
    EXPECT_EQ(melody[0].key, 60);
    EXPECT_DOUBLE_EQ(melody[0].beats, 1.5);
    EXPECT_EQ(melody[1].key, 62);
    EXPECT_DOUBLE_EQ(melody[1].startBeat, 1.5);
    EXPECT_EQ(melody[2].key, 65);
    EXPECT_EQ(melody[3].key, 58);
    EXPECT_EQ(melody[4].key, -1);
    EXPECT_EQ(melody[5].key, 78);
    EXPECT_DOUBLE_EQ(sound::lengthInBeats(melody), 12.0);
}

TEST(MusicNotation, RejectsBarsOfTheWrongLengthAndUnknownNames) {
    EXPECT_THROW(sound::parseMelody("c4q d4q e4q | f4w |", 4), std::invalid_argument);
    EXPECT_THROW(sound::parseMelody("h4q", 4), std::invalid_argument);
    EXPECT_THROW(sound::parseMelody("c4x", 4), std::invalid_argument);
    EXPECT_THROW(sound::parseChords("Cxyz:4"), std::invalid_argument);
    EXPECT_THROW(sound::parseChords("C"), std::invalid_argument);
}

TEST(MusicNotation, ChordsAreVoicedCloseToTheirCentre) {
    const auto chords = sound::parseChords("Bbmaj7:4 F#m:2 C7sus4:2");
    ASSERT_EQ(chords.size(), 3u);
    EXPECT_EQ(chords[0].root, 10);
    EXPECT_EQ(chords[1].root, 6);
    EXPECT_EQ(chords[1].intervals, (std::vector<int>{0, 3, 7}));
    EXPECT_DOUBLE_EQ(sound::lengthInBeats(chords), 8.0);
    for (const auto& chord : chords) {
        const auto keys = sound::voiceChord(chord, 62);
        EXPECT_EQ(keys.size(), chord.intervals.size());
        for (int key : keys) {
            EXPECT_GE(key, 56);
            EXPECT_LT(key, 68);
        }
    }
    EXPECT_EQ(sound::transposeChords(chords, 7)[0].root, 5);
}

TEST(MidiEncoding, ReleasesOverlappingNotesOfOneKeyBeforeTheNextStarts) {
    sound::MidiTune tune;
    tune.title = "test";
    tune.beatsPerMinute = 100;
    tune.voices = {{0, 4, 100, 64, 40, 0}};
    tune.notes = {
        {0, 960, 0, 60, 90}, {480, 480, 0, 60, 90}, {480, 480, 0, 60, 80}, {0, 240, 9, 36, 100}};
    tune.endTick = 1920;
    const MidiContents midi = parseMidi(sound::encodeMidiFile(tune));
    ASSERT_TRUE(midi.valid);
    EXPECT_EQ(midi.format, 0);
    EXPECT_TRUE(midi.everyTrackEnds);
    EXPECT_EQ(midi.unmatchedNoteOns, 0);
    EXPECT_EQ(midi.unmatchedNoteOffs, 0);
    EXPECT_EQ(midi.notes.size(), 3u);
    EXPECT_EQ(midi.lastTick, 1920);
    EXPECT_EQ(midi.microsecondsPerBeat, 600000);
    EXPECT_EQ(midi.programs, (std::vector<int>{4}));
}

}  // namespace
}  // namespace mediagen::testing
