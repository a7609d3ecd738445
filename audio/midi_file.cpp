#include "audio/midi_file.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include "audio/byte_order.h"

namespace {

constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::uint32_t kMinHeaderBytes = 6;
constexpr std::size_t kFormTypeBytes = 4;

constexpr std::uint16_t kSingleTrack = 0;
constexpr std::uint16_t kSimultaneousTracks = 1;
constexpr std::uint16_t kSequentialPatterns = 2;

constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kDrumChannel = 9;  // channel 10 in General MIDI

constexpr std::uint8_t kMetaEvent = 0xFF;
constexpr std::uint8_t kEndOfTrack = 0x2F;
constexpr std::uint8_t kSetTempo = 0x51;
constexpr std::uint8_t kSystemExclusive = 0xF0;
constexpr std::uint8_t kSystemExclusiveGoOn = 0xF7;
constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds per quarter note: 120 a minute
constexpr std::uint32_t kLargestQuantity = 0x0FFFFFFF;  // four bytes of seven bits
constexpr int kMostQuantityBytes = 4;

// The MIDI file inside a RIFF "RMID" form: the body of its first "data" chunk, as much of it
// as the file holds; the bytes themselves for any other file; nothing for an RMID form
// without one.
std::optional<std::span<const std::uint8_t>> unwrapRiff(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kChunkHeaderBytes + kFormTypeBytes ||
        std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + kChunkHeaderBytes, "RMID", 4) != 0) {
        return bytes;
    }
    const std::uint64_t formEnd = std::min<std::uint64_t>(
        bytes.size(), kChunkHeaderBytes + std::uint64_t{readLe32(bytes.data() + 4)});
    std::uint64_t offset = kChunkHeaderBytes + kFormTypeBytes;
    while (offset + kChunkHeaderBytes <= formEnd) {
        const std::uint8_t* header = bytes.data() + offset;
        const std::uint32_t size = readLe32(header + 4);
        const std::uint64_t bodyStart = offset + kChunkHeaderBytes;
        if (std::memcmp(header, "data", 4) == 0) {
            return bytes.subspan(bodyStart,
                                 std::min<std::uint64_t>(size, bytes.size() - bodyStart));
        }
        offset = bodyStart + size + (size & 1u);
    }
    return std::nullopt;
}

// The "MTrk" chunks' bodies of a complete file, in order.
std::vector<std::span<const std::uint8_t>> trackBodies(std::span<const std::uint8_t> file) {
    std::vector<std::span<const std::uint8_t>> tracks;
    const std::uint16_t announced = readBe16(file.data() + kChunkHeaderBytes + 2);
    std::uint64_t offset = kChunkHeaderBytes + std::uint64_t{readBe32(file.data() + 4)};
    while (tracks.size() < announced) {
        const std::uint8_t* chunk = file.data() + offset;
        const std::uint32_t size = readBe32(chunk + 4);
        if (std::memcmp(chunk, "MTrk", 4) == 0) {
            tracks.push_back(file.subspan(offset + kChunkHeaderBytes, size));
        }
        offset += kChunkHeaderBytes + size;
    }
    return tracks;
}

void appendQuantity(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[kMostQuantityBytes];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && count < kMostQuantityBytes);
    while (count > 1) {
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    }
    out.push_back(groups[0]);
}

void appendBe(std::vector<std::uint8_t>& out, std::uint32_t value, int byteCount) {
    for (int i = byteCount - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// Data bytes a channel message of this status carries.
std::size_t channelDataBytes(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Copies one pattern's events into one track, each with its own status byte, and keeps the
// time from its last event to its end of track for the next pattern's first event.
class PatternJoiner {
public:
    // Sees each channel message copied: its status byte and its first data byte.
    using ChannelMessageSeen = std::function<void(std::uint8_t status, std::uint8_t data)>;

    explicit PatternJoiner(std::vector<std::uint8_t>& track, ChannelMessageSeen seen = {})
        : track_(track), seen_(std::move(seen)) {}

    // False when the pattern's events cannot be read exactly.
    bool addPattern(std::span<const std::uint8_t> pattern, bool first) {
        events_ = pattern;
        at_ = 0;
        std::uint8_t runningStatus = 0;
        if (!first && tempoChanged_) {
            startEvent(kMetaEvent);
            track_.insert(track_.end(), {kSetTempo, 3});
            appendBe(track_, kDefaultTempo, 3);
        }
        while (at_ < events_.size()) {
            std::uint32_t delta = 0;
            if (!readQuantity(delta) || !addTime(delta) || at_ >= events_.size()) {
                return false;
            }
            std::uint8_t status = events_[at_];
            if ((status & 0x80) != 0) {
                ++at_;
            } else if (runningStatus != 0) {
                status = runningStatus;
            } else {
                return false;
            }
            if (status < kSystemExclusive) {
                runningStatus = status;
                if (!copyChannelMessage(status)) {
                    return false;
                }
                continue;
            }
            runningStatus = 0;
            if (status == kMetaEvent) {
                bool ended = false;
                if (!copyMetaEvent(ended)) {
                    return false;
                }
                if (ended) {
                    return true;
                }
            } else if (status == kSystemExclusive || status == kSystemExclusiveGoOn) {
                if (!copySystemExclusive(status)) {
                    return false;
                }
            } else {
                return false;  // real-time and common messages have no place in a file
            }
        }
        return true;
    }

    void endTrack() {
        startEvent(kMetaEvent);
        track_.insert(track_.end(), {kEndOfTrack, 0});
    }

private:
    bool readQuantity(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < kMostQuantityBytes; ++i) {
            if (at_ >= events_.size()) {
                return false;
            }
            const std::uint8_t byte = events_[at_++];
            value = value << 7 | (byte & 0x7Fu);
            if ((byte & 0x80) == 0) {
                return true;
            }
        }
        return false;
    }

    bool addTime(std::uint32_t delta) {
        if (delta > kLargestQuantity - pendingTime_) {
            return false;
        }
        pendingTime_ += delta;
        return true;
    }

    // Writes the time since the last event written and the new event's status byte.
    void startEvent(std::uint8_t status) {
        appendQuantity(track_, pendingTime_);
        pendingTime_ = 0;
        track_.push_back(status);
    }

    bool copyBytes(std::size_t count) {
        if (count > events_.size() - at_) {
            return false;
        }
        track_.insert(track_.end(), events_.begin() + static_cast<std::ptrdiff_t>(at_),
                      events_.begin() + static_cast<std::ptrdiff_t>(at_ + count));
        at_ += count;
        return true;
    }

    bool copyChannelMessage(std::uint8_t status) {
        const std::size_t count = channelDataBytes(status);
        if (count > events_.size() - at_) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if ((events_[at_ + i] & 0x80) != 0) {
                return false;
            }
        }
        if (seen_) {
            seen_(status, events_[at_]);
        }
        startEvent(status);
        return copyBytes(count);
    }

    bool copyMetaEvent(bool& ended) {
        if (at_ >= events_.size()) {
            return false;
        }
        const std::uint8_t type = events_[at_++];
        std::uint32_t length = 0;
        if (!readQuantity(length) || length > events_.size() - at_) {
            return false;
        }
        if (type == kEndOfTrack) {
            at_ += length;
            ended = true;
            return true;
        }
        tempoChanged_ = tempoChanged_ || type == kSetTempo;
        startEvent(kMetaEvent);
        track_.push_back(type);
        appendQuantity(track_, length);
        return copyBytes(length);
    }

    bool copySystemExclusive(std::uint8_t status) {
        std::uint32_t length = 0;
        if (!readQuantity(length) || length > events_.size() - at_) {
            return false;
        }
        startEvent(status);
        appendQuantity(track_, length);
        return copyBytes(length);
    }

    std::vector<std::uint8_t>& track_;
    ChannelMessageSeen seen_;
    std::span<const std::uint8_t> events_;
    std::size_t at_ = 0;
    std::uint32_t pendingTime_ = 0;  // ticks since the last event written
    bool tempoChanged_ = false;
};

std::vector<std::uint8_t> patternsInSequence(std::span<const std::uint8_t> file) {
    std::vector<std::uint8_t> track;
    PatternJoiner joiner(track);
    bool first = true;
    for (std::span<const std::uint8_t> pattern : trackBodies(file)) {
        if (!joiner.addPattern(pattern, first)) {
            return {};
        }
        first = false;
    }
    joiner.endTrack();

    std::vector<std::uint8_t> out;
    out.insert(out.end(), {'M', 'T', 'h', 'd'});
    appendBe(out, kMinHeaderBytes, 4);
    appendBe(out, kSingleTrack, 2);
    appendBe(out, 1, 2);
    out.insert(out.end(), file.begin() + kChunkHeaderBytes + 4,
               file.begin() + kChunkHeaderBytes + 6);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    appendBe(out, static_cast<std::uint32_t>(track.size()), 4);
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

}  // namespace

bool isCompleteMidiFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kChunkHeaderBytes + kMinHeaderBytes ||
        std::memcmp(bytes.data(), "MThd", 4) != 0) {
        return false;
    }
    const std::uint32_t headerBytes = readBe32(bytes.data() + 4);
    if (headerBytes < kMinHeaderBytes || headerBytes > bytes.size() - kChunkHeaderBytes) {
        return false;
    }
    const std::uint8_t* header = bytes.data() + kChunkHeaderBytes;
    const std::uint16_t announcedTracks = readBe16(header + 2);
    const std::uint16_t division = readBe16(header + 4);
    if (announcedTracks == 0 || division == 0) {
        return false;
    }
    std::uint32_t completeTracks = 0;
    std::uint64_t offset = kChunkHeaderBytes + std::uint64_t{headerBytes};
    while (offset + kChunkHeaderBytes <= bytes.size() && completeTracks < announcedTracks) {
        const std::uint8_t* chunk = bytes.data() + offset;
        const std::uint64_t end = offset + kChunkHeaderBytes + readBe32(chunk + 4);
        if (end > bytes.size()) {
            return false;
        }
        if (std::memcmp(chunk, "MTrk", 4) == 0) {
            ++completeTracks;
        }
        offset = end;
    }
    return completeTracks == announcedTracks;
}

std::vector<std::uint8_t> playableMidiFile(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxMidiFileBytes) {
        return {};
    }
    const std::optional<std::span<const std::uint8_t>> file = unwrapRiff(bytes);
    if (!file || !isCompleteMidiFile(*file)) {
        return {};
    }
    switch (readBe16(file->data() + kChunkHeaderBytes)) {
        case kSingleTrack:
        case kSimultaneousTracks:
            return std::vector<std::uint8_t>(file->begin(), file->end());
        case kSequentialPatterns:
            return patternsInSequence(*file);
        default:
            return {};
    }
}

void addPresetsPlayedBy(std::span<const std::uint8_t> playable, PlayedPresets& presets) {
    if (!isCompleteMidiFile(playable)) {
        return;
    }
    const auto seen = [&presets](std::uint8_t status, std::uint8_t program) {
        if ((status & 0xF0) != kProgramChange) {
            return;
        }
        if ((status & 0x0F) == kDrumChannel) {
            presets.drumKits.insert(program);
        } else {
            presets.melodicPrograms.insert(program);
        }
    };
    std::vector<std::uint8_t> scratch;
    for (std::span<const std::uint8_t> track : trackBodies(playable)) {
        scratch.clear();
        PatternJoiner(scratch, seen).addPattern(track, true);
    }
}
