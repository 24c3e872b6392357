#include "app/Installation.h"

#include <QStandardPaths>
#include <QString>
#include <QtGlobal>
#include <fstream>
#include <iterator>

#include "core/QSError.h"
#include "core/QSINIFile.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#ifndef RRF_SUBKEY_WOW6432KEY
#define RRF_SUBKEY_WOW6432KEY 0x00020000
#endif
#endif

namespace fs = std::filesystem;

namespace {

// Paths travel through Brix as UTF-8 text.
fs::path PathFromUtf8(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Whether the file opens for binary reading. A directory does not count, although some
// systems let one be opened.
bool CanOpen(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return false;
    std::ifstream file(path, std::ios::binary);
    return file.is_open();
}

std::string ReadIniValue(const fs::path& file, const std::string& key,
                         const std::string& valueName) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Named after the file, so that a fatal error in it (a value given twice) names the file.
    QSINIFile ini(Utf8FromPath(file));
    if (!ini.LoadText(text)) return {};
    const char* value = ini.FindValue(key.c_str(), valueName.c_str());
    return value ? value : std::string();
}

#ifdef Q_OS_WIN
// Reads a string value below HKEY_LOCAL_MACHINE without ever opening the key for writing
// (QSettings' registry format opens keys for writing where it may, and so creates them).
// A 32-bit installer writes into the 32-bit view of the registry, which a 64-bit Brix reads
// only when asked; the native view comes first.
std::string ReadRegistryValue(const std::string& key, const std::string& valueName) {
    const std::wstring subKey = QString::fromStdString(key).toStdWString();
    const std::wstring name = QString::fromStdString(valueName).toStdWString();
    for (const DWORD view : {DWORD{0}, DWORD{RRF_SUBKEY_WOW6432KEY}}) {
        const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | view;
        DWORD size = 0;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, subKey.c_str(), name.c_str(), flags, nullptr, nullptr,
                         &size) != ERROR_SUCCESS)
            continue;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (RegGetValueW(HKEY_LOCAL_MACHINE, subKey.c_str(), name.c_str(), flags, nullptr,
                         text.data(), &size) != ERROR_SUCCESS)
            continue;
        text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
        return QString::fromStdWString(text).toStdString();
    }
    return {};
}
#endif

}  // namespace

fs::path RegistryFilePath() {
    const QString variable = qEnvironmentVariable(kRegistryVariable);
    if (!variable.isEmpty()) return PathFromUtf8(variable.toStdString());
#ifdef Q_OS_WIN
    return {};
#else
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return PathFromUtf8(config.toStdString()) / "Brix" / "registry.ini";
#endif
}

std::string ReadInstallPath(const std::string& key, const std::string& valueName) {
    const fs::path file = RegistryFilePath();
#ifdef Q_OS_WIN
    if (file.empty()) return ReadRegistryValue(key, valueName);
#endif
    return ReadIniValue(file, key, valueName);
}

bool FindInstallation(const std::string& key, const std::string& exeName, std::string& outPath,
                      std::string& outDir) {
    if (CanOpen(PathFromUtf8(exeName))) {
        outDir.clear();
        outPath = exeName;
        QSLOG(kLogInfo, "Found %s.", outPath.c_str());
        return true;
    }
    const std::string dir = ReadInstallPath(key, kInstallPathValue);
    if (!dir.empty()) {
        const fs::path exe = PathFromUtf8(dir) / PathFromUtf8(exeName);
        if (CanOpen(exe)) {
            outPath = Utf8FromPath(exe);
            outDir = dir;
            QSLOG(kLogInfo, "Found %s.", outPath.c_str());
            return true;
        }
    }
    QSLOG(kLogInfo, "Did not find %s.", exeName.c_str());
    return false;
}

GameInstallations DiscoverInstallations() {
    GameInstallations found;
    found.baseInstalled = FindInstallation(kBaseRegistryKey, kBaseExecutable, found.baseExecutable,
                                           found.baseDirectory);
    if (found.baseInstalled) found.currentGameDirectory = found.baseDirectory;
    found.expansionInstalled =
        FindInstallation(kExpansionRegistryKey, kExpansionExecutable, found.expansionExecutable,
                         found.expansionDirectory);
    if (found.expansionInstalled) found.currentGameDirectory = found.expansionDirectory;
    return found;
}
