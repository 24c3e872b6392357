// The installations: they open as the editor opens them, and their data holds every case the
// editor's loading has to handle.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "SampleGame.h"
#include "core/HashName.h"
#include "resources/QSStreamFile.h"
#include "support/Archives.h"

using ::testing::Contains;
using ::testing::IsSupersetOf;

namespace {

namespace fs = std::filesystem;

// The header bytes an archive fills with random bits (and the checksum over them).
bool RandomHeaderByte(size_t i) {
    return (i >= 0x04 && i < 0x08) || (i >= 0x10 && i < 0x14) || (i >= 0x18 && i < 0x24) || (i >= 0x2C && i < 0x38) ||
           (i >= 0x58 && i < 0x5C);
}

bool IsArchive(const std::string& name) {
    return name.size() > 4 && (name.ends_with(".qsw") || name.ends_with(".qsx"));
}

// Everything but the random header bytes of archives.
std::string Comparable(const fs::path& file) {
    std::string bytes = ReadFile(file);
    if (IsArchive(file.filename().string())) {
        for (size_t i = 0; i < std::min<size_t>(bytes.size(), kHeaderSize); ++i) {
            if (RandomHeaderByte(i)) bytes[i] = 0;
        }
    }
    return bytes;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The editor's word-case rule for one word: the first letter stays, the rest is lower case.
std::string WordCase(const std::string& s) { return s.empty() ? s : s.substr(0, 1) + Lower(s.substr(1)); }

bool HasSection(QSINIFile& ini, const char* section) {
    for (const char* s = ini.FirstSection(); s; s = ini.NextSection()) {
        if (Lower(s) == Lower(section)) return true;
    }
    return false;
}

std::vector<std::string> Sections(QSINIFile& ini) {
    std::vector<std::string> out;
    for (const char* s = ini.FirstSection(); s; s = ini.NextSection()) out.push_back(s);
    return out;
}

std::vector<std::pair<std::string, std::string>> Keys(QSINIFile& ini, const std::string& section) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const QSINIKey* k = ini.FirstKeyRecord(section.c_str()); k; k = ini.NextKeyRecord(section.c_str())) {
        if (k->name) out.emplace_back(k->name, k->value);
    }
    return out;
}

// Every unit, hero and building of an opened installation, parsed without translation.
struct ObjectFiles {
    std::map<std::string, std::unique_ptr<QSINIFile>> units, heroes, buildings;

    explicit ObjectFiles(OpenedInstallation& game) {
        for (const std::string& n : game.Objects("units")) units[n] = game.Raw(n);
        for (const std::string& n : game.Objects("heroes")) heroes[n] = game.Raw(n);
        for (const std::string& n : game.Objects("buildings")) buildings[n] = game.Raw(n);
    }
    // Every object file, for checks over all kinds.
    std::vector<std::pair<std::string, QSINIFile*>> All() const {
        std::vector<std::pair<std::string, QSINIFile*>> all;
        for (const auto* kind : {&units, &heroes, &buildings}) {
            for (const auto& [name, ini] : *kind) all.emplace_back(name, ini.get());
        }
        return all;
    }
    static std::string Title(const std::string& name) {
        std::string t = name.substr(name.rfind('\\') + 1);
        return t.substr(0, t.rfind('.'));
    }
};

class SampleInstallation : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        run = RunSampleGame({"--edition", GetParam(), "--out", dir.path().string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        game = std::make_unique<OpenedInstallation>(dir.path());
        objects = std::make_unique<ObjectFiles>(*game);
    }
    bool Dat() const { return std::string(GetParam()) == "dat"; }

    TempDir dir;
    ToolRun run;
    std::unique_ptr<OpenedInstallation> game;
    std::unique_ptr<ObjectFiles> objects;
};

TEST_P(SampleInstallation, ArchivesPassTheReadersChecksAndCarryTheirChecksum) {
    for (const std::string& name : FilesIn(dir.path())) {
        if (!IsArchive(name)) continue;
        EXPECT_EQ(QSStreamFile::Check((dir / name).string()), "") << name;
        EXPECT_EQ(XorWords(ReadFile(dir / name)), 0u) << name;
    }
    EXPECT_TRUE(fs::exists(dir / (Dat() ? "Dravik_AT.exe" : "Dravik.exe")));
}

TEST_P(SampleInstallation, EditorSeesTheDemoCounts) {
    EXPECT_EQ(objects->units.size(), 60u);
    EXPECT_EQ(objects->heroes.size(), 20u);
    EXPECT_EQ(objects->buildings.size(), 30u);
    std::unique_ptr<QSINIFile> components = game->Raw("data\\objectdata\\components.ini");
    int count = 0, bonuses = 0;
    for (const std::string& s : Sections(*components)) (Lower(s).find("bonuses") == std::string::npos ? count : bonuses)++;
    EXPECT_EQ(count, 15);
    EXPECT_EQ(bonuses, 1);
    EXPECT_EQ(game->Find("Audio\\Game\\*.wav").size() + game->Find("Audio\\Spells\\*.wav").size(), 20u);
}

TEST_P(SampleInstallation, LocalisationTranslatesEveryNameAndDescription) {
    EXPECT_EQ(game->loc.Language(), "English");
    int references = 0, sourceTexts = 0, lineBreaks = 0;
    for (const auto& [name, ini] : objects->All()) {
        for (auto [section, key] : {std::pair{"ObjectData", "ProperName"}, std::pair{"UnitData", "Description"},
                                    std::pair{"HeroData", "TranslatedName"}}) {
            const char* raw = ini->FindValue(section, key);
            if (!raw && std::string(key) == "ProperName") ADD_FAILURE() << name << " has no proper name";
            if (!raw) continue;
            const std::string shown = game->loc.Translate(raw);
            EXPECT_FALSE(shown.empty()) << name << " " << key;
            EXPECT_NE(shown.rfind("STRING_", 0), 0u) << name << " " << key << " = " << raw;
            references += std::strncmp(raw, "STRING_", 7) == 0;
            sourceTexts += std::strncmp(raw, "STRING_", 7) != 0 && shown != raw;
            lineBreaks += shown.find('\n') != std::string::npos;
        }
    }
    EXPECT_GT(references, 100);
    EXPECT_GE(sourceTexts, 2);
    EXPECT_GE(lineBreaks, 1);
}

// Every value field of the editor's field table appears in the data.
TEST_P(SampleInstallation, EveryFieldOfTheEditorAppears) {
    const std::pair<const char*, const char*> objectFields[] = {
        {"UnitData", "Description"}, {"ObjectData", "Defense"}, {"Level1", "Defense"}, {"Level2", "Defense"},
        {"Level3", "Defense"}, {"ObjectData", "OverwriteColor"}, {"ObjectData", "Faction"}, {"HeroData", "Boss"},
        {"HeroData", "TranslatedName"}, {"HeroData", "AwakenCost"}, {"ObjectData", "Weight"}, {"ObjectData", "Captureable"},
        {"BuildingData", "GoldProduction"}, {"BuildingData", "booty_min"}, {"BuildingData", "booty_max"},
        {"BaseData", "SupplyRange"}, {"BaseData", "ControlRange"}, {"BaseData", "MilitiaStart"}, {"BaseData", "MaxMilitia"},
        {"BaseData", "CompanySize"}, {"BaseData", "CompanyLimit"}, {"BaseData", "MilitiaGrowth"}, {"BaseData", "MilitiaType"},
        {"BaseData", "MilitiaType2"}, {"BaseData", "NextLevel"}, {"SettlementData", "ComponentLimit"},
        {"SettlementData", "ComponentsRequiredToLevel"}, {"SettlementData", "UpgradesRequiredToLevel"},
        {"SettlementData", "UpgradeCost"}, {"SettlementData", "UpgradeTime"}, {"SettlementData", "GoldLimitModifier"},
        {"ObjectData", "MaxHitPoints"}, {"Level2", "MaxHitPoints"}, {"Level1", "MaxHitPoints"}, {"Level3", "MaxHitPoints"},
        {"ObjectData", "CostGold"}, {"UnitData", "Type"}, {"UnitData", "MovementRate"}, {"UnitData", "BannerFrame"},
        {"UnitData", "Captain"}, {"UnitData", "WalkDistance"}, {"ObjectData", "UpkeepStone"}, {"ObjectData", "UpkeepWood"},
        {"ObjectData", "UpkeepIron"}, {"ObjectData", "UpkeepMana"}, {"CompanyData", "Morale"}, {"CompanyData", "VisualRange"},
        {"CompanyData", "ControlZone"}, {"CompanyData", "EntrenchmentRate"}, {"SpellData", "MaxMana"},
        {"SpellData1", "MaxMana"}, {"SpellData2", "MaxMana"}, {"SpellData3", "MaxMana"},
        {"SpellData", "ManaRegenerationRate"}, {"SpellData1", "ManaRegenerationRate"},
        {"SpellData2", "ManaRegenerationRate"}, {"SpellData3", "ManaRegenerationRate"}, {"SpellData", "Spell0"},
        {"SpellData1", "Spell0"}, {"SpellData2", "Spell0"}, {"SpellData3", "Spell0"}, {"SpellData", "Spell1"},
        {"SpellData1", "Spell1"}, {"SpellData2", "Spell1"}, {"SpellData3", "Spell1"}, {"Attack1", "AttackType"},
        {"Attack1", "Animation"}, {"Attack1", "Damage"}, {"Attack0Data1", "Damage"}, {"Attack0Data2", "Damage"},
        {"Attack0Data3", "Damage"}, {"Attack1", "DamageType"}, {"Attack1", "MoraleDamage"}, {"Attack1", "MoraleType"},
        {"Attack1", "ReloadTime"}, {"Attack2", "AttackType"}, {"Attack2", "Animation"}, {"Attack2", "Damage"},
        {"Attack2", "DamageType"}, {"Attack2", "MoraleDamage"}, {"Attack2", "MoraleType"}, {"Attack2", "ReloadTime"},
        {"BuildHierarchy", "OnlyFaction"}, {"BuildHierarchy", "ExceptFaction"}, {"BuildHierarchy", "Technology"},
        {"BuildHierarchy", "Race"}, {"BuildHierarchy", "Component1"},
        {"ObjectData", "DeathSound1"}, {"ObjectData", "DeathSound2"}, {"ObjectData", "SelectionSound1"},
        {"ObjectData", "CommandSound1"}, {"Attack1", "Sound1"}, {"Attack2", "Sound1"}};
    for (const auto& [section, key] : objectFields) {
        bool found = false;
        for (const auto& [name, ini] : objects->All()) found = found || ini->FindValue(section, key);
        EXPECT_TRUE(found) << section << "/" << key;
    }
    std::unique_ptr<QSINIFile> settings = game->Raw("Data\\Settings.ini");
    for (const char* key : {"ResourceMultiplier", "NegativeResourceMultiplier", "StoneExchange", "WoodExchange", "IronExchange",
                            "ManaExchange", "MinimumDamage"}) {
        EXPECT_NE(settings->FindValue("SimulationSettings", key), nullptr) << key;
    }
    std::unique_ptr<QSINIFile> components = game->Raw("data\\objectdata\\components.ini");
    for (const char* key : {"ProperName", "GoldCost", "SellPrice", "WoodProduction", "StoneProduction", "IronProduction",
                            "ManaProduction", "GoldProduction", "BuildTime", "SurrenderModifier"}) {
        bool found = false;
        for (const std::string& s : Sections(*components)) found = found || components->FindValue(s.c_str(), key);
        EXPECT_TRUE(found) << key;
    }
}

// A key that is absent takes the editor's default: each defaulted field is absent somewhere.
TEST_P(SampleInstallation, EveryDefaultedFieldIsAbsentSomewhere) {
    const std::pair<const char*, const char*> defaulted[] = {
        {"ObjectData", "MaxHitPoints"}, {"ObjectData", "CostGold"}, {"UnitData", "Type"}, {"UnitData", "MovementRate"},
        {"UnitData", "WalkDistance"}, {"ObjectData", "UpkeepStone"}, {"ObjectData", "UpkeepWood"},
        {"ObjectData", "UpkeepIron"}, {"ObjectData", "UpkeepMana"}, {"CompanyData", "Morale"},
        {"CompanyData", "VisualRange"}, {"CompanyData", "ControlZone"}, {"CompanyData", "EntrenchmentRate"},
        {"SpellData", "Spell0"}, {"SpellData", "Spell1"}, {"Attack1", "AttackType"}, {"Attack1", "DamageType"},
        {"Attack1", "MoraleDamage"}, {"Attack1", "MoraleType"}, {"Attack1", "ReloadTime"}, {"Attack2", "AttackType"},
        {"Attack2", "DamageType"}, {"Attack2", "MoraleType"}, {"Attack2", "ReloadTime"}, {"BuildHierarchy", "OnlyFaction"},
        {"BuildHierarchy", "ExceptFaction"}, {"BuildHierarchy", "Technology"}, {"BuildHierarchy", "Race"},
        {"ObjectData", "OverwriteColor"}};
    for (const auto& [section, key] : defaulted) {
        int absent = 0;
        for (const auto& [name, ini] : objects->units) absent += ini->FindValue(section, key) == nullptr;
        EXPECT_GT(absent, 0) << section << "/" << key;
    }
}

TEST_P(SampleInstallation, UnitTypesCoverEveryKindSomeInCapitals) {
    std::set<std::string> types;
    int capitals = 0;
    for (const auto& [name, ini] : objects->units) {
        const char* raw = ini->FindValue("UnitData", "Type");
        const std::string type = raw ? raw : "Front";
        types.insert(WordCase(type));
        capitals += type.size() > 1 && type != WordCase(type);
    }
    EXPECT_THAT(types, IsSupersetOf({"Front", "Support", "Captain", "Monster", "Militia", "Solo"}));
    EXPECT_GE(capitals, 3);
    for (const auto& [name, ini] : objects->heroes) EXPECT_STREQ(ini->FindValue("UnitData", "Type"), "Hero") << name;
}

// The particular cases of the editor's loading rules, each present in at least one object.
TEST_P(SampleInstallation, EveryLoadingCaseHasAnObject) {
    auto value = [](QSINIFile& ini, const char* section, const char* key) {
        const char* v = ini.FindValue(section, key);
        return std::string(v ? v : "");
    };
    auto title = ObjectFiles::Title;
    const std::pair<const char*, std::function<bool(const std::string&, QSINIFile&)>> cases[] = {
        {"an upkeep with a fraction",
         [&](const std::string&, QSINIFile& ini) {
             for (const char* k : {"UpkeepStone", "UpkeepWood", "UpkeepIron", "UpkeepMana"}) {
                 const std::string v = value(ini, "ObjectData", k);
                 if (v.find('.') != std::string::npos && v.substr(v.find('.')) != ".0") return true;
             }
             return false;
         }},
        {"a second attack of type 0", [&](const std::string&, QSINIFile& ini) { return value(ini, "Attack2", "AttackType") == "0"; }},
        {"a cast second attack with its spell data",
         [&](const std::string&, QSINIFile& ini) {
             return Lower(value(ini, "Attack2", "AttackType")) == "cast" && !value(ini, "SpellData", "Spell0").empty() &&
                    !value(ini, "SpellData", "MaxMana").empty();
         }},
        {"colour -1", [&](const std::string&, QSINIFile& ini) { return value(ini, "ObjectData", "OverwriteColor") == "-1"; }},
        {"colour 5", [&](const std::string&, QSINIFile& ini) { return value(ini, "ObjectData", "OverwriteColor") == "5"; }},
        {"colour 11", [&](const std::string&, QSINIFile& ini) { return value(ini, "ObjectData", "OverwriteColor") == "11"; }},
        {"a captain named in capitals",
         [&](const std::string&, QSINIFile& ini) {
             const std::string v = value(ini, "UnitData", "Captain");
             return v.size() > 1 && v != WordCase(v) && v != "None";
         }},
        {"a damage type in capitals",
         [&](const std::string&, QSINIFile& ini) {
             const std::string v = value(ini, "Attack1", "DamageType");
             return v.size() > 1 && v != WordCase(v);
         }},
        {"a first attack type in capitals",
         [&](const std::string&, QSINIFile& ini) {
             const std::string v = value(ini, "Attack1", "AttackType");
             return v.size() > 1 && v != WordCase(v);
         }},
        {"a file name ending in .INI", [&](const std::string& name, QSINIFile&) { return name.ends_with(".INI"); }},
        {"a file title longer than 31 characters", [&](const std::string& name, QSINIFile&) { return title(name).size() > 31; }},
        {"a component list with a gap after Component1",
         [&](const std::string&, QSINIFile& ini) {
             return !value(ini, "BuildHierarchy", "Component1").empty() && value(ini, "BuildHierarchy", "Component2").empty() &&
                    !value(ini, "BuildHierarchy", "Component3").empty();
         }},
        {"a component named in other letter case",
         [&](const std::string&, QSINIFile& ini) { return std::islower(static_cast<unsigned char>(value(ini, "BuildHierarchy", "Component1")[0])) != 0; }},
        {"a hero with every level",
         [&](const std::string& name, QSINIFile& ini) {
             if (name.find("\\heroes\\") == std::string::npos) return false;
             for (const char* s : {"Level1", "Level2", "Level3", "Attack0Data1", "Attack0Data2", "Attack0Data3", "SpellData1",
                                   "SpellData2", "SpellData3", "ElementBonus1", "ElementBonus2", "ElementBonus3",
                                   "SupportBonus1", "SupportBonus2", "SupportBonus3"}) {
                 if (!HasSection(ini, s)) return false;
             }
             return true;
         }},
        {"a settlement with building, base and settlement data",
         [&](const std::string&, QSINIFile& ini) {
             return HasSection(ini, "BuildingData") && HasSection(ini, "BaseData") && HasSection(ini, "SettlementData");
         }},
        {"a bonus section with more than six bonuses",
         [&](const std::string&, QSINIFile& ini) { return Keys(ini, "ElementBonus").size() > 6; }},
        {"a sound slot left empty before a filled one",
         [&](const std::string&, QSINIFile& ini) {
             return value(ini, "ObjectData", "SelectionSound1").empty() && !value(ini, "ObjectData", "SelectionSound2").empty();
         }},
        {"a boss", [&](const std::string&, QSINIFile& ini) { return value(ini, "HeroData", "Boss") == "1"; }},
    };
    for (const auto& [what, holds] : cases) {
        bool found = false;
        for (const auto& [name, ini] : objects->All()) found = found || holds(name, *ini);
        EXPECT_TRUE(found) << what;
    }
    int coloured = 0;
    for (const auto& [name, ini] : objects->units) coloured += ini->FindValue("ObjectData", "OverwriteColor") != nullptr;
    EXPECT_LT(coloured, static_cast<int>(objects->units.size()));
}

// What an object names exists: captains, militia, next levels, components, research,
// spells, bonuses and samples.
TEST_P(SampleInstallation, EveryReferenceNamesSomethingThatExists) {
    std::map<std::string, std::string> unitTypes;  // lower-case title -> type
    for (const auto& [name, ini] : objects->units) {
        const char* type = ini->FindValue("UnitData", "Type");
        unitTypes[Lower(ObjectFiles::Title(name))] = WordCase(type ? type : "Front");
    }
    std::set<std::string> buildings, components, technologies = {"none"}, spells = {"none"}, bonuses;
    for (const auto& [name, ini] : objects->buildings) buildings.insert(Lower(ObjectFiles::Title(name)));
    std::unique_ptr<QSINIFile> comp = game->Raw("data\\objectdata\\components.ini");
    for (const std::string& s : Sections(*comp)) components.insert(Lower(s));
    for (const std::string& file : game->Find("data\\technology*.ini")) {
        std::unique_ptr<QSINIFile> ini = game->Raw(file);
        for (int n = 0; const char* v = ini->FindValue("TechnologyData", ("Technology" + std::to_string(n)).c_str()); ++n) {
            technologies.insert(Lower(v));
        }
    }
    for (const std::string& file : game->Find("data\\spells*.ini")) {
        std::unique_ptr<QSINIFile> ini = game->Raw(file);
        for (int n = 0; const char* v = ini->FindValue(std::to_string(n).c_str(), "name"); ++n) spells.insert(Lower(v));
    }
    std::unique_ptr<QSINIFile> bonusFile = game->Raw("data\\bonus.ini");
    for (const std::string& s : Sections(*bonusFile)) bonuses.insert(Lower(s));

    for (const auto& [name, ini] : objects->All()) {
        auto check = [&, &name = name, &ini = ini](const char* section, const char* key, auto&& exists) {
            const char* v = ini->FindValue(section, key);
            if (v && Lower(v) != "none") {
                EXPECT_TRUE(exists(Lower(v))) << name << " " << section << "/" << key << " = " << v;
            }
        };
        check("UnitData", "Captain", [&](const std::string& v) { return unitTypes.count(v) && unitTypes[v] == "Captain"; });
        for (const char* key : {"MilitiaType", "MilitiaType2"}) {
            check("BaseData", key, [&](const std::string& v) {
                return unitTypes.count(v) && (unitTypes[v] == "Militia" || unitTypes[v] == "Monster");
            });
        }
        check("BaseData", "NextLevel", [&](const std::string& v) { return buildings.count(v) > 0; });
        check("BuildHierarchy", "Technology", [&](const std::string& v) { return technologies.count(v) > 0; });
        for (const std::string& s : Sections(*ini)) {
            const std::string section = Lower(s);
            for (const auto& [key, v] : Keys(*ini, s)) {
                const std::string k = Lower(key);
                if (section.rfind("spelldata", 0) == 0 && (k == "spell0" || k == "spell1")) {
                    EXPECT_TRUE(spells.count(Lower(v))) << name << " " << s << "/" << key << " = " << v;
                }
                if (section == "buildhierarchy" && k.rfind("component", 0) == 0) {
                    EXPECT_TRUE(components.count(Lower(v))) << name << " " << key << " = " << v;
                }
                if (section.rfind("elementbonus", 0) == 0 || section.rfind("supportbonus", 0) == 0) {
                    EXPECT_TRUE(bonuses.count(k)) << name << " " << s << "/" << key;
                }
                if (k.find("sound") != std::string::npos) {
                    EXPECT_TRUE(game->mgr.ResourceExists(("Audio\\" + v).c_str())) << name << " " << key << " = " << v;
                }
            }
        }
    }
}

TEST_P(SampleInstallation, SideFilesHoldTheirSpecialCases) {
    std::unique_ptr<QSINIFile> components = game->Raw("data\\objectdata\\components.ini");
    size_t longest = 0;
    for (const std::string& s : Sections(*components)) longest = std::max(longest, s.size());
    EXPECT_EQ(longest, 32u);

    std::set<std::string> actions;
    int withoutAction = 0;
    std::unique_ptr<QSINIFile> bonus = game->Raw("data\\bonus.ini");
    for (const std::string& s : Sections(*bonus)) {
        const char* a = bonus->FindValue(s.c_str(), "action");
        a ? (void)actions.insert(Lower(a)) : (void)++withoutAction;
        EXPECT_NE(bonus->FindValue(s.c_str(), "name1"), nullptr) << s;
        EXPECT_NE(bonus->FindValue(s.c_str(), "name2"), nullptr) << s;
    }
    EXPECT_THAT(actions, IsSupersetOf({"multiply", "add", "flag"}));
    EXPECT_GE(actions.size(), 4u);
    EXPECT_GE(withoutAction, 1);

    const std::vector<std::string> spellFiles = game->Find("data\\spells*.ini");
    EXPECT_EQ(spellFiles.size(), 2u);
    EXPECT_EQ(game->Find("data\\technology*.ini").size(), 2u);
    // One spell file numbers on past a gap; the game never reads what follows the gap.
    int unreachable = 0;
    for (const std::string& file : spellFiles) {
        std::unique_ptr<QSINIFile> ini = game->Raw(file);
        int n = 0;
        while (ini->FindValue(std::to_string(n).c_str(), "name")) ++n;
        unreachable += static_cast<int>(Sections(*ini).size()) - n;
    }
    EXPECT_GE(unreachable, 1);

    std::unique_ptr<QSINIFile> colors = game->Raw("Data\\Colors.ini");
    EXPECT_STREQ(colors->FindValue("PlayerColors", "Color_9_shade_1"), "");
    EXPECT_STRNE(colors->FindValue("PlayerColors", "Color_9_min"), "");
    EXPECT_STRNE(colors->FindValue("PlayerColors", "Color_9_shade_32"), "");
}

TEST_P(SampleInstallation, SamplesAreTheGamesFormatButForTheWarningCases) {
    int game22k = 0, cdStereo = 0, tooLarge = 0, total = 0;
    for (const char* pattern : {"Audio\\Game\\*.wav", "Audio\\Spells\\*.wav"}) {
        for (const std::string& name : game->Find(pattern)) {
            const std::string wav = game->mgr.ReadTextResource(name.c_str());
            ASSERT_GE(wav.size(), 44u) << name;
            EXPECT_EQ(wav.substr(0, 4), "RIFF");
            EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
            uint16_t channels, bits;
            uint32_t rate;
            std::memcpy(&channels, wav.data() + 22, 2);
            std::memcpy(&rate, wav.data() + 24, 4);
            std::memcpy(&bits, wav.data() + 34, 2);
            ++total;
            game22k += channels == 1 && rate == 22050 && bits == 16;
            cdStereo += channels == 2 && rate == 44100 && bits == 16;
            tooLarge += wav.size() > 200000;
        }
    }
    EXPECT_EQ(cdStereo, 1);
    EXPECT_EQ(tooLarge, 1);
    EXPECT_EQ(game22k, total - 1);
}

INSTANTIATE_TEST_SUITE_P(Editions, SampleInstallation, ::testing::Values("dsc", "dat"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// ---- the expansion --------------------------------------------------------------------------

class SampleExpansion : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunSampleGame({"--edition", "dat", "--out", (dir / "game").string()}).exitCode, 0);
        fs::create_directory(dir / "base");
        fs::copy_file(dir / "game" / "Dravik.qsw", dir / "base" / "Dravik.qsw");
    }
    TempDir dir;
};

TEST_F(SampleExpansion, IgnoreListHidesTheRetiredUnitOnly) {
    QSStreamFile expansion((dir / "game" / "Dravik_AT.qsw").string());
    ASSERT_EQ(expansion.IgnoreNames().size(), 1u);
    const std::string retired = expansion.IgnoreNames()[0];
    QSStreamFile base((dir / "game" / "Dravik.qsw").string());
    int inBase = 0;
    for (const QSStreamFile* archive : {&base, &expansion}) {
        for (const FileNode& node : archive->Nodes()) {
            if (node.name == retired) {
                inBase += archive == &base;
            } else {
                EXPECT_NE(node.HashId, HashName(retired)) << node.name << " is hidden with it";
            }
        }
    }
    EXPECT_EQ(inBase, 1);

    OpenedInstallation game(dir / "game");
    EXPECT_FALSE(game.mgr.ResourceExists(retired.c_str()));
    EXPECT_THAT(game.Objects("units"), ::testing::Not(Contains(retired)));
    OpenedInstallation baseAlone(dir / "base");
    EXPECT_THAT(baseAlone.Objects("units"), Contains(retired));
}

TEST_F(SampleExpansion, ExpansionShipsFilesAgainAndAddsItsOwn) {
    OpenedInstallation game(dir / "game");
    OpenedInstallation base(dir / "base");
    QSStreamFile expansion((dir / "game" / "Dravik_AT.qsw").string());
    std::set<std::string> baseNames;
    for (const QSResource* r : base.mgr.NameTable()) {
        if (!r->directory) baseNames.insert(r->name);
    }
    std::map<std::string, int> again, added;  // by directory
    std::set<std::string> shipped;
    for (const FileNode& node : expansion.Nodes()) {
        const std::string name = node.name;
        shipped.insert(name);
        const std::string folder = name.substr(0, name.rfind('\\'));
        (baseNames.count(name) ? again : added)[folder]++;
        ResourceContent content;
        const uint32_t n = expansion.ReadContent(node, content);
        EXPECT_EQ(game.mgr.ReadTextResource(name.c_str()), std::string(content.data.get(), n)) << name;
    }
    for (const char* kind : {"units", "heroes", "buildings"}) {
        EXPECT_GE(again[std::string("Data\\ObjectData\\") + kind], 1) << kind;
        EXPECT_GE(added[std::string("Data\\ObjectData\\") + kind], 1) << kind;
    }
    for (const char* name : {"Data\\Settings.ini", "data\\objectdata\\components.ini", "data\\bonus.ini",
                             "Data\\Localized\\Strings_02.ini"}) {
        EXPECT_TRUE(baseNames.count(name) && shipped.count(name)) << name;
    }
    EXPECT_NE(game.Value("Data\\Settings.ini", "SimulationSettings", "ResourceMultiplier"),
              base.Value("Data\\Settings.ini", "SimulationSettings", "ResourceMultiplier"));
    // The expansion's texts come after the base game's, so every number the base uses stays.
    EXPECT_GT(game.loc.EntryCount(), base.loc.EntryCount());
    for (uint32_t n = 0; n < base.loc.EntryCount(); ++n) {
        ASSERT_STREQ(game.loc.Entry(n).display, base.loc.Entry(n).display) << n;
    }
    EXPECT_EQ(game.Objects("units").size(), 60u);
    EXPECT_LT(base.Objects("units").size(), 60u);
}

// ---- seeds and counts ---------------------------------------------------------------------

TEST(SampleGameOutput, SameSeedGivesTheSameFilesAnotherSeedOtherValues) {
    TempDir dir;
    for (const char* edition : {"dsc", "dat"}) {
        for (const char* run : {"a", "b", "c"}) {
            const std::string seed = std::string(run) == "c" ? "8" : "7";
            const fs::path out = dir / (std::string(edition) + run);
            ASSERT_EQ(RunSampleGame({"--edition", edition, "--out", out.string(), "--seed", seed, "--mods"}).exitCode, 0);
        }
        const fs::path a = dir / (std::string(edition) + "a"), b = dir / (std::string(edition) + "b"),
                       c = dir / (std::string(edition) + "c");
        ASSERT_EQ(FilesIn(a), FilesIn(b));
        for (const std::string& name : FilesIn(a)) {
            EXPECT_TRUE(Comparable(a / name) == Comparable(b / name)) << edition << " " << name;
        }
        EXPECT_FALSE(Comparable(a / "Dravik.qsw") == Comparable(c / "Dravik.qsw")) << edition;
    }
}

TEST(SampleGameOutput, MoreUnitsLeaveTheHeroesAsTheyWere) {
    TempDir dir;
    ASSERT_EQ(RunSampleGame({"--edition", "dsc", "--out", (dir / "a").string(), "--units", "30"}).exitCode, 0);
    ASSERT_EQ(RunSampleGame({"--edition", "dsc", "--out", (dir / "b").string(), "--units", "45"}).exitCode, 0);
    OpenedInstallation a(dir / "a"), b(dir / "b");
    const std::vector<std::string> heroes = a.Objects("heroes");
    ASSERT_EQ(heroes, b.Objects("heroes"));
    for (const std::string& hero : heroes) {
        EXPECT_EQ(a.Value(hero, "ObjectData", "MaxHitPoints"), b.Value(hero, "ObjectData", "MaxHitPoints")) << hero;
        EXPECT_EQ(a.Value(hero, "ObjectData", "ProperName"), b.Value(hero, "ObjectData", "ProperName")) << hero;
    }
}

struct CountCase {
    const char* edition;
    int units, heroes, buildings;
};

void PrintTo(const CountCase& c, std::ostream* os) {
    *os << c.edition << " " << c.units << " " << c.heroes << " " << c.buildings;
}

class SampleGameCounts : public ::testing::TestWithParam<CountCase> {};

TEST_P(SampleGameCounts, EditorSeesTheNumbersAsked) {
    const CountCase& c = GetParam();
    TempDir dir;
    const ToolRun run = RunSampleGame({"--edition", c.edition, "--out", dir.path().string(), "--units", std::to_string(c.units),
                                       "--heroes", std::to_string(c.heroes), "--buildings", std::to_string(c.buildings)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    OpenedInstallation game(dir.path());
    EXPECT_EQ(game.Objects("units").size(), static_cast<size_t>(c.units));
    EXPECT_EQ(game.Objects("heroes").size(), static_cast<size_t>(c.heroes));
    EXPECT_EQ(game.Objects("buildings").size(), static_cast<size_t>(c.buildings));
    // Whatever the numbers, every name resolves.
    for (const char* kind : {"units", "heroes", "buildings"}) {
        for (const std::string& name : game.Objects(kind)) {
            EXPECT_NE(game.Value(name, "ObjectData", "ProperName").rfind("STRING_", 0), 0u) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SampleGameCounts,
                         ::testing::Values(CountCase{"dsc", 0, 0, 0}, CountCase{"dat", 0, 0, 0}, CountCase{"dat", 1, 1, 1},
                                           CountCase{"dsc", 5, 3, 7}, CountCase{"dat", 9, 8, 16},
                                           CountCase{"dat", 200, 17, 64}),
                         [](const ::testing::TestParamInfo<CountCase>& info) {
                             const CountCase& c = info.param;
                             return std::string(c.edition) + "_" + std::to_string(c.units) + "_" + std::to_string(c.heroes) +
                                    "_" + std::to_string(c.buildings);
                         });

// The largest installation the editor reads: 1023 objects of each kind, in seconds.
TEST(SampleGameOutput, MaxScaleFillsTheEditorsLimitsInSeconds) {
    TempDir dir;
    const auto start = std::chrono::steady_clock::now();
    const ToolRun run = RunSampleGame({"--edition", "dat", "--out", dir.path().string(), "--scale", "max", "--mods"});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_LT(seconds, 60.0);
    RecordProperty("generation_seconds", std::to_string(seconds));

    OpenedInstallation game(dir.path());
    EXPECT_EQ(game.Objects("units").size(), 1023u);
    EXPECT_EQ(game.Objects("heroes").size(), 1023u);
    EXPECT_EQ(game.Objects("buildings").size(), 1023u);
    EXPECT_EQ(game.Find("Audio\\Game\\*.wav").size() + game.Find("Audio\\Spells\\*.wav").size(), 300u);
    std::set<std::string> titles;
    for (const char* kind : {"units", "heroes", "buildings"}) {
        for (const std::string& name : game.Objects(kind)) {
            std::string title = Lower(ObjectFiles::Title(name)).substr(0, 31);
            EXPECT_TRUE(titles.insert(std::string(kind) + title).second) << "two objects named " << title;
            EXPECT_NE(game.Value(name, "ObjectData", "ProperName").rfind("STRING_", 0), 0u) << name;
        }
    }
}

}  // namespace
