// Any bytes, read as a wave file and converted for the mixer: no crash, no read or write out of
// bounds, and never more samples than the bytes hold.
#include <SDL2/SDL_audio.h>

#include <cstdint>
#include <span>

#include "audio/sample_conversion.h"
#include "audio/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const WaveFile wave = readWaveBytes(std::span(data, size));
    if (!wave.loaded) {
        return 0;
    }
    if (wave.samples.size() != wave.dataSize || wave.samples.size() > size) {
        __builtin_trap();
    }
    const MixerSpec mixer{44100, AUDIO_S16SYS, 2};
    const auto converted = convertToMixer(wave, mixer);
    if (converted && (converted->empty() || converted->size() > kMaxMixerSoundBytes)) {
        __builtin_trap();
    }
    return 0;
}
