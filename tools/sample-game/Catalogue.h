// Catalogue: every object and data file of a sample installation, before it is packed.
//
// One seed and one set of counts give one catalogue; the edition only decides which archive
// each file goes to. The objects come in two blocks: the base game's and, last of each
// kind, the expansion's. Under Ashen Tithe the expansion's block lives in Dravik_AT.qsw
// together with rebalanced copies of a few base files; under Sundered Crowns everything is
// in Dravik.qsw. One retired unit exists only in the expansion's base archive, where the
// expansion's ignore list hides it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "IniDoc.h"
#include "StringTable.h"
#include "Wav.h"
#include "World.h"

struct Counts {
    int units = 60;
    int heroes = 20;
    int buildings = 30;
    int components = 15;
    int samples = 20;
};

enum class Kind { Unit, Hero, Building };

// A text that goes into the localisation table once the numbering is known.
struct PendingText {
    std::string section, key, table, display;
};

struct GameObject {
    Kind kind = Kind::Unit;
    std::string unique;    // the file title
    std::string fileName;  // the file title and its extension
    std::string display;   // the proper name as the game shows it
    Race race = kCorvane;
    std::string type;      // the unit type, as the editor reads it ("Captain", ...)
    IniDoc ini;
    std::optional<IniDoc> rebalanced;  // the expansion's copy, when it has one
    bool expansion = false;
    std::vector<PendingText> texts;

    std::string Path() const;  // "Data\ObjectData\units\Skarn_Reaver.ini"
};

struct Component {
    std::string name;
    IniDoc doc;  // one section, named after the component
    std::optional<IniDoc> rebalanced;
    bool expansion = false;
    std::vector<PendingText> texts;
};

struct Sample {
    std::string name;  // as an object names it: "Game\skarn_death_01.wav"
    Tone tone;
    bool expansion = false;

    std::string Path() const { return "Audio\\" + name; }
};

struct Catalogue {
    Counts counts;
    std::vector<GameObject> units, heroes, buildings;
    GameObject retired;
    std::vector<Component> components;
    std::vector<Sample> samples;
    StringTable strings;

    IniDoc settings, colors, spells, heroSpells, technology, guildTechnology;
    std::optional<IniDoc> rebalancedSettings;
    size_t expansionBonuses = 0;  // the last this many of BonusKinds() come with the expansion

    // "data\objectdata\components.ini" with or without the expansion's components, and in
    // the expansion's rebalanced form or not.
    IniDoc ComponentsDoc(bool withExpansion, bool rebalanced) const;
    std::string ComponentsText(bool withExpansion, bool rebalanced) const {
        return ComponentsDoc(withExpansion, rebalanced).Text("\r\n");
    }
    std::string BonusText(bool withExpansion) const;
};

Catalogue BuildCatalogue(const Counts& counts, uint64_t seed);

// How many of n objects of a kind the expansion adds.
inline int ExpansionShare(int n) { return n / 8; }

// Decimal texts as the game writes them: Tenths(1405) is "140.5", Hundredths(85) is "0.85".
std::string Tenths(int tenths);
std::string Hundredths(int hundredths);
