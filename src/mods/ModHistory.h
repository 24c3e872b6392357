// ModHistory: the global history of an opened mod, a complete comparison of the mod's working
// objects with the retail game, rebuilt every time a package is opened and never stored.
//
// The text is Windows text (CR LF). It begins with the mod's identity, then compares the
// components, units, heroes and buildings of the working set with their retail records,
// paired by unique name (case-insensitive): objects the mod adds, then per object the fields,
// the build components and the eight bonus lists that differ, ignoring letter case.
#pragma once

#include <span>
#include <string>

#include "objects/ObjectCatalogue.h"

// The identity of an open mod project, as the mod panel shows it.
struct ModIdentity {
    std::string modName;         // the package's file title, without ".qsx"
    std::string twoCharacterId;  // TwoCharacterIdentifier
    std::string accessCode;      // as typed; stored scrambled in the package header
    std::string savedVersion;    // Version, at the last save or load
    std::string versionAtLoad;   // the saved version when the mod was opened
    std::string author;
    std::string authorWww;
    std::string authorEmail;
    std::string gameVersion;     // DravikVersion: "DSC " or "DAT " and the archive's version
    std::string programVersion;  // BrixVersion
    std::string comments;        // the author's comments
};

// One box of the mod panel and the identity text it shows.
struct ModIdentityField {
    const char* control;  // the box's object name
    const char* iniKey;   // its key in the [ModInfo] section of "Data\ModInfo.ini"; null if not kept there
    std::string ModIdentity::*member;
    bool shown;           // filled from the identity when a mod is opened
    bool editable;        // typing in it marks it as changed since the last save
    bool copiedAsTyped;   // typed text goes straight into the identity (else read when saving)
};
// Every box of the mod panel that shows a part of the identity, in the panel's order.
std::span<const ModIdentityField> ModIdentityFields();

// One compared field of the history: its label and the value of a record it compares.
struct HistoryField {
    const char* label;
    const char* section;  // null: the component's own section
    const char* key;
    int row;  // the record's field row; 0 for the proper name
};
// Every compared field, in the order the lines are written.
std::span<const HistoryField> HistoryFields();

// Appends the comparison lines of one working list against its retail list.
void CompareObjectLists(const QSObjectList& working, const QSObjectList& retail, std::string& out);

// The whole global history: the header lines, then components, units, heroes and buildings.
std::string BuildGlobalHistory(const ModIdentity& identity, const ObjectCatalogue& catalogue);
