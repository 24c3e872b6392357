// brix-archive, driven through its executable as a script would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "core/QSError.h"
#include "resources/QSStreamFile.h"
#include "support/Archives.h"
#include "support/RunTool.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

class BrixArchive : public ::testing::Test {
protected:
    void SetUp() override { DisableLog(); }

    ToolResult Run(const std::vector<std::string>& args) { return RunTool(BRIX_ARCHIVE_EXE, args, dir.path()); }

    // Writes files (relative paths with '/') under dir/name.
    fs::path Tree(const std::string& name, const std::map<std::string, std::string>& files) {
        for (const auto& [path, bytes] : files) {
            fs::create_directories((dir / name / path).parent_path());
            WriteFile(dir / name / path, bytes);
        }
        return dir / name;
    }

    std::map<std::string, std::string> ReadTree(const fs::path& root) {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(root)) {
            if (e.is_regular_file()) files[fs::relative(e.path(), root).generic_string()] = ReadFile(e.path());
        }
        return files;
    }

    TempDir dir;
};

const std::map<std::string, std::string> kGame = {
    {"Data/ObjectData/units/Skarn_Warrior.ini", "[ObjectData]\r\nMaxHitPoints=120 ; tough\r\n[UnitData]\r\nType=FRONT\r\n"},
    {"Data/ObjectData/units/Elith_Archer.ini", "[ObjectData]\nMaxHitPoints=60\nName=Archer\nDefense=4\n"},
    {"Data/Empty.txt", ""},
    {"Audio/Game/horn.wav", std::string(2049, '\x7f') + std::string("\0\1\2", 3)},
};

}  // namespace

TEST_F(BrixArchive, PackListCatAndExtractRoundTrip) {
    Tree("src", kGame);
    ToolResult packed = Run({"pack", "src", "-o", "game.qsx", "--id", "SK", "--version", "1.2.3.4"});
    ASSERT_EQ(packed.code, 0) << packed.err;
    EXPECT_EQ(packed.err, "");  // no progress line when stderr is not a terminal

    ToolResult list = Run({"list", "game.qsx"});
    ASSERT_EQ(list.code, 0) << list.err;
    QSStreamFile archive((dir / "game.qsx").string());
    std::string expected;
    for (const FileNode& node : archive.Nodes()) {
        char line[200];
        std::snprintf(line, sizeof line, "%u %08x %s\n", node.Len, HashName(node.name), node.name);
        expected += line;
    }
    EXPECT_EQ(list.out, expected);
    EXPECT_THAT(list.out, ::testing::ContainsRegex("(^|\n)0 [0-9a-f]{8} Data.Empty\\.txt\n"));

    for (const auto& [path, bytes] : kGame) {
        std::string name = path;
        std::replace(name.begin(), name.end(), '/', '\\');
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ToolResult cat = Run({"cat", "game.qsx", name});
        EXPECT_EQ(cat.code, 0) << name;
        EXPECT_EQ(cat.out, bytes) << name;
    }

    ASSERT_EQ(Run({"extract", "game.qsx", "-C", "out"}).code, 0);
    EXPECT_EQ(ReadTree(dir / "out"), kGame);

    ToolResult some = Run({"extract", "game.qsx", "-C", "units", "data\\objectdata\\units\\*.ini"});
    ASSERT_EQ(some.code, 0) << some.err;
    EXPECT_EQ(ReadTree(dir / "units").size(), 2u);

    EXPECT_EQ(Run({"cat", "game.qsx", "Data\\Missing.ini"}).code, 1);
    EXPECT_FALSE(fs::exists(dir / "Brix_log.txt"));
}

// Files are read while the archive is written: a file larger than a chunk and than the
// writer's buffer comes back whole, with or without waiting for the disk.
TEST_F(BrixArchive, PackStreamsLargeFilesWithOrWithoutSync) {
    std::string big(5000001, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 2654435761u >> 13);
    Tree("src", {{"Audio/Mod/long.wav", big}, {"Data/a.ini", "[A]\nk=1\n"}, {"Data/none.txt", ""}});
    for (const char* sync : {"", "--no-sync"}) {
        std::vector<std::string> args = {"pack", "src", "-o", "big.qsx", "--id", "BG", "--version", "1.0"};
        if (*sync) args.push_back(sync);
        ToolResult packed = Run(args);
        ASSERT_EQ(packed.code, 0) << sync << packed.err;
        EXPECT_EQ(Run({"verify", "big.qsx"}).code, 0) << sync;
        EXPECT_EQ(Run({"cat", "big.qsx", "Audio\\Mod\\long.wav"}).out, big) << sync;
        EXPECT_EQ(Run({"cat", "big.qsx", "Data\\a.ini"}).out, "[A]\nk=1\n") << sync;
        EXPECT_EQ(Run({"cat", "big.qsx", "Data\\none.txt"}).code, 0) << sync;
    }
}

// Every folder is walked, however many there are (more than the walk keeps open at once);
// a link to a file is packed as that file, links to folders are not followed and links to
// nothing are passed over. The archive does not depend on the order folders list files in.
TEST_F(BrixArchive, PackWalksEveryFolderAndTakesLinksToFilesOnly) {
    std::map<std::string, std::string> files;
    for (int i = 0; i < 300; ++i) files["Data/f" + std::to_string(i) + "/x" + std::to_string(i % 7) + ".ini"] = std::to_string(i);
    files["Audio/top.wav"] = "RIFF";
    Tree("src", files);
#ifndef _WIN32
    fs::create_symlink("../Audio/top.wav", dir / "src" / "Data" / "linked.wav");
    fs::create_symlink("../nowhere", dir / "src" / "Data" / "broken.txt");
    fs::create_directory_symlink("../Audio", dir / "src" / "Data" / "folderlink");
    files["Data/linked.wav"] = "RIFF";
#endif
    ToolResult packed = Run({"pack", "src", "-o", "m.qsx", "--id", "AB", "--version", "1.0"});
    ASSERT_EQ(packed.code, 0) << packed.err;
    ASSERT_EQ(Run({"extract", "m.qsx", "-C", "out"}).code, 0);
    EXPECT_EQ(ReadTree(dir / "out"), files);

    // The same files written in another order give the same tables and data.
    std::vector<std::pair<std::string, std::string>> reversed(files.rbegin(), files.rend());
    for (const auto& [path, bytes] : reversed) {
        fs::create_directories((dir / "again" / path).parent_path());
        WriteFile(dir / "again" / path, bytes);
    }
    ASSERT_EQ(Run({"pack", "again", "-o", "n.qsx", "--id", "AB", "--version", "1.0"}).code, 0);
    EXPECT_EQ(ReadFile(dir / "m.qsx").substr(116), ReadFile(dir / "n.qsx").substr(116));
}

TEST_F(BrixArchive, InfoDescribesTheHeaderWithoutRevealingTheCode) {
    Tree("src", {{"a.ini", "[A]\nk=1\n"}});
    struct Case {
        const char* code;
        const char* access;
    } cases[] = {{"", "none"}, {"K3y!", "protected"}, {"#Ro", "protected, read-only without code"}};
    for (const Case& c : cases) {
        std::vector<std::string> args = {"pack", "src", "-o", "m.qsx", "--id", "IT", "--version", "2.5"};
        if (*c.code) args.insert(args.end(), {"--code", c.code});
        ASSERT_EQ(Run(args).code, 0);
        ToolResult info = Run({"info", "m.qsx"});
        ASSERT_EQ(info.code, 0) << info.err;
        std::string length = std::to_string(fs::file_size(dir / "m.qsx"));
        EXPECT_EQ(info.out, "format-version: 0x1000f\nheader-size: 116\nmod-id: IT\nversion: 2.5.0\nfiles: 1\n"
                            "length: " + length + "\nchecksum: ok\naccess-code: " + c.access + "\n")
            << c.code;
        if (*c.code) {
            EXPECT_EQ(info.out.find(c.code), std::string::npos);
        }
    }
    RawArchive old;
    old.formatVersion = 0x10004;
    old.files = {{"x", "1", ""}};
    WriteFile(dir / "old.qsw", old.Build());
    ToolResult info = Run({"info", "old.qsw"});
    EXPECT_THAT(info.out, HasSubstr("format-version: 0x10004\nheader-size: 104\nmod-id: NA\n"));
}

TEST_F(BrixArchive, VerifyAndReadersReportCorruptArchives) {
    Tree("src", kGame);
    ASSERT_EQ(Run({"pack", "src", "-o", "good.qsx", "--id", "SK", "--version", "1.0"}).code, 0);
    ToolResult ok = Run({"verify", "good.qsx"});
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(ok.out, "good.qsx: ok\n");

    const std::string good = ReadFile(dir / "good.qsx");
    struct Case {
        const char* what;
        std::function<void(std::string&)> mutate;
        const char* message;
        bool readable;  // list still works: only verify notices
    } cases[] = {
        {"data byte", [](std::string& b) { b[b.size() - 3000] ^= 1; }, "checksum mismatch", true},
        {"hash",
         [](std::string& b) {
             b[116 + 80] ^= 1;
             PutU32(b, 0x10, 0);
             PutU32(b, 0x10, XorWords(b));  // a valid checksum over the wrong hash
         },
         "is not its HashName", true},
        {"truncated", [](std::string& b) { b.resize(b.size() - 100); }, "doesn't match expected file length", false},
        {"node table", [](std::string& b) { PutU32(b, 0x40, 0x01000000); }, "is corrupt: the FileNode table", false},
        {"packet", [](std::string& b) { PutU32(b, GetU32(b, 0x4C) + 4, 0x7FFFFFFF); }, "lies outside", false},
    };
    for (const Case& c : cases) {
        std::string bytes = good;
        c.mutate(bytes);
        WriteFile(dir / "bad.qsx", bytes);
        ToolResult verify = Run({"verify", "bad.qsx"});
        EXPECT_EQ(verify.code, 1) << c.what;
        EXPECT_THAT(verify.err, HasSubstr("bad.qsx")) << c.what;
        EXPECT_THAT(verify.err, HasSubstr(c.message)) << c.what;
        ToolResult list = Run({"list", "bad.qsx"});
        EXPECT_EQ(list.code, c.readable ? 0 : 1) << c.what << list.err;
        if (!c.readable) {
            EXPECT_THAT(list.err, StartsWith("brix-archive: ")) << c.what;
            EXPECT_THAT(list.err, HasSubstr(c.message)) << c.what;
        }
    }
    EXPECT_EQ(Run({"verify", "absent.qsx"}).code, 1);
}

TEST_F(BrixArchive, ExtractNeverWritesOutsideItsDirectory) {
    WriteArchive(dir / "evil.qsx", {{"..\\escape.txt", "x", ""},
                                    {"\\absolute.txt", "x", ""},
                                    {"C:\\drive.txt", "x", ""},
                                    {"ok\\..\\..\\up.txt", "x", ""},
                                    {"link\\through.txt", "x", ""},
                                    {"safe\\fine.txt", "fine", ""}});
    fs::create_directories(dir / "out");
    fs::create_directories(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", dir / "out" / "link");

    ToolResult r = Run({"extract", "evil.qsx", "-C", "out"});
    EXPECT_EQ(r.code, 1);
    for (const char* name : {"..\\escape.txt", "\\absolute.txt", "C:\\drive.txt", "ok\\..\\..\\up.txt"}) {
        EXPECT_THAT(r.err, HasSubstr(std::string("refusing the unsafe name ") + name)) << name;
    }
    EXPECT_THAT(r.err, HasSubstr("refusing to follow the symbolic link"));
    EXPECT_EQ(ReadFile(dir / "out" / "safe" / "fine.txt"), "fine");
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
    std::set<std::string> top;
    for (const auto& e : fs::directory_iterator(dir.path())) top.insert(e.path().filename().string());
    EXPECT_EQ(top, (std::set<std::string>{"evil.qsx", "out", "elsewhere"}));
}

TEST_F(BrixArchive, ExtractKeepsExistingFilesUnlessForced) {
    WriteArchive(dir / "m.qsx", {{"a.txt", "new", ""}, {"plain\\inside.txt", "x", ""}, {"b\\c.txt", "c", ""}});
    Tree("out", {{"a.txt", "mine"}, {"plain", "a file where a folder is wanted"}});
    ToolResult r = Run({"extract", "m.qsx", "-C", "out"});
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, HasSubstr("out/a.txt exists (use --force to overwrite)"));
    EXPECT_THAT(r.err, HasSubstr("out/plain exists and is not a directory"));
    EXPECT_EQ(ReadFile(dir / "out" / "a.txt"), "mine");
    EXPECT_EQ(ReadFile(dir / "out" / "b" / "c.txt"), "c");  // the other files are written
    fs::remove(dir / "out" / "plain");
    EXPECT_EQ(Run({"extract", "m.qsx", "-C", "out", "--force"}).code, 0);
    EXPECT_EQ(ReadFile(dir / "out" / "a.txt"), "new");
    EXPECT_EQ(ReadFile(dir / "out" / "plain" / "inside.txt"), "x");
}

TEST_F(BrixArchive, PackRefusesLongNamesAndLeavesTheOldPackage) {
    Tree("src", {{"a.txt", "a"}});
    ASSERT_EQ(Run({"pack", "src", "-o", "m.qsx", "--id", "AB", "--version", "1.0"}).code, 0);
    std::string before = ReadFile(dir / "m.qsx");
    Tree("src", {{std::string(76, 'n') + "/abc", "x"}});  // 80 characters with the backslash
    ToolResult r = Run({"pack", "src", "-o", "m.qsx", "--id", "AB", "--version", "1.1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, HasSubstr("name too long (80 chars max)"));
    EXPECT_EQ(ReadFile(dir / "m.qsx"), before);
    std::set<std::string> top;
    for (const auto& e : fs::directory_iterator(dir.path())) top.insert(e.path().filename().string());
    EXPECT_EQ(top, (std::set<std::string>{"m.qsx", "src"}));
}

TEST_F(BrixArchive, ResolveNamesTheProvidingArchive) {
    fs::create_directories(dir / "game");
    WriteArchive(dir / "game" / "Dravik.qsw", {{"Data\\Settings.ini", "1", ""}, {"Data\\a.ini", "1", ""}});
    WriteArchive(dir / "game" / "Dravik_AT.qsw", {{"Data\\Settings.ini", "2", ""}});
    WriteArchive(dir / "Iron.qsx", {{"Data\\a.ini", "3", ""}});
    ToolResult r = Run({"resolve", "game", "--mod", "Iron.qsx", "data\\settings.ini", "Data\\a.ini", "Data"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, (fs::path("game") / "Dravik_AT.qsw").string() + "\nIron.qsx\ndirectory\n");
    ToolResult missing = Run({"resolve", "game", "Data\\a.ini", "Data\\none.ini"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, (fs::path("game") / "Dravik.qsw").string() + "\nnot found\n");
    EXPECT_EQ(Run({"resolve", "game", "--mod", "absent.qsx", "x"}).code, 1);
}

TEST_F(BrixArchive, IniShowsWhatBrixReads) {
    WriteArchive(dir / "m.qsx", {{"Data\\u.ini", "[Zeta]\nb=2 ; c\na=1\n[Alpha]\nx=STRING_4\n", ""}});
    ToolResult value = Run({"ini", "m.qsx", "data\\U.INI", "zeta", "B"});
    EXPECT_EQ(value.code, 0);
    EXPECT_EQ(value.out, "2\n");
    EXPECT_EQ(Run({"ini", "m.qsx", "Data\\u.ini", "Zeta", "missing"}).code, 1);
    ToolResult section = Run({"ini", "m.qsx", "Data\\u.ini", "Zeta"});
    EXPECT_EQ(section.out, "b=2\na=1\n");
    EXPECT_EQ(Run({"ini", "m.qsx", "Data\\u.ini", "Nowhere"}).code, 1);
    ToolResult all = Run({"ini", "m.qsx", "Data\\u.ini"});
    std::string zeta = "[Zeta]\nb=2\na=1\n", alpha = "[Alpha]\nx=STRING_4\n";
    EXPECT_EQ(all.out, HashName("Zeta") < HashName("Alpha") ? zeta + alpha : alpha + zeta);
}

TEST_F(BrixArchive, UsageErrorsExitTwoAndHelpExitsZero) {
    Tree("src", {{"a.txt", "a"}});
    std::vector<std::vector<std::string>> usage = {
        {},
        {"explode"},
        {"list"},
        {"extract", "m.qsx"},
        {"pack", "src", "-o", "m.qsx", "--id", "ABC", "--version", "1.0"},
        {"pack", "src", "-o", "m.qsx", "--id", "AB", "--version", "1.100"},
        {"pack", "src", "-o", "m.qsx", "--id", "AB", "--version", "1.0", "--code", "12345"},
        {"ini", "m.qsx", "a", "b", "c", "d"},
    };
    for (const auto& args : usage) {
        ToolResult r = Run(args);
        EXPECT_EQ(r.code, 2) << ::testing::PrintToString(args) << r.err;
        EXPECT_NE(r.err, "") << ::testing::PrintToString(args);
    }
    for (const char* sub : {"", "list", "info", "cat", "extract", "pack", "verify", "resolve", "ini", "table", "history"}) {
        std::vector<std::string> args;
        if (*sub) args.push_back(sub);
        args.push_back("--help");
        ToolResult r = Run(args);
        EXPECT_EQ(r.code, 0) << sub;
        EXPECT_THAT(r.out, HasSubstr("Usage")) << sub;
    }
    EXPECT_FALSE(fs::exists(dir / "m.qsx"));
}

TEST_F(BrixArchive, LogsOnlyWhenAsked) {
    Tree("src", {{"a.txt", "a"}});
    ASSERT_EQ(Run({"pack", "src", "-o", "m.qsx", "--id", "AB", "--version", "1.0"}).code, 0);
    EXPECT_FALSE(fs::exists(dir / "Brix_log.txt"));
    ASSERT_EQ(Run({"--log", "pack.log", "pack", "src", "-o", "n.qsx", "--id", "AB", "--version", "1.0"}).code, 0);
    EXPECT_THAT(ReadFile(dir / "pack.log"), HasSubstr("(RSCR) : Mod built with no errors.\n"));
}
