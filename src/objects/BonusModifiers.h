// BonusModifiers: the personal and company bonus lists of a unit or hero, as the modifier
// panels show and change them.
//
// A record holds each of the eight bonus sections twice: the current list, which ticking,
// unticking and value edits change, and the as-loaded list, which never changes during the
// session. A bonus a list does not hold counts as "Off". Every change is also recorded in
// the change list, so that the package carries it and the change log names it. Each
// operation returns what the panel's controls must show; messages for the user come back as
// text for the window to put in a box.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "objects/ChangeList.h"
#include "objects/ObjectCatalogue.h"

// Lists are numbered as kBonusSections: personal of hero level L is 2L, company 2L + 1.
inline constexpr int kBonusPanelCount = 8;
inline constexpr int kBonusRows = 6;

inline constexpr int PersonalBonusList(int heroLevel) {
    return 2 * heroLevel;
}
inline constexpr int CompanyBonusList(int heroLevel) {
    return 2 * heroLevel + 1;
}
inline constexpr bool IsPersonalBonusList(int list) {
    return list % 2 == 0;
}

// The value of a bonus newly added with this action: "Multiply" "1.0", "Add" "2", "Flag" "1",
// anything else "0" (the action compared case-insensitively).
std::string BonusDefaultValue(std::string_view action);

// Object names of one panel's controls.
std::string BonusCheckboxName(int list);
std::string BonusRowName(int list, int row);    // row 1..6: the name label
std::string BonusValueName(int list, int row);  // row 1..6: the value box
// Personal rows 1 to 4 take at most 5 characters; 0 is no limit.
int BonusValueMaxLength(int list, int row);

// One row of a panel: the name label and the value box.
struct BonusRow {
    std::string nameControl;
    std::string valueControl;
    std::string name;
    std::string value;
    QSColor color;
    int maxLength = 0;
};

// What one check list box and its rows show.
struct BonusPanel {
    std::string checkbox;
    std::vector<bool> checked;   // one per bonus definition, in definition order
    std::vector<BonusRow> rows;  // the first six entries of the current list
};

// The result of a tick, an untick or a value edit.
struct BonusUpdate {
    bool checked = false;     // the item's check mark after the operation (tick and untick)
    bool showObject = false;  // the object must be shown again; panel holds the new panel
    BonusPanel panel;         // the affected panel when showObject is set
    FieldUpdate field;        // the value box to recolour and whether the list repaints
    std::string message;      // for a warning box; empty when none
};

// Every panel of the record; counterpart is its retail counterpart or null.
std::array<BonusPanel, kBonusPanelCount> ShowBonuses(
    const std::vector<QSBRIXBonusData>& definitions, const ChangeList& changes,
    const QSObjectData& record, const QSObjectData* counterpart);
// One panel: the items of the current list's entries ticked (each the first item equal to the
// entry's name, for every entry, the seventh and later too), and a row per entry up to six: red
// with a change record, else black when the counterpart holds the same value, else green.
BonusPanel ShowBonusPanel(const std::vector<QSBRIXBonusData>& definitions,
                          const ChangeList& changes, const QSObjectData& record,
                          const QSObjectData* counterpart, int list);
// The text colour of check list item `item` of a panel: red when the current value differs
// from the value as loaded, else green without a counterpart or when its value differs, else
// white when selected and black when not.
QSColor BonusItemColor(const std::vector<QSBRIXBonusData>& definitions, const QSObjectData& record,
                       const QSObjectData* counterpart, int list, int item, bool selected);

// Which modifier boxes and rows are visible: in the Units and Heroes views with the sound panel
// mode off, the personal and company lists of the hero level (the base lists outside the
// Heroes view), each with one row per entry, at most six; otherwise nothing.
struct BonusVisibility {
    bool shown = false;  // the two frames
    int personalList = -1;
    int companyList = -1;
    int personalRows = 0;
    int companyRows = 0;
};
BonusVisibility VisibleBonusPanels(const QSObjectData& record, int viewCode, int heroLevel,
                                   bool soundPanelMode);

class BonusModifiers {
  public:
    BonusModifiers(const std::vector<QSBRIXBonusData>& definitions, ChangeList& changes)
        : definitions_(definitions), changes_(changes) {}

    // A left-button release over item `item` whose check mark is now `checked`. A tick adds
    // the definition's default, recorded from "Off"; a full list refuses it and the mark goes
    // off again. An untick removes the entry and records "Off" against the value as loaded, in
    // personal and company lists alike, which takes back the record of a bonus added in this
    // session.
    BonusUpdate Toggle(QSObjectData& record, const QSObjectData* counterpart, int list, int item,
                       bool checked);
    // A key release in the value box of row 1..6 holding text; undoKey is Ctrl+Z, which
    // returns the value as loaded, or the default for a bonus added in this session (which
    // stays recorded as added).
    BonusUpdate EditValue(QSObjectData& record, const QSObjectData* counterpart, int list, int row,
                          const std::string& text, bool undoKey);

    // Sets the value of the entry called name, or its definition's default when value is
    // null. Returns the message for the user: empty when set, "Bonus %s not found in list"
    // (nothing changes) or "Bonus not found" (the default of the first definition is used).
    std::string SetBonusValue(QSObjectData& record, int list, std::string_view name,
                              const std::string* value) const;
    // The value of the entry called name, or null.
    static const std::string* GetBonusValue(const QSObjectData& record, int list,
                                            std::string_view name);
    // The default value of the definition called name; a missing definition sets message to
    // "Bonus not found" and the first definition stands in ("0" when there is none).
    std::string DefaultFor(std::string_view name, std::string* message) const;

  private:
    const std::vector<QSBRIXBonusData>& definitions_;
    ChangeList& changes_;
};
