// The two scrambled 96-bit blocks of the header (IdentityBlock and CodeBlock).
//
// Each hides a 32-bit value and a copy of the archive's length. Bit i of the value sits at
// block position ValueBits[i], bit i of the length copy at LengthBits[i]; position p is bit
// p % 32 of word p / 32. The other 32 positions carry random bits. The tables and the
// no-value sentinel are part of the format: changing them makes existing archives
// unreadable.
#pragma once

#include <array>
#include <cstdint>
#include <random>

inline constexpr std::array<uint8_t, 32> kValueBits = {
    6, 83, 38, 43, 80, 59, 35, 78, 20, 87, 89, 53, 66, 49, 34, 36,
    52, 45, 56, 69, 46, 86, 33, 11, 79, 42, 4, 77, 16, 5, 24, 73};
inline constexpr std::array<uint8_t, 32> kLengthBits = {
    41, 12, 64, 30, 94, 92, 48, 57, 2, 29, 10, 81, 7, 55, 67, 31,
    76, 13, 15, 93, 25, 51, 23, 3, 26, 85, 63, 27, 18, 28, 21, 75};
// Stored where there is no value (no access code; the identity of our own archives).
inline constexpr uint32_t kNoValue = 0x0120D265;

struct HiddenBlock {
    uint32_t words[3] = {0, 0, 0};
    uint32_t bitTop = 0;  // highest set bit of the length copy; 0 when it is 0
};

// Hides value and lengthCopy among random bits.
HiddenBlock EncodeHiddenBlock(uint32_t value, uint32_t lengthCopy, std::mt19937& random);

struct HiddenValues {
    uint32_t value = 0;
    uint32_t lengthCopy = 0;
    bool bitTopValid = true;  // false when bitTop is above 31 (no such table entry)
};
HiddenValues DecodeHiddenBlock(const uint32_t words[3], uint32_t bitTop);

// Consistent when the value is the sentinel or the length copy matches the archive.
inline bool HiddenBlockConsistent(const HiddenValues& v, uint32_t fileLength) {
    return v.value == kNoValue || (v.bitTopValid && v.lengthCopy == fileLength);
}

// Packs up to four characters, the first in the top byte; empty or absent gives kNoValue.
uint32_t PackAccessCode(const char* code);
