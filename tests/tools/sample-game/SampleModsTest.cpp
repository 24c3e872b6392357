// The mod packages written beside an installation with --mods: they open over the game as
// the editor's own packages do, and hold what the editor writes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <set>

#include "SampleGame.h"
#include "resources/HiddenBlock.h"
#include "resources/QSStreamFile.h"
#include "support/Archives.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return Lower(text.substr(0, prefix.size())) == Lower(prefix);
}

std::vector<std::string> Lines(const std::string& text, const std::string& eol) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(eol, start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + eol.size();
    }
    return lines;
}

bool HasBareLineFeed(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
    }
    return false;
}

const char* const kPackages[] = {"IronTide.qsx", "Oathsworn.qsx", "VeylSecrets.qsx"};

class SampleMods : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        run = RunSampleGame({"--edition", GetParam(), "--out", dir.path().string(), "--mods"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    bool Dat() const { return std::string(GetParam()) == "dat"; }
    fs::path Package(const char* name) const { return dir / name; }

    TempDir dir;
    ToolRun run;
};

TEST_P(SampleMods, PackagesOpenOverTheGameAndWinOverIt) {
    for (const char* name : kPackages) {
        SCOPED_TRACE(name);
        EXPECT_EQ(QSStreamFile::Check(Package(name).string()), "");
        EXPECT_EQ(XorWords(ReadFile(Package(name))), 0u);
        OpenedInstallation game(dir.path(), Package(name));
        for (const auto& [file, content] : ArchiveContents(Package(name))) {
            EXPECT_EQ(game.mgr.IsModResource(file.c_str()), 1) << file;
            EXPECT_EQ(game.mgr.ReadTextResource(file.c_str()), content) << file;
        }
    }
}

TEST_P(SampleMods, ModInfoHoldsTheNineLinesTheEditorReadsBack) {
    for (const char* name : kPackages) {
        SCOPED_TRACE(name);
        const std::string text = ArchiveContents(Package(name)).at("Data\\ModInfo.ini");
        EXPECT_FALSE(HasBareLineFeed(text));
        ASSERT_TRUE(text.ends_with("\r\n"));
        std::vector<std::string> lines = Lines(text, "\r\n");
        ASSERT_GE(lines.size(), 9u);
        // Comments may run over several lines; the eight lines before them are fixed.
        std::vector<std::string> keys;
        for (size_t i = 1; i < 9; ++i) keys.push_back(lines[i].substr(0, lines[i].find('=')));
        EXPECT_EQ(lines[0], "[ModInfo]");
        EXPECT_THAT(keys, ElementsAre("TwoCharacterIdentifier", "Version", "Author", "Author_www", "Author_email",
                                      "DravikVersion", "BrixVersion", "Comments"));

        OpenedInstallation game(dir.path(), Package(name));
        QSStreamFile package(Package(name).string());
        EXPECT_EQ(game.Value("Data\\ModInfo.ini", "ModInfo", "TwoCharacterIdentifier"), package.ModId());
        EXPECT_EQ(PackVersion(game.Value("Data\\ModInfo.ini", "ModInfo", "Version").c_str()), package.Header().ModVersion);
        const fs::path archive = dir / (Dat() ? "Dravik_AT.qsw" : "Dravik.qsw");
        EXPECT_EQ(game.Value("Data\\ModInfo.ini", "ModInfo", "DravikVersion"),
                  std::string(Dat() ? "DAT " : "DSC ") + game.mgr.GetArchiveVersion(archive.string().c_str()));
        EXPECT_EQ(game.Value("Data\\ModInfo.ini", "ModInfo", "BrixVersion"), "1.0.7.0");
    }
}

TEST_P(SampleMods, ModChangesIsAVersionHistoryEndingInOneZeroByte) {
    for (const char* name : kPackages) {
        SCOPED_TRACE(name);
        const std::map<std::string, std::string> files = ArchiveContents(Package(name));
        const std::string text = files.at("Data\\ModChanges.txt");
        ASSERT_TRUE(text.ends_with(std::string("\r\n\r\n") + '\0'));
        EXPECT_EQ(text.find('\0'), text.size() - 1);
        EXPECT_FALSE(HasBareLineFeed(text));
        QSINIFile info;
        info.LoadText(files.at("Data\\ModInfo.ini"));
        EXPECT_THAT(text, StartsWith(std::string("Version ") + info.FindValue("ModInfo", "Version") + ":\r\n"));
        int changes = 0;
        for (const std::string& line : Lines(text.substr(0, text.size() - 1), "\r\n")) {
            if (line.empty()) continue;
            if (line.starts_with("Changed ")) {
                ++changes;
                EXPECT_TRUE(line.ends_with(".")) << line;
                EXPECT_THAT(line, HasSubstr(" to ")) << line;
            } else {
                EXPECT_THAT(line, StartsWith("Version ")) << line;
            }
        }
        EXPECT_GE(changes, 4);
    }
}

TEST_P(SampleMods, AccessCodesAreTheOnesPrinted) {
    std::map<std::string, std::string> printed;  // package -> code ("" for none)
    const std::regex line(R"(^\s+(\S+\.qsx)\s.*; (no access code|access code (\S+))$)");
    std::istringstream out(run.out);
    for (std::string text; std::getline(out, text);) {
        std::smatch m;
        if (std::regex_match(text, m, line)) printed[m[1]] = m[3];
    }
    ASSERT_EQ(printed.size(), 3u) << run.out;
    std::set<char> firsts;
    for (const auto& [name, code] : printed) {
        SCOPED_TRACE(name);
        OpenedInstallation game(dir.path(), dir / name);
        EXPECT_EQ(game.mgr.GetAccessCode((dir / name).string().c_str()), PackAccessCode(code.c_str()));
        EXPECT_LE(code.size(), 4u);
        if (!code.empty()) firsts.insert(code[0]);
    }
    EXPECT_EQ(printed["IronTide.qsx"], "");
    ASSERT_EQ(firsts.size(), 2u);
    EXPECT_EQ(firsts.count('#'), 1u) << "one code lets the mod open read-only";
}

TEST_P(SampleMods, IronTideChangesUnitsAndAddsOneThatBringsItsSample) {
    const std::map<std::string, std::string> files = ArchiveContents(Package("IronTide.qsx"));
    OpenedInstallation base(dir.path());
    OpenedInstallation modded(dir.path(), Package("IronTide.qsx"));
    EXPECT_EQ(modded.Objects("units").size(), base.Objects("units").size() + 1);

    int changed = 0, added = 0;
    for (const auto& [name, text] : files) {
        if (!StartsWithNoCase(name, "Data\\ObjectData\\units\\")) continue;
        if (base.mgr.ResourceExists(name.c_str())) {
            changed += base.mgr.ReadTextResource(name.c_str()) != text;
            continue;
        }
        ++added;
        // A unit of the mod's own: its name is typed text, and it brings a sample.
        const std::unique_ptr<QSINIFile> unit = modded.Raw(name);
        EXPECT_EQ(modded.Value(name, "ObjectData", "ProperName"), unit->FindValue("ObjectData", "ProperName"));
        int modSamples = 0;
        for (int i = 1; i <= 5; ++i) {
            const char* slot = unit->FindValue("ObjectData", ("SelectionSound" + std::to_string(i)).c_str());
            if (!slot || !StartsWithNoCase(slot, "Mod\\")) continue;
            ++modSamples;
            const std::string sample = std::string("Audio\\") + slot;
            ASSERT_TRUE(files.count(sample)) << sample;
            EXPECT_EQ(modded.mgr.IsModResource(sample.c_str()), 1);
            EXPECT_EQ(files.at(sample).substr(22, 2), std::string("\1\0", 2));  // mono
        }
        EXPECT_EQ(modSamples, 1);
    }
    EXPECT_EQ(added, 1);
    EXPECT_GE(changed, 3);
}

// Object files in the editor's form: LF lines, bonuses first, "None" choices and
// the mod colour's shades left out, colours as numbers, slots and components numbered
// from 1 without gaps.
TEST_P(SampleMods, ObjectFilesAreInTheFormTheEditorWrites) {
    int objects = 0;
    for (const char* package : kPackages) {
        for (const auto& [name, text] : ArchiveContents(Package(package))) {
            if (StartsWithNoCase(name, "Data\\Mod") || StartsWithNoCase(name, "Audio\\")) continue;
            SCOPED_TRACE(std::string(package) + " " + name);
            ++objects;
            EXPECT_EQ(text.find('\r'), std::string::npos);
            QSINIFile ini;
            ASSERT_EQ(ini.LoadText(text), 1);
            bool otherSection = false, bonus = false;
            std::map<std::string, std::set<int>> numbered;  // section/stem -> numbers
            std::string section;
            for (const std::string& line : Lines(text, "\n")) {
                if (line.starts_with("[")) {
                    section = line.substr(1, line.size() - 2);
                    bonus = StartsWithNoCase(section, "ElementBonus") || StartsWithNoCase(section, "SupportBonus");
                    otherSection = otherSection || !bonus;
                    continue;
                }
                // A bonus section of the game's file keeps its place, but empty: its
                // bonuses are written first.
                EXPECT_FALSE(bonus && otherSection) << section << ": " << line;
                const std::string key = line.substr(0, line.find('=')), value = line.substr(line.find('=') + 1);
                for (const char* k : {"Technology", "Captain", "MilitiaType", "MilitiaType2", "NextLevel", "Spell0", "Spell1"}) {
                    EXPECT_FALSE(Lower(key) == Lower(k) && Lower(value) == "none") << line;
                }
                EXPECT_FALSE(StartsWithNoCase(key, "Color_9_shade")) << line;
                if (key == "OverwriteColor") {
                    EXPECT_TRUE(std::regex_match(value, std::regex("-?[0-9]+"))) << line;
                }
                std::smatch m;
                if (std::regex_match(key, m, std::regex("(DeathSound|SelectionSound|CommandSound|Sound|Component)([0-9]+)"))) {
                    numbered[section + "/" + m[1].str()].insert(std::stoi(m[2]));
                }
            }
            for (const auto& [stem, numbers] : numbered) {
                EXPECT_EQ(*numbers.rbegin(), static_cast<int>(numbers.size())) << stem << " numbered with a gap";
            }
        }
    }
    EXPECT_GE(objects, 8);
}

// The texts of the packages as reviewed once: the generator writes them through the
// editor's own package builder, so a change to the builder's output shows here first.
TEST_P(SampleMods, PackageTextsMatchTheReviewedCopies) {
    const fs::path golden = fs::path(BRIX_SAMPLE_GOLDEN) / GetParam();
    int compared = 0;
    for (const fs::directory_entry& mod : fs::directory_iterator(golden)) {
        const std::map<std::string, std::string> stored = ArchiveContents(Package((mod.path().filename().string() + ".qsx").c_str()));
        for (const fs::directory_entry& file : fs::directory_iterator(mod.path())) {
            SCOPED_TRACE(file.path().string());
            const std::string title = file.path().filename().string();
            auto it = std::find_if(stored.begin(), stored.end(), [&](const auto& entry) {
                return entry.first.size() > title.size() && entry.first.ends_with("\\" + title);
            });
            ASSERT_NE(it, stored.end());
            EXPECT_EQ(it->second, ReadFile(file.path()));
            ++compared;
        }
    }
    EXPECT_GT(compared, 0) << "no reviewed copies under " << golden;
}

INSTANTIATE_TEST_SUITE_P(Editions, SampleMods, ::testing::Values("dsc", "dat"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
