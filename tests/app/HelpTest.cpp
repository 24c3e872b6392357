#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QObject>
#include <QUrl>
#include <filesystem>

#include "app/Help.h"
#include "app/Installation.h"
#include "support/TempDir.h"

namespace {

// Takes the place of the desktop's handler for file URLs and records what it was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

TEST(HelpTest, OpensTheGuideBesideTheProgramWithTheDesktopsHandler) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "open");
    OpenHelp();
    QDesktopServices::unsetUrlHandler("file");

    const QString expected = QDir(QCoreApplication::applicationDirPath()).filePath("Brix Help.htm");
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened.front(), QUrl::fromLocalFile(expected));
    EXPECT_EQ(recorder.opened.front().toLocalFile(), expected);
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

#include "HelpTest.moc"
