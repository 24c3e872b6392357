#include "mods/ModComparison.h"

#include <map>
#include <memory>
#include <utility>

#include "core/HashName.h"
#include "mods/ModProject.h"
#include "objects/ObjectCatalogue.h"

namespace {

// The views in the order the history compares them.
constexpr int kComparedViews[] = {kViewComponents, kViewUnits, kViewHeroes, kViewBuildings};

const QSObjectList& ListOf(const GameState& state, int view) {
    return state.catalogue->Objects(view, state.retail);
}

std::unique_ptr<ModProject> OpenState(const std::string& installPath, const std::string& package,
                                      const std::function<void(const OpenProgress&)>& progress) {
    auto project = std::make_unique<ModProject>();
    if (progress) project->SetProgressCallback(progress);
    project->SetInstallationPaths(installPath, installPath);
    project->OpenProject(installPath, package);
    return project;
}

std::string Lowered(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

using ObjectKey = std::pair<int, std::string>;  // view, unique name in lower case

ObjectKey KeyOf(const ComparisonLine& line) {
    return {line.view, Lowered(line.object)};
}

// What one mod does to one object: whether it adds or removes it, and its field changes.
struct ObjectChanges {
    bool added = false;
    bool removed = false;
    std::vector<const ComparisonLine*> fields;
};

std::map<ObjectKey, ObjectChanges> ByObject(const std::vector<ComparisonLine>& lines) {
    std::map<ObjectKey, ObjectChanges> out;
    for (const ComparisonLine& line : lines) {
        ObjectChanges& changes = out[KeyOf(line)];
        switch (line.kind) {
            case ObjectDifference::Kind::Added:
                changes.added = true;
                break;
            case ObjectDifference::Kind::Removed:
                changes.removed = true;
                break;
            case ObjectDifference::Kind::Changed:
                changes.fields.push_back(&line);
                break;
        }
    }
    return out;
}

const ComparisonLine* FindField(const ObjectChanges& changes, const std::string& field) {
    for (const ComparisonLine* line : changes.fields) {
        if (SameName(line->field, field)) return line;
    }
    return nullptr;
}

// A mod's value of a field it may not change: off when it removes the object, the game's
// otherwise.
std::string ValueWith(const ObjectChanges& changes, const ComparisonLine& other) {
    if (changes.removed) return "Off";
    const ComparisonLine* own = FindField(changes, other.field);
    return own ? own->to : other.from;
}

const char* Presence(const ObjectChanges& changes, bool inGame) {
    if (changes.added) return "On";
    if (changes.removed) return "Off";
    return inGame ? "On" : "Off";
}

}  // namespace

std::vector<ComparisonLine> CompareStates(const GameState& earlier, const GameState& later) {
    std::vector<ComparisonLine> out;
    for (const int view : kComparedViews) {
        CompareObjectLists(
            ListOf(later, view), ListOf(earlier, view), true, [&](const ObjectDifference& d) {
                out.push_back({d.kind, view, std::string(d.object), std::string(d.name),
                               std::string(d.field), std::string(d.from), std::string(d.to)});
            });
    }
    return out;
}

std::vector<ComparisonLine> CompareProjects(const ModProject& earlier, const ModProject& later) {
    return CompareStates({&earlier.Catalogue(), false}, {&later.Catalogue(), false});
}

std::string ComparisonText(const std::vector<ComparisonLine>& lines) {
    std::string out;
    for (const ComparisonLine& l : lines)
        AppendDifferenceLine({l.kind, l.object, l.name, l.field, l.from, l.to}, out);
    return out;
}

std::vector<ComparisonLine> CompareInstallStates(
    const std::string& installPath, const std::string& earlierPackage,
    const std::string& laterPackage, const std::function<void(const OpenProgress&)>& progress) {
    // The game alone is the retail set of any opening over the same installation.
    if (earlierPackage.empty() || laterPackage.empty()) {
        const std::string& package = earlierPackage.empty() ? laterPackage : earlierPackage;
        const auto project = OpenState(installPath, package, progress);
        const GameState game{&project->Catalogue(), true};
        const GameState mod{&project->Catalogue(), package.empty()};
        return earlierPackage.empty() ? CompareStates(game, mod) : CompareStates(mod, game);
    }
    const auto earlier = OpenState(installPath, earlierPackage, progress);
    const auto later = OpenState(installPath, laterPackage, progress);
    return CompareProjects(*earlier, *later);
}

std::vector<OverlapObject> FindOverlap(const std::vector<ComparisonLine>& first,
                                       const std::vector<ComparisonLine>& second) {
    const std::map<ObjectKey, ObjectChanges> firstByObject = ByObject(first);
    const std::map<ObjectKey, ObjectChanges> secondByObject = ByObject(second);
    std::vector<OverlapObject> out;
    std::map<ObjectKey, bool> done;
    for (const ComparisonLine& line : first) {
        const ObjectKey key = KeyOf(line);
        const auto other = secondByObject.find(key);
        if (other == secondByObject.end() || !done.emplace(key, true).second) continue;
        const ObjectChanges& mine = firstByObject.at(key);
        const ObjectChanges& theirs = other->second;
        OverlapObject object{line.view, line.object, line.name, {}};
        if (mine.added || mine.removed || theirs.added || theirs.removed) {
            // An object a mod adds is not in the game; one it removes is.
            const bool inGame = !mine.added && !theirs.added;
            object.fields.push_back(
                {"", inGame ? "On" : "Off", Presence(mine, inGame), Presence(theirs, inGame)});
        }
        for (const ComparisonLine* f : mine.fields)
            object.fields.push_back({f->field, f->from, f->to, ValueWith(theirs, *f)});
        for (const ComparisonLine* f : theirs.fields) {
            if (!FindField(mine, f->field))
                object.fields.push_back({f->field, f->from, ValueWith(mine, *f), f->to});
        }
        out.push_back(std::move(object));
    }
    return out;
}

std::vector<OverlapObject> FindInstallOverlap(
    const std::string& installPath, const std::string& firstPackage,
    const std::string& secondPackage, const std::function<void(const OpenProgress&)>& progress) {
    const auto first = OpenState(installPath, firstPackage, progress);
    const auto second = OpenState(installPath, secondPackage, progress);
    const GameState game{&first->Catalogue(), true};
    return FindOverlap(CompareStates(game, {&first->Catalogue(), false}),
                       CompareStates(game, {&second->Catalogue(), false}));
}

std::string OverlapText(const std::vector<OverlapObject>& overlap, const std::string& firstLabel,
                        const std::string& secondLabel) {
    std::string out;
    for (const OverlapObject& o : overlap) {
        for (const OverlapField& f : o.fields) {
            out += "Overlap " + o.object + "(" + o.name + ")";
            if (!f.field.empty()) out += " " + f.field;
            out += ": game " + f.game + ", " + firstLabel + " " + f.first + ", " + secondLabel +
                   " " + f.second + ".\r\n";
        }
    }
    return out;
}
