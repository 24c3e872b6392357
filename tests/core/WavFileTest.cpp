// The check a WAV file chosen for a sound slot passes, its warnings, and the careful reading of
// a WAV file's audio for playback, over files made chunk by chunk.
#include "core/WavFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <vector>

#include "support/TempDir.h"
#include "support/Wavs.h"

using ::testing::HasSubstr;

void PrintTo(WavCheck result, std::ostream* os) { *os << WavCheckName(result); }

namespace {

using namespace wavs;

// --- CheckWav -------------------------------------------------------------------------------

struct CheckCase {
    const char* name;
    std::string bytes;
    WavCheck expected;
    WavHeaderFields fields;  // all zero when the header is not read
};

TEST(CheckWav, SizeLimitsAndHeaderFields) {
        std::string garbage(500, '\xFF');
    // A LIST chunk ahead of fmt moves the fields: the check reads fixed offsets, not chunks.
    const std::string listFirst =
        Riff(Chunk("LIST", std::string(10, 'x')) + Chunk("fmt ", FmtBody(1, 22050, 16)) + Chunk("data", std::string(400, '\1')));
    const CheckCase cases[] = {
        {"accepted", PlainWav(1, 22050, 16, 5000), WavCheck::Accepted, {1, 22050, 16}},
        {"exactly the largest size", PlainWav(1, 22050, 16, 200000), WavCheck::Accepted, {1, 22050, 16}},
        {"one byte too large", PlainWav(1, 22050, 16, 200001), WavCheck::TooLarge, {}},
        {"far too large", PlainWav(1, 22050, 16, 1 << 20), WavCheck::TooLarge, {}},
        {"one byte too small", PlainWav(1, 22050, 16, 99), WavCheck::TooSmall, {}},
        {"empty", "", WavCheck::TooSmall, {}},
        {"exactly the smallest size, read", PlainWav(1, 22050, 16, 100), WavCheck::Accepted, {1, 22050, 16}},
        {"smallest size, 44.1 kHz", PlainWav(1, 44100, 16, 100), WavCheck::WrongFormat, {1, 44100, 16}},
        {"44.1 kHz", PlainWav(1, 44100, 16, 3000), WavCheck::WrongFormat, {1, 44100, 16}},
        {"stereo", PlainWav(2, 22050, 16, 3000), WavCheck::WrongFormat, {2, 22050, 16}},
        {"8 bits", PlainWav(1, 22050, 8, 3000), WavCheck::WrongFormat, {1, 22050, 8}},
        {"11 kHz", PlainWav(1, 11025, 16, 3000), WavCheck::WrongFormat, {1, 11025, 16}},
        {"garbage header", garbage, WavCheck::WrongFormat, {0xFFFF, 0xFFFFFFFF, 0xFFFF}},
        {"text", std::string(150, 'a'), WavCheck::WrongFormat, {0x6161, 0x61616161, 0x6161}},
        {"fields moved by a chunk", listFirst, WavCheck::WrongFormat, {0x7878, 0x78787878, 16}},
    };
    TempDir dir;
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir / "sample.wav";
        WriteFile(path, c.bytes);
        WavHeaderFields fields{9, 9, 9};  // overwritten in every case
        EXPECT_EQ(CheckWav(path, &fields), c.expected);
        EXPECT_EQ(fields.channels, c.fields.channels);
        EXPECT_EQ(fields.sampleRate, c.fields.sampleRate);
        EXPECT_EQ(fields.bitsPerSample, c.fields.bitsPerSample);
    }
}

// Whatever cannot be opened and read as a file is not found, at once: a FIFO would otherwise
// keep the editor waiting for a writer that never comes.
TEST(CheckWav, WhatIsNoFileIsNotFound) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.wav");
    ASSERT_EQ(::mkfifo((dir / "pipe.wav").c_str(), 0644), 0);
    WriteFile(dir / "real.wav", PlainWav(1, 22050, 16, 500));
    std::filesystem::create_symlink(dir / "real.wav", dir / "link.wav");
    std::filesystem::create_symlink(dir / "gone.wav", dir / "dangling.wav");

    for (const char* name : {"missing.wav", "folder.wav", "pipe.wav", "dangling.wav"}) {
        WavHeaderFields fields{9, 9, 9};
        EXPECT_EQ(CheckWav(dir / name, &fields), WavCheck::NotFound) << name;
        EXPECT_EQ(fields.channels + fields.sampleRate + fields.bitsPerSample, 0u) << name;
    }
    EXPECT_EQ(CheckWav(dir / "link.wav"), WavCheck::Accepted);
}

TEST(CheckWav, WarningsAndNames) {
    // The file name goes in as it stands, even when it looks like a format.
    const std::string file = "C:\\Sounds\\100%s \"horn\".wav";
    const struct {
        WavCheck result;
        const char* name;
        std::string warning;
    } cases[] = {
        {WavCheck::Accepted, "accepted", ""},
        {WavCheck::NotFound, "not found", "Warning \"C:\\Sounds\\100%s \"horn\".wav\" not found."},
        {WavCheck::TooLarge, "too large",
         "Warning \"C:\\Sounds\\100%s \"horn\".wav\" is too large, new samples must be less than 200K."},
        {WavCheck::TooSmall, "too small",
         "Warning \"C:\\Sounds\\100%s \"horn\".wav\" is too small, header possibly incorrect?"},
        {WavCheck::WrongFormat, "wrong format",
         "Warning \"C:\\Sounds\\100%s \"horn\".wav\" is not 22 Khz, 16-bit mono. Performance may be impacted. "
         "Recommend resampling to 22 Khz 16-bit mono."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WavWarning(c.result, file), c.warning);
        EXPECT_STREQ(WavCheckName(c.result), c.name);
    }
}

// --- ReadWav --------------------------------------------------------------------------------

struct GoodCase {
    const char* name;
    std::string bytes;
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
    std::string pcm;
};

TEST(ReadWav, ReadsTheAudioWhereverTheChunksAre) {
    const std::string mono22 = FmtBody(1, 22050, 16);
    const std::string samples = "\x01\x02\x03\x04\x05\x06";
    const std::string longFmt = FmtBody(2, 8000, 8) + U16(0);  // 18 bytes: cbSize 0
    const GoodCase cases[] = {
        {"plain", Riff(Chunk("fmt ", mono22) + Chunk("data", samples)), 1, 22050, 16, samples},
        {"unknown chunks, odd sizes padded",
         Riff(Chunk("LIST", "abc") + Chunk("fmt ", mono22) + Chunk("fact", "x") + Chunk("data", samples)), 1, 22050,
         16, samples},
        {"data before fmt", Riff(Chunk("data", samples) + Chunk("fmt ", mono22)), 1, 22050, 16, samples},
        {"a longer fmt chunk", Riff(Chunk("fmt ", longFmt) + Chunk("data", "abc")), 2, 8000, 8, "ab"},
        {"a partial frame is dropped, its missing pad byte forgiven",
         Riff(Chunk("fmt ", FmtBody(2, 44100, 16)) + "data" + U32(7) + "1234567"), 2, 44100, 16, "1234"},
        {"no samples", Riff(Chunk("fmt ", mono22) + Chunk("data", "")), 1, 22050, 16, ""},
        {"the lowest rate", Riff(Chunk("fmt ", FmtBody(1, 1000, 8)) + Chunk("data", "z")), 1, 1000, 8, "z"},
        {"the highest rate", Riff(Chunk("fmt ", FmtBody(1, 192000, 8)) + Chunk("data", "z")), 1, 192000, 8, "z"},
        // Streaming writers leave the RIFF size zero or at its maximum.
        {"RIFF size zero", Riff(Chunk("fmt ", mono22) + Chunk("data", samples), 0), 1, 22050, 16, samples},
        {"RIFF size too large", Riff(Chunk("fmt ", mono22) + Chunk("data", samples), 0xFFFFFFFF), 1, 22050, 16,
         samples},
        // Whatever follows the audio is never looked at, however broken.
        {"junk after the data", Riff(Chunk("fmt ", mono22) + Chunk("data", samples)) + "id3 " + U32(0xFFFFFFF0), 1,
         22050, 16, samples},
        {"a second data chunk is ignored",
         Riff(Chunk("fmt ", mono22) + Chunk("data", samples) + Chunk("data", "zz")), 1, 22050, 16, samples},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.name);
        WavAudio audio;
        std::string error;
        ASSERT_TRUE(ReadWav(c.bytes, audio, &error)) << error;
        EXPECT_EQ(audio.channels, c.channels);
        EXPECT_EQ(audio.sampleRate, c.rate);
        EXPECT_EQ(audio.bitsPerSample, c.bits);
        EXPECT_EQ(audio.pcm, c.pcm);
    }
}

struct BadCase {
    const char* name;
    std::string bytes;
    const char* error;
};

TEST(ReadWav, RefusesMalformedAndUnsupportedFilesSayingWhy) {
    const std::string mono22 = FmtBody(1, 22050, 16);
    const std::string pcm(64, '\x10');
    const std::string good = Riff(Chunk("fmt ", mono22) + Chunk("data", pcm));
    auto withFmt = [&](const std::string& fmt) { return Riff(Chunk("fmt ", fmt) + Chunk("data", pcm)); };
    const BadCase cases[] = {
        {"empty", "", "not a RIFF WAVE file"},
        {"only the RIFF header", good.substr(0, 11), "not a RIFF WAVE file"},
        {"not RIFF", "RIFX" + good.substr(4), "not a RIFF WAVE file"},
        {"not WAVE", good.substr(0, 8) + "AVI " + good.substr(12), "not a RIFF WAVE file"},
        {"no chunks", Riff(""), "no fmt chunk"},
        {"a chunk header cut short", Riff("fmt " + U16(16)), "no fmt chunk"},
        {"no fmt chunk", Riff(Chunk("data", pcm)), "no fmt chunk"},
        {"no data chunk", Riff(Chunk("fmt ", mono22) + Chunk("LIST", "info")), "no data chunk"},
        {"data one byte longer than the file", Riff(Chunk("fmt ", mono22) + "data" + U32(65) + pcm),
         "the data chunk runs past the end of the file (65 bytes claimed, 64 left)"},
        {"data of 4 GB", Riff(Chunk("fmt ", mono22) + "data" + U32(0xFFFFFFFF) + pcm),
         "the data chunk runs past the end of the file"},
        {"fmt longer than the file", Riff("fmt " + U32(0xFFFFFFF8) + mono22), "the fmt chunk runs past the end"},
        {"an unknown chunk longer than the file", Riff(Chunk("LI\x01T", "", 0x7FFFFFFF) + Chunk("fmt ", mono22)),
         "the \"LI\\x01T\" chunk runs past the end of the file"},
        {"fmt too short", Riff(Chunk("fmt ", mono22.substr(0, 14)) + Chunk("data", pcm)),
         "the fmt chunk is too short (14 bytes)"},
        {"floating point", withFmt(FmtBody(1, 22050, 32, 3)), "unsupported format: only PCM is played (format tag 3)"},
        {"extensible", withFmt(FmtBody(2, 22050, 16, 0xFFFE)), "unsupported format: only PCM is played"},
        {"ADPCM", withFmt(FmtBody(1, 22050, 4, 2)), "unsupported format: only PCM is played"},
        {"24 bits", withFmt(FmtBody(1, 22050, 24)), "unsupported: 24 bits per sample"},
        {"no bits", withFmt(FmtBody(1, 22050, 0, 1, 2)), "unsupported: 0 bits per sample"},
        {"6 channels", withFmt(FmtBody(6, 22050, 16)), "unsupported: 6 channels"},
        {"no channels", withFmt(FmtBody(0, 22050, 16, 1, 2)), "unsupported: 0 channels"},
        {"rate too low", withFmt(FmtBody(1, 999, 16)), "unsupported: a sample rate of 999 Hz"},
        {"rate too high", withFmt(FmtBody(1, 192001, 16)), "unsupported: a sample rate of 192001 Hz"},
        {"block align too small", withFmt(FmtBody(2, 22050, 16, 1, 2)),
         "the block align 2 does not match 2 channels of 16 bits"},
        {"block align zero", withFmt(FmtBody(1, 22050, 8, 1, 0)), "the block align 0 does not match 1 channel of 8 bits"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        WavAudio audio{2, 11025, 8, "kept"};
        std::string error;
        EXPECT_FALSE(ReadWav(c.bytes, audio, &error));
        EXPECT_THAT(error, HasSubstr(c.error));
        EXPECT_EQ(audio.pcm, "kept");  // out is left alone
        EXPECT_EQ(audio.sampleRate, 11025u);
        EXPECT_FALSE(ReadWav(c.bytes, audio));  // without an error string too
    }
}

}  // namespace
