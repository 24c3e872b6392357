// StringTable: the game's two localisation resources, "Data\Localized\Strings_01.ini" and
// "Strings_02.ini".
//
// Entries are numbered across both files in load order, and an INI value "STRING_<n>"
// names entry n; so every entry of the first file is added before any of the second. The
// first file holds the common texts and is written as a spreadsheet export would write it
// (CR LF line ends and a sixth, translator-note column that keeps the carriage return out
// of the display text); the second holds the object texts, with LF line ends. The second
// file's entries come in two blocks: the base game's, then the expansion's, so that the
// expansion can ship the whole file with its own entries appended and every number stays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class StringTable {
public:
    // An entry of the first file; returns its number.
    int AddCommon(std::string table, std::string source, std::string display, std::string note = {});
    // An entry of the second file; returns its number. The first file is closed from here.
    int AddObjectText(std::string table, std::string key, std::string display, bool expansion);

    static std::string Ref(int number) {
        std::string s = "STRING_";
        s += std::to_string(number);
        return s;
    }

    // What the game shows for an INI value: the display text of "STRING_<n>" or of an
    // entry whose source text equals the value, else the value itself.
    std::string Translate(const std::string& value) const;

    std::string File01() const;
    // With or without the expansion's block.
    std::string File02(bool withExpansion) const;

    int CommonCount() const { return static_cast<int>(common_.size()); }
    int ObjectCount(bool withExpansion) const;

private:
    struct Entry {
        std::string table, key, source, display, note;
        bool expansion = false;
    };
    static std::string Field(const std::string& text, bool quoted);

    std::vector<Entry> common_;
    std::vector<Entry> objects_;
    bool commonClosed_ = false;
};
