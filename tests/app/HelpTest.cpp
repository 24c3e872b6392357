#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <filesystem>

#include "app/Help.h"
#include "app/Installation.h"
#include "support/TempDir.h"

namespace {

// The guide is looked for beside the program, opened with the desktop's handler, and where
// that cannot be done the user is told where the guide is.
TEST(HelpTest, OpensTheGuideOrSaysWhereItIs) {
    EXPECT_EQ(HelpFilePath(),
              QDir(QCoreApplication::applicationDirPath()).filePath("Brix Help.htm"));
    TempDir dir;
    const QString guide = QString::fromStdString((dir / "Brix Help.htm").string());
    const QString missing = QString::fromStdString((dir / "nowhere.htm").string());
    WriteFile(dir / "Brix Help.htm", "<html></html>");
    const struct {
        const char* name;
        QString path;
        bool opens;
        const char* told;  // the start of the message; null when the guide opened
    } cases[] = {
        {"opened", guide, true, nullptr},
        {"no handler", guide, false, "No program on this desktop opens the user guide."},
        {"missing", missing, true, "The user guide was not found."},
    };
    for (const auto& c : cases) {
        QList<QUrl> asked;
        const QString told = OpenHelpFile(c.path, [&](const QUrl& url) {
            asked.append(url);
            return c.opens;
        });
        if (!c.told) {
            EXPECT_TRUE(told.isEmpty()) << c.name;
            EXPECT_EQ(asked, QList<QUrl>{QUrl::fromLocalFile(guide)}) << c.name;
            continue;
        }
        EXPECT_TRUE(told.startsWith(c.told)) << c.name << ": " << told.toStdString();
        EXPECT_TRUE(told.endsWith(QDir::toNativeSeparators(c.path))) << c.name;
    }
}

// The build puts the guide beside brix, and the guide names the registry entries as Brix reads
// them.
TEST(HelpTest, TheBuildPutsTheCurrentGuideBesideBrix) {
    const std::filesystem::path copy = std::filesystem::path(BRIX_EXE_DIR) / "Brix Help.htm";
    ASSERT_TRUE(std::filesystem::exists(copy)) << copy;
    const std::string guide = ReadFile(copy);
    EXPECT_EQ(guide, ReadFile(BRIX_HELP_SOURCE));
    for (const char* name : {kBaseRegistryKey, kExpansionRegistryKey, kInstallPathValue,
                             kRegistryVariable, kBaseExecutable, kExpansionExecutable}) {
        EXPECT_NE(guide.find(name), std::string::npos) << name;
    }
}

}  // namespace

