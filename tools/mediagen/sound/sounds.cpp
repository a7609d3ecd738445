// The six sound effects of the game, synthesised from tones and seeded noise.
#include <cmath>
#include <system_error>

#include "tools/mediagen/media_parts.h"
#include "tools/mediagen/sound/synth.h"

namespace mediagen {

namespace {

using sound::addTone;
using sound::NoiseSource;
using sound::Partial;
using sound::Samples;
using sound::Tone;

constexpr double effectPeakDecibels = -3.0;

// Frequency of a MIDI key number (69 is A4 at 440 Hz).
double keyHz(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

// A menu key: a soft, short blip that drops a little in pitch.
Samples actionSound() {
    Samples buffer = sound::silence(0.06);
    addTone(buffer, Tone{.startSeconds = 0.0,
                         .lengthSeconds = 0.06,
                         .startHz = 1046.5,
                         .endHz = 830.6,
                         .level = 1.0,
                         .attackSeconds = 0.004,
                         .decaySeconds = 0.022,
                         .partials = {{1.0, 1.0, 1.0}, {2.0, 0.12, 1.6}}});
    sound::fadeEnds(buffer, 0.002, 0.008);
    return buffer;
}

// Rows removed: a bright sweep upward, sprinkled with short high pings.
Samples fillSound() {
    Samples buffer = sound::silence(0.5);
    Tone sweep{.startSeconds = 0.0,
               .lengthSeconds = 0.5,
               .startHz = 330.0,
               .endHz = 1760.0,
               .level = 0.45,
               .attackSeconds = 0.03,
               .decaySeconds = 0.35,
               .partials = {}};
    for (int harmonic = 1; harmonic <= 7; ++harmonic) {
        sweep.partials.push_back({double(harmonic), 1.0 / harmonic, 1.0 + 0.15 * harmonic});
    }
    addTone(buffer, sweep);
    sweep.startHz *= 1.5;
    sweep.endHz *= 1.5;
    sweep.level = 0.18;
    addTone(buffer, sweep);

    static constexpr int sparkleKeys[] = {96, 98, 100, 103, 105, 108, 110, 112};
    NoiseSource random(0x5EED0002u);
    for (int i = 0; i < 16; ++i) {
        const double start = 0.08 + 0.36 * random.nextUnit();
        const int key = sparkleKeys[static_cast<int>(random.nextUnit() * 8) % 8];
        const double length = std::min(0.09, 0.5 - start);
        addTone(buffer, Tone{.startSeconds = start,
                             .lengthSeconds = length,
                             .startHz = keyHz(key),
                             .endHz = keyHz(key),
                             .level = 0.12 + 0.1 * random.nextUnit(),
                             .attackSeconds = 0.002,
                             .decaySeconds = 0.03,
                             .partials = {{1.0, 1.0, 1.0}}});
    }
    sound::fadeEnds(buffer, 0.004, 0.12);
    return buffer;
}

// A piece locks: a low, dull thud, a falling sine under a short muffled knock.
Samples fallSound() {
    Samples buffer = sound::silence(0.15);
    addTone(buffer, Tone{.startSeconds = 0.0,
                         .lengthSeconds = 0.15,
                         .startHz = 130.0,
                         .endHz = 48.0,
                         .level = 1.0,
                         .attackSeconds = 0.003,
                         .decaySeconds = 0.05,
                         .partials = {{1.0, 1.0, 1.0}, {2.0, 0.25, 2.0}}});
    Samples knock = sound::silence(0.15);
    NoiseSource random(0x5EED0003u);
    for (std::size_t i = 0; i < knock.size(); ++i) {
        const double t = static_cast<double>(i) / sound::sampleRate;
        knock[i] = random.nextBipolar() * sound::strikeEnvelope(t, 0.001, 0.012);
    }
    sound::lowPass(knock, 500.0);
    sound::lowPass(knock, 500.0);
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] += 2.5 * knock[i];
    }
    sound::fadeEnds(buffer, 0.002, 0.03);
    return buffer;
}

// The game ends: G, E flat and C falling in turn, then a low C minor chord that sags.
Samples gameOverSound() {
    Samples buffer = sound::silence(1.5);
    const std::vector<Partial> reed = {
        {1.0, 1.0, 1.0}, {2.0, 0.1, 1.3}, {3.0, 0.3, 1.5}, {5.0, 0.12, 2.0}};
    const int figure[] = {67, 63, 60};
    for (int i = 0; i < 3; ++i) {
        addTone(buffer, Tone{.startSeconds = 0.22 * i,
                             .lengthSeconds = 0.3,
                             .startHz = keyHz(figure[i]),
                             .endHz = keyHz(figure[i]),
                             .level = 0.5,
                             .attackSeconds = 0.01,
                             .decaySeconds = 0.35,
                             .partials = reed});
    }
    for (int key : {48, 51, 55}) {
        addTone(buffer, Tone{.startSeconds = 0.66,
                             .lengthSeconds = 0.84,
                             .startHz = keyHz(key),
                             .endHz = keyHz(key) * 0.97,
                             .level = 0.4,
                             .attackSeconds = 0.015,
                             .decaySeconds = 0.45,
                             .partials = reed,
                             .vibratoHz = 5.5,
                             .vibratoDepth = 0.006});
    }
    sound::fadeEnds(buffer, 0.003, 0.2);
    return buffer;
}

// The bell partials: a struck metal bar's inharmonic overtones, the high ones dying first.
std::vector<Partial> bellPartials() {
    return {
        {1.0, 1.0, 1.0}, {2.0, 0.45, 1.4}, {2.76, 0.35, 2.0}, {5.4, 0.18, 3.0}, {8.93, 0.08, 4.0}};
}

// A bonus object appears or vanishes: a two-note bell, B then E a fourth above.
Samples bonusSound() {
    Samples buffer = sound::silence(0.4);
    const double starts[] = {0.0, 0.13};
    const int keys[] = {83, 88};
    for (int i = 0; i < 2; ++i) {
        addTone(buffer, Tone{.startSeconds = starts[i],
                             .lengthSeconds = 0.4 - starts[i],
                             .startHz = keyHz(keys[i]),
                             .endHz = keyHz(keys[i]),
                             .level = 0.6,
                             .attackSeconds = 0.002,
                             .decaySeconds = 0.12,
                             .partials = bellPartials()});
    }
    sound::fadeEnds(buffer, 0.002, 0.06);
    return buffer;
}

// A bonus is collected: C, E, G and C rising quickly, the last one ringing on.
Samples getBonusSound() {
    Samples buffer = sound::silence(0.6);
    const std::vector<Partial> bright = {
        {1.0, 1.0, 1.0}, {2.0, 0.35, 1.5}, {3.0, 0.2, 2.0}, {4.0, 0.1, 2.5}};
    const int arpeggio[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; ++i) {
        const bool last = i == 3;
        const double start = 0.065 * i;
        addTone(buffer, Tone{.startSeconds = start,
                             .lengthSeconds = 0.6 - start,
                             .startHz = keyHz(arpeggio[i]),
                             .endHz = keyHz(arpeggio[i]),
                             .level = last ? 0.55 : 0.45,
                             .attackSeconds = 0.003,
                             .decaySeconds = last ? 0.22 : 0.1,
                             .partials = bright,
                             .vibratoHz = last ? 6.0 : 0.0,
                             .vibratoDepth = last ? 0.004 : 0.0});
    }
    addTone(buffer, Tone{.startSeconds = 0.19,
                         .lengthSeconds = 0.41,
                         .startHz = keyHz(88),
                         .endHz = keyHz(88),
                         .level = 0.2,
                         .attackSeconds = 0.01,
                         .decaySeconds = 0.18,
                         .partials = bellPartials()});
    sound::fadeEnds(buffer, 0.003, 0.08);
    return buffer;
}

bool writeEffect(const std::filesystem::path& file, Samples buffer) {
    sound::normalisePeak(buffer, effectPeakDecibels);
    return sound::writeFileBytes(file, sound::encodeWave(buffer));
}

}  // namespace

bool writeSounds(const std::filesystem::path& runDir) {
    const std::filesystem::path folder = runDir / "Sound";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool ok = writeEffect(folder / "action.wav", actionSound());
    ok = writeEffect(folder / "fill.wav", fillSound()) && ok;
    ok = writeEffect(folder / "fall.wav", fallSound()) && ok;
    ok = writeEffect(folder / "gameover.wav", gameOverSound()) && ok;
    ok = writeEffect(folder / "bonus.wav", bonusSound()) && ok;
    ok = writeEffect(folder / "getbonus.wav", getBonusSound()) && ok;
    return ok;
}

}  // namespace mediagen
