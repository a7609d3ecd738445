#include "tests/mediagen/sound/media_reader.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <utility>

namespace mediagen::testing {

namespace {

std::uint32_t littleEndian(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::uint32_t bigEndian(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// Reads the events of one track chunk into the contents; false if it is malformed.
class TrackReader {
public:
    TrackReader(const std::string& bytes, std::size_t begin, std::size_t end, MidiContents& out)
        : bytes_(bytes), pos_(begin), end_(end), out_(out) {}

    bool read() {
        int status = 0;
        while (pos_ < end_) {
            long delta = 0;
            if (!readVariable(delta)) {
                return false;
            }
            tick_ += delta;
            if (!has(1)) {
                return false;
            }
            const int first = byte(pos_);
            if (first >= 0x80) {
                status = first;
                ++pos_;
            }
            if (status == 0xFF) {
                if (!readMeta()) {
                    return false;
                }
                if (ended_) {
                    break;
                }
            } else if (status == 0xF0 || status == 0xF7) {
                long length = 0;
                if (!readVariable(length) || !has(length)) {
                    return false;
                }
                pos_ += static_cast<std::size_t>(length);
            } else if (status >= 0x80) {
                if (!readChannelMessage(status)) {
                    return false;
                }
            } else {
                return false;
            }
        }
        for (const auto& [voice, starts] : sounding_) {
            out_.unmatchedNoteOns += static_cast<int>(starts.size());
        }
        out_.lastTick = std::max(out_.lastTick, tick_);
        return ended_;
    }

private:
    bool has(long count) const { return pos_ + static_cast<std::size_t>(count) <= end_; }
    int byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }

    bool readVariable(long& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (!has(1)) {
                return false;
            }
            const int b = byte(pos_++);
            value = (value << 7) | (b & 0x7F);
            if (b < 0x80) {
                return true;
            }
        }
        return false;
    }

    bool readMeta() {
        if (!has(1)) {
            return false;
        }
        const int type = byte(pos_++);
        long length = 0;
        if (!readVariable(length) || !has(length)) {
            return false;
        }
        if (type == 0x51 && length == 3 && !tempoSeen_) {
            out_.microsecondsPerBeat = static_cast<int>(bigEndian(bytes_, pos_, 3));
            tempoSeen_ = true;
        }
        if (type == 0x2F) {
            ended_ = true;
        }
        pos_ += static_cast<std::size_t>(length);
        return true;
    }

    bool readChannelMessage(int status) {
        const int kind = status & 0xF0;
        const int channel = status & 0x0F;
        const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (!has(dataBytes)) {
            return false;
        }
        const int a = byte(pos_);
        const int b = dataBytes == 2 ? byte(pos_ + 1) : 0;
        pos_ += static_cast<std::size_t>(dataBytes);
        if (kind == 0x90 && b > 0) {
            sounding_[{channel, a}].push_back(tick_);
        } else if (kind == 0x80 || kind == 0x90) {
            auto& starts = sounding_[{channel, a}];
            if (starts.empty()) {
                ++out_.unmatchedNoteOffs;
            } else {
                out_.notes.push_back({starts.front(), tick_, channel, a});
                starts.erase(starts.begin());
            }
        } else if (kind == 0xC0) {
            out_.programs.push_back(channel * 128 + a);
        }
        return true;
    }

    const std::string& bytes_;
    std::size_t pos_;
    std::size_t end_;
    MidiContents& out_;
    long tick_ = 0;
    bool ended_ = false;
    bool tempoSeen_ = false;
    std::map<std::pair<int, int>, std::vector<long>> sounding_;
};

}  // namespace

std::string readFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ScratchFolder::ScratchFolder(const std::string& name)
    : path_(std::filesystem::current_path() /
            (name + "-" + std::to_string(static_cast<long>(getpid())))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

double WaveContents::seconds() const {
    if (sampleRate <= 0 || channels <= 0) {
        return 0.0;
    }
    return static_cast<double>(samples.size()) / channels / sampleRate;
}

WaveContents parseWave(const std::string& bytes) {
    WaveContents wave;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        return wave;
    }
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const std::string id = bytes.substr(pos, 4);
        const std::size_t size = littleEndian(bytes, pos + 4, 4);
        const std::size_t body = pos + 8;
        const std::size_t available = std::min(size, bytes.size() - body);
        if (id == "fmt " && available >= 16) {
            wave.formatTag = static_cast<int>(littleEndian(bytes, body, 2));
            wave.channels = static_cast<int>(littleEndian(bytes, body + 2, 2));
            wave.sampleRate = static_cast<int>(littleEndian(bytes, body + 4, 4));
            wave.bitsPerSample = static_cast<int>(littleEndian(bytes, body + 14, 2));
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            if (wave.bitsPerSample == 16) {
                for (std::size_t i = 0; i + 1 < available; i += 2) {
                    wave.samples.push_back(
                        static_cast<std::int16_t>(littleEndian(bytes, body + i, 2)));
                }
            }
            wave.valid = true;
            return wave;
        }
        pos = body + size + (size & 1);
    }
    return wave;
}

double MidiContents::seconds() const {
    if (ticksPerBeat <= 0) {
        return 0.0;
    }
    return static_cast<double>(lastTick) / ticksPerBeat * microsecondsPerBeat / 1e6;
}

MidiContents parseMidi(const std::string& bytes) {
    MidiContents midi;
    if (bytes.size() < 14 || bytes.compare(0, 4, "MThd") != 0 || bigEndian(bytes, 4, 4) != 6) {
        return midi;
    }
    midi.format = static_cast<int>(bigEndian(bytes, 8, 2));
    const int trackCount = static_cast<int>(bigEndian(bytes, 10, 2));
    midi.ticksPerBeat = static_cast<int>(bigEndian(bytes, 12, 2));
    if (midi.ticksPerBeat == 0 || (midi.ticksPerBeat & 0x8000) != 0) {
        return midi;
    }
    std::size_t pos = 14;
    midi.everyTrackEnds = trackCount > 0;
    for (int track = 0; track < trackCount; ++track) {
        if (pos + 8 > bytes.size() || bytes.compare(pos, 4, "MTrk") != 0) {
            return midi;
        }
        const std::size_t length = bigEndian(bytes, pos + 4, 4);
        const std::size_t end = pos + 8 + length;
        if (end > bytes.size()) {
            return midi;
        }
        if (!TrackReader(bytes, pos + 8, end, midi).read()) {
            midi.everyTrackEnds = false;
        }
        pos = end;
    }
    midi.valid = true;
    return midi;
}

}  // namespace mediagen::testing
