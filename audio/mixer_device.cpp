#include "audio/mixer_device.h"

#include <SDL2/SDL.h>

namespace {

constexpr Uint32 kMixerSubsystems = SDL_INIT_AUDIO | SDL_INIT_EVENTS;

int mixerUsers = 0;

}  // namespace

bool openMixer() {
    if (mixerUsers > 0) {
        ++mixerUsers;
        return true;
    }
    if (SDL_InitSubSystem(kMixerSubsystems) != 0) {
        return false;
    }
    if (Mix_OpenAudioDevice(kMixerRate, kMixerFormat, kMixerChannels, kMixerBufferFrames, nullptr,
                            0) != 0) {
        SDL_QuitSubSystem(kMixerSubsystems);
        return false;
    }
    mixerUsers = 1;
    return true;
}

void closeMixer() {
    if (mixerUsers == 0 || --mixerUsers > 0) {
        return;
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(kMixerSubsystems);
}
