// PackageBuilder: everything one save puts into a mod package.
//
// The entries are "Data\ModInfo.ini", "Data\ModChanges.txt", the INI text of every object
// that differs from the game (all components share one entry) and the samples the mod
// brings: local WAV files packed as "Audio\Mod\<file name>", and the samples of an earlier
// save copied out of the opened package again. A sample of the game's own archives is never
// copied. The builder reads the objects, the change list and the resource manager and
// changes none of them, so a save that fails leaves the session exactly as it was.
#pragma once

#include <array>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "mods/ModIdentity.h"
#include "mods/PackageTexts.h"
#include "objects/ObjectCatalogue.h"
#include "resources/QSResourcer.h"

class ChangeList;
struct QSChange;
class QSResourceMgr;

// The entries of one package and the bytes they point at.
struct PackageContents {
    std::vector<PackageEntry> entries;
    std::deque<std::string> buffers;  // texts and samples; entries point into them
};

class PackageBuilder {
  public:
    PackageBuilder(QSResourceMgr& mgr, const ObjectCatalogue& catalogue, const ChangeList& changes,
                   std::string openedPackagePath);

    // ModInfo.ini, ModChanges.txt (this save's block over the earlier history), then the
    // objects of components, global settings, units, heroes and buildings.
    PackageContents BuildPackageEntries(const ModIdentity& identity, std::string_view versionHistory);

    // The INI entry of every changed object of a working list, and every object's samples.
    void AddObjectEntries(const QSObjectList& list, PackageContents& out);
    // An object's sound slots as written: as entered in this session, sorted by group.
    using SoundSlots = std::array<std::vector<QSSoundData>, kWrittenSoundGroups>;
    SoundSlots WrittenSoundSlots(const QSObjectData& record);
    // The INI text of one object over its source entry; false when the source cannot be had.
    bool WriteObjectIniText(const QSObjectData& record, const SoundSlots& slots, std::string* text);
    // The value written for a sound slot as entered.
    std::string ResolveSoundValue(const std::string& entered);
    // A sample's entry: copied from the opened package, or read from a local file.
    void AddSoundEntry(const QSSoundData& slot, PackageContents& out);

  private:
    std::span<const QSChange* const> ChangesFiledFor(const QSObjectData& record) const;
    void Add(PackageContents& out, std::string name, std::string bytes);

    QSResourceMgr& mgr_;
    const ObjectCatalogue& catalogue_;
    const ChangeList& changes_;
    std::string openedPackagePath_;
    bool componentsWritten_ = false;
    std::unordered_set<std::string> packedSamples_;  // folded names of the samples added
};

// The file title of a resource path: after the last "\", without a final extension of at
// most four characters ("data\objectdata\components.ini" gives "components").
std::string ResourceFileTitle(std::string_view resourcePath);
