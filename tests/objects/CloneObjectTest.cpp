#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "objects/CatalogueFixture.h"
#include "objects/ChangeList.h"
#include "objects/ObjectDisplay.h"

using ::testing::ElementsAre;

namespace {

class CloneTest : public CatalogueTest {
  protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        Mount(
            {Unit("Archer.ini",
                  "[ObjectData]\nProperName=Archer\nOverwriteColor=2\nMaxHitPoints="
                  "60\nSelectionSound1=a.wav\n"
                  "[UnitData]\nType=Support\n[Attack1]\nMoraleType=Holy\n[ElementBonus]\nFire=1\n"
                  "[BuildHierarchy]\nComponent1=Forge\n"),
             Unit("Zealot.ini", "[ObjectData]\nProperName=Zealot\n"),
             {"Data\\ObjectData\\heroes\\Knight.ini",
              "[ObjectData]\nProperName=Knight\nOverwriteColor=3\n[UnitData]\nType=HERO\n", ""},
             {"data\\objectdata\\components.ini", "[Tower]\nProperName=Tower\nGoldCost=1\n", ""}});
        catalogue->LoadAllObjects(true);
        catalogue->LoadAllObjects(false);
    }

    // The entered changes by key, for lookups.
    static std::map<std::string, ClonedField> ByKey(const std::vector<ClonedField>& changes) {
        std::map<std::string, ClonedField> m;
        for (const ClonedField& c : changes) {
            EXPECT_TRUE(m.emplace(c.section + "/" + c.key, c).second) << "entered twice: " << c.key;
        }
        return m;
    }
};

TEST_F(CloneTest, CloneCopiesTheShownUnitAndEntersEveryNonEmptyField) {
    catalogue->SelectView(kViewUnits);
    const int shown = catalogue->FindObjectIndex("archer");
    ASSERT_EQ(shown, 0);
    std::vector<ClonedField> changes;
    const int index = catalogue->CloneObject(shown, "Archer_Elite", &changes);

    ASSERT_EQ(index, catalogue->FindObjectIndex("Archer_Elite"));
    const QSObjectData& clone = *catalogue->ViewList()[static_cast<uint32_t>(index)];
    EXPECT_EQ(clone.resourceName, "Data\\ObjectData\\units\\Archer_Elite.ini");
    EXPECT_EQ(clone.sourceResourceName, "Data\\ObjectData\\units\\Archer.ini");
    EXPECT_EQ(clone.ProperName(), "Archer");
    EXPECT_EQ(clone.Value(50), "60");
    EXPECT_EQ(clone.changeState, kChangedInSession);
    EXPECT_EQ(clone.Sounds(SoundGroup::Selection)[0], "a.wav");
    EXPECT_EQ(clone.BonusList(0).size(), 1u);
    EXPECT_THAT(clone.Components(), ElementsAre("Forge"));
    // In the working list too, sorted, and nothing in the retail list.
    EXPECT_THAT(Names(catalogue->Objects(kViewUnits, false)),
                ElementsAre("Archer", "Archer_Elite", "Zealot"));
    EXPECT_EQ(catalogue->Objects(kViewUnits, true).Count(), 2u);
    EXPECT_EQ(catalogue->FindRetailCounterpart("Archer_Elite"), nullptr);

    const auto entered = ByKey(changes);
    size_t nonEmpty = 1;  // the proper name
    for (const FieldDef& f : kFieldTable) {
        if ((f.row <= 5 || f.row >= 24) && !clone.Value(f).empty()) ++nonEmpty;
    }
    EXPECT_EQ(entered.size(), nonEmpty);
    for (const auto& [key, c] : entered) {
        EXPECT_EQ(c.identity, "Archer_Elite");
        EXPECT_EQ(c.before, "Off");
        EXPECT_EQ(c.retail, "Off");
        EXPECT_FALSE(c.value.empty()) << key;
    }
    EXPECT_EQ(entered.at("ObjectData/ProperName").label, "Proper name:");
    EXPECT_EQ(entered.at("ObjectData/OverwriteColor").value, "Green");
    EXPECT_EQ(entered.at("ObjectData/MaxHitPoints").label, "Max hit points:");
    // Entered under the key it is shown by, not the one it was read from.
    EXPECT_EQ(entered.at("Attack1/MoraleDamageType").value, "Holy");
    EXPECT_EQ(entered.count("Attack1/MoraleType"), 0u);
    EXPECT_EQ(entered.count("Level1/MaxHitPoints"), 0u);  // empty
    EXPECT_EQ(entered.count("ObjectData/SelectionSound1"), 0u);
}

TEST_F(CloneTest, AHeroCloneLeavesItsColourOut) {
    catalogue->SelectView(kViewHeroes);
    std::vector<ClonedField> changes;
    ASSERT_GE(catalogue->CloneObject(0, "Knight2", &changes), 0);
    const auto entered = ByKey(changes);
    EXPECT_EQ(entered.count("ObjectData/OverwriteColor"), 0u);
    EXPECT_EQ(entered.at("UnitData/Type").value, "Hero");
    EXPECT_EQ(catalogue->Objects(kViewHeroes, false).Count(), 2u);
    EXPECT_EQ(catalogue->Objects(kViewUnits, false).Count(), 2u);
}

TEST_F(CloneTest, NothingIsClonedUnderAnExistingNameFromAComponentOrWithoutAShownObject) {
    std::vector<ClonedField> changes;
    catalogue->SelectView(kViewUnits);
    EXPECT_EQ(catalogue->CloneObject(0, "ZEALOT", &changes), -1);
    EXPECT_EQ(catalogue->CloneObject(-1, "New", &changes), -1);
    EXPECT_EQ(catalogue->CloneObject(2, "New", &changes), -1);
    EXPECT_EQ(catalogue->ViewList().Count(), 2u);

    catalogue->SelectView(kViewComponents);
    ASSERT_EQ(catalogue->ViewList().Count(), 1u);
    EXPECT_EQ(catalogue->CloneObject(0, "Tower2", &changes), -1);
    EXPECT_EQ(catalogue->ViewList().Count(), 1u);
    EXPECT_TRUE(changes.empty());
}

TEST_F(CloneTest, TheCloneEntersItsFieldsIntoTheChangeListAndShowsThemAsChanged) {
    ChangeList session;
    catalogue->SelectView(kViewUnits);
    const int index = catalogue->CloneObject(0, "Archer_Elite", session);
    ASSERT_EQ(index, catalogue->FindObjectIndex("Archer_Elite"));

    // The same fields the clone reports, each recorded once under the clone's identity.
    std::vector<ClonedField> reported;
    catalogue->CloneObject(0, "Archer_Other", &reported);
    std::vector<std::string> recorded;
    for (const QSChange* c : session) {
        EXPECT_EQ(c->identity, "Archer_Elite");
        EXPECT_EQ(c->before, "Off");
        EXPECT_EQ(c->retail, "Off");
        EXPECT_EQ(c->objectName, "Archer");
        recorded.push_back(c->section + "/" + c->key);
    }
    EXPECT_EQ(recorded.size(), reported.size());
    for (const ClonedField& f : reported) {
        const QSChange* c = session.FindChange("Archer_Elite", f.section, f.key);
        ASSERT_NE(c, nullptr) << f.section << "/" << f.key;
        EXPECT_EQ(c->value, f.value);
        EXPECT_EQ(c->label, f.label);
    }
    EXPECT_FALSE(session.ObjectHasChanges("Archer"));

    const ShownObject shown = ShowObject(*catalogue, session, index, ListItemSet{});
    EXPECT_EQ(shown.uniqueName, "Archer_Elite");
    for (const char* control : {"proper_name", "max_hit_points", "overwrite_color"}) {
        SCOPED_TRACE(control);
        ASSERT_NE(shown.Find(control), nullptr);
        EXPECT_EQ(shown.Find(control)->color, kColorSession);
    }
    EXPECT_EQ(shown.Find("max_hit_points")->text, "60");
    // Empty fields are not entered: no retail counterpart makes them green.
    EXPECT_EQ(shown.Find("max_hit_points_enlightened")->color, kColorMod);

    // A clone under an existing name enters nothing.
    const uint32_t count = session.Count();
    EXPECT_EQ(catalogue->CloneObject(0, "archer_elite", session), -1);
    EXPECT_EQ(session.Count(), count);
}

TEST_F(CloneTest, ViewListsFindByUniqueNameInAnyCase) {
    catalogue->SelectView(kViewUnits);
    EXPECT_EQ(catalogue->FindObjectIndex("ZEALOT"), 1);
    EXPECT_EQ(catalogue->FindObjectIndex("Nobody"), -1);
    const QSObjectData* counterpart = catalogue->FindRetailCounterpart("archer");
    ASSERT_NE(counterpart, nullptr);
    EXPECT_EQ(counterpart, catalogue->Objects(kViewUnits, true)[0]);
    EXPECT_NE(counterpart, catalogue->ViewList()[0]);
    catalogue->SelectView(kViewHeroes);
    EXPECT_EQ(catalogue->FindObjectIndex("Zealot"), -1);
    EXPECT_EQ(catalogue->FindRetailCounterpart("Zealot"), nullptr);
}

}  // namespace
