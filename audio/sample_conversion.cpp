#include "audio/sample_conversion.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxSourceChannels = 8;
constexpr std::uint32_t kMinSourceRate = 1000;
constexpr std::uint32_t kMaxSourceRate = 384000;
constexpr std::uint64_t kMaxConversionWorkBytes = 256u << 20;

// How each stored sample becomes one that SDL converts from.
enum class Widening {
    None,     // SDL reads the stored samples as they are
    Pcm24,    // three bytes, little-endian, become the top of a 32-bit sample
    Float64,  // a double becomes a float
    MuLaw,    // one G.711 byte becomes a 16-bit sample
    ALaw,
};

struct SourceCoding {
    SDL_AudioFormat sdlFormat;
    Widening widening;
    std::uint32_t sdlBytes;  // bytes of one sample as SDL gets it
};

std::optional<SourceCoding> codingOf(const WaveFile& wave) {
    const std::uint16_t bits = wave.format.bitsPerSample;
    switch (wave.sampleCoding) {
        case kWaveFormatPcm:
            switch (bits) {
                case 8:
                    return SourceCoding{AUDIO_U8, Widening::None, 1};
                case 16:
                    return SourceCoding{AUDIO_S16LSB, Widening::None, 2};
                case 24:
                    return SourceCoding{AUDIO_S32LSB, Widening::Pcm24, 4};
                case 32:
                    return SourceCoding{AUDIO_S32LSB, Widening::None, 4};
                default:
                    return std::nullopt;
            }
        case kWaveFormatFloat:
            if (bits == 32) {
                return SourceCoding{AUDIO_F32LSB, Widening::None, 4};
            }
            if (bits == 64) {
                return SourceCoding{AUDIO_F32LSB, Widening::Float64, 4};
            }
            return std::nullopt;
        case kWaveFormatMuLaw:
        case kWaveFormatALaw:
            if (bits == 8) {
                return SourceCoding{
                    AUDIO_S16LSB,
                    wave.sampleCoding == kWaveFormatMuLaw ? Widening::MuLaw : Widening::ALaw, 2};
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

bool isPlayableLayout(const WaveFormat& format) {
    return format.channels >= 1 && format.channels <= kMaxSourceChannels &&
           format.samplesPerSecond >= kMinSourceRate && format.samplesPerSecond <= kMaxSourceRate &&
           format.bitsPerSample % 8 == 0 &&
           format.blockAlign == format.channels * (format.bitsPerSample / 8);
}

void putLe16(std::uint8_t* out, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    out[0] = static_cast<std::uint8_t>(bits);
    out[1] = static_cast<std::uint8_t>(bits >> 8);
}

void putLe32(std::uint8_t* out, std::uint32_t bits) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

std::uint64_t readLe64(const std::uint8_t* in) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = bits << 8 | in[i];
    }
    return bits;
}

// One G.711 sample as a 16-bit linear one.
std::int16_t decodeMuLaw(std::uint8_t coded) {
    constexpr int kBias = 0x84;
    const int inverted = ~coded & 0xFF;
    const int exponent = (inverted >> 4) & 0x07;
    const int magnitude = (((inverted & 0x0F) << 3) + kBias) << exponent;
    return static_cast<std::int16_t>((inverted & 0x80) != 0 ? kBias - magnitude
                                                            : magnitude - kBias);
}

std::int16_t decodeALaw(std::uint8_t coded) {
    const int toggled = coded ^ 0x55;
    const int exponent = (toggled >> 4) & 0x07;
    int magnitude = ((toggled & 0x0F) << 4) + 8;
    if (exponent != 0) {
        magnitude = (magnitude + 0x100) << (exponent - 1);
    }
    return static_cast<std::int16_t>((toggled & 0x80) != 0 ? magnitude : -magnitude);
}

// Writes `count` samples of `stored`, widened, into `out` (count * sdlBytes bytes).
void widen(Widening widening, const std::uint8_t* stored, std::size_t count, std::uint8_t* out) {
    for (std::size_t i = 0; i < count; ++i) {
        switch (widening) {
            case Widening::None:
                return;
            case Widening::Pcm24: {
                const std::uint8_t* s = stored + i * 3;
                putLe32(out + i * 4, std::uint32_t{s[0]} << 8 | std::uint32_t{s[1]} << 16 |
                                         std::uint32_t{s[2]} << 24);
                break;
            }
            case Widening::Float64: {
                double value = 0.0;
                const std::uint64_t bits = readLe64(stored + i * 8);
                std::memcpy(&value, &bits, sizeof value);
                const auto narrowed = static_cast<float>(value);
                std::uint32_t narrowedBits = 0;
                std::memcpy(&narrowedBits, &narrowed, sizeof narrowedBits);
                putLe32(out + i * 4, narrowedBits);
                break;
            }
            case Widening::MuLaw:
                putLe16(out + i * 2, decodeMuLaw(stored[i]));
                break;
            case Widening::ALaw:
                putLe16(out + i * 2, decodeALaw(stored[i]));
                break;
        }
    }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> convertToMixer(const WaveFile& wave,
                                                        const MixerSpec& mixer) {
    const auto coding = codingOf(wave);
    if (!coding || !isPlayableLayout(wave.format)) {
        return std::nullopt;
    }
    const std::uint32_t frameBytes = wave.format.blockAlign;
    const std::uint32_t frames = wave.dataSize / frameBytes;
    const std::uint64_t storedBytes = std::uint64_t{frames} * frameBytes;
    const std::uint64_t samples = std::uint64_t{frames} * wave.format.channels;
    const std::uint64_t sourceBytes = samples * coding->sdlBytes;
    if (frames == 0 || sourceBytes > kMaxConversionWorkBytes) {
        return std::nullopt;
    }
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, coding->sdlFormat, static_cast<Uint8>(wave.format.channels),
                          static_cast<int>(wave.format.samplesPerSecond), mixer.format,
                          static_cast<Uint8>(mixer.channels), mixer.rate) < 0) {
        return std::nullopt;
    }
    // The conversion works in place in a buffer len_mult times the source's size.
    const std::uint64_t workBytes = sourceBytes * static_cast<unsigned>(cvt.len_mult);
    if (workBytes > kMaxConversionWorkBytes) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> converted(static_cast<std::size_t>(workBytes));
    if (coding->widening == Widening::None) {
        std::copy_n(wave.samples.begin(), storedBytes, converted.begin());
    } else {
        widen(coding->widening, wave.samples.data(), static_cast<std::size_t>(samples),
              converted.data());
    }
    cvt.buf = converted.data();
    cvt.len = static_cast<int>(sourceBytes);
    if (cvt.needed && SDL_ConvertAudio(&cvt) != 0) {
        return std::nullopt;
    }
    const int convertedBytes = cvt.needed ? cvt.len_cvt : cvt.len;
    if (convertedBytes <= 0 || static_cast<std::uint64_t>(convertedBytes) > kMaxMixerSoundBytes) {
        return std::nullopt;
    }
    converted.resize(static_cast<std::size_t>(convertedBytes));
    converted.shrink_to_fit();
    return converted;
}
