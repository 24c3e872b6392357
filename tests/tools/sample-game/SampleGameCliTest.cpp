// The command line: help, usage errors, and what a run leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "SampleGame.h"

using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

TEST(SampleGameCli, HelpNamesEveryOptionAndSucceeds) {
    const ToolRun run = RunSampleGame({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* option : {"--edition", "--out", "--scale", "--units", "--heroes", "--buildings", "--seed", "--mods",
                               "--wine-prefix", "--wine-key", "--wine-drive"}) {
        EXPECT_THAT(run.out, HasSubstr(option));
    }
}

struct UsageCase {
    const char* name;
    const char* why;
    std::vector<std::string> args;  // "OUT" stands for the output directory
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.why; }

class SampleGameUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(SampleGameUsage, IsRefusedWithExitCodeTwoAndWritesNothing) {
    TempDir dir;
    const std::string out = (dir / "install").string();
    std::vector<std::string> args = GetParam().args;
    for (std::string& a : args) {
        if (a == "OUT") a = out;
    }
    const ToolRun run = RunSampleGame(args);
    EXPECT_EQ(run.exitCode, 2) << GetParam().why;
    EXPECT_FALSE(run.err.empty()) << GetParam().why;
    EXPECT_FALSE(std::filesystem::exists(out)) << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleGameUsage,
    ::testing::Values(
        UsageCase{"NoOptions", "no options", {}},
        UsageCase{"NoOutput", "no output directory", {"--edition", "dsc"}},
        UsageCase{"NoEdition", "no edition", {"--out", "OUT"}},
        UsageCase{"UnknownEdition", "unknown edition", {"--edition", "dsx", "--out", "OUT"}},
        UsageCase{"UnknownScale", "unknown scale", {"--edition", "dsc", "--out", "OUT", "--scale", "huge"}},
        UsageCase{"NegativeCount", "negative count", {"--edition", "dat", "--out", "OUT", "--units", "-1"}},
        UsageCase{"CountTooLarge", "count too large", {"--edition", "dsc", "--out", "OUT", "--heroes", "5000"}},
        UsageCase{"CountNotANumber", "count not a number", {"--edition", "dsc", "--out", "OUT", "--buildings", "ten"}},
        UsageCase{"SeedNotANumber", "seed not a number", {"--edition", "dsc", "--out", "OUT", "--seed", "x1"}},
        UsageCase{"UnknownOption", "unknown option", {"--edition", "dsc", "--out", "OUT", "--colour"}},
        UsageCase{"ModsWithTooFewUnits", "mods without enough objects",
                  {"--edition", "dsc", "--out", "OUT", "--mods", "--units", "2"}},
        UsageCase{"WineKeyWithoutPrefix", "a Wine key without a prefix",
                  {"--edition", "dsc", "--out", "OUT", "--wine-key", "plain"}},
        UsageCase{"UnknownWineKey", "unknown Wine key",
                  {"--edition", "dsc", "--out", "OUT", "--wine-prefix", "OUT", "--wine-key", "wow64"}},
        UsageCase{"WineDriveNotALetter", "a drive that is not a letter",
                  {"--edition", "dsc", "--out", "OUT", "--wine-prefix", "OUT", "--wine-drive", "gh"}}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

// A run in an empty working directory leaves only the installation there: no log, no
// temporary files, neither in the working directory nor in the installation.
TEST(SampleGameCli, LeavesNothingButTheInstallation) {
    TempDir cwd;
    const ToolRun run = RunSampleGame({"--edition", "dat", "--out", "game", "--mods"}, cwd.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, IsEmpty());
    EXPECT_EQ(FilesIn(cwd.path()), std::vector<std::string>{"game"});
    EXPECT_EQ(FilesIn(cwd / "game"), (std::vector<std::string>{"Dravik.qsw", "Dravik_AT.exe", "Dravik_AT.qsw", "IronTide.qsx",
                                                              "Oathsworn.qsx", "VeylSecrets.qsx"}));
}

// The prefix's drive links to the directory holding the installation; system.reg names it
// in Wine's format, listed like the installation's files.
TEST(SampleGameCli, WritesAWinePrefixNamingTheInstallation) {
    TempDir dir;
    const std::string prefix = (dir / "prefix").string();
    for (const char* run : {"first", "again, over the first"}) {
        SCOPED_TRACE(run);
        const ToolRun written = RunSampleGame({"--edition", "dat", "--out", "Games/Ashen Tithe/", "--wine-prefix",
                                               prefix, "--wine-key", "plain", "--wine-drive", "E:"},
                                              dir.path());
        ASSERT_EQ(written.exitCode, 0) << written.err;
        EXPECT_THAT(written.out, HasSubstr("system.reg"));
        EXPECT_THAT(written.out, HasSubstr("E:\\Ashen Tithe under Software\\Quillon Studios\\Dravik Ashen Tithe"));
        EXPECT_EQ(FilesIn(prefix), (std::vector<std::string>{"dosdevices", "drive_c", "system.reg"}));
        EXPECT_EQ(FilesIn(dir / "prefix/dosdevices"), (std::vector<std::string>{"c:", "e:"}));
        EXPECT_EQ(std::filesystem::read_symlink(dir / "prefix/dosdevices/c:"), "../drive_c");
        EXPECT_EQ(std::filesystem::read_symlink(dir / "prefix/dosdevices/e:"), dir / "Games");
        EXPECT_EQ(ReadFile(dir / "prefix/system.reg"),
                  "WINE REGISTRY Version 2\n"
                  ";; All keys relative to \\\\Machine\n"
                  "\n"
                  "#arch=win64\n"
                  "\n"
                  "[Software\\\\Quillon Studios\\\\Dravik Ashen Tithe] 1700000000\n"
                  "#time=1da16c3e4f7a000\n"
                  "\"Install Path\"=\"E:\\\\Ashen Tithe\"\n"
                  "\"Language\"=dword:00000409\n"
                  "\"Version\"=\"2.1.0.3\"\n");
    }
}

TEST(SampleGameCli, ReportsEveryFileAndWhatTheGameShows) {
    TempDir dir;
    const ToolRun run = RunSampleGame({"--edition", "dsc", "--out", (dir / "game").string(), "--units", "12", "--mods"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(FilesIn(dir / "game"),
              (std::vector<std::string>{"Dravik.exe", "Dravik.qsw", "IronTide.qsx", "Oathsworn.qsx", "VeylSecrets.qsx"}));
    for (const std::string& name : FilesIn(dir / "game")) EXPECT_THAT(run.out, HasSubstr(name));
    EXPECT_THAT(run.out, HasSubstr("12 units, 20 heroes, 30 buildings, 15 components and 20 samples"));
}

}  // namespace
