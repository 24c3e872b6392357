// Opening a mod project (both passes, identity, histories, access code) and the global
// history it builds, on small installations written for each test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "core/QSError.h"
#include "core/QSINIFile.h"
#include "mods/ModProject.h"
#include "resources/HiddenBlock.h"
#include "support/Archives.h"
#include "support/TempDir.h"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

TestFile UnitFile(const std::string& unique, const std::string& ini) {
    return {"Data\\ObjectData\\units\\" + unique + ".ini", ini, ""};
}

const std::string kComponentsIni = IniText({"[Forge]", "ProperName=Forge", "GoldCost=100",
                                        "[Wall]", "ProperName=Wall", "GoldCost=50"});

class ModProjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
        std::filesystem::create_directories(dir / "dsc");
        std::filesystem::create_directories(dir / "dat");
        project.SetInstallationPaths((dir / "dsc").string(), (dir / "dat").string());
    }
    void TearDown() override {
        project.Close();
        DisableLog();
    }

    void WriteGame(const std::vector<TestFile>& files, const char* archive = "Dravik.qsw",
                   const char* edition = "dsc") {
        WriteArchive(dir / edition / archive, files, "DV", "1.0.3");
    }
    std::string WritePackage(const std::vector<TestFile>& files, const char* code = "") {
        const std::string path = (dir / "dsc" / "Iron Tide.qsx").string();
        WriteArchive(path, files, "IT", "1.2.0.0", code);
        return path;
    }
    std::string Log() {
        DisableLog();
        std::string text = ReadFile(dir / "Brix_log.txt");
        EXPECT_TRUE(OpenLog(dir / "Brix_log2.txt"));
        return text;
    }

    TempDir dir;
    ModProject project;
};

// Default values of a unit with only its proper name and defence given.
std::vector<TestFile> SmallGame() {
    return {
        {"data\\objectdata\\components.ini", kComponentsIni, ""},
        UnitFile("Pike", IniText({"[ObjectData]", "ProperName=Pikeman", "Defense=10",
                              "[BuildHierarchy]", "Component1=Forge",
                              "[ElementBonus]", "Fire=1", "Frost=2"})),
        UnitFile("Bow", IniText({"[ObjectData]", "ProperName=Bowman", "Defense=4"})),
    };
}

TEST_F(ModProjectTest, NewModReadsTheGameTwiceAndTakesTheArchiveVersion) {
    WriteGame(SmallGame());
    std::vector<OpenProgress> seen;
    project.SetProgressCallback([&](const OpenProgress& p) { seen.push_back(p); });
    project.NewMod(GameEdition::Base);

    const ModIdentity& id = project.Identity();
    EXPECT_EQ(id.savedVersion, "0.0.0.0");
    EXPECT_EQ(id.gameVersion, "DSC 1.0.3");
    EXPECT_EQ(id.programVersion, "1.0.7.0");
    EXPECT_EQ(id.modName, "");
    EXPECT_TRUE(project.ProjectOpen());
    EXPECT_FALSE(project.Protected());
    EXPECT_EQ(project.GlobalHistory(), "");
    const ObjectCatalogue& c = project.Catalogue();
    EXPECT_EQ(c.Objects(kViewUnits, true).Count(), 2u);
    EXPECT_EQ(c.Objects(kViewUnits, false).Count(), 2u);
    EXPECT_EQ(c.Objects(kViewComponents, false).Count(), 2u);
    EXPECT_EQ(c.Objects(kViewGlobal, false).Count(), 2u);

    // One report per object of each pass, with the pass's total known from the start.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(seen[0].retailPass && seen[1].retailPass);
    EXPECT_FALSE(seen[2].retailPass || seen[3].retailPass);
    for (const OpenProgress& p : seen) EXPECT_EQ(p.objectsTotal, 2);
    EXPECT_DOUBLE_EQ(seen[1].Fraction(), 0.5);
    EXPECT_DOUBLE_EQ(seen[3].Fraction(), 1.0);
    EXPECT_LT(seen[0].Fraction(), seen[1].Fraction());

    const std::string log = Log();
    EXPECT_THAT(log, HasSubstr("New Mod " + (dir / "dsc").string() + ", None"));
}

TEST_F(ModProjectTest, ExpansionArchiveGivesTheExpansionVersionText) {
    WriteGame(SmallGame(), "Dravik_AT.qsw", "dat");
    project.NewMod(GameEdition::Expansion);
    EXPECT_EQ(project.Identity().gameVersion, "DAT 1.0.3");
    EXPECT_EQ(project.EditionInstallationPath(), (dir / "dat").string());
}

TEST_F(ModProjectTest, OpenModReadsIdentityHistoryAndEditionFromThePackage) {
    WriteGame(SmallGame());
    const std::string info = IniText({"[ModInfo]", "TwoCharacterIdentifier=IT", "Version=1.2.0.0",
                                  "Author=Maren Holt", "Author_www=www.example.net",
                                  "Author_email=maren@example.net", "DravikVersion=dat 1.0.3",
                                  "BrixVersion=1.0.7.0", "Comments=Heavier pikes."});
    std::string changes = "Version 1.2.0.0:\r\n\r\nVersion 1.1.0.0:\r\n\r\n";
    changes += '\0';
    changes += "left over";
    const std::string package = WritePackage({{"Data\\ModInfo.ini", info, ""},
                                              {"Data\\ModChanges.txt", changes, ""}},
                                             "#ab");
    project.OpenMod((dir / "dsc").string(), package);

    const ModIdentity& id = project.Identity();
    EXPECT_EQ(id.modName, "Iron Tide");
    EXPECT_EQ(id.twoCharacterId, "IT");
    EXPECT_EQ(id.savedVersion, "1.2.0.0");
    EXPECT_EQ(id.versionAtLoad, "1.2.0.0");
    EXPECT_EQ(id.author, "Maren Holt");
    EXPECT_EQ(id.authorWww, "www.example.net");
    EXPECT_EQ(id.authorEmail, "maren@example.net");
    EXPECT_EQ(id.gameVersion, "dat 1.0.3");
    EXPECT_EQ(id.programVersion, "1.0.7.0");
    EXPECT_EQ(id.comments, "Heavier pikes.");
    // "DAT" in any case makes an expansion project, whichever installation it was opened in.
    EXPECT_EQ(project.CurrentEdition(), GameEdition::Expansion);
    EXPECT_EQ(project.EditionInstallationPath(), (dir / "dat").string());
    EXPECT_EQ(project.OpenedPackagePath(), package);
    EXPECT_EQ(project.VersionHistory(), "Version 1.2.0.0:\r\n\r\nVersion 1.1.0.0:\r\n\r\n");
    EXPECT_TRUE(project.Protected());
    EXPECT_EQ(AccessCodeText(project.StoredAccessCode()), "#ab");
    EXPECT_THAT(project.GlobalHistory(), StartsWith("Mod name: Iron Tide\r\nMod version: 1.2.0.0\r\n\r\n"
                                                    "Author: Maren Holt\r\n"));
    EXPECT_THAT(Log(), HasSubstr(", " + package));
}

TEST_F(ModProjectTest, PackageWithoutItsOwnFilesOpensAsAnEmptyBaseProject) {
    WriteGame(SmallGame());
    const std::string package = WritePackage(
        {UnitFile("Bow", IniText({"[ObjectData]", "ProperName=Bowman", "Defense=4"}))});
    project.OpenMod((dir / "dsc").string(), package);
    const ModIdentity& id = project.Identity();
    EXPECT_EQ(id.savedVersion, "");
    EXPECT_EQ(id.twoCharacterId, "");
    EXPECT_EQ(id.gameVersion, "");
    EXPECT_EQ(project.CurrentEdition(), GameEdition::Base);
    EXPECT_EQ(project.VersionHistory(), "");
    EXPECT_FALSE(project.Protected());
    // The unit the package supplies unchanged is no difference.
    EXPECT_EQ(project.GlobalHistory(),
              "Mod name: Iron Tide\r\nMod version: \r\n\r\nAuthor: \r\nAuthor's URL: \r\n"
              "Author's email: \r\nAuthor's comments: \r\nBuilt with Dravik version: \r\n"
              "Built with Brix version: \r\n\r\n");
}

TEST_F(ModProjectTest, OpeningAgainEmptiesWhatTheLastProjectFilled) {
    WriteGame(SmallGame());
    std::string changes = "Version 1.0.0.1:\r\n\r\n";
    changes += '\0';
    const std::string package = WritePackage(
        {{"Data\\ModChanges.txt", changes, ""},
         UnitFile("Sling", IniText({"[ObjectData]", "ProperName=Slinger"}))});
    project.OpenMod((dir / "dsc").string(), package);
    ASSERT_EQ(project.Catalogue().Objects(kViewUnits, false).Count(), 3u);
    ASSERT_NE(project.VersionHistory(), "");
    ASSERT_THAT(project.GlobalHistory(), HasSubstr("Added Sling(Slinger).\r\n"));

    project.NewMod(GameEdition::Base);
    const ObjectCatalogue& c = project.Catalogue();
    EXPECT_EQ(c.Objects(kViewUnits, false).Count(), 2u);
    EXPECT_EQ(c.Objects(kViewUnits, true).Count(), 2u);
    EXPECT_EQ(c.ComponentNames().size(), 2u);
    EXPECT_EQ(project.VersionHistory(), "");
    EXPECT_EQ(project.GlobalHistory(), "");
    EXPECT_EQ(project.Identity().modName, "");
    EXPECT_EQ(project.Identity().savedVersion, "0.0.0.0");
    EXPECT_EQ(project.OpenedPackagePath(), "");
}

TEST_F(ModProjectTest, GlobalHistoryListsEveryDifferenceInOrder) {
    WriteGame(SmallGame());
    const std::string package = WritePackage({
        {"data\\objectdata\\components.ini",
         IniText({"[Forge]", "ProperName=Forge", "GoldCost=120", "[Wall]", "ProperName=Wall",
              "GoldCost=50"}),
         ""},
        // Defence and a bonus changed, a bonus added and one removed, the component
        // swapped, the proper name changed only in letter case.
        UnitFile("Pike", IniText({"[ObjectData]", "ProperName=PIKEMAN", "Defense=12",
                              "[Attack1]", "Damage=7",
                              "[BuildHierarchy]", "Component1=Wall",
                              "[ElementBonus]", "Fire=3", "Wind=4"})),
        UnitFile("Sling", IniText({"[ObjectData]", "ProperName=Slinger", "Defense=2"})),
    });
    project.OpenMod((dir / "dsc").string(), package);

    const std::string& text = project.GlobalHistory();
    const size_t body = text.find("Built with Brix version: \r\n\r\n");
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(text.substr(body + 29),
              "Changed Forge(Forge) Gold cost: from 100 to 120.\r\n"
              "Changed Pike(PIKEMAN) Defense: from 10 to 12.\r\n"
              "Changed Pike(PIKEMAN) Attack 1 Damage:: from  to 7.\r\n"
              "Changed Pike(PIKEMAN) Wall: from Off to On.\r\n"
              "Changed Pike(PIKEMAN) Forge: from On to Off.\r\n"
              "Changed Pike(PIKEMAN) Fire: from 1 to 3.\r\n"
              "Changed Pike(PIKEMAN) Wind: from Off to 4.\r\n"
              "Changed Pike(PIKEMAN) Frost: from 2 to Off.\r\n"
              "Added Sling(Slinger).\r\n");
}

TEST(GlobalHistory, ComparesEveryObjectFieldButTheReloadTimes) {
    std::set<int> compared;
    for (const HistoryField& f : HistoryFields()) {
        EXPECT_TRUE(compared.insert(f.row).second) << f.label;
        if (f.row == 0) continue;
        const FieldDef& def = *FieldByRow(f.row);
        EXPECT_STREQ(def.key, f.key) << f.label;
    }
    std::set<int> expected = {0};
    for (const FieldDef& def : kFieldTable) {
        if ((def.kinds & (kKindUnits | kKindBuildings | kKindComponents)) &&
            std::string_view(def.key) != "ReloadTime")
            expected.insert(def.row);
    }
    EXPECT_EQ(compared, expected);
}

TEST(GlobalHistory, PairsRecordsByUniqueNameIgnoringCaseAndTheFirstRetailRecordWins) {
    std::vector<std::unique_ptr<QSObjectData>> records;
    auto add = [&](QSObjectList& list, const std::string& unique, const std::string& defense) {
        records.push_back(std::make_unique<QSObjectData>());
        records.back()->SetUniqueName(unique);
        records.back()->SetValue(2, defense);  // ObjectData/Defense
        list.Append(records.back().get());
    };
    QSObjectList retail(16, 16), working(16, 16);
    for (int i = 0; i < 300; ++i) add(retail, "Unit_" + std::to_string(i), std::to_string(i));
    add(retail, "UNIT_7", "later twin");
    add(working, "unit_5", "5");
    add(working, "Unit_6", "60");
    add(working, "Unit_7", "7");
    add(working, "Unit_300", "1");
    add(working, "Unit_299", "299");

    std::string out;
    CompareObjectLists(working, retail, out);
    EXPECT_EQ(out,
              "Changed Unit_6() Defense: from 6 to 60.\r\n"
              "Added Unit_300().\r\n");
}

TEST(GlobalHistory, EqualRecordsWriteNothingUnlessTwoBonusKeysAreOneNameInAnotherCase) {
    // The working records are copies of their retail records; bonus keys a lookup cannot tell
    // apart still compare the first one's value with the second's.
    QSObjectData retailUnit;
    QSINIFile unitFile;
    unitFile.LoadText("[BuildHierarchy]\nComponent1=Forge\nComponent2=Kiln\n");
    retailUnit.LoadFromIni(unitFile);
    retailUnit.SetUniqueName("Unit");
    retailUnit.SetValue(2, "5");
    retailUnit.MutableBonusList(0) = {{"Fire", "1"}, {"Water", "2"}};
    QSObjectData twins = retailUnit;
    twins.SetUniqueName("Twins");
    twins.MutableBonusList(3) = {{"Fire", "1"}, {"FIRE", "2"}};
    QSObjectData workingUnit = retailUnit, workingTwins = twins;
    QSObjectList retail(4, 4), working(4, 4);
    for (QSObjectData* r : {&retailUnit, &twins}) retail.Append(r);
    for (QSObjectData* w : {&workingUnit, &workingTwins}) working.Append(w);
    std::string out;
    CompareObjectLists(working, retail, out);
    EXPECT_EQ(out, "Changed Twins() FIRE: from 1 to 2.\r\n");
}

// Opening asks for the code of a protected package only, and the answer decides: the right
// code is kept for the next save, a wrong one opens a "#" code's mod read-only with its code
// emptied and ends otherwise, as does Cancel. Every opening decides afresh, so a mod opened
// after a read-only one (or a new mod) can be saved.
TEST_F(ModProjectTest, OpeningChecksTheAccessCode) {
    WriteGame(SmallGame());
    const std::vector<TestFile> files = {
        UnitFile("Bow", IniText({"[ObjectData]", "ProperName=Bowman", "Defense=4"}))};
    std::vector<bool> asked;
    std::optional<std::string> answer;
    project.SetAccessCodePrompt([&](bool readOnlyOffered) {
        asked.push_back(readOnlyOffered);
        return answer;
    });
    const struct {
        const char* code;
        std::optional<std::string> entered;
        OpenOutcome outcome;
        const char* kept;
    } cases[] = {
        {"", "ignored", OpenOutcome::Full, ""},
        {"#ab", "#ab", OpenOutcome::Full, "#ab"},
        {"#ab", "#AB", OpenOutcome::ReadOnly, ""},
        {"#ab", "", OpenOutcome::ReadOnly, ""},
        {"#ab", std::nullopt, OpenOutcome::End, ""},
        {"Ab1", "Ab1", OpenOutcome::Full, "Ab1"},
        {"Ab1", "ab1", OpenOutcome::End, ""},
        {"Ab1", std::nullopt, OpenOutcome::End, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " / " + c.entered.value_or("(cancel)"));
        const std::string package = WritePackage(files, c.code);
        asked.clear();
        answer = c.entered;
        project.Identity().accessCode = "old";
        EXPECT_EQ(project.OpenMod((dir / "dsc").string(), package), c.outcome);
        EXPECT_EQ(asked, *c.code ? std::vector<bool>{c.code[0] == '#'} : std::vector<bool>{});
        EXPECT_EQ(project.ReadOnly(), c.outcome == OpenOutcome::ReadOnly);
        EXPECT_EQ(project.Identity().accessCode, c.kept);
    }

    const std::string locked = WritePackage(files, "#ab");
    answer = "";
    ASSERT_EQ(project.OpenMod((dir / "dsc").string(), locked), OpenOutcome::ReadOnly);
    project.NewMod(GameEdition::Base);
    EXPECT_FALSE(project.ReadOnly());
}

TEST(AccessCode, TextAndCheck) {
    const uint32_t hashed = PackAccessCode("#Ab1");
    EXPECT_EQ(AccessCodeText(hashed), "#Ab1");
    EXPECT_EQ(AccessCodeText(PackAccessCode("xy")), "xy");
    EXPECT_EQ(AccessCodeText(0), "");
    const struct {
        uint32_t stored;
        const char* entered;
        AccessCheck result;
    } cases[] = {
        {hashed, "#Ab1", AccessCheck::Granted},
        {hashed, "#ab1", AccessCheck::ReadOnly},  // letter case matters
        {hashed, "", AccessCheck::ReadOnly},
        {PackAccessCode("Ab1"), "ab1", AccessCheck::Refused},
        {PackAccessCode("Ab1"), "Ab1", AccessCheck::Granted},
        {0, "", AccessCheck::Granted},  // a package without a code block
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckAccessCode(c.stored, c.entered), c.result) << c.entered;
}

}  // namespace
