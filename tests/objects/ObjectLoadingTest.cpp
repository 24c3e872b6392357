#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/QSINIFile.h"
#include "core/QSLocalization.h"
#include "objects/CatalogueFixture.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// Every loading rule of a unit, in one file.
const char* kRulesUnit =
    "[ObjectData]\n"
    "ProperName=Iron Warden\n"
    "OverwriteColor=5\n"
    "UpkeepStone=2.5\n"
    "UpkeepWood= -3x\n"
    "UpkeepIron=abc\n"
    "DeathSound2=b_death.wav\n"
    "SelectionSound1=Zeta.wav\n"
    "SelectionSound3=alpha.wav\n"
    "SelectionSound4=Beta.wav\n"
    "[UnitData]\n"
    "Type=CAPTAIN\n"
    "Captain=IRON captain\n"
    "[Attack1]\n"
    "AttackType=MELEE\n"
    "DamageType=vorpal\n"
    "MoraleType=HOLY\n"
    "MoraleDamageType=Unholy\n"
    "Sound1=swing.wav\n"
    "[Attack2]\n"
    "AttackType=0\n"
    "[Level2]\n"
    "MaxHitPoints=240\n"
    "[ElementBonus]\n"
    "Zed=1\n"
    "alpha=2\n"
    "Mid=\n"
    "[SupportBonus3]\n"
    "Only=7\n"
    "[BuildHierarchy]\n"
    "Component1=Forge\n"
    "Component2=Kiln\n"
    "Component4=Beyond The Gap\n"
    "Technology=Smithing\n";

TEST_F(CatalogueTest, UnitFieldsFollowTheirLoadingRules) {
    Mount({Unit("Warden.ini", kRulesUnit)});
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    const QSObjectData& u = *Loaded(kViewUnits, true, "Warden");

    EXPECT_EQ(u.ProperName(), "Iron Warden");
    EXPECT_EQ(u.resourceName, "Data\\ObjectData\\units\\Warden.ini");
    EXPECT_EQ(u.sourceResourceName, u.resourceName);
    struct Case {
        int row;
        const char* expected;
    };
    for (const Case& c : std::initializer_list<Case>{
             {24, "Purple"},        // OverwriteColor 5
             {60, "2"},             // a fractional upkeep keeps its integer part
             {61, "-3"},            // white space and sign, digits up to the first other
             {62, "0"},             // no digits
             {63, "0"},             // absent upkeep
             {55, "Captain"},       // CAPTAIN in capitals
             {58, "Iron captain"},  // each word keeps its first letter; lower case stays
             {84, "Melee"},
             {90, "vorpal"},
             {92, "Holy"},    // morale type is read from MoraleType
             {94, "None"},    // a switched-off second attack
             {97, "Normal"},  // defaults of absent keys
             {99, "Normal"},
             {50, "50.0"},
             {51, "240"},  // Level2 is row 51
             {52, ""},
             {54, "10"},
             {56, "15.0"},
             {59, "0.85"},
             {64, "35"},
             {76, "None"},
             {93, "0.5"},
             {101, "Any"},
             {102, "None"},
             {103, "Smithing"},
             {104, "Any"},
             {6, ""},   // a global row is not a unit's
             {15, ""},  // nor is a component row
         }) {
        EXPECT_EQ(u.Value(c.row), c.expected) << "row " << c.row;
    }
}

TEST_F(CatalogueTest, SoundSlotsAreSortedWithEmptySlotsLast) {
    Mount({Unit("Warden.ini", kRulesUnit)});
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    const QSObjectData& u = *Loaded(kViewUnits, true, "Warden");
    auto entered = [&](SoundGroup g) {
        std::vector<std::string> v;
        for (std::string_view s : u.Sounds(g)) v.emplace_back(s);
        return v;
    };
    EXPECT_THAT(entered(SoundGroup::Death), ElementsAre("b_death.wav", ""));
    EXPECT_THAT(entered(SoundGroup::Selection),
                ElementsAre("alpha.wav", "Beta.wav", "Zeta.wav", "", ""));
    EXPECT_THAT(entered(SoundGroup::Command), ElementsAre("", "", "", ""));
    EXPECT_THAT(entered(SoundGroup::Attack1), ElementsAre("swing.wav", ""));
    EXPECT_THAT(entered(SoundGroup::Attack2), ElementsAre("", ""));
}

TEST_F(CatalogueTest, BonusSectionsFillBothListsSortedByKeyAndComponentsStopAtTheFirstGap) {
    Mount({Unit("Warden.ini", kRulesUnit)});
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    const QSObjectData& u = *Loaded(kViewUnits, true, "Warden");
    auto pairs = [&](int list) {
        std::vector<std::string> v;
        for (const QSBonusPair& p : u.BonusList(static_cast<size_t>(list)))
            v.push_back(p.key + "=" + p.value);
        return v;
    };
    EXPECT_THAT(pairs(0), ElementsAre("alpha=2", "Mid=", "Zed=1"));
    EXPECT_EQ(pairs(8), pairs(0));
    EXPECT_THAT(pairs(7), ElementsAre("Only=7"));  // SupportBonus3
    EXPECT_EQ(pairs(15), pairs(7));
    for (int list : {1, 2, 3, 4, 5, 6, 9, 14}) EXPECT_TRUE(pairs(list).empty()) << list;
    EXPECT_THAT(u.Components(), ElementsAre("Forge", "Kiln"));

    // A last line without '=' is a key without a name, and its value cannot be found.
    Mount({Unit("Loose.ini", "[SupportBonus]\nFire=1\nloose")});
    catalogue->LoadObjectKind("units", kKindCodeUnits, false);
    const QSBonusPair& loose = Loaded(kViewUnits, false, "Loose")->BonusList(1).at(0);
    EXPECT_EQ(loose.key, "");
    EXPECT_EQ(loose.value, "NOBONUS");
}

TEST_F(CatalogueTest, ValuesPassThroughTheTranslator) {
    struct Upper : QSTranslator {
        const char* Translate(const char* value) const override {
            return std::string_view(value) == "STRING_1" ? "Vaelor Knight" : value;
        }
    } translator;
    mgr.SetTranslator(&translator);
    Mount({Unit("Knight.ini",
                "[ObjectData]\nProperName=STRING_1\n[UnitData]\nDescription=STRING_1\n")});
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    const QSObjectData& u = *Loaded(kViewUnits, true, "Knight");
    EXPECT_EQ(u.ProperName(), "Vaelor Knight");
    EXPECT_EQ(u.Value(1), "Vaelor Knight");
    mgr.SetTranslator(nullptr);
}

TEST_F(CatalogueTest, OverwriteColorNames) {
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"OverwriteColor=-1\n", "Player"},
        {"", "Player"},
        {"OverwriteColor=5\n", "Purple"},
        {"OverwriteColor=0\n", "Red"},
        {"OverwriteColor=11\n", "Player"},
        {"OverwriteColor=10\n", "Silver"},
        // No colour has these numbers: the text is kept rather than read past the table.
        {"OverwriteColor=12\n", "12"},
        {"OverwriteColor=-2\n", "-2"},
        {"OverwriteColor=99999999999\n", "99999999999"},
    };
    std::vector<TestFile> files;
    for (size_t i = 0; i < std::size(cases); ++i) {
        files.push_back(
            Unit("U" + std::to_string(i) + ".ini", std::string("[ObjectData]\n") + cases[i].line));
    }
    Mount(files);
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(Loaded(kViewUnits, true, "U" + std::to_string(i))->Value(kRowOverwriteColor),
                  cases[i].expected)
            << cases[i].line;
    }
}

// Names are found as the INI lookups find them: letter case and surrounding blanks aside, a
// repeated section header continuing the section, and only in the section the field names.
TEST_F(CatalogueTest, FieldsAreFoundByTheirSectionAndKeyNames) {
    struct Case {
        const char* ini;
        int row;  // 0: the proper name
        const char* expected;
    };
    const Case cases[] = {
        {"[objectdata]\nPROPERNAME=Lower\n", 0, "Lower"},
        {"[ ObjectData ]\n  CostGold  =  12  \n", 54, "12"},
        {"[ObjectData]\nProperName=A\n[UnitData]\nType=Hero\n[OBJECTDATA]\nmaxhitpoints=7\n", 50, "7"},
        {"[Level1]\nProperName=Elsewhere\n", 0, ""},
        {"[Level1]\nMaxHitPoints=3\n[ObjectData]\nMaxHitPoints=4\n", 52, "3"},
        {"[Attack1]\nDamage=1\n[Attack2]\nDamage=2\n", 96, "2"},
        {"[ObjectData]\nCostGold=\n", 54, ""},  // present but empty: no default
        {"[ObjectData]\nCostGol=1\nCostGoldX=2\n", 54, "10"},
        {"[ObjectDataX]\nCostGold=5\n[ObjectData]\n", 54, "10"},
        {"[ObjectData]\nDeathSound1=x\n", 50, "50.0"},  // a sound key fills no row
    };
    std::vector<TestFile> files;
    for (size_t i = 0; i < std::size(cases); ++i)
        files.push_back(Unit("N" + std::to_string(i) + ".ini", cases[i].ini));
    Mount(files);
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QSObjectData& u = *Loaded(kViewUnits, true, "N" + std::to_string(i));
        EXPECT_EQ(cases[i].row == 0 ? u.ProperName() : u.Value(cases[i].row), cases[i].expected)
            << cases[i].ini;
    }
}

TEST_F(CatalogueTest, ComponentKeysAreReadInNumberOrderUntilTheFirstGapOrEmptyValue) {
    struct Case {
        const char* keys;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"component2=B\nComponent01=X\nComponent0=Y\nComponent1=A\nCOMPONENT3=C\nComponent5=E\n",
         {"A", "B", "C"}},
        {"Component1=A\nComponent2=\nComponent3=C\n", {"A"}},
        {"Component2=B\n", {}},
        {"Component1=A\nComponent2 =B\nComponent3=Gone\n", {"A", "B", "Gone"}},
        {"Component1=A\nComponent+2=B\nComponent 2=B\n", {"A"}},
        {"Component1=STRING_9\nComponent2=B\n", {}},  // translated to nothing: stops
    };
    struct Blank : QSTranslator {
        const char* Translate(const char* value) const override {
            return std::string_view(value) == "STRING_9" ? "" : value;
        }
    } translator;
    mgr.SetTranslator(&translator);
    std::vector<TestFile> files;
    for (size_t i = 0; i < std::size(cases); ++i)
        files.push_back(Unit("C" + std::to_string(i) + ".ini",
                             std::string("[BuildHierarchy]\nRace=Any\n") + cases[i].keys));
    Mount(files);
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QSTextList components = Loaded(kViewUnits, true, "C" + std::to_string(i))->Components();
        EXPECT_EQ(std::vector<std::string>(components.begin(), components.end()), cases[i].expected)
            << cases[i].keys;
    }
    mgr.SetTranslator(nullptr);
}

TEST_F(CatalogueTest, ABonusKeyGetsTheValueItsNameLooksUp) {
    // "=blank" is a key named ""; the last line, without '=', a key without a name, which is
    // looked up as "" and so gets the value of the first key named "".
    Mount({Unit("B.ini", "[ElementBonus1]\nAir=3\n[elementbonus]\nFire=1\n=blank\nWater=2\nloose")});
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    const QSObjectData& u = *Loaded(kViewUnits, true, "B");
    auto pairs = [&](size_t list) {
        std::vector<std::string> v;
        for (const QSBonusPair& p : u.BonusList(list)) v.push_back(p.key + "=" + p.value);
        return v;
    };
    EXPECT_THAT(pairs(0), ElementsAre("=blank", "=blank", "Fire=1", "Water=2"));
    EXPECT_THAT(pairs(2), ElementsAre("Air=3"));
    EXPECT_EQ(pairs(8), pairs(0));
}

// A record keeps its texts side by side, with 16-bit starts while they fit and 32-bit ones
// past that: each text reads back whole on either side of the line, and a value set later
// keeps the record's other rows, sounds and components.
TEST(RecordTexts, EveryTextReadsBackWholeWhateverTheirLength) {
    auto file = [](const std::string& description) {
        return "[UnitData]\nDescription=" + description +
               "\n[ObjectData]\nMaxHitPoints=7.5\nDeathSound1=b.wav\nDeathSound2=a.wav\n"
               "[BuildHierarchy]\nComponent1=Forge\nComponent2=Kiln\n";
    };
    auto load = [](const std::string& text) {
        QSINIFile ini;
        ini.LoadText(text);
        QSObjectData record;
        record.LoadFromIni(ini);
        return record;
    };
    const QSObjectData shortRecord = load(file("d"));
    // Every character of the record but the description's.
    size_t others = 0;
    for (int row = 2; row <= kFieldCount; ++row) others += shortRecord.Value(row).size();
    for (size_t g = 0; g < kSoundGroupCount; ++g)
        for (std::string_view s : shortRecord.Sounds(static_cast<SoundGroup>(g))) others += s.size();
    for (std::string_view c : shortRecord.Components()) others += c.size();
    ASSERT_LT(others, 65535u);

    for (size_t length : {size_t{1}, 65535 - others, 65536 - others, size_t{300000}}) {
        std::string description(length, 'x');
        description.back() = 'y';
        QSObjectData record = load(file(description));
        for (int setRow : {0, 50}) {
            if (setRow) record.SetValue(setRow, "9");
            EXPECT_EQ(record.Value(1), description) << length;
            for (int row = 2; row <= kFieldCount; ++row) {
                EXPECT_EQ(record.Value(row), row == setRow ? "9" : shortRecord.Value(row))
                    << length << " row " << row;
            }
            EXPECT_THAT(record.Sounds(SoundGroup::Death), ElementsAre("a.wav", "b.wav")) << length;
            EXPECT_THAT(record.Sounds(SoundGroup::Command), ElementsAre("", "", "", "")) << length;
            EXPECT_THAT(record.Components(), ElementsAre("Forge", "Kiln")) << length;
        }
    }
}

TEST(ObjectRules, NormalizeWordCase) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (const Case& c : std::initializer_list<Case>{{"CAPTAIN", "Captain"},
                                                     {"captain", "captain"},
                                                     {"mIXED CaSe", "mixed Case"},
                                                     {"A\tBC\x1F"
                                                      "DE",
                                                      "A\tBc\x1F"
                                                      "De"},
                                                     {"Game\\WAR_Horn.WAV", "Game\\war_horn.wav"},
                                                     {"", ""},
                                                     {"X", "X"},
                                                     {"\xC4\xD6", "\xC4\xD6"}}) {
        std::string text = c.in;
        NormalizeWordCase(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(ObjectRules, UpkeepIntegerStaysWithinRange) {
    EXPECT_EQ(UpkeepInteger("+7"), "7");
    EXPECT_EQ(UpkeepInteger("99999999999999999999999"), "2147483647");
    EXPECT_EQ(UpkeepInteger("-99999999999999999999999"), "-2147483648");
    EXPECT_EQ(UpkeepInteger("- 3"), "0");
}

TEST_F(CatalogueTest, AbsentKeysGetTheirDefaultsButAnAbsentResourceLeavesEverythingEmpty) {
    Mount({Unit("Bare.ini", "[ObjectData]\nProperName=Bare\n")});
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    const QSObjectData& bare = *Loaded(kViewUnits, true, "Bare");
    for (const FieldDef& f : kFieldTable) {
        if (!(f.kinds & kKindUnits)) continue;
        const std::string expected = f.row == kRowOverwriteColor ? "Player" : f.defaultValue;
        EXPECT_EQ(bare.Value(f), expected) << f.section << "/" << f.key;
    }

    QSObjectData missing;
    missing.LoadFromIni(mgr, "Data\\ObjectData\\units\\Missing.ini");
    EXPECT_EQ(missing.ProperName(), "");
    for (const FieldDef& f : kFieldTable) EXPECT_EQ(missing.Value(f), "") << f.row;
    for (size_t g = 0; g < kSoundGroupCount; ++g)
        EXPECT_TRUE(missing.Sounds(static_cast<SoundGroup>(g)).empty());
    EXPECT_TRUE(missing.Components().empty());
}

TEST_F(CatalogueTest, UniqueNamesComeFromTheFileName) {
    const std::string longName(40, 'L');
    Mount({Unit("Archer.INI", "[ObjectData]\nProperName=B\n"),
           Unit("Scout.inix", "[ObjectData]\nProperName=C\n"),
           Unit(longName + ".ini", "[ObjectData]\nProperName=" + std::string(40, 'P') + "\n"),
           {"Data\\ObjectData\\units\\notes.txt", "[ObjectData]\n", ""},
           {"Data\\ObjectData\\units\\deeper\\Hidden.ini", "[ObjectData]\n", ""},
           {"Data\\ObjectData\\heroes\\Hero.ini", "[ObjectData]\n", ""}});
    EXPECT_EQ(catalogue->LoadObjectKind("units", kKindCodeUnits, true), 3);
    const QSObjectList& units = catalogue->Objects(kViewUnits, true);
    EXPECT_THAT(Names(units), ElementsAre("Archer", "Scout.inix", std::string(31, 'L')));
    EXPECT_EQ(units[2]->ProperName(), std::string(31, 'P'));
    EXPECT_EQ(units[0]->resourceName, "Data\\ObjectData\\units\\Archer.INI");
}

TEST_F(CatalogueTest, EmptyDirectoryReadsNothingWithoutTheWarning) {
    Mount({{"Data\\Settings.ini", "[SimulationSettings]\n", ""}});
    EXPECT_EQ(catalogue->LoadObjectKind("units", kKindCodeUnits, true), 0);
    // With nothing to read, an unknown kind code is never looked at.
    EXPECT_EQ(catalogue->LoadObjectKind("units", 2, true), 0);
    EXPECT_TRUE(catalogue->Objects(kViewUnits, true).Empty());
    const std::string text = log();
    EXPECT_THAT(text, HasSubstr("(INFO) : Read 0 objects.\n"));
    EXPECT_THAT(text, Not(HasSubstr("maximum number")));
}

TEST_F(CatalogueTest, UnknownKindCodeIsFatal) {
    // The fatal path stops the reader thread: the child must have one of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Mount({Unit("A.ini", "[ObjectData]\n")});
    EXPECT_EXIT(catalogue->LoadObjectKind("units", 2, true), ::testing::ExitedWithCode(255),
                "invalid type");
}

// The records are made ahead on a second thread: a duplicate key found there, before its
// file's turn, still ends the program with the message the file's own parse gives, once the
// files listed before it have had their turns, and while the other thread is busy with the
// files after it.
TEST_F(CatalogueTest, DuplicateKeyInALaterFileIsFatalAtItsTurn) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The files are read in the order the manager lists them: the ninth of those gets the
    // key, and the ones after it many bonus keys, to keep the other thread at them.
    const auto listed = [&] {
        std::vector<std::string> names;
        QSFindData data;
        QSResourceSearch* search = mgr.FindFirstResource("Data\\ObjectData\\units\\*.ini", &data, false);
        for (bool more = search != nullptr; more; more = mgr.FindNextResource(search, &data))
            names.push_back(data.fileName);
        if (search) mgr.FindCloseResource(search);
        return names;
    };
    std::vector<TestFile> files;
    for (int i = 10; i < 40; ++i) files.push_back(Unit("U" + std::to_string(i) + ".ini", ""));
    Mount(files);
    const std::vector<std::string> order = listed();
    ASSERT_EQ(order.size(), files.size());
    std::string bonuses = "[ElementBonus]\n";
    for (int k = 0; k < 3000; ++k) bonuses += "Element" + std::to_string(k) + "=" + std::to_string(k) + "\n";
    for (TestFile& file : files) {
        const std::string name = file.name.substr(file.name.rfind('\\') + 1);
        const auto place = std::find(order.begin(), order.end(), name) - order.begin();
        file.content = "[ObjectData]\nProperName=Unit " + name + "\nUpkeepStone=1\n";
        if (place == 8) file.content += "upkeepstone=2\n";
        if (place > 8) file.content += bonuses;
    }
    Mount(files);
    ASSERT_EQ(listed(), order);

    int turns = 0;
    catalogue->SetProgressCallback([&] {
        std::fprintf(stderr, "file %d read\n", ++turns);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the other thread runs ahead
    });
    const std::string message = "Duplicate key upkeepstone in section ObjectData in file "
                                "Data\\\\ObjectData\\\\units\\\\" +
                                order[8].substr(0, order[8].size() - 4) + "\\.ini";
    EXPECT_EXIT(catalogue->LoadObjectKind("units", kKindCodeUnits, true),
                ::testing::ExitedWithCode(255),
                ::testing::AllOf(HasSubstr("file 8 read\n"), Not(HasSubstr("file 9 read")),
                                 ::testing::ContainsRegex(message)));
}

class ObjectLimit : public CatalogueTest, public ::testing::WithParamInterface<int> {};

TEST_P(ObjectLimit, AtMost1023ObjectsOfAKindAreRead) {
    const int present = GetParam();
    std::vector<TestFile> files;
    for (int i = 0; i < present; ++i)
        files.push_back(Unit("U" + std::to_string(i) + ".ini", "[ObjectData]\nProperName=x\n"));
    Mount(files);
    int progress = 0;
    catalogue->SetProgressCallback([&] { ++progress; });
    const int read = catalogue->LoadObjectKind("units", kKindCodeUnits, false);
    EXPECT_EQ(read, std::min(present, 1023));
    EXPECT_EQ(progress, read);
    EXPECT_EQ(catalogue->Objects(kViewUnits, false).Count(), static_cast<uint32_t>(read));
    const std::string text = log();
    EXPECT_THAT(text, HasSubstr("Read " + std::to_string(read) + " objects.\n"));
    const bool warned =
        text.find("(NOTE) : WARNING: read in the maximum number of object types\n") !=
        std::string::npos;
    EXPECT_EQ(warned, present >= 1023);
}

INSTANTIATE_TEST_SUITE_P(Counts, ObjectLimit, ::testing::Values(1022, 1023, 1025));

TEST_F(CatalogueTest, ListsAreSortedByProperNameThenUniqueName) {
    Mount({Unit("c.ini", "[ObjectData]\nProperName=beta\n"),
           Unit("B.ini", "[ObjectData]\nProperName=Alpha\n"),
           Unit("a.ini", "[ObjectData]\nProperName=Beta\n"),
           Unit("d.ini", "[ObjectData]\nProperName=alpha\n")});
    catalogue->LoadObjectKind("units", kKindCodeUnits, true);
    EXPECT_THAT(Names(catalogue->Objects(kViewUnits, true)), ElementsAre("B", "d", "a", "c"));

    // The working list follows the comparator the view has chosen.
    catalogue->SetWorkingComparator([](const QSObjectData* x, const QSObjectData* y) {
        return -CompareNames(x->UniqueName(), y->UniqueName());
    });
    catalogue->LoadObjectKind("units", kKindCodeUnits, false);
    EXPECT_THAT(Names(catalogue->Objects(kViewUnits, false)), ElementsAre("d", "c", "B", "a"));
}

TEST_F(CatalogueTest, ObjectsFromTheModPackageAreMarked) {
    Mount({Unit("Kept.ini", "[ObjectData]\nProperName=Kept\nMaxHitPoints=10\n"),
           Unit("Changed.ini", "[ObjectData]\nProperName=Changed\nMaxHitPoints=10\n"),
           {"Data\\ObjectData\\heroes\\Hero.ini", "[ObjectData]\nProperName=Hero\n", ""}},
          {Unit("changed.ini", "[ObjectData]\nProperName=Changed\nMaxHitPoints=99\n"),
           Unit("Added.ini", "[ObjectData]\nProperName=Added\n")});
    MountGameOnly();
    catalogue->LoadAllObjects(true);
    MountWithMod();
    catalogue->LoadAllObjects(false);

    EXPECT_THAT(Names(catalogue->Objects(kViewUnits, true)), ElementsAre("Changed", "Kept"));
    EXPECT_EQ(Loaded(kViewUnits, true, "Changed")->changeState, kUnchanged);
    EXPECT_EQ(Loaded(kViewUnits, true, "Changed")->Value(50), "10");
    const QSObjectList& working = catalogue->Objects(kViewUnits, false);
    ASSERT_EQ(working.Count(), 3u);
    for (const QSObjectData* r : working) {
        const bool fromMod = r->ProperName() != "Kept";
        EXPECT_EQ(r->changeState, fromMod ? kSuppliedByMod : kUnchanged) << r->UniqueName();
        if (r->ProperName() == "Changed") {
            EXPECT_EQ(r->Value(50), "99");
        }
    }
    EXPECT_THAT(Names(catalogue->Objects(kViewHeroes, false)), ElementsAre("Hero"));
    EXPECT_TRUE(catalogue->Objects(kViewBuildings, false).Empty());
}

// The working pass follows the files and the translation as they are when it runs, however
// the retail pass found them: a game file changed in between (to a text of the same length),
// a package replacing the localisation, another translator.
TEST_F(CatalogueTest, TheWorkingPassReadsTheFilesAndTranslationsOfItsOwnMount) {
    QSLocalization table;
    const std::string strings = "Data\\Localized\\Strings_01.ini";
    auto localisation = [&](const char* display) -> TestFile {
        return {strings, std::string("#Language=English\n1\t2\t3\tKnight\t") + display + "\t\n", ""};
    };
    auto unit = [](const char* name, const char* hitPoints) {
        return Unit(name, std::string("[ObjectData]\nProperName=Knight\nMaxHitPoints=") + hitPoints +
                              "\n[ElementBonus]\nFire=1\n[BuildHierarchy]\nComponent1=Forge\n");
    };
    auto pass = [&](bool retail, const QSTranslator* translator) {
        mgr.SetTranslator(translator);
        table.LoadLocalization(mgr);
        catalogue->DeleteAllObjects(retail);
        catalogue->LoadObjectKind("units", kKindCodeUnits, retail);
    };
    auto shown = [&](const char* unique) {
        const QSObjectData& u = *Loaded(kViewUnits, false, unique);
        EXPECT_THAT(u.Components(), ElementsAre("Forge")) << unique;
        EXPECT_EQ(u.BonusList(0).size(), 1u) << unique;
        return u.ProperName() + "/" + std::string(u.Value(50));
    };
    const TestFile kept = unit("Kept.ini", "10");

    Mount({localisation("Vaelor Knight"), kept, unit("Changed.ini", "10")});
    pass(true, &table);
    Mount({localisation("Vaelor Knight"), kept, unit("Changed.ini", "99")});
    pass(false, &table);
    EXPECT_EQ(shown("Kept"), "Vaelor Knight/10");
    EXPECT_EQ(shown("Changed"), "Vaelor Knight/99");
    EXPECT_EQ(Loaded(kViewUnits, true, "Changed")->Value(50), "10");

    Mount({localisation("Vaelor Knight"), kept}, {localisation("Iron Knight")});
    MountGameOnly();
    pass(true, &table);
    MountWithMod();
    pass(false, &table);
    EXPECT_EQ(shown("Kept"), "Iron Knight/10");
    EXPECT_EQ(Loaded(kViewUnits, false, "Kept")->changeState, kUnchanged);

    // A mount's INI files keep the translator they were made with: each pass mounts anew.
    MountGameOnly();
    pass(true, &table);
    MountGameOnly();
    pass(false, nullptr);
    EXPECT_EQ(shown("Kept"), "Knight/10");
    MountGameOnly();
    pass(true, nullptr);
    MountGameOnly();
    pass(false, &table);
    EXPECT_EQ(shown("Kept"), "Vaelor Knight/10");
    mgr.SetTranslator(nullptr);
}

const char* kSettings = "[SimulationSettings]\nResourceMultiplier=1.5\nMinimumDamage=2\n";
const char* kColors =
    "[PlayerColors]\nColor_9_shade_1=\nColor_9_min=0x101010\nColor_9_shade_32=0xF0F0F0\nColor_9_"
    "max=0x808080\n"
    "[SimulationSettings]\nResourceMultiplier=7\n";

TEST_F(CatalogueTest, GlobalSettingsAreTwoFixedRecords) {
    Mount({{"Data\\Settings.ini", kSettings, ""}, {"Data\\Colors.ini", kColors, ""}},
          {{"Data\\Colors.ini", kColors, ""}});
    catalogue->LoadGlobalObjects(false);
    const QSObjectList& global = catalogue->Objects(kViewGlobal, false);
    ASSERT_EQ(global.Count(), 2u);
    const QSObjectData& settings = *global[0];
    const QSObjectData& colors = *global[1];

    EXPECT_EQ(settings.UniqueName(), "Settings");
    EXPECT_EQ(settings.ProperName(), "Settings");
    EXPECT_EQ(settings.resourceName, "Data\\Settings.ini");
    EXPECT_EQ(settings.changeState, kUnchanged);
    EXPECT_EQ(settings.Value(6), "1.5");
    EXPECT_EQ(settings.Value(7), "");
    EXPECT_EQ(settings.Value(12), "2");
    EXPECT_EQ(settings.Value(13), "0x101010");  // shade_1 is empty: the min key is read
    EXPECT_EQ(settings.Value(14), "0xF0F0F0");
    EXPECT_EQ(settings.Value(50), "");
    for (size_t g = 0; g < kSoundGroupCount; ++g)
        EXPECT_TRUE(settings.Sounds(static_cast<SoundGroup>(g)).empty());

    EXPECT_EQ(colors.UniqueName(), "Colors");
    EXPECT_EQ(colors.resourceName, "Data\\Colors.ini");
    EXPECT_EQ(colors.changeState, kSuppliedByMod);
    EXPECT_EQ(colors.Value(6), "");
    EXPECT_EQ(colors.Value(13), "0x101010");
    EXPECT_EQ(colors.Value(14), "0xF0F0F0");
}

TEST_F(CatalogueTest, MissingGlobalFilesGiveEmptyRecords) {
    Mount({Unit("A.ini", "[ObjectData]\n")});
    catalogue->LoadAllObjects(true);
    const QSObjectList& global = catalogue->Objects(kViewGlobal, true);
    ASSERT_EQ(global.Count(), 2u);
    for (int row = 6; row <= 14; ++row) EXPECT_EQ(global[0]->Value(row), "") << row;
    EXPECT_TRUE(catalogue->Objects(kViewComponents, true).Empty());
}

const char* kComponents =
    "[Tower]\nProperName=Watch Tower\nGoldCost=120\nBuildTime=30\n"
    "[armory]\nProperName=Armory\nSellPrice=40\n"
    "[Town BONUSES]\nGoldCost=1\n"
    "[Component_With_A_32_Char_Name_XY]\nProperName=Long\n";

TEST_F(CatalogueTest, ComponentsAreTheSectionsOfTheSharedResource) {
    Mount({{"data\\objectdata\\components.ini", kComponents, ""}},
          {{"Data\\ObjectData\\Components.ini",
            "[Tower]\nProperName=Watch Tower\nGoldCost=99\n[Added]\nGoldCost=5\n", ""}});
    MountGameOnly();
    catalogue->LoadComponents(true);
    EXPECT_THAT(catalogue->ComponentNames(),
                ElementsAre("armory", "Component_With_A_32_Char_Name_XY", "Tower"));
    const QSObjectList& retail = catalogue->Objects(kViewComponents, true);
    EXPECT_THAT(Names(retail), ElementsAre("armory", "Component_With_A_32_Char_Name_X", "Tower"));
    const QSObjectData& tower = *retail[2];
    EXPECT_EQ(tower.ProperName(), "Watch Tower");
    EXPECT_EQ(tower.resourceName, kComponentsResource);
    EXPECT_EQ(tower.Value(15), "120");
    EXPECT_EQ(tower.Value(22), "30");
    EXPECT_EQ(tower.Value(16), "");
    EXPECT_EQ(retail[0]->Value(16), "40");
    EXPECT_EQ(tower.changeState, kUnchanged);

    // The working pass keeps the retail names: a section only the mod has is not listed.
    MountWithMod();
    catalogue->LoadComponents(false);
    const QSObjectList& working = catalogue->Objects(kViewComponents, false);
    EXPECT_THAT(Names(working), ElementsAre("armory", "Component_With_A_32_Char_Name_X", "Tower"));
    EXPECT_EQ(working[2]->Value(15), "99");
    EXPECT_EQ(working[0]->Value(16), "");
    EXPECT_EQ(working[2]->changeState, kSuppliedByMod);
}

TEST_F(CatalogueTest, SideListsAreReadAndSorted) {
    Mount({{"data\\bonus.ini",
            "[Zeal]\nname1=Zeal\nname2=of Zeal\naction=multiply\n[armor]\nname1=Armor\n", ""},
           {"data\\spells.ini", "[0]\nname=Fireball\n[1]\nname=blink\n[3]\nname=Unreachable\n", ""},
           {"data\\spells_at.ini", "[0]\nname=Ash Rain\n", ""},
           {"data\\technology.ini",
            "[TechnologyData]\nTechnology0=Smithing\nTechnology1=\nTechnology2=Lost\n", ""},
           {"data\\technology_at.ini", "[TechnologyData]\nTechnology0=alchemy\n", ""},
           {"Audio\\Game\\WAR_Horn.wav", "RIFF", ""},
           {"Audio\\Game\\bell.WAV", "RIFF", ""},
           {"Audio\\Spells\\ash.wav", "RIFF", ""},
           {"Audio\\Other\\skip.wav", "RIFF", ""}});
    catalogue->LoadBonusDefinitions();
    catalogue->LoadSpellNames();
    catalogue->LoadTechnologyNames();
    catalogue->LoadSampleNames();

    const auto& bonuses = catalogue->BonusDefinitions();
    ASSERT_EQ(bonuses.size(), 2u);
    EXPECT_EQ(bonuses[0].name, "armor");
    EXPECT_EQ(bonuses[0].name1, "Armor");
    EXPECT_EQ(bonuses[0].name2, "");
    EXPECT_EQ(bonuses[0].action, "");
    EXPECT_EQ(bonuses[1].name2, "of Zeal");
    EXPECT_EQ(bonuses[1].action, "multiply");
    EXPECT_THAT(catalogue->SpellNames(), ElementsAre("Ash Rain", "blink", "Fireball"));
    EXPECT_THAT(catalogue->TechnologyNames(), ElementsAre("alchemy", "None", "Smithing"));
    EXPECT_THAT(catalogue->SampleNames(),
                ElementsAre("Game\\bell.wav", "Game\\war_horn.wav", "Spells\\ash.wav"));
    EXPECT_EQ(catalogue->FindSampleName("GAME\\WAR_HORN.WAV"), 1);
    EXPECT_EQ(catalogue->FindSampleName("Other\\Skip.wav"), -1);

    const std::string text = log();
    EXPECT_THAT(text, HasSubstr("(INFO) : Loading bonuses from data\\bonus.ini\n"));
    EXPECT_THAT(text, HasSubstr("(INFO) : Loaded 2 bonuses.\n"));
    EXPECT_THAT(text, HasSubstr("(INFO) : Processing spell file: data\\spells_at.ini\n"));
    EXPECT_THAT(text, HasSubstr("(INFO) : Processing technology file: data\\technology.ini\n"));
}

TEST_F(CatalogueTest, MissingSideFilesGiveEmptyListsButNone) {
    Mount({Unit("A.ini", "[ObjectData]\n")});
    catalogue->LoadBonusDefinitions();
    catalogue->LoadSpellNames();
    catalogue->LoadTechnologyNames();
    catalogue->LoadSampleNames();
    EXPECT_TRUE(catalogue->BonusDefinitions().empty());
    EXPECT_TRUE(catalogue->SpellNames().empty());
    EXPECT_THAT(catalogue->TechnologyNames(), ElementsAre("None"));
    EXPECT_TRUE(catalogue->SampleNames().empty());
    // Loading again replaces rather than appends.
    catalogue->LoadTechnologyNames();
    EXPECT_THAT(catalogue->TechnologyNames(), ElementsAre("None"));
}

TEST_F(CatalogueTest, DeleteAllObjectsFreesOnePass) {
    Mount({Unit("A.ini", "[ObjectData]\n"),
           {"data\\objectdata\\components.ini", kComponents, ""},
           {"Data\\Settings.ini", kSettings, ""}});
    catalogue->LoadAllObjects(true);
    catalogue->LoadAllObjects(false);
    catalogue->SelectView(kViewUnits);
    ASSERT_EQ(catalogue->ViewList().Count(), 1u);

    catalogue->DeleteAllObjects(false);
    for (int v = 0; v < kViewCount; ++v) EXPECT_TRUE(catalogue->Objects(v, false).Empty()) << v;
    for (int v : {kViewUnits, kViewGlobal, kViewComponents})
        EXPECT_FALSE(catalogue->Objects(v, true).Empty()) << v;
    EXPECT_TRUE(catalogue->ViewList().Empty());
    EXPECT_EQ(catalogue->ViewRetailList().Count(), 1u);
    EXPECT_TRUE(catalogue->ComponentNames().empty());

    catalogue->DeleteAllObjects(true);
    for (int v = 0; v < kViewCount; ++v) EXPECT_TRUE(catalogue->Objects(v, true).Empty()) << v;
    EXPECT_TRUE(catalogue->ViewRetailList().Empty());
    EXPECT_THAT(log(), HasSubstr("(INFO) : Successfully deleted all objects.\n"));
}

}  // namespace
