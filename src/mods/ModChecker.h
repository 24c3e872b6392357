// ModChecker: what a save of the open project would write that the game cannot use, said
// before the save.
//
// The checker reads every object of the working set the way a save writes it (a field's
// session value when it has a change record, else its loaded value) and reports:
//   - a numeric field of the field table whose value is not a number, or lies outside the
//     range its control's hint states ("between 1 and 30000");
//   - the captain rule of the `captain` hint (front-line units need a captain, other units
//     and heroes may not have one);
//   - a captain, militia type, next level, technology or spell that its drop-down list does
//     not offer, a required component that the component list does not hold, a bonus that
//     the bonus definitions do not hold;
//   - a sound slot naming a sample that the archives do not hold, or a local file that is
//     missing (an error) or that the WAV check does not accept (a warning);
//   - the mod's identity where the save checks would refuse it.
// Each finding names the object by view code and unique name, so that a window can select it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mods/QSVersionMgr.h"

class ModProject;

enum class FindingSeverity : uint8_t { Error, Warning };

// The view code of an identity finding, which belongs to no object.
inline constexpr int kIdentityView = -1;

struct CheckFinding {
    FindingSeverity severity = FindingSeverity::Error;
    int view = kIdentityView;  // the object's view code (kViewUnits...); kIdentityView
    std::string object;        // the object's unique name; empty for the identity
    std::string control;       // the control that shows the field; empty when none does
    std::string section;       // empty for the identity
    std::string key;           // for the identity: "Name", "Identifier" or "Version"
    std::string value;         // the value a save would write
    std::string reason;        // one line, without a final full stop
    friend bool operator==(const CheckFinding&, const CheckFinding&) = default;
};

struct CheckOptions {
    // Whether the identity is checked; the game alone has none worth checking.
    bool identity = true;
};

// Every finding of the open project: the identity's first, then the objects' by view (units,
// heroes, buildings, global settings, components), each view in the order of its working
// list and each object's fields in the field table's order. The catalogue's current view is
// selected again (and sorted) afterwards, as the window keeps it.
std::vector<CheckFinding> CheckMod(ModProject& project, const CheckOptions& options = {});

// The identity's findings for what the mod panel holds: the save checks' first refusal, or
// nothing when they pass.
std::vector<CheckFinding> CheckIdentity(const SaveCheckInput& input);

// "error" or "warning".
const char* SeverityName(FindingSeverity severity);
bool HasErrors(const std::vector<CheckFinding>& findings);

// One line: "error OBJECT SECTION/KEY: reason", "(mod)" standing for the identity's object
// and the key alone for its field.
std::string FindingLine(const CheckFinding& finding);
