#include "audio/sample_conversion.h"

#include <SDL2/SDL.h>

#include <algorithm>

namespace {

constexpr int kMaxSourceChannels = 8;
constexpr std::uint32_t kMinSourceRate = 1000;
constexpr std::uint32_t kMaxSourceRate = 384000;
constexpr std::uint64_t kMaxConversionWorkBytes = 256u << 20;

std::optional<SDL_AudioFormat> sampleFormatOf(const WaveFormat& format) {
    if (format.formatTag == kWaveFormatPcm) {
        switch (format.bitsPerSample) {
            case 8:
                return AUDIO_U8;
            case 16:
                return AUDIO_S16LSB;
            case 32:
                return AUDIO_S32LSB;
            default:
                return std::nullopt;
        }
    }
    if (format.formatTag == kWaveFormatFloat && format.bitsPerSample == 32) {
        return AUDIO_F32LSB;
    }
    return std::nullopt;
}

bool isPlayableLayout(const WaveFormat& format) {
    return format.channels >= 1 && format.channels <= kMaxSourceChannels &&
           format.samplesPerSecond >= kMinSourceRate && format.samplesPerSecond <= kMaxSourceRate &&
           format.blockAlign == format.channels * (format.bitsPerSample / 8);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> convertToMixer(const WaveFile& wave,
                                                        const MixerSpec& mixer) {
    const auto sourceFormat = sampleFormatOf(wave.format);
    if (!sourceFormat || !isPlayableLayout(wave.format)) {
        return std::nullopt;
    }
    const std::uint32_t frameBytes = wave.format.blockAlign;
    const std::uint32_t wholeBytes = wave.dataSize / frameBytes * frameBytes;
    if (wholeBytes == 0) {
        return std::nullopt;
    }
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, *sourceFormat, static_cast<Uint8>(wave.format.channels),
                          static_cast<int>(wave.format.samplesPerSecond), mixer.format,
                          static_cast<Uint8>(mixer.channels), mixer.rate) < 0) {
        return std::nullopt;
    }
    // The conversion works in place in a buffer len_mult times the source's size.
    const std::uint64_t workBytes = std::uint64_t{wholeBytes} * static_cast<unsigned>(cvt.len_mult);
    if (workBytes > kMaxConversionWorkBytes) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> converted(static_cast<std::size_t>(workBytes));
    std::copy_n(wave.samples.begin(), wholeBytes, converted.begin());
    cvt.buf = converted.data();
    cvt.len = static_cast<int>(wholeBytes);
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
