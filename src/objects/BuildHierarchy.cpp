#include "objects/BuildHierarchy.h"

#include "core/HashName.h"
#include "objects/BonusModifiers.h"
#include "objects/QSObjectData.h"

namespace {

std::string OnOff(bool on) {
    return on ? "On" : "Off";
}

}  // namespace

bool HasComponent(const QSObjectData& record, std::string_view name) {
    for (std::string_view c : record.Components()) {
        if (SameName(c, name)) return true;
    }
    return false;
}

std::vector<bool> ComponentChecks(const QSObjectData& record, const ChangeList& changes,
                                  const std::vector<std::string>& componentNames) {
    std::vector<bool> checked(componentNames.size(), false);
    for (std::string_view c : record.Components()) {
        for (size_t i = 0; i < componentNames.size(); ++i) {
            if (SameName(componentNames[i], c)) {
                checked[i] = true;
                break;
            }
        }
    }
    for (size_t i = 0; i < componentNames.size(); ++i) {
        if (const QSChange* change =
                changes.FindChange(record.UniqueName(), kBuildHierarchySection, componentNames[i]))
            checked[i] = SameName(change->value, "On");
    }
    return checked;
}

FieldUpdate ToggleComponent(QSObjectData& record, const QSObjectData* counterpart,
                            ChangeList& changes, const std::vector<std::string>& componentNames,
                            int item, bool checked) {
    if (item < 0 || static_cast<size_t>(item) >= componentNames.size()) return {};
    const std::string& name = componentNames[static_cast<size_t>(item)];
    const std::string retail = counterpart ? OnOff(HasComponent(*counterpart, name)) : "";
    return changes.SetField(&record, record.UniqueName(), {}, kBuildHierarchySection, name,
                            OnOff(checked), OnOff(HasComponent(record, name)),
                            counterpart ? OptionalText(retail) : nullptr, name, record.ProperName());
}

QSColor ComponentItemColor(const QSObjectData& record, const QSObjectData* counterpart,
                           std::string_view name, bool checked, bool selected) {
    const bool loaded = HasComponent(record, name);
    const bool retail = counterpart ? HasComponent(*counterpart, name) : loaded;
    if (checked == retail) return selected ? kColorSelected : kColorUnchanged;
    return checked != loaded ? kColorSession : kColorMod;
}
