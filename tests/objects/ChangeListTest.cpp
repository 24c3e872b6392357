// The session's change list: order and lookups, the colours SetField and UndoField hand
// back, and the change state of the object they act on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "objects/ChangeList.h"
#include "objects/QSObjectData.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

struct Triple {
    std::string identity, section, key;
    friend bool operator==(const Triple&, const Triple&) = default;
};
std::ostream& operator<<(std::ostream& os, const Triple& t) {
    return os << t.identity << "/" << t.section << "/" << t.key;
}

std::vector<Triple> Order(const ChangeList& list) {
    std::vector<Triple> order;
    for (const QSChange* c : list) order.push_back({c->identity, c->section, c->key});
    return order;
}

class ChangeListTest : public ::testing::Test {
  protected:
    ChangeListTest()
        : changes([this](const std::string& resource) { return resource == modResource; }) {
        archer.SetUniqueName("Archer");
        archer.resourceName = "Data\\ObjectData\\units\\Archer.ini";
    }

    FieldUpdate Set(const std::string& key, const std::string& value, const std::string& before,
                    const std::string* retail, const FieldControls& controls = {"box", "", ""}) {
        return changes.SetField(&archer, "Archer", controls, "ObjectData", key, value, before,
                                retail, "Label:", "The Archer");
    }
    FieldUpdate Undo(const std::string& key, const std::string* retail) {
        return changes.UndoField(&archer, "Archer", {"box", "", ""}, "ObjectData", key, retail);
    }

    std::string modResource;
    ChangeList changes;
    QSObjectData archer;
    const std::string retail60 = "60";
};

TEST_F(ChangeListTest, KeepsOneRecordPerFieldSortedByIdentitySectionAndKeyIgnoringCase) {
    QSObjectData other;
    const struct {
        const char* identity;
        const char* section;
        const char* key;
        const char* value;
    } entered[] = {
        {"zealot", "ObjectData", "Defense", "1"},      {"Archer", "UnitData", "Type", "Front"},
        {"Archer", "ObjectData", "maxhitpoints", "2"}, {"Components", "Tower", "GoldCost", "3"},
        {"Archer", "ObjectData", "Defense", "4"},      {"Components", "Forge", "GoldCost", "5"},
        {"ARCHER", "objectdata", "MaxHitPoints", "6"},  // the same field as the third
        {"Arch", "ObjectData", "Defense", "7"},
    };
    for (const auto& e : entered)
        changes.SetField(&other, e.identity, {}, e.section, e.key, e.value, "0", nullptr, "", "");

    EXPECT_THAT(Order(changes), ElementsAre(Triple{"Arch", "ObjectData", "Defense"},
                                            Triple{"Archer", "ObjectData", "Defense"},
                                            Triple{"Archer", "ObjectData", "maxhitpoints"},
                                            Triple{"Archer", "UnitData", "Type"},
                                            Triple{"Components", "Forge", "GoldCost"},
                                            Triple{"Components", "Tower", "GoldCost"},
                                            Triple{"zealot", "ObjectData", "Defense"}));
    const QSChange* hp = changes.FindChange("archer", "OBJECTDATA", "MaxHitPoints");
    ASSERT_NE(hp, nullptr);
    EXPECT_EQ(hp->value, "6");
    EXPECT_EQ(changes.FindChange("Components", "Forge", "GoldCost")->value, "5");
    EXPECT_EQ(changes.FindChange("Archer", "ObjectData", "CostGold"), nullptr);
    EXPECT_EQ(changes.FindChange("Components", "Forge", "SellPrice"), nullptr);

    EXPECT_TRUE(changes.ObjectHasChanges("ARCH"));
    EXPECT_TRUE(changes.ObjectHasChanges("Zealot"));
    EXPECT_FALSE(changes.ObjectHasChanges("Ar"));
    EXPECT_FALSE(changes.ObjectHasChanges("Archers"));

    // Deleting an object takes its records away, in any letter case, and no other object's.
    changes.RemoveChangesOf("ARCHER");
    EXPECT_THAT(Order(changes), ElementsAre(Triple{"Arch", "ObjectData", "Defense"},
                                            Triple{"Components", "Forge", "GoldCost"},
                                            Triple{"Components", "Tower", "GoldCost"},
                                            Triple{"zealot", "ObjectData", "Defense"}));
    EXPECT_EQ(changes.FindChange("Components", "Tower", "GoldCost")->value, "3");
    EXPECT_FALSE(changes.ObjectHasChanges("Zealots"));

    changes.ClearChangeList();
    EXPECT_EQ(changes.Count(), 0u);
    EXPECT_FALSE(changes.ObjectHasChanges("Archer"));
    EXPECT_EQ(changes.FindChange("Components", "Forge", "GoldCost"), nullptr);
}

TEST_F(ChangeListTest, TheNewRecordKeepsEveryArgument) {
    Set("MaxHitPoints", "75", "50", &retail60, {"max_hit_points", "second", "third"});
    const QSChange* c = changes.FindChange("Archer", "ObjectData", "MaxHitPoints");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->objectName, "The Archer");
    EXPECT_EQ(c->label, "Label:");
    EXPECT_EQ(c->retail, "60");
    EXPECT_EQ(c->before, "50");
    EXPECT_EQ(c->value, "75");
    EXPECT_EQ(c->mainControl, "max_hit_points");
    EXPECT_EQ(c->thirdControl, "third");

    Set("Defense", "3", "2", nullptr);
    EXPECT_EQ(changes.FindChange("Archer", "ObjectData", "Defense")->retail, "");
}

TEST_F(ChangeListTest, SetFieldColoursTheControlsAndMarksTheObjectChanged) {
    const std::string empty;
    const std::string upperAbc = "ABC";
    const struct {
        const char* name;
        const char* value;
        const char* before;
        const std::string* retail;
        bool recorded;
        QSColor color;
    } cases[] = {
        {"differs from retail", "75", "50", &retail60, true, kColorSession},
        {"equals retail but not the loaded value", "60", "50", &retail60, true, kColorUnchanged},
        {"retail compared ignoring case", "abc", "x", &upperAbc, true, kColorUnchanged},
        {"no retail counterpart", "", "50", nullptr, true, kColorSession},
        {"empty retail value", "", "50", &empty, true, kColorUnchanged},
        {"loaded value typed back", "50", "50", &retail60, false, {}},
        {"only the letter case of the loaded value", "Melee", "MELEE", &retail60, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        changes.ClearChangeList();
        archer.changeState = kSuppliedByMod;
        const FieldUpdate u = Set("Key", c.value, c.before, c.retail, {"main", "", "third"});
        if (!c.recorded) {
            EXPECT_EQ(changes.Count(), 0u);
            EXPECT_THAT(u.controls, IsEmpty());
            EXPECT_FALSE(u.repaintObjectList);
            EXPECT_EQ(archer.changeState, kSuppliedByMod);
            continue;
        }
        ASSERT_NE(changes.FindChange("Archer", "ObjectData", "Key"), nullptr);
        ASSERT_EQ(u.controls.size(), 2u);
        EXPECT_EQ(u.controls[0].control, "main");
        EXPECT_EQ(u.controls[1].control, "third");
        for (const ControlUpdate& cu : u.controls) {
            EXPECT_EQ(cu.text, c.value);
            EXPECT_EQ(cu.color, c.color);
        }
        EXPECT_TRUE(u.repaintObjectList);
        EXPECT_EQ(archer.changeState, kChangedInSession);
    }
}

TEST_F(ChangeListTest, FurtherEditsOfAChangedFieldReplaceItsValueWithoutRepaintingTheList) {
    Set("MaxHitPoints", "75", "50", &retail60);
    const FieldUpdate again = Set("MaxHitPoints", "60", "50", &retail60);
    EXPECT_EQ(changes.FindChange("Archer", "ObjectData", "MaxHitPoints")->value, "60");
    ASSERT_EQ(again.controls.size(), 1u);
    EXPECT_EQ(again.controls[0].color, kColorUnchanged);
    EXPECT_FALSE(again.repaintObjectList);

    // The same value once more changes nothing, not even a colour.
    const FieldUpdate same = Set("MaxHitPoints", "60", "50", &retail60);
    EXPECT_THAT(same.controls, IsEmpty());
    // A case-only change of the session value is a new value.
    Set("Type", "front", "Support", &retail60);
    Set("Type", "FRONT", "Support", &retail60);
    EXPECT_EQ(changes.FindChange("Archer", "ObjectData", "Type")->value, "FRONT");
}

TEST_F(ChangeListTest, TypingTheLoadedValueBackUndoesTheChangeAndRestoresTheRowColour) {
    const struct {
        const char* name;
        bool fromMod;
        const char* loaded;
        const std::string* retail;
        QSColor fieldColor;
        uint8_t state;
    } cases[] = {
        {"retail object, loaded as retail", false, "60", &retail60, kColorUnchanged, kUnchanged},
        {"mod object, loaded value from the mod", true, "50", &retail60, kColorMod, kSuppliedByMod},
        {"no retail counterpart", true, "60", nullptr, kColorMod, kSuppliedByMod},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        changes.ClearChangeList();
        modResource = c.fromMod ? archer.resourceName : "";
        Set("MaxHitPoints", "75", c.loaded, c.retail);
        Set("Defense", "9", "2", c.retail);
        EXPECT_EQ(archer.changeState, kChangedInSession);

        // Another change remains: the row stays red.
        FieldUpdate u = Set("Defense", "2", "2", c.retail);
        EXPECT_EQ(changes.FindChange("Archer", "ObjectData", "Defense"), nullptr);
        EXPECT_FALSE(u.repaintObjectList);
        EXPECT_EQ(archer.changeState, kChangedInSession);

        u = Set("MaxHitPoints", c.loaded, c.loaded, c.retail);
        EXPECT_EQ(changes.Count(), 0u);
        ASSERT_EQ(u.controls.size(), 1u);
        EXPECT_EQ(u.controls[0].text, c.loaded);
        EXPECT_EQ(u.controls[0].color, c.fieldColor);
        EXPECT_TRUE(u.repaintObjectList);
        EXPECT_EQ(archer.changeState, c.state);
    }
}

TEST_F(ChangeListTest, UndoFieldShowsTheLoadedValueAndIsANoOpWithoutAChange) {
    EXPECT_THAT(Undo("MaxHitPoints", &retail60).controls, IsEmpty());
    EXPECT_EQ(archer.changeState, kUnchanged);

    Set("MaxHitPoints", "75", "50", &retail60);
    Set("Defense", "75", "melee", &retail60);
    FieldUpdate u = Undo("maxhitpoints", &retail60);
    ASSERT_EQ(u.controls.size(), 1u);
    EXPECT_EQ(u.controls[0].control, "box");
    EXPECT_EQ(u.controls[0].text, "50");
    EXPECT_EQ(u.controls[0].color, kColorMod);
    EXPECT_FALSE(u.repaintObjectList);
    EXPECT_THAT(Order(changes), ElementsAre(Triple{"Archer", "ObjectData", "Defense"}));

    // The loaded value equal to the retail one but for the letter case: black.
    const std::string retailMelee = "MELEE";
    u = Undo("Defense", &retailMelee);
    EXPECT_EQ(u.controls[0].text, "melee");
    EXPECT_EQ(u.controls[0].color, kColorUnchanged);
    EXPECT_TRUE(u.repaintObjectList);
    EXPECT_EQ(archer.changeState, kUnchanged);
    EXPECT_THAT(Undo("Defense", &retail60).controls, IsEmpty());
}

TEST_F(ChangeListTest, NamesDifferingInCaseShareTheirChanges) {
    QSObjectData twin;
    twin.SetUniqueName("ARCHER");
    Set("MaxHitPoints", "75", "50", &retail60);
    const FieldUpdate u =
        changes.UndoField(&twin, "ARCHER", {}, "ObjectData", "MaxHitPoints", &retail60);
    EXPECT_TRUE(u.repaintObjectList);
    EXPECT_EQ(changes.Count(), 0u);
}

}  // namespace
