// Small helpers shared by the benchmarks: a seeded generator and a temporary directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace bench {

// splitmix64: small, fast and the same everywhere (unlike the standard distributions).
struct Rng {
    uint64_t s;
    uint64_t Next() {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
    uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Below(hi - lo + 1); }
    bool Percent(uint32_t p) { return Below(100) < p; }
    template <typename T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }
};

// Makes /tmp/<name>.XXXXXX with mkdtemp; it is removed with everything in it when the
// program exits. Empty when it cannot be made. Call it once per program.
inline std::filesystem::path MakeTempDir(const char* name) {
    static std::filesystem::path dir;
    std::string pattern = std::string("/tmp/") + name + ".XXXXXX";
    if (!mkdtemp(pattern.data())) return {};
    dir = pattern;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    });
    return dir;
}

}  // namespace bench
