// WinePrefix: a Wine prefix whose registry names a sample installation, so that Brix on
// Linux can be tried on a game installed through Wine.
//
// The prefix holds system.reg, HKEY_LOCAL_MACHINE in Wine's own text format, with the
// edition's "Install Path", and dosdevices/ with the drive links Wine resolves Windows paths
// through: c: -> ../drive_c, and the chosen drive linked to the directory that holds the
// installation. "--out /data/Games/Dravik --wine-drive g" gives g: -> /data/Games and
// "Install Path"="G:\\Dravik". Choosing c gives c: that link instead.
#pragma once

#include <filesystem>
#include <string>

#include "Installation.h"

enum class WineKey {
    Plain,    // Software\Quillon Studios\...
    Wow6432,  // Software\Wow6432Node\Quillon Studios\..., where a 32-bit installer writes
};

struct WrittenWinePrefix {
    std::string error;              // empty when written
    std::string key;                // the key written, single backslashes
    std::string installPath;        // the Windows path written under it
    std::filesystem::path driveTarget;  // where the chosen drive links to
};

// The text of system.reg with the one value under key.
std::string WineSystemRegistry(const std::string& key, const std::string& installPath, const char* version);

// Writes the prefix for the installation (created when missing; links and system.reg
// already there are replaced). drive is a letter from a to z.
WrittenWinePrefix WriteWinePrefix(const std::filesystem::path& prefix, const std::filesystem::path& installation,
                                  Edition edition, WineKey key, char drive);
