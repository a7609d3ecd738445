// Small building blocks for the game's sound effects: a mono sample buffer at 44.1 kHz,
// tones with envelopes, seeded noise, and the 16-bit PCM wave file the game reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mediagen::sound {

inline constexpr int sampleRate = 44100;
inline constexpr double pi = 3.14159265358979323846;

// Mono samples in -1..1 (before the final level is set), one per 1/sampleRate seconds.
using Samples = std::vector<double>;

// A seeded generator for noise and sparkle: the same seed gives the same numbers everywhere.
class NoiseSource {
public:
    explicit NoiseSource(std::uint32_t seed) : state_(seed) {}
    double nextBipolar();  // -1..1
    double nextUnit();     // 0..1

private:
    std::uint32_t state_;
};

// Attack and decay of one struck or plucked note: rises over attackSeconds, then falls
// exponentially with the given time constant. 0 before the note starts.
double strikeEnvelope(double t, double attackSeconds, double decaySeconds);

// One partial of a tone: a frequency ratio to the fundamental, its level, and how much
// faster than the fundamental it dies away (1 = as fast).
struct Partial {
    double ratio;
    double level;
    double decayScale;
};

// A tone whose pitch glides exponentially from startHz to endHz over its length.
struct Tone {
    double startSeconds;
    double lengthSeconds;
    double startHz;
    double endHz;
    double level;
    double attackSeconds;
    double decaySeconds;
    std::vector<Partial> partials;
    double vibratoHz = 0.0;
    double vibratoDepth = 0.0;  // relative pitch swing, e.g. 0.004
};

// Adds the tone into the buffer (growing it as needed). Partials above 18 kHz are left out.
void addTone(Samples& buffer, const Tone& tone);

// Silence of the given length.
Samples silence(double seconds);

// Raised-cosine fade-in and fade-out at the very ends, so the first and last samples are 0.
void fadeEnds(Samples& buffer, double fadeInSeconds, double fadeOutSeconds);

// Scales the buffer so that its largest magnitude is the given level in dBFS.
void normalisePeak(Samples& buffer, double peakDecibels);

// A one-pole low-pass filter run over the buffer in place.
void lowPass(Samples& buffer, double cutoffHz);

// The bytes of a RIFF WAVE file: PCM, 16 bits, mono, sampleRate.
std::string encodeWave(const Samples& buffer);

// Writes the bytes to the file; false (after saying why on standard error) on failure.
bool writeFileBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace mediagen::sound
