#include "mods/ScriptedEdits.h"

#include <filesystem>

#include "core/HashName.h"
#include "mods/ModProject.h"
#include "objects/BuildHierarchy.h"
#include "objects/FieldTable.h"

namespace {

constexpr std::string_view kUniqueNameColumn = "unique_name";
constexpr std::string_view kProperNameColumn = "proper_name";
constexpr std::string_view kChangeStateColumn = "change_state";
constexpr const char* kOff = "Off";

std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(HashFoldByte(static_cast<unsigned char>(c)));
    return folded;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// What one object of a view is called in a message.
const char* KindName(int view) {
    switch (view) {
        case kViewUnits:
            return "unit";
        case kViewHeroes:
            return "hero";
        case kViewBuildings:
            return "building";
        case kViewGlobal:
            return "global record";
        case kViewComponents:
            return "component";
    }
    return "object";
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

int BonusListOf(std::string_view section) {
    for (size_t list = 0; list < kBonusSections.size(); ++list) {
        if (SameName(section, kBonusSections[list])) return static_cast<int>(list);
    }
    return -1;
}

}  // namespace

std::string TableColumnOf(const FieldDef& field) {
    return std::string(field.shownSection ? field.shownSection : kComponentColumnSection) + "/" + field.shownKey;
}

const FieldDef* FieldByColumn(std::string_view section, std::string_view key) {
    if (SameName(section, kComponentColumnSection)) return FieldByShownKey(nullptr, key);
    return FieldByShownKey(std::string(section).c_str(), key);
}

// What a SECTION/KEY stands for.
struct ScriptedEdits::Column {
    enum class Kind { Field, Sound, Component, Bonus } kind = Kind::Field;
    const FieldDef* field = nullptr;
    const SoundSlotDef* slot = nullptr;
    int list = -1;      // the bonus list
    std::string name;   // the component or bonus as given
    std::string shown;  // SECTION/KEY as given

    static std::optional<Column> Of(std::string_view section, std::string_view key) {
        Column c;
        c.shown = std::string(section) + "/" + std::string(key);
        if ((c.field = FieldByColumn(section, key))) return c;
        for (const SoundSlotDef& slot : kSoundSlotTable) {
            if (SameName(section, slot.section) && SameName(key, slot.key)) {
                c.kind = Kind::Sound;
                c.slot = &slot;
                return c;
            }
        }
        c.name = key;
        if (SameName(section, kBuildHierarchySection)) {
            c.kind = Kind::Component;
            return c;
        }
        if ((c.list = BonusListOf(section)) >= 0) {
            c.kind = Kind::Bonus;
            return c;
        }
        return std::nullopt;
    }
};

std::optional<FieldEdit> ParseFieldEdit(std::string_view text, std::string* error) {
    const auto fail = [&](const char* problem) {
        if (error) *error = std::string(text) + ": " + problem;
        return std::nullopt;
    };
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return fail("no \":\" after the object's name (OBJECT:SECTION/KEY=VALUE)");
    const size_t equals = text.find('=', colon + 1);
    if (equals == std::string_view::npos)
        return fail("no \"=\" before the value (OBJECT:SECTION/KEY=VALUE)");
    const std::string_view column = text.substr(colon + 1, equals - colon - 1);
    const size_t slash = column.find('/');
    if (slash == std::string_view::npos)
        return fail("no \"/\" between section and key (OBJECT:SECTION/KEY=VALUE)");
    FieldEdit parts{std::string(text.substr(0, colon)), std::string(column.substr(0, slash)),
                 std::string(column.substr(slash + 1)), std::string(text.substr(equals + 1))};
    if (parts.object.empty()) return fail("no object named before the \":\"");
    if (parts.section.empty() || parts.key.empty())
        return fail("a section and a key are needed (SECTION/KEY)");
    return parts;
}

std::optional<CsvRows> ReadCsv(std::string_view text, std::string* error) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    CsvRows rows;
    std::vector<std::string> row;
    std::string field;
    size_t i = 0;
    const auto fail = [&](const std::string& problem) {
        if (error)
            *error = "row " + std::to_string(rows.size() + 1) + ", field " +
                     std::to_string(row.size() + 1) + ": " + problem;
        return std::nullopt;
    };
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) return fail("a quoted field is not closed");
                if (text[i] != '"') {
                    field += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                return fail("text after a closing quote");
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                if (text[i] == '"')
                    return fail("a quote inside a field that does not start with one");
                field += text[i++];
            }
        }
        row.push_back(std::move(field));
        field.clear();
        if (i < text.size() && text[i] == ',') {
            ++i;
            if (i == text.size()) row.emplace_back();  // a last, empty field
            continue;
        }
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
        rows.push_back(std::move(row));
        row.clear();
    }
    if (!row.empty()) rows.push_back(std::move(row));
    return rows;
}

ScriptedEdits::ScriptedEdits(ModProject& project) : project_(project) {}

void ScriptedEdits::Forget() {
    selected_ = -1;
    indexes_.clear();
    views_.clear();
}

void ScriptedEdits::Select(int view) {
    ObjectCatalogue& catalogue = project_.Catalogue();
    if (selected_ == view && catalogue.CurrentView() == view) return;
    catalogue.SelectView(view);
    selected_ = view;
    indexes_.clear();
    const QSObjectList& list = catalogue.ViewList();
    for (uint32_t i = 0; i < list.Count(); ++i)
        indexes_.emplace(Folded(list[i]->UniqueName()), static_cast<int>(i));
}

bool ScriptedEdits::LocateIn(int view, std::string_view uniqueName, Target* out) {
    Select(view);
    const auto it = indexes_.find(Folded(uniqueName));
    if (it == indexes_.end()) return false;
    *out = {view, it->second};
    return true;
}

bool ScriptedEdits::Locate(std::string_view uniqueName, Target* out) {
    if (views_.empty()) {
        for (int view : {kViewUnits, kViewHeroes, kViewBuildings, kViewComponents, kViewGlobal}) {
            for (const QSObjectData* r : project_.Catalogue().Objects(view, false))
                views_.emplace(Folded(r->UniqueName()), view);
        }
    }
    const auto it = views_.find(Folded(uniqueName));
    return it != views_.end() && LocateIn(it->second, uniqueName, out);
}

// Why the window could not give the target this value through the column's control; empty
// when it could, with *item the text the control would hand on (a list's own spelling).
std::string ScriptedEdits::Check(const Target& target, const Column& column,
                                 const std::string& value, std::string* item) const {
    const ObjectCatalogue& catalogue = project_.Catalogue();
    const QSObjectData& record = *catalogue.ViewList()[static_cast<uint32_t>(target.index)];
    const std::string lacks =
        record.UniqueName() + " is a " + KindName(target.view) + ", which has no " + column.shown;
    const bool unitOrHero = target.view == kViewUnits || target.view == kViewHeroes;
    *item = value;
    switch (column.kind) {
        case Column::Kind::Field: {
            const FieldDef& f = *column.field;
            if (&f == &kProperNameField ? target.view == kViewGlobal
                                        : !(f.kinds & FieldKindsOfView(target.view)))
                return lacks;
            if (f.controlKind != ControlKind::Memo && HasLineBreak(value))
                return "a line break fits in the description only";
            if (f.controlKind == ControlKind::List && !f.acceptsTypedText) {
                // The list's own items, not a copy: a computed list holds every building.
                const auto offer = [&](const auto& items) -> std::string {
                    for (const auto& candidate : items) {
                        if (SameName(candidate, value)) {
                            *item = candidate;
                            return {};
                        }
                    }
                    std::string offered;
                    if (f.listSource == ListSource::Fixed) {
                        for (const auto& candidate : items)
                            offered += std::string(offered.empty() ? " (" : ", ") + candidate;
                        offered += ")";
                    } else {
                        offered = " of " + std::to_string(items.size()) + " names";
                    }
                    return Quoted(value) + " is not an item of the " + f.shownKey + " list" +
                           offered;
                };
                if (f.listSource == ListSource::Fixed) return offer(f.items);
                const std::vector<std::string>* computed = project_.Lists().Computed(f.listSource);
                return offer(computed ? *computed : std::vector<std::string>{});
            }
            if (f.maxLength > 0 && value.size() > f.maxLength) {
                return Quoted(value) + " is longer than the " + std::to_string(f.maxLength) +
                       " characters the " + f.shownKey + " box takes";
            }
            return {};
        }
        case Column::Kind::Sound: {
            if (!unitOrHero) return lacks;
            if (HasLineBreak(value)) return "a line break fits in the description only";
            if (value.empty()) return {};
            if (const int sample = catalogue.FindSampleName(value); sample >= 0) {
                *item = catalogue.SampleNames()[static_cast<size_t>(sample)];
                return {};
            }
            // A sample the opened package brought, or a file of the disk to pack.
            if (project_.Resources().ResourceExists(("Audio\\" + value).c_str())) return {};
            std::error_code ec;
            if (std::filesystem::is_regular_file(value, ec)) return {};
            return Quoted(value) + " is neither a sample of the game nor a file";
        }
        case Column::Kind::Component: {
            if (target.view != kViewUnits && target.view != kViewHeroes &&
                target.view != kViewBuildings)
                return lacks;
            bool known = false;
            for (const std::string& name : catalogue.ComponentNames())
                known = known || SameName(name, column.name);
            if (!known) return "there is no component named " + column.name;
            if (!SameName(value, "On") && !SameName(value, kOff))
                return "a component is switched On or Off, not " + Quoted(value);
            return {};
        }
        case Column::Kind::Bonus: {
            if (!unitOrHero) return lacks;
            if (HasLineBreak(value)) return "a line break fits in the description only";
            bool defined = false;
            for (const QSBRIXBonusData& d : catalogue.BonusDefinitions())
                defined = defined || SameName(d.name, column.name);
            const std::string* current =
                BonusModifiers::GetBonusValue(record, column.list, column.name);
            if (!defined && !(current && !SameName(value, kOff)))
                return "there is no bonus named " + column.name;
            return {};
        }
    }
    return {};
}

std::string ScriptedEdits::Apply(const Target& target, const Column& column,
                                 const std::string& value) {
    std::string item;
    if (std::string problem = Check(target, column, value, &item); !problem.empty()) return problem;
    ObjectCatalogue& catalogue = project_.Catalogue();
    switch (column.kind) {
        case Column::Kind::Field:
            project_.EditField(target.index, column.field->control, item);
            return {};
        case Column::Kind::Sound:
            project_.EditSoundSlot(target.index, column.slot->control, item);
            return {};
        case Column::Kind::Component: {
            const std::vector<std::string>& names = catalogue.ComponentNames();
            for (size_t i = 0; i < names.size(); ++i) {
                if (SameName(names[i], column.name)) {
                    project_.ToggleComponent(target.index, static_cast<int>(i),
                                             SameName(value, "On"));
                    break;
                }
            }
            return {};
        }
        case Column::Kind::Bonus:
            break;
    }

    // A bonus: ticked when the list lacks it, then its row's value set; or unticked.
    const QSObjectData& record = *catalogue.ViewList()[static_cast<uint32_t>(target.index)];
    // Read anew after each toggle: a toggle may give the record lists of its own.
    const auto entries = [&]() -> const std::vector<QSBonusPair>& {
        return record.BonusList(static_cast<size_t>(column.list));
    };
    int definition = -1;
    const std::vector<QSBRIXBonusData>& definitions = catalogue.BonusDefinitions();
    for (size_t i = 0; i < definitions.size() && definition < 0; ++i) {
        if (SameName(definitions[i].name, column.name)) definition = static_cast<int>(i);
    }
    const auto rowOf = [&]() -> int {
        for (size_t i = 0; i < entries().size(); ++i) {
            if (SameName(entries()[i].key, column.name)) return static_cast<int>(i) + 1;
        }
        return 0;
    };
    const char* section = kBonusSections[static_cast<size_t>(column.list)];
    if (SameName(value, kOff)) {
        if (rowOf() > 0) project_.ToggleBonus(target.index, column.list, definition, false);
        return {};
    }
    bool ticked = false;
    if (rowOf() == 0) {
        if (!project_.ToggleBonus(target.index, column.list, definition, true).checked) {
            return std::string("the ") + section + " list already holds " +
                   std::to_string(kBonusRows) + " bonuses";
        }
        ticked = true;
    }
    const int row = rowOf();
    std::string problem;
    if (row > kBonusRows) {
        problem = column.name + " is entry " + std::to_string(row) + " of " + section +
                  "; the editor edits the first " + std::to_string(kBonusRows);
    } else if (const int max = BonusValueMaxLength(column.list, row);
               max > 0 && value.size() > static_cast<size_t>(max)) {
        problem = Quoted(value) + " is longer than the " + std::to_string(max) +
                  " characters the box of row " + std::to_string(row) + " takes";
    }
    if (!problem.empty()) {
        if (ticked) project_.ToggleBonus(target.index, column.list, definition, false);
        return problem;
    }
    if (entries()[static_cast<size_t>(row - 1)].value != value) {
        project_.EditBonusValue(target.index, column.list, row, value, false);
    }
    return {};
}

std::string ScriptedEdits::Set(std::string_view text) {
    std::string error;
    const std::optional<FieldEdit> parts = ParseFieldEdit(text, &error);
    if (!parts) return error;
    const auto fail = [&](const std::string& problem) {
        return std::string(text) + ": " + problem;
    };
    const std::optional<Column> column = Column::Of(parts->section, parts->key);
    if (!column)
        return fail("no field, sound slot, component or bonus list is called " + parts->section +
                    "/" + parts->key);
    Target target;
    if (!Locate(parts->object, &target))
        return fail("no unit, hero, building, component or global record is named " + parts->object);
    if (std::string problem = Apply(target, *column, parts->value); !problem.empty())
        return fail(problem);
    return {};
}

std::string ScriptedEdits::Clone(std::string_view text) {
    const auto fail = [&](const std::string& problem) {
        return std::string(text) + ": " + problem;
    };
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return fail("no \"=\" between the old and the new unique name (OLD=NEW)");
    const std::string old(text.substr(0, equals));
    const std::string name(text.substr(equals + 1));
    Target target;
    if (!Locate(old, &target)) return fail("no unit, hero or building is named " + old);
    if (target.view != kViewUnits && target.view != kViewHeroes && target.view != kViewBuildings) {
        return fail(old + " is a " + KindName(target.view) +
                    "; only units, heroes and buildings are cloned");
    }
    if (name.empty()) return fail("the new unique name is empty");
    if (name.size() > kMaxNameLength) {
        return fail(Quoted(name) + " is longer than the " + std::to_string(kMaxNameLength) +
                    " characters of a unique name");
    }
    for (const unsigned char ch : name) {
        if (ch < 32 ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(ch)) != std::string_view::npos) {
            return fail(Quoted(name) + " holds a character a file name cannot");
        }
    }
    Target existing;
    if (Locate(name, &existing))
        return fail("a " + std::string(KindName(existing.view)) + " is named " + name + " already");
    Select(target.view);
    const int clone = project_.CloneObject(target.index, name);
    Forget();  // the view list is sorted again with the clone in it
    if (clone < 0) return fail(old + " could not be cloned");
    return {};
}

std::string ScriptedEdits::ApplyTable(std::string_view csv, int view, const std::string& source) {
    std::string error;
    const std::optional<CsvRows> rows = ReadCsv(csv, &error);
    if (!rows) return source + ": " + error;
    if (rows->empty()) return source + ": no header row";
    const std::vector<std::string>& header = rows->front();

    // The header: which column holds the names, and the field of every other.
    int nameColumn = -1;
    std::vector<std::optional<Column>> columns(header.size());
    for (size_t c = 0; c < header.size(); ++c) {
        const std::string& title = header[c];
        const auto fail = [&](const char* problem) {
            return source + ": column " + std::to_string(c + 1) + " (" + title + "): " + problem;
        };
        if (title == kChangeStateColumn) continue;
        if (title == kUniqueNameColumn) {
            if (nameColumn >= 0) return fail("named twice");
            nameColumn = static_cast<int>(c);
            continue;
        }
        if (title == kProperNameColumn) {
            Column proper;
            proper.field = &kProperNameField;
            proper.shown = title;
            columns[c] = proper;
        } else if (const size_t slash = title.find('/'); slash != std::string::npos) {
            const std::optional<Column> column =
                Column::Of(std::string_view(title).substr(0, slash),
                           std::string_view(title).substr(slash + 1));
            if (column && column->kind == Column::Kind::Field) columns[c] = column;
        }
        if (!columns[c]) return fail("no such column");
        for (size_t before = 0; before < c; ++before) {
            if (columns[before] && columns[before]->field == columns[c]->field)
                return fail("named twice");
        }
    }
    if (nameColumn < 0) return source + ": no unique_name column";

    // Every row checked before the first edit.
    struct Edit {
        Target target;
        const Column* column;
        std::string item;
    };
    std::vector<Edit> edits;
    for (size_t r = 1; r < rows->size(); ++r) {
        const std::vector<std::string>& row = (*rows)[r];
        const std::string where = source + ": row " + std::to_string(r + 1);
        if (row.size() == 1 && row[0].empty()) continue;  // a blank line
        if (row.size() != header.size()) {
            return where + " has " + std::to_string(row.size()) + " fields, the header " +
                   std::to_string(header.size());
        }
        const std::string& name = row[static_cast<size_t>(nameColumn)];
        Target target;
        if (!LocateIn(view, name, &target)) {
            return where + ", column " + std::to_string(nameColumn + 1) + " (unique_name): no " +
                   KindName(view) + " is named " + name;
        }
        const QSObjectData& record =
            *project_.Catalogue().ViewList()[static_cast<uint32_t>(target.index)];
        for (size_t c = 0; c < header.size(); ++c) {
            if (!columns[c]) continue;
            const FieldDef& f = *columns[c]->field;
            const std::string_view loaded = &f == &kProperNameField
                                                ? std::string_view(record.ProperName())
                                                : record.Value(f);
            if (row[c] == loaded) continue;
            Edit edit{target, &*columns[c], {}};
            if (std::string problem = Check(target, *columns[c], row[c], &edit.item);
                !problem.empty()) {
                return where + " (" + name + "), column " + std::to_string(c + 1) + " (" +
                       header[c] + "): " + problem;
            }
            edits.push_back(std::move(edit));
        }
    }
    for (const Edit& e : edits)
        project_.EditField(e.target.index, e.column->field->control, e.item);
    return {};
}
