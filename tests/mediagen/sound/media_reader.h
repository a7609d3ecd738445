// Readers the generator's tests use to look inside the files it writes: wave files, MIDI
// files and plain bytes, plus a scratch folder of the test's own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mediagen::testing {

std::string readFileBytes(const std::filesystem::path& file);

// A folder under the current directory, unique to this test process, removed at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct WaveContents {
    bool valid = false;  // RIFF WAVE with "fmt " and "data" chunks
    int formatTag = 0;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<std::int16_t> samples;  // interleaved, when 16-bit

    double seconds() const;
};

WaveContents parseWave(const std::string& bytes);

struct MidiNoteSpan {
    long startTick;
    long endTick;
    int channel;
    int key;
};

struct MidiContents {
    bool valid = false;  // header and every track chunk well formed
    int format = -1;
    int ticksPerBeat = 0;
    int microsecondsPerBeat = 500000;  // the first tempo event, or the default
    long lastTick = 0;                 // end of track, the latest over all tracks
    bool everyTrackEnds = false;       // each track closes with an end-of-track event
    std::vector<MidiNoteSpan> notes;   // note-ons matched with their note-offs
    int unmatchedNoteOns = 0;          // still sounding when their track ended
    int unmatchedNoteOffs = 0;         // a note-off with no sounding note
    std::vector<int> programs;         // programs chosen (channel * 128 + program)

    double seconds() const;
};

MidiContents parseMidi(const std::string& bytes);

}  // namespace mediagen::testing
