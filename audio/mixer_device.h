// The one SDL2_mixer output shared by the sound bank and the music player (inside audio/ only).
#pragma once

#include <SDL2/SDL_mixer.h>

// The mixer's own format: every sound is converted to it once, when it is loaded.
constexpr int kMixerRate = 44100;
constexpr SDL_AudioFormat kMixerFormat = AUDIO_S16SYS;
constexpr int kMixerChannels = 2;
constexpr int kMixerBufferFrames = 1024;

// The General MIDI SoundFont that FluidSynth plays the music with, unless SDL_SOUNDFONTS names
// another.
constexpr const char* kGeneralMidiSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

// Opens the audio device and the mixer on the first call, counts later ones. True when the
// mixer is open; then each such call is paired with one closeMixer. Main thread only.
bool openMixer();
void closeMixer();
