// IniDoc: an INI text under construction, kept in the order it is written.
//
// Sections and keys are found without regard to letter case, as the game's parser finds
// them; setting a key that exists replaces its value in place, so a placeholder reserved
// early keeps its position when it is filled in later.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct IniKey {
    std::string name;
    std::string value;
    std::string comment;  // written after the value as " ; comment"
};

struct IniSection {
    std::string name;
    std::vector<IniKey> keys;

    const IniKey* Find(std::string_view key) const;
    IniKey* Find(std::string_view key);
};

class IniDoc {
public:
    // A comment line written above the first section.
    void Comment(std::string line) { header_.push_back(std::move(line)); }

    IniSection& Section(std::string_view name);  // found or appended
    const IniSection* FindSection(std::string_view name) const;
    IniSection* FindSection(std::string_view name);
    bool HasSection(std::string_view name) const { return FindSection(name) != nullptr; }
    void RemoveSection(std::string_view name);

    IniDoc& Set(std::string_view section, std::string_view key, std::string value,
                std::string comment = {});
    void Remove(std::string_view section, std::string_view key);
    // The value, or null when the section or the key is missing.
    const std::string* Get(std::string_view section, std::string_view key) const;

    const std::vector<IniSection>& Sections() const { return sections_; }
    std::vector<IniSection>& Sections() { return sections_; }

    // The game's own files end their lines in CR LF; the editor's package builder uses LF.
    std::string Text(std::string_view eol) const;

private:
    std::vector<std::string> header_;
    std::vector<IniSection> sections_;
};

// ASCII case-insensitive equality and prefix test, as the game compares names.
bool SameText(std::string_view a, std::string_view b);
bool StartsWithText(std::string_view text, std::string_view prefix);
