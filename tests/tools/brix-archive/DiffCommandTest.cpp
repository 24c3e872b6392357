// brix-archive diff: two states of a sample installation's game data compared through the
// executable, with diff's exit codes, the history's lines, the JSON form and the overlap.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/RunTool.h"

using ::testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

class DiffCommand : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        const ToolResult made = RunTool(
            BRIX_SAMPLE_GAME, {"--edition", "dsc", "--out", "game", "--mods"}, dir_->path());
        ASSERT_EQ(made.code, 0) << made.err;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    // brix-archive diff run in the installation's directory, over it.
    static ToolResult Diff(std::vector<std::string> args) {
        args.insert(args.begin(), {"diff", "."});
        return RunTool(BRIX_ARCHIVE_EXE, args, dir_->path() / "game");
    }

    static TempDir* dir_;
};
TempDir* DiffCommand::dir_ = nullptr;

const char* const kVeylLines =
    "Changed Skarn_Reaver(Skarn Reaver) Barracks: from Off to On.\r\n"
    "Changed Ashford_Village(Ashford Village) Defense: from 8 to 12.\r\n"
    "Changed Ashford_Village(Ashford Village) Max Militia: from 7 to 10.\r\n";

TEST_F(DiffCommand, ExitsAsDiffDoes) {
    struct Case {
        std::vector<std::string> args;
        int code;
    };
    const Case cases[] = {
        {{"-", "-"}, 0},
        {{"IronTide.qsx", "IronTide.qsx"}, 0},
        {{"IronTide.qsx"}, 1},
        {{"-", "Oathsworn.qsx"}, 1},
        {{"IronTide.qsx", "Oathsworn.qsx"}, 1},
        {{"IronTide.qsx", "Oathsworn.qsx", "--overlap"}, 0},
        {{"IronTide.qsx", "VeylSecrets.qsx", "--overlap"}, 1},
        // Usage and trouble.
        {{}, 2},
        {{"-", "-", "-"}, 2},
        {{"IronTide.qsx", "--format", "xml"}, 2},
        {{"IronTide.qsx", "--overlap"}, 2},
        {{"-", "IronTide.qsx", "--overlap"}, 2},
        {{"Missing.qsx"}, 2},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) shown += " " + a;
        SCOPED_TRACE("diff ." + shown);
        const ToolResult r = Diff(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        if (c.code == 2) {
            EXPECT_EQ(r.out, "");
        } else {
            EXPECT_EQ(r.err, "");
        }
    }
    EXPECT_THAT(Diff({"Missing.qsx"}).err, HasSubstr("Missing.qsx"));
}

TEST_F(DiffCommand, WritesTheHistorysLinesEitherWayRound) {
    EXPECT_EQ(Diff({"VeylSecrets.qsx"}).out, kVeylLines);
    EXPECT_EQ(Diff({"-", "VeylSecrets.qsx"}).out, kVeylLines);
    // The other way round every change is reversed and what the mod adds is removed.
    EXPECT_EQ(Diff({"IronTide.qsx", "-"}).out,
              "Changed Corvane_Knight(Corvane Knight) Wood Upkeep: from 1 to 2.\r\n"
              "Changed Corvane_Knight(Corvane Knight) Quarry_Works: from Off to On.\r\n"
              "Changed Skarn_Reaver(Skarn Reaver) Max hit points: from 139.0 to 114.0.\r\n"
              "Changed Skarn_Reaver(Skarn Reaver) Attack 1 Damage:: from 16 to 14.\r\n"
              "Changed Skarn_Reaver(Skarn Reaver) ChargeBonus: from 1.5 to Off.\r\n"
              "Changed Skarn_Warchief(Skarn Warchief) Defense: from 12 to 10.\r\n"
              "Changed Skarn_Warchief(Skarn Warchief) Cost in gold: from 63 to 68.\r\n"
              "Removed Iron_Vanguard(Iron Vanguard).\r\n");
    EXPECT_EQ(
        Diff({"IronTide.qsx", "VeylSecrets.qsx", "--overlap"}).out,
        "Overlap Skarn_Reaver(Skarn Reaver) Max hit points: game 114.0, IronTide 139.0, "
        "VeylSecrets 114.0.\r\n"
        "Overlap Skarn_Reaver(Skarn Reaver) Attack 1 Damage:: game 14, IronTide 16, VeylSecrets "
        "14.\r\n"
        "Overlap Skarn_Reaver(Skarn Reaver) ChargeBonus: game Off, IronTide 1.5, VeylSecrets "
        "Off.\r\n"
        "Overlap Skarn_Reaver(Skarn Reaver) Barracks: game Off, IronTide Off, VeylSecrets On.\r\n");
}

TEST_F(DiffCommand, JsonIsAnArrayOfOneObjectPerLine) {
    EXPECT_EQ(
        Diff({"VeylSecrets.qsx", "--format", "json"}).out,
        "[\n"
        R"({"kind":"changed","view":"units","object":"Skarn_Reaver","name":"Skarn Reaver",)"
        R"("field":"Barracks","from":"Off","to":"On"},)"
        "\n"
        R"({"kind":"changed","view":"buildings","object":"Ashford_Village","name":"Ashford Village",)"
        R"("field":"Defense","from":"8","to":"12"},)"
        "\n"
        R"({"kind":"changed","view":"buildings","object":"Ashford_Village","name":"Ashford Village",)"
        R"("field":"Max Militia","from":"7","to":"10"})"
        "\n]\n");
    const ToolResult removed = Diff({"IronTide.qsx", "-", "--format", "json"});
    EXPECT_THAT(removed.out,
                HasSubstr("\n"
                          R"({"kind":"removed","view":"units","object":"Iron_Vanguard",)"
                          R"("name":"Iron Vanguard","field":"","from":"","to":""})"
                          "\n]\n"));
    const ToolResult overlap =
        Diff({"IronTide.qsx", "VeylSecrets.qsx", "--overlap", "--format", "json"});
    EXPECT_EQ(overlap.code, 1);
    EXPECT_THAT(overlap.out,
                HasSubstr("\n"
                          R"({"view":"units","object":"Skarn_Reaver","name":"Skarn Reaver",)"
                          R"("field":"Barracks","game":"Off","first":"Off","second":"On"})"
                          "\n]\n"));
    // Nothing to say is an empty array.
    const ToolResult equal = Diff({"-", "-", "--format", "json"});
    EXPECT_EQ(equal.code, 0);
    EXPECT_EQ(equal.out, "[]\n");
}

}  // namespace
