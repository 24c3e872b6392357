// QSObjectData: one game object as loaded from its INI resource.
//
// Every value is text: one per row of the field table (the build fields are rows 101 to
// 104), the sixteen bonus lists, the component list and the five sound lists. A loaded
// record is never changed by editing; the session's changes live in the change list.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "objects/FieldTable.h"

class QSINIFile;
class QSResourceMgr;

// One sound slot: the value as entered and the resolved value; both the INI value on loading.
struct QSSoundData {
    std::string entered;
    std::string resolved;
};

// One key of a bonus section with its value.
struct QSBonusPair {
    std::string key;
    std::string value;
};

// The bonus sections, in the order of the record's first (and again its second) eight lists.
inline constexpr std::array<const char*, 8> kBonusSections = {
    "ElementBonus",  "SupportBonus",  "ElementBonus1", "SupportBonus1",
    "ElementBonus2", "SupportBonus2", "ElementBonus3", "SupportBonus3"};
inline constexpr int kBonusListCount = 16;

// Change state of a record.
enum : uint8_t { kUnchanged = 0, kSuppliedByMod = 1, kChangedInSession = 2 };

inline constexpr size_t kMaxNameLength = 31;  // unique and proper names

class QSObjectData {
  public:
    QSObjectData() = default;
    virtual ~QSObjectData() = default;
    QSObjectData(const QSObjectData&) = default;
    QSObjectData& operator=(const QSObjectData&) = default;

    // Reads the proper name, every unit and building field, the sound lists, the bonus
    // sections and the component list from the named resource. A resource that does not
    // exist leaves everything empty.
    virtual void LoadFromIni(QSResourceMgr& mgr, const char* resourceName);
    // The same from a parsed file.
    void LoadFromIni(const QSINIFile& ini);

    // Reads the rows whose kinds include `kinds` from ini; section stands for the
    // component's own section.
    void LoadRows(QSINIFile& ini, uint8_t kinds, const char* section = nullptr);
    // Reads one row from ini with its default and loading rule.
    void LoadRow(QSINIFile& ini, const FieldDef& field, const char* section = nullptr);

    // The text of a row (1 to kFieldCount); valid while the record, or a copy of it, lives.
    std::string_view Value(int row) const {
        return values_ ? values_->At(row) : std::string_view();
    }
    // Makes a new block of values with one changed: for the few rows set one by one (the
    // global and component records, restoring); a whole file is loaded in one go.
    void SetValue(int row, std::string_view value);
    std::string_view Value(const FieldDef& field) const { return Value(field.row); }

    void SetUniqueName(std::string_view name);
    void SetProperName(std::string_view name);
    const std::string& UniqueName() const { return uniqueName_; }
    const std::string& ProperName() const { return properName_; }

    using BonusListSet = std::array<std::vector<QSBonusPair>, kBonusListCount>;
    using SoundListSet = std::array<std::vector<QSSoundData>, kSoundGroupCount>;
    // ElementBonus .. SupportBonus3 in kBonusSections order, then the same sections again.
    // List i of kBonusListCount: 0-7 as they are now, 8-15 as loaded (kBonusSections order).
    const std::vector<QSBonusPair>& BonusList(size_t i) const;
    const std::vector<std::string>& Components() const { return Lists().components; }
    // In SoundGroup order.
    const SoundListSet& Sounds() const { return Lists().sounds; }
    // The same for changing: the lists are first copied when a copy of the record shares them.
    // All 16, the loaded ones made apart from the current ones first.
    BonusListSet& MutableBonusLists();
    std::vector<std::string>& MutableComponents() { return MutableLists().components; }
    SoundListSet& MutableSounds() { return MutableLists().sounds; }

    // Whether both hold the very same values and lists (a copy neither has changed since).
    bool SharesStorageWith(const QSObjectData& other) const {
        return values_ == other.values_ && lists_ == other.lists_;
    }

    std::string resourceName;
    std::string sourceResourceName;
    uint8_t changeState = kUnchanged;

  private:
    // Every row's text side by side in one buffer: two allocations a record rather than one
    // string a row. A block never changes once made, so copies of a record (the working pass's
    // copies of the game's records) share it.
    struct ValueBlock {
        std::array<uint32_t, kFieldCount + 1> start{};  // row r's text: [start[r-1], start[r])
        std::string text;
        std::string_view At(int row) const {
            const auto r = static_cast<size_t>(row);
            return std::string_view(text).substr(start[r - 1], start[r] - start[r - 1]);
        }
    };
    // Makes the block of these values, row 1 first.
    static std::shared_ptr<const ValueBlock> MakeBlock(
        const std::array<std::string_view, kFieldCount>& values);

    // The lists, shared by copies of a record like its values until one of them changes.
    struct ListSet {
        BonusListSet bonus;
        // As loaded, lists 8-15 are lists 0-7 and are not held twice (left empty) until
        // MutableBonusLists is asked for.
        bool loadedAreCurrent = false;
        std::vector<std::string> components;
        SoundListSet sounds;
    };
    const ListSet& Lists() const;
    ListSet& MutableLists();

    std::string uniqueName_;
    std::string properName_;
    std::shared_ptr<const ValueBlock> values_;  // null: every row empty
    std::shared_ptr<ListSet> lists_;            // null: every list empty
};

// Converts every character after the first to lower case unless it or the one before it is
// white space (a space or a code from 9 to 32); so each word keeps its first letter.
void NormalizeWordCase(std::string& text);

// The integer of a text as the C library's atoi reads it (leading white space and one sign
// allowed, reading stops at the first non-digit, no digits give 0), held within int's range.
long long LeadingInteger(std::string_view text);

// The decimal text of a value's integer part: leading white space and a sign are allowed,
// reading stops at the first non-digit, no digits give "0".
std::string UpkeepInteger(std::string_view text);

// The colour name of an OverwriteColor value: "-1" is "Player", 0 to 11 index kColorNames.
// A value outside -1..11 has no colour name and keeps its text.
std::string ColorNameOf(const std::string& value);
