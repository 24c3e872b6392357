#include "mods/ModChecker.h"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/HashName.h"
#include "core/WavFile.h"
#include "mods/ModProject.h"
#include "objects/BuildHierarchy.h"
#include "objects/FieldBinding.h"

namespace {

// Edit boxes whose text the game reads as a name rather than a number.
constexpr const char* kTextEditControls[] = {"attack_1_animation", "attack_2_animation"};

// The folders of the archives' samples; a slot naming one of them names an archive sample,
// anything else a local file.
constexpr const char* kSampleFolders[] = {"Game\\", "Spells\\", "Mod\\"};

struct Range {
    double low = 0;
    double high = 0;
};

// Reads "between A and B" out of a hint: the range is stated once, where the user reads it.
std::optional<Range> RangeInHint(const char* hint) {
    if (!hint) return std::nullopt;
    const char* at = std::strstr(hint, "between ");
    if (!at) return std::nullopt;
    char* end = nullptr;
    Range r;
    r.low = std::strtod(at + 8, &end);
    if (end == at + 8 || std::strncmp(end, " and ", 5) != 0) return std::nullopt;
    const char* high = end + 5;
    r.high = std::strtod(high, &end);
    if (end == high) return std::nullopt;
    return r;
}

// The field whose hint speaks for this one: a hero level variant shares its base field's
// label, and so its hint.
const FieldDef& HintField(const FieldDef& field) {
    if (field.level == 0) return field;
    for (const FieldDef& f : kFieldTable) {
        if (f.level == 0 && std::strcmp(f.label, field.label) == 0) return f;
    }
    return field;
}

bool IsNumeric(const FieldDef& field) {
    if (field.controlKind != ControlKind::Edit || field.labelHidden ||
        field.rule == LoadRule::FromColors) {
        return false;
    }
    for (const char* c : kTextEditControls) {
        if (std::strcmp(field.control, c) == 0) return false;
    }
    return true;
}

// A decimal number as the game writes them: an optional sign, digits, an optional fraction.
bool ParseNumber(const std::string& text, double* value) {
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
    }
    if (digits == 0 || i != text.size()) return false;
    *value = std::strtod(text.c_str(), nullptr);
    return true;
}

std::string NumberText(double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

bool StartsWithFolder(std::string_view text, std::string_view folder) {
    return text.size() >= folder.size() && SameName(text.substr(0, folder.size()), folder);
}

bool NoName(const std::string& value) {
    return value.empty() || SameName(value, "None");
}

bool Holds(const std::vector<std::string>& names, std::string_view name) {
    for (const std::string& n : names) {
        if (SameName(n, name)) return true;
    }
    return false;
}

// What a list source offers, as the reason a value it does not offer is refused.
const char* UnlistedReason(ListSource source) {
    switch (source) {
        case ListSource::TechnologyNames:
            return "not a technology of the game";
        case ListSource::SpellNames:
            return "not a spell of the game";
        case ListSource::Captains:
            return "names no captain of the working set";
        case ListSource::Militia:
            return "names no militia or monster of the working set";
        case ListSource::Buildings:
            return "names no building of the working set";
        default:
            return nullptr;
    }
}

class Checker {
  public:
    Checker(ModProject& project, std::vector<CheckFinding>& out)
        : project_(project),
          catalogue_(project.Catalogue()),
          changes_(project.Changes()),
          lists_(ListItemSet::FromCatalogue(project.Catalogue())),
          out_(out) {}

    void CheckView(int view) {
        catalogue_.SelectView(view);
        view_ = view;
        const QSObjectList& list = catalogue_.ViewList();
        // The global settings fields belong to fixed records whatever the index.
        const uint32_t count = view == kViewGlobal ? (list.Count() > 0 ? 1 : 0) : list.Count();
        for (uint32_t i = 0; i < count; ++i) CheckObject(static_cast<int>(i));
    }

  private:
    // The session value with a change record, else the value as loaded: what a save writes.
    std::string ValueNow(const FieldBinding& b) const {
        const QSChange* c = changes_.FindChange(b.identity, b.section, b.key);
        return c ? c->value : std::string(b.loaded);
    }

    void Add(FindingSeverity severity, const QSObjectData& record, const char* control,
             std::string section, std::string key, std::string value, std::string reason) {
        out_.push_back({severity, view_, record.UniqueName(), control ? control : "",
                        std::move(section), std::move(key), std::move(value), std::move(reason)});
    }
    void Add(FindingSeverity severity, const FieldBinding& b, const char* control,
             std::string value, std::string reason) {
        Add(severity, *b.record, control, b.section, b.key, std::move(value), std::move(reason));
    }

    void CheckObject(int index) {
        const uint8_t kinds = FieldKindsOfView(view_);
        std::string type;
        bool typed = false;
        FieldBinding captain;
        std::string captainValue;
        for (const FieldDef& field : kFieldTable) {
            if (!(field.kinds & kinds)) continue;
            FieldBinding b;
            if (!ResolveField(catalogue_, index, field, b)) continue;
            const std::string value = ValueNow(b);
            if (field.row == kRowType) {
                type = value;
                typed = true;
            }
            if (field.listSource == ListSource::Captains) {
                captain = b;
                captainValue = value;
            }
            CheckValue(field, b, value);
        }
        if (typed && captain.record && (view_ == kViewUnits || view_ == kViewHeroes)) {
            CheckCaptainRule(captain, type, captainValue);
        }
        FieldBinding any;
        if (!ResolveField(catalogue_, index, kProperNameField, any)) return;
        const QSObjectData& record = *any.record;
        if (view_ == kViewGlobal || view_ == kViewComponents) return;
        CheckComponents(record);
        CheckBonuses(record);
        for (const SoundSlotDef& slot : kSoundSlotTable) {
            FieldBinding b;
            if (ResolveSoundSlot(catalogue_, index, slot, b)) CheckSound(slot, b, ValueNow(b));
        }
    }

    void CheckValue(const FieldDef& field, const FieldBinding& b, const std::string& value) {
        if (value.empty()) return;  // the game takes its default
        if (IsNumeric(field)) {
            double number = 0;
            if (!ParseNumber(value, &number)) {
                Add(FindingSeverity::Error, b, field.control, value, "not a number");
                return;
            }
            if (std::optional<Range> r = RangeInHint(ControlHint(HintField(field).control))) {
                if (number < r->low || number > r->high) {
                    Add(FindingSeverity::Error, b, field.control, value,
                        "outside " + NumberText(r->low) + " to " + NumberText(r->high));
                }
            }
            return;
        }
        if (const char* reason = UnlistedReason(field.listSource)) {
            if (NoName(value)) return;
            const std::vector<std::string>* items = lists_.Computed(field.listSource);
            if (items && !Holds(*items, value)) {
                Add(FindingSeverity::Error, b, field.control, value, reason);
            }
        }
    }

    // The `captain` hint: front-line units must have captains, other types may not.
    void CheckCaptainRule(const FieldBinding& b, const std::string& type,
                          const std::string& value) {
        const bool front = SameName(type, "Front");
        if (front && NoName(value)) {
            Add(FindingSeverity::Error, b, b.field->control, value,
                "a front-line unit needs a captain");
        } else if (!front && !NoName(value)) {
            Add(FindingSeverity::Error, b, b.field->control, value,
                "a unit of type " + type + " may not have a captain");
        }
    }

    // The required components a save writes: the loaded ones not switched off in the session
    // (those switched on are picked from the component list and always exist).
    void CheckComponents(const QSObjectData& record) {
        const std::vector<std::string>& names = catalogue_.ComponentNames();
        const QSTextList components = record.Components();
        for (size_t i = 0; i < components.size(); ++i) {
            const std::string_view name = components[i];
            if (Holds(names, name)) continue;
            const QSChange* c =
                changes_.FindChange(record.UniqueName(), kBuildHierarchySection, name);
            if (c && SameName(c->value, "Off")) continue;
            Add(FindingSeverity::Error, record, "components_checklistbox", kBuildHierarchySection,
                "Component" + std::to_string(i + 1), std::string(name), "not a component of the game");
        }
    }

    // The current bonus lists (ticking and unticking change them in the record itself).
    void CheckBonuses(const QSObjectData& record) {
        const std::vector<QSBRIXBonusData>& definitions = catalogue_.BonusDefinitions();
        for (int list = 0; list < kBonusPanelCount; ++list) {
            for (const QSBonusPair& pair : record.BonusList(static_cast<size_t>(list))) {
                bool known = false;
                for (const QSBRIXBonusData& d : definitions)
                    known = known || SameName(d.name, pair.key);
                if (known) continue;
                Add(FindingSeverity::Error, record, nullptr,
                    kBonusSections[static_cast<size_t>(list)], pair.key, pair.value,
                    "not a bonus of the game");
            }
        }
    }

    void CheckSound(const SoundSlotDef& slot, const FieldBinding& b, const std::string& value) {
        if (value.empty()) return;
        if (project_.Resources().ResourceExists(("Audio\\" + value).c_str())) return;
        for (const char* folder : kSampleFolders) {
            if (StartsWithFolder(value, folder)) {
                Add(FindingSeverity::Error, b, slot.control, value,
                    "names no sample of the game's archives");
                return;
            }
        }
        const WavCheck check = CheckWav(std::filesystem::path(value));
        if (check == WavCheck::Accepted) return;
        Add(check == WavCheck::NotFound ? FindingSeverity::Error : FindingSeverity::Warning, b,
            slot.control, value, std::string("local file ") + WavCheckName(check));
    }

    ModProject& project_;
    ObjectCatalogue& catalogue_;
    const ChangeList& changes_;
    ListItemSet lists_;
    std::vector<CheckFinding>& out_;
    int view_ = kViewUnits;
};

}  // namespace

std::vector<CheckFinding> CheckIdentity(const SaveCheckInput& input) {
    const SaveCheckResult result = CheckModForSave(input);
    if (result.passed) return {};
    struct Refusal {
        const char* message;
        const char* key;
        std::string_view value;
    };
    const Refusal refusals[] = {
        {kNoModNameMessage, "Name", input.modName},
        {kBadModNameMessage, "Name", input.modName},
        {kNoIdentifierMessage, "Identifier", input.identifier},
        {kReservedIdentifierMessage, "Identifier", input.identifier},
        {kVersionFormatMessage, "Version", input.typedVersion},
        {kVersionIncreaseMessage, "Version", input.typedVersion},
    };
    CheckFinding f;
    f.key = "Version";
    f.value = std::string(input.typedVersion);
    for (const Refusal& r : refusals) {
        if (result.message == r.message) {
            f.key = r.key;
            f.value = std::string(r.value);
        }
    }
    f.reason = result.message;
    return {f};
}

std::vector<CheckFinding> CheckMod(ModProject& project, const CheckOptions& options) {
    std::vector<CheckFinding> out;
    if (options.identity) {
        const ModIdentity& id = project.Identity();
        out = CheckIdentity({id.modName, id.twoCharacterId, id.savedVersion, id.savedVersion});
    }
    if (!project.ProjectOpen()) return out;
    ObjectCatalogue& catalogue = project.Catalogue();
    const int shown = catalogue.CurrentView();
    Checker checker(project, out);
    for (int view : {kViewUnits, kViewHeroes, kViewBuildings, kViewGlobal, kViewComponents}) {
        checker.CheckView(view);
    }
    catalogue.SelectView(shown);
    catalogue.SortViewList();
    return out;
}

const char* SeverityName(FindingSeverity severity) {
    return severity == FindingSeverity::Error ? "error" : "warning";
}

bool HasErrors(const std::vector<CheckFinding>& findings) {
    for (const CheckFinding& f : findings) {
        if (f.severity == FindingSeverity::Error) return true;
    }
    return false;
}

std::string FindingLine(const CheckFinding& f) {
    std::string line = SeverityName(f.severity);
    line += ' ';
    if (f.view == kIdentityView) {
        line += "(mod) " + f.key;
    } else {
        line += f.object + ' ' + f.section + '/' + f.key;
    }
    return line + ": " + f.reason;
}
