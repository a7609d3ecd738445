// Conversion of a wave's samples to the mixer's format (inside audio/ only).
#pragma once

#include <SDL2/SDL_audio.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "audio/wave_file.h"

struct MixerSpec {
    int rate;
    SDL_AudioFormat format;
    int channels;
};

// A converted sound larger than this is refused (about six minutes of the mixer's output).
constexpr std::uint64_t kMaxMixerSoundBytes = 64u << 20;

// The wave's whole sample frames in the mixer's format, or nothing when the wave cannot be
// played: a sample coding other than 8-, 16-, 24- or 32-bit integer PCM, 32- or 64-bit float
// or 8-bit A-law or mu-law (given by the format tag or a WAVE_FORMAT_EXTENSIBLE sub-format), a
// frame size that disagrees with the channels, a rate outside 1000..384000 Hz, more than 8
// channels, no whole frame, or a result above kMaxMixerSoundBytes. Needs no audio device.
std::optional<std::vector<std::uint8_t>> convertToMixer(const WaveFile& wave,
                                                        const MixerSpec& mixer);
