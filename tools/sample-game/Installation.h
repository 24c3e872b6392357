// Installation: which file of the catalogue goes into which archive of an edition.
//
// Sundered Crowns (DSC) is one archive, Dravik.qsw, holding everything. Ashen Tithe (DAT)
// keeps the base game's block in Dravik.qsw, together with a retired unit, and puts its
// own block in Dravik_AT.qsw along with the files it ships again: rebalanced objects, the
// settings, the components, the bonuses and the second localisation table. Dravik_AT.qsw
// sorts after Dravik.qsw, so its files win, and its ignore list hides the retired unit.
#pragma once

#include <string>
#include <vector>

#include "Catalogue.h"
#include "GameArchive.h"

enum class Edition { Dsc, Dat };

inline constexpr const char* kBaseArchive = "Dravik.qsw";
inline constexpr const char* kExpansionArchive = "Dravik_AT.qsw";
inline constexpr const char* kBaseVersion = "1.6.2.0";       // shown as "1.6.2"
inline constexpr const char* kExpansionVersion = "2.1.0.3";

struct Installation {
    std::vector<ArchiveFile> base;       // Dravik.qsw
    std::vector<ArchiveFile> expansion;  // Dravik_AT.qsw; empty for DSC
    std::vector<std::string> ignore;     // the expansion's ignore list
};

Installation Assemble(const Catalogue& cat, Edition edition);

// The object's text as the edition's game reads it (the expansion's copy wins).
const IniDoc& VisibleIni(const GameObject& object, Edition edition);
