// brix-archive against hostile files and faults: special files where archives are expected,
// huge INI files, interrupted packs, odd outputs, empty installations, names that would harm
// a terminal or another tool, and archives whose layout lies. Each case checks the exit code,
// that the message names the file, and that nothing else happened. Every run is bounded in
// time: a hang fails the case instead of the suite.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

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
