// brix-sample-game: writes a complete, deterministic Dravik installation for trying the
// editor without the game, and for the tests, the benchmarks and the user guide.
//
//   brix-sample-game --edition dsc|dat --out DIR [--scale demo|max]
//                    [--units N --heroes N --buildings N] [--seed N] [--mods]
//                    [--wine-prefix DIR [--wine-key plain|wow6432] [--wine-drive LETTER]]
//
// The same options and seed give the same files, byte for byte: even the random bits an
// archive header hides its values among come from a fixed seed per archive.
#include <CLI/CLI.hpp>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>
#include <string>

#include "Catalogue.h"
#include "GameArchive.h"
#include "Installation.h"
#include "ModPackages.h"
#include "WinePrefix.h"
#include "core/HashName.h"
#include "core/QSError.h"
#include "resources/QSResourcer.h"

namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 2;
constexpr int kMostObjects = 2047;  // beyond the editor's 1023, to try its limit

std::vector<PackageEntry> Entries(const std::vector<ArchiveFile>& files) {
    std::vector<PackageEntry> entries;
    for (const ArchiveFile& f : files) entries.push_back(PackageEntry::Of(f.name, f.data));
    return entries;
}

std::string Bytes(uintmax_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out + " bytes";
}

void Report(const fs::path& path, const std::string& what) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    std::printf("  %-16s %14s  %s\n", path.filename().string().c_str(), ec ? "?" : Bytes(size).c_str(), what.c_str());
}

// What the executable would be: the editor only looks for its name.
std::string PlaceholderExecutable(const char* game) {
    std::string text = "MZ";
    text += " This is not ";
    text += game;
    text += ". brix-sample-game wrote it so that Brix finds a sample Dravik installation here.\r\n";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    DisableLog();  // a tool run leaves no Brix_log.txt behind

    CLI::App app{"Writes a complete sample Dravik installation: the game's archives, optionally "
                 "with mod packages beside them, so that Brix can be tried without the game."};
    app.name("brix-sample-game");
    std::string edition, scale = "demo";
    std::string out;
    std::optional<int> units, heroes, buildings;
    uint64_t seed = 1;
    bool mods = false;
    app.add_option("--edition", edition, "dsc: Sundered Crowns; dat: Ashen Tithe (the expansion)")
        ->required()
        ->check(CLI::IsMember({"dsc", "dat"}));
    app.add_option("--out", out, "the installation directory to write (created when missing)")->required();
    app.add_option("--scale", scale, "demo (60 units, 20 heroes, 30 buildings) or max (1023 of each)")
        ->capture_default_str()
        ->check(CLI::IsMember({"demo", "max"}));
    app.add_option("--units", units, "number of units instead of the scale's")->check(CLI::Range(0, kMostObjects));
    app.add_option("--heroes", heroes, "number of heroes instead of the scale's")->check(CLI::Range(0, kMostObjects));
    app.add_option("--buildings", buildings, "number of buildings instead of the scale's")
        ->check(CLI::Range(0, kMostObjects));
    app.add_option("--seed", seed, "seed of the generated values; the same seed gives the same files")
        ->capture_default_str();
    app.add_flag("--mods", mods, "also write three mod packages (.qsx) into the directory");
    std::string winePrefix, wineKey = "wow6432", wineDrive = "g";
    CLI::Option* prefixOption =
        app.add_option("--wine-prefix", winePrefix,
                       "also write a Wine prefix there (created when missing) whose registry, system.reg, "
                       "names the installation through a drive of its dosdevices");
    app.add_option("--wine-key", wineKey,
                   "the key the prefix's registry names it under: plain (Software\\Quillon Studios\\...) or "
                   "wow6432 (Software\\Wow6432Node\\Quillon Studios\\..., as a 32-bit installer writes)")
        ->capture_default_str()
        ->check(CLI::IsMember({"plain", "wow6432"}))
        ->needs(prefixOption);
    app.add_option("--wine-drive", wineDrive,
                   "the prefix's drive letter for the directory holding the installation; c replaces the "
                   "link to drive_c")
        ->capture_default_str()
        ->transform(CLI::Validator(
            [](std::string& letter) {
                if (letter.size() == 2 && letter[1] == ':') letter.pop_back();
                if (letter.size() == 1 && std::isalpha(static_cast<unsigned char>(letter[0]))) {
                    letter[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(letter[0])));
                    return std::string();
                }
                return "not a drive letter: " + letter;
            },
            "LETTER"))
        ->needs(prefixOption);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : kUsageError;
    }

    Counts counts;
    if (scale == "max") counts = Counts{1023, 1023, 1023, 60, 300};
    if (units) counts.units = *units;
    if (heroes) counts.heroes = *heroes;
    if (buildings) counts.buildings = *buildings;
    if (mods && !ModPackagesNeed(counts).empty()) {
        std::fprintf(stderr, "brix-sample-game: %s\n", ModPackagesNeed(counts).c_str());
        return kUsageError;
    }

    const fs::path dir = out;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        std::fprintf(stderr, "brix-sample-game: cannot create the directory %s\n", out.c_str());
        return 1;
    }

    const Edition ed = edition == "dat" ? Edition::Dat : Edition::Dsc;
    const Catalogue cat = BuildCatalogue(counts, seed);
    const Installation inst = Assemble(cat, ed);

    std::printf("%s (%s) sample installation, seed %llu, in %s\n",
                ed == Edition::Dat ? "Ashen Tithe" : "Sundered Crowns", ed == Edition::Dat ? "DAT" : "DSC",
                static_cast<unsigned long long>(seed), out.c_str());

    const char* exe = ed == Edition::Dat ? "Dravik_AT.exe" : "Dravik.exe";
    if (!WriteWholeFile(dir / exe, PlaceholderExecutable(exe))) {
        std::fprintf(stderr, "brix-sample-game: cannot write %s\n", (dir / exe).string().c_str());
        return 1;
    }
    Report(dir / exe, "placeholder for the game");

    // Fixed seeds, one per archive: the same options give the same bytes, hidden bits too.
    QSResourcer(0x5EED0000u ^ HashName(kBaseArchive))
        .Build(dir / kBaseArchive, "SC", kBaseVersion, "Dravik", Entries(inst.base), "");
    Report(dir / kBaseArchive, std::to_string(inst.base.size()) + " files, the base game, version " + kBaseVersion);

    if (ed == Edition::Dat) {
        QSResourcer expansion(0x5EED0000u ^ HashName(kExpansionArchive));
        expansion.SetIgnoreList(inst.ignore);
        expansion.Build(dir / kExpansionArchive, "AT", kExpansionVersion, "Dravik Ashen Tithe", Entries(inst.expansion),
                        "");
        Report(dir / kExpansionArchive, std::to_string(inst.expansion.size()) + " files, the expansion, version " +
                                            kExpansionVersion + "; hides " + inst.ignore.front());
    } else if (fs::exists(dir / kExpansionArchive)) {
        std::fprintf(stderr, "brix-sample-game: note: %s also holds %s, which the editor mounts as well\n",
                     out.c_str(), kExpansionArchive);
    }

    std::printf("  The game shows %zu units, %zu heroes, %zu buildings, %zu components and %zu samples;\n"
                "  its two localisation tables hold %d texts.\n",
                cat.units.size(), cat.heroes.size(), cat.buildings.size(), cat.components.size(), cat.samples.size(),
                cat.strings.CommonCount() + cat.strings.ObjectCount(true));

    if (mods) {
        for (const ModPackage& p : BuildModPackages(cat, ed)) {
            QSResourcer(0x5EED0000u ^ HashName(p.fileName))
                .Build(dir / p.fileName, p.id.c_str(), p.version.c_str(), p.modName.c_str(), Entries(p.files),
                       p.accessCode.c_str());
            std::string what = "mod " + p.version + ", " + std::to_string(p.files.size()) + " files: " + p.summary;
            what += p.accessCode.empty() ? "; no access code" : "; access code " + p.accessCode;
            Report(dir / p.fileName, what);
        }
    }

    if (!winePrefix.empty()) {
        const WrittenWinePrefix prefix = WriteWinePrefix(winePrefix, dir, ed,
                                                         wineKey == "plain" ? WineKey::Plain : WineKey::Wow6432,
                                                         wineDrive.front());
        if (!prefix.error.empty()) {
            std::fprintf(stderr, "brix-sample-game: %s\n", prefix.error.c_str());
            return 1;
        }
        Report(fs::path(winePrefix) / "system.reg",
               "the Wine prefix's registry: " + prefix.installPath + " under " + prefix.key + ", " +
                   static_cast<char>(std::toupper(static_cast<unsigned char>(wineDrive.front()))) + ": linking to " +
                   prefix.driveTarget.string());
    }
    return 0;
}
