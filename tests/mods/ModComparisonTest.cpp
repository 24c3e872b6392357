// Comparing two states of the game data: versions of a mod saved as the editor saves them over
// a small installation, a mod against itself and against the game, and the overlap of the
// sample installation's mods.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/QSError.h"
#include "mods/ModComparison.h"
#include "mods/ModProject.h"
#include "mods/ScriptedEdits.h"
#include "support/Archives.h"
#include "support/TempDir.h"
#include "tools/sample-game/SampleGame.h"

namespace {

namespace fs = std::filesystem;

class ModComparisonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DisableLog();
        fs::create_directories(dir / "dsc");
        WriteArchive(
            dir / "dsc" / "Dravik.qsw",
            {{"data\\objectdata\\components.ini",
              IniText({"[Forge]", "ProperName=Forge", "GoldCost=100", "[Wall]", "ProperName=Wall",
                       "GoldCost=50"}),
              ""},
             {"Data\\ObjectData\\units\\Pike.ini",
              IniText({"[ObjectData]", "ProperName=Pikeman", "Defense=10", "[BuildHierarchy]",
                       "Component1=Forge", "[ElementBonus]", "Fire=1", "Frost=2"}),
              ""},
             {"data\\bonus.ini",
              IniText({"[Fire]", "action=Add", "[Frost]", "action=Add", "[Wind]", "action=Add"}),
              ""},
             {"Data\\ObjectData\\units\\Bow.ini",
              IniText({"[ObjectData]", "ProperName=Bowman", "Defense=4"}), ""}},
            "DV", "1.0.3");
    }

    std::string Install() const { return (dir / "dsc").string(); }

    // Makes the edits over the game alone (or over a package) and saves the session as
    // NAME.qsx, as brix-archive save does.
    std::string Save(const std::string& name, const std::string& over,
                     const std::vector<std::string>& sets,
                     const std::vector<std::string>& clones = {}) {
        ModProject project;
        project.SetInstallationPaths(Install(), "");
        if (over.empty()) {
            project.NewMod(GameEdition::Base);
        } else {
            project.OpenMod(Install(), over);
        }
        ScriptedEdits edits(project);
        for (const std::string& c : clones) EXPECT_EQ(edits.Clone(c), "");
        for (const std::string& s : sets) EXPECT_EQ(edits.Set(s), "") << s;
        ModIdentity id = project.Identity();
        id.twoCharacterId = "IT";
        id.savedVersion = over.empty() ? "1.0" : "1.1";
        const fs::path path = project.PackagePathFor(name);
        std::string failure;
        EXPECT_TRUE(project.SaveMod(id, path, &failure, {7u, false})) << failure;
        project.Close();
        return path.string();
    }

    TempDir dir;
};

TEST_F(ModComparisonTest, ComparesTwoSavedVersionsAndEachWithTheGame) {
    const std::string first = Save("Tide 1", "",
                                   {"Pike:ObjectData/Defense=12", "Pike:BuildHierarchy/Wall=On",
                                    "Pike:ElementBonus/Wind=4", "Forge:component/GoldCost=120"},
                                   {"Bow=Sling"});
    const std::string second =
        Save("Tide 2", first,
             {"Pike:ObjectData/Defense=14", "Pike:BuildHierarchy/Forge=Off",
              "Pike:ElementBonus/Fire=3", "Pike:ElementBonus/Wind=Off",
              "Pike:ElementBonus/Frost=Off", "Bow:ObjectData/ProperName=Longbowman"});
    const std::string third = Save("Tide 3", "", {"Pike:ObjectData/Defense=14"});

    // The lines follow the later state's lists (working lists go by proper name).
    EXPECT_EQ(ComparisonText(CompareInstallStates(Install(), first, second)),
              "Changed Bow(Longbowman) Proper Name: from Bowman to Longbowman.\r\n"
              "Changed Pike(Pikeman) Defense: from 12 to 14.\r\n"
              "Changed Pike(Pikeman) Forge: from On to Off.\r\n"
              "Changed Pike(Pikeman) Fire: from 1 to 3.\r\n"
              "Changed Pike(Pikeman) Frost: from 2 to Off.\r\n"
              "Changed Pike(Pikeman) Wind: from 4 to Off.\r\n");
    // The game against a package says what its history says, and the other way round every
    // line is reversed, an added object removed.
    ModProject opened;
    opened.SetInstallationPaths(Install(), "");
    opened.OpenMod(Install(), first);
    const std::string history = opened.GlobalHistory();
    const std::string fromGame = ComparisonText(CompareInstallStates(Install(), "", first));
    EXPECT_EQ(fromGame,
              "Changed Forge(Forge) Gold cost: from 100 to 120.\r\n"
              "Added Sling(Bowman).\r\n"
              "Changed Pike(Pikeman) Defense: from 10 to 12.\r\n"
              "Changed Pike(Pikeman) Wall: from Off to On.\r\n"
              "Changed Pike(Pikeman) Wind: from Off to 4.\r\n");
    EXPECT_EQ(history.substr(history.size() - fromGame.size()), fromGame);
    EXPECT_EQ(ComparisonText(CompareInstallStates(Install(), first, "")),
              "Changed Forge(Forge) Gold cost: from 120 to 100.\r\n"
              "Changed Pike(Pikeman) Defense: from 12 to 10.\r\n"
              "Changed Pike(Pikeman) Wall: from On to Off.\r\n"
              "Changed Pike(Pikeman) Wind: from 4 to Off.\r\n"
              "Removed Sling(Bowman).\r\n");

    // Between two packages: what only the earlier holds is removed, the structured lines
    // carrying the view of each.
    const std::vector<ComparisonLine> lines = CompareInstallStates(Install(), second, third);
    EXPECT_EQ(ComparisonText(lines),
              "Changed Forge(Forge) Gold cost: from 120 to 100.\r\n"
              "Changed Bow(Bowman) Proper Name: from Longbowman to Bowman.\r\n"
              "Changed Pike(Pikeman) Forge: from Off to On.\r\n"
              "Changed Pike(Pikeman) Wall: from On to Off.\r\n"
              "Changed Pike(Pikeman) Fire: from 3 to 1.\r\n"
              "Changed Pike(Pikeman) Frost: from Off to 2.\r\n"
              "Removed Sling(Bowman).\r\n");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].view, kViewComponents);
    EXPECT_EQ(lines[6].view, kViewUnits);
    EXPECT_EQ(lines[6].kind, ObjectDifference::Kind::Removed);
    EXPECT_EQ(lines[2].field, "Forge");
    EXPECT_EQ(lines[2].from, "Off");
    EXPECT_EQ(lines[2].to, "On");
}

TEST_F(ModComparisonTest, AStateAgainstItselfIsEqual) {
    const std::string first = Save(
        "Tide 1", "", {"Pike:ObjectData/Defense=12", "Pike:ElementBonus/Wind=4"}, {"Bow=Sling"});
    EXPECT_THAT(CompareInstallStates(Install(), first, first), ::testing::IsEmpty());
    EXPECT_THAT(CompareInstallStates(Install(), "", ""), ::testing::IsEmpty());
    ModProject project;
    project.SetInstallationPaths(Install(), "");
    project.OpenMod(Install(), first);
    EXPECT_THAT(CompareProjects(project, project), ::testing::IsEmpty());
}

TEST_F(ModComparisonTest, OverlapHoldsTheObjectsBothModsChangeWithEachValue) {
    const std::string tide =
        Save("Tide", "",
             {"Pike:ObjectData/Defense=12", "Pike:ElementBonus/Wind=4", "Bow:ObjectData/Defense=5"},
             {"Bow=Sling"});
    const std::string oath = Save("Oath", "",
                                  {"Pike:ObjectData/Defense=15", "Pike:BuildHierarchy/Forge=Off",
                                   "Forge:component/GoldCost=90"},
                                  {"Bow=Sling"});
    const std::vector<OverlapObject> overlap = FindInstallOverlap(Install(), tide, oath);
    EXPECT_EQ(OverlapText(overlap, "Tide", "Oath"),
              "Overlap Sling(Bowman): game Off, Tide On, Oath On.\r\n"
              "Overlap Pike(Pikeman) Defense: game 10, Tide 12, Oath 15.\r\n"
              "Overlap Pike(Pikeman) Wind: game Off, Tide 4, Oath Off.\r\n"
              "Overlap Pike(Pikeman) Forge: game On, Tide On, Oath Off.\r\n");
    ASSERT_EQ(overlap.size(), 2u);
    EXPECT_EQ(overlap[0].view, kViewUnits);
    EXPECT_EQ(overlap[0].object, "Sling");
    // Objects only one mod touches (Bow, Forge) are no overlap; nor is anything when the mods
    // change different objects.
    const std::string bows = Save("Bows", "", {"Bow:ObjectData/Defense=6"});
    EXPECT_THAT(FindInstallOverlap(Install(), tide, bows), ::testing::SizeIs(1));
    EXPECT_THAT(FindInstallOverlap(Install(), oath, bows), ::testing::IsEmpty());
}

// A mod that drops an object of the game (its file renamed to another unique name) overlaps
// with one that changes it: the dropped object is off in it, field by field.
TEST(ModOverlap, AnObjectOneModRemovesIsOffInItForEveryField) {
    const std::vector<ComparisonLine> renames = {
        {ObjectDifference::Kind::Added, kViewUnits, "Halberd", "Halberdier", "", "", ""},
        {ObjectDifference::Kind::Removed, kViewUnits, "Pike", "Pikeman", "", "", ""},
    };
    const std::vector<ComparisonLine> changes = {
        {ObjectDifference::Kind::Changed, kViewHeroes, "pike", "Pike Lord", "Defense", "3", "4"},
        {ObjectDifference::Kind::Changed, kViewUnits, "PIKE", "Pikeman", "Defense", "10", "11"},
    };
    EXPECT_EQ(OverlapText(FindOverlap(renames, changes), "A", "B"),
              "Overlap Pike(Pikeman): game On, A Off, B On.\r\n"
              "Overlap Pike(Pikeman) Defense: game 10, A Off, B 11.\r\n");
}

// The sample mods: Iron Tide and Veyl Secrets both touch the Skarn Reaver (Veyl Secrets, with
// an access code, is read without it); Oathsworn shares nothing with Iron Tide.
TEST(SampleModOverlap, IronTideAndVeylSecretsBothChangeTheReaver) {
    TempDir dir;
    const ToolRun run = RunSampleGame({"--edition", "dsc", "--out", dir.path().string(), "--mods"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string install = dir.path().string();
    const std::string tide = (dir / "IronTide.qsx").string();
    EXPECT_EQ(
        OverlapText(FindInstallOverlap(install, tide, (dir / "VeylSecrets.qsx").string()),
                    "IronTide", "VeylSecrets"),
        "Overlap Skarn_Reaver(Skarn Reaver) Max hit points: game 114.0, IronTide 139.0, "
        "VeylSecrets 114.0.\r\n"
        "Overlap Skarn_Reaver(Skarn Reaver) Attack 1 Damage:: game 14, IronTide 16, VeylSecrets "
        "14.\r\n"
        "Overlap Skarn_Reaver(Skarn Reaver) ChargeBonus: game Off, IronTide 1.5, VeylSecrets "
        "Off.\r\n"
        "Overlap Skarn_Reaver(Skarn Reaver) Barracks: game Off, IronTide Off, VeylSecrets On.\r\n");
    EXPECT_THAT(FindInstallOverlap(install, tide, (dir / "Oathsworn.qsx").string()),
                ::testing::IsEmpty());
}

}  // namespace
