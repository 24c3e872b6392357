// The texts a package holds, pinned byte for byte by expectations written out by hand from
// the rules (not produced by the code under test).
#include <gtest/gtest.h>

#include "mods/PackageTexts.h"

namespace {

std::vector<QSSoundData> Slots(std::initializer_list<const char*> resolved) {
    std::vector<QSSoundData> slots;
    for (const char* r : resolved) slots.push_back({r, r});
    return slots;
}

TEST(PackageTexts, ObjectIniFoldsTheSessionIntoTheSourceFile) {
    const std::vector<IniSourceSection> source = {
        {"ObjectData",
         {{"ProperName", "Archer"}, {"DeathSound1", "zeta.wav"}, {"DeathSound2", "alpha.wav"},
          {"OverwriteColor", "2"}, {"Technology", "None"}, {"Captain", "none"}}},
        {"ElementBonus", {{"Old", "1"}}},
        {"BuildHierarchy",
         {{"Component2", "wall"}, {"Component1", "Forge"}, {"Component3", "Unknown"}, {"Component5", "Moat"}, {"Race", "Any"}}},
        {"Attack1", {{"Sound1", "x.wav"}, {"Damage", "5"}}},
        {"PlayerColors", {{"Color_9_shade_1", "1,2,3"}, {"Color_9_min", "0,0,0"}}},
    };
    // In the change list's order: section, then key.
    const std::vector<ObjectIniChange> changes = {
        {"BuildHierarchy", "Gate", "On"}, {"BuildHierarchy", "Wall", "Off"}, {"Ghost", "Key", "1"},
        {"ObjectData", "Armor", "3"},     {"ObjectData", "OverwriteColor", "Gold"},
        {"ObjectData", "Spell0", "None"}, {"PlayerColors", "Color_9_min", "9,9,9"},
    };
    const std::vector<QSBonusPair> element = {{"Fearless", "1"}, {"Berserk", "1.5"}};
    const std::vector<QSBonusPair> support1 = {{"Rally", "2.0"}};
    // Moat comes after a gap in the numbers: the editor never loaded it, so it is not required.
    const std::vector<std::string> components = {"Forge", "Gate", "Moat", "Wall"};

    ObjectIniInput in;
    in.source = source;
    in.changes = changes;
    in.bonuses[0] = element;
    in.bonuses[5] = support1;
    in.sounds[0] = Slots({"alpha.wav", "zeta.wav"});
    in.sounds[1] = Slots({"sel.wav", "", "", "", ""});
    in.sounds[3] = Slots({"x.wav", ""});
    in.componentNames = components;

    EXPECT_EQ(WriteObjectIniText(in),
              "[ElementBonus]\n"
              "Fearless=1\n"
              "Berserk=1.5\n"
              "[SupportBonus1]\n"
              "Rally=2.0\n"
              "[ObjectData]\n"
              "DeathSound1=alpha.wav\n"
              "DeathSound2=zeta.wav\n"
              "SelectionSound1=sel.wav\n"
              "ProperName=Archer\n"
              "OverwriteColor=9\n"
              "Armor=3\n"
              "[ElementBonus]\n"
              "[BuildHierarchy]\n"
              "Component1=Forge\n"
              "Component2=Gate\n"
              "Race=Any\n"
              "[Attack1]\n"
              "Sound1=x.wav\n"
              "Damage=5\n"
              "[PlayerColors]\n"
              "Color_9_min=9,9,9\n"
              "[Ghost]\n"
              "Key=1\n");
}

// Edits of sections the file lacks are not lost: the sections follow the file's, in the order
// their contents come up (sounds, components, then the changes), and a section is added only
// for lines that are written.
TEST(PackageTexts, SectionsTheFileLacksFollowItsOwn) {
    const std::vector<IniSourceSection> source = {{"ObjectData", {{"Defense", "4"}}}};
    const std::vector<ObjectIniChange> changes = {
        {"Attack2", "Damage", "12"},         {"BuildHierarchy", "Forge", "On"}, {"BuildHierarchy", "Gate", "Off"},
        {"BuildHierarchy", "Technology", "Masonry"}, {"BuildHierarchy", "Wall", "On"},
        {"ElementBonus", "Fearless", "1"},   {"SpellData", "Spell0", "None"},
    };
    const std::vector<std::string> components = {"Forge", "Gate", "Wall"};
    ObjectIniInput in;
    in.source = source;
    in.changes = changes;
    in.componentNames = components;
    in.sounds[4] = Slots({"clang.wav", ""});
    EXPECT_EQ(WriteObjectIniText(in),
              "[ObjectData]\nDefense=4\n"
              "[Attack2]\nSound1=clang.wav\nDamage=12\n"
              "[BuildHierarchy]\nComponent1=Forge\nComponent2=Wall\nTechnology=Masonry\n");
}

TEST(PackageTexts, KeysLeftOutAndColoursWrittenAsNumbers) {
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        bool skipped;
    };
    const Case cases[] = {
        {"BuildHierarchy", "Technology", "None", true}, {"UnitData", "captain", "NONE", true},
        {"BaseData", "MilitiaType", "None", true},      {"BaseData", "MilitiaType2", "None", true},
        {"BaseData", "NextLevel", "None", true},        {"SpellData2", "Spell1", "None", true},
        {"BaseData", "NextLevel", "Keep", false},       {"UnitData", "Type", "None", false},
        {"ObjectData", "DeathSound7", "a.wav", true},   {"ObjectData", "selectionsound1", "", true},
        {"Attack2", "Sound1", "a.wav", true},           {"ObjectData", "Sound1", "a.wav", false},
        {"PlayerColors", "Color_9_shade_12", "1", true}, {"PlayerColors", "Color_8_shade_1", "1", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SkipKeyOnWrite(c.section, c.key, c.value), c.skipped) << c.section << "/" << c.key << "=" << c.value;
    }

    const std::pair<const char*, const char*> colours[] = {
        {"Player", "-1"}, {"red", "0"}, {"Brown", "7"}, {"Mod", "8"}, {"GOLD", "9"}, {"Silver", "10"}, {"Pink", "Pink"}, {"3", "3"}};
    for (const auto& [value, written] : colours) EXPECT_EQ(TranslateOverwriteColor("OverwriteColor", value), written) << value;
    EXPECT_EQ(TranslateOverwriteColor("Faction", "Gold"), "Gold");
}

TEST(PackageTexts, SoundValuesAndTheirOrder) {
    const SampleExists game = [](const std::string& name) { return name == "Audio\\roar.wav"; };
    EXPECT_EQ(ResolveSoundValue("roar.wav", game), "roar.wav");
    EXPECT_EQ(ResolveSoundValue("C:\\sounds\\roar2.wav", game), "Mod\\roar2.wav");
    EXPECT_EQ(ResolveSoundValue("/home/maren/wav/bell.wav", game), "Mod\\bell.wav");
    EXPECT_EQ(ResolveSoundValue("D:bell.wav", game), "Mod\\bell.wav");

    std::vector<QSSoundData> slots = Slots({"", "Zeta.wav", "alpha.wav", "", "Mod\\b.wav"});
    SortSoundSlots(slots);
    std::vector<std::string> order;
    for (const QSSoundData& s : slots) order.push_back(s.resolved);
    EXPECT_EQ(order, (std::vector<std::string>{"alpha.wav", "Mod\\b.wav", "Zeta.wav", "", ""}));
}

TEST(PackageTexts, ModInfoIsNineLinesEvenWhenEmpty) {
    ModIdentity id;
    id.twoCharacterId = "IT";
    id.savedVersion = "1.2.0.1";
    id.gameVersion = "DSC 1.0.3";
    id.programVersion = "1.0.7.0";
    EXPECT_EQ(WriteModInfoText(id),
              "[ModInfo]\r\nTwoCharacterIdentifier=IT\r\nVersion=1.2.0.1\r\nAuthor=\r\nAuthor_www=\r\n"
              "Author_email=\r\nDravikVersion=DSC 1.0.3\r\nBrixVersion=1.0.7.0\r\nComments=\r\n");
    id.author = "Maren Holt";
    id.comments = "Two lines\r\nof comments.";
    const std::string text = WriteModInfoText(id);
    EXPECT_NE(text.find("\r\nAuthor=Maren Holt\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\nComments=Two lines\r\nof comments.\r\n"));
}

TEST(PackageTexts, ChangeLogPutsTheNewBlockFirstAndEndsInACountedZero) {
    const std::vector<ChangeLogLine> lines = {
        {"Pike", "Pikeman", "Defense:", "10", "12"},
        {"Components", "Forge", "Gold Cost:", "100", "120"},
    };
    std::string expected =
        "Version 1.0.0.2:\r\n"
        "Changed Pike(Pikeman) Defense: from 10 to 12.\r\n"
        "Changed Components(Forge) Gold Cost: from 100 to 120.\r\n"
        "\r\n"
        "Version 1.0.0.1:\r\n\r\n";
    expected += '\0';
    EXPECT_EQ(WriteModChangesText("1.0.0.2", lines, "Version 1.0.0.1:\r\n\r\n"), expected);

    std::string empty = "Version 0.0.0.1:\r\n\r\n";
    empty += '\0';
    EXPECT_EQ(WriteModChangesText("0.0.0.1", {}, ""), empty);
}

}  // namespace
