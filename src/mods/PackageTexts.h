// PackageTexts: the texts a mod package holds, written from plain data.
//
// "Data\ModInfo.ini" is nine CR LF lines of the mod's identity. "Data\ModChanges.txt" is the
// version history: a block per save, newest first, then one zero byte that belongs to the
// file. An object's INI text is its source file (the game's, or the package's from an earlier
// save) with the session's changes folded in: LF lines; bonus sections first; sound slots
// sorted and numbered from 1; the required components numbered from 1; keys the mod adds
// after the file's own, and sections the file lacks after its last; "None" choices and the
// mod colour's shades left out; colour names written as their numbers. Every text grows as it needs: nothing is cut at a buffer size.
//
// These rules are shared by the editor's package builder and the sample installation
// generator, so both write the same bytes for the same edits.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mods/ModIdentity.h"
#include "objects/QSObjectData.h"

// One key of a source INI file, its value as stored (untranslated).
struct IniSourceKey {
    std::string_view name;
    std::string_view value;
};
// One section of a source INI file, in the file's order.
struct IniSourceSection {
    std::string_view name;
    std::vector<IniSourceKey> keys;
};

// A change filed under the object's file title: section, key as the INI file spells it, and
// the session value. In the change list's order (section, then key, case-insensitive).
struct ObjectIniChange {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

// The key a change is written under. A change is recorded under the key the editor shows
// the field by; where the game reads the field under another key (the morale damage types),
// the change goes out under the game's key, or the game would never see it. The mod colour is
// the other way round: it is read from the first shade but written as its minimum and
// maximum, the keys it is recorded under.
std::string_view IniKeyOfChange(std::string_view section, std::string_view key);

// The sound groups in the order they are written: death, selection and command sounds of
// ObjectData, then the sounds of Attack1 and Attack2.
inline constexpr int kWrittenSoundGroups = 5;
struct WrittenSoundGroup {
    SoundGroup group;
    const char* section;
    const char* stem;  // the key without its number
};
extern const std::array<WrittenSoundGroup, kWrittenSoundGroups> kWrittenSoundGroupTable;

// The eight bonus sections in the order they are written.
extern const std::array<const char*, 8> kWrittenBonusSections;

// What an object's INI text is made from.
struct ObjectIniInput {
    std::span<const IniSourceSection> source;
    std::span<const ObjectIniChange> changes;
    // The object's bonus lists in kWrittenBonusSections order (empty lists are not written).
    std::array<std::span<const QSBonusPair>, 8> bonuses;
    // Each written group's slots, refreshed and sorted (RefreshSoundSlots).
    std::array<std::vector<QSSoundData>, kWrittenSoundGroups> sounds;
    // The component name list, in its order.
    std::span<const std::string> componentNames;
};

// The value to write for a sound slot as entered: kept when the game holds the sample
// ("Audio\" and the value exists), otherwise "Mod\" and its file name (after the last "\",
// "/" or ":"), which is where a local sample is packed.
using SampleExists = std::function<bool(const std::string& audioResourceName)>;
std::string ResolveSoundValue(const std::string& entered, const SampleExists& exists);

// Sorts a group's slots in place: filled slots by resolved value (case-insensitive), then the
// empty ones.
void SortSoundSlots(std::vector<QSSoundData>& slots);

// Whether a line is left out of an object's INI text.
bool SkipKeyOnWrite(std::string_view section, std::string_view key, std::string_view value);
// OverwriteColor values: "Player" is "-1", a colour name its index; anything else unchanged.
std::string TranslateOverwriteColor(std::string_view key, std::string_view value);

std::string WriteObjectIniText(const ObjectIniInput& input);

// The nine CR LF lines of "Data\ModInfo.ini".
std::string WriteModInfoText(const ModIdentity& identity);

// One line of this save's block of the change log.
struct ChangeLogLine {
    std::string_view identity;
    std::string_view objectName;
    std::string_view label;
    std::string_view before;
    std::string_view value;
};
// "Data\ModChanges.txt": this save's block (version, a line per change, a blank line), the
// history read from the opened package, and one zero byte.
std::string WriteModChangesText(std::string_view version, std::span<const ChangeLogLine> changes,
                                std::string_view earlierHistory);
