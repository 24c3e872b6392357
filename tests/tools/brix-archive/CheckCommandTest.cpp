// brix-archive check: the findings of an installation and of a mod over it, as lines and as
// JSON, and the exit codes: 0 without errors, 1 with any, 2 for a usage error.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/QSError.h"
#include "support/Archives.h"
#include "support/RunTool.h"
#include "support/Wavs.h"

using ::testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

TestFile Unit(const std::string& unique, const std::string& ini) {
    return {"Data\\ObjectData\\units\\" + unique + ".ini", ini, ""};
}

const TestFile kChief =
    Unit("Chief", IniText({"[ObjectData]", "ProperName=Chief", "[UnitData]", "Type=Captain"}));
const TestFile kPike = Unit("Pike", IniText({"[ObjectData]", "ProperName=Pikeman", "Defense=10",
                                             "[UnitData]", "Type=Front", "Captain=Chief"}));

class CheckCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        DisableLog();
        fs::create_directories(dir / "game");
    }
    void WriteGame(std::vector<TestFile> files) {
        WriteArchive(dir / "game" / "Dravik.qsw", files, "DV", "1.0.3");
    }
    void WritePackage(const char* identifier, std::vector<TestFile> files = {}) {
        files.push_back({"Data\\ModInfo.ini",
                         IniText({"[ModInfo]", std::string("TwoCharacterIdentifier=") + identifier,
                                  "Version=1.0", "DravikVersion=DSC 1.0.3"}),
                         ""});
        WriteArchive(dir / "Iron.qsx", files, "IR", "1.0");
    }
    ToolResult Run(const std::vector<std::string>& args) {
        return RunTool(BRIX_ARCHIVE_EXE, args, dir.path());
    }

    TempDir dir;
};

TEST_F(CheckCommand, CleanGameAndModPrintNothingAndExitZero) {
    WriteGame({kChief, kPike});
    WritePackage("IR");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check", "game"},
          {"check", "game", "--mod", "Iron.qsx"},
          {"check", "game", "--mod", "Iron.qsx", "--format", "json"}}) {
        const ToolResult r = Run(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, args.size() == 6 ? "[]\n" : "");
    }
}

TEST_F(CheckCommand, WarningsAloneExitZeroAndAnyErrorExitsOne) {
    // A sound slot naming a local file in the wrong format is a warning.
    WriteFile(dir / "stereo.wav", wavs::PlainWav(2, 22050, 16, 400));
    WriteGame(
        {kChief, Unit("Horn", IniText({"[ObjectData]", "ProperName=Horn", "DeathSound1=stereo.wav",
                                       "[UnitData]", "Type=Front", "Captain=Chief"}))});
    ToolResult r = Run({"check", "game"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "warning Horn ObjectData/DeathSound1: local file wrong format\n");

    // The mod's faults: its identity, then its objects, one line each.
    WritePackage("AT", {Unit("Pike", IniText({"[ObjectData]", "ProperName=Pikeman", "Defense=ten",
                                              "[UnitData]", "Type=Support", "Captain=Chief"}))});
    r = Run({"check", "game", "--mod", "Iron.qsx"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, std::string("error (mod) Identifier: AT is reserved for Ashen Tithe. Choose a "
                                 "different two-letter identifier.\n") +
                         "warning Horn ObjectData/DeathSound1: local file wrong format\n"
                         "error Pike ObjectData/Defense: not a number\n"
                         "error Pike UnitData/Captain: a unit of type Support may not have a "
                         "captain\n");
}

TEST_F(CheckCommand, JsonIsAnArrayOfFindingsWithTheirFieldsAsStrings) {
    WriteGame({kChief, Unit("Horn", IniText({"[ObjectData]", "ProperName=Horn",
                                             "DeathSound1=Game\\Gone \"old\".wav", "[UnitData]",
                                             "Type=Front", "Captain=Chief"}))});
    WritePackage("AT");
    const ToolResult r = Run({"check", "game", "--mod", "Iron.qsx", "--format", "json"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out,
              "[\n"
              "{\"severity\":\"error\",\"view\":\"mod\",\"object\":\"\",\"section\":\"\","
              "\"key\":\"Identifier\",\"value\":\"AT\",\"reason\":\"AT is reserved for Ashen "
              "Tithe. Choose a different two-letter identifier.\"},\n"
              "{\"severity\":\"error\",\"view\":\"units\",\"object\":\"Horn\","
              "\"section\":\"ObjectData\",\"key\":\"DeathSound1\","
              "\"value\":\"Game\\\\Gone \\\"old\\\".wav\","
              "\"reason\":\"names no sample of the game's archives\"}\n"
              "]\n");
}

TEST_F(CheckCommand, UsageErrorsExitTwo) {
    WriteGame({kChief, kPike});
    for (const std::vector<std::string>& args : {std::vector<std::string>{"check"},
                                                 {"check", "game", "--format", "xml"},
                                                 {"check", "game", "--mod"},
                                                 {"check", "game", "extra"}}) {
        const ToolResult r = Run(args);
        EXPECT_EQ(r.code, 2) << args.back();
        EXPECT_EQ(r.out, "");
    }
    // A missing installation is a failure of the command, not of its use.
    const ToolResult r = Run({"check", "nowhere"});
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, HasSubstr("nowhere"));
}

}  // namespace
