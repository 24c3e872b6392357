#include "resources/QSResourceMgr.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "core/QSLocalization.h"
#include "support/Archives.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

namespace {

// An installation of two game archives and a mod package beside it.
class ResourceMgrTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(install());
        ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
        WriteArchive(install() / "Dravik.qsw",
                     {{"Data\\ObjectData\\units\\Skarn_Warrior.ini", "[ObjectData]\nMaxHitPoints=100\n", ""},
                      {"Data\\ObjectData\\units\\Elith_Archer.ini", "[ObjectData]\nMaxHitPoints=60\n", ""},
                      {"Data\\ObjectData\\heroes\\Vaelor_Knight.ini", "[ObjectData]\nLevel=1\n", ""},
                      {"Data\\Settings.ini", "[Game]\nSpeed=1\n", ""},
                      {"Data\\c001.ini", "[A]\nk=base\n", ""},
                      {"readme.txt", "plain\r\ntext", ""}},
                     "DV", "1.0.3");
        WriteArchive(install() / "dravik_AT.QSW",
                     {{"Data\\Settings.ini", "[Game]\nSpeed=2\n", ""},
                      {"Data\\c010.ini", "[A]\nk=expansion\n", ""}},
                     "AT", "2.1");
        WriteFile(install() / "notes.txt", "not an archive");
        WriteArchive(mod(), {{"Data\\ObjectData\\units\\Skarn_Warrior.ini", "[ObjectData]\nMaxHitPoints=150\n", ""},
                             {"Data\\ModInfo.ini", "[ModInfo]\r\nName=Iron Tide\r\n", ""}},
                     "IT", "1.0.0.4", "#AB");
    }
    void TearDown() override {
        mgr.FlushINIQueue();
        mgr.UnInit();
        DisableLog();
    }

    std::filesystem::path install() const { return dir / "Dravik"; }
    std::filesystem::path mod() const { return dir / "IronTide.qsx"; }
    std::string log() const { return ReadFile(dir / "Brix_log.txt"); }
    void Mount(bool withMod = true) {
        mgr.Init(install().string().c_str(), withMod ? mod().string().c_str() : nullptr);
    }
    std::string Value(const char* file, const char* section, const char* key) {
        std::string out;
        mgr.GetINIString(section, key, "<none>", out, file);
        return out;
    }
    std::vector<std::string> Find(const char* pattern, bool anyDirectory) {
        std::vector<std::string> names;
        QSFindData data;
        QSResourceSearch* search = mgr.FindFirstResource(pattern, &data, anyDirectory);
        for (bool more = search != nullptr; more; more = mgr.FindNextResource(search, &data)) {
            names.push_back(std::string(data.fileName) + (data.attributes == kFindDirectory ? "/" : ""));
        }
        mgr.FindCloseResource(search);
        return names;
    }

    TempDir dir;
    QSResourceMgr mgr;
};

}  // namespace

TEST_F(ResourceMgrTest, PackageHidesTheGameFileOfTheSameName) {
    Mount();
    const char* warrior = "data\\objectdata\\UNITS\\skarn_warrior.ini";
    EXPECT_EQ(Value(warrior, "ObjectData", "MaxHitPoints"), "150");
    EXPECT_EQ(mgr.IsModResource(warrior), 1);
    EXPECT_EQ(mgr.IsModResource("Data\\ModInfo.ini"), 1);
    EXPECT_EQ(mgr.IsModResource("Data\\ObjectData\\units\\Elith_Archer.ini"), 0);
    EXPECT_EQ(mgr.IsModResource("Data\\Nothing.ini"), 0);

    ASSERT_EQ(mgr.HiddenTable().Count(), 2u);  // the game's warrior, and the base Settings.ini
    std::vector<std::string> hidden;
    for (const QSResource* r : mgr.HiddenTable()) hidden.push_back(std::filesystem::path(r->archivePath).filename().string() + ":" + r->name);
    EXPECT_THAT(hidden, UnorderedElementsAre("Dravik.qsw:Data\\ObjectData\\units\\Skarn_Warrior.ini",
                                             "Dravik.qsw:Data\\Settings.ini"));
    EXPECT_THAT(log(), HasSubstr("Using mod resource file " + mod().string() + " version 1.0.0.4.\n"));
    ASSERT_EQ(mgr.ModInfos().size(), 1u);
    EXPECT_EQ(mgr.ModInfos()[0].pathWithoutExtension, (dir / "IronTide").string());
    EXPECT_STREQ(mgr.ModInfos()[0].modId, "IT");
}

TEST_F(ResourceMgrTest, ArchivesMatchTheExtensionInAnyCaseAndTheLaterPathWins) {
    Mount(false);
    ASSERT_EQ(mgr.Archives().Count(), 2u);
    EXPECT_EQ(std::filesystem::path(mgr.Archives()[0]->Path()).filename(), "Dravik.qsw");
    EXPECT_EQ(std::filesystem::path(mgr.Archives()[1]->Path()).filename(), "dravik_AT.QSW");
    // "dravik_at.qsw" sorts after "dravik.qsw": the expansion provides Settings.ini.
    EXPECT_EQ(Value("Data\\Settings.ini", "Game", "Speed"), "2");
    EXPECT_EQ(mgr.IsModResource("Data\\Settings.ini"), 1);
    EXPECT_THAT(log(), HasSubstr("(INFO) : 2 stream files found.\n"));
    EXPECT_STREQ(mgr.GetArchiveVersion((install() / "dravik_AT.QSW").string().c_str()), "2.1.0");
    EXPECT_EQ(mgr.GetArchiveVersion("nowhere.qsw"), nullptr);
}

TEST_F(ResourceMgrTest, HashCollisionsAreSteppedAndFoundByName) {
    // c001, c010 and c100 share one HashName; only the first two exist.
    Mount(false);
    EXPECT_EQ(Value("Data\\c001.ini", "A", "k"), "base");
    EXPECT_EQ(Value("Data\\c010.ini", "A", "k"), "expansion");
    EXPECT_EQ(mgr.LongestCollisionChain(), 1u);
    EXPECT_EQ(mgr.FindEntry("Data\\c001.ini")->hash, HashName("Data\\c001.ini") + 1);  // processed later
    EXPECT_THAT(log(), HasSubstr("Note: Hash collision on\nData\\c001.ini\nand Data\\c010.ini\n"));
    // A missing name that shares the hash is simply not there.
    EXPECT_FALSE(mgr.ResourceExists("Data\\c100.ini"));
    EXPECT_EQ(mgr.IsModResource("Data\\c100.ini"), 0);
}

TEST_F(ResourceMgrTest, IgnoreListsHideNamesInEveryArchive) {
    RawArchive patch;
    patch.files = {{"Data\\patch.ini", "[A]\nk=1\n", ""}};
    patch.ignore = {"Data\\ObjectData\\units\\Elith_Archer.ini", "Data\\c010.ini"};
    WriteFile(install() / "Patch.qsw", patch.Build());
    Mount(false);
    EXPECT_FALSE(mgr.ResourceExists("Data\\ObjectData\\units\\Elith_Archer.ini"));
    EXPECT_FALSE(mgr.ResourceExists("Data\\c010.ini"));
    EXPECT_TRUE(mgr.ResourceExists("Data\\patch.ini"));
    std::string text = log();
    for (const char* name : {"Data\\ObjectData\\units\\Elith_Archer.ini", "Data\\c010.ini"}) {
        std::string line = std::string("File ") + name + " ignored\n";
        EXPECT_EQ(text.find(line), text.rfind(line)) << name;
        EXPECT_NE(text.find(line), std::string::npos) << name;
    }
}

TEST(ResourceNameMatches, FollowsTheWildcardRules) {
    struct Case {
        const char *pattern, *name;
        bool match;
    } cases[] = {
        {"data\\spells*.ini", "Data\\Spells_Fire.ini", true},
        {"data\\spells*.ini", "data\\spells2.txt", false},     // ini does not follow the '.'
        {"data\\spells*.ini", "data\\spells_fire", true},      // ends while skipping
        {"data\\spells*.ini", "data\\spel", false},            // ends before the star
        {"data\\spells*.ini", "data\\spells.INI", true},
        {"*", "anything\\at\\all", true},
        {"Audio\\Game\\*.wav", "audio\\game\\Horn.WAV", true},
        {"*.wav", "horn.WAV", true},
        {"*n.ini", "aN.ini", false},  // the stop character's case matters: 'N' is skipped
        {"*n.ini", "an.ini", true},
        {"abc", "ABC", true},
        {"abc", "abcd", false},
        {"abcd", "abc", false},
        {nullptr, "a", true},
        {"a", nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResourceNameMatches(c.pattern, c.name), c.match)
            << (c.pattern ? c.pattern : "(none)") << " ~ " << (c.name ? c.name : "(none)");
    }
}

TEST_F(ResourceMgrTest, FindResourceFiltersByParentDirectoryUnlessAnyIsAsked) {
    Mount();
    EXPECT_THAT(Find("Data\\ObjectData\\units\\*.ini", false),
                UnorderedElementsAre("Skarn_Warrior.ini", "Elith_Archer.ini"));
    // At the top stand readme.txt and the directory Data, which "*.ini" accepts: the name
    // ends while the star is still skipping.
    EXPECT_THAT(Find("*.ini", false), ElementsAre("Data/"));
    EXPECT_THAT(Find("*.txt", false), UnorderedElementsAre("readme.txt", "Data/"));
    EXPECT_EQ(Find("*.ini", true).size(), 11u);  // 7 files and 4 directories
    // Directories are names too.
    EXPECT_THAT(Find("Data\\ObjectData\\*", false), UnorderedElementsAre("units/", "heroes/"));
    EXPECT_THAT(Find("Data\\Nothing\\*", true), ElementsAre());
    EXPECT_EQ(mgr.FindNextResource(nullptr, nullptr), 0);
    EXPECT_EQ(mgr.FindCloseResource(nullptr), 0);
    EXPECT_THAT(log(), HasSubstr("(INFO) : Found 4 directories total\n"));
}

TEST_F(ResourceMgrTest, IniQueueKeepsTheFiveNewestLoaded) {
    Mount();
    const char* files[] = {"Data\\ObjectData\\units\\Skarn_Warrior.ini", "Data\\ObjectData\\units\\Elith_Archer.ini",
                           "Data\\ObjectData\\heroes\\Vaelor_Knight.ini", "Data\\Settings.ini",
                           "Data\\c001.ini", "Data\\ModInfo.ini"};
    std::vector<QSINIFile*> inis;
    for (const char* f : files) inis.push_back(mgr.GetINIFile(f));
    const QSResource* first = mgr.FindEntry(files[0]);
    EXPECT_EQ(first->refCount, 0u);
    EXPECT_EQ(inis[0]->SectionCount(), 0u);  // unloaded
    for (int i = 1; i < 6; ++i) EXPECT_EQ(mgr.FindEntry(files[i])->refCount, 1u) << files[i];
    // Asking again for a queued file neither reloads nor moves it; the first comes back.
    EXPECT_EQ(mgr.GetINIFile(files[3]), inis[3]);
    EXPECT_EQ(mgr.FindEntry(files[3])->refCount, 1u);
    EXPECT_EQ(Value(files[0], "ObjectData", "MaxHitPoints"), "150");
    EXPECT_EQ(mgr.FindEntry(files[1])->refCount, 0u);
    EXPECT_EQ(mgr.FlushINIQueue(), 1);
    EXPECT_EQ(mgr.FlushINIQueue(), 0);
}

// The reader's thread starts with the first read handed to it, not with the mount: a file
// a caller waits for is read on the caller's thread. Once started, it is stopped at UnInit.
TEST_F(ResourceMgrTest, TheReaderThreadStartsWithTheFirstReadHandedToIt) {
    for (bool handOne : {false, true}) {
        SCOPED_TRACE(handOne);
        const size_t before = log().size();
        Mount();
        EXPECT_EQ(Value("Data\\Settings.ini", "Game", "Speed"), "2");  // the expansion's
        QSTextFile* text = mgr.GetTextFile("readme.txt");
        EXPECT_EQ(mgr.RequestAndWait(text, 1), 1);
        EXPECT_EQ(mgr.ReleaseResource(text), 1);
        EXPECT_THAT(log().substr(before), Not(HasSubstr("THREAD: spawned ASYNC")));
        if (handOne) {
            EXPECT_EQ(mgr.RequestResource(text, 1), 1);
            EXPECT_EQ(mgr.Wait(text), 1);
            EXPECT_EQ(std::string(text->Data(), text->Length()), "plain\r\ntext");
            EXPECT_EQ(mgr.ReleaseResource(text), 1);
            EXPECT_THAT(log().substr(before), HasSubstr("THREAD: spawned ASYNC"));
        }
        mgr.FlushINIQueue();
        EXPECT_EQ(mgr.UnInit(), 1);
        const std::string lines = log().substr(before);
        EXPECT_EQ(lines.find("EXIT: Async thread exiting") != std::string::npos, handOne);
        EXPECT_THAT(lines, HasSubstr("EXIT: AsyncReader deleted"));
    }
}

TEST_F(ResourceMgrTest, TextFilesAndIniIterationByFileName) {
    Mount();
    QSTextFile* text = mgr.GetTextFile("README.TXT");
    EXPECT_EQ(mgr.RequestAndWait(text, 1), 1);
    EXPECT_EQ(std::string(text->Data(), text->Length()), "plain\r\ntext");
    EXPECT_EQ(mgr.ReleaseResource(text), 1);
    EXPECT_EQ(text->Data(), nullptr);
    EXPECT_EQ(mgr.ReleaseResource(text), 0);
    EXPECT_THAT(log(), HasSubstr("WARNING: resource readme.txt already has 0 reference count\n"));

    EXPECT_EQ(mgr.ReadTextResource("Data\\ModInfo.ini"), "[ModInfo]\r\nName=Iron Tide\r\n");
    EXPECT_STREQ(mgr.FirstSectionOf("Data\\ModInfo.ini"), "ModInfo");
    EXPECT_EQ(mgr.NextSectionOf("Data\\ModInfo.ini"), nullptr);
    EXPECT_STREQ(mgr.FirstKeyOf("ModInfo", "Data\\ModInfo.ini"), "Name");
    EXPECT_EQ(mgr.NextKeyOf("ModInfo", "Data\\ModInfo.ini"), nullptr);
    char buffer[16];
    EXPECT_EQ(mgr.GetINIString("ModInfo", "Name", "", buffer, sizeof buffer, "Data\\ModInfo.ini"), 1);
    EXPECT_STREQ(buffer, "Iron Tide");
    EXPECT_EQ(mgr.GetAccessCode(mod().string().c_str()), 0x23414200u);
    EXPECT_EQ(mgr.GetAccessCode("elsewhere.qsx"), 0u);
}

TEST_F(ResourceMgrTest, MissingIniFilesGiveDefaultsAndHeldFilesStillReadAsText) {
    Mount();
    EXPECT_EQ(mgr.GetINIFile("Data\\Missing.ini"), nullptr);
    EXPECT_EQ(Value("Data\\Missing.ini", "A", "k"), "<none>");
    char buffer[8] = "old";
    EXPECT_EQ(mgr.GetINIString("A", "k", "dflt", buffer, sizeof buffer, "Data\\Missing.ini"), 0);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(mgr.FirstSectionOf("Data\\Missing.ini"), nullptr);
    // Settings.ini is loaded and queued as an INI file; its text is still there to read.
    EXPECT_EQ(Value("Data\\Settings.ini", "Game", "Speed"), "2");
    EXPECT_EQ(mgr.ReadTextResource("Data\\Settings.ini"), "[Game]\nSpeed=2\n");
    EXPECT_EQ(Value("Data\\Settings.ini", "Game", "Speed"), "2");
}

TEST_F(ResourceMgrTest, ValuesAreTranslatedThroughTheLocalisationTable) {
    WriteArchive(install() / "Strings.qsw",
                 {{"Data\\Localized\\Strings_01.ini", "#Language=English\nx\tx\tx\tWarrior\tSkarn Warrior\n", ""},
                  {"Data\\Units.ini", "[U]\nName=STRING_0\nTitle=Warrior\nOther=warrior\n", ""}});
    QSLocalization localization;
    mgr.SetTranslator(&localization);
    Mount();
    localization.LoadLocalization(mgr);
    EXPECT_EQ(Value("Data\\Units.ini", "U", "Name"), "Skarn Warrior");
    EXPECT_EQ(Value("Data\\Units.ini", "U", "Title"), "Skarn Warrior");
    EXPECT_EQ(Value("Data\\Units.ini", "U", "Other"), "warrior");
}

TEST(ResourceMgr, InitWithNothingStartsAnEmptyManager) {
    QSResourceMgr mgr;
    EXPECT_EQ(mgr.Init(nullptr, nullptr), 1);
    EXPECT_TRUE(mgr.Initialised());
    EXPECT_EQ(mgr.NameTable().Count(), 0u);
    EXPECT_FALSE(mgr.ResourceExists("Data\\Settings.ini"));
    EXPECT_EQ(mgr.UnInit(), 1);
    EXPECT_EQ(mgr.UnInit(), 1);
}

TEST(ResourceMgr, UnreadableGameArchiveContributesNothing) {
    TempDir dir;
    std::filesystem::create_symlink(dir / "missing-target", dir / "Broken.qsw");
    WriteArchive(dir / "Good.qsw", {{"a.ini", "[A]\nk=1\n", ""}});
    QSResourceMgr mgr;
    mgr.Init(dir.path().string().c_str(), nullptr);
    EXPECT_EQ(mgr.Archives().Count(), 2u);
    EXPECT_FALSE(mgr.Archives()[0]->IsOpen());
    EXPECT_TRUE(mgr.ResourceExists("a.ini"));
    mgr.UnInit();
}

TEST(ResourceMgrDeathTest, FatalErrorsNameTheProblem) {
    TempDir dir;
    WriteArchive(dir / "Dravik.qsw", {{"a.ini", "[A]\nk=1\nk=2\n", ""}, {"b.txt", "b", ""}});
    std::string install = dir.path().string();
    auto mounted = [&](auto body) {
        QSResourceMgr mgr;
        mgr.Init(install.c_str(), nullptr);
        body(mgr);
    };
    EXPECT_EXIT(mounted([&](QSResourceMgr&) {
                    QSResourceMgr other;
                    other.Init(install.c_str(), (dir / "absent.qsx").string().c_str());
                }),
                ::testing::ExitedWithCode(255), "Could not open .*absent.qsx");
    EXPECT_EXIT(mounted([](QSResourceMgr& m) { m.GetResource("c.ini", 6); }), ::testing::ExitedWithCode(255),
                "Resource c.ini not found.");
    EXPECT_EXIT(mounted([](QSResourceMgr& m) { m.GetResource("b.txt", 3); }), ::testing::ExitedWithCode(255),
                "Unrecognized resource type in GetResource\\(\\)");
    EXPECT_EXIT(mounted([](QSResourceMgr& m) { m.Wait(m.GetResource("b.txt", 7)); }),
                ::testing::ExitedWithCode(255), "Wait called on unrequested resource b.txt");
    // A fatal error raised while a file is parsed ends the process, whether the window thread
    // parses it (a request it waits for) or the reader's thread does; it never hangs.
    EXPECT_EXIT(mounted([](QSResourceMgr& m) { m.GetINIFile("a.ini"); }), ::testing::ExitedWithCode(255),
                "Duplicate key k in section A in file a.ini");
    EXPECT_EXIT(mounted([](QSResourceMgr& m) {
                    m.GetINIFile("b.txt");  // something in the INI queue
                    QSGameResource* ini = m.GetResource("a.ini", 6);
                    m.RequestResource(ini, 1);
                    m.Wait(ini);
                }),
                ::testing::ExitedWithCode(255), "Duplicate key k in section A in file a.ini");
}

// Archives list their names in hash order, so the folders of consecutive names are mixed:
// every ancestor directory must still be made once, however many folders there are.
TEST(ResourceMgrDirectories, EveryAncestorOnceAcrossManyFolders) {
    TempDir dir;
    std::vector<TestFile> files;
    std::set<std::string> expected = {"Data"};
    for (int folder = 0; folder < 45; ++folder) {
        const std::string name = "Data\\Folder" + std::string(1, static_cast<char>('A' + folder % 26)) +
                                 std::to_string(folder / 26);
        expected.insert(name);
        for (int file = 0; file < 3; ++file) {
            files.push_back({name + "\\file" + std::to_string(file) + ".ini", "[A]\nk=1\n", ""});
        }
        if (folder % 5 == 0) {
            expected.insert(name + "\\Deep");
            expected.insert(name + "\\Deep\\er");
            files.push_back({name + "\\Deep\\er\\x.ini", "[A]\nk=1\n", ""});
        }
    }
    files.push_back({"data\\folderd0\\other_case.ini", "[A]\nk=1\n", ""});  // the same folder, other case
    std::filesystem::create_directory(dir / "game");
    WriteArchive(dir / "game" / "Dravik.qsw", files, "DV", "1.0");
    ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
    QSResourceMgr mgr;
    mgr.Init((dir / "game").string().c_str(), nullptr);
    std::set<std::string> directories;
    for (const QSResource* entry : mgr.NameTable()) {
        if (entry->directory) {
            EXPECT_TRUE(directories.insert(entry->name).second) << entry->name;
        }
    }
    // (Of two directories with one HashName only the first is made: none here share one.)
    std::set<uint32_t> hashes;
    for (const std::string& name : expected) ASSERT_TRUE(hashes.insert(HashName(name)).second) << name;
    EXPECT_EQ(directories, expected);
    EXPECT_THAT(ReadFile(dir / "Brix_log.txt"),
                HasSubstr("Found " + std::to_string(expected.size()) + " directories total\n"));
    // Each folder's files are found by a search in it, in any case.
    QSFindData data;
    QSResourceSearch* search = mgr.FindFirstResource("DATA\\FOLDERd0\\*.INI", &data, false);
    std::vector<std::string> found;
    for (bool more = search != nullptr; more; more = mgr.FindNextResource(search, &data)) found.push_back(data.fileName);
    mgr.FindCloseResource(search);
    EXPECT_THAT(found, UnorderedElementsAre("file0.ini", "file1.ini", "file2.ini", "other_case.ini"));
    mgr.UnInit();
    DisableLog();
}

namespace {

// A content key stands for the bytes a read would give: the same stored file of the same
// archive keeps its key over a new mount; another file, a file the package hides, or an
// archive written again gets another; what is not stored has none.
TEST_F(ResourceMgrTest, ContentKeysFollowTheStoredBytes) {
    const char* warrior = "Data\\ObjectData\\units\\Skarn_Warrior.ini";
    const char* archer = "Data\\ObjectData\\units\\Elith_Archer.ini";
    Mount(false);
    const std::optional<std::string> warriorKey = mgr.ContentKey(warrior);
    const std::optional<std::string> archerKey = mgr.ContentKey(archer);
    ASSERT_TRUE(warriorKey && archerKey);
    EXPECT_NE(*warriorKey, *archerKey);
    EXPECT_EQ(mgr.ContentKey("Data\\no such file.ini"), std::nullopt);
    EXPECT_EQ(mgr.ContentKey("Data\\ObjectData\\units"), std::nullopt);
    EXPECT_EQ(mgr.ReadTextResource(warrior), "[ObjectData]\nMaxHitPoints=100\n");

    mgr.UnInit();
    Mount(true);
    EXPECT_EQ(mgr.ContentKey(archer), archerKey);
    EXPECT_NE(mgr.ContentKey(warrior), warriorKey);  // the package's file now
    EXPECT_EQ(mgr.ReadTextResource(warrior), "[ObjectData]\nMaxHitPoints=150\n");

    mgr.UnInit();
    WriteArchive(install() / "Dravik.qsw",
                 {{"Data\\ObjectData\\units\\Elith_Archer.ini", "[ObjectData]\nMaxHitPoints=61\n", ""}},
                 "DV", "1.0.3");
    Mount(false);
    EXPECT_NE(mgr.ContentKey(archer), archerKey);
    EXPECT_EQ(mgr.ReadTextResource(archer), "[ObjectData]\nMaxHitPoints=61\n");
}

}  // namespace
