#include "mods/PackageTexts.h"

#include <algorithm>

#include "core/HashName.h"
#include "objects/FieldTable.h"

const std::array<WrittenSoundGroup, kWrittenSoundGroups> kWrittenSoundGroupTable = {{
    {SoundGroup::Death, "ObjectData", "DeathSound"},
    {SoundGroup::Selection, "ObjectData", "SelectionSound"},
    {SoundGroup::Command, "ObjectData", "CommandSound"},
    {SoundGroup::Attack1, "Attack1", "Sound"},
    {SoundGroup::Attack2, "Attack2", "Sound"},
}};

const std::array<const char*, 8> kWrittenBonusSections = {
    "ElementBonus", "ElementBonus1", "ElementBonus2", "ElementBonus3",
    "SupportBonus", "SupportBonus1", "SupportBonus2", "SupportBonus3"};

namespace {

constexpr const char* kColorNamesByIndex[] = {"Red",  "Blue",  "Green", "Black", "Orange", "Purple",
                                              "Cyan", "Brown", "Mod",   "Gold",  "Silver", "Player"};

// The number of a "Component<n>" key (letter case aside, n from 1 without leading zeros and
// nothing after it), or 0.
size_t ComponentKeyNumber(std::string_view key) {
    constexpr std::string_view kPrefix = "Component";
    if (key.size() <= kPrefix.size() || !SameName(key.substr(0, kPrefix.size()), kPrefix)) return 0;
    const std::string_view digits = key.substr(kPrefix.size());
    if (digits.front() < '1' || digits.front() > '9' || digits.size() > 9) return 0;
    size_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<size_t>(c - '0');
    }
    return n;
}

bool StartsWithName(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

char FoldDown(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Sample names sort as the game's tools sort file names: letters folded to lower case.
bool LessFoldedDown(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(FoldDown(a[i]));
        const auto y = static_cast<unsigned char>(FoldDown(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

void Line(std::string& out, std::string_view key, std::string_view value, const char* eol) {
    out.append(key);
    out += '=';
    out.append(value);
    out += eol;
}

void Header(std::string& out, std::string_view section) {
    out += '[';
    out.append(section);
    out += "]\n";
}

}  // namespace

std::string_view IniKeyOfChange(std::string_view section, std::string_view key) {
    const std::string sectionText(section);
    const FieldDef* field = FieldByShownKey(sectionText.c_str(), key);
    if (field && !field->altKey && field->section && SameName(field->section, section)) return field->key;
    return key;
}

std::string ResolveSoundValue(const std::string& entered, const SampleExists& exists) {
    if (exists && exists("Audio\\" + entered)) return entered;
    const size_t cut = entered.find_last_of("\\/:");
    return "Mod\\" + (cut == std::string::npos ? entered : entered.substr(cut + 1));
}

void SortSoundSlots(std::vector<QSSoundData>& slots) {
    std::stable_sort(slots.begin(), slots.end(), [](const QSSoundData& a, const QSSoundData& b) {
        if (a.resolved.empty() != b.resolved.empty()) return b.resolved.empty();
        return LessFoldedDown(a.resolved, b.resolved);
    });
}

bool SkipKeyOnWrite(std::string_view section, std::string_view key, std::string_view value) {
    for (const char* k : {"Technology", "Captain", "MilitiaType", "MilitiaType2", "Nextlevel", "Spell0", "Spell1"}) {
        if (SameName(key, k) && SameName(value, "None")) return true;
    }
    for (const char* k : {"DeathSound", "SelectionSound", "CommandSound"}) {
        if (StartsWithName(key, k)) return true;
    }
    if (StartsWithName(section, "Attack") && StartsWithName(key, "Sound")) return true;
    return StartsWithName(section, "PlayerColors") && StartsWithName(key, "Color_9_shade");
}

std::string TranslateOverwriteColor(std::string_view key, std::string_view value) {
    if (!SameName(key, "OverwriteColor")) return std::string(value);
    if (SameName(value, "Player")) value = "-1";
    for (int i = 0; i < 12; ++i) {
        if (SameName(value, kColorNamesByIndex[i])) return std::to_string(i);
    }
    return std::string(value);
}

std::string WriteObjectIniText(const ObjectIniInput& in) {
    // Which changes a line of the source has already written (scratch of this text only).
    std::vector<bool> consumed(in.changes.size(), false);
    auto find = [&](std::string_view section, std::string_view key) -> int {
        for (size_t i = 0; i < in.changes.size(); ++i) {
            if (SameName(in.changes[i].section, section) && SameName(in.changes[i].key, key)) return static_cast<int>(i);
        }
        return -1;
    };

    // The required components: the source's, less those switched off, then those switched on.
    std::vector<std::string_view> components;
    auto listed = [&](std::string_view value) -> const std::string* {
        for (const std::string& n : in.componentNames) {
            if (SameName(n, value)) return &n;
        }
        return nullptr;
    };
    const IniSourceSection* hierarchy = nullptr;
    for (const IniSourceSection& s : in.source) {
        if (!hierarchy && SameName(s.name, "BuildHierarchy")) hierarchy = &s;
    }
    if (hierarchy) {
        // The components the editor loaded: Component1, Component2... in number order, up to
        // the first number missing (a component after a gap is not required, and writing it
        // renumbered would make it so).
        std::vector<const IniSourceKey*> numbered(hierarchy->keys.size(), nullptr);
        for (const IniSourceKey& k : hierarchy->keys) {
            const size_t n = ComponentKeyNumber(k.name);
            if (n >= 1 && n <= numbered.size() && !numbered[n - 1]) numbered[n - 1] = &k;
        }
        for (const IniSourceKey* k : numbered) {
            if (!k) break;
            const std::string* name = listed(k->value);
            if (!name) continue;
            if (int c = find("BuildHierarchy", *name); c >= 0) {
                consumed[static_cast<size_t>(c)] = true;
            } else {
                components.push_back(*name);
            }
        }
    }
    for (const std::string& name : in.componentNames) {
        const int c = find("BuildHierarchy", name);
        if (c >= 0 && SameName(in.changes[static_cast<size_t>(c)].value, "On")) {
            components.push_back(name);
            consumed[static_cast<size_t>(c)] = true;
        }
    }

    std::string out;
    for (size_t b = 0; b < kWrittenBonusSections.size(); ++b) {
        if (in.bonuses[b].empty()) continue;
        Header(out, kWrittenBonusSections[b]);
        for (const QSBonusPair& p : in.bonuses[b]) Line(out, p.key, p.value, "\n");
    }
    auto soundLines = [&](int group) {
        int number = 0;
        for (const QSSoundData& slot : in.sounds[static_cast<size_t>(group)]) {
            if (slot.resolved.empty()) continue;
            Line(out, kWrittenSoundGroupTable[static_cast<size_t>(group)].stem + std::to_string(++number), slot.resolved, "\n");
        }
    };
    auto componentLines = [&] {
        for (size_t i = 0; i < components.size(); ++i) Line(out, "Component" + std::to_string(i + 1), components[i], "\n");
    };
    for (const IniSourceSection& s : in.source) {
        Header(out, s.name);
        if (SameName(s.name, "ObjectData")) soundLines(0), soundLines(1), soundLines(2);
        if (SameName(s.name, "Attack1")) soundLines(3);
        if (SameName(s.name, "Attack2")) soundLines(4);
        const bool isHierarchy = &s == hierarchy;
        if (isHierarchy) componentLines();
        if (StartsWithName(s.name, "ElementBonus") || StartsWithName(s.name, "SupportBonus")) continue;
        for (const IniSourceKey& k : s.keys) {
            if (isHierarchy && StartsWithName(k.name, "Component")) continue;
            std::string_view value = k.value;
            if (int c = find(s.name, k.name); c >= 0) {
                value = in.changes[static_cast<size_t>(c)].value;
                consumed[static_cast<size_t>(c)] = true;
            }
            const std::string written = TranslateOverwriteColor(k.name, value);
            if (!SkipKeyOnWrite(s.name, k.name, written)) Line(out, k.name, written, "\n");
        }
        for (size_t i = 0; i < in.changes.size(); ++i) {
            const ObjectIniChange& c = in.changes[i];
            if (consumed[i] || !SameName(c.section, s.name)) continue;
            const std::string written = TranslateOverwriteColor(c.key, c.value);
            if (!SkipKeyOnWrite(s.name, c.key, written)) Line(out, c.key, written, "\n");
        }
    }

    // Sections the file lacks but the session fills (a second attack's damage or sounds on a
    // unit that has none, required components without a BuildHierarchy) follow the file's
    // sections, in the order their contents come up; otherwise those edits would be lost.
    // A component switched off needs no line, and bonuses have their own sections above.
    // (The file's own sections take every change of theirs, as they always have.)
    auto isBonus = [](std::string_view section) {
        return StartsWithName(section, "ElementBonus") || StartsWithName(section, "SupportBonus");
    };
    auto componentSwitch = [&](const ObjectIniChange& c) {
        return SameName(c.section, "BuildHierarchy") && listed(c.key) != nullptr;
    };
    // A field the editor keeps out of sight (the translated name that follows the proper
    // name) is no edit of the user's, and gives no unit a hero's section.
    auto hiddenField = [](const ObjectIniChange& c) {
        const std::string section(c.section);
        const FieldDef* field = FieldByShownKey(section.c_str(), c.key);
        return field && field->labelHidden;
    };
    std::vector<std::string_view> added;
    auto need = [&](std::string_view section) {
        for (const IniSourceSection& s : in.source) {
            if (SameName(s.name, section)) return;
        }
        for (std::string_view a : added) {
            if (SameName(a, section)) return;
        }
        added.push_back(section);
    };
    for (int g = 0; g < kWrittenSoundGroups; ++g) {
        const std::vector<QSSoundData>& slots = in.sounds[static_cast<size_t>(g)];
        if (!slots.empty() && !slots.front().resolved.empty()) need(kWrittenSoundGroupTable[static_cast<size_t>(g)].section);
    }
    if (!components.empty()) need("BuildHierarchy");
    for (size_t i = 0; i < in.changes.size(); ++i) {
        const ObjectIniChange& c = in.changes[i];
        if (consumed[i] || isBonus(c.section) || componentSwitch(c) || hiddenField(c)) continue;
        if (!SkipKeyOnWrite(c.section, c.key, TranslateOverwriteColor(c.key, c.value))) need(c.section);
    }
    for (std::string_view section : added) {
        Header(out, section);
        if (SameName(section, "ObjectData")) soundLines(0), soundLines(1), soundLines(2);
        if (SameName(section, "Attack1")) soundLines(3);
        if (SameName(section, "Attack2")) soundLines(4);
        if (SameName(section, "BuildHierarchy")) componentLines();
        for (size_t i = 0; i < in.changes.size(); ++i) {
            const ObjectIniChange& c = in.changes[i];
            if (consumed[i] || !SameName(c.section, section) || componentSwitch(c) || hiddenField(c)) continue;
            const std::string written = TranslateOverwriteColor(c.key, c.value);
            if (!SkipKeyOnWrite(section, c.key, written)) Line(out, c.key, written, "\n");
        }
    }
    return out;
}

std::string WriteModInfoText(const ModIdentity& id) {
    std::string out = "[ModInfo]\r\n";
    Line(out, "TwoCharacterIdentifier", id.twoCharacterId, "\r\n");
    Line(out, "Version", id.savedVersion, "\r\n");
    Line(out, "Author", id.author, "\r\n");
    Line(out, "Author_www", id.authorWww, "\r\n");
    Line(out, "Author_email", id.authorEmail, "\r\n");
    Line(out, "DravikVersion", id.gameVersion, "\r\n");
    Line(out, "BrixVersion", id.programVersion, "\r\n");
    Line(out, "Comments", id.comments, "\r\n");
    return out;
}

std::string WriteModChangesText(std::string_view version, std::span<const ChangeLogLine> changes,
                                std::string_view earlierHistory) {
    std::string out = "Version ";
    out.append(version);
    out += ":\r\n";
    for (const ChangeLogLine& c : changes) {
        out += "Changed ";
        out.append(c.identity);
        out += '(';
        out.append(c.objectName);
        out += ") ";
        out.append(c.label);
        out += " from ";
        out.append(c.before);
        out += " to ";
        out.append(c.value);
        out += ".\r\n";
    }
    out += "\r\n";
    out.append(earlierHistory);
    out += '\0';
    return out;
}
