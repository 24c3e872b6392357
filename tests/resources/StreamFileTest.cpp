#include "resources/QSStreamFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "core/QSError.h"
#include "resources/HiddenBlock.h"
#include "support/Archives.h"

using ::testing::HasSubstr;

namespace {

std::string Read(const QSStreamFile& archive, size_t index) {
    ResourceContent content;
    const FileNode& node = archive.Nodes().at(index);
    archive.ReadContent(node, content);
    return std::string(content.data.get(), node.Len);
}

}  // namespace

TEST(HiddenBlock, TablesHoldSixtyFourDistinctPositionsInsideTheBlock) {
    std::set<int> positions;
    for (int p : kValueBits) positions.insert(p);
    for (int p : kLengthBits) positions.insert(p);
    EXPECT_EQ(positions.size(), 64u);
    EXPECT_GE(*positions.begin(), 1);
    EXPECT_LE(*positions.rbegin(), 94);
}

TEST(HiddenBlock, ValuesSurviveTheRandomFill) {
    std::mt19937 random(42);
    for (uint32_t value : {0u, 1u, kNoValue, 0x41424344u, 0xFFFFFFFFu}) {
        for (uint32_t length : {0u, 1u, 2048u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
            HiddenBlock a = EncodeHiddenBlock(value, length, random);
            HiddenBlock b = EncodeHiddenBlock(value, length, random);
            EXPECT_NE(std::vector<uint32_t>(a.words, a.words + 3), std::vector<uint32_t>(b.words, b.words + 3))
                << "the other bits are random";
            HiddenValues v = DecodeHiddenBlock(a.words, a.bitTop);
            EXPECT_EQ(v.value, value);
            EXPECT_EQ(v.lengthCopy, length);
            EXPECT_TRUE(HiddenBlockConsistent(v, length));
        }
    }
    uint32_t words[3] = {0, 0, 0};
    EXPECT_FALSE(DecodeHiddenBlock(words, 32).bitTopValid);  // a hostile bit top
}

TEST(HiddenBlock, AccessCodesPackMostSignificantFirst) {
    EXPECT_EQ(PackAccessCode("ABCD"), 0x41424344u);
    EXPECT_EQ(PackAccessCode("AB"), 0x41420000u);
    EXPECT_EQ(PackAccessCode("\xFF"), 0xFF000000u);
    EXPECT_EQ(PackAccessCode(""), kNoValue);
    EXPECT_EQ(PackAccessCode(nullptr), kNoValue);
}

TEST(QSStreamFile, OlderFormatVersionsChangeTheLayout) {
    TempDir dir;
    struct Case {
        uint32_t version;
        uint32_t headerSize;
        const char* modId;
        uint32_t infoLength;  // as read back from a record that stores 0x00020005
        size_t ignored;
    } cases[] = {
        {0x10004, 104, "NA", 5, 0},
        {0x10009, 116, "NA", 5, 1},
        {0x1000B, 116, "RW", 5, 1},
        {0x1000C, 116, "RW", 0x20005, 1},
    };
    for (const Case& c : cases) {
        RawArchive raw;
        raw.formatVersion = c.version;
        raw.files = {{"Data\\one.ini", "[A]\nk=1\n", ""}, {"Data\\two.ini", "two", "infos"}};
        raw.ignore = {"Data\\hidden.ini"};
        std::string bytes = raw.Build();
        // Widen the second node's info length with bytes 102-103.
        size_t node1 = c.headerSize + 104;
        PutU32(bytes, node1 + 100, 0x00020005);
        if (c.version >= 0x1000C) {
            // A 32-bit info length must still fit its blob: grow the blob to match.
            bytes.clear();
            raw.files[1].info = std::string(0x20005, 'i');
            bytes = raw.Build();
        }
        WriteFile(dir / "old.qsw", bytes);
        QSStreamFile archive((dir / "old.qsw").string());
        ASSERT_TRUE(archive.IsOpen()) << std::hex << c.version;
        EXPECT_EQ(archive.Header().NodeOffset, c.headerSize);
        EXPECT_EQ(archive.ModId(), c.modId) << std::hex << c.version;
        EXPECT_EQ(archive.Nodes().at(1).InfoLength, c.infoLength) << std::hex << c.version;
        EXPECT_EQ(archive.IgnoreNames().size(), c.ignored) << std::hex << c.version;
        if (c.ignored) {
            EXPECT_EQ(archive.IgnoreNames()[0], "Data\\hidden.ini");
        }
        EXPECT_EQ(Read(archive, 0), "[A]\nk=1\n");
        EXPECT_EQ(Read(archive, 1), "two");
        EXPECT_STREQ(archive.VersionText(), "2.3.4");
    }
}

TEST(QSStreamFile, OlderMagicSkipsTheIdentityAndUnknownMagicSkipsBothTests) {
    TempDir dir;
    RawArchive raw;
    raw.files = {{"a", "x", ""}};
    for (uint32_t magic : {kMagicOld, 0x12345678u}) {
        raw.magic = magic;
        std::string bytes = raw.Build();
        std::memset(bytes.data() + 0x18, 0xFF, 12);  // an identity that would not check out
        if (magic != kMagicOld) bytes += "extra";    // nor would the length
        WriteFile(dir / "m.qsw", bytes);
        QSStreamFile archive((dir / "m.qsw").string());
        EXPECT_TRUE(archive.IsOpen());
        EXPECT_EQ(archive.AccessCode(), 0u);
        EXPECT_STREQ(archive.VersionText(), magic == kMagicOld ? "2.3.4" : "0.0.0.0");
    }
}

TEST(QSStreamFile, EmptyFileReadsAsItsSpareByte) {
    TempDir dir;
    WriteArchive(dir / "e.qsx", {{"empty", "", ""}});
    QSStreamFile archive((dir / "e.qsx").string());
    ResourceContent content;
    EXPECT_EQ(archive.ReadContent(archive.Nodes().at(0), content), 0u);
    ASSERT_NE(content.data, nullptr);
    EXPECT_EQ(content.data[0], '\0');
}

TEST(QSStreamFile, ContentNotCoveredByChunksReadsAsZeros) {
    TempDir dir;
    RawArchive raw;
    raw.files = {{"gap.bin", std::string(3000, 'x'), ""}};
    std::string bytes = raw.Build();
    const uint32_t chunk = GetU32(bytes, 0x44), packet = GetU32(bytes, 0x4C);
    PutU32(bytes, chunk + 4, 1000);  // the chunk now starts at 1000 and is 2000 bytes long
    PutU32(bytes, packet + 4, GetU32(bytes, packet) + 2000);
    WriteFile(dir / "gap.qsw", bytes);
    ASSERT_EQ(QSStreamFile::Check((dir / "gap.qsw").string()), "");
    QSStreamFile archive((dir / "gap.qsw").string());
    EXPECT_EQ(Read(archive, 0), std::string(1000, '\0') + std::string(2000, 'x'));
}

TEST(QSStreamFile, MissingFileIsNotOpenAndNotFatal) {
    TempDir dir;
    ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
    {
        QSStreamFile archive((dir / "nothing.qsw").string());
        EXPECT_FALSE(archive.IsOpen());
        EXPECT_TRUE(archive.Nodes().empty());
    }
    DisableLog();
    std::string log = ReadFile(dir / "Brix_log.txt");
    EXPECT_THAT(log, HasSubstr("(INFO) : New stream file " + (dir / "nothing.qsw").string() + "\n"));
    EXPECT_THAT(log, HasSubstr("(INFO) : CLEANUP: Closing StreamFile\n"));
}

// Corrupt archives: each mutation of a sound archive must be named, not read.
TEST(QSStreamFile, CorruptArchivesAreReportedBeforeAnythingIsRead) {
    RawArchive raw;
    raw.files = {{"Data\\one.ini", std::string(3000, 'a'), "info"}, {"Data\\two.ini", "b", ""}};
    raw.ignore = {"x"};
    const std::string good = raw.Build();
    const size_t nodes = 116, chunks = nodes + 2 * 104, packets = chunks + 2 * 20;

    struct Case {
        const char* what;
        std::function<void(std::string&)> mutate;
        const char* message;
    } cases[] = {
        {"truncated header", [](std::string& b) { b.resize(60); }, "shorter than its 116-byte header"},
        {"tiny file", [](std::string& b) { b.resize(2); }, "too short to be a stream file"},
        {"length mismatch", [](std::string& b) { b += "x"; }, "doesn't match expected file length of"},
        {"identity block", [](std::string& b) { PutU32(b, 0x18, GetU32(b, 0x18) ^ 0x40); },
         "may be corrupt, internal values are not consistent."},
        {"node count", [](std::string& b) { PutU32(b, 0x40, 0xFFFFFFFF); }, "the FileNode table"},
        {"chunk offset", [](std::string& b) { PutU32(b, 0x44, 0xFFFFFF00); }, "the FileChunk table"},
        {"packet count", [](std::string& b) { PutU32(b, 0x50, 1000); }, "the FilePacket table"},
        {"info blob", [](std::string& b) { PutU32(b, 0x64, 1u << 30); }, "the info blob"},
        {"reserved table", [](std::string& b) { PutU32(b, 0x28, 0x10000000); }, "the first reserved table"},
        {"second reserved", [](std::string& b) { PutU32(b, 0x5C, 3); }, "the second reserved table"},
        {"ignore list", [](std::string& b) { PutU32(b, 0x70, 2); }, "the ignore list holds fewer"},
        {"unterminated name", [=](std::string& b) { std::memset(&b[nodes], 'n', 80); }, "is not terminated"},
        {"huge Len", [=](std::string& b) { PutU32(b, nodes + 84, 0x7FFFFFFF); }, "more than the archive holds"},
        {"chunk index", [=](std::string& b) { PutU32(b, nodes + 92, 5); }, "outside the FileChunk table"},
        {"chunk count", [=](std::string& b) { PutU32(b, nodes + 88, 0xFFFFFFFF); }, "outside the FileChunk table"},
        {"info block", [=](std::string& b) { PutU32(b, nodes + 96, 2); }, "outside the info blob"},
        {"chunk end", [=](std::string& b) { PutU32(b, chunks + 8, 3001); }, "lies outside its 3000 bytes"},
        {"chunk reversed", [=](std::string& b) { PutU32(b, chunks + 4, 10), PutU32(b, chunks + 8, 5); },
         "lies outside its 3000 bytes"},
        {"packet index", [=](std::string& b) { PutU32(b, chunks + 16, 9); }, "outside the FilePacket table"},
        {"packet end", [=](std::string& b) { PutU32(b, packets + 4, 0xFFFFFFF0); }, "lies outside the archive"},
        {"packet too long", [=](std::string& b) { PutU32(b, packets + 4, GetU32(b, packets) + 3001); },
         "longer than the rest of its 3000 bytes"},
    };
    TempDir dir;
    std::string path = (dir / "bad.qsw").string();
    WriteFile(path, good);
    EXPECT_EQ(QSStreamFile::Check(path), "");
    for (const Case& c : cases) {
        std::string bytes = good;
        c.mutate(bytes);
        WriteFile(path, bytes);
        std::string problem = QSStreamFile::Check(path);
        EXPECT_THAT(problem, HasSubstr(c.message)) << c.what;
        EXPECT_THAT(problem, HasSubstr(path)) << c.what;
    }
}

TEST(QSStreamFileDeathTest, OpeningACorruptArchiveIsFatal) {
    TempDir dir;
    RawArchive raw;
    raw.files = {{"a", "x", ""}};
    std::string bytes = raw.Build();
    WriteFile(dir / "long.qsw", bytes + "tail");
    EXPECT_EXIT(QSStreamFile((dir / "long.qsw").string()), ::testing::ExitedWithCode(255),
                "File length " + std::to_string(bytes.size() + 4) + " of .*long.qsw doesn't match "
                "expected file length of " + std::to_string(bytes.size()));
    PutU32(bytes, 0x40, 0x7FFFFFFF);
    WriteFile(dir / "nodes.qsw", bytes);
    EXPECT_EXIT(QSStreamFile((dir / "nodes.qsw").string()), ::testing::ExitedWithCode(255),
                "nodes.qsw is corrupt: the FileNode table");
}

TEST(QSStreamFileDeathTest, InconsistentCodeBlockIsFatalWhenTheCodeIsRead) {
    TempDir dir;
    WriteArchive(dir / "c.qsx", {{"a", "1", ""}}, "CD", "1.0", "ABCD");
    std::string bytes = ReadFile(dir / "c.qsx");
    // Flip the lowest bit of the length copy.
    uint32_t p = kLengthBits[0];
    bytes[0x2C + p / 8] = static_cast<char>(bytes[0x2C + p / 8] ^ (1 << (p % 8)));
    WriteFile(dir / "c.qsx", bytes);
    QSStreamFile archive((dir / "c.qsx").string());  // opening does not read the code
    EXPECT_EXIT(archive.AccessCode(), ::testing::ExitedWithCode(255),
                "c.qsx may be corrupt, internal values are not consistent.");
}
