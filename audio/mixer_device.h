// The one SDL2_mixer output shared by the sound bank and the music player (inside audio/ only):
// the effects play on its channels, the music through its music hook.
#pragma once

#include <SDL2/SDL_mixer.h>

// The mixer's own format: every sound is converted to it once, when it is loaded.
constexpr int kMixerRate = 44100;
constexpr SDL_AudioFormat kMixerFormat = AUDIO_S16SYS;
constexpr int kMixerChannels = 2;
constexpr int kMixerBufferFrames = 1024;

// Opens the audio device and the mixer on the first call, counts later ones. True when the
// mixer is open; then each such call is paired with one closeMixer. Main thread only.
bool openMixer();
void closeMixer();
