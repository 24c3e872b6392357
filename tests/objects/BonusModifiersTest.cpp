// The modifier panels: defaults by action, what a panel shows, ticking and unticking, value
// edits with Ctrl+Z, item colours, the hero level lists and the messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "objects/BonusModifiers.h"
#include "objects/CatalogueFixture.h"
#include "objects/ObjectDisplay.h"

using ::testing::ElementsAre;

namespace {

constexpr QSColor kBlack = kColorUnchanged, kGreen = kColorMod, kRed = kColorSession,
                  kOnSelection = kColorSelected;

// Definitions in list order: 0 Armor (Add), 1 Courage (multiply), 2 Flying (Flag), 3 Haste
// (Multiply), 4 Regen (Heal), 5 Stealth (Flag), 6 Terror (Add), 7 Ward (no action).
enum Item { kArmor, kCourage, kFlying, kHaste, kRegen, kStealth, kTerror, kWard };

const char* kBonusIni =
    "[Ward]\nname1=W\n[Haste]\naction=Multiply\n[Armor]\naction=Add\n[Courage]\naction=multiply\n"
    "[Flying]\naction=Flag\n[Regen]\naction=Heal\n[Stealth]\naction=FLAG\n[Terror]\naction=Add\n";

class BonusTest : public CatalogueTest {
  protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        const std::vector<TestFile> game = {
            {"data\\bonus.ini", kBonusIni, ""},
            Unit("Archer.ini",
                 "[ObjectData]\nProperName=Archer\n[ElementBonus]\nHaste=1.5\nArmor=2\n"
                 "[SupportBonus]\nCourage=1.2\n"),
            Unit("Knight.ini",
                 "[ObjectData]\nProperName=Knight\n[ElementBonus]\nArmor=1\nCourage=1\n"
                 "Flying=1\nHaste=1\nRegen=1\nStealth=1\n"),
            Unit("Giant.ini",
                 "[ObjectData]\nProperName=Giant\n[SupportBonus]\nArmor=1\nCourage=1\n"
                 "Flying=1\nHaste=1\nRegen=1\nStealth=1\nTerror=1\n"),
            {"Data\\ObjectData\\heroes\\Paladin.ini",
             "[ObjectData]\nProperName=Paladin\n[UnitData]\nType=Hero\n[ElementBonus]\nArmor=1\n"
             "[ElementBonus2]\nArmor=4\n[SupportBonus3]\nCourage=2\n",
             ""},
        };
        const std::vector<TestFile> mod = {
            Unit("Archer.ini",
                 "[ObjectData]\nProperName=Archer\n[ElementBonus]\nHaste=1.5\nArmor=3\n"
                 "[SupportBonus]\nCourage=1.2\nterror=2\nQuake=5\n"),
            Unit("Scout.ini", "[ObjectData]\nProperName=Scout\n[ElementBonus]\nFlying=1\n"),
        };
        Mount(game, mod);
        MountGameOnly();
        catalogue->LoadAllObjects(true);
        MountWithMod();
        catalogue->LoadBonusDefinitions();
        catalogue->LoadAllObjects(false);
        bonuses = std::make_unique<BonusModifiers>(catalogue->BonusDefinitions(), session);
    }

    // The working record of a unit or hero, with its counterpart.
    QSObjectData& Object(const char* name, int view = kViewUnits) {
        catalogue->SelectView(view);
        const int index = catalogue->FindObjectIndex(name);
        EXPECT_GE(index, 0) << name;
        QSObjectData* record = catalogue->ViewList()[static_cast<uint32_t>(index)];
        counterpart = catalogue->FindRetailCounterpart(name);
        return *record;
    }

    static std::vector<std::string> Entries(const QSObjectData& r, int list) {
        std::vector<std::string> entries;
        for (const QSBonusPair& p : r.BonusList(static_cast<size_t>(list)))
            entries.push_back(p.key + "=" + p.value);
        return entries;
    }
    std::vector<int> Ticked(const BonusPanel& panel) {
        std::vector<int> items;
        for (size_t i = 0; i < panel.checked.size(); ++i) {
            if (panel.checked[i]) items.push_back(static_cast<int>(i));
        }
        return items;
    }
    QSColor Color(const QSObjectData& r, int list, int item, bool selected = false) {
        return BonusItemColor(catalogue->BonusDefinitions(), r, counterpart, list, item, selected);
    }
    const QSChange* Change(const QSObjectData& r, const char* section, const char* key) {
        return session.FindChange(r.UniqueName(), section, key);
    }

    ChangeList session;
    std::unique_ptr<BonusModifiers> bonuses;
    const QSObjectData* counterpart = nullptr;
};

TEST(BonusDefaultValue, FollowsTheActionInAnyLetterCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"Multiply", "1.0"}, {"MULTIPLY", "1.0"}, {"Add", "2"}, {"add", "2"},       {"Flag", "1"},
        {"fLaG", "1"},       {"Heal", "0"},       {"", "0"},    {"Multiplyx", "0"}, {" Add", "0"},
    };
    for (const auto& [action, value] : cases) EXPECT_EQ(BonusDefaultValue(action), value) << action;
}

TEST(BonusControls, NamesAndLengthsFollowListAndLevel) {
    EXPECT_EQ(BonusCheckboxName(PersonalBonusList(0)), "personal_modifiers_checkbox");
    EXPECT_EQ(BonusCheckboxName(CompanyBonusList(1)), "company_modifiers_checkbox_enlightened");
    EXPECT_EQ(BonusCheckboxName(PersonalBonusList(2)), "personal_modifiers_checkbox_restored");
    EXPECT_EQ(BonusRowName(CompanyBonusList(3), 6), "company_modifier_6_name_ascended");
    EXPECT_EQ(BonusValueName(PersonalBonusList(0), 1), "personal_modifier_1_value");
    EXPECT_EQ(BonusValueName(PersonalBonusList(2), 3), "personal_modifier_3_value_restored");
    for (int level = 0; level < 4; ++level) {
        for (int row = 1; row <= kBonusRows; ++row) {
            EXPECT_EQ(BonusValueMaxLength(PersonalBonusList(level), row), row <= 4 ? 5 : 0);
            EXPECT_EQ(BonusValueMaxLength(CompanyBonusList(level), row), 0);
        }
    }
}

TEST_F(BonusTest, DefinitionsAreSortedByName) {
    std::vector<std::string> names;
    for (const QSBRIXBonusData& d : catalogue->BonusDefinitions()) names.push_back(d.name);
    EXPECT_THAT(names, ElementsAre("Armor", "Courage", "Flying", "Haste", "Regen", "Stealth",
                                   "Terror", "Ward"));
}

TEST_F(BonusTest, PanelsShowRowsColouredAgainstTheCounterpartAndTickExactNames) {
    QSObjectData& archer = Object("Archer");
    const auto panels = ShowBonuses(catalogue->BonusDefinitions(), session, archer, counterpart);
    const BonusPanel& personal = panels[0];
    EXPECT_EQ(personal.checkbox, "personal_modifiers_checkbox");
    EXPECT_THAT(Ticked(personal), ElementsAre(kArmor, kHaste));
    ASSERT_EQ(personal.rows.size(), 2u);
    EXPECT_EQ(personal.rows[0].nameControl, "personal_modifier_1_name");
    EXPECT_EQ(personal.rows[0].name, "Armor");
    EXPECT_EQ(personal.rows[0].value, "3");
    EXPECT_EQ(personal.rows[0].color, kGreen);  // retail 2
    EXPECT_EQ(personal.rows[1].valueControl, "personal_modifier_2_value");
    EXPECT_EQ(personal.rows[1].color, kBlack);
    EXPECT_EQ(personal.rows[1].maxLength, 5);

    // "terror" is shown in its row but its item stays unticked; Quake has no item at all.
    const BonusPanel& company = panels[1];
    EXPECT_THAT(Ticked(company), ElementsAre(kCourage));
    ASSERT_EQ(company.rows.size(), 3u);
    EXPECT_EQ(company.rows[1].name, "Quake");
    EXPECT_EQ(company.rows[1].color, kGreen);
    EXPECT_EQ(company.rows[2].name, "terror");
    EXPECT_EQ(company.rows[2].nameControl, "company_modifier_3_name");
    EXPECT_EQ(company.rows[2].maxLength, 0);
    for (int list = 2; list < kBonusPanelCount; ++list) {
        EXPECT_TRUE(panels[static_cast<size_t>(list)].rows.empty());
        EXPECT_TRUE(Ticked(panels[static_cast<size_t>(list)]).empty());
    }

    // Without a counterpart every row is green; a change record makes it red.
    QSObjectData& scout = Object("Scout");
    EXPECT_EQ(
        ShowBonusPanel(catalogue->BonusDefinitions(), session, scout, nullptr, 0).rows[0].color,
        kGreen);
    Object("Archer");
    bonuses->EditValue(archer, counterpart, 0, 2, "9", false);
    const BonusPanel after =
        ShowBonusPanel(catalogue->BonusDefinitions(), session, archer, counterpart, 0);
    EXPECT_EQ(after.rows[1].value, "9");
    EXPECT_EQ(after.rows[1].color, kRed);
}

TEST_F(BonusTest, ASectionOfSevenShowsSixRowsAndTicksAllItsItems) {
    QSObjectData& giant = Object("Giant");
    const BonusPanel panel =
        ShowBonusPanel(catalogue->BonusDefinitions(), session, giant, counterpart, 1);
    ASSERT_EQ(panel.rows.size(), 6u);
    EXPECT_EQ(panel.rows[5].name, "Stealth");
    EXPECT_THAT(Ticked(panel),
                ElementsAre(kArmor, kCourage, kFlying, kHaste, kRegen, kStealth, kTerror));
    // Unticking the seventh removes it like any other entry.
    const BonusUpdate update = bonuses->Toggle(giant, counterpart, 1, kTerror, false);
    EXPECT_TRUE(update.showObject);
    EXPECT_EQ(giant.BonusList(1).size(), 6u);
}

TEST_F(BonusTest, TickingAddsTheDefaultSortedAndRecordsItFromOff) {
    const std::pair<Item, const char*> cases[] = {
        {kCourage, "1.0"}, {kHaste, "1.0"}, {kArmor, "2"}, {kStealth, "1"}, {kRegen, "0"}};
    QSObjectData& scout = Object("Scout");
    bool first = true;
    for (const auto& [item, value] : cases) {
        const std::string name = catalogue->BonusDefinitions()[item].name;
        SCOPED_TRACE(name);
        const BonusUpdate update = bonuses->Toggle(scout, counterpart, 0, item, true);
        EXPECT_TRUE(update.checked);
        EXPECT_TRUE(update.showObject);
        EXPECT_EQ(update.field.repaintObjectList, first);
        first = false;
        const QSChange* change = Change(scout, "ElementBonus", name.c_str());
        ASSERT_NE(change, nullptr);
        EXPECT_EQ(change->value, value);
        EXPECT_EQ(change->before, "Off");
        EXPECT_EQ(change->retail, "Off");
        EXPECT_EQ(change->label, name);
        EXPECT_EQ(change->objectName, "Scout");
        EXPECT_EQ(*BonusModifiers::GetBonusValue(scout, 0, name), value);
        // The returned panel is the object shown again: the new row is red.
        bool shownRed = false;
        for (const BonusRow& r : update.panel.rows) shownRed |= r.name == name && r.color == kRed;
        EXPECT_TRUE(shownRed);
    }
    EXPECT_EQ(scout.changeState, kChangedInSession);
    // Sixth entry: Flying was loaded. The list is full and stays sorted.
    EXPECT_THAT(Entries(scout, 0), ElementsAre("Armor=2", "Courage=1.0", "Flying=1", "Haste=1.0",
                                               "Regen=0", "Stealth=1"));
    EXPECT_THAT(Entries(scout, 8), ElementsAre("Flying=1"));  // as loaded, unchanged
}

TEST_F(BonusTest, ASeventhTickIsRefusedWithoutARecord) {
    QSObjectData& knight = Object("Knight");
    const BonusUpdate update = bonuses->Toggle(knight, counterpart, 0, kTerror, true);
    EXPECT_FALSE(update.checked);
    EXPECT_FALSE(update.showObject);
    EXPECT_EQ(knight.BonusList(0).size(), 6u);
    EXPECT_EQ(session.Count(), 0u);
    EXPECT_EQ(knight.changeState, kUnchanged);
}

TEST_F(BonusTest, TickingANameTheListHoldsInAnotherCaseAddsNothing) {
    QSObjectData& archer = Object("Archer");
    const BonusUpdate update = bonuses->Toggle(archer, counterpart, 1, kTerror, true);
    EXPECT_FALSE(update.showObject);
    EXPECT_THAT(Entries(archer, 1), ElementsAre("Courage=1.2", "Quake=5", "terror=2"));
    EXPECT_EQ(session.Count(), 0u);
}

TEST_F(BonusTest, UntickingALoadedBonusRecordsOffInPersonalAndCompanyLists) {
    QSObjectData& archer = Object("Archer");
    for (const auto& [list, item, section, before] :
         {std::tuple{0, kHaste, "ElementBonus", "1.5"},
          std::tuple{1, kCourage, "SupportBonus", "1.2"}}) {
        SCOPED_TRACE(section);
        const BonusUpdate update = bonuses->Toggle(archer, counterpart, list, item, false);
        EXPECT_FALSE(update.checked);
        EXPECT_TRUE(update.showObject);
        EXPECT_FALSE(update.panel.checked[static_cast<size_t>(item)]);
        EXPECT_EQ(
            BonusModifiers::GetBonusValue(archer, list, catalogue->BonusDefinitions()[item].name),
            nullptr);
        const QSChange* change =
            Change(archer, section, catalogue->BonusDefinitions()[item].name.c_str());
        ASSERT_NE(change, nullptr);
        EXPECT_EQ(change->value, "Off");
        EXPECT_EQ(change->before, before);
        EXPECT_EQ(change->retail, before);
        EXPECT_EQ(Color(archer, list, item), kRed);
    }
    EXPECT_EQ(archer.changeState, kChangedInSession);
    // Ticking again brings the default back, still recorded against the loaded value.
    bonuses->Toggle(archer, counterpart, 0, kHaste, true);
    EXPECT_EQ(Change(archer, "ElementBonus", "Haste")->value, "1.0");
    EXPECT_EQ(Change(archer, "ElementBonus", "Haste")->before, "1.5");
}

TEST_F(BonusTest, UntickingABonusAddedThisSessionTakesItsAdditionBack) {
    QSObjectData& archer = Object("Archer");
    bonuses->Toggle(archer, counterpart, 0, kWard, true);
    EXPECT_EQ(Color(archer, 0, kWard), kRed);
    const BonusUpdate update = bonuses->Toggle(archer, counterpart, 0, kWard, false);
    EXPECT_TRUE(update.showObject);
    EXPECT_TRUE(update.field.repaintObjectList);
    EXPECT_THAT(Entries(archer, 0), ElementsAre("Armor=3", "Haste=1.5"));
    EXPECT_EQ(session.Count(), 0u);
    EXPECT_EQ(archer.changeState, kUnchanged);
    EXPECT_EQ(Color(archer, 0, kWard), kBlack);
    // Unticking an item the list does not hold changes nothing.
    EXPECT_FALSE(bonuses->Toggle(archer, counterpart, 0, kWard, false).showObject);
    EXPECT_FALSE(bonuses->Toggle(archer, counterpart, 0, 99, true).showObject);
}

TEST_F(BonusTest, EditingAValueRecordsItAndCtrlZRestoresTheLoadedValue) {
    QSObjectData& archer = Object("Archer");
    BonusUpdate update = bonuses->EditValue(archer, counterpart, 0, 2, "2.5", false);
    ASSERT_EQ(update.field.controls.size(), 1u);
    EXPECT_EQ(update.field.controls[0].control, "personal_modifier_2_value");
    EXPECT_EQ(update.field.controls[0].text, "2.5");
    EXPECT_EQ(update.field.controls[0].color, kRed);
    EXPECT_TRUE(update.field.repaintObjectList);
    // Any text is kept as typed; the record keeps the value as loaded.
    bonuses->EditValue(archer, counterpart, 0, 2, "2.5 abc", false);
    const QSChange* change = Change(archer, "ElementBonus", "Haste");
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->before, "1.5");
    EXPECT_EQ(change->retail, "1.5");
    EXPECT_EQ(change->value, "2.5 abc");
    EXPECT_EQ(change->label, "Haste");
    EXPECT_EQ(*BonusModifiers::GetBonusValue(archer, 0, "haste"), "2.5 abc");
    EXPECT_EQ(Color(archer, 0, kHaste), kRed);

    update = bonuses->EditValue(archer, counterpart, 0, 2, "ignored", true);
    ASSERT_EQ(update.field.controls.size(), 1u);
    EXPECT_EQ(update.field.controls[0].text, "1.5");
    EXPECT_EQ(update.field.controls[0].color, kBlack);
    EXPECT_TRUE(update.field.repaintObjectList);
    EXPECT_EQ(*BonusModifiers::GetBonusValue(archer, 0, "Haste"), "1.5");
    EXPECT_EQ(session.Count(), 0u);

    // Ctrl+Z without a record, and rows without an entry, do nothing.
    EXPECT_TRUE(bonuses->EditValue(archer, counterpart, 0, 2, "x", true).field.controls.empty());
    EXPECT_TRUE(bonuses->EditValue(archer, counterpart, 0, 3, "x", false).field.controls.empty());
    EXPECT_EQ(session.Count(), 0u);
}

TEST_F(BonusTest, CtrlZOnABonusAddedThisSessionGivesItsDefaultAndKeepsTheAddition) {
    QSObjectData& scout = Object("Scout");
    bonuses->Toggle(scout, counterpart, 0, kHaste, true);
    bonuses->EditValue(scout, counterpart, 0, 2, "7", false);
    EXPECT_EQ(Change(scout, "ElementBonus", "Haste")->value, "7");
    const BonusUpdate update = bonuses->EditValue(scout, counterpart, 0, 2, "7", true);
    ASSERT_EQ(update.field.controls.size(), 1u);
    EXPECT_EQ(update.field.controls[0].text, "1.0");
    EXPECT_EQ(update.field.controls[0].color, kRed);
    EXPECT_TRUE(update.message.empty());
    EXPECT_EQ(*BonusModifiers::GetBonusValue(scout, 0, "Haste"), "1.0");
    const QSChange* change = Change(scout, "ElementBonus", "Haste");
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->value, "1.0");
    EXPECT_EQ(change->before, "Off");
    EXPECT_TRUE(
        ShowBonusPanel(catalogue->BonusDefinitions(), session, scout, nullptr, 0).checked[kHaste]);
    // Again at its default, Ctrl+Z still shows it.
    EXPECT_EQ(bonuses->EditValue(scout, counterpart, 0, 2, "1.0", true).field.controls[0].text,
              "1.0");
}

TEST_F(BonusTest, ItemColoursCompareCurrentLoadedAndRetailValues) {
    QSObjectData& archer = Object("Archer");
    struct Case {
        Item item;
        bool selected;
        QSColor color;
    };
    // Armor: mod 3 against retail 2; Haste equal to retail; Ward absent everywhere.
    for (const Case& c :
         {Case{kArmor, false, kGreen}, Case{kArmor, true, kGreen}, Case{kHaste, false, kBlack},
          Case{kHaste, true, kOnSelection}, Case{kWard, false, kBlack}}) {
        EXPECT_EQ(Color(archer, 0, c.item, c.selected), c.color) << c.item << c.selected;
    }
    // Company: "terror" is held in another case, and the retail game lacks it.
    EXPECT_EQ(Color(archer, 1, kTerror), kGreen);
    bonuses->EditValue(archer, counterpart, 0, 2, "1.50", false);
    EXPECT_EQ(Color(archer, 0, kHaste), kRed);
    bonuses->EditValue(archer, counterpart, 0, 2, "1.5", false);
    EXPECT_EQ(Color(archer, 0, kHaste, true), kOnSelection);

    QSObjectData& scout = Object("Scout");
    EXPECT_EQ(Color(scout, 0, kFlying, true), kGreen);
    EXPECT_EQ(Color(scout, 0, kWard, true), kGreen);
}

TEST_F(BonusTest, HeroLevelsActOnTheirOwnSections) {
    QSObjectData& paladin = Object("Paladin", kViewHeroes);
    const int restored = PersonalBonusList(2);
    EXPECT_EQ(*BonusModifiers::GetBonusValue(paladin, restored, "Armor"), "4");
    const BonusUpdate update = bonuses->Toggle(paladin, counterpart, restored, kFlying, true);
    EXPECT_EQ(update.panel.checkbox, "personal_modifiers_checkbox_restored");
    EXPECT_EQ(update.panel.rows[1].valueControl, "personal_modifier_2_value_restored");
    EXPECT_NE(Change(paladin, "ElementBonus2", "Flying"), nullptr);
    EXPECT_EQ(session.Count(), 1u);
    EXPECT_THAT(Entries(paladin, 0), ElementsAre("Armor=1"));
    EXPECT_THAT(Entries(paladin, restored), ElementsAre("Armor=4", "Flying=1"));

    const int ascended = CompanyBonusList(3);
    bonuses->EditValue(paladin, counterpart, ascended, 1, "3", false);
    EXPECT_EQ(Change(paladin, "SupportBonus3", "Courage")->before, "2");
    EXPECT_EQ(Color(paladin, ascended, kCourage), kRed);
    EXPECT_EQ(Color(paladin, CompanyBonusList(0), kCourage), kBlack);
    EXPECT_EQ(Color(paladin, CompanyBonusList(1), kCourage), kBlack);
}

TEST_F(BonusTest, SetBonusValueReportsMissingEntriesAndDefinitions) {
    QSObjectData& archer = Object("Archer");
    const std::string value = "8";
    EXPECT_EQ(bonuses->SetBonusValue(archer, 0, "ward", &value), "Bonus ward not found in list");
    EXPECT_THAT(Entries(archer, 0), ElementsAre("Armor=3", "Haste=1.5"));
    EXPECT_EQ(bonuses->SetBonusValue(archer, 0, "HASTE", &value), "");
    EXPECT_EQ(bonuses->SetBonusValue(archer, 0, "armor", nullptr), "");
    EXPECT_THAT(Entries(archer, 0), ElementsAre("Armor=2", "Haste=8"));
    // Quake has no definition: the first one (Armor, Add) gives the default.
    EXPECT_EQ(bonuses->SetBonusValue(archer, 1, "Quake", nullptr), "Bonus not found");
    EXPECT_EQ(*BonusModifiers::GetBonusValue(archer, 1, "quake"), "2");
    EXPECT_EQ(BonusModifiers::GetBonusValue(archer, 1, "Ward"), nullptr);

    // Without any definition the default is "0".
    std::vector<QSBRIXBonusData> none;
    BonusModifiers bare(none, session);
    std::string message;
    EXPECT_EQ(bare.DefaultFor("Haste", &message), "0");
    EXPECT_EQ(message, "Bonus not found");
}

TEST_F(BonusTest, OnlyTheHeroLevelsPanelsShowWithOneRowPerEntry) {
    QSObjectData& paladin = Object("Paladin", kViewHeroes);
    QSObjectData& giant = Object("Giant");
    struct Case {
        const QSObjectData* record;
        int view;
        int level;
        bool soundPanel;
        BonusVisibility visible;
    };
    for (const Case& c : {
             Case{&paladin, kViewHeroes, 0, false, {true, 0, 1, 1, 0}},
             Case{&paladin, kViewHeroes, 2, false, {true, 4, 5, 1, 0}},
             Case{&paladin, kViewHeroes, 3, false, {true, 6, 7, 0, 1}},
             Case{&paladin, kViewUnits, 3, false, {true, 0, 1, 1, 0}},  // base outside Heroes
             Case{&giant, kViewUnits, 0, false, {true, 0, 1, 0, 6}},    // seven entries
             Case{&paladin, kViewHeroes, 2, true, {}},
             Case{&giant, kViewBuildings, 0, false, {}},
             Case{&giant, kViewGlobal, 0, false, {}},
         }) {
        const BonusVisibility v = VisibleBonusPanels(*c.record, c.view, c.level, c.soundPanel);
        SCOPED_TRACE(c.record->UniqueName() + " view " + std::to_string(c.view) + " level " +
                     std::to_string(c.level));
        EXPECT_EQ(v.shown, c.visible.shown);
        EXPECT_EQ(v.personalList, c.visible.personalList);
        EXPECT_EQ(v.companyList, c.visible.companyList);
        EXPECT_EQ(v.personalRows, c.visible.personalRows);
        EXPECT_EQ(v.companyRows, c.visible.companyRows);
    }
}

TEST_F(BonusTest, ShowObjectFillsThePanels) {
    catalogue->SelectView(kViewUnits);
    const ShownObject shown =
        ShowObject(*catalogue, session, catalogue->FindObjectIndex("Archer"), ListItemSet{});
    EXPECT_THAT(Ticked(shown.bonuses[0]), ElementsAre(kArmor, kHaste));
    ASSERT_EQ(shown.bonuses[1].rows.size(), 3u);
    EXPECT_EQ(shown.bonuses[1].rows[0].name, "Courage");
}

}  // namespace
