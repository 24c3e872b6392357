#include "ObjectTable.h"

#include <cstdio>

#include "mods/ScriptedEdits.h"
#include "objects/FieldTable.h"
#include "objects/QSObjectData.h"

namespace {

// The cells of one record, in column order; change_state is the last.
std::vector<std::string> Cells(const QSObjectData& record) {
    std::vector<std::string> cells;
    cells.reserve(kFieldCount + 3);
    cells.push_back(record.UniqueName());
    cells.push_back(record.ProperName());
    for (const FieldDef& f : kFieldTable) cells.emplace_back(record.Value(f));
    cells.push_back(std::to_string(record.changeState));
    return cells;
}

void AppendCsvField(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendCsvRow(std::string& out, const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += ',';
        AppendCsvField(out, cells[i]);
    }
    out += "\r\n";
}

}  // namespace

void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

std::vector<std::string> ObjectTableColumns() {
    std::vector<std::string> columns = {"unique_name", "proper_name"};
    for (const FieldDef& f : kFieldTable) {
        columns.push_back(TableColumnOf(f));
    }
    columns.push_back("change_state");
    return columns;
}

std::string ObjectTableCsv(const QSObjectList& records) {
    std::string out;
    AppendCsvRow(out, ObjectTableColumns());
    for (const QSObjectData* record : records) AppendCsvRow(out, Cells(*record));
    return out;
}

std::string ObjectTableJson(const QSObjectList& records) {
    const std::vector<std::string> columns = ObjectTableColumns();
    std::string out = "[";
    bool first = true;
    for (const QSObjectData* record : records) {
        out += first ? "\n{" : ",\n{";
        first = false;
        const std::vector<std::string> cells = Cells(*record);
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += ',';
            AppendJsonString(out, columns[i]);
            out += ':';
            if (i + 1 == cells.size()) {
                out += cells[i];  // change_state, a number
            } else {
                AppendJsonString(out, cells[i]);
            }
        }
        out += '}';
    }
    out += first ? "]\n" : "\n]\n";
    return out;
}
