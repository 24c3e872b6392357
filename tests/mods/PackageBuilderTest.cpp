// Saving a mod project as a package and opening it again, on a small installation written
// for each test: what goes into the package, that the edits read back, that samples travel
// from save to save, and that a failed write loses nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <map>

#include "core/QSError.h"
#include "mods/ModProject.h"
#include "objects/FieldTable.h"
#include "support/Archives.h"
#include "support/TempDir.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;
using ::testing::StartsWith;

namespace {

namespace fs = std::filesystem;

class PackageBuilderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
        fs::create_directories(dir / "dsc");
        WriteArchive(dir / "dsc" / "Dravik.qsw",
                     {{"data\\objectdata\\components.ini",
                       IniText({"[Forge]", "ProperName=Forge", "GoldCost=100", "[Wall]", "ProperName=Wall", "GoldCost=50"}), ""},
                      {"Data\\ObjectData\\units\\Pike.ini",
                       IniText({"[ObjectData]", "ProperName=Pikeman", "Defense=10", "DeathSound1=roar.wav",
                            "[Attack1]", "Damage=4", "MoraleType=Normal", "[BuildHierarchy]", "Component1=Forge"}),
                       ""},
                      {"Data\\ObjectData\\units\\Bow.ini", IniText({"[ObjectData]", "ProperName=Bowman", "Defense=4"}), ""},
                      {"Audio\\roar.wav", "RIFF-roar", ""}},
                     "DV", "1.0.3");
        project.SetInstallationPaths((dir / "dsc").string(), "");
        project.NewMod(GameEdition::Base);
    }
    void TearDown() override {
        project.Close();
        DisableLog();
    }

    int Index(int view, const char* unique) {
        project.Catalogue().SelectView(view);
        return project.Catalogue().FindObjectIndex(unique);
    }
    void Edit(int view, const char* unique, const char* control, const char* text) {
        const int index = Index(view, unique);
        ASSERT_GE(index, 0) << unique;
        ASSERT_FALSE(project.EditField(index, control, text).controls.empty()) << unique << " " << control;
    }
    const QSObjectData& Record(int view, const char* unique) {
        return *project.Catalogue().ViewList()[static_cast<uint32_t>(Index(view, unique))];
    }
    std::string Value(int view, const char* unique, const char* control) {
        return std::string(Record(view, unique).Value(*FieldByControl(control)));
    }
    ModIdentity Identity(const char* version) {
        ModIdentity id = project.Identity();
        id.twoCharacterId = "TM";
        id.savedVersion = version;
        return id;
    }
    fs::path Save(const char* version) {
        const fs::path path = project.PackagePathFor("Test Mod");
        std::string failure;
        EXPECT_TRUE(project.SaveMod(Identity(version), path, &failure, {123u, false})) << failure;
        return path;
    }
    void Reopen(const fs::path& package) { project.OpenMod((dir / "dsc").string(), package.string()); }

    TempDir dir;
    ModProject project;
};

TEST_F(PackageBuilderTest, AModWithoutChangesHoldsItsIdentityAndChangeLogOnly) {
    const fs::path path = Save("0.0.0.1");
    EXPECT_EQ(path, dir / "dsc" / "Test Mod.qsx");
    const auto contents = ArchiveContents(path);
    std::string changes = "Version 0.0.0.1:\r\n\r\n";
    changes += '\0';
    EXPECT_THAT(contents, ElementsAre(Pair("Data\\ModChanges.txt", changes),
                                      Pair("Data\\ModInfo.ini", StartsWith("[ModInfo]\r\nTwoCharacterIdentifier=TM\r\n"
                                                                           "Version=0.0.0.1\r\n"))));
    EXPECT_THAT(contents.at("Data\\ModInfo.ini"), HasSubstr("\r\nDravikVersion=DSC 1.0.3\r\nBrixVersion=1.0.7.0\r\n"));
    EXPECT_EQ(project.Identity().modName, "Test Mod");
    EXPECT_EQ(project.Identity().savedVersion, "0.0.0.1");

    // The same session saved twice with the same seed gives the same bytes.
    const std::string first = ReadFile(path);
    Save("0.0.0.1");
    EXPECT_EQ(ReadFile(path), first);
}

TEST_F(PackageBuilderTest, EditsReadBackWhenThePackageIsOpenedAgain) {
    Edit(kViewUnits, "Pike", "defense", "12");
    Edit(kViewUnits, "Pike", "attack_1_morale_damage_type", "Holy");
    const int pike = Index(kViewUnits, "Pike");
    project.ToggleComponent(pike, 1, true);  // Wall
    project.ToggleComponent(pike, 0, false);  // Forge
    Edit(kViewComponents, "Forge", "component_gold_cost", "120");
    Edit(kViewComponents, "Wall", "component_gold_cost", "60");
    const fs::path path = Save("0.0.0.1");

    const auto contents = ArchiveContents(path);
    std::vector<std::string> names;
    for (const auto& [name, bytes] : contents) names.push_back(name);
    // Both components share one entry; the untouched unit has none.
    EXPECT_THAT(names, ElementsAre("Data\\ModChanges.txt", "Data\\ModInfo.ini", "Data\\ObjectData\\units\\Pike.ini",
                                   "data\\objectdata\\components.ini"));
    EXPECT_THAT(contents.at("Data\\ObjectData\\units\\Pike.ini"), HasSubstr("[Attack1]\nDamage=4\nMoraleType=Holy\n"));
    EXPECT_THAT(contents.at("Data\\ObjectData\\units\\Pike.ini"), HasSubstr("[BuildHierarchy]\nComponent1=Wall\n"));

    Reopen(path);
    EXPECT_EQ(Value(kViewUnits, "Pike", "defense"), "12");
    EXPECT_EQ(Value(kViewUnits, "Pike", "attack_1_morale_damage_type"), "Holy");
    EXPECT_THAT(Record(kViewUnits, "Pike").Components(), ElementsAre("Wall"));
    EXPECT_EQ(Value(kViewUnits, "Bow", "defense"), "4");
    EXPECT_EQ(Value(kViewComponents, "Forge", "component_gold_cost"), "120");
    EXPECT_EQ(Value(kViewComponents, "Wall", "component_gold_cost"), "60");
    EXPECT_EQ(project.Changes().Count(), 0u);
    EXPECT_THAT(project.VersionHistory(), StartsWith("Version 0.0.0.1:\r\nChanged "));
    EXPECT_THAT(project.VersionHistory(), HasSubstr("Changed Pike(Pikeman) Defense: from 10 to 12.\r\n"));
}

TEST_F(PackageBuilderTest, ALocalSampleIsPackedAndTravelsToTheNextSave) {
    const fs::path wav = dir / "bell.wav";
    WriteFile(wav, "RIFF-bell");
    QSObjectData* pike = project.Catalogue().ViewList()[static_cast<uint32_t>(Index(kViewUnits, "Pike"))];
    project.Changes().SetField(pike, "Pike", {}, "ObjectData", "DeathSound2", wav.string(), "", nullptr, "Death Sound 2:", "Pikeman");
    project.Changes().SetField(pike, "Pike", {}, "ObjectData", "SelectionSound1", (dir / "gone.wav").string(), "", nullptr,
                               "Select Snd 1:", "Pikeman");
    fs::path path = Save("0.0.0.1");

    auto contents = ArchiveContents(path);
    EXPECT_EQ(contents.at("Audio\\Mod\\bell.wav"), "RIFF-bell");
    EXPECT_EQ(contents.count("Audio\\Mod\\gone.wav"), 0u);
    EXPECT_EQ(contents.count("Audio\\roar.wav"), 0u);  // the game's own sample stays in the game
    // Sorted by value: the mod's sample before the game's; the missing one still named.
    EXPECT_THAT(contents.at("Data\\ObjectData\\units\\Pike.ini"),
                HasSubstr("[ObjectData]\nDeathSound1=Mod\\bell.wav\nDeathSound2=roar.wav\nSelectionSound1=Mod\\gone.wav\n"));

    Reopen(path);
    fs::remove(wav);
    path = Save("0.0.0.2");
    contents = ArchiveContents(path);
    EXPECT_EQ(contents.at("Audio\\Mod\\bell.wav"), "RIFF-bell");
    EXPECT_EQ(contents.count("Data\\ObjectData\\units\\Pike.ini"), 1u);
    EXPECT_THAT(contents.at("Data\\ModChanges.txt"), StartsWith("Version 0.0.0.2:\r\n\r\nVersion 0.0.0.1:\r\n"));
    project.Close();
    DisableLog();
    EXPECT_THAT(ReadFile(dir / "Brix_log.txt"), HasSubstr("File " + (dir / "gone.wav").string() + " not found."));
}

TEST_F(PackageBuilderTest, AFailedWriteKeepsTheOldPackageAndTheSession) {
    const fs::path path = Save("0.0.0.1");
    const std::string old = ReadFile(path);
    Edit(kViewUnits, "Pike", "defense", "15");
    const ModIdentity before = project.Identity();

    // A full disk, as far as this process can tell (the limit bites for root as well).
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit limit{}, saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    limit = saved;
    limit.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string failure;
    const bool saved_ok = project.SaveMod(Identity("0.0.0.2"), path, &failure, {1u, false});
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(saved_ok);
    EXPECT_THAT(failure, HasSubstr(path.string()));
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "dsc"), fs::directory_iterator()), 2);  // no temporary left
    EXPECT_EQ(project.Changes().Count(), 1u);
    EXPECT_EQ(project.Identity().savedVersion, before.savedVersion);
    EXPECT_EQ(project.Identity().modName, before.modName);

    // The cause gone, the same session saves.
    Save("0.0.0.2");
    Reopen(path);
    EXPECT_EQ(Value(kViewUnits, "Pike", "defense"), "15");
}

}  // namespace
