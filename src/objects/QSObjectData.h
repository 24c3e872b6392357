// QSObjectData: one game object as loaded from its INI resource.
//
// Every value is text: one per row of the field table (the build fields are rows 101 to
// 104), the sixteen bonus lists, the component list and the five sound lists. A loaded
// record is never changed by editing; the session's changes live in the change list.
// (Only a bonus modifier edit or a restore changes a record's bonus lists.)
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <span>
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

// Where the texts of a record's block of values start: 16-bit offsets while its characters
// fit, else 32-bit ones. Read byte-wise, so the block needs no alignment.
struct QSTextStarts {
    const unsigned char* at = nullptr;
    bool wide = false;
    uint32_t operator[](size_t i) const {
        if (wide) {
            uint32_t v;
            std::memcpy(&v, at + 4 * i, 4);
            return v;
        }
        uint16_t v;
        std::memcpy(&v, at + 2 * i, 2);
        return v;
    }
    // Text i of the characters these starts index.
    std::string_view Text(const char* chars, size_t i) const {
        const uint32_t from = (*this)[i];
        return std::string_view(chars + from, (*this)[i + 1] - from);
    }
};

// A run of texts kept in a record's block of values: its components, or one sound group's
// slots. Read-only, and valid while the record, or a copy of it, lives.
class QSTextList {
  public:
    class iterator;
    using value_type = std::string_view;
    using const_iterator = iterator;
    QSTextList() = default;
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::string_view operator[](size_t i) const { return start_.Text(text_, first_ + i); }
    std::string_view front() const { return (*this)[0]; }

    class iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;
        iterator() = default;
        std::string_view operator*() const { return start_.Text(text_, i_); }
        iterator& operator++() {
            ++i_;
            return *this;
        }
        iterator operator++(int) {
            iterator was = *this;
            ++i_;
            return was;
        }
        bool operator==(const iterator& other) const { return i_ == other.i_; }

      private:
        friend class QSTextList;
        // Holds what it reads, not the list: it stays valid when a list made for a loop goes.
        iterator(QSTextStarts start, const char* text, size_t i)
            : start_(start), text_(text), i_(i) {}
        QSTextStarts start_;
        const char* text_ = nullptr;
        size_t i_ = 0;  // into the block's texts
    };
    iterator begin() const { return iterator(start_, text_, first_); }
    iterator end() const { return iterator(start_, text_, first_ + count_); }

    // The same texts in the same order.
    friend bool operator==(const QSTextList& a, const QSTextList& b);

  private:
    friend class QSObjectData;
    QSTextList(QSTextStarts start, const char* text, size_t first, size_t count)
        : start_(start), text_(text), first_(first), count_(count) {}
    QSTextStarts start_;
    const char* text_ = nullptr;
    size_t first_ = 0;
    size_t count_ = 0;
};

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

    // Reads the rows whose kinds include `kinds` from ini, each with its default and loading
    // rule; section stands for the component's own section.
    void LoadRows(QSINIFile& ini, uint8_t kinds, const char* section = nullptr);
    // The same for the rows `wanted` accepts.
    void LoadRowsWhere(QSINIFile& ini, const std::function<bool(const FieldDef&)>& wanted,
                       const char* section = nullptr);

    // The text of a row (1 to kFieldCount); valid while the record, or a copy of it, lives.
    std::string_view Value(int row) const {
        return values_ ? BlockText(values_.get(), static_cast<size_t>(row - 1)) : std::string_view();
    }
    // Makes a new block of values with one changed: for the few rows set one by one
    // (restoring); a file's rows are loaded in one go.
    void SetValue(int row, std::string_view value);
    std::string_view Value(const FieldDef& field) const { return Value(field.row); }

    void SetUniqueName(std::string_view name);
    void SetProperName(std::string_view name);
    const std::string& UniqueName() const { return uniqueName_; }
    const std::string& ProperName() const { return properName_; }

    // ElementBonus .. SupportBonus3 in kBonusSections order, then the same sections again.
    // List i of kBonusListCount: 0-7 as they are now, 8-15 as loaded (kBonusSections order).
    const std::vector<QSBonusPair>& BonusList(size_t i) const;
    // The "Component<n>" values from 1 up to the first missing or empty one.
    QSTextList Components() const;
    // The group's slots as entered, those with a value first (by value, letter case aside);
    // kSoundSlots of the group for a record loaded from a file, else none.
    QSTextList Sounds(SoundGroup group) const;
    // Bonus list i (of kBonusListCount) for changing. The lists are first copied when a copy
    // of the record shares them, and the loaded ones are made apart from the current ones.
    std::vector<QSBonusPair>& MutableBonusList(size_t i);
    // Makes the current bonus lists (0-7) the loaded ones (8-15) again.
    void RestoreLoadedBonusLists();

    // Whether both hold the very same values and lists (a copy neither has changed since).
    bool SharesStorageWith(const QSObjectData& other) const {
        return values_ == other.values_ && lists_ == other.lists_;
    }

    std::string resourceName;
    std::string sourceResourceName;
    uint8_t changeState = kUnchanged;

  private:
    // Every text of the record but its names and bonus lists side by side in one allocation:
    // the rows (1 to kFieldCount), then the sound slots (none, or one group after another in
    // SoundGroup order), then the components. A block never changes once made, so copies of
    // a record (the working pass's copies of the game's records) share it.
    //
    // Layout: the number of sound slots (its top bit set when the starts are 32-bit) and the
    // number of components, 32 bits each; the texts' n + 1 starts (text i is [start[i],
    // start[i + 1]) of the characters); then the characters.
    using Block = std::shared_ptr<const unsigned char[]>;
    static constexpr size_t kBlockHeader = 8;
    static constexpr uint32_t kWideStarts = 1u << 31;
    static uint32_t HeaderWord(const unsigned char* block, size_t word) {
        uint32_t v;
        std::memcpy(&v, block + 4 * word, 4);
        return v;
    }
    static uint32_t BlockSounds(const unsigned char* block) {
        return HeaderWord(block, 0) & ~kWideStarts;
    }
    static uint32_t BlockComponents(const unsigned char* block) { return HeaderWord(block, 1); }
    static QSTextStarts BlockStarts(const unsigned char* block) {
        return {block + kBlockHeader, (HeaderWord(block, 0) & kWideStarts) != 0};
    }
    static const char* BlockChars(const unsigned char* block) {
        const QSTextStarts starts = BlockStarts(block);
        const size_t texts = kFieldCount + BlockSounds(block) + BlockComponents(block);
        return reinterpret_cast<const char*>(starts.at + (texts + 1) * (starts.wide ? 4 : 2));
    }
    static std::string_view BlockText(const unsigned char* block, size_t i) {
        return BlockStarts(block).Text(BlockChars(block), i);
    }
    // Gives the record these rows (row 1 first), keeping its sounds and components.
    void ReplaceValues(const std::array<std::string_view, kFieldCount>& values);
    // Makes the block of these texts: the rows, row 1 first, the sound slots, the components.
    static Block MakeBlock(const std::array<std::string_view, kFieldCount>& values,
                           std::span<const std::string_view> sounds,
                           std::span<const std::string_view> components);

    // The bonus lists, shared by copies of a record like its values until one of them changes.
    using BonusLists = std::array<std::vector<QSBonusPair>, kBonusSections.size()>;
    struct ListSet {
        BonusLists current;
        // The lists as loaded once a current one may have changed (a list for changing was
        // asked for); until then, null: they are the current ones, not held twice. Copies of
        // the set share them until one changes a loaded list.
        std::shared_ptr<BonusLists> loaded;
    };

    std::string uniqueName_;
    std::string properName_;
    Block values_;                    // null: every row empty, no sounds, no components
    std::shared_ptr<ListSet> lists_;  // null: every bonus list empty
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
