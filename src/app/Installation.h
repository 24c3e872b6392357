// Installation discovery: where the two editions of Dravik are installed.
//
// An edition counts as installed when its executable can be opened, first in the working
// directory as it stands, then in the directory its registry key names under "Install Path".
// The executable is only looked at, never run.
//
// The registry is HKEY_LOCAL_MACHINE on Windows. Elsewhere, and on Windows too when the
// environment variable BRIX_REGISTRY names a file, it is an INI file with one section per key,
// named exactly like the key, backslashes and blanks included:
//
//     [Software\Quillon Studios\Dravik]
//     Install Path=/home/me/Games/Dravik
//
// The file is BRIX_REGISTRY, or "Brix/registry.ini" in the user's configuration directory
// (~/.config/Brix/registry.ini on Linux). It is read with QSINIFile, which takes section names,
// key names and values literally; QSettings' INI format would read the backslashes of the
// section as nested groups and drop those of the value. Names compare without regard to
// letter case, as the Windows registry does; blanks around names and values are dropped and
// ';' starts a comment.
#pragma once

#include <filesystem>
#include <string>

inline constexpr const char* kBaseRegistryKey = "Software\\Quillon Studios\\Dravik";
inline constexpr const char* kExpansionRegistryKey =
    "Software\\Quillon Studios\\Dravik Ashen Tithe";
inline constexpr const char* kInstallPathValue = "Install Path";
inline constexpr const char* kBaseExecutable = "Dravik.exe";
inline constexpr const char* kExpansionExecutable = "Dravik_AT.exe";
// Names the INI file that stands in for the registry.
inline constexpr const char* kRegistryVariable = "BRIX_REGISTRY";

// What DiscoverInstallations found. A directory is empty when the executable was found in
// the working directory (or not at all); the executable path is then the bare file name.
struct GameInstallations {
    std::string baseExecutable;       // path of "Dravik.exe" when found
    std::string expansionExecutable;  // path of "Dravik_AT.exe" when found
    std::string baseDirectory;
    std::string expansionDirectory;
    bool baseInstalled = false;
    bool expansionInstalled = false;
    // The directory of the edition a new session starts with: the expansion's when both
    // are installed.
    std::string currentGameDirectory;
};

// The INI file read in place of the registry; empty when the Windows registry is used.
std::filesystem::path RegistryFilePath();

// The text stored under valueName of the key (a path below HKEY_LOCAL_MACHINE), or empty
// when the key, the value or the registry file is missing. Nothing is ever created.
std::string ReadInstallPath(const std::string& key, const std::string& valueName);

// Looks for exeName in the working directory, then in the directory the key's "Install Path"
// names. Logs "Found %s." with the path or "Did not find %s." with exeName. On success sets
// outPath and outDir (see GameInstallations); otherwise leaves both as they were.
bool FindInstallation(const std::string& key, const std::string& exeName, std::string& outPath,
                      std::string& outDir);

// Both editions, base first.
GameInstallations DiscoverInstallations();
