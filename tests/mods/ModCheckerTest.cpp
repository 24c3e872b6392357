// Checking a mod before it is saved: a small installation with one planted fault per kind of
// finding, the same installation with the faults taken out, the session's edits over the
// loaded values, the identity's refusals, and the sample installations, which hold no fault.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "core/QSError.h"
#include "mods/ModChecker.h"
#include "mods/ModProject.h"
#include "support/Archives.h"
#include "support/TempDir.h"
#include "support/Wavs.h"
#include "tools/sample-game/SampleGame.h"

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

TestFile ObjectFile(const char* kind, const std::string& unique, const std::string& ini) {
    return {std::string("Data\\ObjectData\\") + kind + "\\" + unique + ".ini", ini, ""};
}

// The lists the game offers: components, bonuses, spells, technologies, a sample, settings.
std::vector<TestFile> GameLists(const std::string& componentsGold,
                                const std::string& minimumDamage = "1") {
    return {
        {"data\\objectdata\\components.ini",
         IniText({"[Forge]", "ProperName=Forge", "GoldCost=100", "[Wall]", "ProperName=Wall",
                  "GoldCost=" + componentsGold}),
         ""},
        {"data\\bonus.ini", IniText({"[Fire]", "action=Add", "[Frost]", "action=Multiply"}), ""},
        {"data\\spells.ini", IniText({"[0]", "name=Fireball", "[1]", "name=Heal"}), ""},
        {"data\\technology.ini", IniText({"[TechnologyData]", "Technology0=Smithing"}), ""},
        {"Data\\Settings.ini",
         IniText(
             {"[SimulationSettings]", "ResourceMultiplier=1.0", "MinimumDamage=" + minimumDamage}),
         ""},
        {"Audio\\Game\\Clang.wav", wavs::PlainWav(1, 22050, 16, 400), ""},
        ObjectFile("units", "Chief",
                   IniText({"[ObjectData]", "ProperName=Chief", "[UnitData]", "Type=Captain"})),
        ObjectFile("units", "Peasant",
                   IniText({"[ObjectData]", "ProperName=Peasant", "[UnitData]", "Type=Militia"})),
        ObjectFile("buildings", "Castle", IniText({"[ObjectData]", "ProperName=Castle"})),
    };
}

// A unit that uses every list, every value within its range.
const std::string kCleanPike = IniText({"[ObjectData]",
                                        "ProperName=Pikeman",
                                        "Defense=10",
                                        "MaxHitPoints=120",
                                        "CostGold=5",
                                        "UpkeepWood=2",
                                        "DeathSound1=Game\\Clang.wav",
                                        "[Level1]",
                                        "Defense=12",
                                        "[UnitData]",
                                        "Type=Front",
                                        "Captain=Chief",
                                        "WalkDistance=0.85",
                                        "[SpellData]",
                                        "Spell0=Fireball",
                                        "[BuildHierarchy]",
                                        "Technology=Smithing",
                                        "Component1=Forge",
                                        "[ElementBonus]",
                                        "Fire=1"});

const std::string kCleanKeep = IniText(
    {"[ObjectData]", "ProperName=Keep", "[BaseData]", "MilitiaType=Peasant", "NextLevel=Castle"});

class ModCheckerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
        fs::create_directories(dir / "dsc");
        project.SetInstallationPaths((dir / "dsc").string(), "");
    }
    void TearDown() override {
        project.Close();
        DisableLog();
    }

    void Open(std::vector<TestFile> game) {
        WriteArchive(dir / "dsc" / "Dravik.qsw", game, "DV", "1.0.3");
        const std::string info = IniText({"[ModInfo]", "TwoCharacterIdentifier=IT",
                                          "Version=1.2.0.0", "DravikVersion=DSC 1.0.3"});
        const std::string package = (dir / "dsc" / "Iron Tide.qsx").string();
        WriteArchive(package, {{"Data\\ModInfo.ini", info, ""}}, "IT", "1.2.0.0");
        project.OpenMod((dir / "dsc").string(), package);
        ASSERT_TRUE(project.ProjectOpen());
    }
    int IndexOf(int view, const char* unique) {
        project.Catalogue().SelectView(view);
        return project.Catalogue().FindObjectIndex(unique);
    }

    TempDir dir;
    ModProject project;
};

CheckFinding Error(int view, const char* object, const char* control, const char* section,
                   const char* key, const char* value, const char* reason) {
    return {FindingSeverity::Error, view, object, control, section, key, value, reason};
}

TEST_F(ModCheckerTest, EveryPlantedFaultIsFoundOnceAndACleanInstallationHasNone) {
    std::vector<TestFile> game = GameLists("lots", "1,5");
    game.push_back(ObjectFile("units", "Pike", kCleanPike));
    game.push_back(ObjectFile(
        "units", "Brute",
        IniText({"[ObjectData]", "ProperName=Brute", "Defense=ten", "MaxHitPoints=40000",
                 "UpkeepWood=12", "DeathSound1=Game\\Missing.wav", "[Level1]", "Defense=120",
                 "[UnitData]", "Type=Front", "[SpellData]", "Spell0=Meteor", "[BuildHierarchy]",
                 "Technology=Alchemy", "Component1=Mill", "[ElementBonus]", "Poison=3"})));
    game.push_back(ObjectFile("units", "Archer",
                              IniText({"[ObjectData]", "ProperName=Archer", "[UnitData]",
                                       "Type=Support", "Captain=Chief"})));
    game.push_back(ObjectFile(
        "units", "Lost",
        IniText({"[ObjectData]", "ProperName=Lost", "[UnitData]", "Type=Front", "Captain=Ghost"})));
    game.push_back(ObjectFile("buildings", "Keep",
                              IniText({"[ObjectData]", "ProperName=Keep", "[BaseData]",
                                       "MilitiaType=Nobody", "NextLevel=Palace"})));
    Open(game);

    const CheckFinding expected[] = {
        Error(kViewUnits, "Archer", "captain", "UnitData", "Captain", "Chief",
              "a unit of type Support may not have a captain"),
        Error(kViewUnits, "Brute", "defense", "ObjectData", "Defense", "ten", "not a number"),
        Error(kViewUnits, "Brute", "defense_enlightened", "Level1", "Defense", "120",
              "outside 0 to 99"),
        Error(kViewUnits, "Brute", "max_hit_points", "ObjectData", "MaxHitPoints", "40000",
              "outside 1 to 30000"),
        Error(kViewUnits, "Brute", "wood_upkeep", "ObjectData", "UpkeepWood", "12",
              "outside 0 to 9"),
        Error(kViewUnits, "Brute", "spell_0", "SpellData", "Spell0", "Meteor",
              "not a spell of the game"),
        Error(kViewUnits, "Brute", "technology", "BuildHierarchy", "Technology", "Alchemy",
              "not a technology of the game"),
        Error(kViewUnits, "Brute", "captain", "UnitData", "Captain", "",
              "a front-line unit needs a captain"),
        Error(kViewUnits, "Brute", "components_checklistbox", "BuildHierarchy", "Component1",
              "Mill", "not a component of the game"),
        Error(kViewUnits, "Brute", "", "ElementBonus", "Poison", "3", "not a bonus of the game"),
        Error(kViewUnits, "Brute", "death_sound_1", "ObjectData", "DeathSound1",
              "Game\\Missing.wav", "names no sample of the game's archives"),
        Error(kViewUnits, "Lost", "captain", "UnitData", "Captain", "Ghost",
              "names no captain of the working set"),
        Error(kViewBuildings, "Keep", "militia_type", "BaseData", "MilitiaType", "Nobody",
              "names no militia or monster of the working set"),
        Error(kViewBuildings, "Keep", "nextlevel", "BaseData", "NextLevel", "Palace",
              "names no building of the working set"),
        Error(kViewGlobal, "Settings", "minimum_damage", "SimulationSettings", "MinimumDamage",
              "1,5", "not a number"),
        Error(kViewComponents, "Wall", "component_gold_cost", "Wall", "GoldCost", "lots",
              "not a number"),
    };
    const std::vector<CheckFinding> found = CheckMod(project);
    EXPECT_THAT(found, ElementsAreArray(expected));
    EXPECT_TRUE(HasErrors(found));
    EXPECT_EQ(FindingLine(found[1]), "error Brute ObjectData/Defense: not a number");

    // The same installation with every value back in its list or range.
    project.Close();
    std::vector<TestFile> clean = GameLists("50");
    clean.push_back(ObjectFile("units", "Pike", kCleanPike));
    clean.push_back(ObjectFile("buildings", "Keep", kCleanKeep));
    Open(clean);
    EXPECT_THAT(CheckMod(project), IsEmpty());
}

TEST_F(ModCheckerTest, ChecksTheSessionValueWhereAChangeIsRecorded) {
    std::vector<TestFile> game = GameLists("50");
    game.push_back(ObjectFile("units", "Pike", kCleanPike));
    game.push_back(ObjectFile("units", "Brute",
                              IniText({"[ObjectData]", "ProperName=Brute", "Defense=ten",
                                       "[UnitData]", "Type=Support"})));
    Open(game);
    const fs::path stereo = dir / "stereo.wav";
    std::ofstream(stereo, std::ios::binary) << wavs::PlainWav(2, 22050, 16, 400);
    const fs::path gone = dir / "gone.wav";

    const int brute = IndexOf(kViewUnits, "Brute");
    project.EditField(brute, "defense", "12");  // the loaded fault is mended
    const int pike = IndexOf(kViewUnits, "Pike");
    project.EditField(pike, "cost_in_gold", "100");
    project.EditField(pike, "captain", "None");
    project.EditSoundSlot(pike, "death_sound_1", stereo.string());
    project.EditSoundSlot(pike, "death_sound_2", gone.string());

    const std::vector<CheckFinding> expected = {
        Error(kViewUnits, "Pike", "cost_in_gold", "ObjectData", "CostGold", "100",
              "outside 0 to 99"),
        Error(kViewUnits, "Pike", "captain", "UnitData", "Captain", "None",
              "a front-line unit needs a captain"),
        {FindingSeverity::Warning, kViewUnits, "Pike", "death_sound_1", "ObjectData", "DeathSound1",
         stereo.string(), "local file wrong format"},
        Error(kViewUnits, "Pike", "death_sound_2", "ObjectData", "DeathSound2",
              gone.string().c_str(), "local file not found"),
    };
    EXPECT_THAT(CheckMod(project), ElementsAreArray(expected));

    // A warning alone is no error; and the view the window shows is as it was.
    project.UndoField(pike, "cost_in_gold");
    project.UndoField(pike, "captain");
    project.UndoField(pike, "death_sound_2");
    project.Catalogue().SelectView(kViewBuildings);
    const std::vector<CheckFinding> warnings = CheckMod(project);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_FALSE(HasErrors(warnings));
    EXPECT_EQ(FindingLine(warnings[0]),
              "warning Pike ObjectData/DeathSound1: local file wrong format");
    EXPECT_EQ(project.Catalogue().CurrentView(), kViewBuildings);
    EXPECT_EQ(project.Catalogue().ViewList().Count(), 1u);
}

TEST(ModCheckerIdentity, SaysWhatTheSaveChecksWouldRefuse) {
    const struct {
        SaveCheckInput input;
        const char* key;
        const char* value;
        const char* reason;
    } cases[] = {
        {{"", "IT", "1.0", "1.0"}, "Name", "", kNoModNameMessage},
        {{"Iron/Tide", "IT", "1.0", "1.0"}, "Name", "Iron/Tide", kBadModNameMessage},
        {{"Iron Tide", "", "1.0", "1.0"}, "Identifier", "", kNoIdentifierMessage},
        {{"Iron Tide", "AT", "1.0", "1.0"}, "Identifier", "AT", kReservedIdentifierMessage},
        {{"Iron Tide", "IT", "1.0.0.0.1", "1.0"}, "Version", "1.0.0.0.1", kVersionFormatMessage},
        {{"Iron Tide", "IT", "99.99.99.99", "99.99.99.99"},
         "Version",
         "99.99.99.99",
         kVersionIncreaseMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::vector<CheckFinding> found = CheckIdentity(c.input);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0], (CheckFinding{FindingSeverity::Error, kIdentityView, "", "", "", c.key,
                                          c.value, c.reason}));
        EXPECT_EQ(FindingLine(found[0]), std::string("error (mod) ") + c.key + ": " + c.reason);
    }
    // A version that was not raised is raised by the save: nothing to say.
    EXPECT_THAT(CheckIdentity({"Iron Tide", "IT", "1.2", "1.2"}), IsEmpty());
}

TEST_F(ModCheckerTest, TheOpenProjectsIdentityIsChecked) {
    std::vector<TestFile> game = GameLists("50");
    Open(game);
    project.Identity().twoCharacterId = "AT";
    const std::vector<CheckFinding> found = CheckMod(project);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].key, "Identifier");
    EXPECT_EQ(found[0].reason, kReservedIdentifierMessage);
    CheckOptions gameAlone;
    gameAlone.identity = false;
    EXPECT_THAT(CheckMod(project, gameAlone), IsEmpty());
}

// The sample game and its mods, at demo and max scale, in both editions, give no finding: the
// data a modder starts from is what the game accepts (the Drone, written without a Type, which
// the game reads as "Front", has its captain).
class SampleChecks : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {};

TEST_P(SampleChecks, GiveNoFinding) {
    TempDir dir;
    const auto [edition, scale] = GetParam();
    const ToolRun run = RunSampleGame(
        {"--edition", edition, "--scale", scale, "--out", dir.path().string(), "--mods"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> packages = {""};
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().extension() == ".qsx") packages.push_back(entry.path().string());
    }
    ASSERT_EQ(packages.size(), 4u);
    for (const std::string& package : packages) {
        SCOPED_TRACE(package.empty() ? "the game alone" : package);
        ModProject project;
        project.SetInstallationPaths(dir.path().string(), dir.path().string());
        CheckOptions options;
        if (package.empty()) {
            project.OpenProject(dir.path().string(), "");
            options.identity = false;
        } else {
            project.OpenMod(dir.path().string(), package);
        }
        EXPECT_THAT(CheckMod(project, options), IsEmpty());
        project.Close();
    }
}

INSTANTIATE_TEST_SUITE_P(Editions, SampleChecks,
                         ::testing::Combine(::testing::Values("dsc", "dat"),
                                            ::testing::Values("demo", "max")));

}  // namespace
