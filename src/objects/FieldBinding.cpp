#include "objects/FieldBinding.h"

#include "core/HashName.h"
#include "objects/ObjectCatalogue.h"

namespace {

// The shown record and the record a field of it belongs to: in the Global Stats view the
// settings fields are the first record's and the colour fields the second's.
QSObjectData* OwnerOf(const ObjectCatalogue& catalogue, int currentIndex, bool colorField) {
    const QSObjectList& view = catalogue.ViewList();
    if (currentIndex < 0 || static_cast<uint32_t>(currentIndex) >= view.Count()) return nullptr;
    if (catalogue.CurrentView() == kViewGlobal) {
        const uint32_t owner = colorField ? 1 : 0;
        return owner < view.Count() ? view[owner] : nullptr;
    }
    return view[static_cast<uint32_t>(currentIndex)];
}

void BindRecord(const ObjectCatalogue& catalogue, QSObjectData* record, FieldBinding& out) {
    out.record = record;
    out.counterpart = catalogue.FindRetailCounterpart(record->UniqueName().c_str());
    out.identity = IsComponentRecord(*record) ? kComponentsIdentity : record->UniqueName();
}

std::string_view SlotValue(const QSObjectData& record, const SoundSlotDef& slot) {
    const QSTextList list = record.Sounds(slot.group);
    const auto index = static_cast<size_t>(slot.slot);
    return index < list.size() ? list[index] : std::string_view();
}

}  // namespace

bool IsComponentRecord(const QSObjectData& record) {
    return SameName(record.resourceName, kComponentsResource);
}

bool ResolveField(const ObjectCatalogue& catalogue, int currentIndex, const FieldDef& field,
                  FieldBinding& out) {
    QSObjectData* record = OwnerOf(catalogue, currentIndex, field.rule == LoadRule::FromColors);
    if (!record) return false;
    FieldBinding b;
    BindRecord(catalogue, record, b);
    b.field = &field;
    const bool component = IsComponentRecord(*record);
    // A component's fields, its proper name among them, live in its own section.
    b.section = field.shownSection && !(component && &field == &kProperNameField)
                    ? field.shownSection
                    : record->UniqueName();
    b.key = field.shownKey;
    b.label = field.caption;
    auto valueOf = [&field](const QSObjectData& r) -> std::string_view {
        return field.row ? r.Value(field) : std::string_view(r.ProperName());
    };
    b.loaded = valueOf(*record);
    if (b.counterpart) b.retail = valueOf(*b.counterpart);
    out = std::move(b);
    return true;
}

bool ResolveSoundSlot(const ObjectCatalogue& catalogue, int currentIndex, const SoundSlotDef& slot,
                      FieldBinding& out) {
    QSObjectData* record = OwnerOf(catalogue, currentIndex, false);
    if (!record) return false;
    FieldBinding b;
    BindRecord(catalogue, record, b);
    b.section = slot.section;
    b.key = slot.key;
    b.label = slot.caption;
    b.loaded = SlotValue(*record, slot);
    if (b.counterpart) b.retail = SlotValue(*b.counterpart, slot);
    out = std::move(b);
    return true;
}
