// ModPackages: mod packages (.qsx) laid beside a sample installation, written as the
// editor's package builder writes them.
//
// Each package holds "Data\ModInfo.ini" (nine CR LF lines), "Data\ModChanges.txt" (one
// block per save, newest first, CR LF, ending in one zero byte), the INI text of every
// object the mod changed or added (LF line ends; bonus sections first, sound slots sorted
// and renumbered, component lines renumbered, "None" choices left out, colours written as
// numbers) and the samples it brings under "Audio\Mod\".
#pragma once

#include <string>
#include <vector>

#include "Catalogue.h"
#include "GameArchive.h"
#include "Installation.h"

struct ModPackage {
    std::string fileName;    // "IronTide.qsx"
    std::string modName;     // the file title
    std::string id;          // two characters
    std::string version;
    std::string accessCode;  // empty: not protected
    std::string summary;     // one line for the report
    std::vector<ArchiveFile> files;
};

// What the packages need of an installation; empty when the counts suffice.
std::string ModPackagesNeed(const Counts& counts);

std::vector<ModPackage> BuildModPackages(const Catalogue& cat, Edition edition);
