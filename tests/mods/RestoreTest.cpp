// Restoring the selected object from the opened package and from the game, on a small
// installation and a package written for each test: which change records go, what the record
// holds afterwards, its change state, and what the next package holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/QSError.h"
#include "mods/ModProject.h"
#include "mods/Restore.h"
#include "support/Archives.h"
#include "support/TempDir.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Pair;
using ::testing::UnorderedElementsAreArray;

namespace {

namespace fs = std::filesystem;

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs PairsOf(const std::vector<QSBonusPair>& list) {
    Pairs out;
    for (const QSBonusPair& p : list) out.emplace_back(p.key, p.value);
    return out;
}

TestFile UnitFile(const std::string& unique, std::initializer_list<std::string_view> lines) {
    return {"Data\\ObjectData\\units\\" + unique + ".ini", IniText(lines), ""};
}

// The game has Pike and Bow; the package changes Pike and adds Ogre, so Pike is supplied by the
// mod, Bow is the game's and Ogre has no retail counterpart.
class RestoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
        fs::create_directories(dir / "dsc");
        WriteArchive(
            dir / "dsc" / "Dravik.qsw",
            {{"data\\objectdata\\components.ini",
              IniText({"[Forge]", "ProperName=Forge", "GoldCost=100", "[Wall]", "ProperName=Wall",
                       "GoldCost=50"}),
              ""},
             {"data\\bonus.ini", IniText({"[Fire]", "action=Add", "[Haste]", "action=Multiply"}),
              ""},
             UnitFile("Pike", {"[ObjectData]", "ProperName=Pikeman", "Defense=10",
                               "DeathSound1=roar.wav", "[UnitData]", "Description=A long spear.",
                               "[Attack1]", "Damage=4", "ReloadTime=0.5", "[BuildHierarchy]",
                               "Component1=Forge", "[ElementBonus]", "Fire=1"}),
             UnitFile("Bow", {"[ObjectData]", "ProperName=Bowman", "Defense=4", "[ElementBonus]",
                              "Fire=1"})},
            "DV", "1.0.3");
        const fs::path package = dir / "dsc" / "Iron Tide.qsx";
        WriteArchive(package,
                     {UnitFile("Pike", {"[ObjectData]", "ProperName=Iron Pike", "Defense=14",
                                        "DeathSound1=clang.wav", "[UnitData]",
                                        "Description=A heavier spear.", "[Attack1]", "Damage=9",
                                        "ReloadTime=0.8", "[BuildHierarchy]", "Component1=Wall",
                                        "[ElementBonus]", "Fire=3", "Haste=1.5"}),
                      UnitFile("Ogre", {"[ObjectData]", "ProperName=Ogre", "Defense=20"})},
                     "IT", "1.2.0.0");
        project.SetInstallationPaths((dir / "dsc").string(), "");
        ASSERT_EQ(project.OpenMod((dir / "dsc").string(), package.string()), OpenOutcome::Full);
    }
    void TearDown() override {
        project.Close();
        DisableLog();
    }

    int Index(int view, const char* unique) {
        project.Catalogue().SelectView(view);
        const int index = project.Catalogue().FindObjectIndex(unique);
        EXPECT_GE(index, 0) << unique;
        return index;
    }
    QSObjectData& Record(int view, const char* unique) {
        return *project.Catalogue().ViewList()[static_cast<uint32_t>(Index(view, unique))];
    }
    void Edit(int view, const char* unique, const char* control, const char* text) {
        ASSERT_FALSE(project.EditField(Index(view, unique), control, text).controls.empty())
            << unique << " " << control;
    }
    bool FromMod(int view, const char* unique) {
        const int index = Index(view, unique);
        return RestoreFromMod(project.Catalogue(), project.Changes(), project.Resources(), index);
    }
    bool FromRetail(int view, const char* unique) {
        const int index = Index(view, unique);
        return RestoreFromRetail(project.Catalogue(), project.Changes(), index);
    }
    // (identity, section, key) of every change record.
    std::vector<std::string> Records() const {
        std::vector<std::string> out;
        for (const QSChange* c : project.Changes())
            out.push_back(c->identity + "/" + c->section + "/" + c->key);
        return out;
    }

    TempDir dir;
    ModProject project;
};

TEST(RetailRestoredFieldsTest, AreTheGameDefinedFieldsButComponentKeysAndSettings) {
    // By history label; the reload times, which the history does not compare, by section/key.
    // clang-format off
    const std::vector<std::string> expected = {
        "Translated Name",
        "Max hit points", "Max hit points enlightened", "Max hit points restored", "Max hit points ascended",
        "Defense", "Defense enlightened", "Defense restored", "Defense ascended",
        "Overwrite color", "Hero faction", "Boss", "Awaken Cost",
        "Component Limit", "Components to Level", "Upgrades to Level", "Upgrade Cost", "Upgrade Time",
        "Gold Limit Modifier",
        "Captureable", "Weight",
        "Gold Production", "Minimum Booty", "Maximum Booty",
        "Supply Range", "Control Range", "Militia Start", "Max Militia", "Company Size", "Company Limit",
        "Militia Growth", "Militia Type", "Militia Type 2", "Next Level",
        "Cost in gold",
        "Wood Upkeep", "Stone Upkeep", "Iron Upkeep", "Mana Upkeep",
        "Movement Rate", "Banner", "Walk Distance", "Type", "Captain",
        "Morale", "Control Zone", "Visual Range", "Entrenchment Rate",
        "Attack 1 Type:", "Attack 1 Animation:", "Attack 1 Damage:", "Attack 1 Damage enlightened:",
        "Attack 1 Damage restored:", "Attack 1 Damage ascended:", "Attack 1 Damage Type:",
        "Attack 1 Morale Damage:", "Attack 1 Morale Damage Type:", "Attack1/ReloadTime",
        "Attack 2 Type:", "Attack 2 Animation:", "Attack 2 Damage:", "Attack 2 Damage Type:",
        "Attack 2 Morale Damage:", "Attack 2 Morale Damage Type:", "Attack2/ReloadTime",
        "Max Mana", "Max Mana enlightened", "Max Mana restored", "Max Mana ascended",
        "Mana Regeneration", "Mana Regeneration enlightened", "Mana Regeneration restored",
        "Mana Regeneration ascended",
        "Spell 0", "Spell 1", "Spell 0 enlightened", "Spell 1 enlightened", "Spell 0 restored",
        "Spell 1 restored", "Spell 0 ascended", "Spell 1 ascended",
        "OnlyFaction", "ExceptFaction", "Race", "Technology",
        "Description",
    };
    // clang-format on
    std::vector<std::string> named;
    for (const FieldDef* f : RetailRestoredFields()) {
        ASSERT_NE(f, nullptr);
        named.push_back(f->historyLabel ? f->historyLabel : std::string(f->section) + "/" + f->key);
    }
    EXPECT_THAT(named, UnorderedElementsAreArray(expected));
}

TEST_F(RestoreTest, AnIndexOutsideTheViewListRestoresNothing) {
    Edit(kViewUnits, "Pike", "defense", "16");
    const int count = static_cast<int>(project.Catalogue().ViewList().Count());
    for (int index : {-1, count}) {
        EXPECT_FALSE(
            RestoreFromMod(project.Catalogue(), project.Changes(), project.Resources(), index));
        EXPECT_FALSE(RestoreFromRetail(project.Catalogue(), project.Changes(), index));
    }
    EXPECT_THAT(Records(), ElementsAre("Pike/ObjectData/Defense"));
}

TEST_F(RestoreTest, FromModWithoutChangeRecordsLeavesEvenDifferingBonusListsAlone) {
    QSObjectData& pike = Record(kViewUnits, "Pike");
    pike.MutableBonusList(0).push_back({"Frost", "2"});
    // Another object's records do not count as this one's.
    Edit(kViewUnits, "Bow", "defense", "5");

    EXPECT_FALSE(FromMod(kViewUnits, "Pike"));
    EXPECT_THAT(PairsOf(pike.BonusList(0)),
                ElementsAre(Pair("Fire", "3"), Pair("Haste", "1.5"), Pair("Frost", "2")));
    EXPECT_EQ(pike.changeState, kSuppliedByMod);
    EXPECT_THAT(Records(), ElementsAre("Bow/ObjectData/Defense"));
}

TEST_F(RestoreTest, FromModDropsTheObjectsRecordsAndBonusEditsAndTakesItsLoadedState) {
    struct Case {
        const char* unique;
        Pairs loadedBonuses;
        uint8_t state;
    };
    const Case cases[] = {
        {"Pike", {{"Fire", "3"}, {"Haste", "1.5"}}, kSuppliedByMod},
        {"Bow", {{"Fire", "1"}}, kUnchanged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unique);
        project.Changes().ClearChangeList();
        Edit(kViewUnits, "Ogre", "defense", "21");
        Edit(kViewUnits, c.unique, "defense", "33");
        const int index = Index(kViewUnits, c.unique);
        project.EditBonusValue(index, 0, 1, "7", false);  // Fire
        project.ToggleBonus(index, 2, 0, true);           // Fire in ElementBonus1
        QSObjectData& record = Record(kViewUnits, c.unique);
        ASSERT_EQ(record.changeState, kChangedInSession);
        ASSERT_EQ(record.BonusList(0)[0].value, "7");
        ASSERT_EQ(record.BonusList(2).size(), 1u);

        EXPECT_TRUE(FromMod(kViewUnits, c.unique));
        EXPECT_THAT(Records(), ElementsAre("Ogre/ObjectData/Defense"));
        EXPECT_EQ(PairsOf(record.BonusList(0)), c.loadedBonuses);
        EXPECT_TRUE(record.BonusList(2).empty());
        for (size_t list = 0; list < kBonusSections.size(); ++list)
            EXPECT_EQ(PairsOf(record.BonusList(list)),
                      PairsOf(record.BonusList(list + kBonusSections.size())))
                << list;
        EXPECT_EQ(record.changeState, c.state);
        EXPECT_EQ(Record(kViewUnits, "Ogre").changeState, kChangedInSession);
    }
}

TEST_F(RestoreTest, FromModOnAComponentTakesBackThatComponentsRecordsOnly) {
    Edit(kViewComponents, "Forge", "component_gold_cost", "120");
    Edit(kViewComponents, "Wall", "component_gold_cost", "60");

    EXPECT_TRUE(FromMod(kViewComponents, "Forge"));
    EXPECT_THAT(Records(), ElementsAre("Components/Wall/GoldCost"));
    EXPECT_EQ(Record(kViewComponents, "Forge").changeState, kUnchanged);
    // Nothing of its own is left to restore, whatever the other components hold.
    EXPECT_FALSE(FromMod(kViewComponents, "Forge"));
}

TEST_F(RestoreTest, FromRetailOnAnObjectTheModAddsDoesNothing) {
    Edit(kViewUnits, "Ogre", "defense", "21");
    EXPECT_FALSE(FromRetail(kViewUnits, "Ogre"));
    EXPECT_THAT(Records(), ElementsAre("Ogre/ObjectData/Defense"));
    const QSObjectData& ogre = Record(kViewUnits, "Ogre");
    EXPECT_EQ(ogre.Value(*FieldByControl("defense")), "20");
    EXPECT_EQ(ogre.changeState, kChangedInSession);
}

TEST_F(RestoreTest, FromRetailTakesTheGamesValuesAndTheNextPackageLeavesTheUnitOut) {
    Edit(kViewUnits, "Pike", "defense", "16");
    Edit(kViewUnits, "Pike", "attack_1_damage", "11");
    Edit(kViewUnits, "Bow", "defense", "5");

    EXPECT_TRUE(FromRetail(kViewUnits, "Pike"));
    const QSObjectData& pike = Record(kViewUnits, "Pike");
    EXPECT_EQ(pike.ProperName(), "Pikeman");
    for (const auto& [control, value] :
         std::vector<std::pair<const char*, const char*>>{{"defense", "10"},
                                                          {"attack_1_damage", "4"},
                                                          {"attack_1_reload_time", "0.5"},
                                                          {"description", "A long spear."}}) {
        EXPECT_EQ(pike.Value(*FieldByControl(control)), value) << control;
    }
    // The mod's sound slots, components and bonus lists stay.
    std::vector<std::string> deathSounds;
    for (std::string_view s : pike.Sounds(SoundGroup::Death)) deathSounds.emplace_back(s);
    EXPECT_THAT(deathSounds, Contains("clang.wav"));
    EXPECT_THAT(pike.Components(), ElementsAre("Wall"));
    EXPECT_THAT(PairsOf(pike.BonusList(0)), ElementsAre(Pair("Fire", "3"), Pair("Haste", "1.5")));
    EXPECT_EQ(pike.changeState, kUnchanged);
    EXPECT_THAT(Records(), ElementsAre("Bow/ObjectData/Defense"));

    ModIdentity id = project.Identity();
    id.twoCharacterId = "IT";
    id.savedVersion = "1.3.0.0";
    const fs::path saved = dir / "dsc" / "Saved.qsx";
    std::string failure;
    ASSERT_TRUE(project.SaveMod(id, saved, &failure, {123u, false})) << failure;
    const auto contents = ArchiveContents(saved);
    EXPECT_EQ(contents.count("Data\\ObjectData\\units\\Pike.ini"), 0u);
    EXPECT_EQ(contents.count("Data\\ObjectData\\units\\Bow.ini"), 1u);
    EXPECT_EQ(contents.count("Data\\ObjectData\\units\\Ogre.ini"), 1u);
}

}  // namespace
