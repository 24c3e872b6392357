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

// One field of one object: the session value in red when it has a change record, else the
// loaded value coloured against the counterpart's.
ShownControl ShowField(const ChangeList& changes, const std::string& identity,
                       const std::string& section, const std::string& key, const char* control,
                       const std::string& loaded, const std::string* retail) {
    if (const QSChange* change = changes.FindChange(identity, section, key))
        return {control, change->value, kColorSession};
    return {control, loaded, LoadedValueColor(loaded, retail)};
}

const std::string& SoundSlot(const QSObjectData& record, const SoundSlotDef& slot) {
    static const std::string kEmpty;
    const auto& list = record.sounds[static_cast<size_t>(slot.group)];
    return static_cast<size_t>(slot.slot) < list.size()
               ? list[static_cast<size_t>(slot.slot)].entered
               : kEmpty;
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

ShownObject ShowObject(const ObjectCatalogue& catalogue, const ChangeList& changes,
                       int currentIndex, const ListItemSet& lists, bool soundPanelMode) {
    ShownObject shown;
    const QSObjectList& view = catalogue.ViewList();
    if (currentIndex < 0 || static_cast<uint32_t>(currentIndex) >= view.Count()) return shown;
    const QSObjectData& record = *view[static_cast<uint32_t>(currentIndex)];
    const QSObjectData* counterpart = catalogue.FindRetailCounterpart(record.UniqueName().c_str());
    const int viewCode = catalogue.CurrentView();
    const bool componentsView = viewCode == kViewComponents;
    const std::string identity = componentsView ? kComponentsIdentity : record.UniqueName();
    shown.uniqueName = record.UniqueName();

    // The mod colour fields belong to the second record of the Global Stats view, which is
    // also the record their edits are recorded against.
    const QSObjectData* colors = nullptr;
    const QSObjectData* colorsCounterpart = nullptr;
    if (viewCode == kViewGlobal && view.Count() > 1) {
        colors = view[1];
        colorsCounterpart = catalogue.FindRetailCounterpart(colors->UniqueName().c_str());
    }

    auto retailOf = [](const QSObjectData* r, const FieldDef& f) {
        return r ? (f.row ? &r->Value(f) : &r->ProperName()) : nullptr;
    };
    auto showRow = [&](const FieldDef& f) {
        const QSObjectData* owner = &record;
        const QSObjectData* retail = counterpart;
        std::string fieldIdentity = identity;
        if (colors && f.rule == LoadRule::FromColors) {
            owner = colors;
            retail = colorsCounterpart;
            fieldIdentity = colors->UniqueName();
        }
        const std::string section = f.shownSection ? f.shownSection : record.UniqueName();
        const std::string& loaded = f.row ? owner->Value(f) : owner->ProperName();
        ShownControl c = ShowField(changes, fieldIdentity, section, f.shownKey, f.control, loaded,
                                   retailOf(retail, f));
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
        shown.controls.push_back(std::move(c));
    };

    showRow(kProperNameField);
    for (const FieldDef& f : kFieldTable) {
        // Component rows belong to the Components view; the other views' controls are hidden
        // there, but filled all the same.
        if (f.rule == LoadRule::ComponentSection && !componentsView) continue;
        showRow(f);
    }

    for (const SoundSlotDef& slot : kSoundSlotTable) {
        const std::string* retail = counterpart ? &SoundSlot(*counterpart, slot) : nullptr;
        ShownControl c = ShowField(changes, identity, slot.section, slot.key, slot.control,
                                   SoundSlot(record, slot), retail);
        const int sample = catalogue.FindSampleName(c.text);
        if (sample >= 0) {
            c.selected = sample;
            c.text = catalogue.SampleNames()[static_cast<size_t>(sample)];
        }
        shown.controls.push_back(std::move(c));
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

int CheckItemByText(const std::vector<std::string>& items, std::string_view text) {
    if (text.empty()) return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) return static_cast<int>(i);
    }
    return -1;
}
