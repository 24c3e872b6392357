// FieldTable: every field of a game object the editor knows, written once as data.
//
// Each entry is one value field of an object record: where it is read from (section, key,
// an alternative key, default, which loaders fill it and how the text is treated), and how
// the editor shows it (the control, its kind, the section and key under which a change is
// looked up and recorded, the label and its caption, the hero level it belongs to, the box's
// maximum length and a list's items), and the name and place under which the mod's global
// history reports a change of it. The catalogue, the editor's binding of controls, the
// package builder and the history all read this one table. Rows are numbered from 1 in the
// record's order; kFieldTable[row - 1] is row `row`.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// Which loaders fill a field.
enum FieldKindMask : uint8_t {
    kKindUnits = 1,       // units and heroes
    kKindBuildings = 2,   // buildings
    kKindGlobal = 4,      // the two global settings records
    kKindComponents = 8,  // components
};

// How a loaded text is stored.
enum class LoadRule : uint8_t {
    Plain,             // as read
    FromSettings,      // read from "Data\Settings.ini"
    FromColors,        // read from "Data\Colors.ini"; the alternative key when the first is empty
    ComponentSection,  // the section is the component's name
    ColorName,         // an OverwriteColor index stored as its colour name
    WordCase,          // NormalizeWordCase
    WordCaseZeroNone,  // NormalizeWordCase, then "0" becomes "None"
    UpkeepInteger,     // the decimal text of its integer value
};

enum class ControlKind : uint8_t { Edit, Memo, List, SampleList };

// Where a drop-down list takes its items from.
enum class ListSource : uint8_t {
    None,             // not a list
    Fixed,            // FieldDef::items
    TechnologyNames,  // the technology name list, which begins with "None"
    SpellNames,       // "None", then the spell name list
    Captains,         // "None", then every working unit of Type "Captain"
    Militia,          // "None", then every working unit of Type "Militia" or "Monster"
    Buildings,        // "None", then every working building
};

struct FieldDef {
    int row;              // 1-based position in the record
    const char* section;  // null: the component's own section
    const char* key;
    const char* altKey;        // read when key gives an empty value; null when none
    const char* defaultValue;  // stored when the key is absent
    uint8_t kinds;             // FieldKindMask
    LoadRule rule;
    const char* control;  // object name of the control that shows the field
    ControlKind controlKind;
    const char* shownSection;  // section under which a change is recorded; null: component
    const char* shownKey;      // key under which a change is recorded
    const char* label;         // object name of the label control
    const char* caption;       // the label's caption, the field's name in the change log
    uint8_t level;             // 0 base; 1, 2, 3 the hero level variants
    uint8_t maxLength;         // 0 when the box has no limit
    ListSource listSource;
    std::span<const char* const> items;  // Fixed lists only
    bool acceptsTypedText;               // a list whose box takes typing (never stored)
    bool labelHidden;
    const char* historyLabel;  // the field's name in the global history; null: not compared
    uint8_t historyPlace;      // 1-based place in the history's order of lines; 0: not compared
};

inline constexpr int kFieldCount = 104;
inline constexpr int kFirstBuildRow = 101;
// Rows the catalogue itself looks at.
inline constexpr int kRowOverwriteColor = 24;
inline constexpr int kRowTranslatedName = 27;
inline constexpr int kRowType = 55;  // rows 101 to 104 are the BuildHierarchy values
// Fields the global history compares: the proper name and every row that units, heroes,
// buildings or components fill but the two attack reload times. Their history places are
// 1..kHistoryFieldCount, each used once.
inline constexpr int kHistoryFieldCount = 94;

// Colour names of ObjectData/OverwriteColor, by index; -1 is "Player" as well.
inline constexpr std::array<const char*, 12> kColorNames = {"Red",    "Blue",   "Green",  "Black",
                                                            "Orange", "Purple", "Cyan",   "Brown",
                                                            "Mod",    "Gold",   "Silver", "Player"};

extern const std::array<FieldDef, kFieldCount> kFieldTable;

// The proper name: not a row, but shown and recorded like one.
extern const FieldDef kProperNameField;

// One sound slot control: slot `slot` (0-based) of one of the record's five sound lists.
enum class SoundGroup : uint8_t { Death, Attack1, Attack2, Selection, Command };
inline constexpr int kSoundGroupCount = 5;
// Slots per group, in SoundGroup order.
inline constexpr std::array<int, kSoundGroupCount> kSoundSlots = {2, 2, 2, 5, 4};

struct SoundSlotDef {
    SoundGroup group;
    int slot;
    const char* section;
    const char* key;
    const char* control;
    const char* caption;  // of the label control <control>_label
};
extern const std::array<SoundSlotDef, 15> kSoundSlotTable;

// The hint a control shows when the pointer rests on it, or null when it has none.
const char* ControlHint(std::string_view control);

// Row `row` (1..kFieldCount), or null.
const FieldDef* FieldByRow(int row);
// The entry shown by a control of this object name, or null.
const FieldDef* FieldByControl(std::string_view control);
// The entry recorded under section and key (names compared case-insensitively), or null;
// a null section finds the component rows.
const FieldDef* FieldByShownKey(const char* section, std::string_view key);
