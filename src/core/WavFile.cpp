#include "core/WavFile.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

// A WAV file as the game's samples are laid out (offsets in bytes, integers little-endian):
//
//    0  "RIFF"   4  RIFF size   8  "WAVE"
//   12  "fmt "  16  fmt size (16)
//   20  format tag (1: PCM)   22  channels   24  sample rate   28  byte rate
//   32  block align           34  bits per sample
//   36  "data"  40  data size   44  the samples
//
// CheckWav reads offsets 20 to 37 of this layout and nothing else. Files from other tools may
// put more chunks ("LIST", "fact"...) before or between these, which is why ReadWav walks the
// chunks instead: each is an id, a 32-bit size and that many bytes, plus a pad byte when the
// size is odd.

namespace {

uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t U32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

constexpr std::streamoff kHeaderOffset = 20;
constexpr std::streamsize kHeaderBytes = 18;

// A chunk id as a message shows it: in quotes, other bytes than printable ASCII as \xNN.
std::string ChunkName(std::string_view id) {
    std::string name = "\"";
    for (const char c : id) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            name += c;
        } else {
            const char* digits = "0123456789abcdef";
            name += "\\x";
            name += digits[byte >> 4];
            name += digits[byte & 0xF];
        }
    }
    return name + "\"";
}

bool Refuse(std::string* error, std::string problem) {
    if (error) *error = std::move(problem);
    return false;
}

}  // namespace

WavCheck CheckWav(const fs::path& path, WavHeaderFields* header) {
    if (header) *header = {};
    // Only a regular file (or a link to one) is opened: a folder cannot be read as a file, and a
    // FIFO or a device could keep the caller waiting for ever.
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return WavCheck::NotFound;
    std::ifstream in(path, std::ios::binary);
    if (!in) return WavCheck::NotFound;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return WavCheck::NotFound;
    if (static_cast<uint64_t>(size) > kMaxSampleBytes) return WavCheck::TooLarge;
    if (static_cast<uint64_t>(size) < kMinSampleBytes) return WavCheck::TooSmall;

    unsigned char bytes[kHeaderBytes];
    in.seekg(kHeaderOffset);
    in.read(reinterpret_cast<char*>(bytes), kHeaderBytes);
    if (in.gcount() != kHeaderBytes) return WavCheck::WrongFormat;  // shrunk since it was measured
    const WavHeaderFields fields{U16(bytes + 2), U32(bytes + 4), U16(bytes + 14)};
    if (header) *header = fields;
    const bool wanted = fields.channels == 1 && fields.sampleRate == 22050 && fields.bitsPerSample == 16;
    return wanted ? WavCheck::Accepted : WavCheck::WrongFormat;
}

std::string WavWarning(WavCheck result, const std::string& fileName) {
    const std::string quoted = "Warning \"" + fileName + "\"";
    switch (result) {
        case WavCheck::Accepted: return {};
        case WavCheck::NotFound: return quoted + " not found.";
        case WavCheck::TooLarge: return quoted + " is too large, new samples must be less than 200K.";
        case WavCheck::TooSmall: return quoted + " is too small, header possibly incorrect?";
        case WavCheck::WrongFormat:
            return quoted +
                   " is not 22 Khz, 16-bit mono. Performance may be impacted. Recommend resampling to 22 Khz "
                   "16-bit mono.";
    }
    return {};
}

const char* WavCheckName(WavCheck result) {
    switch (result) {
        case WavCheck::Accepted: return "accepted";
        case WavCheck::NotFound: return "not found";
        case WavCheck::TooLarge: return "too large";
        case WavCheck::TooSmall: return "too small";
        case WavCheck::WrongFormat: return "wrong format";
    }
    return "unknown";
}

bool ReadWav(std::string_view bytes, WavAudio& out, std::string* error) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    if (size < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
        return Refuse(error, "not a RIFF WAVE file");
    }

    // The RIFF size is not trusted: writers that stream leave it zero or too large, and some
    // forget the pad bytes. The chunks are walked to the real end of the bytes, and the walk
    // stops once both chunks are found, so that whatever follows the audio is never looked at.
    std::string_view fmt, samples;
    bool haveFmt = false, haveData = false;
    size_t pos = 12;
    while (!(haveFmt && haveData) && size - pos >= 8) {
        const std::string_view id = bytes.substr(pos, 4);
        const uint32_t length = U32(data + pos + 4);
        const size_t body = pos + 8;
        if (length > size - body) {
            const std::string which = id == "fmt " ? "fmt" : id == "data" ? "data" : ChunkName(id);
            return Refuse(error, "the " + which + " chunk runs past the end of the file (" + std::to_string(length) +
                                     " bytes claimed, " + std::to_string(size - body) + " left)");
        }
        if (id == "fmt " && !haveFmt) {
            fmt = bytes.substr(body, length);
            haveFmt = true;
        } else if (id == "data" && !haveData) {
            samples = bytes.substr(body, length);
            haveData = true;
        }
        // The pad byte after an odd size may be missing at the very end.
        pos = body + length + (length & 1);
        if (pos > size) pos = size;
    }
    if (!haveFmt) return Refuse(error, "no fmt chunk");
    if (!haveData) return Refuse(error, "no data chunk");

    if (fmt.size() < 16) return Refuse(error, "the fmt chunk is too short (" + std::to_string(fmt.size()) + " bytes)");
    const auto* f = reinterpret_cast<const unsigned char*>(fmt.data());
    const uint16_t tag = U16(f), channels = U16(f + 2), blockAlign = U16(f + 12), bits = U16(f + 14);
    const uint32_t rate = U32(f + 4);
    if (tag != 1) {
        return Refuse(error, "unsupported format: only PCM is played (format tag " + std::to_string(tag) + ")");
    }
    if (channels != 1 && channels != 2) return Refuse(error, "unsupported: " + std::to_string(channels) + " channels");
    if (bits != 8 && bits != 16) return Refuse(error, "unsupported: " + std::to_string(bits) + " bits per sample");
    if (rate < 1000 || rate > 192000) return Refuse(error, "unsupported: a sample rate of " + std::to_string(rate) + " Hz");
    const uint16_t frame = static_cast<uint16_t>(channels * (bits / 8));
    if (blockAlign != frame) {
        return Refuse(error, "the block align " + std::to_string(blockAlign) + " does not match " +
                                 (channels == 1 ? "1 channel" : "2 channels") + " of " + std::to_string(bits) + " bits");
    }

    out.channels = channels;
    out.sampleRate = rate;
    out.bitsPerSample = bits;
    out.pcm.assign(samples.substr(0, samples.size() - samples.size() % frame));
    return true;
}
