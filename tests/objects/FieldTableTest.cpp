#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/HashName.h"
#include "objects/FieldTable.h"

namespace {

const char* const kLevelSuffix[] = {"", "_enlightened", "_restored", "_ascended"};

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

TEST(FieldTable, ControlsAreUniqueAndLabelsFollowTheirBaseControl) {
    std::set<std::string> controls;
    for (const FieldDef& f : kFieldTable) {
        EXPECT_TRUE(controls.insert(f.control).second) << f.control;
        std::string base = f.control;
        ASSERT_TRUE(EndsWith(base, kLevelSuffix[f.level])) << f.control;
        base.resize(base.size() - std::string(kLevelSuffix[f.level]).size());
        EXPECT_EQ(std::string(f.label), base + "_label") << f.control;
        if (f.level > 0) {
            // A level variant reads the numbered section of its level and shares its base
            // field's key, label and caption.
            const std::string section = f.section;
            EXPECT_EQ(section.back(), static_cast<char>('0' + f.level)) << f.control;
            const FieldDef* basis = FieldByControl(base);
            ASSERT_NE(basis, nullptr) << f.control;
            EXPECT_STREQ(basis->key, f.key);
            EXPECT_STREQ(basis->caption, f.caption);
            EXPECT_EQ(basis->controlKind, f.controlKind);
        }
    }
    for (const SoundSlotDef& s : kSoundSlotTable)
        EXPECT_TRUE(controls.insert(s.control).second) << s.control;
    EXPECT_TRUE(controls.insert(kProperNameField.control).second);
}

TEST(FieldTable, OnlyTheColourAndMoraleRowsAreShownUnderAnotherKey) {
    std::set<int> renamed;
    for (const FieldDef& f : kFieldTable) {
        const bool sameSection = (f.section == nullptr) == (f.shownSection == nullptr) &&
                                 (!f.section || SameName(f.section, f.shownSection));
        EXPECT_TRUE(sameSection) << f.row;
        if (!SameName(f.key, f.shownKey)) renamed.insert(f.row);
        EXPECT_EQ(f.altKey != nullptr, f.rule == LoadRule::FromColors) << f.row;
    }
    EXPECT_THAT(renamed, ::testing::ElementsAre(13, 14, 92, 99));
}

TEST(FieldTable, ListsHaveItemsAndBoxesHaveNone) {
    for (const FieldDef& f : kFieldTable) {
        const bool list = f.controlKind == ControlKind::List;
        EXPECT_EQ(list, f.listSource != ListSource::None) << f.control;
        EXPECT_EQ(f.listSource == ListSource::Fixed, !f.items.empty()) << f.control;
        if (list) {
            EXPECT_EQ(f.maxLength, 0) << f.control;
        }
        if (f.acceptsTypedText) {
            EXPECT_TRUE(list) << f.control;
        }
        // A fixed list offers the value a key takes when it is absent; the first attack's
        // default "None" is the exception, shown as the list's first item.
        if (f.listSource == ListSource::Fixed && *f.defaultValue && f.row != 84) {
            const std::string shown = f.rule == LoadRule::ColorName ? "Player" : f.defaultValue;
            bool offered = false;
            for (const char* item : f.items) offered = offered || shown == item;
            EXPECT_TRUE(offered) << f.control << " does not offer " << shown;
        }
    }
    const FieldDef* color = FieldByControl("overwrite_color");
    ASSERT_NE(color, nullptr);
    ASSERT_EQ(color->items.size(), kColorNames.size());
    for (size_t i = 0; i < kColorNames.size(); ++i) EXPECT_STREQ(color->items[i], kColorNames[i]);
}

TEST(FieldTable, Lookups) {
    EXPECT_EQ(FieldByRow(0), nullptr);
    EXPECT_EQ(FieldByRow(kFieldCount + 1), nullptr);
    EXPECT_EQ(FieldByRow(52)->control, std::string("max_hit_points_enlightened"));
    EXPECT_EQ(FieldByControl("proper_name"), &kProperNameField);
    EXPECT_EQ(FieldByControl("nothing"), nullptr);
    struct Case {
        const char* section;
        const char* key;
        int row;  // -1: not found; 0: the proper name
    };
    for (const Case& c : std::initializer_list<Case>{{"attack1", "moraledamagetype", 92},
                                                     {"Attack2", "MoraleDamageType", 99},
                                                     {"Attack1", "MoraleType", -1},
                                                     {"PlayerColors", "Color_9_MIN", 13},
                                                     {"PlayerColors", "Color_9_shade_1", -1},
                                                     {nullptr, "GoldCost", 15},
                                                     {"BuildingData", "GoldProduction", 31},
                                                     {nullptr, "GoldProduction", 21},
                                                     {"objectdata", "propername", 0},
                                                     {"Level3", "Defense", 5}}) {
        const FieldDef* f = FieldByShownKey(c.section, c.key);
        if (c.row < 0) {
            EXPECT_EQ(f, nullptr) << c.key;
        } else {
            ASSERT_NE(f, nullptr) << c.key;
            EXPECT_EQ(f->row, c.row) << c.key;
        }
    }
}

TEST(FieldTable, SoundSlotsCoverEachGroupInOrder) {
    int next[kSoundGroupCount] = {};
    for (const SoundSlotDef& s : kSoundSlotTable) {
        const auto g = static_cast<size_t>(s.group);
        EXPECT_EQ(s.slot, next[g]++) << s.control;
        EXPECT_TRUE(EndsWith(s.key, std::to_string(s.slot + 1))) << s.key;
        EXPECT_TRUE(EndsWith(s.control, "_" + std::to_string(s.slot + 1))) << s.control;
    }
    for (size_t g = 0; g < kSoundGroupCount; ++g) EXPECT_EQ(next[g], kSoundSlots[g]) << g;
}

}  // namespace
