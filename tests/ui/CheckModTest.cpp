// Check Mod in the main window: the findings listed in their window, a double click showing the
// object, and a save that asks before it writes what the check calls an error.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QTreeWidget>

#include "ui/CheckReport.h"
#include "ui/MainWindowFixture.h"

namespace {

using ::testing::HasSubstr;

class CheckMod : public MainWindow {
  protected:
    void SetUp() override {
        MainWindow::SetUp();
        // Saves go to a copy of the suite's installation.
        std::filesystem::copy(install, own.path() / "game", std::filesystem::copy_options::recursive);
        install = (own.path() / "game").string();
        project.SetInstallationPaths(install, install);
        OpenIronTide();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // Types a value the game cannot take into the hit points of the unit at row.
    void PlantError(int row) {
        ClickRow(List(), row);
        auto* hp = Control<QLineEdit>("max_hit_points");
        hp->setFocus();
        hp->selectAll();
        QTest::keyClicks(hp, "40000");
    }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        QTreeWidget* tree = form->CheckWindow()->Rows();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            std::string row;
            for (int c = 0; c < tree->columnCount(); ++c)
                row += (c ? "|" : "") + tree->topLevelItem(i)->text(c).toStdString();
            rows.push_back(row);
        }
        return rows;
    }
    TempDir own;
};

TEST_F(CheckMod, ListsFindingsAndShowsTheirObject) {
    Action("CheckMod1")->trigger();
    ASSERT_NE(form->CheckWindow(), nullptr);
    EXPECT_TRUE(form->CheckWindow()->isVisible());
    EXPECT_TRUE(Rows().empty()) << (Rows().empty() ? "" : Rows()[0]);
    EXPECT_EQ(form->CheckWindow()->Summary()->text(), "No problems found.");

    PlantError(3);
    const std::string unit = Shown()->UniqueName();
    ClickRow(List(), 0);
    Control<QLineEdit>("version")->setText("1.x");
    Action("CheckMod1")->trigger();
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_THAT(rows[0], HasSubstr("error|(mod)|Version|1.x|"));
    EXPECT_THAT(rows[1], HasSubstr("error|" + unit + "|ObjectData/MaxHitPoints|40000|"));
    EXPECT_THAT(form->CheckWindow()->Summary()->text().toStdString(), HasSubstr("2 error(s), 0 warning(s)"));

    form->CheckWindow()->RowActivated(1);
    EXPECT_EQ(form->CurrentIndex(), 3);
    EXPECT_EQ(form->focusWidget(), Control("max_hit_points"));
    form->CheckWindow()->RowActivated(0);
    EXPECT_EQ(form->focusWidget(), Control("version"));
}

// The question comes only with errors; Go Back writes nothing and shows the findings, Save
// Anyway saves.
TEST_F(CheckMod, SaveAsksOnlyWhenTheCheckFindsErrors) {
    const std::string package = (std::filesystem::path(install) / "IronTide.qsx").string();
    const std::string before = ReadFile(package);
    PlantError(2);
    questions.clear();
    saveWithErrors = false;
    form->save_mod_menu_itemClick();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_THAT(questions[0], HasSubstr("ObjectData/MaxHitPoints: "));
    EXPECT_THAT(questions[0], HasSubstr("Save anyway?"));
    EXPECT_FALSE(saver.isVisible());
    EXPECT_EQ(ReadFile(package), before);
    EXPECT_TRUE(form->CheckWindow()->isVisible());

    questions.clear();
    saveWithErrors = true;
    form->save_mod_menu_itemClick();
    ASSERT_EQ(questions.size(), 2u);  // then the overwrite question
    EXPECT_THAT(questions[1], HasSubstr("overwrite"));
    EXPECT_TRUE(saver.isVisible());
    EXPECT_NE(ReadFile(package), before);
}

}  // namespace
