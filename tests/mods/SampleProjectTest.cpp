// Opening the sample installation's mods as the editor does: identity, version history,
// access code and a global history that agrees with the loaded records.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "core/HashName.h"
#include "mods/ModProject.h"
#include "resources/HiddenBlock.h"
#include "tools/sample-game/SampleGame.h"

using ::testing::StartsWith;

namespace {

namespace fs = std::filesystem;

const QSObjectData* Find(const QSObjectList& list, const std::string& unique) {
    for (const QSObjectData* r : list) {
        if (SameName(r->UniqueName(), unique)) return r;
    }
    return nullptr;
}

class SampleProject : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const ToolRun run =
            RunSampleGame({"--edition", GetParam(), "--out", dir.path().string(), "--mods"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    TempDir dir;
};

TEST_P(SampleProject, GlobalHistoryAgreesWithTheLoadedRecords) {
    const bool expansion = std::string(GetParam()) == "dat";
    int opened = 0, addedLines = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().extension() != ".qsx") continue;
        ++opened;
        SCOPED_TRACE(entry.path().filename().string());
        ModProject project;
        project.SetInstallationPaths(dir.path().string(), dir.path().string());
        project.OpenMod(dir.path().string(), entry.path().string());

        // What the package says about itself, read raw.
        OpenedInstallation raw(dir.path(), entry.path());
        const ModIdentity& id = project.Identity();
        EXPECT_EQ(id.modName, entry.path().stem().string());
        EXPECT_EQ(id.savedVersion, raw.Value("Data\\ModInfo.ini", "ModInfo", "Version"));
        EXPECT_EQ(id.author, raw.Value("Data\\ModInfo.ini", "ModInfo", "Author"));
        EXPECT_EQ(project.CurrentEdition(),
                  expansion ? GameEdition::Expansion : GameEdition::Base);
        std::string changes = raw.mgr.ReadTextResource("Data\\ModChanges.txt");
        ASSERT_FALSE(changes.empty());
        EXPECT_EQ(changes.back(), '\0');
        changes.pop_back();
        EXPECT_EQ(project.VersionHistory(), changes);
        EXPECT_EQ(project.Protected(), raw.mgr.GetAccessCode(entry.path().string().c_str()) !=
                                           kNoValue);

        // Every line ends in CR LF; every reported change names a field whose retail and
        // working values are the ones written.
        const std::string& text = project.GlobalHistory();
        ASSERT_THAT(text, StartsWith("Mod name: " + id.modName + "\r\n"));
        std::map<std::string, const HistoryField*> byLabel;
        for (const HistoryField& f : HistoryFields()) byLabel.emplace(f.label, &f);
        const std::regex changed(R"(Changed (\S+)\((.*)\) (.+): from (.*) to (.*)\.)");
        const std::regex added(R"(Added (\S+)\((.*)\)\.)");
        const ObjectCatalogue& c = project.Catalogue();
        int fieldLines = 0;
        const size_t body = text.find("\r\n\r\n", text.find("Built with Brix")) + 4;
        for (size_t at = body; at < text.size();) {
            const size_t end = text.find("\r\n", at);
            ASSERT_NE(end, std::string::npos) << "unterminated line at " << at;
            const std::string line = text.substr(at, end - at);
            at = end + 2;
            std::smatch m;
            if (std::regex_match(line, m, added)) {
                ++addedLines;
                bool retailHasIt = false;
                for (int v : {kViewUnits, kViewHeroes, kViewBuildings, kViewComponents})
                    retailHasIt = retailHasIt || Find(c.Objects(v, true), m[1]);
                EXPECT_FALSE(retailHasIt) << line;
                continue;
            }
            ASSERT_TRUE(std::regex_match(line, m, changed)) << line;
            const auto field = byLabel.find(m[3]);
            if (field == byLabel.end()) continue;  // a component or bonus line
            ++fieldLines;
            for (int v : {kViewUnits, kViewHeroes, kViewBuildings, kViewComponents}) {
                const QSObjectData* w = Find(c.Objects(v, false), m[1]);
                const QSObjectData* r = Find(c.Objects(v, true), m[1]);
                if (!w || !r) continue;
                const int row = field->second->row;
                EXPECT_EQ(row ? r->Value(row) : r->ProperName(), m[4].str()) << line;
                EXPECT_EQ(row ? w->Value(row) : w->ProperName(), m[5].str()) << line;
            }
        }
        EXPECT_GT(fieldLines, 0);
    }
    EXPECT_EQ(opened, 3);
    EXPECT_GT(addedLines, 0);  // one of the mods brings an object of its own
}

INSTANTIATE_TEST_SUITE_P(Editions, SampleProject, ::testing::Values("dsc", "dat"));

}  // namespace
