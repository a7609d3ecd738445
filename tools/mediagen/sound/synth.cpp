#include "tools/mediagen/sound/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace mediagen::sound {

namespace {

constexpr double highestPartialHz = 18000.0;
constexpr double toneReleaseSeconds = 0.006;

void appendLittleEndian(std::string& bytes, std::uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// Fades a tone out over its last few milliseconds, so a tone cut at its end never clicks.
double toneEndGain(double t, double length) {
    const double left = length - t;
    if (left >= toneReleaseSeconds) {
        return 1.0;
    }
    return 0.5 - 0.5 * std::cos(pi * std::max(0.0, left) / toneReleaseSeconds);
}

}  // namespace

double NoiseSource::nextUnit() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24);
}

double NoiseSource::nextBipolar() {
    return 2.0 * nextUnit() - 1.0;
}

double strikeEnvelope(double t, double attackSeconds, double decaySeconds) {
    if (t < 0.0) {
        return 0.0;
    }
    if (t < attackSeconds) {
        return 0.5 - 0.5 * std::cos(pi * t / attackSeconds);
    }
    return std::exp(-(t - attackSeconds) / decaySeconds);
}

void addTone(Samples& buffer, const Tone& tone) {
    const auto first = static_cast<std::size_t>(std::lround(tone.startSeconds * sampleRate));
    const auto count = static_cast<std::size_t>(std::lround(tone.lengthSeconds * sampleRate));
    if (buffer.size() < first + count) {
        buffer.resize(first + count, 0.0);
    }
    std::vector<double> phases(tone.partials.size(), 0.0);
    const double glide = std::log(tone.endHz / tone.startHz);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double hz = tone.startHz * std::exp(glide * t / tone.lengthSeconds);
        hz *= 1.0 + tone.vibratoDepth * std::sin(2.0 * pi * tone.vibratoHz * t);
        const double endGain = toneEndGain(t, tone.lengthSeconds);
        double value = 0.0;
        for (std::size_t p = 0; p < tone.partials.size(); ++p) {
            const Partial& partial = tone.partials[p];
            const double partialHz = hz * partial.ratio;
            if (partialHz >= highestPartialHz) {
                continue;
            }
            phases[p] += 2.0 * pi * partialHz / sampleRate;
            const double envelope =
                strikeEnvelope(t, tone.attackSeconds, tone.decaySeconds / partial.decayScale);
            value += partial.level * envelope * std::sin(phases[p]);
        }
        buffer[first + i] += tone.level * endGain * value;
    }
}

Samples silence(double seconds) {
    return Samples(static_cast<std::size_t>(std::lround(seconds * sampleRate)), 0.0);
}

void fadeEnds(Samples& buffer, double fadeInSeconds, double fadeOutSeconds) {
    const auto size = buffer.size();
    const auto fadeIn = std::min(size, static_cast<std::size_t>(fadeInSeconds * sampleRate));
    const auto fadeOut = std::min(size, static_cast<std::size_t>(fadeOutSeconds * sampleRate));
    for (std::size_t i = 0; i < fadeIn; ++i) {
        buffer[i] *= 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / fadeIn);
    }
    for (std::size_t i = 0; i < fadeOut; ++i) {
        buffer[size - 1 - i] *= 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / fadeOut);
    }
}

void normalisePeak(Samples& buffer, double peakDecibels) {
    double peak = 0.0;
    for (double s : buffer) {
        peak = std::max(peak, std::fabs(s));
    }
    if (peak <= 0.0) {
        return;
    }
    const double gain = std::pow(10.0, peakDecibels / 20.0) / peak;
    for (double& s : buffer) {
        s *= gain;
    }
}

void lowPass(Samples& buffer, double cutoffHz) {
    const double alpha = 1.0 - std::exp(-2.0 * pi * cutoffHz / sampleRate);
    double state = 0.0;
    for (double& s : buffer) {
        state += alpha * (s - state);
        s = state;
    }
}

std::string encodeWave(const Samples& buffer) {
    constexpr int bytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(buffer.size() * bytesPerSample);
    std::string bytes;
    bytes.reserve(44 + dataBytes);
    bytes += "RIFF";
    appendLittleEndian(bytes, 36 + dataBytes, 4);
    bytes += "WAVEfmt ";
    appendLittleEndian(bytes, 16, 4);                           // fmt chunk size
    appendLittleEndian(bytes, 1, 2);                            // PCM
    appendLittleEndian(bytes, 1, 2);                            // mono
    appendLittleEndian(bytes, sampleRate, 4);                   // samples per second
    appendLittleEndian(bytes, sampleRate * bytesPerSample, 4);  // bytes per second
    appendLittleEndian(bytes, bytesPerSample, 2);               // block alignment
    appendLittleEndian(bytes, 8 * bytesPerSample, 2);           // bits per sample
    bytes += "data";
    appendLittleEndian(bytes, dataBytes, 4);
    for (double s : buffer) {
        const double clamped = std::clamp(s, -1.0, 1.0);
        const auto value = static_cast<std::int16_t>(std::lround(clamped * 32767.0));
        appendLittleEndian(bytes, static_cast<std::uint16_t>(value), 2);
    }
    return bytes;
}

bool writeFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "mediagen: cannot write %s\n", file.string().c_str());
        return false;
    }
    return true;
}

}  // namespace mediagen::sound
