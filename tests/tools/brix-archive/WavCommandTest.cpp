// brix-archive wav: the editor's check of a chosen sample, one line per file, for scripts.
#include <gtest/gtest.h>

#include "core/QSError.h"
#include "support/RunTool.h"

namespace fs = std::filesystem;

namespace {

std::string U16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string U32(uint32_t v) { return U16(static_cast<uint16_t>(v & 0xFFFF)) + U16(static_cast<uint16_t>(v >> 16)); }

// A PCM WAV file with the usual 44-byte header, size bytes in all.
std::string Wav(uint16_t channels, uint32_t rate, uint16_t bits, size_t size) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    return "RIFF" + U32(static_cast<uint32_t>(size - 8)) + "WAVEfmt " + U32(16) + U16(1) + U16(channels) + U32(rate) +
           U32(rate * align) + U16(align) + U16(bits) + "data" + U32(static_cast<uint32_t>(size - 44)) +
           std::string(size - 44, '\x11');
}

class WavCommand : public ::testing::Test {
protected:
    void SetUp() override { DisableLog(); }

    ToolResult Run(const std::vector<std::string>& args) { return RunTool(BRIX_ARCHIVE_EXE, args, dir.path()); }

    TempDir dir;
};

}  // namespace

TEST_F(WavCommand, EveryFileAcceptedExitsZero) {
    WriteFile(dir / "horn.wav", Wav(1, 22050, 16, 4000));
    WriteFile(dir / "big.wav", Wav(1, 22050, 16, 200000));
    const ToolResult r = Run({"wav", "horn.wav", "big.wav"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "horn.wav: accepted, 1 channel, 22050 Hz, 16 bits\n"
              "big.wav: accepted, 1 channel, 22050 Hz, 16 bits\n");
    EXPECT_EQ(r.err, "");
}

// Every file gets its line, in the order given, whatever came before it; the header fields
// appear only when the header was read.
TEST_F(WavCommand, AnyFileNotAcceptedExitsOneAfterEveryLine) {
    WriteFile(dir / "cd.wav", Wav(2, 44100, 16, 3000));
    WriteFile(dir / "old.wav", Wav(1, 11025, 8, 3000));
    WriteFile(dir / "huge.wav", Wav(1, 22050, 16, 200001));
    WriteFile(dir / "tiny.wav", Wav(1, 22050, 16, 99));
    WriteFile(dir / "ok.wav", Wav(1, 22050, 16, 100));
    fs::create_directory(dir / "folder.wav");
    const ToolResult r =
        Run({"wav", "cd.wav", "missing.wav", "old.wav", "huge.wav", "tiny.wav", "folder.wav", "ok.wav", "new\nline.wav"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out,
              "cd.wav: wrong format, 2 channels, 44100 Hz, 16 bits\n"
              "missing.wav: not found\n"
              "old.wav: wrong format, 1 channel, 11025 Hz, 8 bits\n"
              "huge.wav: too large\n"
              "tiny.wav: too small\n"
              "folder.wav: not found\n"
              "ok.wav: accepted, 1 channel, 22050 Hz, 16 bits\n"
              "new\\x0aline.wav: not found\n");  // a name cannot break its line in two
    EXPECT_EQ(r.err, "");
}

TEST_F(WavCommand, NoFileIsAUsageError) {
    const ToolResult r = Run({"wav"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("FILE"), std::string::npos) << r.err;
}
