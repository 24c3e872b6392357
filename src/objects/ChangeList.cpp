#include "objects/ChangeList.h"

#include "core/HashName.h"
#include "objects/QSObjectData.h"

namespace {

struct ChangeKey {
    std::string_view identity;
    std::string_view section;
    std::string_view key;
};

int CompareKey(const ChangeKey& k, const QSChange* c) {
    if (int d = CompareNames(k.identity, c->identity)) return d;
    if (int d = CompareNames(k.section, c->section)) return d;
    return CompareNames(k.key, c->key);
}

int CompareChanges(const QSChange* a, const QSChange* b) {
    return CompareKey({a->identity, a->section, a->key}, b);
}

bool DiffersFrom(std::string_view value, OptionalText retail) {
    return !retail || !SameName(value, *retail);
}

// The given controls, each showing text in color.
void Show(FieldUpdate& update, const FieldControls& controls, const std::string& text,
          QSColor color) {
    for (const std::string* c : {&controls.main, &controls.second, &controls.third}) {
        if (!c->empty()) update.controls.push_back({*c, text, color});
    }
}

}  // namespace

QSColor LoadedValueColor(std::string_view loaded, OptionalText retail) {
    return DiffersFrom(loaded, retail) ? kColorMod : kColorUnchanged;
}

ChangeList::ChangeList(ModResourceTest isModResource) : isModResource_(std::move(isModResource)) {}

ChangeList::~ChangeList() {
    ClearChangeList();
}

QSChange* ChangeList::FindChange(std::string_view identity, std::string_view section,
                                 std::string_view key) {
    QSChange** slot = changes_.Find(ChangeKey{identity, section, key}, CompareKey);
    return slot ? *slot : nullptr;
}

const QSChange* ChangeList::FindChange(std::string_view identity, std::string_view section,
                                       std::string_view key) const {
    return const_cast<ChangeList*>(this)->FindChange(identity, section, key);
}

bool ChangeList::ObjectHasChanges(std::string_view identity) const {
    // The first record not ordered before the identity, whatever its section and key.
    uint32_t lo = 0, hi = changes_.Count();
    while (hi > lo) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (CompareNames(changes_[mid]->identity, identity) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo < changes_.Count() && SameName(changes_[lo]->identity, identity);
}

FieldUpdate ChangeList::SetField(QSObjectData* record, const std::string& identity,
                                 const FieldControls& controls, const std::string& section,
                                 const std::string& key, const std::string& newValue,
                                 std::string_view before, OptionalText retail,
                                 const std::string& label, const std::string& objectName) {
    FieldUpdate update;
    if (QSChange* change = FindChange(identity, section, key)) {
        if (change->value == newValue) return update;
        if (change->before == newValue)
            return UndoField(record, identity, controls, section, key, retail);
        change->value = newValue;
    } else {
        if (SameName(newValue, before)) return update;
        auto* created = new QSChange{
            identity,        objectName,      label,         std::string(retail.value_or("")),
            std::string(before), newValue,    section,       key,
            controls.main,   controls.second, controls.third};
        changes_.InsertSorted(created, CompareChanges);
    }
    Show(update, controls, newValue,
         DiffersFrom(newValue, retail) ? kColorSession : kColorUnchanged);
    if (record && record->changeState != kChangedInSession) {
        record->changeState = kChangedInSession;
        update.repaintObjectList = true;
    }
    return update;
}

FieldUpdate ChangeList::UndoField(QSObjectData* record, const std::string& identity,
                                  const FieldControls& controls, const std::string& section,
                                  const std::string& key, OptionalText retail) {
    FieldUpdate update;
    QSChange** slot = changes_.Find(ChangeKey{identity, section, key}, CompareKey);
    if (!slot) return update;
    QSChange* change = *slot;
    changes_.RemoveAt(static_cast<uint32_t>(slot - changes_.begin()));

    Show(update, controls, change->before, LoadedValueColor(change->before, retail));
    if (!ObjectHasChanges(identity)) {
        if (record) {
            const bool fromMod = isModResource_ && isModResource_(record->resourceName);
            record->changeState = fromMod ? kSuppliedByMod : kUnchanged;
        }
        update.repaintObjectList = true;
    }
    delete change;
    return update;
}

void ChangeList::ClearChangeList() {
    for (QSChange* change : changes_) delete change;
    while (!changes_.Empty()) changes_.RemoveAt(changes_.Count() - 1);
}

QSColor ObjectRowColor(uint8_t changeState, bool selected) {
    if (changeState == 2) return kColorSession;
    if (changeState == 1) return kColorMod;
    return selected ? kColorSelected : kColorUnchanged;
}

ChangeMark MarkOfState(uint8_t changeState) {
    if (changeState == 2) return ChangeMark::Session;
    if (changeState == 1) return ChangeMark::Mod;
    return ChangeMark::None;
}

ChangeMark MarkOfColor(QSColor color) {
    if (color == kColorSession) return ChangeMark::Session;
    if (color == kColorMod) return ChangeMark::Mod;
    return ChangeMark::None;
}

void ChangeList::RemoveChangesOf(std::string_view identity) {
    for (uint32_t i = changes_.Count(); i-- > 0;) {
        if (SameName(changes_[i]->identity, identity)) {
            delete changes_[i];
            changes_.RemoveAt(i);
        }
    }
}
