// The marks that tell changes apart without their colours, read from rendered pixels: the
// object list's rows, the check lists' items and the field boxes, each state on white and on
// the selection, and the editing area on a dark desktop palette.
#include <QApplication>
#include <QPlainTextEdit>

#include "core/HashName.h"
#include "ui/ChangeMarks.h"
#include "ui/CheckList.h"
#include "ui/MainWindowFixture.h"

namespace {

// What a mark's square shows against the background around it.
struct Seen {
    bool any = false;          // any pixel clearly off the background
    bool topRight = false;     // the square's top-right corner pixel
    bool bottomLeft = false;   // its bottom-left corner pixel
    bool centre = false;
    bool red = false;          // some pixel clearly red
    bool green = false;        // some pixel clearly green
};

bool Ink(const QColor& c, const QColor& background) {
    return std::max({std::abs(c.red() - background.red()), std::abs(c.green() - background.green()),
                     std::abs(c.blue() - background.blue())}) > 60;
}

Seen Look(const QImage& image, const QRect& square) {
    // Left of the square lies the row's or box's own background.
    const QColor background = image.pixelColor(square.left() - 1, square.top());
    Seen seen;
    for (int y = square.top(); y <= square.bottom(); ++y) {
        for (int x = square.left(); x <= square.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (!Ink(c, background)) continue;
            seen.any = true;
            seen.red |= c.red() > c.green() + 80 && c.red() > c.blue() + 80;
            seen.green |= c.green() > c.red() + 50 && c.green() > c.blue() + 50;
        }
    }
    seen.topRight = Ink(image.pixelColor(square.topRight()), background);
    seen.bottomLeft = Ink(image.pixelColor(square.bottomLeft()), background);
    seen.centre = Ink(image.pixelColor(square.center()), background);
    return seen;
}

// The shape each mark must have: a triangle in the corner, a dot in the middle, nothing.
void ExpectMark(const Seen& seen, ChangeMark mark, const std::string& where) {
    SCOPED_TRACE(where);
    switch (mark) {
        case ChangeMark::None:
            EXPECT_FALSE(seen.any);
            break;
        case ChangeMark::Session:
            EXPECT_TRUE(seen.topRight && !seen.bottomLeft && seen.red && !seen.green);
            break;
        case ChangeMark::Mod:
            EXPECT_TRUE(seen.centre && !seen.topRight && !seen.bottomLeft && seen.green &&
                        !seen.red);
            break;
    }
}

class Marks : public MainWindow {
  protected:
    void SetUp() override {
        MainWindow::SetUp();
        OpenIronTideInFront();
    }
    const QSObjectList& View() { return project.Catalogue().ViewList(); }
    int FirstRowIn(uint8_t state) {
        for (uint32_t i = 0; i < View().Count(); ++i)
            if (View()[i]->changeState == state) return static_cast<int>(i);
        return -1;
    }
    // Types a new value into a box of the shown object: a change of this session.
    void Retype(const char* control, const char* text) {
        auto* box = Control<QLineEdit>(control);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    Seen LookAtRow(int row) {
        List()->scrollToItem(List()->item(row));
        const QImage image = List()->viewport()->grab().toImage();
        return Look(image, RowMarkSquare(List()->visualItemRect(List()->item(row)), 2));
    }
    // Looks in the square the expected mark takes; for none, in the larger of the two.
    void ExpectBoxMark(QWidget* box, ChangeMark mark, const std::string& where) {
        const QRect square =
            BoxMarkSquare(box, mark == ChangeMark::Mod ? mark : ChangeMark::Session);
        ExpectMark(Look(box->grab().toImage(), square), mark, where);
    }
};

// Each row state with and without the selection: no mark, the mod's dot, the session's
// triangle; the row texts stay the names.
TEST_F(Marks, ObjectRowsCarryTheirStateMarkOnAndOffTheSelection) {
    const int plain = FirstRowIn(kUnchanged);
    const int mod = FirstRowIn(kSuppliedByMod);
    ASSERT_GE(plain, 0);
    ASSERT_GE(mod, 0);
    int session = plain + 1;
    while (View()[static_cast<uint32_t>(session)]->changeState != kUnchanged) ++session;
    ClickRow(List(), session);
    Retype("defense", "31");
    ASSERT_EQ(View()[static_cast<uint32_t>(session)]->changeState, kChangedInSession);

    const std::vector<std::pair<int, ChangeMark>> rows = {
        {plain, ChangeMark::None}, {mod, ChangeMark::Mod}, {session, ChangeMark::Session}};
    for (const auto& [selected, ignored] : rows) {
        ClickRow(List(), selected);
        for (const auto& [row, mark] : rows) {
            ExpectMark(LookAtRow(row), mark,
                       "row " + std::to_string(row) + (row == selected ? ", selected" : ""));
            EXPECT_EQ(List()->item(row)->text().toStdString(),
                      View()[static_cast<uint32_t>(row)]->ProperName());
        }
    }
    EXPECT_NE(List()->toolTip().indexOf("triangle"), -1);
    EXPECT_NE(List()->toolTip().indexOf("dot"), -1);
}

// Boxes of the mod's values carry the dot, the game's none, and a typed box, a chosen list
// item and an edited memo the triangle; Ctrl+Z takes the triangle away again.
TEST_F(Marks, FieldBoxesCarryTheMarkOfTheirColour) {
    ClickRow(List(), FirstRowIn(kSuppliedByMod));
    const QSObjectData* shown = Shown();
    const QSObjectData* retail =
        project.Catalogue().FindRetailCounterpart(shown->UniqueName().c_str());
    int modBoxes = 0, plainBoxes = 0;
    for (const FieldDef& f : kFieldTable) {
        if (!(f.kinds & kKindUnits) || f.level || f.labelHidden) continue;
        if (f.controlKind != ControlKind::Edit) continue;
        auto* box = Control<QLineEdit>(f.control);
        if (!box->isVisible()) continue;
        const bool differs = !retail || !SameName(retail->Value(f), shown->Value(f));
        ExpectBoxMark(box, differs ? ChangeMark::Mod : ChangeMark::None, f.control);
        ++(differs ? modBoxes : plainBoxes);
        EXPECT_EQ(box->text().toStdString(), shown->Value(f)) << f.control;
    }
    EXPECT_GT(modBoxes, 0);
    EXPECT_GT(plainBoxes, 0);

    Retype("iron_upkeep", "7");
    ExpectBoxMark(Control("iron_upkeep"), ChangeMark::Session, "typed box");
    EXPECT_EQ(Text("iron_upkeep"), "7");
    auto* type = Control<QComboBox>("attack_1_damage_type");
    type->setFocus();
    QTest::keyClick(type, type->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
    ExpectBoxMark(type, ChangeMark::Session, "chosen item");
    auto* memo = Control<QPlainTextEdit>("description");
    ExpectBoxMark(memo, ChangeMark::None, "memo");
    memo->setFocus();
    QTest::keyClicks(memo, "!");
    ExpectBoxMark(memo, ChangeMark::Session, "edited memo");
    QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
    ExpectBoxMark(memo, ChangeMark::None, "memo taken back");
}

// On a dark desktop palette the editing area keeps white boxes and lists with black names,
// so the change colours and marks stay legible.
class DarkDesktop : public Marks {
  protected:
    void SetUp() override {
        saved_ = QApplication::palette();
        QPalette dark(QColor(53, 53, 53), QColor(25, 25, 25));
        dark.setColor(QPalette::Base, QColor(25, 25, 25));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
        Marks::SetUp();
    }
    void TearDown() override {
        Marks::TearDown();
        QApplication::setPalette(saved_);
    }
    QPalette saved_;
};

TEST_F(DarkDesktop, TheEditingAreaStaysLight) {
    const int plain = FirstRowIn(kUnchanged);
    const int mod = FirstRowIn(kSuppliedByMod);
    ClickRow(List(), mod);
    List()->scrollToItem(List()->item(plain));
    const QImage image = List()->viewport()->grab().toImage();
    const QRect row = List()->visualItemRect(List()->item(plain));
    EXPECT_GT(image.pixelColor(row.left() + 1, row.top()).lightness(), 200);
    int darkInk = 0;
    for (int x = row.left(); x < std::min(row.right(), image.width()); ++x)
        for (int y = row.top(); y < row.bottom(); ++y)
            darkInk += image.pixelColor(x, y).lightness() < 90;
    EXPECT_GT(darkInk, 10) << "an unchanged name is drawn dark on white";
    ExpectMark(LookAtRow(mod), ChangeMark::Mod, "mod row, selected");
    auto* box = Control<QLineEdit>("defense");
    EXPECT_GT(box->grab().toImage().pixelColor(box->width() / 2, 3).lightness(), 200);
}

// The check lists (bonuses, components) mark their items as the object list marks its rows.
TEST(CheckListMarks, ItemsCarryTheMarkOfTheirColour) {
    CheckList list(nullptr);
    list.resize(220, 120);
    list.SetItems({"Ambush", "Berserk", "Flying"});
    list.SetColorOf([](int item, bool, bool) {
        return item == 0 ? kColorUnchanged : item == 1 ? kColorMod : kColorSession;
    });
    list.show();
    const std::vector<ChangeMark> marks = {ChangeMark::None, ChangeMark::Mod, ChangeMark::Session};
    for (int selected = 0; selected < 3; ++selected) {
        list.setCurrentRow(selected);
        const QImage image = list.viewport()->grab().toImage();
        for (int item = 0; item < 3; ++item) {
            const QRect rect = list.visualItemRect(list.item(item));
            ExpectMark(Look(image, RowMarkSquare(rect, rect.height() - 2 + 2)), marks[item],
                       "item " + std::to_string(item) + (item == selected ? ", selected" : ""));
        }
    }
}

}  // namespace
