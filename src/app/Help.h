// The user guide: "Brix Help.htm", installed beside the brix executable.
#pragma once

#include <QString>

inline constexpr const char* kHelpFileName = "Brix Help.htm";

// Where the guide is: beside the running executable.
QString HelpFilePath();

// Opens the guide with the desktop's handler for HTML documents (the Help menu's "Brix FAQ").
// Whether a handler was found is not checked; nothing is reported either way.
void OpenHelp();
