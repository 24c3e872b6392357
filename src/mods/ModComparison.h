// ModComparison: two states of the game data compared object by object, and the overlap of
// two mods.
//
// A state is the game alone (a catalogue's retail set) or the game with a package (a
// catalogue's working set). The comparison pairs the components, units, heroes and buildings
// of the two states by unique name and says each difference as the global history does,
// plus "Removed" for an object only the earlier state holds (see ObjectDifference):
//   Added UNIQUE(NAME).
//   Removed UNIQUE(NAME).
//   Changed UNIQUE(NAME) FIELD: from A to B.
// The text is Windows text (CR LF), like the history.
//
// The overlap of two mods is what both change relative to the game: every object that both
// add, remove or change, with each field either of them changes on it and the value the game
// and each mod give it. A package holds whole object files, so mounting both keeps only one
// mod's version of such an object. Its text form, one line per field, the object itself first
// when a mod adds or removes it (the object's value is then On or Off):
//   Overlap UNIQUE(NAME): game Off, FIRST On, SECOND On.
//   Overlap UNIQUE(NAME) FIELD: game A, FIRST B, SECOND C.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mods/ModHistory.h"

class ModProject;
struct OpenProgress;
class ObjectCatalogue;

// One side of a comparison: a catalogue's retail set (the game alone) or its working set.
struct GameState {
    const ObjectCatalogue* catalogue = nullptr;
    bool retail = false;
};

// One difference between two states.
struct ComparisonLine {
    ObjectDifference::Kind kind = ObjectDifference::Kind::Changed;
    int view = 0;        // kViewComponents, kViewUnits, kViewHeroes or kViewBuildings
    std::string object;  // unique name
    std::string name;    // proper name
    std::string field;   // empty unless changed
    std::string from;
    std::string to;
};

// The differences from earlier to later: components, units, heroes, then buildings, each
// view in the history's order followed by its removed objects.
std::vector<ComparisonLine> CompareStates(const GameState& earlier, const GameState& later);
// The working sets of two opened projects (the window: the open project as loaded against
// another package).
std::vector<ComparisonLine> CompareProjects(const ModProject& earlier, const ModProject& later);
// The lines of a comparison (CR LF each).
std::string ComparisonText(const std::vector<ComparisonLine>& lines);

// Opens each side over the installation, a package or, for an empty path, the game alone,
// with both passes of the editor's opening (a protected package is read without its code;
// the game alone against a package takes one opening), and compares them. Progress reports
// every opening's objects. A package that does not exist or cannot be read is the caller's to
// rule out first.
std::vector<ComparisonLine> CompareInstallStates(
    const std::string& installPath, const std::string& earlierPackage,
    const std::string& laterPackage, const std::function<void(const OpenProgress&)>& progress = {});

// One field of an overlapping object; an empty field stands for the object itself.
struct OverlapField {
    std::string field;
    std::string game;    // the game's value
    std::string first;   // with the first mod
    std::string second;  // with the second mod
};
struct OverlapObject {
    int view = 0;
    std::string object;                // unique name
    std::string name;                  // proper name (the first mod's)
    std::vector<OverlapField> fields;  // in the first mod's line order, then the second's
};

// The objects both comparisons (each the game against one mod) touch, in the first's order.
std::vector<OverlapObject> FindOverlap(const std::vector<ComparisonLine>& first,
                                       const std::vector<ComparisonLine>& second);
// Opens the game with each package and finds their overlap.
std::vector<OverlapObject> FindInstallOverlap(
    const std::string& installPath, const std::string& firstPackage,
    const std::string& secondPackage,
    const std::function<void(const OpenProgress&)>& progress = {});
// The overlap's lines (CR LF each), each mod named by its label.
std::string OverlapText(const std::vector<OverlapObject>& overlap, const std::string& firstLabel,
                        const std::string& secondLabel);
