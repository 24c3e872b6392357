// ModHistory: the global history of an opened mod, a complete comparison of the mod's working
// objects with the retail game, rebuilt every time a package is opened and never stored.
//
// The text is Windows text (CR LF). It begins with the mod's identity, then compares the
// components, units, heroes and buildings of the working set with their retail records,
// paired by unique name (case-insensitive): objects the mod adds, then per object the fields,
// the build components and the eight bonus lists that differ, ignoring letter case.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

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

// One difference of two object lists paired by unique name, as one history line says it:
//   Added     "Added UNIQUE(NAME)."                      only the later list holds the object
//   Removed   "Removed UNIQUE(NAME)."                    only the earlier list holds it
//   Changed   "Changed UNIQUE(NAME) FIELD: from A to B." a field's label, a component name
//             (from Off to On or On to Off) or a bonus key (from Off to a value or back)
// The views point into the compared records and into static texts: they last as long as the
// call that reports them.
struct ObjectDifference {
    enum class Kind : uint8_t { Added, Removed, Changed };
    Kind kind = Kind::Changed;
    std::string_view object;  // the unique name
    std::string_view name;    // the proper name (the later record's for a change)
    std::string_view field;   // empty unless changed
    std::string_view from;
    std::string_view to;
};
using DifferenceSink = std::function<void(const ObjectDifference&)>;

// Compares the later list with the earlier one and reports every difference in line order:
// the later list's records in its order (added, or changed field by field, then the build
// components, then the eight bonus lists), then, with withRemoved, the earlier list's records
// that the later one lacks, in the earlier list's order.
void CompareObjectLists(const QSObjectList& later, const QSObjectList& earlier, bool withRemoved,
                        const DifferenceSink& sink);
// Appends a difference's line (CR LF).
void AppendDifferenceLine(const ObjectDifference& difference, std::string& out);
// Appends the comparison lines of one working list against its retail list.
void CompareObjectLists(const QSObjectList& working, const QSObjectList& retail, std::string& out);

// The whole global history: the header lines, then components, units, heroes and buildings.
std::string BuildGlobalHistory(const ModIdentity& identity, const ObjectCatalogue& catalogue);
