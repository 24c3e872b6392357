// Rng: the generator's own pseudo-random numbers.
//
// SplitMix64 with an integer-only mapping to ranges, so that one seed gives the same
// installation with every compiler and standard library (the standard distributions are
// not portable). Each kind of content draws from its own stream (Rng::Stream), so that
// asking for more units does not change the heroes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    // An independent stream for one kind of content under one seed.
    static Rng Stream(uint64_t seed, uint64_t kind) {
        Rng mix(seed ^ (kind * 0xD1B54A32D192ED03ull));
        return Rng(mix.Next());
    }

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); 0 when n is 0.
    uint32_t Below(size_t n) {
        return static_cast<uint32_t>(((Next() >> 32) * static_cast<uint64_t>(n)) >> 32);
    }
    // Uniform in [lo, hi].
    int Range(int lo, int hi) { return lo + static_cast<int>(Below(static_cast<size_t>(hi - lo + 1))); }
    bool Percent(int chance) { return static_cast<int>(Below(100)) < chance; }

    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

    template <typename T>
    void Shuffle(std::vector<T>& items) {
        for (size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[Below(i)]);
    }

private:
    uint64_t state_;
};
