#include "WinePrefix.h"

#include <cstdio>
#include <system_error>

#include "GameArchive.h"

namespace fs = std::filesystem;

namespace {

// Fixed stamps keep the output the same from run to run.
constexpr const char* kKeyStamp = "1700000000";
constexpr const char* kTimeLine = "#time=1da16c3e4f7a000";

void AppendUnit(std::string& out, unsigned unit) {
    char text[16];
    std::snprintf(text, sizeof text, "\\x%04x", unit);
    out += text;
}

// text (UTF-8) escaped the way Wine writes names and strings: a backslash before a
// backslash and before each of the extra characters, \xNNNN for every UTF-16 unit beyond
// printable ASCII. Empty with ok false when text is not UTF-8.
std::string WineEscaped(const std::string& text, const char* extra, bool& ok) {
    std::string out;
    ok = true;
    for (size_t i = 0; i < text.size();) {
        const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
        const unsigned lead = byte(i);
        if (lead < 0x80) {
            const char c = static_cast<char>(lead);
            if (lead < 0x20 || lead == 0x7F) {
                AppendUnit(out, lead);
            } else {
                if (c == '\\' || std::string_view(extra).find(c) != std::string_view::npos) out += '\\';
                out += c;
            }
            ++i;
            continue;
        }
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || lead > 0xF4 || i + length > text.size()) {
            ok = false;
            return {};
        }
        char32_t c = lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) {
                ok = false;
                return {};
            }
            c = (c << 6) | (byte(i + k) & 0x3F);
        }
        if (c >= 0x10000) {
            AppendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            AppendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            AppendUnit(out, c);
        }
        i += length;
    }
    return out;
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Makes link a symbolic link to target, replacing a link or file of that name.
std::string PutLink(const fs::path& link, const fs::path& target) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(link, ec);
    if (fs::is_directory(status)) return "a directory is in the way of the link " + link.string();
    if (fs::exists(status)) fs::remove(link, ec);
    fs::create_directory_symlink(target, link, ec);
    if (ec) return "cannot link " + link.string() + " to " + target.string() + ": " + ec.message();
    return {};
}

}  // namespace

std::string WineSystemRegistry(const std::string& key, const std::string& installPath, const char* version) {
    bool ok = true;
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    text += "[" + WineEscaped(key, "[]", ok) + "] " + kKeyStamp + "\n" + kTimeLine + "\n";
    text += "\"Install Path\"=\"" + WineEscaped(installPath, "\"", ok) + "\"\n";
    text += "\"Language\"=dword:00000409\n";
    text += "\"Version\"=\"" + WineEscaped(version, "\"", ok) + "\"\n";
    return text;
}

WrittenWinePrefix WriteWinePrefix(const fs::path& prefix, const fs::path& installation, Edition edition, WineKey key,
                                  char drive) {
    WrittenWinePrefix written;
    const bool dat = edition == Edition::Dat;
    written.key = key == WineKey::Wow6432 ? "Software\\Wow6432Node\\Quillon Studios\\Dravik"
                                          : "Software\\Quillon Studios\\Dravik";
    if (dat) written.key += " Ashen Tithe";

    // The drive is the directory that holds the installation, or the installation itself
    // when that is the root.
    std::error_code ec;
    fs::path dir = fs::absolute(installation, ec).lexically_normal();
    if (!dir.has_filename() && dir != dir.root_path()) dir = dir.parent_path();  // "game/"
    const fs::path name = dir.filename();
    written.driveTarget = name.empty() ? dir : dir.parent_path();
    const char upper = static_cast<char>(drive - 'a' + 'A');
    written.installPath = std::string(1, upper) + ":\\" + Utf8(name);

    bool ok = true;
    WineEscaped(written.installPath, "\"", ok);
    if (!ok) {
        written.error = "the installation's path " + dir.string() + " is not UTF-8 text, which the registry needs";
        return written;
    }
    const fs::path devices = prefix / "dosdevices";
    fs::create_directories(devices, ec);
    if (ec || !fs::is_directory(devices)) {
        written.error = "cannot create the directory " + devices.string();
        return written;
    }
    if (drive != 'c') {
        fs::create_directories(prefix / "drive_c", ec);
        if (std::string error = PutLink(devices / "c:", "../drive_c"); !error.empty()) {
            written.error = error;
            return written;
        }
    }
    if (std::string error = PutLink(devices / (std::string(1, drive) + ":"), written.driveTarget); !error.empty()) {
        written.error = error;
        return written;
    }
    const std::string text =
        WineSystemRegistry(written.key, written.installPath, dat ? kExpansionVersion : kBaseVersion);
    if (!WriteWholeFile(prefix / "system.reg", text)) written.error = "cannot write " + (prefix / "system.reg").string();
    return written;
}
