// ObjectDisplay: what every bound control shows for the object at the current index of the
// view list, computed from the loaded record, its retail counterpart and the change list.
//
// A field with a change record shows its session value in red; otherwise its loaded value,
// green when there is no retail counterpart or the counterpart's value differs
// (case-insensitive), black when equal. A drop-down list selects the first item equal to the
// value, or its first item when none is; a sound slot selects the sample of that name when
// the sample name list has it. The windows render the result and decide nothing themselves.
#pragma once

#include <string>
#include <vector>

#include "objects/BonusModifiers.h"
#include "objects/ChangeList.h"
#include "objects/FieldBinding.h"
#include "objects/FieldTable.h"

class ObjectCatalogue;
class QSObjectData;

// The items of the drop-down lists whose items are not fixed, as the window holds them (they
// are filled when a mod is opened, in the order of the underlying lists).
struct ListItemSet {
    std::vector<std::string> technologies;  // the technology name list, "None" included
    std::vector<std::string> spells;        // "None", then the spell name list
    std::vector<std::string> captains;      // "None", then the working captains
    std::vector<std::string> militia;       // "None", then the working militia and monsters
    std::vector<std::string> buildings;     // "None", then every working building

    // The lists as a freshly opened mod fills them from the catalogue: unit and building
    // names word-case normalised, in the order of the working lists.
    static ListItemSet FromCatalogue(const ObjectCatalogue& catalogue);
    // The items of one field's list (fixed or computed); empty for a field that is no list.
    std::vector<std::string> ItemsOf(const FieldDef& field) const;
    // The computed list of a source, or null for a fixed list or no list.
    const std::vector<std::string>* Computed(ListSource source) const;
};

// What one control shows.
using ShownControl = ControlUpdate;

struct ShownObject {
    std::string uniqueName;              // the text of `unique_name`
    std::vector<ShownControl> controls;  // table order: proper name, rows, sound slots
    // In the Units and Heroes views with the sound panel mode off: whether the spell panel
    // replaces the attack 2 controls (`attack_2_type` reads "Cast").
    bool castRuleApplies = false;
    bool spellPanelShown = false;
    // The eight modifier panels, in kBonusSections order.
    std::array<BonusPanel, kBonusPanelCount> bonuses;
    // The check marks of `components_checklistbox`, one per component name.
    std::vector<bool> components;

    // The entry for a control, or null.
    const ShownControl* Find(std::string_view control) const;
};

// The display of the record at currentIndex of the catalogue's view list; an index outside
// the list gives an empty result.
ShownObject ShowObject(const ObjectCatalogue& catalogue, const ChangeList& changes,
                       int currentIndex, const ListItemSet& lists, bool soundPanelMode = false);

// What the control of a bound field shows (ShowObject's rule for one field): the session
// value in red with a change record, else the loaded value, green against a differing or
// missing retail value, black when equal; a list selects the first item equal to the value
// (case-insensitive), or its first item, and shows that item's text.
ShownControl ShowField(const ChangeList& changes, const FieldBinding& binding,
                       const ListItemSet& lists);

// Editing the shown object's fields by control name. Each operation returns what the
// controls must show and whether the object list's colours changed; an unknown control or an
// index outside the view list does nothing.
class FieldEditor {
  public:
    FieldEditor(ObjectCatalogue& catalogue, ChangeList& changes, const ListItemSet& lists)
        : catalogue_(catalogue), changes_(changes), lists_(lists) {}

    // The control now holds text: recorded against the field's loaded value (SetField). The
    // proper name also records the hidden translated name, which follows it (not for a
    // component, whose proper name lives in its own section).
    FieldUpdate EditField(int currentIndex, std::string_view control, const std::string& text);
    // Ctrl+Z: takes the field's change back (UndoField), the proper name's translated name
    // with it. A list's or a sound slot's update says what to select: what ShowObject would
    // show now.
    FieldUpdate UndoField(int currentIndex, std::string_view control);
    // A sound slot's box now holds text (a sample name of the game or a local file): recorded
    // against the slot's loaded value (SetField); the update selects the sample of that name
    // when the sample name list has it.
    FieldUpdate EditSoundSlot(int currentIndex, std::string_view control, const std::string& text);
    // Clones the shown object under a new unique name (cut to the names' length) and enters
    // its fields as changes; the clone's index in the view list, or -1 when nothing was
    // cloned: the shown object is a component, the name is empty, names an object of the
    // view or holds a character a file name cannot.
    int CloneShown(int currentIndex, const std::string& newUniqueName);

  private:
    ObjectCatalogue& catalogue_;
    ChangeList& changes_;
    const ListItemSet& lists_;
};

// The item of a check list to tick for text: the first item equal to it (exact comparison),
// or -1 when none is or the text is empty.
int CheckItemByText(const std::vector<std::string>& items, std::string_view text);
