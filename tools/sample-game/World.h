// World: the vocabulary of Vaelor, the land of Dravik: its factions, races, troops,
// heroes' names, places, settlement components, bonuses, spells and research.
//
// Everything the sample installation names comes from these tables, so that the data
// reads like the game's own.
#pragma once

#include <string>
#include <vector>

enum Race { kCorvane, kSkarn, kElith, kThuld, kOssk, kRaceCount };

inline constexpr const char* kFactions[] = {"Freeholder", "Crownward", "Conclave", "Veyl"};
inline constexpr const char* kRaces[] = {"Corvane", "Skarn", "Elith", "Thuld", "Ossk"};
inline constexpr const char* kDamageTypes[] = {"Normal", "Magic", "Holy", "Unholy", "Vorpal", "Vaelorite"};
inline constexpr const char* kMoraleTypes[] = {"Normal", "Holy", "Unholy", "Vorpal"};

// The races a role is found among, as a bit mask of 1 << Race.
inline constexpr unsigned kAll = 0x1F;
inline constexpr unsigned Mask(Race r) { return 1u << r; }

enum class Style { Melee, Mounted, Ranged, Caster, Builder, Beast };

// One kind of soldier. Stats are the plain (untiered) values; the generator varies them.
struct Role {
    const char* name;       // as in the unique name: "Standard_Bearer"
    const char* type;       // "Front", "Support", "Captain", "Militia", "Monster", "Solo"
    Style style;
    unsigned races;
    int hitPoints, defense, damage, cost;
    const char* damageType;  // Attack1 damage
    const char* blurb;       // the description's first sentence, after "The <race> <role>"
};
const std::vector<Role>& Roles();
const Role& FindRole(const char* name);

// Heroes' given names and family names, by race.
const std::vector<std::string>& GivenNames(Race race);
const std::vector<std::string>& FamilyNames(Race race);
const std::vector<std::string>& HeroEpithets();
// Faction most often found with a race.
const char* HomeFaction(Race race, unsigned variant);

// Places of Vaelor: a prefix and a suffix make one ("Ash" + "ford").
const std::vector<std::string>& PlacePrefixes();
const std::vector<std::string>& PlaceSuffixes();

// Settlement levels of each race, lowest first ("Hamlet", "Village", ...).
const std::vector<std::string>& SettlementLevels(Race race);
struct Site {
    const char* name;  // "Gold_Mine"
    const char* blurb;
    int gold, bootyMin, bootyMax;
    bool captureable;
    bool shoots;  // a tower with an Attack1
};
const std::vector<Site>& Sites();

struct ComponentKind {
    const char* name;  // the section name in components.ini
    int goldCost, buildTime;
    const char* produces;  // "Wood", "Stone", "Iron", "Mana", "Gold" or null
};
const std::vector<ComponentKind>& ComponentKinds();

struct BonusKind {
    const char* name;
    const char* title;    // name1
    const char* summary;  // name2
    const char* action;   // "Multiply", "Add", "Flag", ... (null: no action key)
    const char* value;    // a typical value on a unit
};
const std::vector<BonusKind>& BonusKinds();

const std::vector<std::string>& SpellNames();        // data\spells.ini
const std::vector<std::string>& HeroSpellNames();    // data\spells_heroes.ini
const std::vector<std::string>& TechnologyNames();   // data\technology.ini
const std::vector<std::string>& GuildTechnologyNames();  // data\technology_guilds.ini

// Lower-case file stem of a spell: "Wrath of Vaelor" gives "wrath_of_vaelor".
std::string FileStem(const std::string& text);
// "Standard_Bearer" gives "Standard Bearer".
std::string Spaced(const std::string& name);
