// What the controls show for the shown object: loaded, mod and session values with their
// colours, list selections, sound slots, and the views with their own rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "objects/CatalogueFixture.h"
#include "objects/ChangeList.h"
#include "objects/ObjectDisplay.h"

using ::testing::ElementsAre;

namespace {

const char* kArcher =
    "[ObjectData]\nProperName=Archer\nOverwriteColor=2\nMaxHitPoints=60\nDefense=3\n"
    "DeathSound1=Game\\Arrow.wav\nDeathSound2=game\\DIE.wav\nSelectionSound1=x.wav\n"
    "[UnitData]\nType=Captain\nCaptain=ARCHER\n[Attack1]\nDamageType=Bogus\nMoraleType=Holy\n"
    "[Attack2]\nAttackType=Cast\n[BuildHierarchy]\nTechnology=SMITHING\n";
const char* kModArcher =
    "[ObjectData]\nProperName=Archer\nOverwriteColor=2\nMaxHitPoints=75\nDefense=3\n"
    "DeathSound1=C:\\snd\\new.wav\nDeathSound2=game\\DIE.wav\nSelectionSound1=x.wav\n"
    "[UnitData]\nType=Captain\nCaptain=ARCHER\n[Attack1]\nDamageType=Bogus\nMoraleType=Holy\n"
    "[Attack2]\nAttackType=Cast\n[BuildHierarchy]\nTechnology=SMITHING\n";

class DisplayTest : public CatalogueTest {
  protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        const std::vector<TestFile> game = {
            Unit("Archer.ini", kArcher),
            Unit("Militiaman.ini",
                 "[ObjectData]\nProperName=Militiaman\n[UnitData]\nType=Militia\n"
                 "[Attack2]\nAttackType=Melee\n"),
            Unit("GRAVE_BEAST.ini", "[ObjectData]\nProperName=Beast\n[UnitData]\nType=monster\n"),
            {"Data\\ObjectData\\buildings\\OLD_KEEP.ini", "[ObjectData]\nProperName=Keep\n", ""},
            {"data\\objectdata\\components.ini",
             "[Tower]\nGoldCost=1\nSellPrice=2\n[Forge]\nGoldCost=1\nSellPrice=4\n", ""},
            {"Data\\Settings.ini", "[SimulationSettings]\nResourceMultiplier=1.5\n", ""},
            {"Data\\Colors.ini", "[PlayerColors]\nColor_9_min=0x101010\nColor_9_max=0x808080\n",
             ""},
            {"data\\technology.ini", "[TechnologyData]\nTechnology0=Smithing\n", ""},
            {"Audio\\Game\\Arrow.wav", "RIFF", ""},
            {"Audio\\Game\\die.wav", "RIFF", ""},
        };
        const std::vector<TestFile> mod = {
            Unit("Archer.ini", kModArcher),
            Unit("Scout.ini", "[ObjectData]\nProperName=Scout\nMaxHitPoints=10\n"),
        };
        Mount(game, mod);
        MountGameOnly();
        catalogue->LoadAllObjects(true);
        MountWithMod();
        catalogue->LoadAllObjects(false);
        catalogue->LoadTechnologyNames();
        catalogue->LoadSampleNames();
        lists = ListItemSet::FromCatalogue(*catalogue);
    }

    ShownObject Show(int view, const char* uniqueName, bool soundPanelMode = false) {
        catalogue->SelectView(view);
        const int index = catalogue->FindObjectIndex(uniqueName);
        EXPECT_GE(index, 0) << uniqueName;
        return ShowObject(*catalogue, session, index, lists, soundPanelMode);
    }

    ChangeList session;
    ListItemSet lists;
};

struct Expected {
    const char* control;
    const char* text;
    QSColor color;
    int selected;
};

void ExpectShows(const ShownObject& shown, std::initializer_list<Expected> expected) {
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.control);
        const ShownControl* c = shown.Find(e.control);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->text, e.text);
        EXPECT_EQ(c->color, e.color);
        EXPECT_EQ(c->selected, e.selected);
    }
}

constexpr QSColor kBlack = kColorUnchanged, kGreen = kColorMod, kRed = kColorSession;

TEST_F(DisplayTest, ComputedListsHoldTheWorkingObjects) {
    EXPECT_THAT(lists.captains, ElementsAre("None", "Archer"));
    EXPECT_THAT(lists.militia, ElementsAre("None", "Grave_beast", "Militiaman"));
    EXPECT_THAT(lists.buildings, ElementsAre("None", "Old_keep"));
    EXPECT_THAT(lists.technologies, ElementsAre("None", "Smithing"));
    EXPECT_THAT(lists.ItemsOf(*FieldByControl("attack_2_type")),
                ElementsAre("None", "Melee", "Projectile", "Cast", "Build"));
    EXPECT_TRUE(lists.ItemsOf(*FieldByControl("defense")).empty());
}

TEST_F(DisplayTest, AUnitChangedByTheModShowsEveryControlOfItsView) {
    const ShownObject shown = Show(kViewUnits, "Archer");
    EXPECT_EQ(shown.uniqueName, "Archer");
    // The proper name, every row but the nine component rows, the fifteen sound slots.
    ASSERT_EQ(shown.controls.size(), 1u + kFieldCount - 9u + kSoundSlotTable.size());
    EXPECT_EQ(shown.controls[0].control, "proper_name");
    EXPECT_EQ(shown.Find("component_gold_cost"), nullptr);
    for (const FieldDef& f : kFieldTable) {
        if (f.rule != LoadRule::ComponentSection) {
            EXPECT_NE(shown.Find(f.control), nullptr) << f.control;
        }
    }

    ExpectShows(shown, {
                           {"proper_name", "Archer", kBlack, -1},
                           {"max_hit_points", "75", kGreen, -1},
                           {"defense", "3", kBlack, -1},
                           {"max_hit_points_enlightened", "", kBlack, -1},
                           {"overwrite_color", "Green", kBlack, 2},
                           {"type", "Captain", kBlack, 2},
                           {"captain", "Archer", kBlack, 1},
                           {"technology", "Smithing", kBlack, 1},
                           // No item matches: the first stays selected.
                           {"attack_1_damage_type", "Normal", kBlack, 0},
                           {"attack_1_morale_damage_type", "Holy", kBlack, 1},
                           {"militia_type", "None", kBlack, 0},
                           {"nextlevel", "None", kBlack, 0},
                       });
    EXPECT_TRUE(shown.castRuleApplies);
    EXPECT_TRUE(shown.spellPanelShown);
}

TEST_F(DisplayTest, SessionChangesWinInRedUnderTheKeysTheyAreShownBy) {
    QSObjectData* archer = catalogue->Objects(kViewUnits, false)[0];
    ASSERT_EQ(archer->UniqueName(), "Archer");
    const std::string retail = "3";
    session.SetField(archer, "ARCHER", {}, "ObjectData", "Defense", "9", "3", &retail, "", "");
    session.SetField(archer, "Archer", {}, "Attack1", "MoraleDamageType", "unholy", "Holy", &retail,
                     "", "");
    session.SetField(archer, "Archer", {}, "Attack2", "AttackType", "Melee", "Cast", &retail, "",
                     "");
    session.SetField(archer, "Archer", {}, "ObjectData", "DeathSound2", "GAME\\arrow.WAV",
                     "game\\DIE.wav", &retail, "", "");
    // Another object's change does not show here.
    session.SetField(archer, "Scout", {}, "ObjectData", "MaxHitPoints", "1", "10", nullptr, "", "");

    const ShownObject shown = Show(kViewUnits, "Archer");
    ExpectShows(shown, {
                           {"defense", "9", kRed, -1},
                           {"max_hit_points", "75", kGreen, -1},
                           {"attack_1_morale_damage_type", "Unholy", kRed, 2},
                           {"attack_2_type", "Melee", kRed, 1},
                           {"death_sound_2", "Game\\arrow.wav", kRed, 0},
                       });
    EXPECT_FALSE(shown.spellPanelShown);

    // Taking the change back shows the loaded value again.
    session.UndoField(archer, "Archer", {}, "ObjectData", "Defense", &retail);
    ExpectShows(Show(kViewUnits, "Archer"), {{"defense", "3", kBlack, -1}});
}

TEST_F(DisplayTest, SoundSlotsShowTheEnteredValueAndSelectAListedSample) {
    ASSERT_THAT(catalogue->SampleNames(), ElementsAre("Game\\arrow.wav", "Game\\die.wav"));
    ExpectShows(Show(kViewUnits, "Archer"),
                {
                    // A local file changed by the mod: not a listed sample.
                    {"death_sound_1", "C:\\snd\\new.wav", kGreen, -1},
                    // Listed: the list's spelling is shown and selected.
                    {"death_sound_2", "Game\\die.wav", kBlack, 1},
                    {"select_sound_1", "x.wav", kBlack, -1},
                    {"select_sound_2", "", kBlack, -1},
                    {"attack_2_sound_2", "", kBlack, -1},
                });
    // Without a retail counterpart every slot is the mod's.
    ExpectShows(Show(kViewUnits, "Scout"), {{"death_sound_1", "", kGreen, -1},
                                            {"command_sound_4", "", kGreen, -1},
                                            {"max_hit_points", "10", kGreen, -1},
                                            {"defense", "", kGreen, -1}});
}

TEST_F(DisplayTest, CastRuleOnlyInUnitAndHeroViewsWithTheDataPanels) {
    EXPECT_FALSE(Show(kViewUnits, "Militiaman").spellPanelShown);
    EXPECT_TRUE(Show(kViewUnits, "Militiaman").castRuleApplies);
    const ShownObject sounds = Show(kViewUnits, "Archer", true);
    EXPECT_FALSE(sounds.castRuleApplies);
    EXPECT_FALSE(sounds.spellPanelShown);
    EXPECT_FALSE(Show(kViewBuildings, "old_keep").castRuleApplies);
}

TEST_F(DisplayTest, ComponentFieldsAreFiledUnderComponentsAndTheirOwnSection) {
    QSObjectData* tower = catalogue->Objects(kViewComponents, false)[1];
    ASSERT_EQ(tower->UniqueName(), "Tower");
    const std::string one = "1";
    session.SetField(tower, kComponentsIdentity, {}, "Tower", "GoldCost", "5", "1", &one, "", "");
    // A unit named like the component keeps its own changes apart.
    session.SetField(tower, "Forge", {}, "Forge", "GoldCost", "7", "1", &one, "", "");

    const ShownObject shownTower = Show(kViewComponents, "Tower");
    ASSERT_EQ(shownTower.controls.size(), 1u + kFieldCount + kSoundSlotTable.size());
    ExpectShows(shownTower, {{"component_gold_cost", "5", kRed, -1},
                             {"component_sell_price", "2", kBlack, -1}});
    EXPECT_FALSE(shownTower.castRuleApplies);
    ExpectShows(Show(kViewComponents, "Forge"), {{"component_gold_cost", "1", kBlack, -1},
                                                 {"component_sell_price", "4", kBlack, -1}});
}

TEST_F(DisplayTest, GlobalStatsShowTheModColoursOfTheColoursRecord) {
    QSObjectData* colors = catalogue->Objects(kViewGlobal, false)[1];
    ASSERT_EQ(colors->UniqueName(), "Colors");
    const std::string retail = "0x101010";
    session.SetField(colors, "Colors", {}, "PlayerColors", "Color_9_min", "0x202020", retail,
                     &retail, "", "");
    const ShownObject shown = Show(kViewGlobal, "Settings");
    EXPECT_EQ(shown.uniqueName, "Settings");
    ExpectShows(shown, {{"resource_multiplier", "1.5", kBlack, -1},
                        {"mod_color_darkest", "0x202020", kRed, -1},
                        {"mod_color_brightest", "0x808080", kBlack, -1}});
}

TEST(CheckItemByText, TicksTheFirstExactlyEqualItem) {
    const std::vector<std::string> items = {"Fire", "", "Armor", "fire", "Armor"};
    const struct {
        const char* text;
        int ticked;
    } cases[] = {{"Armor", 2}, {"fire", 3}, {"FIRE", -1}, {"", -1}, {"Ice", -1}};
    for (const auto& c : cases) EXPECT_EQ(CheckItemByText(items, c.text), c.ticked) << c.text;
    EXPECT_EQ(CheckItemByText({}, "Fire"), -1);
}

TEST_F(DisplayTest, NothingIsShownWithoutAValidIndex) {
    catalogue->SelectView(kViewUnits);
    EXPECT_TRUE(ShowObject(*catalogue, session, -1, lists).controls.empty());
    EXPECT_TRUE(ShowObject(*catalogue, session, 99, lists).controls.empty());
}

// Editing through a control files the change where the control's field lives: the identity,
// section, key and caption of every kind of field, against its loaded and retail values.
TEST_F(DisplayTest, EditsAreFiledWhereTheirControlsFieldLives) {
    FieldEditor editor(*catalogue, session, lists);
    const struct {
        int view;
        const char* object;  // the shown object
        const char* control;
        const char* text;
        const char* identity, *section, *key, *label, *before, *retail;
        QSColor color;
    } cases[] = {
        {kViewUnits, "Archer", "max_hit_points", "80", "Archer", "ObjectData", "MaxHitPoints",
         "Max hit points:", "75", "60", kRed},
        // The retail value typed back over a mod's value is a change of the session, in black.
        {kViewUnits, "Archer", "defense", "03", "Archer", "ObjectData", "Defense", "Defense:", "3",
         "3", kRed},
        {kViewUnits, "Archer", "max_hit_points_restored", "5", "Archer", "Level2", "MaxHitPoints",
         "Max hit points:", "", "", kRed},
        {kViewUnits, "Archer", "attack_1_morale_damage_type", "Unholy", "Archer", "Attack1",
         "MoraleDamageType", "Mor. Dmg Type:", "Holy", "Holy", kRed},
        {kViewUnits, "Archer", "description", "Long\nbow", "Archer", "UnitData", "Description",
         "Description:", "", "", kRed},
        {kViewComponents, "Forge", "component_sell_price", "9", "Components", "Forge",
         "SellPrice", "Sell Price:", "4", "4", kRed},
        // Whatever the current index, the settings are the first global record and the mod
        // colours the second.
        {kViewGlobal, "Settings", "resource_multiplier", "2", "Settings", "SimulationSettings",
         "ResourceMultiplier", "Resource Multiplier", "1.5", "1.5", kRed},
        {kViewGlobal, "Settings", "mod_color_brightest", "0x909090", "Colors", "PlayerColors",
         "Color_9_max", "Mod Color Brightest:", "0x808080", "0x808080", kRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        catalogue->SelectView(c.view);
        const int index = catalogue->FindObjectIndex(c.object);
        ASSERT_GE(index, 0);
        const FieldUpdate update = editor.EditField(index, c.control, c.text);
        ASSERT_EQ(update.controls.size(), 1u);
        EXPECT_EQ(update.controls[0].control, c.control);
        EXPECT_EQ(update.controls[0].text, c.text);
        const QSChange* change = session.FindChange(c.identity, c.section, c.key);
        ASSERT_NE(change, nullptr);
        EXPECT_EQ(change->value, c.text);
        EXPECT_EQ(change->label, c.label);
        EXPECT_EQ(change->before, c.before);
        EXPECT_EQ(change->retail, c.retail);
        // The same text again changes nothing; Ctrl+Z takes the change back.
        EXPECT_TRUE(editor.EditField(index, c.control, c.text).controls.empty());
        const FieldUpdate undone = editor.UndoField(index, c.control);
        ASSERT_FALSE(undone.controls.empty());
        EXPECT_EQ(undone.controls.back().text, c.before);
        EXPECT_EQ(session.FindChange(c.identity, c.section, c.key), nullptr);
    }
    EXPECT_EQ(session.Count(), 0u);
    // Typing the loaded value in other letters records nothing.
    catalogue->SelectView(kViewUnits);
    EXPECT_TRUE(editor.EditField(catalogue->FindObjectIndex("Archer"), "attack_1_morale_damage_type",
                                 "HOLY")
                    .controls.empty());
    EXPECT_EQ(session.Count(), 0u);
}

TEST_F(DisplayTest, TheProperNameTakesTheTranslatedNameAlongExceptForAComponent) {
    session.SetModResourceTest(
        [this](const std::string& resource) { return mgr.IsModResource(resource.c_str()) != 0; });
    FieldEditor editor(*catalogue, session, lists);
    catalogue->SelectView(kViewUnits);
    const int archer = catalogue->FindObjectIndex("Archer");
    QSObjectData* record = catalogue->ViewList()[static_cast<uint32_t>(archer)];
    const uint8_t state = record->changeState;
    ASSERT_EQ(state, kSuppliedByMod);
    const FieldUpdate update = editor.EditField(archer, "proper_name", "Bowman");
    ASSERT_EQ(update.controls.size(), 2u);
    EXPECT_EQ(update.controls[1].control, "translated_name");
    EXPECT_TRUE(update.repaintObjectList);
    ASSERT_NE(session.FindChange("Archer", "ObjectData", "ProperName"), nullptr);
    ASSERT_NE(session.FindChange("Archer", "HeroData", "TranslatedName"), nullptr);
    EXPECT_EQ(session.FindChange("Archer", "ObjectData", "ProperName")->label, "Proper name:");
    // Ctrl+Z takes both back, and the row its colour.
    editor.UndoField(archer, "proper_name");
    EXPECT_EQ(session.Count(), 0u);
    EXPECT_EQ(record->changeState, state);

    // Two components renamed keep their own names, in their own sections.
    catalogue->SelectView(kViewComponents);
    editor.EditField(catalogue->FindObjectIndex("Tower"), "proper_name", "Spire");
    editor.EditField(catalogue->FindObjectIndex("Forge"), "proper_name", "Smithy");
    ASSERT_EQ(session.Count(), 2u);
    EXPECT_EQ(session.FindChange("Components", "Tower", "ProperName")->value, "Spire");
    EXPECT_EQ(session.FindChange("Components", "Forge", "ProperName")->value, "Smithy");
}

// Ctrl+Z in a list selects what the list shows afterwards: the loaded value's item.
TEST_F(DisplayTest, UndoInAListSelectsTheLoadedItem) {
    FieldEditor editor(*catalogue, session, lists);
    catalogue->SelectView(kViewUnits);
    const int archer = catalogue->FindObjectIndex("Archer");
    const FieldUpdate chosen = editor.EditField(archer, "overwrite_color", "Gold");
    ASSERT_EQ(chosen.controls.size(), 1u);
    EXPECT_EQ(chosen.controls[0].selected, 9);
    const FieldUpdate undone = editor.UndoField(archer, "overwrite_color");
    ASSERT_EQ(undone.controls.size(), 1u);
    EXPECT_EQ(undone.controls[0].text, "Green");
    EXPECT_EQ(undone.controls[0].selected, 2);
    EXPECT_EQ(undone.controls[0].color, kBlack);
    // Without a change to take back the list still shows its value.
    EXPECT_EQ(editor.UndoField(archer, "overwrite_color").controls.size(), 1u);
    EXPECT_TRUE(editor.EditField(archer, "no_such_control", "1").controls.empty());
    EXPECT_TRUE(editor.EditField(99, "defense", "1").controls.empty());
}

TEST_F(DisplayTest, CloningRefusesComponentsTakenNamesAndNamesNoFileCanHave) {
    FieldEditor editor(*catalogue, session, lists);
    catalogue->SelectView(kViewUnits);
    const int archer = catalogue->FindObjectIndex("Archer");
    for (const char* refused : {"", "militiaman", "a\\b", "../up", "x:y", "tab\there"})
        EXPECT_EQ(editor.CloneShown(archer, refused), -1) << refused;
    const uint32_t units = catalogue->ViewList().Count();
    const std::string longName(40, 'B');
    const int clone = editor.CloneShown(archer, longName);
    ASSERT_GE(clone, 0);
    EXPECT_EQ(catalogue->ViewList().Count(), units + 1);
    const QSObjectData* made = catalogue->ViewList()[static_cast<uint32_t>(clone)];
    EXPECT_EQ(made->UniqueName(), longName.substr(0, 31));
    EXPECT_EQ(made->changeState, kChangedInSession);
    EXPECT_TRUE(session.ObjectHasChanges(made->UniqueName()));
    // The cut name exists now: the same long name again makes nothing.
    EXPECT_EQ(editor.CloneShown(archer, longName), -1);
    catalogue->SelectView(kViewComponents);
    EXPECT_EQ(editor.CloneShown(catalogue->FindObjectIndex("Tower"), "Gate"), -1);
}

}  // namespace
