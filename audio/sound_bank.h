// The game's sound effects: wave files numbered in load order and played by number.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/messages.h"

struct Mix_Chunk;

// Play flags of playSound.
constexpr std::uint32_t kPlayOnce = 0;
constexpr std::uint32_t kPlayLooping = 1;

// Every effect plays at this share of the mixer's full volume (128): half, so that the loudest
// effect over the loudest passage of the music stays clear of full scale.
constexpr int kEffectsVolume = 64;

// Results of initSound.
constexpr int kSoundReady = 0;
constexpr int kSoundNoDevice = 1;
constexpr int kSoundNoChannels = 2;

// One per process. Each sound number n (1..kMaxSounds) plays on a mixer channel of its own, so
// replaying a sound cuts off only that sound while the others go on. Without an audio device
// every call fails quietly and the game runs silent. Main thread only.
class SoundBank {
public:
    static constexpr int kMaxSounds = 100;

    SoundBank();
    ~SoundBank();
    SoundBank(const SoundBank&) = delete;
    SoundBank& operator=(const SoundBank&) = delete;

    // Opens the audio output and forgets any sounds loaded before. kSoundReady, or
    // kSoundNoDevice when there is no audio device, kSoundNoChannels when the mixer cannot give
    // one channel per sound. The window plays no part here; it is taken for the callers' sake.
    int initSound(WindowHandle window);

    // Reads a wave file and gives it the next sound number, whether or not it can be played:
    // the sixth call always makes sound 6. 1 when the sound is ready to play, 0 when the file is
    // missing, malformed or in a sample format the game cannot play, when there is no audio
    // device, or when kMaxSounds numbers are already taken (then no number is used up).
    int loadSound(std::string_view fileName);

    // Starts sound `number` from its first sample, cutting it off first if it is still playing.
    // `flags` is kPlayOnce or kPlayLooping. 1 if it started; 0 for 0, unknown or silent numbers.
    int playSound(int number, std::uint32_t flags = kPlayOnce);

    // Stops sound `number`. 1 if it is a sound that can play (playing now or not), else 0.
    int stopSound(int number);

    // Numbers handed out so far, 0..kMaxSounds.
    int soundCount() const { return soundCount_; }

private:
    struct ChunkRelease {
        void operator()(Mix_Chunk* chunk) const;
    };
    // A sound in the mixer's own format; the chunk plays straight from `mixerSamples`.
    struct SoundEffect {
        std::vector<std::uint8_t> mixerSamples;
        std::unique_ptr<Mix_Chunk, ChunkRelease> chunk;
    };

    bool hasSound(int number) const;
    void releaseSounds();

    bool mixerOpen_ = false;
    int soundCount_ = 0;
    std::array<SoundEffect, kMaxSounds + 1> buffers_;  // entry 0 stays empty
};
