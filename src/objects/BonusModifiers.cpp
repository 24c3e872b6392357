#include "objects/BonusModifiers.h"

#include <algorithm>

#include "core/HashName.h"
#include "core/QSError.h"
#include "objects/ObjectDisplay.h"

namespace {

const char* const kLevelSuffixes[] = {"", "_enlightened", "_restored", "_ascended"};
const char* const kOff = "Off";

// The list a toggle or a value changes (copied first when a copy of the record shares it).
std::vector<QSBonusPair>& Changing(QSObjectData& record, int list) {
    return record.MutableBonusList(static_cast<size_t>(list));
}
const std::vector<QSBonusPair>& Current(const QSObjectData& record, int list) {
    return record.BonusList(static_cast<size_t>(list));
}
const std::vector<QSBonusPair>& AsLoaded(const QSObjectData& record, int list) {
    return record.BonusList(static_cast<size_t>(list + kBonusPanelCount));
}

const QSBonusPair* FindEntry(const std::vector<QSBonusPair>& entries, std::string_view name) {
    for (const QSBonusPair& e : entries) {
        if (SameName(e.key, name)) return &e;
    }
    return nullptr;
}

// The value of name in a list, "Off" when the list lacks it.
std::string ValueOrOff(const std::vector<QSBonusPair>& entries, std::string_view name) {
    const QSBonusPair* e = FindEntry(entries, name);
    return e ? e->value : kOff;
}

bool ValidList(int list) {
    return list >= 0 && list < kBonusPanelCount;
}

std::string RowControl(int list, int row, const char* part) {
    std::string name = IsPersonalBonusList(list) ? "personal_modifier_" : "company_modifier_";
    name += std::to_string(row);
    name += part;
    name += kLevelSuffixes[list / 2];
    return name;
}

}  // namespace

std::string BonusDefaultValue(std::string_view action) {
    if (SameName(action, "Multiply")) return "1.0";
    if (SameName(action, "Add")) return "2";
    if (SameName(action, "Flag")) return "1";
    return "0";
}

std::string BonusCheckboxName(int list) {
    std::string name =
        IsPersonalBonusList(list) ? "personal_modifiers_checkbox" : "company_modifiers_checkbox";
    name += kLevelSuffixes[list / 2];
    return name;
}

std::string BonusRowName(int list, int row) {
    return RowControl(list, row, "_name");
}
std::string BonusValueName(int list, int row) {
    return RowControl(list, row, "_value");
}

int BonusValueMaxLength(int list, int row) {
    return IsPersonalBonusList(list) && row <= 4 ? 5 : 0;
}

std::array<BonusPanel, kBonusPanelCount> ShowBonuses(
    const std::vector<QSBRIXBonusData>& definitions, const ChangeList& changes,
    const QSObjectData& record, const QSObjectData* counterpart) {
    std::array<BonusPanel, kBonusPanelCount> panels;
    for (int list = 0; list < kBonusPanelCount; ++list)
        panels[static_cast<size_t>(list)] =
            ShowBonusPanel(definitions, changes, record, counterpart, list);
    return panels;
}

BonusPanel ShowBonusPanel(const std::vector<QSBRIXBonusData>& definitions,
                          const ChangeList& changes, const QSObjectData& record,
                          const QSObjectData* counterpart, int list) {
    BonusPanel panel;
    panel.checkbox = BonusCheckboxName(list);
    panel.checked.assign(definitions.size(), false);
    const char* section = kBonusSections[static_cast<size_t>(list)];
    std::vector<std::string> items;
    items.reserve(definitions.size());
    for (const QSBRIXBonusData& d : definitions) items.push_back(d.name);

    int row = 0;
    for (const QSBonusPair& entry : Current(record, list)) {
        // Every entry ticks its item, so that the box tells what the list holds; a list the
        // game gave more than six keys shows rows for the first six only.
        const int item = CheckItemByText(items, entry.key);
        if (item >= 0) panel.checked[static_cast<size_t>(item)] = true;
        if (++row > kBonusRows) continue;
        BonusRow r{BonusRowName(list, row),
                   BonusValueName(list, row),
                   entry.key,
                   entry.value,
                   kColorMod,
                   BonusValueMaxLength(list, row)};
        if (changes.FindChange(record.UniqueName(), section, entry.key)) {
            r.color = kColorSession;
        } else if (counterpart) {
            const QSBonusPair* retail = FindEntry(Current(*counterpart, list), entry.key);
            if (retail && SameName(retail->value, entry.value)) r.color = kColorUnchanged;
        }
        panel.rows.push_back(std::move(r));
    }
    return panel;
}

BonusVisibility VisibleBonusPanels(const QSObjectData& record, int viewCode, int heroLevel,
                                   bool soundPanelMode) {
    BonusVisibility visible;
    if ((viewCode != kViewUnits && viewCode != kViewHeroes) || soundPanelMode) return visible;
    const int level = viewCode == kViewHeroes && heroLevel >= 0 && heroLevel <= 3 ? heroLevel : 0;
    auto rows = [&](int list) {
        const size_t n = Current(record, list).size();
        return static_cast<int>(n < kBonusRows ? n : kBonusRows);
    };
    visible.shown = true;
    visible.personalList = PersonalBonusList(level);
    visible.companyList = CompanyBonusList(level);
    visible.personalRows = rows(visible.personalList);
    visible.companyRows = rows(visible.companyList);
    return visible;
}

QSColor BonusItemColor(const std::vector<QSBRIXBonusData>& definitions, const QSObjectData& record,
                       const QSObjectData* counterpart, int list, int item, bool selected) {
    if (!ValidList(list) || item < 0 || static_cast<size_t>(item) >= definitions.size())
        return kColorUnchanged;
    const std::string& name = definitions[static_cast<size_t>(item)].name;
    const std::string current = ValueOrOff(Current(record, list), name);
    if (!SameName(current, ValueOrOff(AsLoaded(record, list), name))) return kColorSession;
    if (!counterpart || !SameName(current, ValueOrOff(Current(*counterpart, list), name)))
        return kColorMod;
    return selected ? kColorSelected : kColorUnchanged;
}

BonusUpdate BonusModifiers::Toggle(QSObjectData& record, const QSObjectData* counterpart, int list,
                                   int item, bool checked) {
    BonusUpdate update;
    update.checked = checked;
    if (!ValidList(list) || item < 0 || static_cast<size_t>(item) >= definitions_.size())
        return update;
    const QSBRIXBonusData& definition = definitions_[static_cast<size_t>(item)];
    const std::string section = kBonusSections[static_cast<size_t>(list)];
    std::vector<QSBonusPair>& entries = Changing(record, list);
    const std::string off = kOff;

    if (checked) {
        if (entries.size() >= kBonusRows) {
            update.checked = false;
            return update;
        }
        if (FindEntry(entries, definition.name)) return update;
        const std::string value = BonusDefaultValue(definition.action);
        const auto at = std::upper_bound(entries.begin(), entries.end(), definition.name,
                                         [](const std::string& name, const QSBonusPair& e) {
                                             return CompareNames(name, e.key) < 0;
                                         });
        entries.insert(at, QSBonusPair{definition.name, value});
        update.field = changes_.SetField(&record, record.UniqueName(), {}, section, definition.name,
                                         value, off, OptionalText(off), definition.name, record.ProperName());
    } else {
        const auto found = std::find_if(entries.begin(), entries.end(), [&](const QSBonusPair& e) {
            return SameName(e.key, definition.name);
        });
        if (found == entries.end()) return update;
        // Personal and company lists alike record the removal against the value as loaded;
        // a bonus added in this session has "Off" there, which takes its change back.
        const QSBonusPair* loaded = FindEntry(AsLoaded(record, list), definition.name);
        const std::string before = loaded ? loaded->value : off;
        update.field = changes_.SetField(&record, record.UniqueName(), {}, section, found->key, off,
                                         before, OptionalText(before), found->key, record.ProperName());
        entries.erase(found);
    }
    update.showObject = true;
    update.panel = ShowBonusPanel(definitions_, changes_, record, counterpart, list);
    return update;
}

BonusUpdate BonusModifiers::EditValue(QSObjectData& record, const QSObjectData* counterpart,
                                      int list, int row, const std::string& text, bool undoKey) {
    BonusUpdate update;
    if (!ValidList(list) || row < 1 || row > kBonusRows) return update;
    std::vector<QSBonusPair>& entries = Changing(record, list);
    if (static_cast<size_t>(row) > entries.size()) return update;
    const std::string name = entries[static_cast<size_t>(row - 1)].key;
    const std::string before = entries[static_cast<size_t>(row - 1)].value;
    const std::string section = kBonusSections[static_cast<size_t>(list)];
    std::string retailValue;
    OptionalText retail;
    if (counterpart) {
        retailValue = ValueOrOff(Current(*counterpart, list), name);
        retail = retailValue;
    }
    const FieldControls controls{BonusValueName(list, row), {}, {}};

    if (undoKey) {
        QSChange* change = changes_.FindChange(record.UniqueName(), section, name);
        if (!change) return update;
        if (SameName(change->before, kOff)) {
            // A bonus added in this session goes back to its default and stays added.
            const std::string value = DefaultFor(name, &update.message);
            entries[static_cast<size_t>(row - 1)].value = value;
            update.field = changes_.SetField(&record, record.UniqueName(), controls, section, name,
                                             value, kOff, retail, name, record.ProperName());
            if (update.field.controls.empty()) {
                // Already at its default: the box still shows the value it had.
                update.field.controls.push_back(
                    {controls.main, value,
                     retail && SameName(value, *retail) ? kColorUnchanged : kColorSession});
            }
            return update;
        }
        entries[static_cast<size_t>(row - 1)].value = change->before;
        update.field =
            changes_.UndoField(&record, record.UniqueName(), controls, section, name, retail);
        return update;
    }
    entries[static_cast<size_t>(row - 1)].value = text;
    update.field = changes_.SetField(&record, record.UniqueName(), controls, section, name, text,
                                     before, retail, name, record.ProperName());
    return update;
}

std::string BonusModifiers::SetBonusValue(QSObjectData& record, int list, std::string_view name,
                                          const std::string* value) const {
    if (!ValidList(list)) return {};
    for (QSBonusPair& e : Changing(record, list)) {
        if (!SameName(e.key, name)) continue;
        std::string message;
        e.value = value ? *value : DefaultFor(name, &message);
        return message;
    }
    std::string message = "Bonus ";
    message += name;
    message += " not found in list";
    QSLOG(kLogNote, "%s", message.c_str());
    return message;
}

const std::string* BonusModifiers::GetBonusValue(const QSObjectData& record, int list,
                                                 std::string_view name) {
    if (!ValidList(list)) return nullptr;
    const QSBonusPair* e = FindEntry(Current(record, list), name);
    return e ? &e->value : nullptr;
}

std::string BonusModifiers::DefaultFor(std::string_view name, std::string* message) const {
    for (const QSBRIXBonusData& d : definitions_) {
        if (SameName(d.name, name)) return BonusDefaultValue(d.action);
    }
    if (message) *message = "Bonus not found";
    QSLOG(kLogNote, "Bonus not found");
    return definitions_.empty() ? BonusDefaultValue("") : BonusDefaultValue(definitions_[0].action);
}
