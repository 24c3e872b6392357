#include "Catalogue.h"

#include <algorithm>
#include <functional>
#include <set>

#include "Rng.h"

std::string Tenths(int tenths) {
    std::string s = tenths < 0 ? "-" : "";
    int v = tenths < 0 ? -tenths : tenths;
    s += std::to_string(v / 10);
    s += '.';
    s += std::to_string(v % 10);
    return s;
}

std::string Hundredths(int hundredths) {
    std::string s = std::to_string(hundredths / 100);
    s += '.';
    int frac = hundredths % 100;
    if (frac < 10) s += '0';
    s += std::to_string(frac);
    if (s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();  // "0.50" is written "0.5"
    return s;
}

std::string GameObject::Path() const {
    std::string p = "Data\\ObjectData\\";
    p += kind == Kind::Unit ? "units" : kind == Kind::Hero ? "heroes" : "buildings";
    p += '\\';
    p += fileName;
    return p;
}

namespace {

enum Stream : uint64_t { kUnitStream = 1, kHeroStream, kBuildingStream, kComponentStream, kRebalanceStream };

const char* const kEvents[] = {"death", "select", "command", "attack", "pain", "cheer", "march", "charge"};

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return s;
}

// "Captain" for "CAPTAIN": the first letter stays, the rest is lower case (one word).
std::string WordCase(const std::string& word) {
    return word.empty() ? word : word.substr(0, 1) + Lower(word.substr(1));
}

// "140.5" as 1405; digits after the first decimal are dropped.
int ParseTenths(const std::string& text) {
    int whole = 0, tenth = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) whole = whole * 10 + (text[i] - '0');
    if (i + 1 < text.size() && text[i] == '.' && text[i + 1] >= '0' && text[i + 1] <= '9') tenth = text[i + 1] - '0';
    return whole * 10 + tenth;
}

// A place of Vaelor: "Ash" and "ford". (The two draws are sequenced: the operands of +
// are not, and compilers differ in their order.)
std::string PlaceName(Rng& rng) {
    std::string place = rng.Pick(PlacePrefixes());
    place += rng.Pick(PlaceSuffixes());
    return place;
}

// A two-digit variant number: 1 gives "01".
std::string TwoDigits(int n) {
    std::string s = n < 10 ? "0" : "";
    return s + std::to_string(n);
}

Tone EventTone(int race, const std::string& event, int variant) {
    static const uint32_t kPitch[kRaceCount] = {220, 130, 330, 165, 260};
    const uint32_t p = kPitch[race] + static_cast<uint32_t>(variant) * 9;
    Tone t;
    t.noiseSeed = static_cast<uint32_t>(race * 977 + variant * 131 + static_cast<int>(event.size()) * 17 + 1);
    if (event == "death") {
        t.milliseconds = 450, t.startHz = p * 2, t.endHz = p / 2, t.noisePercent = 10;
    } else if (event == "select") {
        t.milliseconds = 180, t.startHz = p * 2, t.endHz = p * 3;
    } else if (event == "command") {
        t.milliseconds = 260, t.startHz = p * 3, t.endHz = p * 2, t.pulses = 2;
    } else if (event == "attack") {
        t.milliseconds = 220, t.startHz = p, t.endHz = p / 2, t.noisePercent = 60;
    } else if (event == "pain") {
        t.milliseconds = 200, t.startHz = p * 3, t.endHz = p * 2, t.noisePercent = 20;
    } else if (event == "cheer") {
        t.milliseconds = 500, t.startHz = p * 2, t.endHz = p * 3, t.pulses = 3, t.noisePercent = 15;
    } else if (event == "march") {
        t.milliseconds = 400, t.startHz = p, t.endHz = p, t.pulses = 4, t.noisePercent = 50;
    } else {
        t.milliseconds = 600, t.startHz = p, t.endHz = p * 3, t.noisePercent = 20;
    }
    return t;
}

Tone SpellTone(size_t index, bool impact) {
    Tone t;
    t.noiseSeed = static_cast<uint32_t>(index * 31 + (impact ? 7 : 3));
    if (impact) {
        t.milliseconds = 320, t.startHz = 800 + static_cast<uint32_t>(index) * 20, t.endHz = 90, t.noisePercent = 55;
    } else {
        t.milliseconds = 500, t.startHz = 300 + static_cast<uint32_t>(index) * 15, t.endHz = 1200, t.noisePercent = 5;
    }
    return t;
}

struct UnitPlan {
    std::string unique, display;
    Race race = kCorvane;
    const Role* role = nullptr;
    int tier = 0;  // 0 line troops, 1 veterans, 2 elite, 3 a regional company
    std::string place;
    std::function<void(GameObject&)> feature;  // what makes a featured unit special
};

struct HeroPlan {
    std::string unique, display, title;
    Race race = kCorvane;
    const char* faction = "Crownward";
    Style style = Style::Melee;
    bool casts = false;  // a fighter who also casts, at every level
    std::function<void(GameObject&)> feature;
};

class CatalogueBuilder {
public:
    CatalogueBuilder(Catalogue& cat, uint64_t seed) : cat_(cat), seed_(seed) {}

    void Build() {
        AddCommonStrings();
        AddSamples();
        AddComponents();
        AddUnits();
        AddHeroes();
        AddBuildings();
        AddRetired();
        AddRebalanced();
        AssignStrings();
        AddSideFiles();
    }

private:
    // ---- shared helpers -------------------------------------------------------------------

    // The kind of sound a game sample is: "Game\\skarn_death_01.wav" is a Skarn death.
    static std::pair<std::string, std::string> SoundKind(const std::string& name) {
        const std::string stem = Lower(name.substr(5, name.rfind('.') - 5));
        const size_t a = stem.find('_');
        if (a == std::string::npos) return {stem, ""};
        const size_t b = stem.find('_', a + 1);
        std::string event = stem.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
        if (event == "warcry") event = "charge";
        return {stem.substr(0, a), event};
    }

    // A sample for an event of a race: the race's own, else another race's for the same
    // event, else one of a kindred event (a pain cry for a death), else any of the game's;
    // one not in taken when there is such. Base objects use base samples only.
    std::string Sound(Race race, const char* event, Rng& rng, bool expansion,
                      const std::vector<std::string>& taken = {}) const {
        static const std::vector<std::vector<std::string>> kKindred = {
            {"death", "pain"}, {"select", "command", "cheer"}, {"attack", "charge", "march"}};
        std::vector<std::string> kindred = {event};
        for (const auto& family : kKindred) {
            if (std::find(family.begin(), family.end(), event) != family.end()) kindred = family;
        }
        std::vector<std::string> tiers[4];  // own, same event, kindred event, any
        for (const Sample& s : cat_.samples) {
            if (s.expansion && !expansion) continue;
            if (!StartsWithText(s.name, "Game\\") || s.tone.rate != 22050 || s.tone.milliseconds > 1000) continue;
            const auto [who, what] = SoundKind(s.name);
            if (what == event && who == Lower(kRaces[race])) tiers[0].push_back(s.name);
            if (what == event) tiers[1].push_back(s.name);
            if (std::find(kindred.begin(), kindred.end(), what) != kindred.end()) tiers[2].push_back(s.name);
            tiers[3].push_back(s.name);
        }
        for (const std::vector<std::string>& tier : tiers) {
            std::vector<std::string> fresh;
            for (const std::string& name : tier) {
                if (std::find(taken.begin(), taken.end(), name) == taken.end()) fresh.push_back(name);
            }
            if (!fresh.empty()) return rng.Pick(fresh);
        }
        for (const std::vector<std::string>& tier : tiers) {
            if (!tier.empty()) return rng.Pick(tier);
        }
        return {};
    }

    std::vector<std::string> ComponentNames(bool expansion) const {
        std::vector<std::string> names;
        for (const Component& c : cat_.components) {
            if (!c.expansion || expansion) names.push_back(c.name);
        }
        return names;
    }

    const BonusKind& Bonus(Rng& rng, bool expansion) const {
        const size_t n = BonusKinds().size() - (expansion ? 0 : cat_.expansionBonuses);
        return BonusKinds()[rng.Below(n)];
    }

    // count distinct bonuses into a section, always including those named in keep.
    void AddBonuses(IniDoc& ini, const std::string& section, int count, Rng& rng, bool expansion,
                    const std::vector<std::string>& keep = {}) const {
        IniSection& s = ini.Section(section);
        for (const std::string& name : keep) {
            for (const BonusKind& b : BonusKinds()) {
                if (name == b.name && !s.Find(name)) s.keys.push_back({b.name, b.value, {}});
            }
        }
        for (int guard = 0; static_cast<int>(s.keys.size()) < count && guard < 100; ++guard) {
            const BonusKind& b = Bonus(rng, expansion);
            if (!s.Find(b.name)) s.keys.push_back({b.name, b.value, {}});
        }
    }

    void Localise(GameObject& o, const std::string& section, const std::string& key, const std::string& table,
                  const std::string& display) {
        o.ini.Set(section, key, "");  // reserves the key's place; filled in by AssignStrings
        o.texts.push_back({section, key, table, display});
    }

    // ---- common texts ---------------------------------------------------------------------

    void AddCommonStrings() {
        StringTable& t = cat_.strings;
        for (const char* f : kFactions) t.AddCommon("faction", f, f);
        for (const char* r : kRaces) t.AddCommon("race", r, r);
        for (const char* d : kDamageTypes) t.AddCommon("damage", d, d);
        for (const char* r : {"Gold", "Stone", "Wood", "Iron", "Mana"}) t.AddCommon("resource", r, r);
        for (const char* w : {"Front", "Support", "Captain", "Militia", "Monster", "Solo", "Hero"}) {
            t.AddCommon("unit type", w, w);
        }
        for (const BonusKind& b : BonusKinds()) t.AddCommon("bonus", b.title, b.title, b.summary);
        for (const std::string& s : SpellNames()) t.AddCommon("spell", s, s);
        for (const std::string& s : HeroSpellNames()) t.AddCommon("spell", s, s);
        for (const std::string& s : TechnologyNames()) t.AddCommon("research", s, s);
        for (const std::string& s : GuildTechnologyNames()) t.AddCommon("research", s, s);
        t.AddCommon("ui", "Vaelor", "Vaelor", "the land; never translate");
        t.AddCommon("ui", "The Sundering", "The Sundering");
        t.AddCommon("ui", "Your company is routing!", "Your company is routing!");
        t.AddCommon("ui", "Settlement captured", "Settlement captured");
        t.AddCommon("ui", "Not enough gold.\nSell a component or raise taxes.",
                    "Not enough gold.\nSell a component or raise taxes.");
        // Names that the data spelled before the style guide settled them.
        t.AddCommon("errata", "Thuld Bonecaller", "Thuld Bone-Caller", "renamed in 1.4");
        t.AddCommon("errata", "Ossk Broodmother", "Ossk Brood Mother", "renamed in 1.4");
        t.AddCommon("errata", "Irondeep Goldmine", "Irondeep Gold Mine", "spelling");
    }

    // ---- samples --------------------------------------------------------------------------

    void AddSamples() {
        std::vector<Sample> all;
        std::set<std::string> seen;
        auto add = [&](std::string name, Tone tone) {
            if (seen.insert(Lower(name)).second) all.push_back({std::move(name), tone, false});
        };
        add("Game\\skarn_death_01.wav", EventTone(kSkarn, "death", 1));
        add("Game\\skarn_death_02.wav", EventTone(kSkarn, "death", 2));
        add("Game\\corvane_select_01.wav", EventTone(kCorvane, "select", 1));
        add("Game\\elith_command_01.wav", EventTone(kElith, "command", 1));
        add("Game\\thuld_attack_01.wav", EventTone(kThuld, "attack", 1));
        add("Game\\SKARN_WARCRY.wav", EventTone(kSkarn, "charge", 3));
        Tone horn;  // recorded at CD quality in stereo: the editor warns about its format
        horn.rate = 44100, horn.channels = 2, horn.milliseconds = 1000, horn.startHz = 220, horn.endHz = 330;
        horn.pulses = 2;
        add("Game\\horn_call_hq.wav", horn);
        Tone wind;  // longer than the 200K that a mod's sample may take
        wind.milliseconds = 4800, wind.startHz = 90, wind.endHz = 60, wind.noisePercent = 75, wind.pulses = 3;
        add("Game\\ambience_vaelor_wind.wav", wind);
        add("Spells\\ember_lance_cast.wav", SpellTone(0, false));
        add("Spells\\holy_light_impact.wav", SpellTone(3, true));

        std::vector<std::string> spells = SpellNames();
        spells.insert(spells.end(), HeroSpellNames().begin(), HeroSpellNames().end());
        size_t spell = 0;
        for (int variant = 1; variant <= 9; ++variant) {
            for (const char* event : kEvents) {
                for (int race = 0; race < kRaceCount; ++race) {
                    add("Game\\" + Lower(kRaces[race]) + "_" + event + "_" + TwoDigits(variant) + ".wav",
                        EventTone(race, event, variant));
                }
                if (spell < spells.size() * 2) {
                    const bool impact = spell % 2 == 1;
                    add("Spells\\" + FileStem(spells[spell / 2]) + (impact ? "_impact.wav" : "_cast.wav"),
                        SpellTone(spell / 2, impact));
                    ++spell;
                }
            }
        }
        all.resize(std::min(all.size(), static_cast<size_t>(cat_.counts.samples)));
        const size_t share = static_cast<size_t>(ExpansionShare(static_cast<int>(all.size())));
        for (size_t i = all.size() - share; i < all.size(); ++i) all[i].expansion = true;
        cat_.samples = std::move(all);
    }

    // ---- components -----------------------------------------------------------------------

    void AddComponents() {
        Rng rng = Rng::Stream(seed_, kComponentStream);
        const int count = cat_.counts.components;
        std::vector<std::string> names;
        for (const ComponentKind& k : ComponentKinds()) {
            if (static_cast<int>(names.size()) == 6) names.push_back("Grand_Hall_of_the_Sundered_Crown");
            names.push_back(k.name);
        }
        names.resize(std::min(names.size(), static_cast<size_t>(count)));
        const size_t share = static_cast<size_t>(ExpansionShare(static_cast<int>(names.size())));
        for (size_t i = 0; i < names.size(); ++i) {
            Component c;
            c.name = names[i];
            c.expansion = i >= names.size() - share;
            const ComponentKind* kind = nullptr;
            for (const ComponentKind& k : ComponentKinds()) {
                if (c.name == k.name) kind = &k;
            }
            const int gold = kind ? kind->goldCost : 500;
            IniSection& s = c.doc.Section(c.name);
            s.keys.push_back({"ProperName", "", {}});
            c.texts.push_back({c.name, "ProperName", "components", Spaced(c.name)});
            s.keys.push_back({"GoldCost", std::to_string(gold + rng.Range(-2, 2) * 5), {}});
            // A few components cannot be sold back.
            if (i % 7 != 3) s.keys.push_back({"SellPrice", std::to_string(gold / 2), {}});
            const char* produces = kind ? kind->produces : "Gold";
            for (const char* resource : {"Wood", "Stone", "Iron", "Mana", "Gold"}) {
                const bool yields = produces && std::string(produces) == resource;
                // Components write the productions they have, and sometimes an explicit 0.
                if (yields) {
                    s.keys.push_back({std::string(resource) + "Production", std::to_string(rng.Range(1, 4)), {}});
                } else if (i % 4 == 0) {
                    s.keys.push_back({std::string(resource) + "Production", "0", {}});
                }
            }
            s.keys.push_back({"BuildTime", std::to_string(kind ? kind->buildTime : 240), {}});
            if (i % 3 != 2) s.keys.push_back({"SurrenderModifier", Hundredths(rng.Range(0, 4) * 5), {}});
            s.keys.push_back({"Icon", "icons\\components\\" + Lower(c.name) + ".tga", {}});
            cat_.components.push_back(std::move(c));
        }
    }

    // ---- units ----------------------------------------------------------------------------

    std::vector<UnitPlan> FeaturedUnits() {
        auto plan = [](const char* unique, Race race, const char* role, std::function<void(GameObject&)> f = {}) {
            UnitPlan p;
            p.unique = unique;
            p.display = Spaced(unique);
            p.race = race;
            p.role = &FindRole(role);
            p.feature = std::move(f);
            return p;
        };
        std::vector<UnitPlan> plans;
        plans.push_back(plan("Skarn_Reaver", kSkarn, "Reaver", [](GameObject& o) {
            o.ini.Set("Attack2", "AttackType", "0");  // an attack slot switched off
            o.ini.Set("ObjectData", "UpkeepIron", "1.5");
            o.ini.Set("ObjectData", "UpkeepWood", "0.5");
            o.ini.Remove("ObjectData", "OverwriteColor");
            // Slot 1 empty, slots out of order: the editor sorts them.
            IniSection& od = *o.ini.FindSection("ObjectData");
            std::erase_if(od.keys, [](const IniKey& k) { return StartsWithText(k.name, "DeathSound") || StartsWithText(k.name, "SelectionSound"); });
            od.keys.push_back({"DeathSound1", "Game\\skarn_death_02.wav", {}});
            od.keys.push_back({"DeathSound2", "Game\\skarn_death_01.wav", {}});
            od.keys.push_back({"SelectionSound2", "Game\\SKARN_WARCRY.wav", {}});
            od.keys.push_back({"SelectionSound3", "Game\\skarn_death_01.wav", {}});
        }));
        plans.push_back(plan("Skarn_Warchief", kSkarn, "Warchief", [](GameObject& o) {
            o.ini.Set("UnitData", "Type", "CAPTAIN");
            o.ini.Set("ObjectData", "OverwriteColor", "5");
            o.ini.Set("Attack1", "MoraleType", "UNHOLY");
        }));
        plans.push_back(plan("Elith_Lightweaver", kElith, "Lightweaver", [](GameObject& o) {
            o.ini.Set("Attack2", "AttackType", "Cast");
            o.ini.Set("SpellData", "Spell0", "Holy Light");
            o.ini.Set("SpellData", "Spell1", "Mend Wounds");
        }));
        plans.push_back(plan("Corvane_Levy", kCorvane, "Levy", [](GameObject& o) {
            // Written by hand long ago: everything else takes the game's defaults.
            IniDoc minimal;
            minimal.Comment("Corvane Levy - called up from the fields");
            minimal.Set("ObjectData", "ProperName", "Corvane Levy");
            minimal.Set("ObjectData", "Defense", "3");
            minimal.Set("UnitData", "Type", "MILITIA");
            minimal.Set("Attack1", "AttackType", "Melee");
            minimal.Set("Attack1", "Damage", "5");
            o.ini = std::move(minimal);
            o.texts.clear();
        }));
        plans.push_back(plan("Ossk_Broodmother", kOssk, "Broodmother", [this](GameObject& o) {
            o.ini.Set("ObjectData", "ProperName", "Ossk Broodmother");  // a source text
            std::erase_if(o.texts, [](const PendingText& t) { return t.key == "ProperName"; });
            o.ini.Set("ObjectData", "OverwriteColor", "11");
            o.ini.Set("ObjectData", "Captureable", "0");
            Rng rng(7);
            o.ini.RemoveSection("ElementBonus");
            // Seven bonuses: one more than the editor shows.
            AddBonuses(o.ini, "ElementBonus", 7, rng, false,
                       {"Regeneration", "UnholyResistance", "Fearless", "AuraOfDread", "ArmorBonus", "Lifesteal", "TrueSight"});
        }));
        plans.push_back(plan("Elith_Duelist", kElith, "Duelist", [](GameObject& o) {
            o.ini.Set("ObjectData", "OverwriteColor", "-1");
            o.ini.Set("BuildHierarchy", "OnlyFaction", "Veyl");
        }));
        plans.push_back(plan("Thuld_Bonecaller", kThuld, "Bonecaller", [](GameObject& o) {
            o.ini.Set("ObjectData", "ProperName", "Thuld Bonecaller");  // a source text
            std::erase_if(o.texts, [](const PendingText& t) { return t.key == "ProperName"; });
            o.ini.Set("Attack1", "DamageType", "UNHOLY");
            o.ini.Set("Attack2", "AttackType", "CAST");
            o.ini.Set("SpellData", "Spell0", "Raise Thralls");
        }));
        plans.push_back(plan("Corvane_Knight", kCorvane, "Knight", [](GameObject& o) {
            o.ini.Set("Attack1", "AttackType", "MELEE");
            o.ini.Set("ObjectData", "UpkeepWood", "2.5");
            o.ini.Set("BuildHierarchy", "OnlyFaction", "Crownward");
            o.ini.Set("BuildHierarchy", "Technology", "Horse Breeding");
        }));
        plans.push_back(plan("Elith_Spearman", kElith, "Spearman", [](GameObject& o) {
            o.fileName = o.unique + ".INI";  // the extension in capitals
        }));
        plans.push_back(plan("Corvane_Household_Knight_Commander", kCorvane, "Marshal", [](GameObject& o) {
            o.ini.Set("BuildHierarchy", "Technology", "Tactics");
        }));
        plans.push_back(plan("Elith_Blademaster", kElith, "Blademaster", [this](GameObject& o) {
            // Component2 was deleted from this list by hand: the game stops at the gap.
            IniSection& bh = o.ini.Section("BuildHierarchy");
            std::erase_if(bh.keys, [](const IniKey& k) { return StartsWithText(k.name, "Component"); });
            std::vector<std::string> names = ComponentNames(false);
            if (names.size() >= 2) {
                bh.keys.push_back({"Component1", names[0], {}});
                bh.keys.push_back({"Component3", names[1], {}});
            }
        }));
        plans.push_back(plan("Thuld_Ironclad", kThuld, "Ironclad", [](GameObject& o) {
            o.ini.Set("Attack1", "DamageType", "VAELORITE");
            o.ini.Set("Attack1", "MoraleType", "Vorpal");
            o.ini.Set("ObjectData", "UpkeepMana", "0.5");
            o.ini.Set("ObjectData", "UpkeepStone", "1.5");
        }));
        plans.push_back(plan("Ossk_Drone", kOssk, "Drone", [](GameObject& o) {
            // No type, no company values, a bare first attack: all defaults. A front-line unit,
            // which the default type is, needs a captain all the same.
            o.ini.Remove("UnitData", "Type");
            o.ini.Set("UnitData", "Captain", "Ossk_Hivelord");
            o.ini.Remove("UnitData", "MovementRate");
            o.ini.Remove("UnitData", "WalkDistance");
            o.ini.RemoveSection("CompanyData");
            o.ini.RemoveSection("Attack2");
            for (const char* key : {"DamageType", "MoraleDamage", "MoraleType", "ReloadTime"}) o.ini.Remove("Attack1", key);
            for (const char* key : {"MaxHitPoints", "CostGold", "UpkeepStone", "UpkeepWood", "UpkeepIron", "UpkeepMana"}) {
                o.ini.Remove("ObjectData", key);
            }
            o.ini.RemoveSection("BuildHierarchy");
        }));
        plans.push_back(plan("Skarn_Hexer", kSkarn, "Hexer", [](GameObject& o) {
            o.ini.Set("Attack2", "AttackType", "Cast");
            o.ini.Set("SpellData", "Spell0", "Curse of Weakness");
            o.ini.Remove("SpellData", "Spell1");
            o.ini.Set("Attack1", "DamageType", "Unholy");
        }));
        plans.push_back(plan("Thuld_Engineer", kThuld, "Engineer"));
        plans.push_back(plan("Corvane_Crossbowman", kCorvane, "Crossbowman", [](GameObject& o) {
            o.ini.Set("Attack1", "AttackType", "PROJECTILE");
            o.ini.RemoveSection("Attack2");
            o.ini.Set("Attack1", "DamageType", "vorpal");
        }));
        plans.push_back(plan("Corvane_Standard_Bearer", kCorvane, "Standard_Bearer", [this](GameObject& o) {
            o.ini.RemoveSection("Attack1");  // carries the colours, not a weapon
            Rng rng(11);
            AddBonuses(o.ini, "SupportBonus", 3, rng, false, {"MoraleBonus", "Leadership"});
        }));
        plans.push_back(plan("Skarn_Troll", kSkarn, "Troll", [](GameObject& o) {
            o.ini.Set("UnitData", "Type", "MONSTER");
            o.ini.Set("ObjectData", "Captureable", "1");
        }));
        plans.push_back(plan("Corvane_Captain", kCorvane, "Captain"));
        plans.push_back(plan("Thuld_Thane", kThuld, "Thane", [](GameObject& o) {
            o.ini.Set("Attack1", "DamageType", "Holy");
            o.ini.Set("Attack1", "MoraleType", "Holy");
        }));
        plans.push_back(plan("Elith_Arbiter", kElith, "Arbiter", [](GameObject& o) {
            o.ini.Set("UnitData", "Type", "SOLO");  // a campaign-only commander
        }));
        return plans;
    }

    std::vector<UnitPlan> UnitPlans(Rng& rng) {
        std::vector<UnitPlan> plans = FeaturedUnits();
        const size_t wanted = static_cast<size_t>(cat_.counts.units);
        if (plans.size() >= wanted) {
            plans.resize(wanted);
            return plans;
        }
        std::set<std::string> used = {"Corvane_Flagellant"};
        for (const UnitPlan& p : plans) used.insert(Lower(p.unique));

        static const char* const kTiers[] = {"", "Veteran", "Elite"};
        for (int tier = 0; tier < 3 && plans.size() < wanted; ++tier) {
            std::vector<UnitPlan> round;
            for (const Role& role : Roles()) {
                for (int race = 0; race < kRaceCount; ++race) {
                    if (!(role.races & Mask(static_cast<Race>(race)))) continue;
                    UnitPlan p;
                    p.race = static_cast<Race>(race);
                    p.role = &role;
                    p.tier = tier;
                    p.unique = kRaces[race];
                    p.unique += '_';
                    if (tier) p.unique += std::string(kTiers[tier]) + "_";
                    p.unique += role.name;
                    p.display = Spaced(p.unique);
                    if (p.unique.size() <= 31 && !used.count(Lower(p.unique))) round.push_back(std::move(p));
                }
            }
            rng.Shuffle(round);
            for (UnitPlan& p : round) {
                if (plans.size() == wanted) break;
                used.insert(Lower(p.unique));
                plans.push_back(std::move(p));
            }
        }
        // Regional companies: "Ravenmoor_Pikeman".
        for (int guard = 0; plans.size() < wanted && guard < 1000000; ++guard) {
            const Role& role = rng.Pick(Roles());
            std::vector<Race> races;
            for (int r = 0; r < kRaceCount; ++r) {
                if (role.races & Mask(static_cast<Race>(r))) races.push_back(static_cast<Race>(r));
            }
            UnitPlan p;
            p.race = rng.Pick(races);
            p.role = &role;
            p.tier = 3;
            p.place = PlaceName(rng);
            p.unique = p.place + "_" + role.name;
            p.display = Spaced(p.unique);
            if (p.unique.size() > 31 || !used.insert(Lower(p.unique)).second) continue;
            plans.push_back(std::move(p));
        }
        return plans;
    }

    GameObject MakeUnit(const UnitPlan& plan, Rng& rng, bool expansion) {
        const Role& role = *plan.role;
        GameObject o;
        o.kind = Kind::Unit;
        o.unique = plan.unique;
        o.fileName = plan.unique + ".ini";
        o.display = plan.display;
        o.race = plan.race;
        o.expansion = expansion;
        const std::string race = kRaces[plan.race];
        const int mul = plan.tier == 0 ? 100 : plan.tier == 1 ? 125 : plan.tier == 2 ? 150 : 110;
        auto vary = [&](int v) { return v * mul / 100 * rng.Range(90, 110) / 100; };

        o.ini.Comment(plan.display + " - " + Lower(role.type) + " unit of the " + race);
        Localise(o, "ObjectData", "ProperName", "units", plan.display);
        IniDoc& d = o.ini;
        d.Set("ObjectData", "MaxHitPoints", Tenths(std::max(10, vary(role.hitPoints)) * 10));
        d.Set("ObjectData", "Defense", std::to_string(std::min(99, role.defense * mul / 100 + rng.Range(0, 2))));
        const bool paid = role.cost > 0;
        d.Set("ObjectData", "CostGold", std::to_string(paid ? std::min(99, role.cost * mul / 100 + rng.Range(-2, 3)) : 0));
        const Style st = role.style;
        auto upkeep = [&](bool needs) {
            if (!needs) return std::string("0");
            static const char* const kUpkeeps[] = {"1", "1", "2", "0.5", "1.5"};
            return std::string(kUpkeeps[rng.Below(5)]);
        };
        d.Set("ObjectData", "UpkeepStone", upkeep(st == Style::Builder));
        d.Set("ObjectData", "UpkeepWood", upkeep(st == Style::Ranged || st == Style::Builder));
        d.Set("ObjectData", "UpkeepIron", upkeep(st == Style::Melee || st == Style::Mounted));
        d.Set("ObjectData", "UpkeepMana", upkeep(st == Style::Caster));
        d.Set("ObjectData", "Weight", std::to_string(st == Style::Mounted ? 4 : st == Style::Beast ? 3 : rng.Range(1, 2)));
        const uint32_t colour = rng.Below(100);
        if (colour < 12) {
            d.Set("ObjectData", "OverwriteColor", "-1");
        } else if (colour < 22) {
            d.Set("ObjectData", "OverwriteColor", std::to_string(rng.Range(0, 10)));
        }
        d.Set("ObjectData", "Model", "units\\" + Lower(race) + "\\" + Lower(role.name) + ".mdl");
        std::vector<std::string> heard;  // an object uses each sample once where it can
        auto sound = [&](const char* event) {
            heard.push_back(Sound(plan.race, event, rng, expansion, heard));
            return heard.back();
        };
        d.Set("ObjectData", "DeathSound1", sound("death"));
        if (rng.Percent(50)) d.Set("ObjectData", "DeathSound2", sound("pain"));
        const int selections = rng.Range(1, 3);
        for (int i = 1; i <= selections; ++i) d.Set("ObjectData", "SelectionSound" + std::to_string(i), sound("select"));
        const int commands = rng.Range(1, 2);
        for (int i = 1; i <= commands; ++i) d.Set("ObjectData", "CommandSound" + std::to_string(i), sound(i == 1 ? "command" : "cheer"));

        std::string type = role.type;
        if (rng.Percent(6)) type = Upper(type);  // older files shout
        d.Set("UnitData", "Type", type);
        std::string description = "The " + race + " " + Lower(Spaced(role.name)) + " " + role.blurb;
        if (plan.tier == 1) description += "\nVeterans of a dozen campaigns, they hold where others break.";
        if (plan.tier == 2) description += "\nOnly the best of the best are chosen for the elite companies.";
        if (plan.tier == 3) description += "\nRaised and paid by the lords of " + plan.place + ".";
        Localise(o, "UnitData", "Description", "units", description);
        const int move = st == Style::Mounted ? 240 : st == Style::Beast ? 180 : st == Style::Caster ? 140 : 150;
        d.Set("UnitData", "MovementRate", Tenths(move + rng.Range(-3, 3) * 5));
        d.Set("UnitData", "WalkDistance", Hundredths(st == Style::Mounted ? 120 : 80 + rng.Range(0, 2) * 5));
        d.Set("UnitData", "BannerFrame", std::to_string(rng.Range(0, 63)));

        const bool captain = std::string(role.type) == "Captain";
        d.Set("CompanyData", "Morale", std::to_string(captain ? rng.Range(60, 80) : rng.Range(20, 55)));
        d.Set("CompanyData", "VisualRange", std::to_string(rng.Range(6, 9) + (st == Style::Ranged ? 2 : 0)));
        d.Set("CompanyData", "ControlZone", std::to_string(captain ? 5 : rng.Range(2, 4)));
        static const char* const kEntrench[] = {"1", "1", "1.5", "0.5", "2"};
        d.Set("CompanyData", "EntrenchmentRate", kEntrench[rng.Below(5)]);

        const bool ranged = st == Style::Ranged || st == Style::Caster;
        d.Set("Attack1", "AttackType", ranged ? "Projectile" : "Melee");
        static const char* const kSwings[] = {"attack_a", "attack_b", "swing", "thrust"};
        d.Set("Attack1", "Animation", st == Style::Beast ? "bite" : ranged ? "shoot" : kSwings[rng.Below(4)]);
        d.Set("Attack1", "Damage", std::to_string(std::max(1, vary(role.damage))));
        std::string damageType = role.damageType;
        if (rng.Percent(5)) damageType = Upper(damageType);
        d.Set("Attack1", "DamageType", damageType);
        d.Set("Attack1", "MoraleDamage", std::to_string(rng.Range(0, 4)));
        const std::string dt = role.damageType;
        d.Set("Attack1", "MoraleType", dt == "Holy" || dt == "Unholy" || dt == "Vorpal" ? dt : "Normal");
        d.Set("Attack1", "ReloadTime", Tenths(ranged ? rng.Range(12, 20) : rng.Range(7, 12)));
        if (ranged) d.Set("Attack1", "Range", std::to_string(rng.Range(5, 9)));
        d.Set("Attack1", "Sound1", sound("attack"));
        if (rng.Percent(40)) d.Set("Attack1", "Sound2", sound("charge"));

        if (st == Style::Caster) {
            d.Set("Attack2", "AttackType", "Cast");
            d.Set("Attack2", "Animation", "cast");
            d.Set("Attack2", "Sound1", sound("cheer"));
            d.Set("SpellData", "MaxMana", std::to_string(rng.Range(4, 12) * 10));
            d.Set("SpellData", "ManaRegenerationRate", Tenths(rng.Range(3, 15)));
            d.Set("SpellData", "Spell0", rng.Pick(SpellNames()));
            if (rng.Percent(50)) d.Set("SpellData", "Spell1", rng.Pick(SpellNames()));
        } else if (st == Style::Builder) {
            d.Set("Attack2", "AttackType", "Build");
            d.Set("Attack2", "Animation", "build");
            d.Set("Attack2", "Damage", "0");
            d.Set("Attack2", "ReloadTime", "2.0");
        } else if ((st == Style::Mounted && rng.Percent(60)) || (st == Style::Ranged && rng.Percent(30)) || rng.Percent(10)) {
            d.Set("Attack2", "AttackType", "Melee");
            d.Set("Attack2", "Animation", st == Style::Mounted ? "charge" : "attack_b");
            d.Set("Attack2", "Damage", std::to_string(std::max(1, vary(role.damage) * (st == Style::Mounted ? 3 : 1) / 2)));
            d.Set("Attack2", "DamageType", role.damageType);
            d.Set("Attack2", "MoraleDamage", std::to_string(rng.Range(1, 6)));
            d.Set("Attack2", "MoraleType", "Normal");
            d.Set("Attack2", "ReloadTime", Tenths(rng.Range(8, 30)));
            d.Set("Attack2", "Sound1", sound("charge"));
        } else if (rng.Percent(25)) {
            d.Set("Attack2", "AttackType", "0");
        }

        if (rng.Percent(30) || std::string(role.type) == "Monster") {
            AddBonuses(d, "ElementBonus", rng.Range(1, 3), rng, expansion);
        }
        if (captain || std::string(role.name) == "Drummer" || std::string(role.name) == "Chaplain") {
            AddBonuses(d, "SupportBonus", rng.Range(1, 2), rng, expansion, {captain ? "Leadership" : "MoraleBonus"});
        }

        const bool recruited = role.cost > 0;
        if (recruited) {
            if (rng.Percent(40)) d.Set("BuildHierarchy", "OnlyFaction", HomeFaction(plan.race, rng.Below(2)));
            if (rng.Percent(15)) d.Set("BuildHierarchy", "ExceptFaction", kFactions[rng.Below(4)]);
            d.Set("BuildHierarchy", "Race", rng.Percent(85) ? race : "Any");
            if (rng.Percent(35)) {
                std::vector<std::string> techs = TechnologyNames();
                techs.insert(techs.end(), GuildTechnologyNames().begin(), GuildTechnologyNames().end());
                d.Set("BuildHierarchy", "Technology", rng.Pick(techs));
            } else if (rng.Percent(20)) {
                d.Set("BuildHierarchy", "Technology", "None");
            }
            std::vector<std::string> names = ComponentNames(expansion);
            rng.Shuffle(names);
            const int n = std::min<int>(static_cast<int>(names.size()), rng.Range(0, 3));
            for (int i = 0; i < n; ++i) {
                // One in ten was typed in lower case; the game does not mind.
                d.Set("BuildHierarchy", "Component" + std::to_string(i + 1), rng.Percent(10) ? Lower(names[i]) : names[i]);
            }
        }
        if (plan.feature) plan.feature(o);
        const std::string* written = o.ini.Get("UnitData", "Type");
        o.type = written ? WordCase(*written) : "Front";
        return o;
    }

    // Every line unit follows a captain of its race, as the rules of war demand.
    void AssignCaptains(Rng& rng) {
        for (GameObject& u : cat_.units) {
            const std::string* type = u.ini.Get("UnitData", "Type");
            const bool front = !type || SameText(*type, "Front");
            if (!front) {
                if (u.ini.HasSection("UnitData") && !u.ini.Get("UnitData", "Captain") && rng.Percent(30)) {
                    u.ini.Set("UnitData", "Captain", "None");
                }
                continue;
            }
            if (!u.ini.HasSection("UnitData") || u.unique == "Ossk_Drone") continue;
            std::vector<std::string> own, any;
            for (const GameObject& c : cat_.units) {
                if (!SameText(c.type, "Captain") || c.unique.size() > 31 || (c.expansion && !u.expansion)) continue;
                any.push_back(c.unique);
                if (c.race == u.race) own.push_back(c.unique);
            }
            if (any.empty()) continue;
            std::string captain = own.empty() ? rng.Pick(any) : rng.Pick(own);
            if (rng.Percent(8)) captain = Upper(captain);
            u.ini.Set("UnitData", "Captain", captain);
        }
    }

    void AddUnits() {
        Rng rng = Rng::Stream(seed_, kUnitStream);
        std::vector<UnitPlan> plans = UnitPlans(rng);
        const size_t share = static_cast<size_t>(ExpansionShare(static_cast<int>(plans.size())));
        for (size_t i = 0; i < plans.size(); ++i) {
            cat_.units.push_back(MakeUnit(plans[i], rng, i >= plans.size() - share));
        }
        // Captains are named once every unit exists; the Skarn Reaver follows the Warchief.
        AssignCaptains(rng);
        if (cat_.units.size() > 1 && cat_.units[1].unique == "Skarn_Warchief") {
            cat_.units[0].ini.Set("UnitData", "Captain", "Skarn_Warchief");
        }
    }

    // ---- heroes ---------------------------------------------------------------------------

    std::vector<HeroPlan> HeroPlans(Rng& rng) {
        auto plan = [](const char* given, const char* family, Race race, const char* faction, Style style,
                       const char* title, std::function<void(GameObject&)> f = {}) {
            HeroPlan p;
            p.unique = std::string(given) + "_" + family;
            p.display = std::string(given) + " " + family;
            p.title = p.display + " " + title;
            p.race = race;
            p.faction = faction;
            p.style = style;
            p.feature = std::move(f);
            return p;
        };
        std::vector<HeroPlan> plans;
        plans.push_back(plan("Aldric", "Vane", kCorvane, "Crownward", Style::Mounted, "the Steadfast", [](GameObject& o) {
            o.ini.Set("SpellData", "Spell0", "Holy Light");
        }));
        plans.back().casts = true;
        plans.push_back(plan("Grusk", "Ironjaw", kSkarn, "Freeholder", Style::Melee, "Kingsbane", [](GameObject& o) {
            o.ini.Set("HeroData", "Boss", "1");
            o.ini.Set("ObjectData", "OverwriteColor", "9");
        }));
        plans.push_back(plan("Lethiel", "Dawnwhisper", kElith, "Conclave", Style::Caster, "of the Long Watch"));
        plans.push_back(plan("Borin", "Stonefist", kThuld, "Crownward", Style::Melee, "the Unbroken"));
        plans.push_back(plan("Ksarath", "Venomspine", kOssk, "Veyl", Style::Beast, "the Hollow", [](GameObject& o) {
            o.ini.Set("HeroData", "Boss", "1");
        }));
        const size_t wanted = static_cast<size_t>(cat_.counts.heroes);
        if (plans.size() >= wanted) {
            plans.resize(wanted);
            return plans;
        }
        std::set<std::string> used;
        for (const HeroPlan& p : plans) used.insert(Lower(p.unique));
        static const Style kStyles[] = {Style::Melee, Style::Mounted, Style::Caster, Style::Ranged, Style::Melee};
        for (int guard = 0; plans.size() < wanted && guard < 1000000; ++guard) {
            const Race race = static_cast<Race>(rng.Below(kRaceCount));
            const std::string& given = rng.Pick(GivenNames(race));
            const std::string& family = rng.Pick(FamilyNames(race));
            HeroPlan p;
            p.unique = given + "_" + family;
            p.display = given + " " + family;
            if (p.unique.size() > 31 || !used.insert(Lower(p.unique)).second) continue;
            p.title = p.display + " " + rng.Pick(HeroEpithets());
            p.race = race;
            p.faction = HomeFaction(race, rng.Below(2));
            p.style = race == kOssk ? Style::Beast : kStyles[rng.Below(5)];
            plans.push_back(std::move(p));
        }
        // Beyond every given and family name of Vaelor: the younger generation.
        for (size_t i = 0; plans.size() < wanted && i < 4 * wanted; ++i) {
            HeroPlan p = plans[i % plans.size()];
            p.unique += "_the_Younger";
            p.display += " the Younger";
            p.title = p.display;
            p.feature = {};
            if (p.unique.size() > 31 || !used.insert(Lower(p.unique)).second) continue;
            plans.push_back(std::move(p));
        }
        return plans;
    }

    GameObject MakeHero(const HeroPlan& plan, Rng& rng, bool expansion) {
        GameObject o;
        o.kind = Kind::Hero;
        o.unique = plan.unique;
        o.fileName = plan.unique + ".ini";
        o.display = plan.display;
        o.race = plan.race;
        o.type = "Hero";
        o.expansion = expansion;
        const std::string race = kRaces[plan.race];
        IniDoc& d = o.ini;
        d.Comment(plan.title + " - hero of the " + race);
        const int hp = rng.Range(30, 60) * 10, def = rng.Range(10, 20), dmg = rng.Range(15, 30);
        Localise(o, "ObjectData", "ProperName", "heroes", plan.display);
        d.Set("ObjectData", "Faction", plan.faction);
        d.Set("ObjectData", "MaxHitPoints", Tenths(hp * 10));
        d.Set("ObjectData", "Defense", std::to_string(def));
        d.Set("ObjectData", "CostGold", std::to_string(rng.Range(60, 99)));
        d.Set("ObjectData", "UpkeepIron", plan.style == Style::Caster ? "0" : "1");
        d.Set("ObjectData", "UpkeepMana", plan.style == Style::Caster ? "2" : "0");
        d.Set("ObjectData", "Weight", plan.style == Style::Mounted ? "4" : "2");
        if (rng.Percent(20)) d.Set("ObjectData", "OverwriteColor", rng.Percent(50) ? "-1" : std::to_string(rng.Range(0, 10)));
        d.Set("ObjectData", "Model", "heroes\\" + Lower(plan.unique) + ".mdl");
        std::vector<std::string> heard;
        auto sound = [&](const char* event) {
            heard.push_back(Sound(plan.race, event, rng, expansion, heard));
            return heard.back();
        };
        d.Set("ObjectData", "DeathSound1", sound("death"));
        d.Set("ObjectData", "SelectionSound1", sound("select"));
        d.Set("ObjectData", "SelectionSound2", sound("cheer"));
        d.Set("ObjectData", "CommandSound1", sound("command"));

        d.Set("HeroData", "Boss", "0");
        Localise(o, "HeroData", "TranslatedName", "heroes", plan.title);
        d.Set("HeroData", "AwakenCost", std::to_string(rng.Range(10, 40) * 10));

        d.Set("UnitData", "Type", "Hero");
        Localise(o, "UnitData", "Description", "heroes",
                 plan.title + ", a hero of the " + race + " who fights for the " + plan.faction + ".\n" +
                     "Heroes grow stronger with every battle: Enlightened, Restored and at last Ascended.");
        d.Set("UnitData", "MovementRate", Tenths(plan.style == Style::Mounted ? 250 : 160));
        d.Set("UnitData", "WalkDistance", Hundredths(plan.style == Style::Mounted ? 125 : 90));
        d.Set("UnitData", "BannerFrame", std::to_string(64 + rng.Range(0, 31)));
        d.Set("CompanyData", "Morale", std::to_string(rng.Range(60, 90)));
        d.Set("CompanyData", "VisualRange", std::to_string(rng.Range(9, 12)));
        d.Set("CompanyData", "ControlZone", std::to_string(rng.Range(4, 6)));
        d.Set("CompanyData", "EntrenchmentRate", "1");

        static const int kLevelGrowth[] = {120, 145, 175};
        for (int level = 1; level <= 3; ++level) {
            const std::string section = "Level" + std::to_string(level);
            d.Set(section, "Defense", std::to_string(std::min(99, def * kLevelGrowth[level - 1] / 100)));
            d.Set(section, "MaxHitPoints", Tenths(hp * kLevelGrowth[level - 1] / 100 * 10));
            d.Set(section, "Experience", std::to_string(1000 * level * level));
        }
        const bool ranged = plan.style == Style::Ranged || plan.style == Style::Caster;
        d.Set("Attack1", "AttackType", ranged ? "Projectile" : "Melee");
        d.Set("Attack1", "Animation", ranged ? "shoot" : "attack_a");
        d.Set("Attack1", "Damage", std::to_string(dmg));
        d.Set("Attack1", "DamageType", plan.style == Style::Caster ? "Magic" : plan.race == kThuld ? "Vaelorite" : "Normal");
        d.Set("Attack1", "MoraleDamage", std::to_string(rng.Range(2, 6)));
        d.Set("Attack1", "MoraleType", plan.race == kSkarn ? "Unholy" : "Normal");
        d.Set("Attack1", "ReloadTime", Tenths(ranged ? 15 : 9));
        d.Set("Attack1", "Sound1", sound("attack"));
        for (int level = 1; level <= 3; ++level) {
            d.Set("Attack0Data" + std::to_string(level), "Damage", std::to_string(dmg * kLevelGrowth[level - 1] / 100));
        }
        const bool caster = plan.style == Style::Caster || plan.casts;
        if (caster) {
            d.Set("Attack2", "AttackType", "Cast");
            d.Set("Attack2", "Animation", "cast");
        } else {
            d.Set("Attack2", "AttackType", plan.style == Style::Mounted ? "Melee" : "0");
            if (plan.style == Style::Mounted) {
                d.Set("Attack2", "Animation", "charge");
                d.Set("Attack2", "Damage", std::to_string(dmg * 2));
                d.Set("Attack2", "DamageType", "Normal");
                d.Set("Attack2", "MoraleDamage", "8");
                d.Set("Attack2", "MoraleType", "Normal");
                d.Set("Attack2", "ReloadTime", "3.0");
            }
        }
        // Every hero has mana; casters have it at every level.
        d.Set("SpellData", "MaxMana", std::to_string(caster ? 120 : 40));
        d.Set("SpellData", "ManaRegenerationRate", caster ? "1.5" : "0.5");
        d.Set("SpellData", "Spell0", rng.Pick(SpellNames()));
        if (caster) {
            for (int level = 1; level <= 3; ++level) {
                const std::string section = "SpellData" + std::to_string(level);
                d.Set(section, "MaxMana", std::to_string(120 + 40 * level));
                d.Set(section, "ManaRegenerationRate", Tenths(15 + 5 * level));
                d.Set(section, "Spell0", level < 2 ? rng.Pick(SpellNames()) : rng.Pick(HeroSpellNames()));
                d.Set(section, "Spell1", rng.Pick(HeroSpellNames()));
            }
        }
        AddBonuses(d, "ElementBonus", 1, rng, expansion);
        for (int level = 1; level <= 3; ++level) {
            AddBonuses(d, "ElementBonus" + std::to_string(level), level + 1, rng, expansion);
        }
        if (rng.Percent(60) || plan.feature) {
            AddBonuses(d, "SupportBonus", 1, rng, expansion, {"Leadership"});
            for (int level = 1; level <= 3; ++level) {
                AddBonuses(d, "SupportBonus" + std::to_string(level), level, rng, expansion, {"Leadership"});
            }
        }
        d.Set("BuildHierarchy", "OnlyFaction", plan.faction);
        d.Set("BuildHierarchy", "Race", race);
        if (plan.feature) plan.feature(o);
        return o;
    }

    void AddHeroes() {
        Rng rng = Rng::Stream(seed_, kHeroStream);
        std::vector<HeroPlan> plans = HeroPlans(rng);
        const size_t share = static_cast<size_t>(ExpansionShare(static_cast<int>(plans.size())));
        for (size_t i = 0; i < plans.size(); ++i) {
            cat_.heroes.push_back(MakeHero(plans[i], rng, i >= plans.size() - share));
        }
    }

    // ---- buildings ------------------------------------------------------------------------

    struct BuildingPlan {
        std::string unique, display, place;
        Race race = kCorvane;
        int level = -1;              // settlement level, or -1 for a site
        const Site* site = nullptr;
        std::string next;            // the settlement's next level
    };

    std::vector<BuildingPlan> BuildingPlans(Rng& rng) {
        std::vector<BuildingPlan> plans;
        std::set<std::string> used;
        auto settlement = [&](const std::string& place, Race race) {
            const std::vector<std::string>& levels = SettlementLevels(race);
            for (size_t l = 0; l < levels.size(); ++l) {
                BuildingPlan p;
                p.place = place;
                p.race = race;
                p.level = static_cast<int>(l);
                p.unique = place + "_" + levels[l];
                p.display = place + " " + levels[l];
                if (l + 1 < levels.size()) p.next = place + "_" + levels[l + 1];
                used.insert(Lower(p.unique));
                plans.push_back(std::move(p));
            }
        };
        auto site = [&](const std::string& place, const Site& s, Race race) {
            BuildingPlan p;
            p.place = place;
            p.race = race;
            p.site = &s;
            p.unique = place + "_" + s.name;
            p.display = place + " " + Spaced(s.name);
            if (p.unique.size() > 31 || !used.insert(Lower(p.unique)).second) return;
            plans.push_back(std::move(p));
        };
        auto findSite = [](const char* name) -> const Site& {
            for (const Site& s : Sites()) {
                if (std::string(s.name) == name) return s;
            }
            std::abort();
        };
        settlement("Ashford", kCorvane);
        site("Blackmere", findSite("Lair"), kOssk);
        site("Irondeep", findSite("Gold_Mine"), kThuld);
        site("Ravenwatch", findSite("Watchtower"), kCorvane);
        settlement("Stonecrag", kThuld);
        const size_t wanted = static_cast<size_t>(cat_.counts.buildings);
        for (int guard = 0; plans.size() < wanted && guard < 1000000; ++guard) {
            const std::string place = PlaceName(rng);
            const Race race = static_cast<Race>(rng.Below(kRaceCount));
            if (rng.Percent(30)) {
                bool fresh = true;
                for (const std::string& level : SettlementLevels(race)) fresh = fresh && !used.count(Lower(place + "_" + level));
                if (fresh) settlement(place, race);
            } else {
                site(place, rng.Pick(Sites()), race);
            }
        }
        plans.resize(std::min(plans.size(), wanted));
        return plans;
    }

    // Militia of a race that a settlement or lair musters: unit names of the right type.
    std::string Muster(Race race, bool monsters, Rng& rng, bool expansion, const std::string& besides = {}) const {
        std::vector<std::string> own, any;
        for (const GameObject& u : cat_.units) {
            if ((u.expansion && !expansion) || u.unique == besides) continue;
            const bool fits = monsters ? SameText(u.type, "Monster") : SameText(u.type, "Militia");
            if (!fits) continue;
            any.push_back(u.unique);
            if (u.race == race) own.push_back(u.unique);
        }
        if (!own.empty()) return rng.Pick(own);
        return any.empty() ? std::string() : rng.Pick(any);
    }

    GameObject MakeBuilding(const BuildingPlan& plan, Rng& rng, bool expansion) {
        GameObject o;
        o.kind = Kind::Building;
        o.unique = plan.unique;
        o.fileName = plan.unique + ".ini";
        o.display = plan.display;
        o.race = plan.race;
        o.expansion = expansion;
        const std::string race = kRaces[plan.race];
        IniDoc& d = o.ini;
        const int level = std::max(0, plan.level);
        d.Comment(plan.display + (plan.site ? " - site" : " - settlement of the " + race));
        Localise(o, "ObjectData", "ProperName", "buildings", plan.display);
        const bool towered = plan.site && plan.site->shoots;
        d.Set("ObjectData", "MaxHitPoints", Tenths((plan.site ? (towered ? 900 : 600) : 800 + 600 * level) * 10));
        d.Set("ObjectData", "Defense", std::to_string(plan.site ? (towered ? 14 : 6) : 5 + 3 * level));
        d.Set("ObjectData", "Captureable", plan.site && !plan.site->captureable ? "0" : "1");
        d.Set("ObjectData", "Weight", "0");
        if (rng.Percent(25)) d.Set("ObjectData", "OverwriteColor", rng.Percent(60) ? "-1" : std::to_string(rng.Range(0, 10)));
        d.Set("ObjectData", "Model", "buildings\\" + (plan.site ? Lower(plan.site->name) : Lower(race) + "_" + std::to_string(level + 1)) + ".mdl");

        std::string description;
        if (plan.site) {
            description = plan.site->blurb;
        } else {
            description = "A " + race + " settlement of the " + std::to_string(level + 1) +
                          (level == 0 ? "st" : level == 1 ? "nd" : level == 2 ? "rd" : "th") + " rank.";
            if (!plan.next.empty()) description += "\nBuild enough components and it grows into the next rank.";
        }
        Localise(o, "UnitData", "Description", "buildings", description);

        if (plan.site) {
            d.Set("BuildingData", "GoldProduction", std::to_string(plan.site->gold));
            d.Set("BuildingData", "booty_min", std::to_string(plan.site->bootyMin));
            d.Set("BuildingData", "booty_max", std::to_string(plan.site->bootyMax));
        } else {
            d.Set("BuildingData", "GoldProduction", std::to_string(2 + 2 * level));
            d.Set("BuildingData", "booty_min", std::to_string(20 + 40 * level));
            d.Set("BuildingData", "booty_max", std::to_string(60 + 90 * level));
        }

        const bool lair = plan.site && std::string(plan.site->name) == "Lair";
        if (!plan.site || lair || towered) {
            d.Set("BaseData", "SupplyRange", std::to_string(plan.site ? 4 : 8 + 2 * level));
            d.Set("BaseData", "ControlRange", std::to_string(plan.site ? 5 : 6 + 2 * level));
            d.Set("BaseData", "MilitiaStart", std::to_string(1 + level));
            d.Set("BaseData", "MaxMilitia", std::to_string(4 + 3 * level));
            d.Set("BaseData", "CompanySize", std::to_string(6 + level));
            d.Set("BaseData", "CompanyLimit", std::to_string(1 + level));
            d.Set("BaseData", "MilitiaGrowth", Hundredths(5 + 2 * level));
            const std::string first = Muster(plan.race, lair, rng, expansion);
            d.Set("BaseData", "MilitiaType", first.empty() ? "None" : first);
            const std::string second = Muster(plan.race, lair || level >= 2, rng, expansion, first);
            d.Set("BaseData", "MilitiaType2", second.empty() ? "None" : second);
            if (!plan.site) d.Set("BaseData", "NextLevel", plan.next.empty() ? "None" : plan.next);
        }
        if (!plan.site) {
            d.Set("SettlementData", "ComponentLimit", std::to_string(2 + 2 * level));
            d.Set("SettlementData", "ComponentsRequiredToLevel", std::to_string(1 + level));
            d.Set("SettlementData", "UpgradesRequiredToLevel", std::to_string(level));
            d.Set("SettlementData", "UpgradeCost", std::to_string(300 + 300 * level));
            d.Set("SettlementData", "UpgradeTime", std::to_string(90 + 60 * level));
            d.Set("SettlementData", "GoldLimitModifier", Hundredths(100 + 25 * level));
        }
        if (towered) {
            d.Set("Attack1", "AttackType", "Projectile");
            d.Set("Attack1", "Animation", "fire");
            d.Set("Attack1", "Damage", std::to_string(rng.Range(10, 16)));
            d.Set("Attack1", "DamageType", "Normal");
            d.Set("Attack1", "MoraleDamage", "1");
            d.Set("Attack1", "MoraleType", "Normal");
            d.Set("Attack1", "ReloadTime", "2.0");
            d.Set("Attack1", "Range", "9");
        }
        if (plan.site && plan.site->captureable && rng.Percent(50)) {
            // Outposts and mines can be raised by a faction's engineers.
            d.Set("BuildHierarchy", "OnlyFaction", rng.Percent(50) ? "Any" : kFactions[rng.Below(4)]);
            if (rng.Percent(30)) d.Set("BuildHierarchy", "ExceptFaction", kFactions[rng.Below(4)]);
            d.Set("BuildHierarchy", "Race", rng.Percent(70) ? race : "Any");
            d.Set("BuildHierarchy", "Technology", rng.Percent(50) ? rng.Pick(TechnologyNames()) : std::string("None"));
            std::vector<std::string> names = ComponentNames(expansion);
            if (!names.empty()) d.Set("BuildHierarchy", "Component1", rng.Pick(names));
        }
        return o;
    }

    void AddBuildings() {
        Rng rng = Rng::Stream(seed_, kBuildingStream);
        std::vector<BuildingPlan> plans = BuildingPlans(rng);
        const size_t share = static_cast<size_t>(ExpansionShare(static_cast<int>(plans.size())));
        for (size_t i = 0; i < plans.size(); ++i) {
            const bool expansion = i >= plans.size() - share;
            BuildingPlan& p = plans[i];
            // The next level must exist, and a base settlement grows only into a base one.
            bool nextFound = false;
            for (size_t j = 0; j < plans.size(); ++j) {
                if (plans[j].unique == p.next) nextFound = !(j >= plans.size() - share) || expansion;
            }
            if (!nextFound) p.next.clear();
            cat_.buildings.push_back(MakeBuilding(p, rng, expansion));
        }
    }

    // ---- the retired unit, the expansion's rebalancing ------------------------------------

    void AddRetired() {
        Rng rng = Rng::Stream(seed_, kUnitStream + 100);
        UnitPlan p;
        p.unique = "Corvane_Flagellant";
        p.display = "Corvane Flagellant";
        p.race = kCorvane;
        p.role = &FindRole("Zealot");
        cat_.retired = MakeUnit(p, rng, false);
        cat_.retired.ini.Comment("Withdrawn from the army lists in Ashen Tithe");
    }

    // A few base files that the expansion ships again with new values.
    void AddRebalanced() {
        Rng rng = Rng::Stream(seed_, kRebalanceStream);
        auto pick = [](std::vector<GameObject>& list, size_t firstFiller, size_t count) {
            std::vector<GameObject*> base;
            for (size_t i = 0; i < list.size(); ++i) {
                if (!list[i].expansion && i >= firstFiller) base.push_back(&list[i]);
            }
            if (base.empty()) {
                for (GameObject& o : list) {
                    if (!o.expansion) base.push_back(&o);
                }
            }
            std::vector<GameObject*> chosen;
            for (size_t k = 0; k < count && k < base.size(); ++k) chosen.push_back(base[k * base.size() / count]);
            return chosen;
        };
        auto rebalance = [&](GameObject& o) {
            IniDoc copy = o.ini;
            copy.Comment("Rebalanced in Ashen Tithe");
            if (const std::string* hp = copy.Get("ObjectData", "MaxHitPoints")) {
                copy.Set("ObjectData", "MaxHitPoints", Tenths(ParseTenths(*hp) * 11 / 10));
            }
            if (const std::string* def = copy.Get("ObjectData", "Defense")) {
                copy.Set("ObjectData", "Defense", std::to_string(std::min(99, std::stoi(*def) + 1)));
            }
            if (const std::string* cost = copy.Get("ObjectData", "CostGold")) {
                copy.Set("ObjectData", "CostGold", std::to_string(std::min(99, std::stoi(*cost) + rng.Range(1, 4))));
            }
            o.rebalanced = std::move(copy);
        };
        for (GameObject* o : pick(cat_.units, 21, 3)) rebalance(*o);
        for (GameObject* o : pick(cat_.heroes, 5, 1)) rebalance(*o);
        for (GameObject* o : pick(cat_.buildings, 9, 2)) rebalance(*o);
        int changed = 0;
        for (Component& c : cat_.components) {
            if (c.expansion || changed == 2) continue;
            IniDoc copy = c.doc;
            IniSection& s = copy.Sections().front();
            if (IniKey* k = s.Find("GoldCost")) k->value = std::to_string(std::stoi(k->value) + 25);
            if (IniKey* k = s.Find("BuildTime")) k->value = std::to_string(std::stoi(k->value) - 5);
            c.rebalanced = std::move(copy);
            ++changed;
        }
    }

    // ---- numbering the texts --------------------------------------------------------------

    void AssignStrings() {
        auto assign = [this](std::vector<PendingText>& texts, IniDoc& doc, bool expansion, const std::string& owner) {
            for (PendingText& t : texts) {
                const int n = cat_.strings.AddObjectText(t.table, owner + "." + t.key, t.display, expansion);
                doc.Set(t.section, t.key, StringTable::Ref(n));
            }
        };
        for (bool expansion : {false, true}) {
            for (std::vector<GameObject>* list : {&cat_.units, &cat_.heroes, &cat_.buildings}) {
                for (GameObject& o : *list) {
                    if (o.expansion == expansion) assign(o.texts, o.ini, expansion, o.unique);
                }
            }
            for (Component& c : cat_.components) {
                if (c.expansion == expansion) assign(c.texts, c.doc, expansion, c.name);
            }
            if (!expansion) assign(cat_.retired.texts, cat_.retired.ini, false, cat_.retired.unique);
        }
        // The expansion's copies carry the same references.
        for (std::vector<GameObject>* list : {&cat_.units, &cat_.heroes, &cat_.buildings}) {
            for (GameObject& o : *list) {
                if (!o.rebalanced) continue;
                for (const PendingText& t : o.texts) o.rebalanced->Set(t.section, t.key, *o.ini.Get(t.section, t.key));
            }
        }
        for (Component& c : cat_.components) {
            if (!c.rebalanced) continue;
            for (const PendingText& t : c.texts) c.rebalanced->Set(t.section, t.key, *c.doc.Get(t.section, t.key));
        }
    }

    // ---- settings, colours, bonuses, spells, research --------------------------------------

    void AddSideFiles() {
        IniDoc& s = cat_.settings;
        s.Comment("Dravik - simulation settings");
        s.Set("SimulationSettings", "ResourceMultiplier", "1.0");
        s.Set("SimulationSettings", "NegativeResourceMultiplier", "0.5");
        s.Set("SimulationSettings", "StoneExchange", "4");
        s.Set("SimulationSettings", "WoodExchange", "3");
        s.Set("SimulationSettings", "IronExchange", "6");
        s.Set("SimulationSettings", "ManaExchange", "10");
        s.Set("SimulationSettings", "MinimumDamage", "1");
        s.Set("SimulationSettings", "SupplyDecay", "0.25");
        s.Set("SimulationSettings", "RoutMorale", "10", "companies below this flee");
        s.Set("GameSettings", "StartingGold", "500");
        s.Set("GameSettings", "MaxCompanies", "12");
        s.Set("GameSettings", "DayLength", "600");
        IniDoc at = s;
        at.Comment("Ashen Tithe: the tithe makes every resource a little dearer");
        at.Set("SimulationSettings", "ResourceMultiplier", "1.1");
        at.Set("SimulationSettings", "ManaExchange", "12");
        at.Set("SimulationSettings", "MinimumDamage", "2");
        at.Set("SimulationSettings", "AshTithe", "0.1");
        cat_.rebalancedSettings = std::move(at);

        IniDoc& c = cat_.colors;
        c.Comment("Dravik - player colours, darkest and brightest of 32 shades");
        static const int kColours[10][3] = {{200, 30, 30}, {40, 70, 210}, {40, 170, 60}, {60, 60, 60}, {230, 130, 30},
                                            {140, 50, 170}, {40, 190, 200}, {130, 90, 50}, {230, 230, 230}, {210, 170, 50}};
        for (int n = 0; n < 10; ++n) {
            const std::string stem = "Color_" + std::to_string(n) + "_";
            auto rgb = [](int r, int g, int b) {
                return std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b);
            };
            const int* k = kColours[n];
            const std::string darkest = rgb(k[0] / 4, k[1] / 4, k[2] / 4);
            const std::string brightest = rgb(std::min(255, k[0] + 40), std::min(255, k[1] + 40), std::min(255, k[2] + 40));
            c.Set("PlayerColors", stem + "min", darkest);
            c.Set("PlayerColors", stem + "max", brightest);
            for (int shade = 1; shade <= 32; ++shade) {
                const int lo = shade - 1;
                std::string value = rgb(k[0] / 4 + (std::min(255, k[0] + 40) - k[0] / 4) * lo / 31,
                                        k[1] / 4 + (std::min(255, k[1] + 40) - k[1] / 4) * lo / 31,
                                        k[2] / 4 + (std::min(255, k[2] + 40) - k[2] / 4) * lo / 31);
                // The mod colour's first shade was never filled in; the game falls back to its minimum.
                if (n == 9 && shade == 1) value.clear();
                c.Set("PlayerColors", stem + "shade_" + std::to_string(shade), value);
            }
        }

        cat_.expansionBonuses = 3;

        IniDoc& sp = cat_.spells;
        sp.Comment("Spells of Vaelor, numbered from 0");
        for (size_t i = 0; i < SpellNames().size(); ++i) {
            const std::string section = std::to_string(i);
            sp.Set(section, "name", SpellNames()[i]);
            sp.Set(section, "ManaCost", std::to_string(10 + static_cast<int>(i % 5) * 10));
            sp.Set(section, "Range", std::to_string(4 + static_cast<int>(i % 4) * 2));
            sp.Set(section, "Recharge", Tenths(40 + static_cast<int>(i % 6) * 15));
            sp.Set(section, "Effect", FileStem(SpellNames()[i]));
        }
        IniDoc& hs = cat_.heroSpells;
        hs.Comment("Spells only heroes learn");
        for (size_t i = 0; i < HeroSpellNames().size(); ++i) {
            const std::string section = std::to_string(i);
            hs.Set(section, "name", HeroSpellNames()[i]);
            hs.Set(section, "ManaCost", std::to_string(40 + static_cast<int>(i) * 5));
            hs.Set(section, "Range", "10");
            hs.Set(section, "Effect", FileStem(HeroSpellNames()[i]));
        }
        // Left over from testing; the numbering stops at the gap before it, so no one can learn it.
        const std::string orphan = std::to_string(HeroSpellNames().size() + 1);
        hs.Set(orphan, "name", "Sundering");
        hs.Set(orphan, "ManaCost", "999");

        auto research = [](IniDoc& doc, const std::vector<std::string>& names, const char* comment) {
            doc.Comment(comment);
            for (size_t i = 0; i < names.size(); ++i) doc.Set("TechnologyData", "Technology" + std::to_string(i), names[i]);
            for (size_t i = 0; i < names.size(); ++i) {
                doc.Set(names[i], "Cost", std::to_string(100 + static_cast<int>(i) * 25));
                doc.Set(names[i], "ResearchTime", std::to_string(60 + static_cast<int>(i) * 10));
                doc.Set(names[i], "Requires", i == 0 ? "None" : names[i / 2]);
            }
        };
        research(cat_.technology, TechnologyNames(), "Research of the great houses");
        research(cat_.guildTechnology, GuildTechnologyNames(), "Research bought from the guilds");
    }

    Catalogue& cat_;
    uint64_t seed_;
};

}  // namespace

IniDoc Catalogue::ComponentsDoc(bool withExpansion, bool rebalanced) const {
    IniDoc doc;
    doc.Comment("Settlement components: cost, yield and build time");
    for (size_t i = 0; i < components.size(); ++i) {
        const Component& c = components[i];
        if (c.expansion && !withExpansion) continue;
        const IniDoc& source = rebalanced && c.rebalanced ? *c.rebalanced : c.doc;
        doc.Sections().push_back(source.Sections().front());
    }
    // Read by the game for the bonuses a settlement's components grant; not a component.
    IniSection bonuses{"Settlement_Bonuses", {}};
    bonuses.keys.push_back({"Temple", "MoraleBonus", {}});
    bonuses.keys.push_back({"Stone_Walls", "ArmorBonus", {}});
    bonuses.keys.push_back({"Mage_Tower", "ManaRecovery", {}});
    std::vector<IniSection>& sections = doc.Sections();
    sections.insert(sections.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(4, sections.size())), bonuses);
    return doc;
}

std::string Catalogue::BonusText(bool withExpansion) const {
    IniDoc doc;
    doc.Comment("Bonuses a unit can carry: name1 is the title, name2 the summary, action how the value applies");
    const size_t n = BonusKinds().size() - (withExpansion ? 0 : expansionBonuses);
    for (size_t i = 0; i < n; ++i) {
        const BonusKind& b = BonusKinds()[i];
        doc.Set(b.name, "name1", b.title);
        doc.Set(b.name, "name2", b.summary);
        if (b.action) doc.Set(b.name, "action", b.action);
    }
    return doc.Text("\r\n");
}

Catalogue BuildCatalogue(const Counts& counts, uint64_t seed) {
    Catalogue cat;
    cat.counts = counts;
    cat.expansionBonuses = 3;
    CatalogueBuilder(cat, seed).Build();
    return cat;
}
