// FieldBinding: what one control of the editing area stands for on the shown object.
//
// Showing, editing, taking an edit back, restoring and the command line all ask the same
// question: which record does this control belong to, under which identity, section and key
// is its change filed, what is its caption, its loaded value and its retail value? This is
// the one answer. The rules it holds:
//   - every object's changes are filed under its unique name; every component's under
//     "Components", with the component's own name as section (its proper name too, so two
//     components never share a record);
//   - in the Global Stats view the settings fields belong to the first record and the two mod
//     colour fields to the second, whatever the current index;
//   - the hero level variants are fields of their own (their own sections), labelled with
//     the base field's caption;
//   - the retail value is the same field of the retail counterpart, or none when the object
//     exists in the mod alone.
#pragma once

#include <string>
#include <string_view>

#include "objects/ChangeList.h"
#include "objects/FieldTable.h"

class ObjectCatalogue;
class QSObjectData;

struct FieldBinding {
    const FieldDef* field = nullptr;
    QSObjectData* record = nullptr;             // the record the change is filed against
    const QSObjectData* counterpart = nullptr;  // its retail counterpart, or null
    std::string identity;                       // unique name, or "Components"
    std::string section;
    std::string key;
    const char* label = "";               // the caption the change log names the field by
    std::string_view loaded;  // the record's value as loaded
    OptionalText retail;      // the counterpart's value; none without one
};

// The binding of a field for the record at currentIndex of the catalogue's view list; false
// (and out untouched) when the index is not valid or the field has no record in this view
// (a colour field without a second global record).
bool ResolveField(const ObjectCatalogue& catalogue, int currentIndex, const FieldDef& field,
                  FieldBinding& out);

// The same for one sound slot (identity, section, key, the slot's value as entered).
bool ResolveSoundSlot(const ObjectCatalogue& catalogue, int currentIndex, const SoundSlotDef& slot,
                      FieldBinding& out);

// Whether a record is a component (its resource is the shared components file).
bool IsComponentRecord(const QSObjectData& record);
