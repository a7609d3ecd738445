#include "audio/sound_bank.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <optional>

#include "audio/mixer_device.h"
#include "audio/wave_file.h"

namespace {

constexpr int kMaxSourceChannels = 8;
constexpr std::uint32_t kMinSourceRate = 1000;
constexpr std::uint32_t kMaxSourceRate = 384000;
// A converted sound larger than this is refused (about six minutes of the mixer's output).
constexpr std::uint64_t kMaxMixerSoundBytes = 64u << 20;

struct MixerSpec {
    int rate;
    SDL_AudioFormat format;
    int channels;
};

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

std::optional<MixerSpec> queryMixer() {
    MixerSpec spec{};
    Uint16 format = 0;
    if (Mix_QuerySpec(&spec.rate, &format, &spec.channels) == 0) {
        return std::nullopt;
    }
    spec.format = format;
    return spec;
}

// The wave's whole sample frames in the mixer's format, or nothing when the wave cannot be
// played: an unknown sample format, an inconsistent layout, no whole frame, or too long.
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
    const std::uint64_t workBytes = std::uint64_t{wholeBytes} * static_cast<unsigned>(cvt.len_mult);
    if (workBytes > kMaxMixerSoundBytes || workBytes > INT32_MAX) {
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
    if (convertedBytes <= 0) {
        return std::nullopt;
    }
    converted.resize(static_cast<std::size_t>(convertedBytes));
    converted.shrink_to_fit();
    return converted;
}

}  // namespace

void SoundBank::ChunkRelease::operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }

SoundBank::SoundBank() = default;

SoundBank::~SoundBank() {
    releaseSounds();
    if (mixerOpen_) {
        closeMixer();
    }
}

int SoundBank::initSound(WindowHandle) {
    releaseSounds();
    soundCount_ = 0;
    if (!mixerOpen_) {
        mixerOpen_ = openMixer();
    }
    if (!mixerOpen_) {
        return kSoundNoDevice;
    }
    if (Mix_AllocateChannels(kMaxSounds + 1) != kMaxSounds + 1) {
        closeMixer();
        mixerOpen_ = false;
        return kSoundNoChannels;
    }
    return kSoundReady;
}

int SoundBank::loadSound(std::string_view fileName) {
    const WaveFile wave = readWaveFile(fileName);
    if (soundCount_ == kMaxSounds) {
        return 0;
    }
    const int number = ++soundCount_;
    if (!wave.loaded || !mixerOpen_) {
        return 0;
    }
    const auto mixer = queryMixer();
    if (!mixer) {
        return 0;
    }
    auto samples = convertToMixer(wave, *mixer);
    if (!samples) {
        return 0;
    }
    SoundEffect& effect = buffers_[number];
    effect.mixerSamples = std::move(*samples);
    effect.chunk.reset(Mix_QuickLoad_RAW(effect.mixerSamples.data(),
                                         static_cast<Uint32>(effect.mixerSamples.size())));
    if (!effect.chunk) {
        effect.mixerSamples.clear();
        return 0;
    }
    return 1;
}

int SoundBank::playSound(int number, std::uint32_t flags) {
    stopSound(number);
    if (!hasSound(number)) {
        return 0;
    }
    const int loops = (flags & kPlayLooping) != 0 ? -1 : 0;
    return Mix_PlayChannel(number, buffers_[number].chunk.get(), loops) == number ? 1 : 0;
}

int SoundBank::stopSound(int number) {
    if (!hasSound(number)) {
        return 0;
    }
    Mix_HaltChannel(number);
    return 1;
}

bool SoundBank::hasSound(int number) const {
    return number >= 1 && number <= soundCount_ && buffers_[number].chunk != nullptr;
}

void SoundBank::releaseSounds() {
    for (int number = 1; number <= kMaxSounds; ++number) {
        SoundEffect& effect = buffers_[number];
        if (effect.chunk) {
            Mix_HaltChannel(number);
        }
        effect.chunk.reset();
        effect.mixerSamples = {};
    }
}
