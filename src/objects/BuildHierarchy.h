// BuildHierarchy: which settlement components a unit needs, as the components check list
// shows and toggles them.
//
// The loaded component list of a record never changes; a toggle is a change record under
// section `BuildHierarchy` with the component's name as key and "On" (required) or "Off"
// (not required) as value, and the check marks are the loaded list overridden by those
// records. Names are compared case-insensitively throughout.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "objects/ChangeList.h"

class QSObjectData;

inline constexpr const char* kBuildHierarchySection = "BuildHierarchy";

// Whether the record's component list holds name.
bool HasComponent(const QSObjectData& record, std::string_view name);

// The check marks of the list, one per component name: the record's components ticked, then
// every change record of the record's identity applied.
std::vector<bool> ComponentChecks(const QSObjectData& record, const ChangeList& changes,
                                  const std::vector<std::string>& componentNames);

// A left-button release over item `item`, whose check mark is now `checked`: records the
// membership in changes (no control to recolour). An item outside the list does nothing.
FieldUpdate ToggleComponent(QSObjectData& record, const QSObjectData* counterpart,
                            ChangeList& changes, const std::vector<std::string>& componentNames,
                            int item, bool checked);

// The text colour of an item named name with the given check mark.
QSColor ComponentItemColor(const QSObjectData& record, const QSObjectData* counterpart,
                           std::string_view name, bool checked, bool selected);
