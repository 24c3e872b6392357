// WAV files for tests, built chunk by chunk so that any field can be made wrong.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wavs {

inline std::string U16(uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v & 0xFFFF)) + U16(static_cast<uint16_t>(v >> 16));
}

// A chunk: id, size (the body's unless claimed says otherwise), body, and the pad byte an odd
// body takes.
inline std::string Chunk(const std::string& id, const std::string& body,
                         std::optional<uint32_t> claimed = {}) {
    std::string chunk = id + U32(claimed.value_or(static_cast<uint32_t>(body.size()))) + body;
    if (body.size() % 2) chunk += '\0';
    return chunk;
}

// A PCM "fmt " chunk's body; the block align is channels * bits / 8 unless given.
inline std::string FmtBody(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = 1,
                           std::optional<uint16_t> blockAlign = {}) {
    const uint16_t align = blockAlign.value_or(static_cast<uint16_t>(channels * (bits / 8)));
    return U16(tag) + U16(channels) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
}

inline std::string Riff(const std::string& chunks, std::optional<uint32_t> claimed = {}) {
    return "RIFF" + U32(claimed.value_or(static_cast<uint32_t>(4 + chunks.size()))) + "WAVE" +
           chunks;
}

// The usual 44-byte header and samples, size bytes in all (44 or more; no pad byte).
inline std::string PlainWav(uint16_t channels, uint32_t rate, uint16_t bits, size_t size) {
    std::string samples(size - 44, '\0');
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<char>(i * 7);
    return Riff(Chunk("fmt ", FmtBody(channels, rate, bits)) + "data" +
                U32(static_cast<uint32_t>(samples.size())) + samples);
}

}  // namespace wavs
