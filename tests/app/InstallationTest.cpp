#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <sstream>
#include <vector>

#include "app/Installation.h"
#include "core/QSError.h"
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

// Every test runs in root/work, with BRIX_REGISTRY naming root/registry.ini and the log in
// root/Brix_log.txt.
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

}  // namespace
