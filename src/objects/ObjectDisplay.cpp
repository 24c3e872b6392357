#include "objects/ObjectDisplay.h"

#include "core/HashName.h"
#include "objects/BuildHierarchy.h"
#include "objects/ObjectCatalogue.h"

namespace {

// "None", then the word-case normalised unique names of the records that pass.
template <typename Pass>
std::vector<std::string> NamesOf(const QSObjectList& list, Pass pass) {
    std::vector<std::string> names{"None"};
    for (const QSObjectData* r : list) {
        if (!pass(*r)) continue;
        std::string name = r->UniqueName();
        NormalizeWordCase(name);
        names.push_back(std::move(name));
    }
    return names;
}

// The first item equal to value (case-insensitive), else the first item; -1 without items.
template <typename Items>
int SelectItem(const Items& items, const std::string& value) {
    int index = 0;
    for (const auto& item : items) {
        if (SameName(item, value)) return index;
        ++index;
    }
    return index == 0 ? -1 : 0;
}

}  // namespace

ListItemSet ListItemSet::FromCatalogue(const ObjectCatalogue& catalogue) {
    ListItemSet set;
    set.technologies = catalogue.TechnologyNames();
    set.spells.push_back("None");
    set.spells.insert(set.spells.end(), catalogue.SpellNames().begin(),
                      catalogue.SpellNames().end());
    const QSObjectList& units = catalogue.Objects(kViewUnits, false);
    set.captains = NamesOf(
        units, [](const QSObjectData& r) { return SameName(r.Value(kRowType), "Captain"); });
    set.militia = NamesOf(units, [](const QSObjectData& r) {
        return SameName(r.Value(kRowType), "Militia") || SameName(r.Value(kRowType), "Monster");
    });
    set.buildings =
        NamesOf(catalogue.Objects(kViewBuildings, false), [](const QSObjectData&) { return true; });
    return set;
}

const std::vector<std::string>* ListItemSet::Computed(ListSource source) const {
    switch (source) {
        case ListSource::TechnologyNames:
            return &technologies;
        case ListSource::SpellNames:
            return &spells;
        case ListSource::Captains:
            return &captains;
        case ListSource::Militia:
            return &militia;
        case ListSource::Buildings:
            return &buildings;
        case ListSource::None:
        case ListSource::Fixed:
            break;
    }
    return nullptr;
}

std::vector<std::string> ListItemSet::ItemsOf(const FieldDef& field) const {
    if (field.listSource == ListSource::Fixed) return {field.items.begin(), field.items.end()};
    const std::vector<std::string>* items = Computed(field.listSource);
    return items ? *items : std::vector<std::string>{};
}

const ShownControl* ShownObject::Find(std::string_view control) const {
    for (const ShownControl& c : controls) {
        if (c.control == control) return &c;
    }
    return nullptr;
}

ShownControl ShowField(const ChangeList& changes, const FieldBinding& binding,
                       const ListItemSet& lists) {
    const FieldDef& f = *binding.field;
    ShownControl c{f.control, std::string(binding.loaded), LoadedValueColor(binding.loaded, binding.retail)};
    if (const QSChange* change =
            changes.FindChange(binding.identity, binding.section, binding.key)) {
        c.text = change->value;
        c.color = kColorSession;
    }
    if (f.controlKind == ControlKind::List) {
        const auto index = [&](const auto& items) {
            c.selected = SelectItem(items, c.text);
            if (c.selected >= 0) c.text = items[static_cast<size_t>(c.selected)];
        };
        if (f.listSource == ListSource::Fixed) {
            index(f.items);
        } else if (const std::vector<std::string>* items = lists.Computed(f.listSource)) {
            index(*items);
        }
    }
    return c;
}

namespace {

// What a sound slot's box shows: the session value in red with a change record, else the
// loaded value coloured against retail; a game sample is shown as the list spells it.
ShownControl ShowSoundSlot(const ObjectCatalogue& catalogue, const ChangeList& changes,
                           const char* control, const FieldBinding& binding) {
    ShownControl c{control, std::string(binding.loaded), LoadedValueColor(binding.loaded, binding.retail)};
    if (const QSChange* change =
            changes.FindChange(binding.identity, binding.section, binding.key)) {
        c.text = change->value;
        c.color = kColorSession;
    }
    const int sample = catalogue.FindSampleName(c.text);
    if (sample >= 0) {
        c.selected = sample;
        c.text = catalogue.SampleNames()[static_cast<size_t>(sample)];
    }
    return c;
}

}  // namespace

ShownObject ShowObject(const ObjectCatalogue& catalogue, const ChangeList& changes,
                       int currentIndex, const ListItemSet& lists, bool soundPanelMode) {
    ShownObject shown;
    const QSObjectList& view = catalogue.ViewList();
    if (currentIndex < 0 || static_cast<uint32_t>(currentIndex) >= view.Count()) return shown;
    const QSObjectData& record = *view[static_cast<uint32_t>(currentIndex)];
    const QSObjectData* counterpart = catalogue.FindRetailCounterpart(record.UniqueName().c_str());
    const int viewCode = catalogue.CurrentView();
    const bool componentsView = viewCode == kViewComponents;
    shown.uniqueName = record.UniqueName();

    FieldBinding binding;
    auto showRow = [&](const FieldDef& f) {
        if (ResolveField(catalogue, currentIndex, f, binding)) {
            shown.controls.push_back(ShowField(changes, binding, lists));
        } else {
            shown.controls.push_back({f.control, "", kColorUnchanged});
        }
    };
    showRow(kProperNameField);
    for (const FieldDef& f : kFieldTable) {
        // Component rows belong to the Components view; the other views' controls are hidden
        // there, but filled all the same.
        if (f.rule == LoadRule::ComponentSection && !componentsView) continue;
        showRow(f);
    }

    for (const SoundSlotDef& slot : kSoundSlotTable) {
        ResolveSoundSlot(catalogue, currentIndex, slot, binding);
        shown.controls.push_back(ShowSoundSlot(catalogue, changes, slot.control, binding));
    }

    if ((viewCode == kViewUnits || viewCode == kViewHeroes) && !soundPanelMode) {
        shown.castRuleApplies = true;
        const ShownControl* attack2 = shown.Find("attack_2_type");
        shown.spellPanelShown = attack2 && SameName(attack2->text, "Cast");
    }

    shown.bonuses = ShowBonuses(catalogue.BonusDefinitions(), changes, record, counterpart);
    shown.components = ComponentChecks(record, changes, catalogue.ComponentNames());
    return shown;
}

namespace {

void Merge(FieldUpdate& into, FieldUpdate&& from) {
    for (ControlUpdate& c : from.controls) into.controls.push_back(std::move(c));
    into.repaintObjectList = into.repaintObjectList || from.repaintObjectList;
}

bool IsTranslatedNameFollowing(const FieldDef& field, const FieldBinding& binding) {
    return &field == &kProperNameField && binding.identity != kComponentsIdentity;
}

}  // namespace

FieldUpdate FieldEditor::EditField(int currentIndex, std::string_view control,
                                   const std::string& text) {
    FieldUpdate update;
    const FieldDef* field = FieldByControl(control);
    FieldBinding b;
    if (!field || !ResolveField(catalogue_, currentIndex, *field, b)) return update;
    update = changes_.SetField(b.record, b.identity, {field->control, "", ""}, b.section, b.key,
                               text, b.loaded, b.retail, b.label, b.record->ProperName());
    if (field->controlKind == ControlKind::List) {
        // A list also says which item shows the value.
        const ShownControl shown = ShowField(changes_, b, lists_);
        for (ControlUpdate& c : update.controls) {
            if (c.control == field->control) c.selected = shown.selected;
        }
    }
    if (IsTranslatedNameFollowing(*field, b)) {
        const FieldDef& translated = *FieldByRow(kRowTranslatedName);
        FieldBinding t;
        ResolveField(catalogue_, currentIndex, translated, t);
        Merge(update,
              changes_.SetField(t.record, t.identity, {translated.control, "", ""}, t.section,
                                t.key, text, t.loaded, t.retail, t.label, t.record->ProperName()));
    }
    return update;
}

FieldUpdate FieldEditor::UndoField(int currentIndex, std::string_view control) {
    FieldUpdate update;
    const FieldDef* field = FieldByControl(control);
    FieldBinding b;
    if (!field) {
        // A sound slot: its box goes back to what ShowObject would show now.
        for (const SoundSlotDef& slot : kSoundSlotTable) {
            if (control != slot.control || !ResolveSoundSlot(catalogue_, currentIndex, slot, b))
                continue;
            update = changes_.UndoField(b.record, b.identity, {slot.control, "", ""}, b.section,
                                        b.key, b.retail);
            std::erase_if(update.controls,
                          [&](const ControlUpdate& c) { return c.control == slot.control; });
            update.controls.push_back(ShowSoundSlot(catalogue_, changes_, slot.control, b));
        }
        return update;
    }
    if (!ResolveField(catalogue_, currentIndex, *field, b)) return update;
    update = changes_.UndoField(b.record, b.identity, {field->control, "", ""}, b.section, b.key,
                                b.retail);
    if (IsTranslatedNameFollowing(*field, b)) {
        const FieldDef& translated = *FieldByRow(kRowTranslatedName);
        FieldBinding t;
        ResolveField(catalogue_, currentIndex, translated, t);
        Merge(update, changes_.UndoField(t.record, t.identity, {translated.control, "", ""},
                                         t.section, t.key, t.retail));
    }
    if (field->controlKind == ControlKind::List) {
        // The list goes back to the item of what it shows now, whether or not there was a
        // change to take back.
        std::erase_if(update.controls,
                      [&](const ControlUpdate& c) { return c.control == field->control; });
        update.controls.push_back(ShowField(changes_, b, lists_));
    }
    return update;
}

FieldUpdate FieldEditor::EditSoundSlot(int currentIndex, std::string_view control,
                                       const std::string& text) {
    FieldUpdate update;
    for (const SoundSlotDef& slot : kSoundSlotTable) {
        FieldBinding b;
        if (control != slot.control || !ResolveSoundSlot(catalogue_, currentIndex, slot, b))
            continue;
        update = changes_.SetField(b.record, b.identity, {slot.control, "", ""}, b.section, b.key,
                                   text, b.loaded, b.retail, b.label, b.record->ProperName());
        const int sample = catalogue_.FindSampleName(text);
        for (ControlUpdate& c : update.controls) {
            if (c.control == slot.control) c.selected = sample;
        }
        break;
    }
    return update;
}

int FieldEditor::CloneShown(int currentIndex, const std::string& newUniqueName) {
    std::string name = newUniqueName.substr(0, kMaxNameLength);
    if (name.empty()) return -1;
    // The unique name becomes the clone's file name inside the package.
    for (const unsigned char ch : name) {
        if (ch < 32 ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(ch)) != std::string_view::npos)
            return -1;
    }
    return catalogue_.CloneObject(currentIndex, name.c_str(), changes_);
}

int CheckItemByText(const std::vector<std::string>& items, std::string_view text) {
    if (text.empty()) return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return static_cast<int>(i);
    }
    return -1;
}
