#include "tools/mediagen/sound/midi_file.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

namespace mediagen::sound {

namespace {

enum class EventOrder { setup = 0, noteOff = 1, noteOn = 2, end = 3 };

struct TrackEvent {
    int tick;
    EventOrder order;
    std::string bytes;
};

std::string bigEndian(std::uint32_t value, int byteCount) {
    std::string bytes;
    for (int i = byteCount - 1; i >= 0; --i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return bytes;
}

std::string variableLength(std::uint32_t value) {
    std::string bytes(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) {
        bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    }
    return bytes;
}

char dataByte(int value) {
    return static_cast<char>(std::clamp(value, 0, 127));
}

std::string channelMessage(int status, int channel, int first, int second) {
    return {static_cast<char>(status | (channel & 0x0F)), dataByte(first), dataByte(second)};
}

std::string metaEvent(int type, const std::string& data) {
    return std::string{static_cast<char>(0xFF), static_cast<char>(type)} +
           variableLength(static_cast<std::uint32_t>(data.size())) + data;
}

// Notes of one key on one channel must not overlap, or a note-off would end the wrong note.
std::vector<MidiNote> separateOverlaps(std::vector<MidiNote> notes) {
    std::stable_sort(notes.begin(), notes.end(), [](const MidiNote& a, const MidiNote& b) {
        return std::tie(a.channel, a.key, a.startTick) < std::tie(b.channel, b.key, b.startTick);
    });
    std::vector<MidiNote> kept;
    for (const MidiNote& note : notes) {
        if (note.lengthTicks <= 0) {
            continue;
        }
        if (!kept.empty()) {
            MidiNote& previous = kept.back();
            const bool sameVoice = previous.channel == note.channel && previous.key == note.key;
            if (sameVoice && previous.startTick + previous.lengthTicks > note.startTick) {
                previous.lengthTicks = note.startTick - previous.startTick;
                if (previous.lengthTicks <= 0) {
                    kept.pop_back();
                }
            }
        }
        kept.push_back(note);
    }
    return kept;
}

std::vector<TrackEvent> setupEvents(const MidiTune& tune) {
    const std::uint32_t microsecondsPerBeat = 60000000u / tune.beatsPerMinute;
    const std::string generalMidiOn = {static_cast<char>(0xF0), 0x05, 0x7E, 0x7F, 0x09, 0x01,
                                       static_cast<char>(0xF7)};
    std::vector<TrackEvent> events = {
        {0, EventOrder::setup, metaEvent(0x03, tune.title)},
        {0, EventOrder::setup, generalMidiOn},
        {0, EventOrder::setup, metaEvent(0x51, bigEndian(microsecondsPerBeat, 3))},
        {0, EventOrder::setup, metaEvent(0x58, {static_cast<char>(tune.beatsPerBar), 2, 24, 8})},
    };
    for (const ChannelVoice& voice : tune.voices) {
        if (voice.channel != drumChannel) {
            events.push_back(
                {0, EventOrder::setup,
                 std::string{static_cast<char>(0xC0 | voice.channel), dataByte(voice.program)}});
        }
        events.push_back(
            {0, EventOrder::setup, channelMessage(0xB0, voice.channel, 7, voice.volume)});
        events.push_back(
            {0, EventOrder::setup, channelMessage(0xB0, voice.channel, 10, voice.pan)});
        events.push_back(
            {0, EventOrder::setup, channelMessage(0xB0, voice.channel, 91, voice.reverb)});
        events.push_back(
            {0, EventOrder::setup, channelMessage(0xB0, voice.channel, 93, voice.chorus)});
    }
    return events;
}

}  // namespace

std::string encodeMidiFile(const MidiTune& tune) {
    std::vector<TrackEvent> events = setupEvents(tune);
    int lastTick = 0;
    for (const MidiNote& note : separateOverlaps(tune.notes)) {
        const int releaseTick = note.startTick + note.lengthTicks;
        events.push_back(
            {note.startTick, EventOrder::noteOn,
             channelMessage(0x90, note.channel, note.key, std::max(1, note.velocity))});
        events.push_back(
            {releaseTick, EventOrder::noteOff, channelMessage(0x80, note.channel, note.key, 64)});
        lastTick = std::max(lastTick, releaseTick);
    }
    events.push_back({std::max(lastTick, tune.endTick), EventOrder::end, metaEvent(0x2F, "")});
    std::stable_sort(events.begin(), events.end(), [](const TrackEvent& a, const TrackEvent& b) {
        return std::make_pair(a.tick, a.order) < std::make_pair(b.tick, b.order);
    });

    std::string track;
    int previousTick = 0;
    for (const TrackEvent& event : events) {
        track += variableLength(static_cast<std::uint32_t>(event.tick - previousTick));
        track += event.bytes;
        previousTick = event.tick;
    }
    std::string file =
        "MThd" + bigEndian(6, 4) + bigEndian(0, 2) + bigEndian(1, 2) + bigEndian(ticksPerBeat, 2);
    file += "MTrk" + bigEndian(static_cast<std::uint32_t>(track.size()), 4) + track;
    return file;
}

}  // namespace mediagen::sound
