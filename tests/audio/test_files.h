// Wave and MIDI files written by the audio tests, byte by byte.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace audio_test {

using Bytes = std::vector<std::uint8_t>;

inline void appendLe(Bytes& out, std::uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline void appendBe(Bytes& out, std::uint32_t value, int byteCount) {
    for (int i = byteCount - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline void appendId(Bytes& out, const char* id) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(id[i]));
    }
}

// A RIFF chunk with its declared size (the body's own size unless given) and a pad byte after
// an odd-sized body.
inline Bytes chunk(const char* id, std::span<const std::uint8_t> body,
                   std::int64_t declaredSize = -1) {
    Bytes out;
    appendId(out, id);
    appendLe(out,
             declaredSize < 0 ? static_cast<std::uint32_t>(body.size())
                              : static_cast<std::uint32_t>(declaredSize),
             4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 == 1) {
        out.push_back(0);
    }
    return out;
}

struct FormatRecord {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
    int recordBytes = 16;  // 16 (PCM record) or 18 (with the extra-size field)
    std::uint16_t extraSize = 0;
    int blockAlignOverride = -1;
};

inline Bytes formatBody(const FormatRecord& f) {
    const std::uint16_t blockAlign = f.blockAlignOverride >= 0
                                         ? static_cast<std::uint16_t>(f.blockAlignOverride)
                                         : static_cast<std::uint16_t>(f.channels * f.bits / 8);
    Bytes body;
    appendLe(body, f.tag, 2);
    appendLe(body, f.channels, 2);
    appendLe(body, f.rate, 4);
    appendLe(body, f.rate * blockAlign, 4);
    appendLe(body, blockAlign, 2);
    appendLe(body, f.bits, 2);
    if (f.recordBytes >= 18) {
        appendLe(body, f.extraSize, 2);
    }
    return body;
}

// A WAVE_FORMAT_EXTENSIBLE record: the 18 bytes, then valid bits, a channel mask and the
// standard sub-format GUID of the coding tag `coding` (1 integer PCM, 3 float).
inline Bytes extensibleFormatBody(std::uint16_t coding, std::uint16_t channels, std::uint32_t rate,
                                  std::uint16_t bits, std::uint16_t validBits) {
    Bytes body = formatBody(FormatRecord{.tag = 0xFFFE,
                                         .channels = channels,
                                         .rate = rate,
                                         .bits = bits,
                                         .recordBytes = 18,
                                         .extraSize = 22});
    appendLe(body, validBits, 2);
    appendLe(body, channels == 2 ? 0x3 : 0x4, 4);  // front left and right, or front centre
    appendLe(body, coding, 4);
    for (std::uint8_t b :
         {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
        body.push_back(b);
    }
    return body;
}

// "RIFF" size "WAVE" followed by the given chunks.
inline Bytes riffWave(std::initializer_list<Bytes> chunks, std::int64_t declaredSize = -1) {
    Bytes form;
    appendId(form, "WAVE");
    for (const Bytes& c : chunks) {
        form.insert(form.end(), c.begin(), c.end());
    }
    return chunk("RIFF", form, declaredSize);
}

inline Bytes waveFile(const FormatRecord& format, std::span<const std::uint8_t> samples) {
    return riffWave({chunk("fmt ", formatBody(format)), chunk("data", samples)});
}

// Interleaved 16-bit little-endian samples.
inline Bytes pcm16(std::span<const std::int16_t> samples) {
    Bytes out;
    for (std::int16_t s : samples) {
        appendLe(out, static_cast<std::uint16_t>(s), 2);
    }
    return out;
}

inline void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::filesystem::create_directories(path.parent_path());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

// A type-0 MIDI file, 480 ticks per quarter note at the default 120 beats a minute: a piano
// playing each of `notes` for `ticksPerNote` ticks, one after the other.
inline Bytes midiTune(std::initializer_list<std::uint8_t> notes, std::uint32_t ticksPerNote) {
    Bytes track = {0x00, 0xC0, 0x00};  // program change: acoustic grand piano
    for (std::uint8_t note : notes) {
        track.insert(track.end(), {0x00, 0x90, note, 100});
        // The delta time as a variable-length quantity (up to 14 bits here).
        track.push_back(static_cast<std::uint8_t>(0x80 | ((ticksPerNote >> 7) & 0x7F)));
        track.push_back(static_cast<std::uint8_t>(ticksPerNote & 0x7F));
        track.insert(track.end(), {0x80, note, 0});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes file;
    appendId(file, "MThd");
    appendBe(file, 6, 4);
    appendBe(file, 0, 2);
    appendBe(file, 1, 2);
    appendBe(file, 480, 2);
    appendId(file, "MTrk");
    appendBe(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

}  // namespace audio_test
