#include "app/Installation.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QString>
#include <QtGlobal>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

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

// The Wine registry. system.reg is text, one line each:
//
//     WINE REGISTRY Version 2
//     ;; All keys relative to \\Machine
//     [Software\\Wow6432Node\\Quillon Studios\\Dravik] 1700000000
//     #time=1d9b1c7c3e0f5a2
//     "Install Path"="C:\\Games\\Dravik"
//     @="the default value"
//
// Names and strings are escaped C-like: \\ \" \[ \] \n and the like, octal \NNN, and \xNNNN
// for a UTF-16 code unit (Wine writes every character beyond ASCII so). Lines of other kinds
// (hex:, dword:, comments, the continuations of long hex values) are passed over.

constexpr std::string_view kWineRegistryHeader = "WINE REGISTRY Version 2";

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Undoes the escapes of line from at up to the first unescaped end character, into out.
// Returns the position after that character, or nullopt when the line ends first.
std::optional<size_t> Unescape(std::string_view line, size_t at, char end, std::string& out) {
    constexpr char32_t kReplacement = 0xFFFD;
    char32_t highSurrogate = 0;  // the first half of a pair waiting for the second; 0: none
    const auto flush = [&] {
        if (highSurrogate != 0) AppendUtf8(out, kReplacement);
        highSurrogate = 0;
    };
    const auto unit = [&](char32_t u) {
        if (u >= 0xDC00 && u <= 0xDFFF && highSurrogate != 0) {
            AppendUtf8(out, 0x10000 + ((highSurrogate - 0xD800) << 10) + (u - 0xDC00));
            highSurrogate = 0;
            return;
        }
        flush();
        if (u >= 0xD800 && u <= 0xDBFF) {
            highSurrogate = u;
        } else {
            AppendUtf8(out, u >= 0xDC00 && u <= 0xDFFF ? kReplacement : u);
        }
    };
    while (at < line.size()) {
        const char c = line[at++];
        if (c == end) {
            flush();
            return at;
        }
        if (c != '\\') {
            flush();
            out += c;  // bytes beyond ASCII are taken as they stand
            continue;
        }
        if (at >= line.size()) break;
        const char e = line[at++];
        if (e == 'x') {
            char32_t u = 0;
            int digits = 0;
            for (; digits < 4 && at < line.size() && IsHexDigit(line[at]); ++digits, ++at)
                u = u * 16 + HexDigitValue(line[at]);
            if (digits == 0) {
                flush();
                out += 'x';
            } else {
                unit(u);
            }
            continue;
        }
        if (e >= '0' && e <= '7') {
            char32_t u = static_cast<char32_t>(e - '0');
            for (int digits = 1;
                 digits < 3 && at < line.size() && line[at] >= '0' && line[at] <= '7';
                 ++digits, ++at)
                u = u * 8 + static_cast<char32_t>(line[at] - '0');
            unit(u);
            continue;
        }
        flush();
        // \\ \" \[ \] and any character not named here stand for themselves.
        constexpr std::string_view kNamed = "abefnrtv", kMeant = "\a\b\x1B\f\n\r\t\v";
        const size_t named = kNamed.find(e);
        out += named == std::string_view::npos ? e : kMeant[named];
    }
    return std::nullopt;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

bool HasWineRegistryHeader(std::string_view text) {
    std::string_view first = text.substr(0, text.find('\n'));
    if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
    return first == kWineRegistryHeader;
}

#ifndef Q_OS_WIN
// The key as a 32-bit program on 64-bit Windows sees it: WOW6432Node after its first name.
std::string Wow6432Key(const std::string& key) {
    const size_t slash = key.find('\\');
    if (slash == std::string::npos) return key + "\\WOW6432Node";
    return key.substr(0, slash) + "\\WOW6432Node" + key.substr(slash);
}

// Reads the whole file, or sets problem.
bool ReadWineRegistry(const fs::path& file, std::string& text, std::string& problem) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(file, ec);
    if (ec) {
        problem = "it cannot be read";
        return false;
    }
    if (size > kMostWineRegistryBytes) {
        problem = "it is larger than 64 MB";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        problem = "it cannot be read";
        return false;
    }
    // It may have grown since; never more than the limit and a little is read.
    text.clear();
    text.reserve(static_cast<size_t>(size));
    char chunk[1 << 16];
    while (text.size() <= kMostWineRegistryBytes && in.read(chunk, sizeof chunk).gcount() > 0)
        text.append(chunk, static_cast<size_t>(in.gcount()));
    if (in.bad()) {
        problem = "it cannot be read";
        return false;
    }
    if (text.size() > kMostWineRegistryBytes) {
        problem = "it is larger than 64 MB";
        return false;
    }
    return true;
}

// The directories the Wine prefix's registry names for the key's "Install Path", the key as
// spelled first, each passed over with a line in the log when it cannot be used.
std::vector<std::string> WineInstallDirectories(const std::string& key) {
    std::vector<std::string> dirs;
    const fs::path prefix = WinePrefixPath();
    if (prefix.empty()) return dirs;
    const fs::path file = prefix / "system.reg";
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec))) return dirs;  // no prefix there: nothing to say
    const std::string fileName = Utf8FromPath(file);
    std::string text, problem;
    if (!fs::is_regular_file(file, ec)) {
        problem = "it cannot be read";
    } else if (ReadWineRegistry(file, text, problem) && !HasWineRegistryHeader(text)) {
        problem = "it does not begin with \"WINE REGISTRY Version 2\"";
    }
    if (!problem.empty()) {
        QSLOG(kLogInfo, "Passed over the Wine registry %s: %s.", fileName.c_str(), problem.c_str());
        return dirs;
    }
    for (const std::string& spelling : {key, Wow6432Key(key)}) {
        const WineRegistryString value = FindWineRegistryString(text, spelling, kInstallPathValue);
        if (!value.problem.empty()) {
            QSLOG(kLogInfo, "Passed over the Wine registry %s: %s.", fileName.c_str(),
                  value.problem.c_str());
            continue;
        }
        if (!value.found || value.text.empty()) continue;
        const fs::path dir = HostPathInWinePrefix(prefix, value.text, problem);
        if (dir.empty()) {
            QSLOG(kLogInfo, "Passed over \"%s\" from the Wine registry %s: %s.", value.text.c_str(),
                  fileName.c_str(), problem.c_str());
            continue;
        }
        dirs.push_back(Utf8FromPath(dir));
    }
    return dirs;
}
#endif

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

fs::path WinePrefixPath() {
    // The bytes as they stand: a path need not be valid in the locale's encoding.
    const QByteArray prefix = qgetenv(kWinePrefixVariable);
    if (!prefix.isEmpty()) return PathFromUtf8(prefix.toStdString());
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty()) return PathFromUtf8(home.toStdString()) / ".wine";
    return {};
}

WineRegistryString FindWineRegistryString(std::string_view fileText, std::string_view key,
                                          std::string_view valueName) {
    WineRegistryString result;
    if (!HasWineRegistryHeader(fileText)) {
        result.problem = "it does not begin with \"WINE REGISTRY Version 2\"";
        return result;
    }
    const std::string quotedName =
        valueName.empty() ? std::string("the default value") : "\"" + std::string(valueName) + "\"";
    bool inKey = false;
    for (size_t at = 0; at < fileText.size();) {
        size_t end = fileText.find('\n', at);
        if (end == std::string_view::npos) end = fileText.size();
        std::string_view line = fileText.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        if (line.front() == '[') {
            std::string name;
            inKey = Unescape(line, 1, ']', name).has_value() && SameName(name, key);
            continue;
        }
        if (!inKey || (line.front() != '"' && line.front() != '@')) continue;
        std::string name;
        size_t pos = 1;
        if (line.front() == '"') {
            const std::optional<size_t> afterName = Unescape(line, 1, '"', name);
            if (!afterName) continue;  // not a value line Wine would read either
            pos = *afterName;
        }
        if (!SameName(name, valueName)) continue;
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] != '=') continue;
        ++pos;
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        // A later line for the same value replaces an earlier one, as when Wine loads it.
        result = WineRegistryString();
        std::string_view value = line.substr(pos);
        constexpr std::string_view kExpandString = "str(2):";
        if (value.substr(0, kExpandString.size()) == kExpandString)
            value.remove_prefix(kExpandString.size());
        const std::string where = quotedName + " of [" + std::string(key) + "]";
        if (value.empty() || value.front() != '"') {
            result.problem = where + " is not a string";
        } else if (Unescape(value, 1, '"', result.text)) {
            // Windows reads a string up to its first NUL.
            if (const size_t nul = result.text.find('\0'); nul != std::string::npos)
                result.text.resize(nul);
            result.found = true;
        } else {
            result.text.clear();
            result.problem = where + " ends before its closing quote";
        }
    }
    return result;
}

fs::path HostPathInWinePrefix(const fs::path& prefix, std::string_view windowsPath,
                              std::string& problem) {
    const bool hasDrive =
        windowsPath.size() >= 2 && AsciiLower(windowsPath[0]) >= 'a' &&
        AsciiLower(windowsPath[0]) <= 'z' && windowsPath[1] == ':' &&
        (windowsPath.size() == 2 || windowsPath[2] == '\\' || windowsPath[2] == '/');
    if (!hasDrive) {
        problem = "it does not begin with a drive letter";
        return {};
    }
    const char letter = AsciiLower(windowsPath[0]);
    const fs::path devices = prefix / "dosdevices";
    const fs::path link = devices / (std::string(1, letter) + ":");
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(link, ec);
    fs::path root;
    if (fs::is_symlink(status)) {
        const fs::path target = fs::read_symlink(link, ec);
        if (ec || target.empty()) {
            problem = "its drive's link " + Utf8FromPath(link) + " cannot be read";
            return {};
        }
        if (target.is_absolute()) {
            root = target;
        } else {
            // Relative to dosdevices, wherever that is when it is a link itself.
            fs::path base = devices;
            if (fs::is_symlink(fs::symlink_status(devices, ec))) {
                base = fs::canonical(devices, ec);
                if (ec) base = devices;
            }
            root = base / target;
        }
    } else if (fs::exists(status)) {
        root = link;  // a directory standing in for the link
    } else if (letter == 'c') {
        root = prefix / "drive_c";
    } else {
        problem = std::string("the Wine prefix has no drive ") +
                  static_cast<char>(letter - 'a' + 'A') + ": (no " + Utf8FromPath(link) + ")";
        return {};
    }
    fs::path path = root;
    for (size_t at = 2; at < windowsPath.size();) {
        size_t end = windowsPath.find_first_of("\\/", at);
        if (end == std::string_view::npos) end = windowsPath.size();
        if (end > at) path /= PathFromUtf8(std::string(windowsPath.substr(at, end - at)));
        at = end + 1;
    }
    return path.lexically_normal();
}

bool FindInstallation(const std::string& key, const std::string& exeName, std::string& outPath,
                      std::string& outDir) {
    if (CanOpen(PathFromUtf8(exeName))) {
        outDir.clear();
        outPath = exeName;
        QSLOG(kLogInfo, "Found %s.", outPath.c_str());
        return true;
    }
    // The registry file has the last word on the edition it names.
    std::vector<std::string> dirs;
    if (std::string dir = ReadInstallPath(key, kInstallPathValue); !dir.empty()) {
        dirs.push_back(std::move(dir));
    } else {
#ifndef Q_OS_WIN
        dirs = WineInstallDirectories(key);
#endif
    }
    for (const std::string& dir : dirs) {
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
