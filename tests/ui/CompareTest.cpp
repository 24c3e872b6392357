// Compare With Mod in the main window: the open mod as saved against a package picked with the
// Load chooser, shown in a text window whose Save writes the lines byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/MainWindowFixture.h"
#include "ui/TextReport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class Compare : public MainWindow {
  protected:
    std::string Package(const char* name) { return (std::filesystem::path(install) / name).string(); }
};

TEST_F(Compare, ShowsAndSavesTheDifferences) {
    OpenIronTide();
    // The session's own edits are not compared: the package as it stands on disk is.
    auto* hp = Control<QLineEdit>("max_hit_points");
    hp->setText("4321");
    QTest::keyClicks(hp, "0");
    chosen = Package("Oathsworn.qsx");
    Action("CompareWithMod1")->trigger();
    TextReport* report = form->Report();
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(report->windowTitle(), "Compare IronTide with Oathsworn");
    const std::string text = report->Text();
    // IronTide adds the Iron Vanguard, which Oathsworn does not have.
    EXPECT_THAT(text, HasSubstr("Removed Iron_Vanguard(Iron Vanguard).\r\n"));
    EXPECT_THAT(text, Not(HasSubstr("43210")));
    EXPECT_EQ(report->Box()->toPlainText().toStdString(),
              [&] {
                  std::string lf = text;
                  std::erase(lf, '\r');
                  return lf;
              }());

    historyFile = (log.path() / "compare.txt").string();
    QTest::mouseClick(report->findChild<QPushButton*>("report_save"), Qt::LeftButton);
    EXPECT_EQ(proposedHistoryFile,
              (std::filesystem::path(install) / "IronTide_vs_Oathsworn.txt").string());
    EXPECT_EQ(ReadFile(historyFile), text);

    // A mod against itself has nothing to show; a cancelled choice changes nothing.
    chosen = Package("IronTide.qsx");
    Action("CompareWithMod1")->trigger();
    EXPECT_EQ(report->Text(), "No differences.\r\n");
    chosen.clear();
    Action("CompareWithMod1")->trigger();
    EXPECT_EQ(report->Text(), "No differences.\r\n");
}

}  // namespace
