#include "resources/HiddenBlock.h"

namespace {

inline void PutBit(uint32_t words[3], unsigned position, uint32_t bit) {
    uint32_t mask = 1u << (position % 32);
    words[position / 32] = (words[position / 32] & ~mask) | (bit ? mask : 0);
}

inline uint32_t GetBit(const uint32_t words[3], unsigned position) {
    return (words[position / 32] >> (position % 32)) & 1u;
}

uint32_t HighestBit(uint32_t v) {
    uint32_t top = 0;
    for (uint32_t i = 0; i < 32; ++i) {
        if (v & (1u << i)) top = i;
    }
    return top;
}

}  // namespace

HiddenBlock EncodeHiddenBlock(uint32_t value, uint32_t lengthCopy, std::mt19937& random) {
    HiddenBlock block;
    for (uint32_t& w : block.words) w = static_cast<uint32_t>(random());
    for (unsigned i = 0; i < 32; ++i) PutBit(block.words, kValueBits[i], (value >> i) & 1u);
    block.bitTop = HighestBit(lengthCopy);
    for (unsigned i = 0; i <= block.bitTop; ++i) {
        PutBit(block.words, kLengthBits[i], (lengthCopy >> i) & 1u);
    }
    return block;
}

HiddenValues DecodeHiddenBlock(const uint32_t words[3], uint32_t bitTop) {
    HiddenValues v;
    for (unsigned i = 0; i < 32; ++i) v.value |= GetBit(words, kValueBits[i]) << i;
    v.bitTopValid = bitTop < 32;
    uint32_t top = v.bitTopValid ? bitTop : 31;
    for (unsigned i = 0; i <= top; ++i) v.lengthCopy |= GetBit(words, kLengthBits[i]) << i;
    return v;
}

uint32_t PackAccessCode(const char* code) {
    if (!code || !*code) return kNoValue;
    uint32_t packed = 0;
    for (int i = 0; i < 4; ++i) {
        unsigned char c = static_cast<unsigned char>(*code);
        packed |= static_cast<uint32_t>(c) << (24 - 8 * i);
        if (*code) ++code;
    }
    return packed;
}
