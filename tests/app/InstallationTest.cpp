#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <sstream>
#include <vector>

#include "app/Installation.h"
#include "core/QSError.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using ::testing::ElementsAreArray;
using ::testing::ExitedWithCode;
using ::testing::HasSubstr;

namespace {

// Sets an environment variable for the lifetime of the object and puts the old state back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::optional<std::string>& value)
        : name_(name),
          old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        if (value) {
            qputenv(name, QByteArray::fromStdString(*value));
        } else {
            qunsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            qputenv(name_, *old_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<QByteArray> old_;
};

// Every test runs in root/work, with BRIX_REGISTRY naming root/registry.ini, WINEPREFIX
// naming root/wine and the log in root/Brix_log.txt.
class InstallationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousDir_ = fs::current_path();
        fs::create_directory(work());
        fs::current_path(work());
        ASSERT_TRUE(OpenLog(root / "Brix_log.txt"));
    }
    void TearDown() override {
        DisableLog();
        fs::current_path(previousDir_);
    }

    fs::path work() const { return root / "work"; }
    fs::path registry() const { return root / "registry.ini"; }
    fs::path wine() const { return root / "wine"; }
    // The text with every "{root}" replaced by the temporary root.
    std::string R(std::string text) const {
        for (size_t at; (at = text.find("{root}")) != std::string::npos;)
            text.replace(at, 6, root.path().string());
        return text;
    }
    // A placeholder executable at root/relative.
    void PutExecutable(const std::string& relative) const {
        fs::create_directories((root / relative).parent_path());
        WriteFile(root / relative, "MZ placeholder");
    }
    // The messages of the log, without their source and tag.
    std::vector<std::string> LoggedMessages() const {
        std::vector<std::string> messages;
        std::istringstream lines(ReadFile(root / "Brix_log.txt"));
        for (std::string line; std::getline(lines, line);) {
            const size_t at = line.find("(INFO) : ");
            messages.push_back(at == std::string::npos ? line : line.substr(at + 9));
        }
        return messages;
    }

    TempDir root;
    ScopedEnv registryVariable_{kRegistryVariable, (root / "registry.ini").string()};
    ScopedEnv winePrefixVariable_{kWinePrefixVariable, (root / "wine").string()};

  private:
    fs::path previousDir_;
};

constexpr const char* kBaseSection = "[Software\\Quillon Studios\\Dravik]\n";
constexpr const char* kExpansionSection = "[Software\\Quillon Studios\\Dravik Ashen Tithe]\n";

TEST_F(InstallationTest, DiscoversEachEditionInTheWorkingDirectoryThenThroughTheRegistry) {
    struct Case {
        const char* name;
        std::vector<std::string>
            executables;             // placed under root ("work/" is the working directory)
        std::string registry;        // "{root}" stands for the temporary root
        GameInstallations expected;  // likewise
        std::vector<std::string> log;
    };
    const std::string base = std::string(kBaseSection) + "Install Path={root}/Games/Dravik\n";
    const std::string expansion =
        std::string(kExpansionSection) + "Install Path={root}/Games/Ashen Tithe\n";
    const Case cases[] = {
        {"the working directory wins, whatever the registry says",
         {"work/Dravik.exe", "Games/Dravik/Dravik.exe"},
         base,
         {"Dravik.exe", "", "", "", true, false, ""},
         {"Found Dravik.exe.", "Did not find Dravik_AT.exe."}},
        {"through the registry",
         {"Games/Dravik/Dravik.exe"},
         base,
         {"{root}/Games/Dravik/Dravik.exe", "", "{root}/Games/Dravik", "", true, false,
          "{root}/Games/Dravik"},
         {"Found {root}/Games/Dravik/Dravik.exe.", "Did not find Dravik_AT.exe."}},
        {"the registry names a directory without the executable",
         {"Games/Dravik/Dravik_AT.exe"},
         base,
         {"", "", "", "", false, false, ""},
         {"Did not find Dravik.exe.", "Did not find Dravik_AT.exe."}},
        {"both editions through the registry: the expansion's directory is current",
         {"Games/Dravik/Dravik.exe", "Games/Ashen Tithe/Dravik_AT.exe"},
         base + expansion,
         {"{root}/Games/Dravik/Dravik.exe", "{root}/Games/Ashen Tithe/Dravik_AT.exe",
          "{root}/Games/Dravik", "{root}/Games/Ashen Tithe", true, true,
          "{root}/Games/Ashen Tithe"},
         {"Found {root}/Games/Dravik/Dravik.exe.",
          "Found {root}/Games/Ashen Tithe/Dravik_AT.exe."}},
        {"the base edition here, the expansion through the registry",
         {"work/Dravik.exe", "Games/Ashen Tithe/Dravik_AT.exe"},
         expansion,
         {"Dravik.exe", "{root}/Games/Ashen Tithe/Dravik_AT.exe", "", "{root}/Games/Ashen Tithe",
          true, true, "{root}/Games/Ashen Tithe"},
         {"Found Dravik.exe.", "Found {root}/Games/Ashen Tithe/Dravik_AT.exe."}},
        {"a registry value ending in a separator gets none added",
         {"Games/Dravik/Dravik.exe"},
         std::string(kBaseSection) + "Install Path={root}/Games/Dravik/\n",
         {"{root}/Games/Dravik/Dravik.exe", "", "{root}/Games/Dravik/", "", true, false,
          "{root}/Games/Dravik/"},
         {"Found {root}/Games/Dravik/Dravik.exe.", "Did not find Dravik_AT.exe."}},
        {"a directory named Dravik.exe is not the game",
         {"work/Dravik.exe/Dravik.exe"},
         "",
         {"", "", "", "", false, false, ""},
         {"Did not find Dravik.exe.", "Did not find Dravik_AT.exe."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(work());
        fs::remove_all(root / "Games");
        fs::create_directory(work());
        fs::current_path(work());  // the old one has just been removed
        for (const std::string& exe : c.executables) PutExecutable(exe);
        WriteFile(registry(), R(c.registry));
        ASSERT_TRUE(OpenLog(root / "Brix_log.txt"));

        const GameInstallations found = DiscoverInstallations();

        EXPECT_EQ(found.baseInstalled, c.expected.baseInstalled);
        EXPECT_EQ(found.baseExecutable, R(c.expected.baseExecutable));
        EXPECT_EQ(found.baseDirectory, R(c.expected.baseDirectory));
        EXPECT_EQ(found.expansionInstalled, c.expected.expansionInstalled);
        EXPECT_EQ(found.expansionExecutable, R(c.expected.expansionExecutable));
        EXPECT_EQ(found.expansionDirectory, R(c.expected.expansionDirectory));
        EXPECT_EQ(found.currentGameDirectory, R(c.expected.currentGameDirectory));
        std::vector<std::string> log;
        for (const std::string& line : c.log) log.push_back(R(line));
        EXPECT_THAT(LoggedMessages(), ElementsAreArray(log));
    }
}

TEST_F(InstallationTest, FindingSetsBothOutputsAndNotFindingLeavesThemAsTheyWere) {
    PutExecutable("Games/Dravik/Readme.txt");
    WriteFile(registry(), std::string(kBaseSection) + R("Install Path={root}/Games/Dravik\n"));
    std::string path = "kept path", dir = "kept dir";
    EXPECT_FALSE(FindInstallation(kBaseRegistryKey, kBaseExecutable, path, dir));
    EXPECT_EQ(path, "kept path");
    EXPECT_EQ(dir, "kept dir");

    PutExecutable("work/Dravik.exe");
    EXPECT_TRUE(FindInstallation(kBaseRegistryKey, kBaseExecutable, path, dir));
    EXPECT_EQ(path, "Dravik.exe");
    EXPECT_EQ(dir, "");
    EXPECT_THAT(LoggedMessages(),
                ElementsAreArray({"Did not find Dravik.exe.", "Found Dravik.exe."}));
}

TEST_F(InstallationTest, ReadsTheRegistryFileLiterally) {
    struct Case {
        const char* name;
        std::optional<std::string> file;  // none: no registry file at all
        const char* key;
        const char* expected;
    };
    const std::string both = std::string(kBaseSection) + "Install Path=C:\\Games\\Dravik\n" +
                             kExpansionSection + "Install Path=D:\\Ashen Tithe\n";
    const Case cases[] = {
        {"no registry file", std::nullopt, kBaseRegistryKey, ""},
        {"an empty file", "", kBaseRegistryKey, ""},
        {"no section of the key", std::string(kExpansionSection) + "Install Path=/games\n",
         kBaseRegistryKey, ""},
        {"no value of that name", std::string(kBaseSection) + "InstallPath=/a\nPath=/b\n",
         kBaseRegistryKey, ""},
        {"backslashes in the section and the value", both, kBaseRegistryKey, "C:\\Games\\Dravik"},
        {"a section that extends another's name", both, kExpansionRegistryKey, "D:\\Ashen Tithe"},
        {"a key is not split into groups at its backslashes",
         "[Software\\Quillon Studios]\nDravik\\Install Path=/wrong\n[Software]\nQuillon "
         "Studios\\Dravik\\Install "
         "Path=/wrong\n",
         kBaseRegistryKey, ""},
        {"names in another letter case",
         "[software\\quillon studios\\DRAVIK]\ninstall path=/games/dravik\n", kBaseRegistryKey,
         "/games/dravik"},
        {"byte order mark, CR LF and blanks around names and value",
         "\xEF\xBB\xBF[ Software\\Quillon Studios\\Dravik ]\r\n  Install Path =  /games/Dravik "
         "Sundered Crowns  \r\n",
         kBaseRegistryKey, "/games/Dravik Sundered Crowns"},
        {"comments",
         "; written by hand\n[Software\\Quillon Studios\\Dravik] ; base\nInstall Path=/games/a ; "
         "was /b\n",
         kBaseRegistryKey, "/games/a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(registry());
        if (c.file) WriteFile(registry(), *c.file);
        EXPECT_EQ(ReadInstallPath(c.key, kInstallPathValue), c.expected);
        EXPECT_EQ(fs::exists(registry()), c.file.has_value()) << "reading never creates the file";
    }
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
TEST_F(InstallationTest, WithoutTheVariableReadsTheUsersConfigurationDirectory) {
    const fs::path config = root / "config";
    ScopedEnv configHome("XDG_CONFIG_HOME", config.string());
    const fs::path expected = config / "Brix" / "registry.ini";
    for (const std::optional<std::string>& variable :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        SCOPED_TRACE(variable ? "BRIX_REGISTRY empty" : "BRIX_REGISTRY unset");
        ScopedEnv unset(kRegistryVariable, variable);
        fs::remove_all(config);
        EXPECT_EQ(RegistryFilePath(), expected);
        EXPECT_EQ(ReadInstallPath(kBaseRegistryKey, kInstallPathValue), "");
        EXPECT_FALSE(fs::exists(config)) << "reading never creates the directory";

        fs::create_directories(expected.parent_path());
        WriteFile(expected, std::string(kBaseSection) + "Install Path=/opt/dravik\n");
        EXPECT_EQ(ReadInstallPath(kBaseRegistryKey, kInstallPathValue), "/opt/dravik");
    }
}
#endif

TEST_F(InstallationTest, AValueGivenTwiceIsAFatalErrorNamingTheFile) {
    WriteFile(registry(), std::string(kBaseSection) + "Install Path=/a\nInstall Path=/b\n");
    EXPECT_EXIT(
        ReadInstallPath(kBaseRegistryKey, kInstallPathValue), ExitedWithCode(255),
        HasSubstr(
            "Duplicate key Install Path in section Software\\Quillon Studios\\Dravik in file " +
            registry().string()));
}

// The Wine registry, as Wine writes it: "{root}" stands for the temporary root.
std::string SystemReg(const std::string& body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n" + body;
}

constexpr const char* kWineBase =
    "[Software\\\\Quillon Studios\\\\Dravik] 1700000000\n#time=1da16c3e4f7a000\n";
constexpr const char* kWineBase32 =
    "[Software\\\\Wow6432Node\\\\Quillon Studios\\\\Dravik] 1700000000\n#time=1da16c3e4f7a000\n";

TEST_F(InstallationTest, FindsTheGameInAWinePrefixTheSampleToolWrote) {
    struct Case {
        const char* edition;
        const char* out;  // below root
        std::vector<std::string> wineOptions;
        bool expansion;
    };
    const Case cases[] = {
        {"dsc", "Games/Dravik", {"--wine-key", "plain", "--wine-drive", "g"}, false},
        {"dat", "Games/Ashen Tithe", {"--wine-key", "wow6432", "--wine-drive", "D"}, true},
        {"dsc", "Dravik", {"--wine-drive", "c"}, false},  // the 32-bit key by default
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edition) + " in " + c.out);
        fs::remove_all(wine());
        fs::remove_all(root / "Games");
        std::vector<std::string> args = {"--edition",     c.edition,
                                         "--out",         (root / c.out).string(),
                                         "--wine-prefix", wine().string()};
        args.insert(args.end(), c.wineOptions.begin(), c.wineOptions.end());
        const ToolResult run = RunTool(BRIX_SAMPLE_GAME, args, root.path());
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_THAT(run.out, HasSubstr("system.reg"));
        ASSERT_FALSE(fs::exists(registry()));
        ASSERT_TRUE(OpenLog(root / "Brix_log.txt"));

        const GameInstallations found = DiscoverInstallations();

        const std::string dir = R("{root}/") + c.out;
        const std::string exe = dir + (c.expansion ? "/Dravik_AT.exe" : "/Dravik.exe");
        EXPECT_EQ(found.baseInstalled, !c.expansion);
        EXPECT_EQ(found.expansionInstalled, c.expansion);
        EXPECT_EQ(c.expansion ? found.expansionDirectory : found.baseDirectory, dir);
        EXPECT_EQ(c.expansion ? found.expansionExecutable : found.baseExecutable, exe);
        EXPECT_EQ(found.currentGameDirectory, dir);
        EXPECT_THAT(LoggedMessages(),
                    ElementsAreArray(
                        c.expansion ? std::vector<std::string>{"Did not find Dravik.exe.",
                                                               "Found " + exe + "."}
                                    : std::vector<std::string>{"Found " + exe + ".",
                                                               "Did not find Dravik_AT.exe."}));
    }
}

TEST_F(InstallationTest, MapsTheWindowsPathThroughThePrefixsDriveLinks) {
    struct Case {
        const char* name;
        std::string systemReg;                                   // the body after the header
        std::vector<std::pair<std::string, std::string>> links;  // dosdevices name, target
        std::string executable;                                  // below root
        std::string expected;                                    // the base directory, if found
        std::vector<std::string> log;  // before "Did not find Dravik_AT.exe."
    };
    const std::string wineReg = "{root}/wine/system.reg";
    const Case cases[] = {
        {"without c: drive_c is C:",
         std::string(kWineBase) + "\"Install Path\"=\"C:\\\\Games\\\\Dravik\"\n",
         {},
         "wine/drive_c/Games/Dravik/Dravik.exe",
         "{root}/wine/drive_c/Games/Dravik",
         {"Found {root}/wine/drive_c/Games/Dravik/Dravik.exe."}},
        {"a relative link is relative to dosdevices; slashes, doubled and trailing separators",
         std::string(kWineBase) + "\"Install Path\"=\"d:/Games\\\\\\\\Dravik\\\\\"\n",
         {{"d:", "../.."}},
         "Games/Dravik/Dravik.exe",
         "{root}/Games/Dravik",
         {"Found {root}/Games/Dravik/Dravik.exe."}},
        {"escapes, letters beyond ASCII, names in another letter case, CR LF, REG_EXPAND_SZ",
         "[software\\\\WOW6432NODE\\\\quillon studios\\\\DRAVIK] 1700000000\r\n"
         "\"INSTALL PATH\"=str(2):\"G:\\\\Dr\\x00e4vik \\\"Gold\\\" \\xd83d\\xde00\"\r\n",
         {{"g:", "{root}/Games"}},
         "Games/Dr\xC3\xA4vik \"Gold\" \xF0\x9F\x98\x80/Dravik.exe",
         "{root}/Games/Dr\xC3\xA4vik \"Gold\" \xF0\x9F\x98\x80",
         {"Found {root}/Games/Dr\xC3\xA4vik \"Gold\" \xF0\x9F\x98\x80/Dravik.exe."}},
        {"a NUL ends the string, as Windows reads it; the last line for a value wins",
         std::string(kWineBase) +
             "\"Install Path\"=\"G:\\\\Old\"\n\"Install Path\"=\"G:\\\\Dravik\\0\\\\Dravik.exe\"\n",
         {{"g:", "{root}/Games"}},
         "Games/Dravik/Dravik.exe",
         "{root}/Games/Dravik",
         {"Found {root}/Games/Dravik/Dravik.exe."}},
        {"a drive the prefix lacks is passed over",
         std::string(kWineBase) + "\"Install Path\"=\"E:\\\\Dravik\"\n",
         {{"d:", "{root}/Games"}},
         "Games/Dravik/Dravik.exe",
         "",
         {"Passed over \"E:\\Dravik\" from the Wine registry " + wineReg +
              ": the Wine prefix has no drive E: (no {root}/wine/dosdevices/e:).",
          "Did not find Dravik.exe."}},
        {"the key as spelled is passed over, the 32-bit key found",
         std::string(kWineBase) + "\"Install Path\"=\"E:\\\\Dravik\"\n" + kWineBase32 +
             "\"Install Path\"=\"D:\\\\Dravik\"\n",
         {{"d:", "{root}/Games"}},
         "Games/Dravik/Dravik.exe",
         "{root}/Games/Dravik",
         {"Passed over \"E:\\Dravik\" from the Wine registry " + wineReg +
              ": the Wine prefix has no drive E: (no {root}/wine/dosdevices/e:).",
          "Found {root}/Games/Dravik/Dravik.exe."}},
        {"no drive letter",
         std::string(kWineBase) + "\"Install Path\"=\"\\\\\\\\server\\\\Games\\\\Dravik\"\n",
         {{"d:", "{root}/Games"}},
         "Games/Dravik/Dravik.exe",
         "",
         {"Passed over \"\\\\server\\Games\\Dravik\" from the Wine registry " + wineReg +
              ": it does not begin with a drive letter.",
          "Did not find Dravik.exe."}},
        {"a value of another kind",
         std::string(kWineBase) + "\"Install Path\"=hex(2):44,00,3a,00,5c,00,00,00\n",
         {{"d:", "{root}/Games"}},
         "Games/Dravik/Dravik.exe",
         "",
         {"Passed over the Wine registry " + wineReg +
              ": \"Install Path\" of [Software\\Quillon Studios\\Dravik] is not a string.",
          "Did not find Dravik.exe."}},
        {"subkeys and longer names are other keys",
         "[Software\\\\Quillon Studios\\\\Dravik\\\\Patch] 1\n\"Install Path\"=\"D:\\\\Dravik\"\n"
         "[Software\\\\Quillon Studios\\\\Dravik2] 1\n\"Install Path\"=\"D:\\\\Dravik\"\n"
         "[Software\\\\Quillon Studios] 1\n\"Install Path\"=\"D:\\\\Dravik\"\n",
         {{"d:", "{root}/Games"}},
         "Games/Dravik/Dravik.exe",
         "",
         {"Did not find Dravik.exe."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(wine());
        fs::remove_all(root / "Games");
        fs::create_directories(wine() / "dosdevices");
        WriteFile(wine() / "system.reg", R(SystemReg(c.systemReg)));
        for (const auto& [name, target] : c.links)
            fs::create_directory_symlink(R(target), wine() / "dosdevices" / name);
        PutExecutable(c.executable);
        ASSERT_TRUE(OpenLog(root / "Brix_log.txt"));

        const GameInstallations found = DiscoverInstallations();

        EXPECT_EQ(found.baseInstalled, !c.expected.empty());
        EXPECT_EQ(found.baseDirectory, R(c.expected));
        EXPECT_FALSE(found.expansionInstalled);
        std::vector<std::string> log;
        for (const std::string& line : c.log) log.push_back(R(line));
        log.push_back("Did not find Dravik_AT.exe.");
        EXPECT_THAT(LoggedMessages(), ElementsAreArray(log));
    }
}

TEST_F(InstallationTest, AnOddWineRegistryIsPassedOverWithALineInTheLog) {
    const std::string value = "\"Install Path\"=\"C:\\\\Games\\\\Dravik\"\n";
    const std::string hugeLine(3 << 20, '\\');
    struct Case {
        const char* name;
        std::string file;
        const char* problem;  // of the file, logged once for each edition; none: no line
    };
    const Case cases[] = {
        {"no header", std::string(kWineBase) + value,
         "it does not begin with \"WINE REGISTRY Version 2\""},
        {"another version", "WINE REGISTRY Version 1\n" + std::string(kWineBase) + value,
         "it does not begin with \"WINE REGISTRY Version 2\""},
        {"empty", "", "it does not begin with \"WINE REGISTRY Version 2\""},
        {"binary junk", std::string("\0\xFF\xFE[\\\"\x80\n\"\\x\n\0", 13) + value,
         "it does not begin with \"WINE REGISTRY Version 2\""},
        {"only the header", SystemReg(""), nullptr},
        {"a key without its closing bracket",
         SystemReg("[Software\\\\Quillon Studios\\\\Dravik\n" + value), nullptr},
        {"a key ending in an escape",
         SystemReg("[Software\\\\Quillon Studios\\\\Dravik\\]\n" + value), nullptr},
        {"a name without its closing quote",
         SystemReg(std::string(kWineBase) + "\"Install Path=\"C:\\\\Games\\\\Dravik\n"), nullptr},
        {"a value without its closing quote",
         SystemReg(std::string(kWineBase) + "\"Install Path\"=\"C:\\\\Games\\\\Dravik\n"), nullptr},
        {"a value ending in a lone backslash",
         SystemReg(std::string(kWineBase) + "\"Install Path\"=\"C:\\\\Games\\\\Dravik\\\n\"\n"),
         nullptr},
        {"stray escapes and a lone surrogate",
         SystemReg(std::string(kWineBase) +
                   "\"Install Path\"=\"C:\\\\Games\\\\Dravik\\x\\q\\xd800\"\n"),
         nullptr},
        {"huge lines",
         SystemReg("[" + hugeLine + "\n" + kWineBase + "\"Install Path\"=\"" + hugeLine), nullptr},
    };
    const std::string fileName = R("{root}/wine/system.reg");
    PutExecutable("wine/drive_c/Games/Dravik/Dravik.exe");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(wine() / "system.reg", c.file);
        ASSERT_TRUE(OpenLog(root / "Brix_log.txt"));

        const GameInstallations found = DiscoverInstallations();

        EXPECT_FALSE(found.baseInstalled);
        EXPECT_FALSE(found.expansionInstalled);
        const std::vector<std::string> log = LoggedMessages();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "Did not find Dravik_AT.exe.");
        if (c.problem) {
            const std::string line =
                "Passed over the Wine registry " + fileName + ": " + c.problem + ".";
            EXPECT_THAT(log, ElementsAreArray({line, std::string("Did not find Dravik.exe."), line,
                                               std::string("Did not find Dravik_AT.exe.")}));
        }
    }
    // The two values without their closing quote are named in the log.
    WriteFile(wine() / "system.reg",
              SystemReg(std::string(kWineBase) + "\"Install Path\"=\"C:\\\\Games\\\\Dravik\\\n"));
    ASSERT_TRUE(OpenLog(root / "Brix_log.txt"));
    EXPECT_FALSE(DiscoverInstallations().baseInstalled);
    EXPECT_THAT(LoggedMessages(),
                ElementsAreArray({"Passed over the Wine registry " + fileName +
                                      ": \"Install Path\" of [Software\\Quillon Studios\\Dravik] "
                                      "ends before its closing quote.",
                                  std::string("Did not find Dravik.exe."),
                                  std::string("Did not find Dravik_AT.exe.")}));
}

TEST_F(InstallationTest, AWineRegistryTooLargeOrNotAFileIsPassedOver) {
    fs::create_directories(wine());
    const std::string fileName = R("{root}/wine/system.reg");
    WriteFile(wine() / "system.reg", SystemReg(kWineBase));
    fs::resize_file(wine() / "system.reg", kMostWineRegistryBytes + 1);  // sparse: no time spent
    EXPECT_FALSE(DiscoverInstallations().baseInstalled);
    fs::remove(wine() / "system.reg");
    fs::create_directory(wine() / "system.reg");
    EXPECT_FALSE(DiscoverInstallations().baseInstalled);
    const std::string large =
        "Passed over the Wine registry " + fileName + ": it is larger than 64 MB.";
    const std::string unreadable =
        "Passed over the Wine registry " + fileName + ": it cannot be read.";
    EXPECT_THAT(LoggedMessages(),
                ElementsAreArray({large, std::string("Did not find Dravik.exe."), large,
                                  std::string("Did not find Dravik_AT.exe."), unreadable,
                                  std::string("Did not find Dravik.exe."), unreadable,
                                  std::string("Did not find Dravik_AT.exe.")}));
}

TEST_F(InstallationTest, TheRegistryFileWinsForTheEditionItNames) {
    PutExecutable("Games/Dravik/Dravik.exe");
    PutExecutable("Wine Games/Dravik/Dravik.exe");
    PutExecutable("Wine Games/Ashen Tithe/Dravik_AT.exe");
    fs::create_directories(wine() / "dosdevices");
    fs::create_directory_symlink(root / "Wine Games", wine() / "dosdevices" / "d:");
    WriteFile(wine() / "system.reg",
              SystemReg(std::string(kWineBase) + "\"Install Path\"=\"D:\\\\Dravik\"\n" +
                        "[Software\\\\Quillon Studios\\\\Dravik Ashen Tithe] 1700000000\n" +
                        "\"Install Path\"=\"D:\\\\Ashen Tithe\"\n"));
    WriteFile(registry(), std::string(kBaseSection) + R("Install Path={root}/Games/Dravik\n") +
                              kExpansionSection + "Install Path=\n");

    GameInstallations found = DiscoverInstallations();
    EXPECT_EQ(found.baseDirectory, R("{root}/Games/Dravik"));
    EXPECT_EQ(found.expansionDirectory, R("{root}/Wine Games/Ashen Tithe"))
        << "an empty value names nothing";

    // Even where it names a directory without the game.
    fs::remove(root / "Games/Dravik/Dravik.exe");
    found = DiscoverInstallations();
    EXPECT_FALSE(found.baseInstalled);
    EXPECT_TRUE(found.expansionInstalled);
}

TEST_F(InstallationTest, WithoutWinePrefixTheWinePrefixIsDotWineInHome) {
    const fs::path home = root / "home";
    PutExecutable("home/.wine/drive_c/Dravik/Dravik.exe");
    WriteFile(home / ".wine" / "system.reg",
              SystemReg(std::string(kWineBase) + "\"Install Path\"=\"C:\\\\Dravik\"\n"));
    ScopedEnv homeVariable("HOME", home.string());
    for (const std::optional<std::string>& variable :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        SCOPED_TRACE(variable ? "WINEPREFIX empty" : "WINEPREFIX unset");
        ScopedEnv prefix(kWinePrefixVariable, variable);
        EXPECT_EQ(WinePrefixPath(), home / ".wine");
        EXPECT_EQ(DiscoverInstallations().baseDirectory, R("{root}/home/.wine/drive_c/Dravik"));
    }
    ScopedEnv noPrefix(kWinePrefixVariable, std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(WinePrefixPath(), fs::path());
    EXPECT_FALSE(DiscoverInstallations().baseInstalled);
}

TEST(WineRegistry, UndoesWinesEscapes) {
    struct Case {
        const char* written;  // between the quotes of the value
        const char* read;
    };
    const Case cases[] = {
        {"C:\\\\Games\\\\Dravik", "C:\\Games\\Dravik"},
        {"\\\"quoted\\\" \\[x\\]", "\"quoted\" [x]"},
        {"\\x00e4\\x20ac\\xd83d\\xde00", "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"\\x41\\x4a", "AJ"},
        {"\\xdc00 \\xd800x \\xd800",
         "\xEF\xBF\xBD \xEF\xBF\xBDx \xEF\xBF\xBD"},  // halves of pairs alone
        {"\\101\\7\\t\\n", "A\a\t\n"},
        {"\\q\\x", "qx"},
        {"raw \xC3\xA4 bytes", "raw \xC3\xA4 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        const WineRegistryString value = FindWineRegistryString(
            SystemReg(std::string(kWineBase) + "\"Install Path\"=\"" + c.written + "\"\n"),
            kBaseRegistryKey, kInstallPathValue);
        EXPECT_TRUE(value.found);
        EXPECT_EQ(value.text, c.read);
        EXPECT_EQ(value.problem, "");
    }
    const WineRegistryString byDefault = FindWineRegistryString(
        SystemReg(std::string(kWineBase) + "\"Other\"=\"no\"\n@=\"the default\"\n"),
        kBaseRegistryKey, "");
    EXPECT_EQ(byDefault.text, "the default");
}

}  // namespace
