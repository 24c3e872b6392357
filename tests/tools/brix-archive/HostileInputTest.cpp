// brix-archive against hostile files and faults: special files where archives are expected,
// huge INI files, interrupted packs, odd outputs, empty installations, names that would harm
// a terminal or another tool, and archives whose layout lies. Each case checks the exit code,
// that the message names the file, and that nothing else happened. Every run is bounded in
// time: a hang fails the case instead of the suite.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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
        for (const auto& e : fs::recursive_directory_iterator(dir.path()))
            names.insert(fs::relative(e.path(), dir.path()).generic_string());
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
            EXPECT_TRUE(ReadFile(dir / "out" / "m.qsx") == before);
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
