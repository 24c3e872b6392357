// ModIdentity: who made a mod and which version it is, as the mod panel shows it and
// "Data\ModInfo.ini" keeps it.
#pragma once

#include <span>
#include <string>

// The program version every package records as BrixVersion.
inline constexpr const char* kProgramVersion = "1.0.7.0";

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
