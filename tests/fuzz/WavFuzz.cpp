// Reads arbitrary bytes as a WAV file, as playback does, and checks them as a file chosen for a
// sound slot: ReadWav must stay inside the bytes and hand back only what it promises (1 or 2
// channels of 8 or 16 bits, whole frames no longer than the input), and CheckWav must decide
// by the file's size before it reads the header.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/WavFile.h"

namespace {
const std::string& ScratchPath() {
    static const std::string path = "/tmp/brix-fuzz-sample-" + std::to_string(getpid()) + ".wav";
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    WavAudio audio;
    std::string error;
    if (ReadWav(bytes, audio, &error)) {
        const size_t frame = size_t{audio.channels} * (audio.bitsPerSample / 8);
        if (audio.channels < 1 || audio.channels > 2) __builtin_trap();
        if (audio.bitsPerSample != 8 && audio.bitsPerSample != 16) __builtin_trap();
        if (audio.sampleRate < 1000 || audio.sampleRate > 192000) __builtin_trap();
        if (audio.pcm.size() % frame != 0 || audio.pcm.size() + 44 > size) __builtin_trap();
        if (bytes.find(audio.pcm) == std::string_view::npos) __builtin_trap();  // the file's own samples
        if (!error.empty()) __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();  // a refusal always says why
    }

    FILE* f = std::fopen(ScratchPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    WavHeaderFields header;
    const WavCheck check = CheckWav(ScratchPath(), &header);
    const bool sized = size >= kMinSampleBytes && size <= kMaxSampleBytes;
    const WavCheck bySize = size > kMaxSampleBytes ? WavCheck::TooLarge : WavCheck::TooSmall;
    if (sized ? check != WavCheck::Accepted && check != WavCheck::WrongFormat : check != bySize) __builtin_trap();
    const bool read = header.channels || header.sampleRate || header.bitsPerSample;
    if (read && !sized) __builtin_trap();
    if (check == WavCheck::Accepted && (header.channels != 1 || header.sampleRate != 22050 || header.bitsPerSample != 16))
        __builtin_trap();
    if (WavWarning(check, "x").empty() != (check == WavCheck::Accepted)) __builtin_trap();
    return 0;
}
