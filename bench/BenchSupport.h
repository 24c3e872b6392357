// Small helpers shared by the benchmarks: a seeded generator and a temporary directory.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Writes a max-scale sample installation of the base edition into <temporary dir>/install
// with the brix-sample-game at sampleGame (extra options such as "--mods" added) and returns
// that directory; empty, with the failed step in *problem, when it cannot be done. Makes the
// program's temporary directory (see MakeTempDir), so call it once.
inline std::string WriteSampleInstallation(const char* sampleGame, const char* tempName, const char* options,
                                           std::string* problem) {
    const std::filesystem::path dir = MakeTempDir(tempName);
    if (dir.empty()) {
        *problem = "mkdtemp failed";
        return {};
    }
    const std::string install = (dir / "install").string();
    const std::string command = std::string("'") + sampleGame + "' --edition dsc --scale max " + options +
                                " --out '" + install + "' > /dev/null";
    if (std::system(command.c_str()) != 0) {
        *problem = "failed: " + command;
        return {};
    }
    return install;
}

// Runs work() in a forked child and returns the child's peak resident set in KiB (ru_maxrss
// from wait4), or -1 when the child could not be made or did not end with status 0. work
// returns the child's exit status. The child starts with the parent's resident pages, so call
// this while the parent is still small (before any thread is started) and compare children
// with each other, not with zero.
template <typename Work>
long ChildPeakRssKiB(Work&& work) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) _exit(work());
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}

}  // namespace bench
