#include "objects/QSObjectData.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "core/HashName.h"
#include "core/QSINIFile.h"
#include "resources/QSResourceMgr.h"

namespace {

bool IsBlank(unsigned char c) {
    return c >= 9 && c <= 32;
}

std::string Read(const QSINIFile& ini, const char* section, const char* key, const char* def) {
    std::string out;
    ini.GetINIString(section, key, def, out);
    return out;
}

// Sound slots with a value first, by value case-insensitively; empty slots last.
bool SoundBefore(const QSSoundData& a, const QSSoundData& b) {
    if (a.entered.empty() != b.entered.empty()) return b.entered.empty();
    return CompareNames(a.entered, b.entered) < 0;
}

}  // namespace

long long LeadingInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value =
            std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    value = negative ? -value : value;
    return std::clamp<long long>(value, INT_MIN, INT_MAX);
}

void NormalizeWordCase(std::string& text) {
    for (size_t i = 1; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsBlank(c) || IsBlank(static_cast<unsigned char>(text[i - 1]))) continue;
        if (c >= 'A' && c <= 'Z') text[i] = static_cast<char>(c - 'A' + 'a');
    }
}

std::string UpkeepInteger(std::string_view text) {
    return std::to_string(LeadingInteger(text));
}

std::string ColorNameOf(const std::string& value) {
    const long long index = LeadingInteger(value);
    if (index == -1) return "Player";
    if (index >= 0 && index < static_cast<long long>(kColorNames.size()))
        return kColorNames[static_cast<size_t>(index)];
    return value;
}

void QSObjectData::SetUniqueName(std::string_view name) {
    uniqueName_ = name.substr(0, kMaxNameLength);
}

void QSObjectData::SetProperName(std::string_view name) {
    properName_ = name.substr(0, kMaxNameLength);
}

void QSObjectData::LoadRows(QSINIFile& ini, uint8_t kinds, const char* section) {
    for (const FieldDef& f : kFieldTable) {
        if (f.kinds & kinds) LoadRow(ini, f, section);
    }
}

void QSObjectData::LoadRow(QSINIFile& ini, const FieldDef& f, const char* section) {
    const char* from = f.section ? f.section : section;
    if (!from) return;
    std::string value = Read(ini, from, f.key, f.defaultValue);
    switch (f.rule) {
        case LoadRule::FromColors:
            if (value.empty() && f.altKey) value = Read(ini, from, f.altKey, f.defaultValue);
            break;
        case LoadRule::ColorName:
            value = ColorNameOf(value);
            break;
        case LoadRule::WordCase:
            NormalizeWordCase(value);
            break;
        case LoadRule::WordCaseZeroNone:
            NormalizeWordCase(value);
            if (value == "0") value = "None";
            break;
        case LoadRule::UpkeepInteger:
            value = UpkeepInteger(value);
            break;
        case LoadRule::Plain:
        case LoadRule::FromSettings:
        case LoadRule::ComponentSection:
            break;
    }
    SetValue(f.row, std::move(value));
}

void QSObjectData::LoadFromIni(QSResourceMgr& mgr, const char* resourceName) {
    if (!resourceName || !mgr.ResourceExists(resourceName)) return;
    QSINIFile* ini = mgr.GetINIFile(resourceName);
    if (!ini) return;

    SetProperName(Read(*ini, kProperNameField.section, kProperNameField.key, ""));
    LoadRows(*ini, kKindUnits | kKindBuildings);

    for (std::vector<QSSoundData>& list : sounds) list.clear();
    for (const SoundSlotDef& slot : kSoundSlotTable) {
        std::string value = Read(*ini, slot.section, slot.key, "");
        sounds[static_cast<size_t>(slot.group)].push_back({value, value});
    }
    for (std::vector<QSSoundData>& list : sounds)
        std::stable_sort(list.begin(), list.end(), SoundBefore);

    for (size_t s = 0; s < kBonusSections.size(); ++s) {
        std::vector<QSBonusPair>& first = bonusLists[s];
        std::vector<QSBonusPair>& second = bonusLists[s + kBonusSections.size()];
        first.clear();
        second.clear();
        for (const QSINIKey* key = ini->FirstKeyRecord(kBonusSections[s]); key;
             key = ini->NextKeyRecord(kBonusSections[s])) {
            // A line without '=' is a key without a name that no lookup finds: "NOBONUS".
            const char* name = key->name ? key->name : "";
            QSBonusPair pair{name, Read(*ini, kBonusSections[s], name, "NOBONUS")};
            first.push_back(pair);
            second.push_back(std::move(pair));
        }
        auto byKey = [](const QSBonusPair& a, const QSBonusPair& b) {
            return CompareNames(a.key, b.key) < 0;
        };
        std::stable_sort(first.begin(), first.end(), byKey);
        std::stable_sort(second.begin(), second.end(), byKey);
    }

    components.clear();
    for (int n = 1;; ++n) {
        char key[32];
        std::snprintf(key, sizeof key, "Component%d", n);
        std::string value = Read(*ini, "BuildHierarchy", key, "");
        if (value.empty()) break;
        components.push_back(std::move(value));
    }
}
