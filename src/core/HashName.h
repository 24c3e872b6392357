// HashName: the 32-bit hash of a resource name under which every name is looked up.
//
// Case-insensitive for ASCII letters only; path separators are not normalised, so
// "Data\a.ini" and "Data/a.ini" hash differently. An absent or empty name hashes to 0.
#pragma once

#include <cstdint>
#include <string_view>

inline uint32_t HashFoldByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<uint32_t>(c - ('a' - 'A')) : c;
}

// Hashes the bytes of name up to its end (or an embedded zero byte, as a C string would).
inline uint32_t HashName(std::string_view name) {
    if (name.empty() || name[0] == '\0') return 0;
    uint32_t h = HashFoldByte(static_cast<unsigned char>(name[0])) * 256u;
    uint32_t k = 0;
    for (size_t i = 1; i < name.size(); ++i, ++k) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == 0) break;
        h = h + (h >> 4) * HashFoldByte(c) + k;
    }
    return h;
}

// The same over a zero-terminated string, in one pass.
inline uint32_t HashName(const char* name) {
    if (!name || !*name) return 0;
    uint32_t h = HashFoldByte(static_cast<unsigned char>(*name)) * 256u;
    for (uint32_t k = 0; *++name; ++k) h = h + (h >> 4) * HashFoldByte(static_cast<unsigned char>(*name)) + k;
    return h;
}

// Case-insensitive comparison of names, folding ASCII letters only (as HashName does).
inline int CompareNames(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        uint32_t ca = HashFoldByte(static_cast<unsigned char>(a[i]));
        uint32_t cb = HashFoldByte(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNames(a, b) == 0;
}
