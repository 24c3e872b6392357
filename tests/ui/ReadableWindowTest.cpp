// The main window read as a new user reads it, over a full-size sample installation: in every
// view, at every hero level, with the sound panel and with a spell caster, every caption shows
// whole, every box and list is wide enough for the values of every object of the view, and
// the controls stand apart, inside the window and inside their frames.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionViewItem>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "WindowChecks.h"
#include "core/QSError.h"
#include "objects/BonusModifiers.h"
#include "tools/sample-game/SampleGame.h"
#include "ui/ChangeMarks.h"
#include "ui/CheckList.h"
#include "ui/Placement.h"
#include "ui/TForm1.h"
#include "ui/TForm3.h"

namespace {

// The largest sample installation, written once for the suite.
class MaxSampleInstall : public ::testing::Environment {
  public:
    void SetUp() override {
        dir = std::make_unique<TempDir>();
        const ToolRun run = RunSampleGame(
            {"--edition", "dsc", "--scale", "max", "--out", dir->path().string(), "--mods"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    void TearDown() override { dir.reset(); }
    static inline std::unique_ptr<TempDir> dir;
};
const auto* const kMaxInstall = ::testing::AddGlobalTestEnvironment(new MaxSampleInstall);

// What decides which controls are shown.
struct WindowState {
    int view;
    int heroLevel;
    bool sound;
    bool cast;
};

std::string Describe(const WindowState& s) {
    static const char* const kViews[] = {"Units", "Heroes", "Buildings", "Global Stats",
                                         "Components"};
    static const char* const kLevels[] = {"Awakened", "Enlightened", "Restored", "Ascended"};
    std::string text = kViews[s.view];
    if (s.view == kViewHeroes) text += std::string(" at level ") + kLevels[s.heroLevel];
    if (s.view == kViewUnits || s.view == kViewHeroes)
        text += s.sound ? ", sound panel" : (s.cast ? ", a caster" : ", no caster");
    return text;
}

// Every state: the Units view and each hero level with and without a spell caster and with
// the sound panel, and the other views.
std::vector<WindowState> EveryState() {
    std::vector<WindowState> states;
    for (int level = -1; level < 4; ++level) {
        const int view = level < 0 ? kViewUnits : kViewHeroes;
        for (const auto& [sound, cast] : {std::pair{false, false}, {false, true}, {true, false}})
            states.push_back({view, std::max(level, 0), sound, cast});
    }
    for (int view : {kViewBuildings, kViewGlobal, kViewComponents})
        states.push_back({view, 0, false, false});
    return states;
}

int Ceil(qreal x) {
    return static_cast<int>(std::ceil(x - 1e-6));
}

// The width a text takes in a widget's font.
int TextWidth(const QWidget* w, const QString& text) {
    return Ceil(QFontMetricsF(w->font()).horizontalAdvance(text));
}

// The room for text inside a line edit: its contents, less the frame the style draws, the
// text margins, the edit's own margin of two pixels a side, and the cursor's pixel.
int LineEditRoom(const QLineEdit* edit) {
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.rect = edit->contentsRect();
    opt.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    opt.state |= QStyle::State_Sunken;
    const QRect r = edit->style()
                        ->subElementRect(QStyle::SE_LineEditContents, &opt, edit)
                        .marginsRemoved(edit->textMargins());
    return r.width() - 2 * 2 - 1;
}

// The room for the current item of a drop-down list: its edit field, less the margins of the
// item drawn there (a pixel a side) or of the line edit put there for typing.
int ComboRoom(const QComboBox* box) {
    QStyleOptionComboBox opt;
    opt.initFrom(box);
    opt.editable = box->isEditable();
    opt.frame = box->hasFrame();
    const QRect field =
        box->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, box);
    return box->isEditable() ? field.width() - 2 * 2 - 1 : field.width() - 2;
}

int LabelRoom(const QLabel* label) {
    return label->contentsRect().width() - 2 * label->margin();
}

int ButtonRoom(const QPushButton* button) {
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button).width();
}

// The room for an item of a list: its viewport, less a vertical scroll bar when the rows need
// one.
int ListRoom(const QListWidget* list) {
    const QSize viewport = list->maximumViewportSize();
    const bool scrolls = list->count() * list->sizeHintForRow(0) > viewport.height();
    return viewport.width() -
           (scrolls ? list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) : 0);
}

// The texts each control shows for some object of a view, by control name.
using TextsByControl = std::map<std::string, std::set<std::string>>;

class ReadableWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLog(log.path() / "Brix_log.txt"));
        const std::string install = MaxSampleInstall::dir->path().string();
        project.SetInstallationPaths(install, install);
        form = std::make_unique<TForm1>(project);
        form->SetSecondaryWindows(&loading, nullptr);
        form->SetInstalledEditions({true, false});
        form->SetPackageChooser(
            [install](const std::string&) { return install + "/IronTide.qsx"; });
        form->show();
        form->Action("load_mod_menu_item")->trigger();
        ASSERT_TRUE(project.ProjectOpen());
    }
    void TearDown() override {
        form.reset();
        project.Close();
        DisableLog();
    }

    QWidget* Client() { return form->centralWidget(); }
    QListWidget* List() { return form->findChild<QListWidget*>("UnitListBox"); }

    // Brings the window into a state: the view, the hero level, the sound panel mode, and an
    // object of the view whose second attack is a spell or one whose is not.
    void Enter(const WindowState& s) {
        form->SelectView(s.view);
        if (s.view == kViewHeroes) form->SetHeroLevel(s.heroLevel);
        if (form->SoundPanelMode() != s.sound) form->audio_data_toggleClick();
        if (s.view == kViewUnits || s.view == kViewHeroes) {
            const int row = FirstObject(s.cast);
            ASSERT_GE(row, 0) << Describe(s) << ": the sample has no such object";
            List()->scrollToItem(List()->item(row));
            const QRect r = List()->visualItemRect(List()->item(row));
            QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, r.center());
            ASSERT_EQ(form->CurrentIndex(), row);
        }
        QApplication::processEvents();
    }

    int FirstObject(bool cast) {
        const int count = static_cast<int>(project.Catalogue().ViewList().Count());
        for (int i = 0; i < count; ++i) {
            if (project.Show(i, false).spellPanelShown == cast) return i;
        }
        return -1;
    }

    // Every text the controls of the current view show for some object of it, the bonus rows
    // under their controls' names too.
    TextsByControl ViewTexts() {
        TextsByControl texts;
        const int count = static_cast<int>(project.Catalogue().ViewList().Count());
        for (int i = 0; i < count; ++i) {
            const ShownObject shown = project.Show(i, false);
            texts["unique_name"].insert(shown.uniqueName);
            for (const ShownControl& c : shown.controls) texts[c.control].insert(c.text);
            for (const BonusPanel& panel : shown.bonuses) {
                for (const BonusRow& row : panel.rows) {
                    texts[row.nameControl].insert(row.name);
                    texts[row.valueControl].insert(row.value);
                }
            }
        }
        return texts;
    }

    // The visible controls; the bonus rows, hidden while empty, whenever their list is shown.
    std::vector<QWidget*> ShownControls() {
        std::set<QString> rows;
        for (int list = 0; list < kBonusPanelCount; ++list) {
            auto* box = Client()->findChild<QWidget*>(
                QString::fromStdString(BonusCheckboxName(list)), Qt::FindDirectChildrenOnly);
            if (!box || !box->isVisible()) continue;
            for (int row = 1; row <= kBonusRows; ++row) {
                rows.insert(QString::fromStdString(BonusRowName(list, row)));
                rows.insert(QString::fromStdString(BonusValueName(list, row)));
            }
        }
        std::vector<QWidget*> shown;
        for (QWidget* w : Client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisible() || rows.count(w->objectName())) shown.push_back(w);
        }
        return shown;
    }

    // The widest of a control's texts in the view and a list's items, measured once a view.
    std::pair<QString, int> ViewWidest(const QWidget* w, const TextsByControl& texts) {
        auto [known, added] = viewWidest_.try_emplace(w, QString(), 0);
        if (!added) return known->second;
        auto consider = [&](const QString& t) {
            const int width = TextWidth(w, t);
            if (width > known->second.second) known->second = {t, width};
        };
        if (auto it = texts.find(w->objectName().toStdString()); it != texts.end()) {
            for (const std::string& t : it->second) consider(QString::fromStdString(t));
        }
        if (auto* box = qobject_cast<const QComboBox*>(w)) {
            for (int i = 0; i < box->count(); ++i) consider(box->itemText(i));
        }
        return known->second;
    }

    // Each shown widget shows the widest of its texts whole; a failure names the state, the
    // widget and the text.
    void ExpectTextsFit(const WindowState& s, const TextsByControl& texts) {
        for (QWidget* w : ShownControls()) {
            const std::string name = w->objectName().toStdString();
            QString own;  // what it shows now
            int room = -1;
            if (auto* label = qobject_cast<QLabel*>(w)) {
                if (!label->pixmap().isNull()) continue;
                own = label->text();
                room = LabelRoom(label);
                EXPECT_LE(label->fontMetrics().height(), label->contentsRect().height())
                    << Describe(s) << ": the label " << name << " cuts its text's height";
            } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                if (edit->echoMode() != QLineEdit::Normal) continue;
                own = edit->text();
                room = LineEditRoom(edit);
            } else if (auto* box = qobject_cast<QComboBox*>(w)) {
                own = box->currentText();
                room = ComboRoom(box);
            } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                own = button->text();
                room = ButtonRoom(button);
            } else if (auto* list = qobject_cast<QListWidget*>(w)) {
                // The object list scrolls sideways by design.
                if (list != List()) ExpectItemsFit(s, list);
                continue;
            } else {
                continue;
            }
            auto [widest, need] = ViewWidest(w, texts);
            if (TextWidth(w, own) > need) {
                need = TextWidth(w, own);
                widest = own;
            }
            EXPECT_LE(need, room) << Describe(s) << ": " << name << " has room for " << room
                                  << " px of text, \"" << widest.toStdString() << "\" takes "
                                  << need << " px";
        }
    }

    // A list's items show whole (beside their check boxes in a check list). The check lists
    // scroll; the hero levels are all in sight.
    void ExpectItemsFit(const WindowState& s, QListWidget* list) {
        const std::string name = list->objectName().toStdString();
        QString widest;
        for (int i = 0; i < list->count(); ++i) {
            if (TextWidth(list, list->item(i)->text()) > TextWidth(list, widest))
                widest = list->item(i)->text();
        }
        EXPECT_LE(list->sizeHintForColumn(0), ListRoom(list))
            << Describe(s) << ": the list " << name << " has room for " << ListRoom(list)
            << " px of item, \"" << widest.toStdString() << "\" takes "
            << list->sizeHintForColumn(0) << " px";
        if (!qobject_cast<CheckList*>(list)) {
            EXPECT_LE(list->count() * list->sizeHintForRow(0), list->maximumViewportSize().height())
                << Describe(s) << ": the list " << name << " hides some of its items";
        }
    }

    // Shown controls lie inside the window and apart; the frames lie apart, and a control
    // that meets a frame lies inside it; a field's control lies in the field's own frame.
    void ExpectControlsApart(const WindowState& s) {
        std::vector<QWidget*> frames, controls;
        for (QWidget* w : ShownControls()) {
            const bool bevel =
                qobject_cast<QFrame*>(w) && w->metaObject() == &QFrame::staticMetaObject;
            (bevel ? frames : controls).push_back(w);
        }
        const QRect client = Client()->rect();
        auto name = [](const QWidget* w) { return w->objectName().toStdString(); };
        for (QWidget* w : frames) {
            EXPECT_TRUE(client.contains(w->geometry()))
                << Describe(s) << ": " << name(w) << " leaves the window";
        }
        for (size_t i = 0; i < frames.size(); ++i) {
            for (size_t j = i + 1; j < frames.size(); ++j) {
                EXPECT_FALSE(frames[i]->geometry().intersects(frames[j]->geometry()))
                    << Describe(s) << ": " << name(frames[i]) << " overlaps " << name(frames[j]);
            }
        }
        for (size_t i = 0; i < controls.size(); ++i) {
            const QRect r = controls[i]->geometry();
            EXPECT_TRUE(client.contains(r))
                << Describe(s) << ": " << name(controls[i]) << " leaves the window";
            for (size_t j = i + 1; j < controls.size(); ++j) {
                EXPECT_FALSE(r.intersects(controls[j]->geometry()))
                    << Describe(s) << ": " << name(controls[i]) << " overlaps "
                    << name(controls[j]);
            }
            for (QWidget* f : frames) {
                if (r.intersects(f->geometry())) {
                    EXPECT_TRUE(f->geometry().contains(r))
                        << Describe(s) << ": " << name(controls[i]) << " sticks out of " << name(f);
                }
            }
            const FieldPlace* place = FieldPlaceOf(name(controls[i]));
            if (place && place->frame) {
                // A frame without a caption draws no bevel, but has its place all the same.
                const auto* frame =
                    Client()->findChild<QWidget*>(place->frame, Qt::FindDirectChildrenOnly);
                ASSERT_NE(frame, nullptr) << place->frame;
                EXPECT_TRUE(frame->geometry().contains(r))
                    << Describe(s) << ": " << name(controls[i]) << " lies outside " << place->frame;
            }
        }
    }

    TempDir log;
    ModProject project;
    TForm3 loading;
    std::unique_ptr<TForm1> form;
    std::map<const QWidget*, std::pair<QString, int>> viewWidest_;
};

// One walk through the states for both checks: opening the largest sample is the slow part.
TEST_F(ReadableWindow, EveryStateShowsWholeTextsInControlsThatStandApart) {
    int textsView = -1;
    TextsByControl texts;
    for (const WindowState& s : EveryState()) {
        Enter(s);
        if (s.view != textsView) {
            texts = ViewTexts();
            textsView = s.view;
            viewWidest_.clear();
        }
        ExpectTextsFit(s, texts);
        ExpectControlsApart(s);
        EXPECT_EQ(List()->geometry(), QRect(256, 27, 176, 537));
        const QString file =
            "readable_" +
            QString::fromStdString(Describe(s)).replace(QRegularExpression("[^A-Za-z]+"), "_") +
            ".png";
        // Lightly compressed: quick to write, and about as small.
        EXPECT_TRUE(form->grab().save(ScreenshotPath(file), "PNG", 80));
    }
}

}  // namespace

// The object list's rows are as wide as its widest name as drawn, measured exactly, in each
// view of a thousand objects: no name is cut, and no row is wider than it needs to be.
TEST_F(ReadableWindow, ObjectRowsAreAsWideAsTheWidestNameInEveryView) {
    for (int view : {kViewUnits, kViewHeroes, kViewBuildings}) {
        form->SelectView(view);
        QListWidget* list = List();
        ASSERT_GT(list->count(), 100) << "view " << view;
        const QFontMetrics metrics(list->font());
        int widest = 0;
        for (int row = 0; row < list->count(); ++row)
            widest = std::max(widest, metrics.horizontalAdvance(list->item(row)->text()));
        QStyleOptionViewItem option;
        option.initFrom(list);
        const QSize hint = list->itemDelegate()->sizeHint(option, list->model()->index(0, 0));
        EXPECT_EQ(hint.width() - ChangeMarkSize(hint.height()) - 3, widest + 6) << "view " << view;
    }
}
