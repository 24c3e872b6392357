#include "Wav.h"

#include <algorithm>

namespace {

void PutU16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// sin(2 pi phase / 2^32) scaled to +-32767: Bhaskara's rational approximation on each half
// wave, y = x (pi - x) with x in [0, pi) mapped onto [0, 32768).
int32_t Sine(uint32_t phase) {
    const int64_t x = (phase >> 16) & 0x7FFF;
    const int64_t y = x * (32768 - x);
    const int64_t v = 32767 * 16 * y / ((int64_t{5} << 30) - 4 * y);
    return static_cast<int32_t>((phase & 0x80000000u) ? -v : v);
}

}  // namespace

std::string MakeWav(const Tone& tone) {
    const uint32_t frames = static_cast<uint32_t>(uint64_t{tone.rate} * tone.milliseconds / 1000);
    const uint32_t blockAlign = tone.channels * 2u;
    const uint32_t dataSize = frames * blockAlign;

    std::string out;
    out.reserve(44 + dataSize);
    out += "RIFF";
    PutU32(out, 36 + dataSize);
    out += "WAVE";
    out += "fmt ";
    PutU32(out, 16);
    PutU16(out, 1);  // PCM
    PutU16(out, tone.channels);
    PutU32(out, tone.rate);
    PutU32(out, tone.rate * blockAlign);
    PutU16(out, blockAlign);
    PutU16(out, 16);
    out += "data";
    PutU32(out, dataSize);

    const uint32_t pulses = std::max<uint32_t>(1, tone.pulses);
    const uint32_t pulseFrames = std::max<uint32_t>(1, frames / pulses);
    const uint32_t attack = std::max<uint32_t>(1, tone.rate / 200);  // 5 ms
    uint32_t phase = 0;
    uint32_t noise = tone.noiseSeed ? tone.noiseSeed : 1;
    for (uint32_t i = 0; i < frames; ++i) {
        const uint64_t hz = (uint64_t{tone.startHz} * (frames - i) + uint64_t{tone.endHz} * i) / frames;
        phase += static_cast<uint32_t>((hz << 32) / tone.rate);
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        const int32_t tonal = (Sine(phase) * 2 + Sine(phase * 2)) / 3;
        const int32_t hiss = static_cast<int32_t>(noise & 0xFFFF) - 32768;
        int64_t s = (int64_t{tonal} * (100 - tone.noisePercent) + int64_t{hiss} * tone.noisePercent) / 100;

        // Envelope: a 5 ms rise, then a linear fall to silence over each pulse.
        const uint32_t inPulse = i % pulseFrames;
        s = s * std::min(inPulse + 1, attack) / attack;
        s = s * (pulseFrames - inPulse) / pulseFrames;
        s = s * 9 / 32;  // leaves headroom
        for (uint16_t c = 0; c < tone.channels; ++c) PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(s)));
    }
    return out;
}
