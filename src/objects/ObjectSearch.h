// ObjectSearch: finding objects of a view list by name or by change state, for the window's
// Find, Find Next and Next Changed. The lists are searched, never filtered.
#pragma once

#include <functional>
#include <string_view>

#include "objects/ObjectCatalogue.h"

// Whether the record's unique or proper name contains text, ASCII letters compared without
// regard to case (as names are compared everywhere else). An empty text matches nothing.
bool NameContains(const QSObjectData& record, std::string_view text);

// Whether the record is changed in this session or supplied by the mod.
bool MarkedAsChanged(const QSObjectData& record);

using RecordTest = std::function<bool(const QSObjectData&)>;

// The first row after `after` whose record passes the test, going round to the start and on
// to `after` itself when wrap is set; -1 when none passes. An `after` of -1 starts at row 0.
int NextMatchingRow(const QSObjectList& list, int after, const RecordTest& test, bool wrap);
