// Wav: short PCM tones for the sample installation's sound effects.
//
// Synthesised with integer arithmetic only (a rational sine approximation, a phase
// accumulator and a shift-register noise source), so the bytes are the same on every
// machine. The game's own samples are 22050 Hz, 16-bit, mono; the other formats exist to
// exercise the editor's format warnings.
#pragma once

#include <cstdint>
#include <string>

struct Tone {
    uint32_t rate = 22050;
    uint16_t channels = 1;
    uint32_t milliseconds = 250;
    uint32_t startHz = 440;   // the pitch glides linearly from startHz to endHz
    uint32_t endHz = 440;
    uint32_t noisePercent = 0;  // share of noise in the mix, 0 to 100
    uint32_t pulses = 1;        // the envelope repeats this many times (drums, footsteps)
    uint32_t noiseSeed = 1;
};

// A complete RIFF/WAVE file: 44-byte header and 16-bit little-endian samples.
std::string MakeWav(const Tone& tone);
