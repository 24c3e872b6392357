// The components check list: which items are ticked, what a toggle records, and the colours
// of its items.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "objects/BuildHierarchy.h"
#include "objects/CatalogueFixture.h"
#include "objects/ObjectDisplay.h"

using ::testing::ElementsAre;

namespace {

constexpr QSColor kBlack = kColorUnchanged, kGreen = kColorMod, kRed = kColorSession,
                  kOnSelection = kColorSelected;

// Component names in list order.
enum Item { kForge, kTower, kWall };

class ComponentTest : public CatalogueTest {
  protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        const std::vector<TestFile> game = {
            {"data\\objectdata\\components.ini",
             "[Wall]\nGoldCost=1\n[Tower]\nGoldCost=2\n[Forge]\nGoldCost=3\n"
             "[Tower Bonuses]\nGoldCost=4\n",
             ""},
            Unit("Archer.ini",
                 "[ObjectData]\nProperName=Archer\n[BuildHierarchy]\nComponent1=TOWER\n"
                 "Component2=forge\n"),
            Unit("Pikeman.ini",
                 "[ObjectData]\nProperName=Pikeman\n[BuildHierarchy]\nComponent1=Forge\n"),
            Unit("Gap.ini",
                 "[ObjectData]\nProperName=Gap\n[BuildHierarchy]\nComponent1=Wall\n"
                 "Component3=Tower\n"),
        };
        const std::vector<TestFile> mod = {
            // The mod drops the Pikeman's forge and asks for a wall instead.
            Unit("Pikeman.ini",
                 "[ObjectData]\nProperName=Pikeman\n[BuildHierarchy]\nComponent1=Wall\n"),
            Unit("Scout.ini", "[ObjectData]\nProperName=Scout\n"),
        };
        Mount(game, mod);
        MountGameOnly();
        catalogue->LoadAllObjects(true);
        MountWithMod();
        catalogue->LoadAllObjects(false);
        catalogue->SelectView(kViewUnits);
    }

    QSObjectData& Object(const char* name) {
        const int index = catalogue->FindObjectIndex(name);
        EXPECT_GE(index, 0) << name;
        counterpart = catalogue->FindRetailCounterpart(name);
        return *catalogue->ViewList()[static_cast<uint32_t>(index)];
    }
    std::vector<bool> Checks(const QSObjectData& r) {
        return ComponentChecks(r, session, catalogue->ComponentNames());
    }
    FieldUpdate Toggle(QSObjectData& r, int item, bool checked) {
        return ToggleComponent(r, counterpart, session, catalogue->ComponentNames(), item, checked);
    }
    QSColor Color(const QSObjectData& r, int item, bool selected = false) {
        const std::string& name = catalogue->ComponentNames()[static_cast<size_t>(item)];
        return ComponentItemColor(r, counterpart, name, Checks(r)[static_cast<size_t>(item)],
                                  selected);
    }

    ChangeList session;
    const QSObjectData* counterpart = nullptr;
};

TEST_F(ComponentTest, TheLoadedListTicksItemsInAnyCaseAndStopsAtAGap) {
    EXPECT_THAT(catalogue->ComponentNames(), ElementsAre("Forge", "Tower", "Wall"));
    EXPECT_THAT(Checks(Object("Archer")), ElementsAre(true, true, false));
    EXPECT_THAT(Object("Gap").Components(), ElementsAre("Wall"));
    EXPECT_THAT(Checks(Object("Gap")), ElementsAre(false, false, true));
    EXPECT_TRUE(HasComponent(Object("Archer"), "Tower"));
    EXPECT_FALSE(HasComponent(Object("Archer"), "Wall"));
}

TEST_F(ComponentTest, UntickingALoadedComponentRecordsOffAndTickingAgainTakesItBack) {
    QSObjectData& archer = Object("Archer");
    FieldUpdate update = Toggle(archer, kTower, false);
    EXPECT_TRUE(update.controls.empty());
    EXPECT_TRUE(update.repaintObjectList);
    const QSChange* change = session.FindChange("archer", "BuildHierarchy", "Tower");
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->value, "Off");
    EXPECT_EQ(change->before, "On");
    EXPECT_EQ(change->retail, "On");
    EXPECT_EQ(change->label, "Tower");
    EXPECT_EQ(change->objectName, "Archer");
    EXPECT_EQ(archer.changeState, kChangedInSession);
    // Shown again, the record overrides the loaded list, which itself never changes.
    EXPECT_THAT(Checks(archer), ElementsAre(true, false, false));
    EXPECT_THAT(archer.Components(), ElementsAre("TOWER", "forge"));
    EXPECT_EQ(Color(archer, kTower), kRed);

    update = Toggle(archer, kTower, true);
    EXPECT_TRUE(update.repaintObjectList);
    EXPECT_EQ(session.Count(), 0u);
    EXPECT_EQ(archer.changeState, kUnchanged);
    EXPECT_THAT(Checks(archer), ElementsAre(true, true, false));
    EXPECT_EQ(Color(archer, kTower), kBlack);
    EXPECT_EQ(Color(archer, kTower, true), kOnSelection);
}

TEST_F(ComponentTest, AUnitOnlyInTheModRecordsOnWithAnEmptyRetailValue) {
    QSObjectData& scout = Object("Scout");
    ASSERT_EQ(counterpart, nullptr);
    Toggle(scout, kWall, true);
    const QSChange* change = session.FindChange("Scout", "BuildHierarchy", "Wall");
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->value, "On");
    EXPECT_EQ(change->before, "Off");
    EXPECT_EQ(change->retail, "");
    EXPECT_EQ(Color(scout, kWall), kRed);
    EXPECT_EQ(Color(scout, kForge), kBlack);
    Toggle(scout, kWall, false);
    EXPECT_EQ(session.Count(), 0u);
    EXPECT_EQ(Color(scout, kWall), kBlack);
}

TEST_F(ComponentTest, ItemColoursCompareTheMarkWithLoadedAndRetail) {
    // Pikeman: retail Forge; the mod has Wall instead.
    QSObjectData& pikeman = Object("Pikeman");
    struct Case {
        Item item;
        bool checked;
        bool selected;
        QSColor color;
    };
    for (const Case& c : {
             Case{kForge, false, false, kGreen},  // as the mod has it, unlike the game
             Case{kWall, true, true, kGreen},
             Case{kForge, true, false, kBlack},  // back to the game's value
             Case{kForge, true, true, kOnSelection},
             Case{kWall, false, false, kBlack},
             Case{kTower, false, false, kBlack},
             Case{kTower, true, false, kRed},  // neither the game's nor the mod's
             Case{kTower, true, true, kRed},
         }) {
        const std::string& name = catalogue->ComponentNames()[c.item];
        EXPECT_EQ(ComponentItemColor(pikeman, counterpart, name, c.checked, c.selected), c.color)
            << name << c.checked << c.selected;
    }
    // Ticking the forge back is a change against the mod's value, equal to the game's.
    Toggle(pikeman, kForge, true);
    const QSChange* change = session.FindChange("Pikeman", "BuildHierarchy", "Forge");
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->before, "Off");
    EXPECT_EQ(change->retail, "On");
    EXPECT_THAT(Checks(pikeman), ElementsAre(true, false, true));
}

TEST_F(ComponentTest, ItemsOutsideTheListAreIgnored) {
    QSObjectData& archer = Object("Archer");
    for (int item : {-1, 3, 100}) {
        EXPECT_FALSE(Toggle(archer, item, true).repaintObjectList);
    }
    EXPECT_EQ(session.Count(), 0u);
}

TEST_F(ComponentTest, ShowObjectFillsTheCheckListWithSessionChanges) {
    QSObjectData& gap = Object("Gap");
    Toggle(gap, kForge, true);
    Toggle(gap, kWall, false);
    const ShownObject shown =
        ShowObject(*catalogue, session, catalogue->FindObjectIndex("Gap"), ListItemSet{});
    EXPECT_THAT(shown.components, ElementsAre(true, false, false));
}

}  // namespace
