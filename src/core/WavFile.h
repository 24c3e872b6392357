// WAV samples: the check a sample chosen for a sound slot goes through, its warnings, and the
// reading of a WAV file's PCM audio for playback.
//
// The check is deliberately shallow: it looks at the file's size and at three fields of the
// usual 44-byte header (channels at offset 22, sample rate at 24, bits per sample at 34), the
// way the game expects its own samples to be laid out, and it only ever advises. ReadWav is
// the careful one: it walks the RIFF chunks of bytes from anywhere and checks every size
// against the bytes it was given.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

enum class WavCheck : uint8_t { Accepted, NotFound, TooLarge, TooSmall, WrongFormat };

struct WavHeaderFields {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
};

inline constexpr uint64_t kMaxSampleBytes = 200000;  // larger: too large
inline constexpr uint64_t kMinSampleBytes = 100;     // smaller: too small

// The check a chosen WAV file passes: a file that cannot be opened (a folder, a FIFO or a
// device counts as one) is not found; one of more than kMaxSampleBytes is too large, one of
// fewer than kMinSampleBytes too small; otherwise it is accepted when its header says 1
// channel, 22050 Hz and 16 bits, and of the wrong format when it says anything else or cannot
// be read. header, when given, receives the three fields read (left zero when the header was
// not read).
WavCheck CheckWav(const std::filesystem::path& path, WavHeaderFields* header = nullptr);

// The warning for a result, with fileName where the message names the file; empty for Accepted.
std::string WavWarning(WavCheck result, const std::string& fileName);

// "accepted", "not found", "too large", "too small", "wrong format".
const char* WavCheckName(WavCheck result);

// PCM audio read out of a WAV file's bytes, for playback: interleaved little-endian frames
// (unsigned 8-bit or signed 16-bit samples), whole frames only.
struct WavAudio {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    std::string pcm;
};

// Reads a RIFF WAVE file's bytes: its "fmt " chunk (PCM, 1 or 2 channels, 8 or 16 bits, 1000
// to 192000 Hz, a block align that matches) and its "data" chunk, in either order, skipping
// any other chunk. Every chunk size is checked against the bytes that remain; a chunk that
// claims more is an error, never cut short. False, with out untouched and *error (when given)
// saying what is wrong in plain words, when the bytes are not such a file.
bool ReadWav(std::string_view bytes, WavAudio& out, std::string* error = nullptr);
