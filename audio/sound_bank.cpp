#include "audio/sound_bank.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <optional>

#include "audio/mixer_device.h"
#include "audio/sample_conversion.h"
#include "audio/wave_file.h"

namespace {

std::optional<MixerSpec> queryMixer() {
    MixerSpec mixing{};
    Uint16 format = 0;
    if (Mix_QuerySpec(&mixing.rate, &format, &mixing.channels) == 0) {
        return std::nullopt;
    }
    mixing.format = format;
    return mixing;
}

}  // namespace

void SoundBank::ChunkRelease::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
}

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
    Mix_VolumeChunk(effect.chunk.get(), kEffectsVolume);
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
