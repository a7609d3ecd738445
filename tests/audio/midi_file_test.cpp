// Music files the tests write themselves, turned into what the synthesiser plays.
#include "audio/midi_file.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/audio/test_files.h"

namespace {

using namespace audio_test;

// A track's events as written: each a delta time (below 128 ticks) and its bytes.
Bytes track(std::initializer_list<Bytes> events) {
    Bytes body;
    for (const Bytes& event : events) {
        body.insert(body.end(), event.begin(), event.end());
    }
    Bytes chunk;
    appendId(chunk, "MTrk");
    appendBe(chunk, static_cast<std::uint32_t>(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

Bytes midiFile(std::uint16_t format, std::initializer_list<Bytes> tracks,
               std::uint16_t division = 96) {
    Bytes file;
    appendId(file, "MThd");
    appendBe(file, 6, 4);
    appendBe(file, format, 2);
    appendBe(file, static_cast<std::uint32_t>(tracks.size()), 2);
    appendBe(file, division, 2);
    for (const Bytes& t : tracks) {
        file.insert(file.end(), t.begin(), t.end());
    }
    return file;
}

Bytes rmid(std::initializer_list<Bytes> chunks) {
    Bytes form;
    appendId(form, "RMID");
    for (const Bytes& c : chunks) {
        form.insert(form.end(), c.begin(), c.end());
    }
    return chunk("RIFF", form);
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

// One event of a played file: when it comes, in ticks from the start, and its bytes from the
// status byte on.
struct TimedEvent {
    std::uint32_t tick;
    Bytes bytes;
    bool operator==(const TimedEvent&) const = default;
};

void PrintTo(const TimedEvent& event, std::ostream* out) {
    *out << event.tick << ":";
    for (std::uint8_t b : event.bytes) {
        *out << " " << std::hex << int{b} << std::dec;
    }
}

std::uint32_t readQuantity(const Bytes& bytes, std::size_t& at) {
    std::uint32_t value = 0;
    while (at < bytes.size()) {
        const std::uint8_t b = bytes[at++];
        value = value << 7 | (b & 0x7Fu);
        if ((b & 0x80) == 0) {
            break;
        }
    }
    return value;
}

// The one track of a format-0 file, each event with its own status byte.
std::vector<TimedEvent> eventsOfSingleTrack(const Bytes& file) {
    std::vector<TimedEvent> events;
    EXPECT_GE(file.size(), 22u);
    if (file.size() < 22) {
        return events;
    }
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 12),
              (Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1}));
    std::size_t at = 22;
    std::uint32_t tick = 0;
    while (at < file.size()) {
        tick += readQuantity(file, at);
        const std::size_t start = at;
        const std::uint8_t status = file[at++];
        if (status == 0xFF) {
            ++at;
            at += readQuantity(file, at);
        } else if (status == 0xF0 || status == 0xF7) {
            at += readQuantity(file, at);
        } else {
            EXPECT_NE(status & 0x80, 0) << "every event has its status byte";
            at += (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        }
        events.push_back(
            {tick, Bytes(file.begin() + static_cast<long>(start),
                         file.begin() + static_cast<long>(std::min(at, file.size())))});
    }
    return events;
}

TEST(PlayableMidi, FormatZeroAndOneFilesPlayAsTheyAre) {
    const Bytes single = midiTune({60, 64, 67}, 240);
    EXPECT_EQ(playableMidiFile(single), single);
    const Bytes together =
        midiFile(1, {track({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, kEnd}),
                     track({{0x00, 0x90, 60, 100}, {0x60, 0x80, 60, 0}, kEnd}),
                     track({{0x00, 0x91, 64, 100}, {0x60, 64, 0}, kEnd})});  // running status kept
    EXPECT_EQ(playableMidiFile(together), together);
}

TEST(PlayableMidi, ARiffMidiFileGivesTheFileInItsDataChunk) {
    const Bytes inner = midiFile(1, {track({{0x00, 0x90, 60, 100}, {0x30, 0x80, 60, 0}, kEnd}),
                                     track({{0x00, 0xC1, 5}, kEnd})});
    const Bytes info = chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'});  // odd: a pad byte follows
    EXPECT_EQ(playableMidiFile(rmid({chunk("data", inner)})), inner);
    EXPECT_EQ(playableMidiFile(rmid({info, chunk("data", inner), info})), inner);

    const Bytes format2 = midiFile(2, {track({{0x00, 0x90, 60, 100}, kEnd})});
    EXPECT_EQ(playableMidiFile(rmid({chunk("data", format2)})), playableMidiFile(format2))
        << "the wrapped file is played as its own format says";
}

TEST(PlayableMidi, FormatTwoPatternsPlayOneAfterAnother) {
    const Bytes patterns = midiFile(
        2, {
               // 96 ticks long: a note, then its end of track 32 ticks after the note ends.
               track({{0x00, 0x90, 60, 100}, {0x40, 0x80, 60, 0}, {0x20, 0xFF, 0x2F, 0x00}}),
               // Two notes in running status, a controller and a pitch bend; 50 ticks.
               track({{0x0A, 0x91, 62, 90},
                      {0x14, 62, 0},
                      {0x00, 0xB1, 7, 100},
                      {0x05, 0xE1, 0x00, 0x40},
                      {0x0F, 0xFF, 0x2F, 0x00}}),
               // A program change and a system-exclusive message.
               track({{0x00, 0xC2, 9}, {0x01, 0xF0, 0x03, 0x7E, 0x09, 0xF7}, kEnd}),
           });
    const Bytes played = playableMidiFile(patterns);
    ASSERT_TRUE(isCompleteMidiFile(played));
    EXPECT_EQ(played[12], 0);
    EXPECT_EQ(played[13], 96) << "the time division is kept";
    const std::vector<TimedEvent> expected = {
        {0, {0x90, 60, 100}},      {64, {0x80, 60, 0}},
        {106, {0x91, 62, 90}},     {126, {0x91, 62, 0}},
        {126, {0xB1, 7, 100}},     {131, {0xE1, 0x00, 0x40}},
        {146, {0xC2, 9}},          {147, {0xF0, 0x03, 0x7E, 0x09, 0xF7}},
        {147, {0xFF, 0x2F, 0x00}},
    };
    EXPECT_EQ(eventsOfSingleTrack(played), expected);
}

TEST(PlayableMidi, EachPatternAfterATempoChangeStartsAtTheDefaultTempo) {
    const Bytes patterns = midiFile(2, {track({{0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90},
                                               {0x00, 0x90, 60, 100},
                                               {0x10, 0x80, 60, 0},
                                               kEnd}),
                                        track({{0x08, 0x90, 61, 100}, kEnd})});
    const std::vector<TimedEvent> expected = {
        {0, {0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}},  {0, {0x90, 60, 100}},  {16, {0x80, 60, 0}},
        {16, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}}, {24, {0x90, 61, 100}}, {24, {0xFF, 0x2F, 0x00}},
    };
    EXPECT_EQ(eventsOfSingleTrack(playableMidiFile(patterns)), expected);
}

TEST(PlayableMidi, LongDeltaTimesAddUpAcrossPatterns) {
    // 0x81 0x00 is 128 ticks; the first pattern ends 200 ticks after its note.
    const Bytes patterns =
        midiFile(2, {track({{0x00, 0x90, 60, 100}, {0x81, 0x48, 0xFF, 0x2F, 0x00}}),
                     track({{0x81, 0x00, 0x90, 62, 100}, kEnd})});
    const std::vector<TimedEvent> events = eventsOfSingleTrack(playableMidiFile(patterns));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1], (TimedEvent{328, {0x90, 62, 100}}));
}

TEST(PlayableMidi, EverythingElseIsRefused) {
    const Bytes good = midiFile(2, {track({{0x00, 0x90, 60, 100}, kEnd})});
    Bytes cut = midiFile(1, {track({{0x00, 0x90, 60, 100}, kEnd})});
    cut.resize(cut.size() - 1);
    Bytes notRmid = rmid({chunk("data", good)});
    notRmid[11] = 'X';
    const Bytes refused[] = {
        {},
        cut,
        midiFile(3, {track({kEnd})}),
        rmid({chunk("LIST", Bytes{'I', 'N', 'F', 'O'})}),
        notRmid,
        // Format 2 with events that cannot be read exactly: running status with nothing to run
        // on, a status byte files never hold, a note cut short, a data byte with its top bit,
        // a delta time of five bytes, a meta event longer than its track.
        midiFile(2, {track({{0x00, 60, 100}, kEnd})}),
        midiFile(2, {track({{0x00, 0xF4}, kEnd})}),
        midiFile(2, {track({{0x00, 0x90, 60}})}),
        midiFile(2, {track({{0x00, 0x90, 60, 0xA0}, kEnd})}),
        midiFile(2, {track({{0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100}, kEnd})}),
        midiFile(2, {track({{0x00, 0xFF, 0x01, 0x40, 'a'}})}),
    };
    for (const Bytes& file : refused) {
        EXPECT_TRUE(playableMidiFile(file).empty()) << "file of " << file.size() << " bytes";
    }
    EXPECT_FALSE(playableMidiFile(good).empty());
}

// The programs chosen on melodic channels and the drum kits chosen on channel 10, whatever the
// track, with running status and other events between them.
TEST(PresetsPlayed, ProgramChangesChooseMelodicProgramsAndDrumKits) {
    const Bytes file =
        midiFile(1, {track({{0x00, 0xC2, 48}, {0x00, 0x90, 60, 100}, {0x00, 61, 100}, kEnd}),
                     track({{0x00, 0xF0, 0x01, 0xF7},
                            {0x00, 0xC9, 25},
                            {0x00, 26},
                            {0x00, 0xFF, 0x01, 0x00},
                            {0x00, 0xB0, 0x00, 0x01},
                            {0x00, 0xCF, 81},
                            kEnd})});
    PlayedPresets played;
    addPresetsPlayedBy(playableMidiFile(file), played);
    EXPECT_EQ(played.melodicPrograms, (std::set<std::uint8_t>{0, 48, 81}));
    EXPECT_EQ(played.drumKits, (std::set<std::uint8_t>{0, 25, 26}));

    // A track that cannot be read past a point gives what came before it; a file that cannot be
    // played adds nothing.
    PlayedPresets fromFaulty;
    addPresetsPlayedBy(midiFile(1, {track({{0x00, 0xC0, 5}, {0x00, 0xF4}, {0x00, 0xC0, 6}, kEnd})}),
                       fromFaulty);
    Bytes cut = file;
    cut.resize(cut.size() - 1);
    addPresetsPlayedBy(cut, fromFaulty);
    EXPECT_EQ(fromFaulty.melodicPrograms, (std::set<std::uint8_t>{0, 5}));
    EXPECT_EQ(fromFaulty.drumKits, (std::set<std::uint8_t>{0}));
}

}  // namespace
