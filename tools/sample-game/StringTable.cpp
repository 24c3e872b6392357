#include "StringTable.h"

#include <cstdlib>

// Texts are written with line feeds as the two characters "\n"; a long text is quoted, as
// the localisation tool quotes fields that hold punctuation.
std::string StringTable::Field(const std::string& text, bool quoted) {
    std::string out = quoted ? "\"" : "";
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    if (quoted) out += '"';
    return out;
}

int StringTable::AddCommon(std::string table, std::string source, std::string display,
                           std::string note) {
    if (commonClosed_) std::abort();  // numbering of the second file would shift
    Entry e;
    e.table = std::move(table);
    e.key = "common";
    e.source = std::move(source);
    e.display = std::move(display);
    e.note = std::move(note);
    common_.push_back(std::move(e));
    return static_cast<int>(common_.size()) - 1;
}

int StringTable::AddObjectText(std::string table, std::string key, std::string display,
                               bool expansion) {
    commonClosed_ = true;
    if (expansion == false && !objects_.empty() && objects_.back().expansion) std::abort();
    Entry e;
    e.table = std::move(table);
    e.key = std::move(key);
    e.source = e.display = std::move(display);
    e.expansion = expansion;
    objects_.push_back(std::move(e));
    return static_cast<int>(common_.size() + objects_.size()) - 1;
}

std::string StringTable::Translate(const std::string& value) const {
    if (value.rfind("STRING_", 0) == 0) {
        const long n = std::strtol(value.c_str() + 7, nullptr, 10);
        if (n >= 0 && static_cast<size_t>(n) < common_.size()) return common_[static_cast<size_t>(n)].display;
        const size_t k = static_cast<size_t>(n) - common_.size();
        if (n >= 0 && k < objects_.size()) return objects_[k].display;
        return value;
    }
    for (const Entry& e : common_) {
        if (e.source == value) return e.display;
    }
    for (const Entry& e : objects_) {
        if (e.source == value) return e.display;
    }
    return value;
}

int StringTable::ObjectCount(bool withExpansion) const {
    int n = 0;
    for (const Entry& e : objects_) n += (withExpansion || !e.expansion) ? 1 : 0;
    return n;
}

std::string StringTable::File01() const {
    std::string out =
        "#Language=English\r\n"
        "# Dravik - common texts: factions, races, damage, resources, bonuses, spells, research\r\n"
        "# number\ttable\tkey\tsource text\tdisplay text\ttranslator note\r\n";
    for (size_t i = 0; i < common_.size(); ++i) {
        const Entry& e = common_[i];
        out += std::to_string(i);
        out += '\t';
        out += e.table;
        out += '\t';
        out += e.key;
        out += '\t';
        out += Field(e.source, false);
        out += '\t';
        out += Field(e.display, e.display.find(' ') != std::string::npos && i % 3 == 0);
        out += '\t';
        out += e.note;
        out += "\r\n";
    }
    return out;
}

std::string StringTable::File02(bool withExpansion) const {
    std::string out =
        "#Language=English\n"
        "# Dravik - names and descriptions of units, heroes, buildings and components\n"
        "\"Generated from the design database; change the database, not this file.\"\n";
    bool expansionHeader = false;
    for (size_t i = 0; i < objects_.size(); ++i) {
        const Entry& e = objects_[i];
        if (e.expansion && !withExpansion) break;
        if (e.expansion && !expansionHeader) {
            out += "# Ashen Tithe\n";
            expansionHeader = true;
        }
        const bool longText = e.display.size() > 40;
        out += std::to_string(common_.size() + i);
        out += '\t';
        out += e.table;
        out += '\t';
        out += e.key;
        out += '\t';
        out += Field(e.source, longText);
        out += '\t';
        out += Field(e.display, longText);
        out += '\n';
    }
    return out;
}
