// Restore from mod (Ctrl+M) and from retail (Ctrl+R) in the main window: the shown unit's
// boxes and its row follow at once.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/MainWindowFixture.h"

namespace {

constexpr int kRowMaxHitPoints = 50;

class RestoreCommands : public MainWindow {
  protected:
    void SetUp() override {
        MainWindow::SetUp();
        OpenIronTideInFront();
    }
    // The first unit of the view the mod supplies with its hit points changed, or that it
    // adds to the game.
    int ModUnit(bool withRetail) {
        const QSObjectList& view = project.Catalogue().ViewList();
        for (uint32_t i = 0; i < view.Count(); ++i) {
            const QSObjectData* retail =
                project.Catalogue().FindRetailCounterpart(view[i]->UniqueName().c_str());
            if (view[i]->changeState != kSuppliedByMod || (retail != nullptr) != withRetail)
                continue;
            if (!retail || retail->Value(kRowMaxHitPoints) != view[i]->Value(kRowMaxHitPoints))
                return static_cast<int>(i);
        }
        return -1;
    }
    void Key(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier); }
};

TEST_F(RestoreCommands, CtrlMAndCtrlRRestoreTheShownUnit) {
    const int unit = ModUnit(true);
    ASSERT_GE(unit, 0);
    ClickRow(List(), unit);
    const QSObjectData* record = Shown();
    const std::string loaded(record->Value(kRowMaxHitPoints));
    const QSObjectData* original =
        project.Catalogue().FindRetailCounterpart(record->UniqueName().c_str());
    const std::string retail(original->Value(kRowMaxHitPoints));

    auto* hp = Control<QLineEdit>("max_hit_points");
    hp->setFocus();
    hp->selectAll();
    QTest::keyClicks(hp, "4321");
    ASSERT_EQ(record->changeState, kChangedInSession);
    Key(Qt::Key_M);
    EXPECT_EQ(project.Changes().Count(), 0u);
    EXPECT_EQ(hp->text().toStdString(), loaded);
    EXPECT_EQ(record->changeState, kSuppliedByMod);

    Key(Qt::Key_R);
    EXPECT_EQ(hp->text().toStdString(), retail);
    EXPECT_EQ(record->changeState, kUnchanged);
    EXPECT_EQ(Text("proper_name"), original->ProperName());
}

TEST_F(RestoreCommands, CtrlRLeavesAUnitTheModAddedAlone) {
    const int added = ModUnit(false);
    ASSERT_GE(added, 0);
    ClickRow(List(), added);
    const std::string hp = Text("max_hit_points");
    Key(Qt::Key_R);
    EXPECT_EQ(Shown()->changeState, kSuppliedByMod);
    EXPECT_EQ(Text("max_hit_points"), hp);
}

}  // namespace
