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
//
// Outside Windows, an edition the registry file names no directory for (no file, no key or
// an empty value) is looked for in the registry of the Wine prefix too: WINEPREFIX, else
// ~/.wine. Its file system.reg holds HKEY_LOCAL_MACHINE; the key is read as spelled and
// then in the 32-bit view a 32-bit installer writes into (Software\WOW6432Node\...). The
// Windows path found there becomes a path of this system through the prefix's
// dosdevices/<drive letter>: links (drive_c standing in for a missing c:). A prefix without
// system.reg is passed over quietly; an unreadable or odd one, or a path on a drive the
// prefix lacks, with a line in the log.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

inline constexpr const char* kBaseRegistryKey = "Software\\Quillon Studios\\Dravik";
inline constexpr const char* kExpansionRegistryKey =
    "Software\\Quillon Studios\\Dravik Ashen Tithe";
inline constexpr const char* kInstallPathValue = "Install Path";
inline constexpr const char* kBaseExecutable = "Dravik.exe";
inline constexpr const char* kExpansionExecutable = "Dravik_AT.exe";
// Names the INI file that stands in for the registry.
inline constexpr const char* kRegistryVariable = "BRIX_REGISTRY";
// Names the Wine prefix; ~/.wine when unset or empty.
inline constexpr const char* kWinePrefixVariable = "WINEPREFIX";
// A Wine registry file larger than this is passed over.
inline constexpr std::uintmax_t kMostWineRegistryBytes = std::uintmax_t{64} << 20;

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

// The Wine prefix looked in: WINEPREFIX, else .wine in HOME; empty when neither is set.
std::filesystem::path WinePrefixPath();

// A value looked up in the text of a Wine registry file.
struct WineRegistryString {
    bool found = false;  // the value is there and is a string (REG_SZ, or REG_EXPAND_SZ unexpanded)
    std::string text;    // its text in UTF-8, Wine's escapes undone
    std::string
        problem;  // why the text or the value cannot be used; empty when it can or is missing
};

// Looks valueName ("" for the default value) up under key (a path below
// HKEY_LOCAL_MACHINE, single backslashes) in the text of system.reg. Key and value names
// compare without regard to the letter case of A to Z. Any bytes are safe to pass.
WineRegistryString FindWineRegistryString(std::string_view fileText, std::string_view key,
                                          std::string_view valueName);

// The path of this system that the Windows path (such as "D:\Games\Dravik") names inside
// prefix, or empty with problem set when the path has no drive letter or the prefix has no
// such drive.
std::filesystem::path HostPathInWinePrefix(const std::filesystem::path& prefix,
                                           std::string_view windowsPath, std::string& problem);
