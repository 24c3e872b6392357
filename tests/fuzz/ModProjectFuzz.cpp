// Opens a mod whose package is made from the input, over a small sample installation, as the
// editor does: both passes, the side lists, the identity, the version history, the global
// history and the access code. Every text a package brings (object files, components,
// settings, bonuses, localisation, ModInfo.ini, ModChanges.txt) is the modder's, so any of
// them may be anything: the opening may end in a fatal error, never in a crash, an
// out-of-bounds access, a leak or a hang. The opened mod is then saved as a package of its own.
//
// An input that starts with "DAT\n" is opened over the expansion's installation (two archives,
// an ignore list), any other over the base game's. The rest is cut at "\n@@" into files. A file's first line names it: its first byte picks
// the folder (see kFolders), the rest of the line is the name within it; the bytes after the
// line are its content.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "FuzzHarness.h"
#include "mods/ModProject.h"
#include "resources/QSResourcer.h"

namespace {

const char* const kFolders[] = {
    "Data\\ObjectData\\units\\", "Data\\ObjectData\\heroes\\", "Data\\ObjectData\\buildings\\",
    "Data\\",                    "data\\objectdata\\",         "Data\\Localized\\",
    "Audio\\Game\\",             "",
};

volatile size_t gSink;  // keeps the results from being optimised away

// A sample installation of an edition with a few objects of each kind, written once per
// process and removed at its end.
struct Scratch {
    explicit Scratch(const char* edition) {
        char dir[] = "/tmp/brix-fuzz-project-XXXXXX";
        if (!mkdtemp(dir)) std::abort();
        install = dir;
        package = install + "/Fuzz.qsx";
        saved = install + "/Saved.qsx";
        const std::string command = std::string("'") + BRIX_SAMPLE_GAME + "' --edition " + edition +
                                    " --units 4 --heroes 2 --buildings 2 --out '" + install + "' > /dev/null";
        if (std::system(command.c_str()) != 0) std::abort();
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(install, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string install;
    std::string package;
    std::string saved;
};

const Scratch& Installation(bool expansion) {
    static const Scratch base("dsc");
    static const Scratch withExpansion("dat");
    return expansion ? withExpansion : base;
}

std::vector<std::pair<std::string, std::string>> FilesOf(const std::string& input) {
    std::vector<std::pair<std::string, std::string>> files;
    for (size_t at = 0; at <= input.size() && files.size() < 32;) {
        size_t end = input.find("\n@@", at);
        if (end == std::string::npos) end = input.size();
        const std::string part = input.substr(at, end - at);
        at = end + 3;
        const size_t lineEnd = part.find('\n');
        const std::string head = part.substr(0, lineEnd);
        if (head.empty()) continue;
        std::string name = kFolders[static_cast<unsigned char>(head[0]) % std::size(kFolders)] + head.substr(1);
        if (name.empty() || name.size() >= 80) continue;  // the writer refuses such names
        files.emplace_back(std::move(name), lineEnd == std::string::npos ? "" : part.substr(lineEnd + 1));
    }
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    const bool expansion = input.rfind("DAT\n", 0) == 0;
    if (expansion) input.erase(0, 4);
    const Scratch& scratch = Installation(expansion);
    const auto files = FilesOf(input);
    bool written = false;
    RunGuarded([&] {
        std::vector<PackageEntry> entries;
        for (const auto& [name, bytes] : files) entries.push_back(PackageEntry::Of(name, bytes));
        QSResourcer writer;
        writer.SetSyncToDisk(false);
        writer.Build(scratch.package, "FZ", "1.0.0.1", "", std::move(entries), "");
        written = true;
    });
    if (!written) return 0;
    RunGuarded([&] {
        ModProject project;
        project.SetInstallationPaths(scratch.install, scratch.install);
        project.OpenMod(scratch.install, scratch.package);
        gSink = project.GlobalHistory().size() + project.VersionHistory().size() +
               project.Identity().comments.size() + project.Protected();
        // Saved again, everything the package brought goes through the package builder: its
        // object files as sources, its samples copied out, its identity and history written.
        ModIdentity identity = project.Identity();
        identity.twoCharacterId = "FZ";
        identity.savedVersion = "1.0.0.2";
        std::string failure;
        gSink = gSink + project.SaveMod(identity, scratch.saved, &failure, {1u, false}) + failure.size();
    });
    return 0;
}
