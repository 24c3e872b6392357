// The user guide: "Brix Help.htm", installed beside the brix executable.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

inline constexpr const char* kHelpFileName = "Brix Help.htm";

// Where the guide is: beside the running executable.
QString HelpFilePath();

// Opens the guide with the desktop's handler for HTML documents (the Help menu's "Brix FAQ").
// Returns what to tell the user when that cannot be done (the guide is missing, or no program
// on this desktop opens HTML documents), saying where the guide is; empty when it opened.
QString OpenHelp();
// The same, for a guide at another path and a desktop asked through `opener` (tests).
QString OpenHelpFile(const QString& path, const std::function<bool(const QUrl&)>& opener);
