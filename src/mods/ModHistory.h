// ModHistory: the global history of an opened mod, a complete comparison of the mod's working
// objects with the retail game, rebuilt every time a package is opened and never stored.
//
// The text is Windows text (CR LF). It begins with the mod's identity, then compares the
// components, units, heroes and buildings of the working set with their retail records,
// paired by unique name (case-insensitive): objects the mod adds, then per object the fields,
// the build components and the eight bonus lists that differ, ignoring letter case.
#pragma once

#include <span>
#include <string>

#include "mods/ModIdentity.h"
#include "objects/ObjectCatalogue.h"

// One compared field of the history: its label and the value of a record it compares.
struct HistoryField {
    const char* label;
    const char* section;  // null: the component's own section
    const char* key;
    int row;  // the record's field row; 0 for the proper name
};
// Every compared field, in the order the lines are written.
std::span<const HistoryField> HistoryFields();

// Appends the comparison lines of one working list against its retail list.
void CompareObjectLists(const QSObjectList& working, const QSObjectList& retail, std::string& out);

// The whole global history: the header lines, then components, units, heroes and buildings.
std::string BuildGlobalHistory(const ModIdentity& identity, const ObjectCatalogue& catalogue);
