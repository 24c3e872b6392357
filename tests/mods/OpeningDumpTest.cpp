// Everything an opening makes, written out and compared with what openings made before: every
// record of both passes (names, files, state, every value, bonus, component and sound), the
// side lists, the identity and both histories, for the sample installations of both editions
// at demo and max scale, over the game alone and each sample mod. The dumps are long, so each
// is kept as a digest in tests/mods/data/opening_digests.txt; a changed opening fails with the
// path of its dump for comparison with one written by an older build.
//
// When a change of the sample generator changes the openings on purpose, write the digests
// anew: BRIX_WRITE_OPENING_DIGESTS=1 ./mods_tests --gtest_filter='Openings/*'
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "mods/ModProject.h"
#include "tools/sample-game/SampleGame.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDigests = fs::path(BRIX_TEST_DATA_DIR) / "opening_digests.txt";

// The codes the sample mods are protected with.
const std::map<std::string, std::string> kCodes = {{"Oathsworn", "#Oth"}, {"VeylSecrets", "V3yl"}};

uint64_t Fnv1a(const std::string& text) {
    uint64_t h = 1469598103934665603ull;
    for (const unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Values are written between brackets, so that blanks and line breaks show.
void Put(std::ostream& out, const char* name, const std::string& value) {
    out << name << " [" << value << "]\n";
}

void DumpRecord(std::ostream& out, const QSObjectData& r) {
    Put(out, "record", r.UniqueName());
    Put(out, " proper", r.ProperName());
    Put(out, " file", r.resourceName);
    Put(out, " source", r.sourceResourceName);
    out << " state " << int(r.changeState) << '\n';
    for (int row = 1; row <= kFieldCount; ++row) out << " " << row << " [" << r.Value(row) << "]\n";
    for (size_t list = 0; list < static_cast<size_t>(kBonusListCount); ++list)
        for (const QSBonusPair& b : r.BonusList(list))
            out << " bonus " << list << " [" << b.key << "] [" << b.value << "]\n";
    for (std::string_view c : r.Components()) Put(out, " component", std::string(c));
    // A loaded slot's resolved value is its entered value.
    for (size_t group = 0; group < kSoundGroupCount; ++group)
        for (std::string_view s : r.Sounds(static_cast<SoundGroup>(group)))
            out << " sound " << group << " [" << s << "] [" << s << "]\n";
}

std::string Dump(const ModProject& project) {
    std::ostringstream out;
    const ObjectCatalogue& c = project.Catalogue();
    for (int view = 0; view < kViewCount; ++view) {
        for (const bool retail : {true, false}) {
            out << "== view " << view << (retail ? " retail" : " working") << '\n';
            for (const QSObjectData* r : c.Objects(view, retail)) DumpRecord(out, *r);
        }
    }
    for (const QSBRIXBonusData& b : c.BonusDefinitions())
        out << "bonus definition [" << b.name << "] [" << b.name1 << "] [" << b.name2 << "] ["
            << b.action << "]\n";
    for (const auto& [name, list] :
         {std::pair{"component name", &c.ComponentNames()}, {"spell", &c.SpellNames()},
          {"technology", &c.TechnologyNames()}, {"sample", &c.SampleNames()}}) {
        for (const std::string& item : *list) Put(out, name, item);
    }
    for (const ModIdentityField& f : ModIdentityFields()) Put(out, f.control, project.Identity().*f.member);
    Put(out, "saved version", project.Identity().savedVersion);
    Put(out, "version at load", project.Identity().versionAtLoad);
    out << "read only " << project.ReadOnly() << '\n';
    Put(out, "version history", project.VersionHistory());
    Put(out, "global history", project.GlobalHistory());
    return out.str();
}

std::map<std::string, std::string> ReadDigests() {
    std::map<std::string, std::string> digests;
    std::ifstream in(kDigests);
    std::string name, digest;
    while (in >> name >> digest) digests[name] = digest;
    return digests;
}

struct Installation {
    const char* edition;
    const char* scale;
};

class Openings : public ::testing::TestWithParam<Installation> {};

TEST_P(Openings, AreWhatTheyWere) {
    const Installation inst = GetParam();
    TempDir dir;
    const ToolRun run = RunSampleGame({"--edition", inst.edition, "--scale", inst.scale, "--out",
                                       dir.path().string(), "--mods"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const bool writing = std::getenv("BRIX_WRITE_OPENING_DIGESTS") != nullptr;
    std::map<std::string, std::string> digests = ReadDigests();
    const std::string install = dir.path().string();

    for (const char* mod : {"", "IronTide", "Oathsworn", "VeylSecrets"}) {
        const std::string name = std::string(inst.edition) + "-" + inst.scale + "-" +
                                 (*mod ? mod : "game");
        SCOPED_TRACE(name);
        ModProject project;
        project.SetInstallationPaths(install, install);
        project.SetAccessCodePrompt([&](bool) -> std::optional<std::string> {
            return kCodes.at(mod);
        });
        if (*mod) {
            ASSERT_EQ(project.OpenMod(install, (dir.path() / (std::string(mod) + ".qsx")).string()),
                      OpenOutcome::Full);
        } else {
            project.NewMod(std::string(inst.edition) == "dat" ? GameEdition::Expansion
                                                              : GameEdition::Base);
        }
        const std::string dump = Dump(project);
        char digest[17];
        std::snprintf(digest, sizeof digest, "%016llx",
                      static_cast<unsigned long long>(Fnv1a(dump)));
        if (writing) {
            digests[name] = digest;
            continue;
        }
        ASSERT_TRUE(digests.count(name)) << "no digest of " << name << " in " << kDigests;
        if (digests[name] != digest) {
            const fs::path kept = fs::temp_directory_path() / ("brix-opening-" + name + ".txt");
            std::ofstream(kept, std::ios::binary) << dump;
            ADD_FAILURE() << name << " opens differently from before: digest " << digest
                          << ", was " << digests[name] << "; its dump is in " << kept;
        }
    }
    if (writing) {
        std::ofstream out(kDigests, std::ios::binary | std::ios::trunc);
        for (const auto& [name, digest] : digests) out << name << ' ' << digest << '\n';
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, Openings,
                         ::testing::Values(Installation{"dsc", "demo"}, Installation{"dat", "demo"},
                                           Installation{"dsc", "max"}, Installation{"dat", "max"}),
                         [](const auto& info) {
                             return std::string(info.param.edition) + "_" + info.param.scale;
                         });

}  // namespace
