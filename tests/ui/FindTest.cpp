// Find, Find Next and Next Changed over IronTide's views, driven as a person would: the find
// window's box typed into, the menu's F3 and F4.
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "ui/MainWindowFixture.h"
#include "ui/FindWindow.h"

namespace {

// The rows of the view list whose unique or proper name holds text, whatever its case: worked
// out here with Qt's own comparison rather than with the window's search.
std::vector<int> RowsHolding(const QSObjectList& list, const QString& text) {
    std::vector<int> rows;
    for (uint32_t i = 0; i < list.Count(); ++i) {
        if (QString::fromStdString(list[i]->UniqueName()).contains(text, Qt::CaseInsensitive) ||
            QString::fromStdString(list[i]->ProperName()).contains(text, Qt::CaseInsensitive))
            rows.push_back(static_cast<int>(i));
    }
    return rows;
}

class Finding : public MainWindow {
  protected:
    FindWindow* OpenFind() {
        Action("Find1")->trigger();
        FindWindow* find = form->FindBox();
        EXPECT_NE(find, nullptr);
        EXPECT_TRUE(find->isVisible());
        return find;
    }
    void Type(FindWindow* find, const QString& text) {
        auto* box = find->findChild<QLineEdit*>("find_text");
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    QString Status(FindWindow* find) { return find->findChild<QLabel*>("find_status")->text(); }
    const QSObjectList& View() { return project.Catalogue().ViewList(); }
};

TEST_F(Finding, MenuItemsFollowTheEditMenuWithTheirKeys) {
    EXPECT_FALSE(Action("Find1")->isEnabled());
    QMenu* edit = form->menuBar()->findChild<QMenu*>("Edit1");
    ASSERT_NE(edit, nullptr);
    std::vector<std::string> names;
    for (QAction* a : edit->actions()) names.push_back(a->objectName().toStdString());
    const std::vector<std::string> expected = {"Restorefrommod1", "Restorefromretail1", "N5",
                                               "CheckMod1", "N6", "Find1", "FindNext1",
                                               "NextChanged1"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Action("Find1")->shortcut(), QKeySequence("Ctrl+F"));
    EXPECT_EQ(Action("FindNext1")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(Action("NextChanged1")->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_EQ(Action("Restorefrommod1")->shortcut(), QKeySequence("Ctrl+M"));
    OpenIronTide();
    for (const char* name : {"Find1", "FindNext1", "NextChanged1"})
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
}

// Typing shows the first match of the view in either name and any case; F3 walks the rest in
// list order and goes round to the top. The list itself is never filtered.
TEST_F(Finding, TypingShowsTheFirstMatchAndFindNextGoesRound) {
    OpenIronTide();
    FindWindow* find = OpenFind();
    const int rows = List()->count();
    // "_kn" is only in unique names, " kn" only in proper names; "OSSK" in both, in capitals.
    for (const QString& text : {QString("_kn"), QString(" kn"), QString("OSSK"), QString("hIvE")}) {
        SCOPED_TRACE(text.toStdString());
        const std::vector<int> expected = RowsHolding(View(), text);
        ASSERT_GE(expected.size(), 1u);
        Type(find, text);
        EXPECT_EQ(form->CurrentIndex(), expected.front());
        EXPECT_EQ(List()->currentRow(), expected.front());
        EXPECT_EQ(Text("unique_name"), View()[static_cast<uint32_t>(expected.front())]->UniqueName());
        EXPECT_EQ(List()->count(), rows);
        std::vector<int> visited{form->CurrentIndex()};
        for (size_t i = 1; i < expected.size(); ++i) {
            Action("FindNext1")->trigger();
            visited.push_back(form->CurrentIndex());
        }
        EXPECT_EQ(visited, expected);
        Action("FindNext1")->trigger();
        EXPECT_EQ(form->CurrentIndex(), expected.front());
        EXPECT_EQ(Status(find).toStdString(),
                  expected.size() > 1 ? "Went on from the top." : "No other match.");
    }
    // Find Next from an object after the last match starts again at the top.
    const std::vector<int> ossk = RowsHolding(View(), "ossk");
    Type(find, "ossk");
    ClickRow(List(), ossk.back() + 1 < rows ? ossk.back() + 1 : 0);
    Action("FindNext1")->trigger();
    EXPECT_EQ(form->CurrentIndex(), ossk.front());

    // A letter more that no name holds leaves the last match shown and says so.
    Type(find, "ossk");
    Type(find, "osskq");
    EXPECT_EQ(form->CurrentIndex(), ossk.front());
    EXPECT_EQ(Status(find).toStdString(), "No name contains \"osskq\".");
    EXPECT_EQ(List()->count(), rows);
}

// With "All views" the search goes on into the next view that holds a match, and on round to
// the view it started in; without it, it stays in the view.
TEST_F(Finding, AllViewsGoesOnIntoTheNextViewWithAMatch) {
    OpenIronTide();
    FindWindow* find = OpenFind();
    // A hero's name: no unit holds it.
    Action("Heroes1")->trigger();
    const QString hero = QString::fromStdString(View()[0]->ProperName()).section(' ', 0, 0);
    Action("Units1")->trigger();
    ASSERT_TRUE(RowsHolding(View(), hero).empty()) << hero.toStdString();
    Type(find, hero);
    EXPECT_EQ(form->CurrentView(), kViewUnits);
    EXPECT_EQ(Status(find).toStdString(), "No name contains \"" + hero.toStdString() + "\".");

    find->findChild<QCheckBox*>("find_all_views")->setChecked(true);
    Action("FindNext1")->trigger();
    EXPECT_EQ(form->CurrentView(), kViewHeroes);
    EXPECT_TRUE(Action("Heroes1")->isChecked());
    const std::vector<int> heroes = RowsHolding(View(), hero);
    EXPECT_EQ(form->CurrentIndex(), heroes.front());
    EXPECT_EQ(Status(find).toStdString(), "Went on to Heroes.");

    // A text in units and heroes: from the last hero match, on past Buildings, Global Data
    // and Components back to the first unit that holds it.
    Type(find, "vane");
    const std::vector<int> heroRows = RowsHolding(View(), "vane");
    ASSERT_FALSE(heroRows.empty());
    for (size_t i = 1; i < heroRows.size(); ++i) Action("FindNext1")->trigger();
    EXPECT_EQ(form->CurrentIndex(), heroRows.back());
    Action("FindNext1")->trigger();
    EXPECT_EQ(form->CurrentView(), kViewUnits);
    EXPECT_EQ(form->CurrentIndex(), RowsHolding(View(), "vane").front());
}

// F4 visits every object changed in this session or supplied by the mod, in list order, and
// goes round; it works without the find window, and a new edit joins the round.
TEST_F(Finding, NextChangedVisitsChangedAndModObjects) {
    OpenIronTide();
    auto marked = [this] {
        std::vector<int> rows;
        for (uint32_t i = 0; i < View().Count(); ++i)
            if (View()[i]->changeState != kUnchanged) rows.push_back(static_cast<int>(i));
        return rows;
    };
    // Change an object of the game, between the mod's objects if possible.
    std::vector<int> expected = marked();
    ASSERT_FALSE(expected.empty());
    int plain = 0;
    while (plain < List()->count() && View()[static_cast<uint32_t>(plain)]->changeState != kUnchanged)
        ++plain;
    ClickRow(List(), plain);
    auto* defense = Control<QLineEdit>("defense");
    defense->setFocus();
    defense->selectAll();
    QTest::keyClicks(defense, "29");
    ASSERT_EQ(Shown()->changeState, kChangedInSession);
    expected = marked();
    ASSERT_GE(expected.size(), 2u);

    ClickRow(List(), List()->count() - 1);
    std::vector<int> visited;
    for (size_t i = 0; i < expected.size(); ++i) {
        Action("NextChanged1")->trigger();
        visited.push_back(form->CurrentIndex());
    }
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(form->FindBox(), nullptr) << "F4 needs no find window";
    Action("NextChanged1")->trigger();
    EXPECT_EQ(form->CurrentIndex(), expected.front());
}

}  // namespace
