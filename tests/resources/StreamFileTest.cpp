#include "resources/QSStreamFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>
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

// Bytes no other stored file has: what a file read from the wrong place would give away.
std::string DistinctBytes(uint32_t seed, size_t length) {
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// A few hundred files of a few KB, in sizes that end before, on and after a packet's end, so
// that windows of a run of them end inside files; with huge, also files larger than a window
// and one the writer stores in two chunks. seed tells archives of the same layout apart.
std::vector<TestFile> ManyFiles(uint32_t seed, bool huge) {
    const size_t sizes[] = {1, 700, 2047, 2048, 2049, 4000, 6500, 0, 12000, 3333};
    std::vector<TestFile> files;
    for (size_t i = 0; i < 300; ++i) {
        const std::string name = "Data\\f" + std::to_string(1000 + i) + ".bin";
        files.push_back({name, DistinctBytes(seed * 100000 + static_cast<uint32_t>(i), sizes[i % 10]), ""});
    }
    if (huge) {
        files.push_back({"Data\\window.bin", DistinctBytes(seed * 100000 + 500, ReadWindow::kBytes), ""});
        files.push_back({"Data\\larger.bin", DistinctBytes(seed * 100000 + 501, ReadWindow::kBytes + 1), ""});
        files.push_back({"Data\\twochunks.bin", DistinctBytes(seed * 100000 + 502, kMaxChunk + 3000), ""});
    }
    return files;
}

// Where a stored file's first bytes lie in its archive (0 for a file without chunks).
uint64_t FirstByte(const QSStreamFile& archive, size_t index) {
    const FileNode& node = archive.Nodes()[index];
    if (node.ChkCnt == 0) return 0;
    return archive.Packets()[archive.Chunks()[node.ChkIdx].PktIdx].PosStart;
}

// The archive's files with content, by where they lie.
std::vector<size_t> InArchiveOrder(const QSStreamFile& archive) {
    std::vector<size_t> order;
    for (size_t i = 0; i < archive.Nodes().size(); ++i) {
        if (archive.Nodes()[i].Len > 0) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return FirstByte(archive, a) < FirstByte(archive, b);
    });
    return order;
}

// What reading one stored file delivered: its bytes and the count returned.
struct Delivery {
    std::string bytes;
    uint32_t count = 0;
    bool operator==(const Delivery&) const = default;
};

// Reads stored files as the object loader does: into a buffer kept between files.
struct BufferedReader {
    ResourceContent buffer;
    uint32_t capacity = 0;

    Delivery Read(const QSStreamFile& archive, size_t index, ReadWindow* window) {
        const FileNode& node = archive.Nodes().at(index);
        Delivery d;
        d.count = archive.ReadContentInto(node, buffer, capacity, window);
        d.bytes.assign(buffer.data.get(), node.Len);
        EXPECT_EQ(buffer.data[node.Len], '\0') << node.name;
        return d;
    }
};

Delivery ReadPlain(const QSStreamFile& archive, size_t index) {
    ResourceContent content;
    const FileNode& node = archive.Nodes().at(index);
    Delivery d;
    d.count = archive.ReadContent(node, content);
    d.bytes.assign(content.data.get(), node.Len);
    return d;
}

// Overwrites bytes of a file in place, keeping its length.
void Overwrite(const std::filesystem::path& path, uint64_t offset, const std::string& bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good());
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

// Through a window or not, every file reads the same, whatever the order the files are read in.
TEST(ReadWindow, DeliversWhatAPlainReadDoesInAnyOrder) {
    TempDir dir;
    const std::vector<TestFile> files = ManyFiles(1, true);
    WriteArchive(dir / "many.qsx", files);
    QSStreamFile archive((dir / "many.qsx").string());
    ASSERT_TRUE(archive.IsOpen());
    ASSERT_EQ(archive.Nodes().size(), files.size());
    ASSERT_GT(archive.RealLength(), 4 * ReadWindow::kBytes);
    std::map<std::string, std::string> contents;
    for (const TestFile& f : files) contents[f.name] = f.content;
    bool split = false;
    for (const FileNode& node : archive.Nodes()) split = split || node.ChkCnt > 1;
    ASSERT_TRUE(split) << "no file stored in several chunks";

    std::vector<size_t> byName(files.size());
    for (size_t i = 0; i < byName.size(); ++i) byName[i] = i;
    const std::vector<size_t> forward = InArchiveOrder(archive);
    const std::vector<size_t> backward(forward.rbegin(), forward.rend());
    std::vector<size_t> shuffled = byName;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
    // Runs of files one after another, each run starting again further back.
    std::vector<size_t> runs;
    for (size_t start = forward.size(); start > 0;) {
        start -= std::min<size_t>(start, 40);
        for (size_t i = start; i < std::min(start + 60, forward.size()); ++i) runs.push_back(forward[i]);
    }
    const struct {
        const char* name;
        const std::vector<size_t>& order;
    } orders[] = {{"table order", byName},  {"archive order", forward}, {"reverse", backward},
                  {"shuffled", shuffled}, {"overlapping runs", runs}};
    for (const auto& o : orders) {
        BufferedReader reader;
        ReadWindow window;
        for (size_t index : o.order) {
            const FileNode& node = archive.Nodes()[index];
            const Delivery plain = ReadPlain(archive, index);
            ASSERT_EQ(plain.bytes, contents.at(node.name)) << node.name;
            ASSERT_EQ(plain.count, node.Len) << node.name;
            ASSERT_EQ(reader.Read(archive, index, &window), plain) << o.name << ", " << node.name;
        }
    }
}

// One window read from two archives in turn never hands one archive's bytes to the other.
TEST(ReadWindow, ServesEachArchiveItsOwnBytes) {
    TempDir dir;
    WriteArchive(dir / "a.qsx", ManyFiles(1, false));
    WriteArchive(dir / "b.qsx", ManyFiles(2, false));  // the same places, other bytes
    const QSStreamFile a((dir / "a.qsx").string()), b((dir / "b.qsx").string());
    const std::vector<size_t> order = InArchiveOrder(a);
    ASSERT_EQ(InArchiveOrder(b), order);
    BufferedReader reader;
    ReadWindow window;
    // Two files of one, then one of the other, so that each archive runs on for a while.
    for (size_t i = 0; i < order.size(); ++i) {
        const QSStreamFile& archive = i % 3 == 2 ? b : a;
        const size_t index = order[i];
        ASSERT_EQ(reader.Read(archive, index, &window), ReadPlain(archive, index))
            << (&archive == &a ? "a " : "b ") << archive.Nodes()[index].name;
    }
}

// The files after the one that started a window come from that window's one read: a change
// on disk after it is not seen through the window until Forget.
TEST(ReadWindow, FilesAfterTheLastReadComeFromTheWindowUntilForget) {
    TempDir dir;
    const std::filesystem::path path = dir / "w.qsx";
    WriteArchive(path, ManyFiles(1, false));
    const QSStreamFile archive(path.string());
    const std::vector<size_t> order = InArchiveOrder(archive);
    // The first three files with more than a byte, one after another.
    std::vector<size_t> run;
    for (size_t index : order) {
        if (archive.Nodes()[index].Len >= 2 && run.size() < 3) run.push_back(index);
    }
    ASSERT_EQ(run.size(), 3u);
    ASSERT_LT(FirstByte(archive, run[2]) - FirstByte(archive, run[1]), ReadWindow::kBytes);
    BufferedReader reader;
    ReadWindow window;
    const Delivery before = ReadPlain(archive, run[2]);
    reader.Read(archive, run[0], &window);
    reader.Read(archive, run[1], &window);  // read with what follows it
    const std::string changed(archive.Nodes()[run[2]].Len, 'C');
    Overwrite(path, FirstByte(archive, run[2]), changed);
    EXPECT_EQ(ReadPlain(archive, run[2]).bytes, changed);
    EXPECT_EQ(reader.Read(archive, run[2], &window), before);
    window.Forget();
    EXPECT_EQ(reader.Read(archive, run[2], &window).bytes, changed);
}

// After Forget, an archive opened where the one read before lay reads as itself.
TEST(ReadWindow, ForgetLetsAnotherArchiveTakeTheSamePlace) {
    TempDir dir;
    WriteArchive(dir / "a.qsx", ManyFiles(1, false));
    WriteArchive(dir / "b.qsx", ManyFiles(2, false));
    std::optional<QSStreamFile> archive;
    archive.emplace((dir / "a.qsx").string());
    const std::vector<size_t> order = InArchiveOrder(*archive);
    BufferedReader reader;
    ReadWindow window;
    for (size_t i = 0; i < 6; ++i) reader.Read(*archive, order[i], &window);
    window.Forget();
    archive.reset();
    archive.emplace((dir / "b.qsx").string());  // at the same address
    for (size_t i = 6; i < 12; ++i) {
        EXPECT_EQ(reader.Read(*archive, order[i], &window), ReadPlain(*archive, order[i]))
            << archive->Nodes()[order[i]].name;
    }
}

// An archive cut short after it was opened: the files still wholly there read as without a
// window, however close to the new end; the rest as far as a plain read gets.
TEST(ReadWindow, ArchiveCutShortAfterOpeningReadsAsWithoutAWindow) {
    TempDir dir;
    const std::filesystem::path path = dir / "cut.qsx";
    WriteArchive(path, ManyFiles(3, false));
    const QSStreamFile archive(path.string());
    const std::vector<size_t> order = InArchiveOrder(archive);
    std::filesystem::resize_file(path, archive.RealLength() / 2 + 1000);
    BufferedReader reader;
    ReadWindow window;
    size_t whole = 0, cut = 0;
    for (size_t index : order) {
        const Delivery plain = ReadPlain(archive, index);
        (plain.count == archive.Nodes()[index].Len ? whole : cut) += 1;
        ASSERT_EQ(reader.Read(archive, index, &window), plain) << archive.Nodes()[index].name;
    }
    EXPECT_GT(whole, 100u);
    EXPECT_GT(cut, 100u);
}

// Hand-laid archives the writer never makes: a file whose chunks lie in the archive in the
// opposite order, and one with content its chunks leave uncovered.
TEST(ReadWindow, OddLayoutsReadAsWithoutAWindow) {
    TempDir dir;
    const std::string a = DistinctBytes(1, 5000), b = DistinctBytes(2, 3000), c = DistinctBytes(3, 100);
    RawArchive raw;
    raw.files = {{"a", a, ""}, {"b", b, ""}, {"c", c, ""}};
    const std::string good = raw.Build();
    const size_t node0 = raw.HeaderSize(), chunks = GetU32(good, 0x44);
    struct Case {
        const char* what;
        std::function<void(std::string&)> mutate;
        std::string first;  // what the first file then reads as
    } cases[] = {
        {"chunks in reverse",
         [&](std::string& bytes) {
             // a takes b's chunk as its second and is b's bytes, then its own; b is left empty.
             PutU32(bytes, node0 + 84, 8000);  // Len
             PutU32(bytes, node0 + 88, 2);     // ChkCnt
             PutU32(bytes, node0 + 104 + 84, 0), PutU32(bytes, node0 + 104 + 88, 0);
             PutU32(bytes, chunks + 4, 0), PutU32(bytes, chunks + 8, 3000), PutU32(bytes, chunks + 16, 1);
             PutU32(bytes, chunks + 20 + 4, 3000), PutU32(bytes, chunks + 20 + 8, 8000);
             PutU32(bytes, chunks + 20 + 16, 0);
         },
         b + a},
        {"gap",
         [&](std::string& bytes) {
             PutU32(bytes, node0 + 84, 6000);
             PutU32(bytes, chunks + 4, 1000), PutU32(bytes, chunks + 8, 6000);
         },
         std::string(1000, '\0') + a},
    };
    for (const Case& k : cases) {
        std::string bytes = good;
        k.mutate(bytes);
        WriteFile(dir / "odd.qsw", bytes);
        ASSERT_EQ(QSStreamFile::Check((dir / "odd.qsw").string()), "") << k.what;
        const QSStreamFile archive((dir / "odd.qsw").string());
        ASSERT_EQ(ReadPlain(archive, 0).bytes, k.first) << k.what;
        for (const std::vector<size_t>& order : {std::vector<size_t>{0, 1, 2}, {2, 1, 0}, {1, 0, 2, 0}}) {
            BufferedReader reader;
            ReadWindow window;
            for (size_t index : order) {
                EXPECT_EQ(reader.Read(archive, index, &window), ReadPlain(archive, index))
                    << k.what << ", file " << index;
            }
        }
    }
}
