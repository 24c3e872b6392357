#include "ModPackages.h"

#include <algorithm>
#include <cstdlib>

#include "mods/PackageTexts.h"
#include "resources/StreamFormat.h"

namespace {

// How a loaded value is derived from the INI text (the editor's loading rules).
enum class Rule { None, WordCase, Integer, Colour, SecondAttack };

struct FieldRow {
    const char* section;
    const char* key;
    const char* recordKey;  // the key a change is recorded under
    const char* def;        // the value of an absent key
    Rule rule;
    const char* label;      // the caption of the field's label
};

// The fields a cloned object enters as changes, in the editor's field order.
const FieldRow kCloneFields[] = {
    {"UnitData", "Description", "Description", "", Rule::None, "Description:"},
    {"ObjectData", "Defense", "Defense", "", Rule::None, "Defense:"},
    {"Level1", "Defense", "Defense", "", Rule::None, "Defense:"},
    {"Level2", "Defense", "Defense", "", Rule::None, "Defense:"},
    {"Level3", "Defense", "Defense", "", Rule::None, "Defense:"},
    {"ObjectData", "OverwriteColor", "OverwriteColor", "-1", Rule::Colour, "Color:"},
    {"ObjectData", "Faction", "Faction", "", Rule::None, "Faction:"},
    {"HeroData", "Boss", "Boss", "", Rule::None, "Boss:"},
    {"HeroData", "TranslatedName", "TranslatedName", "", Rule::None, ""},
    {"HeroData", "AwakenCost", "AwakenCost", "", Rule::None, "Awaken Cost:"},
    {"ObjectData", "Weight", "Weight", "", Rule::None, "Weight:"},
    {"ObjectData", "Captureable", "Captureable", "", Rule::None, "Captureable:"},
    {"BuildingData", "GoldProduction", "GoldProduction", "", Rule::None, "Gold Production:"},
    {"BuildingData", "booty_min", "booty_min", "", Rule::None, "Min. Booty:"},
    {"BuildingData", "booty_max", "booty_max", "", Rule::None, "Max. Booty:"},
    {"BaseData", "SupplyRange", "SupplyRange", "", Rule::None, "Supply Range:"},
    {"BaseData", "ControlRange", "ControlRange", "", Rule::None, "Control Range:"},
    {"BaseData", "MilitiaStart", "MilitiaStart", "", Rule::None, "Militia Start:"},
    {"BaseData", "MaxMilitia", "MaxMilitia", "", Rule::None, "Max Militia:"},
    {"BaseData", "CompanySize", "CompanySize", "", Rule::None, "Company Size:"},
    {"BaseData", "CompanyLimit", "CompanyLimit", "", Rule::None, "Company Limit:"},
    {"BaseData", "MilitiaGrowth", "MilitiaGrowth", "", Rule::None, "Militia Growth:"},
    {"BaseData", "MilitiaType", "MilitiaType", "", Rule::None, "Militia Type:"},
    {"BaseData", "MilitiaType2", "MilitiaType2", "", Rule::None, "Militia Type 2:"},
    {"BaseData", "NextLevel", "NextLevel", "", Rule::None, "Next Level:"},
    {"SettlementData", "ComponentLimit", "ComponentLimit", "", Rule::None, "Component Limit:"},
    {"SettlementData", "ComponentsRequiredToLevel", "ComponentsRequiredToLevel", "", Rule::None, "Components to level:"},
    {"SettlementData", "UpgradesRequiredToLevel", "UpgradesRequiredToLevel", "", Rule::None, "Upgrades to level:"},
    {"SettlementData", "UpgradeCost", "UpgradeCost", "", Rule::None, "Upgrade Cost:"},
    {"SettlementData", "UpgradeTime", "UpgradeTime", "", Rule::None, "Upgrade Time:"},
    {"SettlementData", "GoldLimitModifier", "GoldLimitModifier", "", Rule::None, "Gold Limit Modifier:"},
    {"ObjectData", "MaxHitPoints", "MaxHitPoints", "50.0", Rule::None, "Max hit points:"},
    {"Level2", "MaxHitPoints", "MaxHitPoints", "", Rule::None, "Max hit points:"},
    {"Level1", "MaxHitPoints", "MaxHitPoints", "", Rule::None, "Max hit points:"},
    {"Level3", "MaxHitPoints", "MaxHitPoints", "", Rule::None, "Max hit points:"},
    {"ObjectData", "CostGold", "CostGold", "10", Rule::None, "Cost in gold:"},
    {"UnitData", "Type", "Type", "Front", Rule::WordCase, "Type:"},
    {"UnitData", "MovementRate", "MovementRate", "15.0", Rule::None, "Move:"},
    {"UnitData", "BannerFrame", "BannerFrame", "", Rule::None, "Banner:"},
    {"UnitData", "Captain", "Captain", "", Rule::WordCase, "Captain:"},
    {"UnitData", "WalkDistance", "WalkDistance", "0.85", Rule::None, "Walk distance:"},
    {"ObjectData", "UpkeepStone", "UpkeepStone", "0", Rule::Integer, "Stone upkeep:"},
    {"ObjectData", "UpkeepWood", "UpkeepWood", "0", Rule::Integer, "Wood upkeep:"},
    {"ObjectData", "UpkeepIron", "UpkeepIron", "0", Rule::Integer, "Iron upkeep:"},
    {"ObjectData", "UpkeepMana", "UpkeepMana", "0", Rule::Integer, "Mana upkeep:"},
    {"CompanyData", "Morale", "Morale", "35", Rule::None, "Morale:"},
    {"CompanyData", "VisualRange", "VisualRange", "8", Rule::None, "Visual range:"},
    {"CompanyData", "ControlZone", "ControlZone", "3", Rule::None, "Control zone:"},
    {"CompanyData", "EntrenchmentRate", "EntrenchmentRate", "1", Rule::None, "Entrenchment:"},
    {"SpellData", "MaxMana", "MaxMana", "", Rule::None, "Max Mana:"},
    {"SpellData1", "MaxMana", "MaxMana", "", Rule::None, "Max Mana:"},
    {"SpellData2", "MaxMana", "MaxMana", "", Rule::None, "Max Mana:"},
    {"SpellData3", "MaxMana", "MaxMana", "", Rule::None, "Max Mana:"},
    {"SpellData", "ManaRegenerationRate", "ManaRegenerationRate", "", Rule::None, "Regen:"},
    {"SpellData1", "ManaRegenerationRate", "ManaRegenerationRate", "", Rule::None, "Regen:"},
    {"SpellData2", "ManaRegenerationRate", "ManaRegenerationRate", "", Rule::None, "Regen:"},
    {"SpellData3", "ManaRegenerationRate", "ManaRegenerationRate", "", Rule::None, "Regen:"},
    {"SpellData", "Spell0", "Spell0", "None", Rule::None, "Spell 0:"},
    {"SpellData1", "Spell0", "Spell0", "None", Rule::None, "Spell 0:"},
    {"SpellData2", "Spell0", "Spell0", "None", Rule::None, "Spell 0:"},
    {"SpellData3", "Spell0", "Spell0", "None", Rule::None, "Spell 0:"},
    {"SpellData", "Spell1", "Spell1", "None", Rule::None, "Spell 1:"},
    {"SpellData1", "Spell1", "Spell1", "None", Rule::None, "Spell 1:"},
    {"SpellData2", "Spell1", "Spell1", "None", Rule::None, "Spell 1:"},
    {"SpellData3", "Spell1", "Spell1", "None", Rule::None, "Spell 1:"},
    {"Attack1", "AttackType", "AttackType", "None", Rule::WordCase, "Type:"},
    {"Attack1", "Animation", "Animation", "", Rule::None, "Anim:"},
    {"Attack1", "Damage", "Damage", "", Rule::None, "Damage:"},
    {"Attack0Data1", "Damage", "Damage", "", Rule::None, "Damage:"},
    {"Attack0Data2", "Damage", "Damage", "", Rule::None, "Damage:"},
    {"Attack0Data3", "Damage", "Damage", "", Rule::None, "Damage:"},
    {"Attack1", "DamageType", "DamageType", "Normal", Rule::WordCase, "DamageType:"},
    {"Attack1", "MoraleDamage", "MoraleDamage", "0", Rule::None, "Morale Damage:"},
    {"Attack1", "MoraleType", "MoraleDamageType", "Normal", Rule::WordCase, "Mor. Dmg Type:"},
    {"Attack1", "ReloadTime", "ReloadTime", "0.5", Rule::None, "Reload Time:"},
    {"Attack2", "AttackType", "AttackType", "None", Rule::SecondAttack, "Type:"},
    {"Attack2", "Animation", "Animation", "", Rule::None, "Anim:"},
    {"Attack2", "Damage", "Damage", "", Rule::None, "Damage:"},
    {"Attack2", "DamageType", "DamageType", "Normal", Rule::WordCase, "DamageType:"},
    {"Attack2", "MoraleDamage", "MoraleDamage", "0", Rule::None, "Morale Damage:"},
    {"Attack2", "MoraleType", "MoraleDamageType", "Normal", Rule::WordCase, "Mor. Dmg Type:"},
    {"Attack2", "ReloadTime", "ReloadTime", "0.5", Rule::None, "Reload Time:"},
    {"BuildHierarchy", "OnlyFaction", "OnlyFaction", "Any", Rule::None, "OnlyFaction:"},
    {"BuildHierarchy", "ExceptFaction", "ExceptFaction", "None", Rule::None, "ExceptFaction:"},
    {"BuildHierarchy", "Technology", "Technology", "None", Rule::None, "Tech:"},
    {"BuildHierarchy", "Race", "Race", "Any", Rule::None, "Race:"},
};

const char* const kColourNames[] = {"Red",  "Blue", "Green", "Black", "Orange", "Purple",
                                    "Cyan", "Brown", "Mod",  "Gold",  "Silver", "Player"};

char FoldLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

int CompareFolded(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char x = FoldLower(a[i]), y = FoldLower(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool LessFolded(const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; }

bool IsBlank(char c) { return c == ' ' || (c >= 9 && c <= 32); }

// The editor's word-case rule: inside a word every letter after the first is lower case.
std::string NormalizeWordCase(std::string text) {
    for (size_t i = 1; i < text.size(); ++i) {
        if (!IsBlank(text[i]) && !IsBlank(text[i - 1])) text[i] = FoldLower(text[i]);
    }
    return text;
}

// One recorded edit of a session.
struct Change {
    std::string identity, display, label, before, after, section, key;
    bool consumed = false;
};

bool ChangeLess(const Change& a, const Change& b) {
    if (int c = CompareFolded(a.identity, b.identity)) return c < 0;
    if (int c = CompareFolded(a.section, b.section)) return c < 0;
    return CompareFolded(a.key, b.key) < 0;
}

struct Session {
    std::string version;
    std::vector<Change> changes;
};

class ModBuilder {
public:
    ModBuilder(const Catalogue& cat, Edition edition) : cat_(cat), edition_(edition) {
        for (const Component& c : cat.components) componentNames_.push_back(c.name);
        std::stable_sort(componentNames_.begin(), componentNames_.end(), LessFolded);
        char text[32];
        const bool dat = edition == Edition::Dat;
        FormatVersionText(PackVersion(dat ? kExpansionVersion : kBaseVersion), text, sizeof text);
        gameVersion_ = dat ? "DAT " : "DSC ";
        gameVersion_ += text;
    }

    const std::string& GameVersion() const { return gameVersion_; }

    // The value the editor holds for a field of an object.
    std::string Loaded(const IniDoc& doc, const FieldRow& row) const {
        const std::string* raw = doc.Get(row.section, row.key);
        std::string v = raw ? cat_.strings.Translate(*raw) : row.def;
        switch (row.rule) {
            case Rule::None:
                break;
            case Rule::WordCase:
                v = NormalizeWordCase(v);
                break;
            case Rule::SecondAttack:
                v = NormalizeWordCase(v);
                if (v == "0") v = "None";
                break;
            case Rule::Integer:
                v = std::to_string(std::strtol(v.c_str(), nullptr, 10));
                break;
            case Rule::Colour: {
                const long n = std::strtol(v.c_str(), nullptr, 10);
                if (v == "-1") {
                    v = "Player";
                } else if (n >= 0 && n <= 11) {
                    v = kColourNames[n];
                }
                break;
            }
        }
        return v;
    }

    std::string LoadedValue(const IniDoc& doc, const char* section, const char* key) const {
        for (const FieldRow& row : kCloneFields) {
            if (SameText(row.section, section) && SameText(row.key, key)) return Loaded(doc, row);
        }
        const std::string* raw = doc.Get(section, key);
        return raw ? cat_.strings.Translate(*raw) : std::string();
    }

    std::string Label(const char* section, const char* key) const {
        for (const FieldRow& row : kCloneFields) {
            if (SameText(row.section, section) && SameText(row.key, key)) return row.label;
        }
        return key;
    }

    // The proper name the editor shows for an object.
    std::string Display(const GameObject& o) const {
        const std::string* name = VisibleIni(o, edition_).Get("ObjectData", "ProperName");
        return name ? cat_.strings.Translate(*name) : o.unique;
    }

    // A field edit recorded as the editor records it.
    Change Edit(const GameObject& o, const char* section, const char* key, std::string after) const {
        Change c;
        c.identity = o.unique;
        c.display = Display(o);
        c.label = Label(section, key);
        c.before = LoadedValue(VisibleIni(o, edition_), section, key);
        c.after = std::move(after);
        c.section = section;
        c.key = key;
        for (const FieldRow& row : kCloneFields) {
            if (SameText(row.section, section) && SameText(row.key, key)) c.key = row.recordKey;
        }
        return c;
    }

    // Ticking a bonus or a component: the value before is "Off" or "On".
    static Change Toggle(const std::string& identity, const std::string& display, const char* section,
                         const std::string& name, const char* before, const std::string& after) {
        return Change{identity, display, name, before, after, section, name, false};
    }

    // Cloning shown under a new unique name enters every non-empty field as a change.
    std::vector<Change> Clone(const GameObject& source, const std::string& unique, const std::string& display) const {
        const IniDoc& doc = VisibleIni(source, edition_);
        std::vector<Change> out;
        out.push_back(Change{unique, display, "Proper name:", "Off", display, "ObjectData", "ProperName", false});
        const bool hero = SameText(LoadedValue(doc, "UnitData", "Type"), "hero");
        for (const FieldRow& row : kCloneFields) {
            const std::string v = Loaded(doc, row);
            if (v.empty() || (hero && SameText(row.key, "OverwriteColor"))) continue;
            out.push_back(Change{unique, display, row.label, "Off", v, row.section, row.recordKey, false});
        }
        // Typing the new proper name also sets the hidden translated name.
        out.push_back(Change{unique, display, "", "", display, "HeroData", "TranslatedName", false});
        return out;
    }

    // The INI text the package builder writes for one object from its source entry and the
    // changes filed under its title.
    std::string ObjectText(const IniDoc& source, const std::string& title, const std::vector<Change>& all) const {
        std::vector<Change> changes;
        for (const Change& c : all) {
            if (SameText(c.identity, title)) changes.push_back(c);
        }
        std::stable_sort(changes.begin(), changes.end(), ChangeLess);
        auto find = [&](const std::string& section, const std::string& key) -> const Change* {
            for (const Change& c : changes) {
                if (SameText(c.section, section) && SameText(c.key, key)) return &c;
            }
            return nullptr;
        };

        ObjectIniInput in;
        std::vector<IniSourceSection> sections;
        for (const IniSection& s : source.Sections()) {
            IniSourceSection& out = sections.emplace_back(IniSourceSection{s.name, {}});
            for (const IniKey& k : s.keys) out.keys.push_back({k.name, k.value});
        }
        in.source = sections;
        std::vector<ObjectIniChange> edits;
        for (const Change& c : changes) edits.push_back({c.section, IniKeyOfChange(c.section, c.key), c.after});
        in.changes = edits;

        // The object's bonus lists as the editor holds them: the file's, with the ticks and
        // unticks of the sessions applied, by name.
        std::array<std::vector<QSBonusPair>, 8> bonuses;
        for (size_t b = 0; b < kWrittenBonusSections.size(); ++b) {
            const char* section = kWrittenBonusSections[b];
            std::vector<QSBonusPair>& list = bonuses[b];
            if (const IniSection* s = source.FindSection(section)) {
                for (const IniKey& k : s->keys) list.push_back({k.name, k.value});
            }
            for (const Change& c : changes) {
                if (!SameText(c.section, section)) continue;
                std::erase_if(list, [&](const QSBonusPair& p) { return SameText(p.key, c.key); });
                if (!SameText(c.after, "Off")) list.push_back({c.key, c.after});
            }
            std::stable_sort(list.begin(), list.end(),
                             [](const QSBonusPair& a, const QSBonusPair& b) { return LessFolded(a.key, b.key); });
            in.bonuses[b] = list;
        }

        const SampleExists exists = [this](const std::string& audioName) {
            for (const Sample& s : cat_.samples) {
                if (SameText("Audio\\" + s.name, audioName)) return true;
            }
            return false;
        };
        for (int g = 0; g < kWrittenSoundGroups; ++g) {
            const WrittenSoundGroup& group = kWrittenSoundGroupTable[static_cast<size_t>(g)];
            std::vector<QSSoundData>& slots = in.sounds[static_cast<size_t>(g)];
            for (int i = 1; i <= kSoundSlots[static_cast<size_t>(group.group)]; ++i) {
                const std::string key = group.stem + std::to_string(i);
                const std::string* v = source.Get(group.section, key);
                QSSoundData slot{v ? *v : std::string(), v ? *v : std::string()};
                if (const Change* c = find(group.section, key)) slot = {c->after, ResolveSoundValue(c->after, exists)};
                slots.push_back(std::move(slot));
            }
            SortSoundSlots(slots);
        }
        in.componentNames = componentNames_;
        return WriteObjectIniText(in);
    }

    static std::string ModInfoText(const ModPackage& p, const std::string& author, const std::string& www,
                                   const std::string& email, const std::string& gameVersion, const std::string& comments) {
        ModIdentity id;
        id.twoCharacterId = p.id;
        id.savedVersion = p.version;
        id.author = author;
        id.authorWww = www;
        id.authorEmail = email;
        id.gameVersion = gameVersion;
        id.programVersion = kProgramVersion;
        id.comments = comments;
        return WriteModInfoText(id);
    }

    // The version history: one block per save, newest first, and the closing zero byte.
    static std::string ModChangesText(std::vector<Session> sessions) {
        std::string history;
        for (Session& s : sessions) {
            std::stable_sort(s.changes.begin(), s.changes.end(), ChangeLess);
            std::vector<ChangeLogLine> lines;
            for (const Change& c : s.changes) lines.push_back({c.identity, c.display, c.label, c.before, c.after});
            history = WriteModChangesText(s.version, lines, history);
            history.pop_back();  // read back up to the zero byte, as the editor does
        }
        return history + '\0';
    }

    const GameObject* Find(const std::vector<GameObject>& list, const char* unique, size_t fallback) const {
        for (const GameObject& o : list) {
            if (o.unique == unique) return &o;
        }
        return fallback < list.size() ? &list[fallback] : nullptr;
    }

    const Catalogue& cat_;
    Edition edition_;
    std::vector<std::string> componentNames_;
    std::string gameVersion_;
};

std::vector<Change> Flatten(const std::vector<Session>& sessions) {
    std::vector<Change> all;
    for (const Session& s : sessions) {
        for (const Change& c : s.changes) {
            std::erase_if(all, [&](const Change& old) {
                return SameText(old.identity, c.identity) && SameText(old.section, c.section) && SameText(old.key, c.key);
            });
            all.push_back(c);
        }
    }
    return all;
}

std::string Plus(const std::string& number, int delta) {
    return std::to_string(std::max(0L, std::strtol(number.c_str(), nullptr, 10) + delta));
}

// Adds the INI entry of every object the sessions touched.
void AddObjects(ModPackage& p, const ModBuilder& b, const std::vector<Session>& sessions,
                const std::vector<std::pair<const GameObject*, std::string>>& objects, Edition edition) {
    const std::vector<Change> all = Flatten(sessions);
    for (const auto& [object, title] : objects) {
        std::string path = object->Path();
        path = path.substr(0, path.rfind('\\') + 1) + title + ".ini";
        if (title == object->unique) path = object->Path();
        p.files.push_back({path, b.ObjectText(VisibleIni(*object, edition), title, all)});
    }
}

const BonusKind* NewBonus(const IniDoc& doc, const char* section, std::initializer_list<const char*> wishes) {
    for (const char* w : wishes) {
        const IniSection* s = doc.FindSection(section);
        if (s && s->Find(w)) continue;
        for (const BonusKind& k : BonusKinds()) {
            if (std::string(k.name) == w) return &k;
        }
    }
    return nullptr;
}

// The value a newly ticked bonus starts with.
std::string DefaultBonusValue(const BonusKind& b) {
    const std::string action = b.action ? b.action : "";
    if (SameText(action, "Multiply")) return "1.0";
    if (SameText(action, "Add")) return "2";
    if (SameText(action, "Flag")) return "1";
    return "0";
}

ModPackage IronTide(const Catalogue& cat, Edition edition, const ModBuilder& b) {
    ModPackage p;
    p.fileName = "IronTide.qsx";
    p.modName = "IronTide";
    p.id = "IT";
    p.version = "1.2";
    p.summary = "changes three units, adds the Iron Vanguard and its sample";
    const GameObject* reaver = b.Find(cat.units, "Skarn_Reaver", 0);
    const GameObject* warchief = b.Find(cat.units, "Skarn_Warchief", 1);
    const GameObject* knight = b.Find(cat.units, "Corvane_Knight", 2);

    Session first{"1.1", {}};
    const IniDoc& r = VisibleIni(*reaver, edition);
    first.changes.push_back(b.Edit(*reaver, "ObjectData", "MaxHitPoints",
                                   Tenths(std::atoi(b.LoadedValue(r, "ObjectData", "MaxHitPoints").c_str()) * 10 + 250)));
    first.changes.push_back(b.Edit(*reaver, "Attack1", "Damage", Plus(b.LoadedValue(r, "Attack1", "Damage"), 2)));
    if (const BonusKind* bonus = NewBonus(r, "ElementBonus", {"ChargeBonus", "Berserk", "MoraleBonus"})) {
        // Ticked, then a value typed into its row: one record from "Off" to the value.
        first.changes.push_back(ModBuilder::Toggle(reaver->unique, b.Display(*reaver), "ElementBonus", bonus->name, "Off", "1.5"));
    }
    const IniDoc& w = VisibleIni(*warchief, edition);
    first.changes.push_back(b.Edit(*warchief, "ObjectData", "Defense", Plus(b.LoadedValue(w, "ObjectData", "Defense"), 2)));
    first.changes.push_back(b.Edit(*warchief, "ObjectData", "CostGold", Plus(b.LoadedValue(w, "ObjectData", "CostGold"), -5)));

    Session second{"1.2", {}};
    const IniDoc& k = VisibleIni(*knight, edition);
    second.changes.push_back(b.Edit(*knight, "ObjectData", "UpkeepWood", "1"));
    if (const std::string* required = k.Get("BuildHierarchy", "Component1")) {
        for (const Component& c : cat.components) {
            if (SameText(c.name, *required)) {
                second.changes.push_back(ModBuilder::Toggle(knight->unique, b.Display(*knight), "BuildHierarchy", c.name, "On", "Off"));
            }
        }
    }
    const std::string clone = "Iron_Vanguard";
    for (Change& c : b.Clone(*knight, clone, "Iron Vanguard")) second.changes.push_back(std::move(c));
    const std::string* selection = k.Get("ObjectData", "SelectionSound1");
    second.changes.push_back(Change{clone, "Iron Vanguard", "Select Snd 1:", selection ? *selection : "",
                                    "C:\\Users\\Maren\\Music\\Dravik\\iron_vanguard_ready.wav", "ObjectData",
                                    "SelectionSound1", false});

    std::vector<Session> sessions = {first, second};
    AddObjects(p, b, sessions, {{reaver, reaver->unique}, {warchief, warchief->unique}, {knight, knight->unique}, {knight, clone}},
               edition);
    Tone ready;
    ready.milliseconds = 350, ready.startHz = 392, ready.endHz = 523, ready.pulses = 2, ready.noiseSeed = 1212;
    p.files.push_back({"Audio\\Mod\\iron_vanguard_ready.wav", MakeWav(ready)});
    p.files.push_back({"Data\\ModInfo.ini",
                       ModBuilder::ModInfoText(p, "Maren Holt", "www.vaelor-forge.net/irontide", "maren.holt@vaelor-forge.net",
                                               b.GameVersion(), "Rebalances the Skarn line and adds the Iron Vanguard.")});
    p.files.push_back({"Data\\ModChanges.txt", ModBuilder::ModChangesText(sessions)});
    return p;
}

ModPackage Oathsworn(const Catalogue& cat, Edition edition, const ModBuilder& b) {
    ModPackage p;
    p.fileName = "Oathsworn.qsx";
    p.modName = "Oathsworn";
    p.id = "OS";
    p.version = "2.0";
    p.accessCode = "#Oth";
    p.summary = "strengthens a hero and makes two components dearer; read-only without its code";
    const GameObject* hero = b.Find(cat.heroes, "Aldric_Vane", 0);
    const IniDoc& h = VisibleIni(*hero, edition);
    Session s{"2.0", {}};
    s.changes.push_back(b.Edit(*hero, "Level2", "MaxHitPoints",
                               Tenths(std::atoi(b.LoadedValue(h, "Level2", "MaxHitPoints").c_str()) * 10 + 400)));
    s.changes.push_back(b.Edit(*hero, "SpellData", "Spell1", "Battle Hymn"));
    if (const BonusKind* bonus = NewBonus(h, "ElementBonus2", {"Fearless", "TrueSight", "Regeneration"})) {
        s.changes.push_back(ModBuilder::Toggle(hero->unique, b.Display(*hero), "ElementBonus2", bonus->name, "Off",
                                               DefaultBonusValue(*bonus)));
    }
    // The components file the game reads: the expansion's under Ashen Tithe.
    const IniDoc components = cat.ComponentsDoc(true, edition == Edition::Dat);
    for (size_t i = 0; i < 2 && i < cat.components.size(); ++i) {
        const IniSection& section = components.Sections()[i];
        const std::string display = cat.strings.Translate(section.Find("ProperName")->value);
        const std::string cost = section.Find("GoldCost")->value;
        const std::string time = section.Find("BuildTime")->value;
        s.changes.push_back(Change{"Components", display, "Gold Cost:", cost, Plus(cost, 20), section.name, "GoldCost", false});
        s.changes.push_back(Change{"Components", display, "Build Time:", time, Plus(time, 10), section.name, "BuildTime", false});
    }
    std::vector<Session> sessions = {s};
    AddObjects(p, b, sessions, {{hero, hero->unique}}, edition);
    // All components share one entry, written from the whole file.
    p.files.push_back({"data\\objectdata\\components.ini", b.ObjectText(components, "components", Flatten(sessions))});
    p.files.push_back({"Data\\ModInfo.ini",
                       ModBuilder::ModInfoText(p, "Ysolde Varn", "", "ysolde@oathsworn.vaelor.net", b.GameVersion(),
                                               "Heroes of the old oaths grow stronger as they rise.\r\n"
                                               "Without the code you may read this mod but not save it.")});
    p.files.push_back({"Data\\ModChanges.txt", ModBuilder::ModChangesText(sessions)});
    return p;
}

ModPackage VeylSecrets(const Catalogue& cat, Edition edition, const ModBuilder& b) {
    ModPackage p;
    p.fileName = "VeylSecrets.qsx";
    p.modName = "VeylSecrets";
    p.id = "VS";
    p.version = "0.9.1";
    p.accessCode = "V3yl";
    p.summary = "changes the settings, the mod colour, a settlement and a unit's components; closed without its code";
    Session s{"0.9.1", {}};
    const IniDoc& settings = edition == Edition::Dat ? *cat.rebalancedSettings : cat.settings;
    auto setting = [&](const char* key, const char* label, const std::string& after) {
        s.changes.push_back(Change{"Settings", "Settings", label, *settings.Get("SimulationSettings", key), after,
                                   "SimulationSettings", key, false});
    };
    setting("ManaExchange", "Mana Exchange:", "8");
    setting("MinimumDamage", "Minimum Damage:", "3");
    auto colour = [&](const char* shade, const char* fallback, const char* label, const std::string& after) {
        const std::string* v = cat.colors.Get("PlayerColors", shade);
        const std::string before = v && !v->empty() ? *v : *cat.colors.Get("PlayerColors", fallback);
        s.changes.push_back(Change{"Colors", "Colors", label, before, after, "PlayerColors", fallback, false});
    };
    colour("Color_9_shade_1", "Color_9_min", "Mod Color Darkest:", "40,10,60");
    colour("Color_9_shade_32", "Color_9_max", "Mod Color Brightest:", "200,110,240");

    const GameObject* building = b.Find(cat.buildings, "Ashford_Village", 0);
    const IniDoc& bd = VisibleIni(*building, edition);
    std::vector<std::pair<const GameObject*, std::string>> objects = {{building, building->unique}};
    if (bd.Get("BaseData", "MaxMilitia")) {
        s.changes.push_back(b.Edit(*building, "BaseData", "MaxMilitia", Plus(*bd.Get("BaseData", "MaxMilitia"), 3)));
    }
    s.changes.push_back(b.Edit(*building, "ObjectData", "Defense", Plus(b.LoadedValue(bd, "ObjectData", "Defense"), 4)));

    // The first unit with one or two required components now needs one more.
    const GameObject* needy = nullptr;
    for (const GameObject& u : cat.units) {
        const IniDoc& doc = VisibleIni(u, edition);
        if (doc.Get("BuildHierarchy", "Component1") && !doc.Get("BuildHierarchy", "Component3") && !needy) needy = &u;
    }
    for (size_t i = 0; needy && i < cat.components.size(); ++i) {
        const Component& c = cat.components[i];
        bool has = false;
        for (const IniKey& k : VisibleIni(*needy, edition).FindSection("BuildHierarchy")->keys) has = has || SameText(k.value, c.name);
        if (has) continue;
        s.changes.push_back(ModBuilder::Toggle(needy->unique, b.Display(*needy), "BuildHierarchy", c.name, "Off", "On"));
        objects.push_back({needy, needy->unique});
        break;
    }
    std::vector<Session> sessions = {s};
    AddObjects(p, b, sessions, objects, edition);
    const std::vector<Change> all = Flatten(sessions);
    p.files.push_back({"Data\\Settings.ini", b.ObjectText(settings, "Settings", all)});
    p.files.push_back({"Data\\Colors.ini", b.ObjectText(cat.colors, "Colors", all)});
    p.files.push_back({"Data\\ModInfo.ini",
                       ModBuilder::ModInfoText(p, "Quill of the Veyl", "veyl.vaelor.net", "", b.GameVersion(),
                                               "What the Veyl know about mana and colour.")});
    p.files.push_back({"Data\\ModChanges.txt", ModBuilder::ModChangesText(sessions)});
    return p;
}

}  // namespace

std::string ModPackagesNeed(const Counts& counts) {
    if (counts.units < 3 || counts.heroes < 1 || counts.buildings < 1 || counts.components < 2) {
        return "--mods needs at least 3 units, 1 hero, 1 building and 2 components";
    }
    return {};
}

std::vector<ModPackage> BuildModPackages(const Catalogue& cat, Edition edition) {
    const ModBuilder builder(cat, edition);
    return {IronTide(cat, edition, builder), Oathsworn(cat, edition, builder), VeylSecrets(cat, edition, builder)};
}
