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
    for (const char* option : {"--edition", "--out", "--scale", "--units", "--heroes", "--buildings", "--seed", "--mods"}) {
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
                  {"--edition", "dsc", "--out", "OUT", "--mods", "--units", "2"}}),
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
