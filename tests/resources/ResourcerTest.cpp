#include "resources/QSResourcer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <functional>
#include <set>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include "core/QSError.h"
#include "resources/QSStreamFile.h"
#include "support/Archives.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

std::string Content(const QSStreamFile& archive, const char* name) {
    for (const FileNode& node : archive.Nodes()) {
        if (SameName(node.name, name)) {
            ResourceContent content;
            uint32_t delivered = archive.ReadContent(node, content);
            EXPECT_EQ(delivered, node.Len) << name;
            EXPECT_EQ(content.data[node.Len], '\0') << "spare byte of " << name;
            return std::string(content.data.get(), node.Len);
        }
    }
    ADD_FAILURE() << name << " is not in the archive";
    return {};
}

std::string Bytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

std::set<std::string> FilesIn(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// A TryBuild with its progress lines caught.
struct Attempt {
    bool built = false;
    std::string failure = "(not emptied)";
    std::vector<std::string> lines;
};

Attempt TryBuildCaught(QSResourcer& writer, const std::filesystem::path& out, std::vector<PackageEntry> entries) {
    Attempt attempt;
    SetResourcerSink([&](const std::string& line) { attempt.lines.push_back(line); });
    attempt.built = writer.TryBuild(out, "SK", "1.0", "Test Mod", std::move(entries), "", &attempt.failure);
    SetResourcerSink({});
    return attempt;
}

// A failed attempt says so: false, the reason in failure and, on one line, as the last
// progress line, and no word of success.
void ExpectReportedFailure(const Attempt& attempt) {
    EXPECT_FALSE(attempt.built);
    EXPECT_NE(attempt.failure, "");
    std::string oneLine = attempt.failure;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    ASSERT_FALSE(attempt.lines.empty());
    EXPECT_EQ(attempt.lines.back(), oneLine);
    EXPECT_THAT(attempt.lines, ::testing::Not(::testing::Contains("Mod built with no errors.")));
}

}  // namespace

TEST(QSResourcer, WritesAnArchiveThatReadsBackByteForByte) {
    TempDir dir;
    std::vector<TestFile> files = {
        {"Data\\ObjectData\\units\\Skarn_Warrior.ini", "[ObjectData]\r\nMaxHitPoints=120\r\n", ""},
        {"Data\\Empty.txt", "", ""},
        {"Audio\\Game\\horn.wav", Bytes(2049, 1), "info-of-horn"},
        {"Data\\Exact.bin", Bytes(2048, 2), ""},
        {"data\\bonus.ini", std::string("a\0b", 3), ""},
    };
    WriteArchive(dir / "Test.qsx", files, "SK", "1.2.3.4", "");
    EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"Test.qsx"});  // no temporary left

    QSStreamFile archive((dir / "Test.qsx").string());
    ASSERT_TRUE(archive.IsOpen());
    const StreamHeader& h = archive.Header();
    EXPECT_EQ(h.FormatVersion, 0x1000Fu);
    EXPECT_EQ(h.Magic, 0xFA7E843Fu);
    EXPECT_EQ(h.NodeOffset, 116u);
    EXPECT_EQ(h.IgnoreCount, 0u);
    EXPECT_EQ(h.IgnoreSize, 0u);
    EXPECT_EQ(h.FileLength, std::filesystem::file_size(dir / "Test.qsx"));
    EXPECT_EQ(h.FileLength % 2048, 0u);
    EXPECT_EQ(archive.ModId(), "SK");
    EXPECT_STREQ(archive.VersionText(), "1.2.3.4");
    EXPECT_EQ(h.ModVersion, 1020304u);

    for (const TestFile& f : files) EXPECT_EQ(Content(archive, f.name.c_str()), f.content) << f.name;

    // Handed over in any order, the nodes come out in ascending hash order.
    ASSERT_EQ(archive.Nodes().size(), files.size());
    for (size_t i = 1; i < archive.Nodes().size(); ++i) {
        EXPECT_LT(archive.Nodes()[i - 1].HashId, archive.Nodes()[i].HashId);
    }
    for (const FileNode& node : archive.Nodes()) {
        EXPECT_EQ(node.HashId, HashName(node.name));
        if (std::string(node.name) == "Audio\\Game\\horn.wav") {
            ASSERT_NE(archive.InfoBlock(node), nullptr);
            EXPECT_EQ(std::string(archive.InfoBlock(node), node.InfoLength), "info-of-horn");
        } else {
            EXPECT_EQ(archive.InfoBlock(node), nullptr);
        }
        if (node.Len == 0) {
            EXPECT_EQ(node.ChkCnt, 0u);
        }
    }
}

TEST(QSResourcer, GameArchivesMayCarryAnIgnoreList) {
    TempDir dir;
    QSResourcer writer;
    writer.SetIgnoreList({"Data\\Old.ini", "Audio\\gone.wav"});
    writer.Build(dir / "Dravik_AT.qsw", "AT", "1.1", "", {PackageEntry::Of("Data\\New.ini", "abc")}, "");
    EXPECT_EQ(QSStreamFile::Check((dir / "Dravik_AT.qsw").string()), "");
    QSStreamFile archive((dir / "Dravik_AT.qsw").string());
    EXPECT_THAT(archive.IgnoreNames(), ElementsAre("Data\\Old.ini", "Audio\\gone.wav"));
    EXPECT_EQ(archive.Header().IgnoreSize, 28u);  // both names and their terminators
    EXPECT_EQ(Content(archive, "Data\\New.ini"), "abc");
    uint32_t stored, computed;
    EXPECT_TRUE(QSStreamFile::ChecksumMatches((dir / "Dravik_AT.qsw").string(), &stored, &computed));
}

TEST(QSResourcer, VersionTextDropsAZeroLastPart) {
    struct Case {
        const char *version, *text;
        uint32_t packed;
    } cases[] = {
        {"1.2.3.4", "1.2.3.4", 1020304},
        {"1.2.3.0", "1.2.3", 1020300},
        {"1.2", "1.2.0", 1020000},
        {"99.99.99.99", "99.99.99.99", 99999999},
        {"0.0.0.1", "0.0.0.1", 1},
    };
    TempDir dir;
    for (const Case& c : cases) {
        WriteArchive(dir / "v.qsx", {{"a", "x", ""}}, "VV", c.version);
        QSStreamFile archive((dir / "v.qsx").string());
        EXPECT_EQ(archive.Header().ModVersion, c.packed) << c.version;
        EXPECT_STREQ(archive.VersionText(), c.text) << c.version;
    }
}

TEST(QSResourcer, CutsChunksAtFiveMillionBytesAndAlignsPackets) {
    TempDir dir;
    std::string exact = Bytes(5000000, 3), over = Bytes(5000001, 4);
    WriteArchive(dir / "big.qsx", {{"exact.bin", exact, ""}, {"over.bin", over, ""}});
    std::string bytes = ReadFile(dir / "big.qsx");
    QSStreamFile archive((dir / "big.qsx").string());

    for (const FileNode& node : archive.Nodes()) {
        std::vector<std::pair<uint32_t, uint32_t>> spans;
        for (uint32_t c = 0; c < node.ChkCnt; ++c) {
            const FileChunk& chunk = archive.Chunks()[node.ChkIdx + c];
            const FilePacket& packet = archive.Packets()[chunk.PktIdx];
            EXPECT_EQ(chunk.Flag, 0u);
            EXPECT_EQ(chunk.PktCnt, 1u);
            EXPECT_EQ(packet.PosStart % 2048, 0u);
            EXPECT_EQ(packet.PosEnd - packet.PosStart, chunk.FileEnd - chunk.FileStart);
            // Padding after each packet is zero up to the next boundary.
            uint64_t padEnd = RoundUpToPacket(packet.PosEnd);
            EXPECT_EQ(std::string(bytes, packet.PosEnd, padEnd - packet.PosEnd),
                      std::string(padEnd - packet.PosEnd, '\0'));
            spans.push_back({chunk.FileStart, chunk.FileEnd});
        }
        if (std::string(node.name) == "exact.bin") {
            EXPECT_THAT(spans, ElementsAre(std::pair<uint32_t, uint32_t>{0, 5000000}));
        } else {
            EXPECT_THAT(spans, ElementsAre(std::pair<uint32_t, uint32_t>{0, 5000000},
                                           std::pair<uint32_t, uint32_t>{5000000, 5000001}));
        }
    }
    EXPECT_EQ(Content(archive, "exact.bin"), exact);
    EXPECT_EQ(Content(archive, "over.bin"), over);
}

// Bytes read on demand land exactly where bytes in memory would, across chunk and buffer
// boundaries, and are asked for once each, in order.
TEST(QSResourcer, StreamedEntriesWriteTheSameArchiveAsEntriesInMemory) {
    TempDir dir;
    const std::string big = Bytes(5000001, 7), small = Bytes(3, 8);
    std::vector<std::pair<uint32_t, uint32_t>> asked;
    auto streamed = [&asked](const std::string& bytes) {
        return [&asked, &bytes](uint32_t offset, char* dest, uint32_t size) {
            asked.push_back({offset, size});
            if (offset + size > bytes.size()) return false;
            std::memcpy(dest, bytes.data() + offset, size);
            return true;
        };
    };
    std::vector<PackageEntry> entries;
    entries.push_back(PackageEntry::Streamed("big.bin", 5000001, streamed(big)));
    entries.push_back(PackageEntry::Of("mem.txt", "in memory"));
    entries.push_back(PackageEntry::Streamed("small.bin", 3, streamed(small)));
    entries.push_back(PackageEntry::Streamed("empty.bin", 0, nullptr));
    QSResourcer().Build(dir / "s.qsx", "SK", "1.0", "", entries, "");
    EXPECT_EQ(QSStreamFile::Check((dir / "s.qsx").string()), "");

    QSStreamFile archive((dir / "s.qsx").string());
    EXPECT_EQ(Content(archive, "big.bin"), big);
    EXPECT_EQ(Content(archive, "small.bin"), small);
    EXPECT_EQ(Content(archive, "mem.txt"), "in memory");
    EXPECT_EQ(Content(archive, "empty.bin"), "");
    // Every byte asked for once: the ranges of each entry follow each other from 0.
    uint64_t total = 0;
    for (size_t i = 0; i < asked.size(); ++i) {
        total += asked[i].second;
        if (i > 0 && asked[i].first != 0) {
            EXPECT_EQ(asked[i].first, asked[i - 1].first + asked[i - 1].second) << i;
        }
    }
    EXPECT_EQ(total, big.size() + small.size());
}

TEST(QSResourcer, TablesEndingOnABoundaryNeedNoPadding) {
    // 116 header + 104 node + 20 chunk + 8 packet + 1800 info = 2048.
    TempDir dir;
    std::string info(1800, 'i');
    WriteArchive(dir / "b.qsx", {{"only", "abc", info}});
    QSStreamFile archive((dir / "b.qsx").string());
    EXPECT_EQ(archive.Packets().at(0).PosStart, 2048u);
    EXPECT_EQ(archive.Header().FileLength, 4096u);
    EXPECT_EQ(Content(archive, "only"), "abc");
}

TEST(QSResourcer, ChecksumCoversEveryByteButItsOwnField) {
    TempDir dir;
    WriteArchive(dir / "c.qsx", {{"a.ini", "[A]\nk=1\n", ""}, {"b.bin", Bytes(3000, 5), ""}});
    std::string bytes = ReadFile(dir / "c.qsx");
    uint32_t stored = GetU32(bytes, 0x10);
    auto computed = [](std::string b) {
        PutU32(b, 0x10, 0);
        return XorWords(b);
    };
    EXPECT_EQ(computed(bytes), stored);
    for (size_t pos = 0; pos < bytes.size(); pos += (pos < 4096 ? 1 : 97)) {
        std::string changed = bytes;
        changed[pos] = static_cast<char>(changed[pos] ^ 0x5A);
        if (pos >= 0x10 && pos < 0x14) {
            EXPECT_EQ(computed(changed), stored) << pos;
        } else {
            EXPECT_NE(computed(changed), stored) << pos;
        }
    }
}

TEST(QSResourcer, HiddenBlocksCarryTheCodeOrTheSentinel) {
    TempDir dir;
    WriteArchive(dir / "open.qsx", {{"a", "1", ""}}, "OP", "1.0", "");
    WriteArchive(dir / "coded.qsx", {{"a", "1", ""}}, "CD", "1.0", "#K\xE9");

    QSStreamFile open((dir / "open.qsx").string());
    EXPECT_EQ(open.AccessCode(), kNoValue);
    HiddenValues openCode = DecodeHiddenBlock(open.Header().CodeBlock, open.Header().CodeBitTop);
    HiddenValues identity = DecodeHiddenBlock(open.Header().IdentityBlock, open.Header().IdentityBitTop);
    EXPECT_EQ(identity.value, kNoValue);
    EXPECT_EQ(openCode.value, kNoValue);

    QSStreamFile coded((dir / "coded.qsx").string());
    EXPECT_EQ(coded.AccessCode(), 0x234BE900u);  // '#', 'K', 0xE9 as an unsigned byte, none
    HiddenValues code = DecodeHiddenBlock(coded.Header().CodeBlock, coded.Header().CodeBitTop);
    EXPECT_EQ(code.lengthCopy, coded.Header().FileLength);
    EXPECT_EQ(QSStreamFile::Check((dir / "coded.qsx").string()), "");
}

TEST(QSResourcer, ProgressLinesGoToTheSinkAndTheLog) {
    TempDir dir;
    ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
    std::vector<std::string> lines;
    SetResourcerSink([&](const std::string& line) { lines.push_back(line); });
    std::string out = (dir / "m.qsx").string();
    WriteArchive(out, {{"b", "22", ""}, {"a", "1", ""}});
    SetResourcerSink({});
    DisableLog();
    ASSERT_EQ(lines.size(), 12u);
    std::string length = std::to_string(std::filesystem::file_size(out));
    // The closing message stands apart in the build window: a blank line before and after it.
    std::vector<std::string> expected = {
        "Writing mod file '" + out + "'", "Adding 'a' length: 1", "Adding 'b' length: 2",
        "Writing mod file '" + out + "'...", "Length of mod file '" + out + "' = " + length + ".",
        "Files: 2", "Writing checksum...", lines[7], " ", "Mod built with no errors.", " ",
        "Click OK to continue."};
    EXPECT_EQ(lines, expected);
    EXPECT_THAT(lines[7], ::testing::MatchesRegex("Checksum [0-9a-f]+ written successfully\\."));
    EXPECT_THAT(ReadFile(dir / "Brix_log.txt"), HasSubstr("(RSCR) : Files: 2\n"));
}

TEST(QSResourcerDeathTest, NameOfEightyCharactersIsRefusedAndNothingIsLost) {
    TempDir dir;
    std::string name79(79, 'n'), name80(80, 'n');
    WriteArchive(dir / "ok.qsx", {{name79, "fine", ""}});
    QSStreamFile ok((dir / "ok.qsx").string());
    EXPECT_EQ(ok.Nodes().at(0).name, name79);

    std::string before = ReadFile(dir / "ok.qsx");
    EXPECT_EXIT(WriteArchive(dir / "ok.qsx", {{"a", "1", ""}, {name80, "x", ""}}),
                ::testing::ExitedWithCode(255), name80 + " name too long \\(80 chars max\\)");
    EXPECT_EQ(ReadFile(dir / "ok.qsx"), before);
    EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"ok.qsx"});
}

TEST(QSResourcerDeathTest, FailedWriteKeepsTheOldPackageAndSaysSo) {
    TempDir dir;
    WriteArchive(dir / "mod.qsx", {{"a", "old", ""}});
    std::string before = ReadFile(dir / "mod.qsx");
    std::string big = Bytes(1 << 20, 6);
    EXPECT_EXIT(
        {
            // Cap file sizes at 64 KiB: the build's writes fail as on a full disk.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit;
            limit.rlim_cur = limit.rlim_max = 65536;
            setrlimit(RLIMIT_FSIZE, &limit);
            WriteArchive(dir / "mod.qsx", {{"a", big, ""}});
        },
        ::testing::ExitedWithCode(255),
        "Error writing to .*mod.qsx, check disc space.\n(Current drive has|Unable to determine)");
    EXPECT_EQ(ReadFile(dir / "mod.qsx"), before);
    EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"mod.qsx"});
}

TEST(QSResourcerDeathTest, SourceThatCannotBeReadKeepsTheOldPackage) {
    TempDir dir;
    WriteArchive(dir / "mod.qsx", {{"a", "old", ""}});
    const std::string before = ReadFile(dir / "mod.qsx");
    auto gone = [](uint32_t offset, char*, uint32_t) { return offset < 4096; };
    EXPECT_EXIT(QSResourcer().Build(dir / "mod.qsx", "SK", "1.0", "",
                                    {PackageEntry::Streamed("Audio\\horn.wav", 3 << 20, gone)}, ""),
                ::testing::ExitedWithCode(255),
                "Couldn't read Audio\\\\horn.wav while writing .*mod.qsx.");
    EXPECT_EQ(ReadFile(dir / "mod.qsx"), before);
    EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"mod.qsx"});
}

TEST(QSResourcerDeathTest, MissingOutputDirectoryIsFatal) {
    TempDir dir;
    EXPECT_EXIT(WriteArchive(dir / "no" / "mod.qsx", {{"a", "1", ""}}), ::testing::ExitedWithCode(255),
                "Couldn't open output file .*mod.qsx");
}

// A build interrupted halfway leaves the old package and no temporary file, whether it writes
// an unnamed file (nothing to remove) or a named one (removed by the signal's handler before
// the process ends as the signal says).
TEST(QSResourcerDeathTest, InterruptedBuildLeavesNoTemporaryFile) {
    for (bool unnamed : {true, false}) {
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") + ", signal " + std::to_string(signal));
            TempDir dir;
            WriteArchive(dir / "mod.qsx", {{"a", "old", ""}});
            const std::string before = ReadFile(dir / "mod.qsx");
            auto interrupted = [signal](uint32_t offset, char* dest, uint32_t n) {
                if (offset > 0) std::raise(signal);
                std::memset(dest, 'x', n);
                return true;
            };
            EXPECT_EXIT(
                {
                    QSResourcer writer;
                    writer.SetUnnamedTemporary(unnamed);
                    writer.Build(dir / "mod.qsx", "SK", "1.0", "", {PackageEntry::Streamed("big", 3 << 20, interrupted)}, "");
                },
                ::testing::KilledBySignal(signal), "");
            EXPECT_EQ(ReadFile(dir / "mod.qsx"), before);
            EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"mod.qsx"});
        }
    }
}

// A temporary left by a killed build (not locked, not written to for a minute) is removed by
// the next build of that output; one being written, a recent one and another output's stay.
TEST(QSResourcer, NextBuildRemovesTheTemporaryOfAKilledOne) {
    for (bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "named");
        TempDir dir;
        auto leftover = [&](const std::string& name, int minutesOld) {
            WriteFile(dir / name, std::string(5000, 'x'));
            const timespec old = {time(nullptr) - 60 * minutesOld, 0};
            const timespec times[2] = {old, old};
            EXPECT_EQ(::utimensat(AT_FDCWD, (dir / name).c_str(), times, 0), 0);
        };
        leftover(".mod.qsx.0badcafe.brix-tmp", 5);
        leftover(".mod.qsx.12345678.brix-tmp", 5);  // locked below: a build still writing it
        leftover(".mod.qsx.87654321.brix-tmp", 0);  // written to just now
        leftover(".other.qsx.0badcafe.brix-tmp", 5);
        const int held = ::open((dir / ".mod.qsx.12345678.brix-tmp").c_str(), O_RDONLY);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);

        QSResourcer writer;
        writer.SetUnnamedTemporary(unnamed);
        writer.Build(dir / "mod.qsx", "SK", "1.0", "", {PackageEntry::Of("a", "new")}, "");
        ::close(held);
        EXPECT_EQ(FilesIn(dir.path()), (std::set<std::string>{"mod.qsx", ".mod.qsx.12345678.brix-tmp",
                                                              ".mod.qsx.87654321.brix-tmp",
                                                              ".other.qsx.0badcafe.brix-tmp"}));
        EXPECT_EQ(Content(QSStreamFile((dir / "mod.qsx").string()), "a"), "new");
    }
}

// The same seed and entries give the same bytes, whatever the output's name and whichever
// temporary the build went through; another seed changes the hidden blocks' random bits (and
// so the checksum), and nothing else.
TEST(QSResourcer, SeedDecidesEveryByte) {
    TempDir dir;
    const std::string big = Bytes(5000001, 9);
    auto entries = [&] {
        std::vector<PackageEntry> list = {
            PackageEntry::Of("Data\\a.ini", "[A]\r\nk=1\r\n"),
            PackageEntry::Streamed("big.bin", 5000001, [&](uint32_t offset, char* dest, uint32_t n) {
                std::memcpy(dest, big.data() + offset, n);
                return true;
            })};
        list[0].info = "info";
        list[0].infoLength = 4;
        return list;
    };
    auto build = [&](uint32_t seed, const std::string& name, const char* code, bool unnamed) {
        QSResourcer writer(seed);
        writer.SetIgnoreList({"Data\\Old.ini"});
        writer.SetUnnamedTemporary(unnamed);
        std::string failure = "stale";
        EXPECT_TRUE(writer.TryBuild(dir / name, "SK", "1.0", "", entries(), code, &failure)) << failure;
        EXPECT_EQ(failure, "");
        return ReadFile(dir / name);
    };
    // Header bytes a seed may change: each hidden block's words and bit top, and the checksum.
    auto hidden = [](size_t pos) {
        auto in = [pos](size_t offset, size_t size) { return pos >= offset && pos < offset + size; };
        return in(offsetof(StreamHeader, IdentityBitTop), 4) || in(offsetof(StreamHeader, Checksum), 4) ||
               in(offsetof(StreamHeader, IdentityBlock), 12) || in(offsetof(StreamHeader, CodeBlock), 12) ||
               in(offsetof(StreamHeader, CodeBitTop), 4);
    };
    for (const char* code : {"", "K9"}) {
        SCOPED_TRACE(std::string("access code '") + code + "'");
        const std::string a = build(7, "a.qsx", code, true);
        EXPECT_TRUE(a == build(7, "b.qsx", code, false));
        const std::string other = build(8, "c.qsx", code, true);
        ASSERT_EQ(other.size(), a.size());
        for (size_t pos = 0; pos < a.size(); ++pos) {
            if (a[pos] != other[pos]) {
                EXPECT_TRUE(hidden(pos)) << "byte " << pos << " differs";
            }
        }
        for (size_t block : {offsetof(StreamHeader, IdentityBlock), offsetof(StreamHeader, CodeBlock)}) {
            EXPECT_NE(a.substr(block, 12), other.substr(block, 12)) << "block at " << block;
        }
        EXPECT_EQ(QSStreamFile::Check((dir / "c.qsx").string()), "");
    }
}

// A build that cannot be made reports why and leaves everything as it was: the package
// already at the output byte for byte, no temporary, nothing else in the folder; and the
// same writer builds again once the cause is gone.
TEST(QSResourcer, FailedTryBuildReportsAndLeavesEverythingAsItWas) {
    const std::string name80(80, 'n');
    const std::string oneMiB = Bytes(1 << 20, 10);
    using Entries = std::vector<PackageEntry>;
    struct Case {
        const char* what;
        std::string output;  // inside the test's folder
        std::function<Entries()> entries;
        std::function<std::string(const std::string& out)> message;  // how the failure starts
        bool capFileSize = false;  // the disk is full: writes beyond 64 KiB fail
    } cases[] = {
        {"name of 80 characters", "mod.qsx",
         [&] { return Entries{PackageEntry::Of("a", "1"), PackageEntry::Of(name80, "x")}; },
         [&](const std::string&) { return name80 + " name too long (80 chars max)"; }},
        {"entry that cannot be read", "mod.qsx",
         [] {
             return Entries{PackageEntry::Streamed("Audio\\horn.wav", 3 << 20,
                                                   [](uint32_t offset, char*, uint32_t) { return offset < 4096; })};
         },
         [](const std::string& out) { return "Couldn't read Audio\\horn.wav while writing " + out + "."; }},
        {"package over 4 gigabytes", "mod.qsx",
         [] {
             return Entries{PackageEntry::Streamed("huge.bin", UINT32_MAX, [](uint32_t, char*, uint32_t) {
                 ADD_FAILURE() << "read while too large to write";
                 return false;
             })};
         },
         [](const std::string& out) { return "Mod file " + out + " would be "; }},
        {"full disk", "mod.qsx", [&] { return Entries{PackageEntry::Of("a", oneMiB)}; },
         [](const std::string& out) { return "Error writing to " + out + ", check disc space.\n"; }, true},
        {"output that is a folder", "folder", [] { return Entries{PackageEntry::Of("a", "1")}; },
         [](const std::string& out) {
             return "Couldn't replace " + out + ": it is not a regular file but a directory";
         }},
        {"output in a missing folder", "missing/mod.qsx", [] { return Entries{PackageEntry::Of("a", "1")}; },
         [](const std::string& out) { return "Couldn't open output file " + out + ": " + std::strerror(ENOENT); }},
    };
    for (const Case& c : cases) {
        for (bool unnamed : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (unnamed ? ", unnamed temporary" : ", named temporary"));
            TempDir dir;
            WriteArchive(dir / "mod.qsx", {{"a", "old", ""}});
            std::filesystem::create_directory(dir / "folder");
            const std::string before = ReadFile(dir / "mod.qsx");
            const std::set<std::string> files = FilesIn(dir.path());
            const std::string out = (dir / c.output).string();

            QSResourcer writer;
            writer.SetUnnamedTemporary(unnamed);
            rlimit saved{};
            void (*savedHandler)(int) = SIG_DFL;
            if (c.capFileSize) {
                ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
                rlimit capped = saved;
                capped.rlim_cur = 65536;
                savedHandler = std::signal(SIGXFSZ, SIG_IGN);
                ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &capped), 0);
            }
            const Attempt attempt = TryBuildCaught(writer, out, c.entries());
            if (c.capFileSize) {
                setrlimit(RLIMIT_FSIZE, &saved);
                std::signal(SIGXFSZ, savedHandler);
            }

            ExpectReportedFailure(attempt);
            EXPECT_THAT(attempt.failure, StartsWith(c.message(out)));
            EXPECT_EQ(ReadFile(dir / "mod.qsx"), before);
            EXPECT_EQ(FilesIn(dir.path()), files);
            EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));

            const Attempt again = TryBuildCaught(writer, dir / "mod.qsx", {PackageEntry::Of("a", "new")});
            EXPECT_TRUE(again.built) << again.failure;
            EXPECT_EQ(again.failure, "");
            EXPECT_EQ(Content(QSStreamFile((dir / "mod.qsx").string()), "a"), "new");
        }
    }
}

// A folder the user may not write to (a read-only installation) keeps its package.
TEST(QSResourcer, TryBuildIntoAReadOnlyFolderKeepsThePackage) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    for (bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed temporary" : "named temporary");
        TempDir dir;
        WriteArchive(dir / "mod.qsx", {{"a", "old", ""}});
        const std::string before = ReadFile(dir / "mod.qsx");
        ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
        QSResourcer writer;
        writer.SetUnnamedTemporary(unnamed);
        const Attempt attempt = TryBuildCaught(writer, dir / "mod.qsx", {PackageEntry::Of("a", "new")});
        ::chmod(dir.path().c_str(), 0755);

        ExpectReportedFailure(attempt);
        EXPECT_THAT(attempt.failure, StartsWith("Couldn't open output file " + (dir / "mod.qsx").string() + ": "));
        EXPECT_EQ(ReadFile(dir / "mod.qsx"), before);
        EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"mod.qsx"});
    }
}
