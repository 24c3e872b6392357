#include "mods/Restore.h"

#include <string>
#include <utility>
#include <vector>

#include "core/HashName.h"
#include "mods/ModHistory.h"
#include "objects/ChangeList.h"
#include "objects/FieldBinding.h"
#include "objects/ObjectCatalogue.h"
#include "resources/QSResourceMgr.h"

namespace {

// The selected object as every control of it is bound: its record, the identity its changes
// are filed under and its retail counterpart. False for an index outside the view list.
bool Selected(const ObjectCatalogue& catalogue, int currentIndex, FieldBinding& out) {
    return ResolveField(catalogue, currentIndex, kProperNameField, out);
}

// The (section, key) of every change record of the selected object. Every component's changes
// share one identity, so a component's own are those of its section, which is its unique name;
// restoring one component must not take back the edits of the others.
std::vector<std::pair<std::string, std::string>> OwnChanges(const ChangeList& changes,
                                                            const FieldBinding& selected) {
    const bool component = IsComponentRecord(*selected.record);
    std::vector<std::pair<std::string, std::string>> own;
    for (const QSChange* c : changes) {
        if (!SameName(c->identity, selected.identity)) continue;
        if (component && !SameName(c->section, selected.record->UniqueName())) continue;
        own.emplace_back(c->section, c->key);
    }
    return own;
}

// Releases the given change records of the selected object. The record's change state is left
// to the caller, which sets it whatever other records remain.
void RemoveChanges(ChangeList& changes, const FieldBinding& selected,
                   const std::vector<std::pair<std::string, std::string>>& own) {
    for (const auto& [section, key] : own)
        changes.UndoField(nullptr, selected.identity, {}, section, key, nullptr);
}

}  // namespace

bool RestoreFromMod(ObjectCatalogue& catalogue, ChangeList& changes, QSResourceMgr& mgr,
                    int currentIndex) {
    FieldBinding selected;
    if (!Selected(catalogue, currentIndex, selected)) return false;
    const auto own = OwnChanges(changes, selected);
    if (own.empty()) return false;
    RemoveChanges(changes, selected, own);

    QSObjectData& record = *selected.record;
    record.RestoreLoadedBonusLists();
    record.changeState =
        mgr.IsModResource(record.resourceName.c_str()) ? kSuppliedByMod : kUnchanged;
    return true;
}

bool RestoreFromRetail(ObjectCatalogue& catalogue, ChangeList& changes, int currentIndex) {
    FieldBinding selected;
    if (!Selected(catalogue, currentIndex, selected) || !selected.counterpart) return false;
    RemoveChanges(changes, selected, OwnChanges(changes, selected));

    QSObjectData& record = *selected.record;
    const QSObjectData& retail = *selected.counterpart;
    record.SetProperName(retail.ProperName());
    for (const FieldDef* field : RetailRestoredFields())
        record.SetValue(field->row, retail.Value(*field));
    record.changeState = kUnchanged;
    return true;
}

std::span<const FieldDef* const> RetailRestoredFields() {
    static const std::vector<const FieldDef*> fields = [] {
        std::vector<const FieldDef*> out;
        for (const HistoryField& compared : HistoryFields()) {
            // Row 0 is the proper name, copied on its own; a component's keys lie in the
            // component's own section (none named) and stay as they are.
            if (compared.row == 0 || !compared.section) continue;
            out.push_back(FieldByRow(compared.row));
        }
        // The history leaves the reload times out, but they belong to their attacks.
        for (const char* attack : {"Attack1", "Attack2"}) {
            if (const FieldDef* reload = FieldByShownKey(attack, "ReloadTime"))
                out.push_back(reload);
        }
        return out;
    }();
    return fields;
}
