// brix-archive against hostile files and faults: special files where archives are expected,
// huge INI files, interrupted packs, odd outputs, empty installations, names that would harm
// a terminal or another tool, and archives whose layout lies. Each case checks the exit code,
// that the message names the file, and that nothing else happened. Every run is bounded in
// time: a hang fails the case instead of the suite.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <set>
#include <thread>

#include "core/QSError.h"
#include "support/Archives.h"
#include "support/RunTool.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

constexpr const char* kTimeLimit = "20";  // seconds; `timeout` exits 124 past it

class Hostile : public ::testing::Test {
protected:
    void SetUp() override { DisableLog(); }

    ToolResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"-s", "KILL", kTimeLimit, BRIX_ARCHIVE_EXE});
        return RunTool("timeout", args, dir.path());
    }

    // Every path below the test's folder, so that a case can tell nothing was left or made.
    std::set<std::string> Listing() {
        std::set<std::string> names;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(dir.path(), ec), end; !ec && it != end; it.increment(ec))
            names.insert(it->path().lexically_relative(dir.path()).generic_string());
        EXPECT_FALSE(ec) << ec.message();
        return names;
    }

    TempDir dir;
};

const std::vector<TestFile> kSmallGame = {
    {"Data\\Settings.ini", "[SimulationSettings]\r\nResourceMultiplier=1.5\r\n", ""},
    {"Data\\ObjectData\\units\\Pike.ini", "[ObjectData]\r\nProperName=Pikeman\r\n", ""},
};

}  // namespace

// A FIFO, a device or a folder where an archive is expected is refused at once, naming it:
// never read, never waited on.
TEST_F(Hostile, SpecialFilesAreRefusedWithoutHanging) {
    fs::create_directories(dir / "game");
    WriteArchive(dir / "game" / "Dravik.qsw", kSmallGame);
    WriteArchive(dir / "mod.qsx", {{"Data\\a.ini", "[A]\nk=1\n", ""}});
    fs::create_directories(dir / "fifogame");
    WriteArchive(dir / "fifogame" / "Dravik.qsw", kSmallGame);
    ASSERT_EQ(::mkfifo((dir / "fifogame" / "Extra.qsw").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.qsx").c_str(), 0644), 0);
    fs::create_directories(dir / "folder.qsx");
    const std::set<std::string> before = Listing();

    const struct Case {
        std::vector<std::string> args;
        const char* named;
        const char* kind;
    } cases[] = {
        {{"resolve", "game", "--mod", "pipe.qsx", "Data\\a.ini"}, "pipe.qsx", "a FIFO"},
        {{"resolve", "game", "--mod", "folder.qsx", "Data\\a.ini"}, "folder.qsx", "a directory"},
        {{"resolve", "fifogame", "Data\\Settings.ini"}, "Extra.qsw", "a FIFO"},
        {{"table", "fifogame", "--kind", "units"}, "Extra.qsw", "a FIFO"},
        {{"history", "fifogame", "--mod", "mod.qsx"}, "Extra.qsw", "a FIFO"},
        {{"table", "game", "--mod", "pipe.qsx", "--kind", "units"}, "pipe.qsx", "a FIFO"},
        {{"history", "game", "--mod", "pipe.qsx"}, "pipe.qsx", "a FIFO"},
        {{"list", "pipe.qsx"}, "pipe.qsx", "a FIFO"},
        {{"info", "pipe.qsx"}, "pipe.qsx", "a FIFO"},
        {{"cat", "pipe.qsx", "x"}, "pipe.qsx", "a FIFO"},
        {{"ini", "pipe.qsx", "x"}, "pipe.qsx", "a FIFO"},
        {{"verify", "pipe.qsx"}, "pipe.qsx", "a FIFO"},
        {{"extract", "pipe.qsx", "-C", "out"}, "pipe.qsx", "a FIFO"},
        {{"list", "/dev/zero"}, "/dev/zero", "a character device"},
        {{"verify", "folder.qsx"}, "folder.qsx", "a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.code, 1) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_THAT(r.err, StartsWith("brix-archive: "));
        EXPECT_THAT(r.err, HasSubstr(c.named));
        EXPECT_THAT(r.err, HasSubstr(std::string("is not a regular file but ") + c.kind));
        EXPECT_EQ(Listing(), before);
    }
}

// kill -9 of a large pack at several points: the old package stays whole and no temporary
// file is left, since the archive is written to a file without a name until it is complete.
TEST_F(Hostile, KilledPackLeavesTheOldPackageAndNoTemporaryFile) {
    fs::create_directories(dir / "src");
    for (int i = 0; i < 24; ++i) WriteFile(dir / "src" / ("f" + std::to_string(i) + ".bin"), std::string(4 << 20, static_cast<char>(i)));
    fs::create_directories(dir / "out");
    WriteArchive(dir / "out" / "m.qsx", {{"old", "old", ""}});
    const std::string before = ReadFile(dir / "out" / "m.qsx");
    const std::vector<std::string> args = {"pack", "src", "-o", "out/m.qsx", "--id", "AB", "--version", "1.0"};

    // Starts a pack and kills it after the given time; true when it was killed before it ended.
    auto packKilledAfter = [&](std::chrono::microseconds wait) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::chdir(dir.path().c_str()) != 0) _exit(127);
            std::vector<char*> argv = {const_cast<char*>(BRIX_ARCHIVE_EXE)};
            for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(BRIX_ARCHIVE_EXE, argv.data());
            _exit(127);
        }
        int status = 0;
        const auto until = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < until) {
            if (::waitpid(child, &status, WNOHANG) == child) return false;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return WIFSIGNALED(status);
    };
    const auto start = std::chrono::steady_clock::now();
    ASSERT_FALSE(packKilledAfter(std::chrono::seconds(60)));
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(Run({"verify", "out/m.qsx"}).code, 0);
    WriteFile(dir / "out" / "m.qsx", before);

    int killed = 0;
    for (double at : {0.05, 0.2, 0.4, 0.6, 0.8}) {
        SCOPED_TRACE(at);
        if (packKilledAfter(std::chrono::microseconds(static_cast<int64_t>(whole.count() * at)))) {
            ++killed;
            // Killed after the new package was linked into place (its last steps are the
            // link, the rename and the folder's sync), the new one stands, whole; otherwise
            // the old one, untouched. Never anything between.
            if (ReadFile(dir / "out" / "m.qsx") != before) {
                EXPECT_EQ(Run({"verify", "out/m.qsx"}).code, 0);
                WriteFile(dir / "out" / "m.qsx", before);
            }
        } else {
            EXPECT_EQ(Run({"verify", "out/m.qsx"}).code, 0);  // it finished first: the new one, whole
            WriteFile(dir / "out" / "m.qsx", before);
        }
        std::set<std::string> left;
        for (const auto& e : fs::directory_iterator(dir / "out")) left.insert(e.path().filename().string());
        EXPECT_EQ(left, std::set<std::string>{"m.qsx"});
    }
    EXPECT_GE(killed, 3);
}

// pack -o writes through a link to the file it stands for and keeps the replaced file's mode
// and owner; an output that is, or leads to, anything but a regular file is refused and left
// as it is.
TEST_F(Hostile, PackRespectsWhatItReplaces) {
    fs::create_directories(dir / "src");
    WriteFile(dir / "src" / "a.ini", "[A]\nk=1\n");
    fs::create_directories(dir / "out" / "real");
    fs::create_directories(dir / "out" / "folder.qsx");
    ASSERT_EQ(::mkfifo((dir / "out" / "pipe.qsx").c_str(), 0644), 0);
    const bool device = ::mknod((dir / "out" / "null.qsx").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    fs::create_symlink("pipe.qsx", dir / "out" / "topipe.qsx");
    fs::create_symlink("loop2.qsx", dir / "out" / "loop1.qsx");
    fs::create_symlink("loop1.qsx", dir / "out" / "loop2.qsx");
    auto pack = [&](const std::string& out) {
        return Run({"pack", "src", "-o", "out/" + out, "--id", "AB", "--version", "1.0"});
    };

    const struct Refused {
        const char* out;
        const char* why;
    } refused[] = {
        {"pipe.qsx", "a FIFO"},
        {"folder.qsx", "a directory"},
        {"null.qsx", "a character device"},
        {"topipe.qsx", "a FIFO"},
        {"loop1.qsx", "Too many levels of symbolic links"},
    };
    const std::set<std::string> before = Listing();
    for (const Refused& c : refused) {
        if (std::string(c.out) == "null.qsx" && !device) continue;  // mknod needs privileges
        SCOPED_TRACE(c.out);
        ToolResult r = pack(c.out);
        EXPECT_EQ(r.code, 1);
        EXPECT_THAT(r.err, HasSubstr(std::string("Couldn't replace out/") + c.out + ": "));
        EXPECT_THAT(r.err, HasSubstr(c.why));
        EXPECT_EQ(Listing(), before);
    }
    struct stat st;
    ASSERT_EQ(::lstat((dir / "out" / "pipe.qsx").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    if (device) {
        ASSERT_EQ(::lstat((dir / "out" / "null.qsx").c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }

    // Through two links to the real file, which keeps its mode (and owner, where allowed).
    WriteArchive(dir / "out" / "real" / "m.qsx", {{"old", "1", ""}});
    ASSERT_EQ(::chmod((dir / "out" / "real" / "m.qsx").c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown((dir / "out" / "real" / "m.qsx").c_str(), 65534, 65534), 0);
    }
    fs::create_symlink("real/m.qsx", dir / "out" / "inner.qsx");
    fs::create_symlink("inner.qsx", dir / "out" / "outer.qsx");
    ASSERT_EQ(pack("outer.qsx").code, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "out" / "outer.qsx"));
    EXPECT_TRUE(fs::is_symlink(dir / "out" / "inner.qsx"));
    ASSERT_EQ(::stat((dir / "out" / "real" / "m.qsx").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }
    ToolResult cat = Run({"cat", "out/real/m.qsx", "a.ini"});
    EXPECT_EQ(cat.out, "[A]\nk=1\n");
    std::set<std::string> real;
    for (const auto& e : fs::directory_iterator(dir / "out" / "real")) real.insert(e.path().filename().string());
    EXPECT_EQ(real, std::set<std::string>{"m.qsx"});

    // A link to a file not made yet makes it.
    fs::create_symlink("real/new.qsx", dir / "out" / "ahead.qsx");
    ASSERT_EQ(pack("ahead.qsx").code, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "out" / "ahead.qsx"));
    EXPECT_EQ(Run({"verify", "out/real/new.qsx"}).code, 0);
}

// table and history need the game: an installation folder without a game archive (none at
// all, or only a folder, a link loop or a dangling link by that name) is an error naming the
// folder and what is missing, not an empty table.
TEST_F(Hostile, InstallationWithoutAGameArchiveIsAnError) {
    WriteArchive(dir / "mod.qsx", {{"Data\\a.ini", "[A]\nk=1\n", ""}});
    fs::create_directories(dir / "empty");
    fs::create_directories(dir / "folder" / "Dravik.qsw");
    fs::create_directories(dir / "loop");
    fs::create_symlink("Dravik.qsw", dir / "loop" / "Dravik.qsw");
    fs::create_directories(dir / "dangling");
    fs::create_symlink("gone.qsw", dir / "dangling" / "Dravik.qsw");
    const struct Case {
        const char* install;
        const char* also;  // what the message says of the folder's *.qsw entries
    } cases[] = {
        {"empty", ""},
        {"folder", "Dravik.qsw is a directory"},
        {"loop", "Dravik.qsw: Too many levels of symbolic links"},
        {"dangling", "Dravik.qsw leads nowhere"},
    };
    for (const Case& c : cases) {
        for (std::vector<std::string> args : {std::vector<std::string>{"table", c.install, "--kind", "units"},
                                              std::vector<std::string>{"history", c.install, "--mod", "mod.qsx"}}) {
            SCOPED_TRACE(::testing::PrintToString(args));
            ToolResult r = Run(args);
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.out, "");
            EXPECT_THAT(r.err, StartsWith(std::string("brix-archive: ") + c.install + ": holds no game archive"));
            EXPECT_THAT(r.err, HasSubstr(c.also));
        }
    }
}

// Every failure to open, read or write names the file and gives the system's reason.
TEST_F(Hostile, FailuresSayWhy) {
    fs::create_directories(dir / "src");
    WriteFile(dir / "src" / "a.ini", "[A]\nk=1\n");
    WriteFile(dir / "plain.txt", "not a folder");
    WriteArchive(dir / "m.qsx", {{"a.ini", "[A]\nk=1\n", ""}});
    const std::string kNoEntry = "No such file or directory", kNotDir = "Not a directory";
    const struct Case {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"pack", "src", "-o", "none/m.qsx", "--id", "AB", "--version", "1.0"}, "Couldn't open output file none/m.qsx: " + kNoEntry},
        {{"pack", "absent", "-o", "m2.qsx", "--id", "AB", "--version", "1.0"}, "absent: cannot pack: " + kNoEntry},
        {{"pack", "plain.txt", "-o", "m2.qsx", "--id", "AB", "--version", "1.0"}, "plain.txt: cannot pack: is not a directory"},
        {{"list", "absent.qsx"}, "Could not open absent.qsx: " + kNoEntry},
        {{"verify", "absent.qsx"}, "Could not open absent.qsx: " + kNoEntry},
        {{"extract", "m.qsx", "-C", "plain.txt/out"}, "plain.txt/out: cannot create the target directory: " + kNotDir},
        {{"--log", "none/x.log", "list", "m.qsx"}, "none/x.log: cannot create the log: " + kNoEntry},
        {{"table", "absent", "--kind", "units"}, "absent: no installation directory: " + kNoEntry},
        {{"history", "plain.txt", "--mod", "m.qsx"}, "plain.txt: no installation directory: is not a directory"},
        {{"resolve", "absent", "x"}, "absent: no installation directory: " + kNoEntry},
        {{"resolve", ".", "--mod", "absent.qsx", "x"}, "Could not open absent.qsx: " + kNoEntry},
    };
    const std::set<std::string> before = Listing();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_THAT(r.err, StartsWith("brix-archive: "));
        EXPECT_THAT(r.err, HasSubstr(c.says));
        EXPECT_EQ(Listing(), before);
    }
}

// Names from an archive reach the terminal with their control characters escaped, one line
// per file in list; pack refuses, and verify reports, names that extract would refuse.
TEST_F(Hostile, NamesAreShownSafelyAndStoredOnlyWhenExtractable) {
    RawArchive raw;
    raw.files = {{"two\nlines.ini", "a", ""}, {"red\x1b[31m.ini", "b", ""}, {"ok.ini", "c", ""}};
    WriteFile(dir / "odd.qsx", raw.Build());
    ToolResult list = Run({"list", "odd.qsx"});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 3);
    EXPECT_EQ(list.out.find('\x1b'), std::string::npos);
    EXPECT_THAT(list.out, HasSubstr(" two\\x0alines.ini\n"));
    EXPECT_THAT(list.out, HasSubstr(" red\\x1b[31m.ini\n"));
    ToolResult cat = Run({"cat", "odd.qsx", "no\x1b]0;title\x07"});
    EXPECT_EQ(cat.code, 1);
    EXPECT_EQ(cat.err, "brix-archive: odd.qsx: holds no file named no\\x1b]0;title\\x07\n");

    const char* unsafe[] = {"..\\..\\tmp\\x", "C:x", "\\abs.ini", "a\\..\\..\\b"};
    for (const char* name : unsafe) {
        SCOPED_TRACE(name);
        RawArchive evil;
        evil.files = {{"fine.ini", "a", ""}, {name, "x", ""}};
        WriteFile(dir / "evil.qsx", Sealed(evil.Build()));
        ToolResult verify = Run({"verify", "evil.qsx"});
        EXPECT_EQ(verify.code, 1);
        EXPECT_EQ(verify.out, "");
        EXPECT_THAT(verify.err, HasSubstr(std::string("evil.qsx: the name ") + name + " is unsafe"));
        EXPECT_EQ(Run({"extract", "evil.qsx", "-C", "x"}).code, 1);  // as verify foretold
        fs::remove_all(dir / "x");

        fs::create_directories(dir / "src");
        WriteFile(dir / "src" / "fine.ini", "a");
        WriteFile(dir / "src" / name, "x");  // one file whose name holds the backslashes
        const std::set<std::string> before = Listing();
        ToolResult pack = Run({"pack", "src", "-o", "p.qsx", "--id", "AB", "--version", "1.0"});
        EXPECT_EQ(pack.code, 1);
        EXPECT_THAT(pack.err, HasSubstr(std::string("src/") + name + ": refusing to store the name " + name));
        EXPECT_EQ(Listing(), before);
        fs::remove_all(dir / "src");
    }
}

namespace {

// Field offsets in hand-laid archives.
size_t NodeAt(const std::string& b, uint32_t i) { return GetU32(b, 0x3C) + i * sizeof(FileNode); }
size_t ChunkAt(const std::string& b, uint32_t i) { return GetU32(b, 0x44) + i * sizeof(FileChunk); }
size_t PacketAt(const std::string& b, uint32_t i) { return GetU32(b, 0x4C) + i * sizeof(FilePacket); }

// files files, the first holding size bytes, every other one pointed at the first's chunk.
std::string SharedPacket(uint32_t files, uint32_t size) {
    RawArchive raw;
    raw.files.push_back({"Data\\f0.wav", std::string(size, 'w'), ""});
    for (uint32_t i = 1; i < files; ++i) raw.files.push_back({"Data\\f" + std::to_string(i) + ".wav", "", ""});
    std::string b = raw.Build();
    for (uint32_t i = 1; i < files; ++i) {
        PutU32(b, NodeAt(b, i) + 84, size);
        PutU32(b, NodeAt(b, i) + 88, 1);
        PutU32(b, NodeAt(b, i) + 92, 0);
    }
    return Sealed(b);
}

}  // namespace

// A small archive whose files share stored bytes: verify names them, the readers say so, and
// extract will not write more than four times the archive's size without --force.
TEST_F(Hostile, SharedBytesAreReportedAndExtractIsBounded) {
    const std::string bomb = SharedPacket(1200, 60000);
    ASSERT_LT(bomb.size(), 200000u);
    WriteFile(dir / "bomb.qsx", bomb);
    RawArchive two;
    two.files = {{"a.ini", std::string(3000, 'a'), ""}, {"b.ini", std::string(3000, 'b'), ""}};
    const std::string plain = two.Build();
    std::string overlapping = plain;  // b's packet starts inside a's
    PutU32(overlapping, PacketAt(overlapping, 1), GetU32(overlapping, PacketAt(overlapping, 0)) + 1000);
    PutU32(overlapping, PacketAt(overlapping, 1) + 4, GetU32(overlapping, PacketAt(overlapping, 0)) + 4000);
    std::string overTable = plain;  // a's bytes read from the FileNode table
    PutU32(overTable, PacketAt(overTable, 0), GetU32(overTable, 0x3C));
    PutU32(overTable, PacketAt(overTable, 0) + 4, GetU32(overTable, 0x3C) + 3000);

    const struct Case {
        const char* what;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"one packet, 1200 files", bomb, "one packet (0) holds the bytes of Data\\f0.wav and Data\\f1.wav and Data\\f2.wav and 1197 more"},
        {"two files sharing", SharedPacket(2, 5000), "one packet (0) holds the bytes of Data\\f0.wav and Data\\f1.wav"},
        {"packets overlapping", Sealed(overlapping), "the bytes of b.ini (at "},
        {"packet over a table", Sealed(overTable), "the bytes of a.ini (at 116) overlap the FileNode table (at 116)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(dir / "x.qsx", c.bytes);
        ToolResult verify = Run({"verify", "x.qsx"});
        EXPECT_EQ(verify.code, 1);
        EXPECT_EQ(verify.out, "");
        EXPECT_THAT(verify.err, HasSubstr(std::string("brix-archive: x.qsx: ") + c.says));
        ToolResult list = Run({"list", "x.qsx"});  // still read, never silently
        EXPECT_EQ(list.code, 0);
        EXPECT_THAT(list.err, HasSubstr("note: x.qsx: some stored bytes belong to more than one file or table"));
    }
    EXPECT_EQ(Run({"verify", "bomb.qsx"}).code, 1);
    WriteFile(dir / "plain.qsx", Sealed(plain));
    EXPECT_EQ(Run({"verify", "plain.qsx"}).out, "plain.qsx: ok\n");

    const std::set<std::string> before = Listing();
    ToolResult refused = Run({"extract", "bomb.qsx", "-C", "out"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_THAT(refused.err, HasSubstr("bomb.qsx: would write 72000000 bytes, more than 4 times the archive's " +
                                       std::to_string(bomb.size())));
    EXPECT_THAT(refused.err, HasSubstr("use --force"));
    std::set<std::string> after = Listing();
    after.erase("out");  // the target folder may be made; nothing is written in it
    EXPECT_EQ(after, before);
    EXPECT_TRUE(!fs::exists(dir / "out") || fs::is_empty(dir / "out"));

    WriteFile(dir / "small.qsx", SharedPacket(30, 60000));
    ToolResult forced = Run({"extract", "small.qsx", "-C", "forced", "--force"});
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_EQ(ReadFile(dir / "forced" / "Data" / "f29.wav"), std::string(60000, 'w'));
}

// verify checks the whole layout, each fault reported by the name it concerns; cat of a file
// whose chunks leave a gap fails rather than giving short or zero-filled data.
TEST_F(Hostile, VerifyChecksTheWholeLayout) {
    RawArchive raw;
    raw.files = {{"a.ini", std::string(3000, 'a'), ""}, {"b.ini", std::string(3000, 'b'), ""}};
    const std::string plain = raw.Build();
    const struct Case {
        const char* what;
        std::function<void(std::string&)> change;
        const char* says;
        const char* cat;  // a file cat must refuse, or null
    } cases[] = {
        {"chunk covering part of its file",
         [](std::string& b) { PutU32(b, NodeAt(b, 0) + 84, 5000); },  // a.ini claims 5000, its chunk gives 3000
         "a.ini: its chunks leave bytes 3000 to 5000 of its 5000 uncovered", "a.ini"},
        {"chunk starting past the start",
         [](std::string& b) {
             PutU32(b, ChunkAt(b, 1) + 4, 100);
             PutU32(b, ChunkAt(b, 1) + 8, 3000);
             PutU32(b, PacketAt(b, 1) + 4, GetU32(b, PacketAt(b, 1)) + 2900);
         },
         "b.ini: its chunks leave bytes 0 to 100 of its 3000 uncovered", "b.ini"},
        {"identity bit top", [](std::string& b) { PutU32(b, 0x04, 40); }, "IdentityBitTop is 40, above 31", nullptr},
        {"code bit top", [](std::string& b) { PutU32(b, 0x58, 32); }, "CodeBitTop is 32, above 31", nullptr},
        {"ignore size without a count", [](std::string& b) { PutU32(b, 0x6C, 12); }, "IgnoreSize is 12 while IgnoreCount is 0", nullptr},
        {"a name stored twice",
         [](std::string& b) {
             std::memcpy(&b[NodeAt(b, 1)], "A.INI", 5);
             PutU32(b, NodeAt(b, 1) + 80, HashName("A.INI"));
         },
         "a.ini is stored 2 times", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = plain;
        c.change(bytes);
        WriteFile(dir / "x.qsx", Sealed(bytes));
        ToolResult verify = Run({"verify", "x.qsx"});
        EXPECT_EQ(verify.code, 1);
        EXPECT_EQ(verify.out, "");
        EXPECT_THAT(verify.err, HasSubstr(std::string("brix-archive: x.qsx: ") + c.says));
        if (c.cat) {
            ToolResult cat = Run({"cat", "x.qsx", c.cat});
            EXPECT_EQ(cat.code, 1);
            EXPECT_EQ(cat.out, "");
            EXPECT_THAT(cat.err, HasSubstr(std::string("x.qsx: cannot read ") + c.cat + ": its chunks leave bytes"));
        }
    }
}
