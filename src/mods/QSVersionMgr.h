// QSVersionMgr: the version numbers of a mod and the checks a save passes first.
//
// A version is two to four parts of one or two digits, "1.0" to "99.99.99.99"; its value is
// a * 1,000,000 + b * 10,000 + c * 100 + d, missing parts counting as 0, so "1.2" and
// "1.2.0.0" are the same version. Every save must raise the saved version: a version that
// was not raised is raised by one step, unless even that would not reach the typed one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The messages of the save checks, in the order the checks run.
inline constexpr const char* kNoModNameMessage =
    "You must provide a name for the mod to be able to save it.";
inline constexpr const char* kBadModNameMessage =
    "Invalid mod name, must use characters suitable for a filename.";
inline constexpr const char* kNoIdentifierMessage =
    "You must provide a two character identifier for the mod.";
inline constexpr const char* kReservedIdentifierMessage =
    "AT is reserved for Ashen Tithe. Choose a different two-letter identifier.";
inline constexpr const char* kVersionFormatMessage =
    "Mod version must be in the form ##.##(.##)(.##), like 1.0.2.1, with the last two numbers "
    "being optional, all numbers must be between 0 and 99.";
inline constexpr const char* kVersionIncreaseMessage = "Mod version must increase with every save.";

// Letters, digits, space and ! # $ % & ( ) + , - . ; = @ ^ _ ` ~; nothing from 128 upward.
bool IsFileNameChar(char c);
// Two to four parts of one or two digits separated by single dots, at most 11 characters.
bool IsValidModVersion(std::string_view text);
// The text scanned as "%d.%d.%d.%d"; a part that cannot be read counts as 0, and so do the
// parts after it. A part too large for an int stays at the int's limit.
int64_t VersionToNumber(std::string_view text);
bool VersionLess(std::string_view a, std::string_view b);
// The version raised by one step ("1.0" gives "1.0.0.1", "1.0.0.99" gives "1.0.1"). False,
// with *raised untouched, when the first part would reach 100: there is no next version.
bool IncrementVersion(std::string_view text, std::string* raised);

// What the mod panel holds when a save is asked for.
struct SaveCheckInput {
    std::string_view modName;
    std::string_view identifier;
    std::string_view typedVersion;
    std::string_view savedVersion;  // of the last save or load; "0.0.0.0" for a new mod
};

struct SaveCheckResult {
    bool passed = false;
    std::string message;  // the failed check's message; empty when passed
    // The version the save goes on with when passed. When the version rule acted (raised the
    // version, or refused it) this is what the version box must show from now on; otherwise
    // the typed version.
    std::string version;
    bool versionChanged = false;  // the version box must be set to `version`
};

// The checks of a save in their order; the first that fails decides.
SaveCheckResult CheckModForSave(const SaveCheckInput& input);

// Leaving the version box: the text it keeps, which is the saved version when the typed text
// is not a well-formed version (and the format message is then due).
std::string VersionAfterExit(std::string_view typed, std::string_view saved);
