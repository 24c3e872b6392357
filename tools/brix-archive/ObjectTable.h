// ObjectTable: a list of object records as a table for a spreadsheet.
//
// The columns are the same for every kind of object: unique_name, proper_name, every field
// of the field table in row order, named "Section/Key" after the section and key a change
// is recorded under ("component/Key" for the component rows), and change_state.
#pragma once

#include <string>
#include <vector>

#include "objects/ObjectCatalogue.h"

// Every column name, in order.
std::vector<std::string> ObjectTableColumns();

// The header row and one row per record, as CSV: comma separated, CR LF line ends, a field
// quoted (its quotes doubled) when it holds a comma, a double quote, a CR or an LF.
std::string ObjectTableCsv(const QSObjectList& records);

// Appends text as a JSON string: quotes, backslashes and control characters escaped, bytes
// from 0x80 up as they are.
void AppendJsonString(std::string& out, const std::string& text);

// An array of one object per record with the column names as members, in column order:
// every value a string except change_state, a number. Bytes from 0x80 up pass as they are.
std::string ObjectTableJson(const QSObjectList& records);
