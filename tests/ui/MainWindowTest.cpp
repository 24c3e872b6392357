// The main window over a sample installation, driven offscreen as a person would: menus,
// views, the object list and its colours, sorting, deletion, hero levels and the Cast rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "core/HashName.h"
#include "core/QSError.h"
#include "objects/SortOrders.h"
#include "tools/sample-game/SampleGame.h"
#include "ui/TForm1.h"
#include "ui/TForm3.h"
#include "ui/MainWindowFixture.h"
#include "WindowChecks.h"

namespace {

TEST_F(MainWindow, MenusAndCaptionBeforeAndAfterOpening) {
    EXPECT_EQ(form->windowTitle(), "Brix: The Dravik Mod Maker, Version 1.0.7.0");
    EXPECT_EQ(form->centralWidget()->size(), QSize(1019, 696));
    const struct {
        const char* item;
        const char* caption;
        const char* shortcut;
        bool before;
    } items[] = {
        {"new_dsc_mod_menu_item", "New DSC Mod", "", true},
        {"new_dat_mod_menu_item", "New DAT Mod", "", false},
        {"N2", "------------------------", "", true},
        {"load_mod_menu_item", "Load D&SC Mod", "", true},
        {"LoadDATMod1", "Load D&AT Mod", "", true},
        {"save_mod_menu_item", "&Save Mod", "Ctrl+S", false},
        {"SaveVersionHistory1", "Save &Version History", "", false},
        {"Restorefromretail1", "Restore from &retail", "Ctrl+R", false},
        {"Units1", "&Units", "Ctrl+U", false},
        {"GlobalStats1", "G&lobal Stats", "Ctrl+L", false},
        {"Components1", "&Components", "Ctrl+C", false},
        {"N3", "----------------------------", "", true},
        {"ShowVersionHistory1", "Show &Version History", "Ctrl+V", false},
        {"ByMorale1", "By Mora&le", "", false},
        {"VersionInfo1", "About &Brix", "", true},
        {"OnlineDocs1", "Brix &FAQ", "", true},
    };
    for (const auto& i : items) {
        QAction* a = Action(i.item);
        ASSERT_NE(a, nullptr) << i.item;
        EXPECT_EQ(a->text(), i.caption) << i.item;
        EXPECT_EQ(a->shortcut().toString(), i.shortcut) << i.item;
        EXPECT_EQ(a->isEnabled(), i.before) << i.item;
    }
    EXPECT_TRUE(Action("Units1")->isChecked());
    EXPECT_TRUE(Action("ByProperName1")->isChecked());
    EXPECT_FALSE(List()->isVisible());

    OpenIronTide();
    for (const char* item : {"save_mod_menu_item", "Units1", "Components1", "ByMorale1", "ShowGlobalHistory1"})
        EXPECT_TRUE(Action(item)->isEnabled()) << item;
    EXPECT_TRUE(List()->isVisible());
    EXPECT_FALSE(loading.isVisible());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(Text("mod_name"), "IronTide");
    EXPECT_EQ(Text("two_character_identifier"), "IT");
    EXPECT_EQ(Text("unique_name"), Shown()->UniqueName());
    EXPECT_THAT(ReadFile(log.path() / "Brix_log.txt"),
                ::testing::HasSubstr("Brix: The Dravik Mod Maker, Version 1.0.7.0\n"));
}

TEST_F(MainWindow, NewModShowsTheGameVersionAndReopeningStartsAfresh) {
    OpenIronTide();
    const int units = List()->count();
    Action("new_dsc_mod_menu_item")->trigger();
    EXPECT_EQ(Text("version"), "0.0.0.0");
    EXPECT_EQ(Text("mod_name"), "");
    EXPECT_EQ(Text("two_character_identifier"), "");
    EXPECT_THAT(Text("dravik_version"), ::testing::StartsWith("DSC "));
    EXPECT_EQ(Text("brix_version"), "1.0.7.0");
    EXPECT_EQ(Control<QPlainTextEdit>("version_history")->toPlainText(), "");
    // The game alone: one unit fewer than with IronTide's own, and nothing twice.
    EXPECT_EQ(List()->count(), units - 1);
    auto* technology = Control<QComboBox>("technology");
    std::set<std::string> seen;
    for (int i = 0; i < technology->count(); ++i)
        EXPECT_TRUE(seen.insert(technology->itemText(i).toStdString()).second) << "twice in the list";
    // The progress bar of the Loading window was fed to the end.
    auto* bar = loading.findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(MainWindow, OnlyLeftReleasesAndArrowKeysPickAnObject) {
    OpenIronTide();
    ClickRow(List(), 4);
    ASSERT_EQ(form->CurrentIndex(), 4);
    // A right click and paging move nothing that is shown.
    const QRect r = List()->visualItemRect(List()->item(6));
    QTest::mouseClick(List()->viewport(), Qt::RightButton, {}, r.center());
    EXPECT_EQ(form->CurrentIndex(), 4);
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_PageDown);
    QTest::keyClick(List(), Qt::Key_End);
    EXPECT_EQ(form->CurrentIndex(), 4);
    // The arrow keys move the selection, and their release shows the selected row.
    List()->setCurrentRow(4);
    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(form->CurrentIndex(), 5);
    EXPECT_EQ(Text("unique_name"), Shown()->UniqueName());
    QTest::keyClick(List(), Qt::Key_Up);
    QTest::keyClick(List(), Qt::Key_Up);
    EXPECT_EQ(form->CurrentIndex(), 3);
}

TEST_F(MainWindow, TypingInTheModPanelMarksItAndKeepsTheIdentity) {
    OpenIronTide();
    auto* name = Control<QLineEdit>("mod_name");
    EXPECT_EQ(name->palette().color(QPalette::Text), QColor(Qt::black));
    name->setFocus();
    QTest::keyClicks(name, "X");
    EXPECT_EQ(project.Identity().modName, "IronTideX");
    EXPECT_EQ(name->palette().color(QPalette::Text), QColor(Qt::red));
    auto* code = Control<QLineEdit>("access_code");
    EXPECT_EQ(code->echoMode(), QLineEdit::Password);
    QTest::keyClicks(code, "ab12z");
    EXPECT_EQ(project.Identity().accessCode, "ab12");
    // The version is read from its box when saving: typing marks it but copies nothing.
    auto* version = Control<QLineEdit>("version");
    QTest::keyClicks(version, "9");
    EXPECT_EQ(version->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(project.Identity().savedVersion, "1.2");
}

TEST_F(MainWindow, HistoryChoiceShowsOneMemo) {
    OpenIronTide();
    EXPECT_TRUE(Control("version_history")->isVisible());
    EXPECT_FALSE(Control("global_history")->isVisible());
    Action("ShowGlobalHistory1")->trigger();
    EXPECT_TRUE(Action("ShowGlobalHistory1")->isChecked());
    EXPECT_FALSE(Action("ShowVersionHistory1")->isChecked());
    EXPECT_TRUE(Control("global_history")->isVisible());
    EXPECT_TRUE(Control("global_history_label")->isVisible());
    EXPECT_FALSE(Control("version_history")->isVisible());
    // The memo shows the text's lines (it keeps line ends as line feeds).
    EXPECT_EQ(Control<QPlainTextEdit>("global_history")->toPlainText(),
              QString::fromStdString(project.GlobalHistory()).replace("\r\n", "\n"));
    EXPECT_THAT(project.GlobalHistory(), ::testing::StartsWith("Mod name: IronTide\r\n"));
    // The choice holds when another mod is opened.
    OpenIronTide();
    EXPECT_TRUE(Control("global_history")->isVisible());
}

TEST_F(MainWindow, ListRowsAndFieldsTakeTheirChangeColours) {
    OpenIronTide();
    const QSObjectList& view = project.Catalogue().ViewList();
    ASSERT_EQ(List()->count(), static_cast<int>(view.Count()));
    int modRow = -1;
    for (int row = 0; row < List()->count(); ++row) {
        EXPECT_EQ(List()->item(row)->text().toStdString(), view[static_cast<uint32_t>(row)]->ProperName());
        if (view[static_cast<uint32_t>(row)]->changeState == kSuppliedByMod && modRow < 0) modRow = row;
    }
    ASSERT_GE(modRow, 0) << "IronTide supplies units";
    // Rows are drawn in the colour of their state: render the list and look at a row.
    List()->scrollToItem(List()->item(modRow));
    const QImage image = List()->viewport()->grab().toImage();
    const QRect r = List()->visualItemRect(List()->item(modRow));
    bool green = false;
    for (int x = r.left(); x < r.right() && !green; ++x) {
        for (int y = r.top(); y < r.bottom() && !green; ++y) {
            // Text is smoothed: look for ink that is clearly green rather than exact pixels.
            const QColor c = image.pixelColor(x, y);
            green = c.green() > c.red() + 60 && c.green() > c.blue() + 60;
        }
    }
    EXPECT_TRUE(green) << "row " << modRow << " of a unit the mod supplies is not green";

    ClickRow(List(), modRow);
    ASSERT_EQ(form->CurrentIndex(), modRow);
    // A field the mod changed shows green; one equal to the game's black.
    const QSObjectData* shown = Shown();
    const QSObjectData* retail = project.Catalogue().FindRetailCounterpart(shown->UniqueName().c_str());
    for (const FieldDef& f : kFieldTable) {
        if (!(f.kinds & kKindUnits) || f.level || f.labelHidden) continue;
        if (f.controlKind != ControlKind::Edit) continue;
        const bool differs = !retail || !SameName(retail->Value(f), shown->Value(f));
        EXPECT_EQ(TextColor(f.control), differs ? QColor(0, 128, 0) : QColor(0, 0, 0)) << f.control;
    }
}

TEST_F(MainWindow, ViewsRememberTheirObjectAndGlobalStatsStartsAtTheTop) {
    OpenIronTide();
    ClickRow(List(), 3);
    ASSERT_EQ(form->CurrentIndex(), 3);
    const std::string unit = Shown()->UniqueName();
    Action("Heroes1")->trigger();
    EXPECT_TRUE(Action("Heroes1")->isChecked());
    EXPECT_EQ(form->CurrentIndex(), 0);
    EXPECT_TRUE(Control("hero_level_listbox")->isVisible());
    EXPECT_FALSE(Control("overwrite_color")->isVisible());
    ClickRow(List(), 2);
    Action("Units1")->trigger();
    EXPECT_EQ(Shown()->UniqueName(), unit);
    EXPECT_EQ(Text("unique_name"), unit);

    Action("GlobalStats1")->trigger();
    EXPECT_FALSE(List()->isVisible());
    EXPECT_EQ(Shown()->UniqueName(), "Settings");
    EXPECT_TRUE(Control("resource_multiplier")->isVisible());
    EXPECT_FALSE(Control("max_hit_points")->isVisible());
    Action("Components1")->trigger();
    EXPECT_TRUE(Control("component_gold_cost")->isVisible());
    EXPECT_EQ(List()->count(), static_cast<int>(project.Catalogue().ComponentNames().size()));
    Action("GlobalStats1")->trigger();
    EXPECT_EQ(form->CurrentIndex(), 0);
}

TEST_F(MainWindow, SortingShowsTheFirstObjectOfTheNewOrder) {
    OpenIronTide();
    ClickRow(List(), 5);
    Action("ByMaxHitPoints1")->trigger();
    EXPECT_TRUE(Action("ByMaxHitPoints1")->isChecked());
    EXPECT_EQ(form->CurrentIndex(), 0);
    const QSObjectList& view = project.Catalogue().ViewList();
    for (uint32_t i = 1; i < view.Count(); ++i)
        EXPECT_LE(SortComparator(1)(view[i - 1], view[i]), 0) << i;
    EXPECT_EQ(List()->item(0)->text().toStdString(), view[0]->ProperName());
    EXPECT_EQ(Text("unique_name"), view[0]->UniqueName());
    // The order holds in the next view too.
    Action("Buildings1")->trigger();
    const QSObjectList& buildings = project.Catalogue().ViewList();
    for (uint32_t i = 1; i < buildings.Count(); ++i) EXPECT_LE(SortComparator(1)(buildings[i - 1], buildings[i]), 0);
}

TEST_F(MainWindow, DeleteAsksOnlyForObjectsOfTheModAlone) {
    OpenIronTide();
    // A retail unit: nothing is asked and nothing goes.
    ClickRow(List(), 0);
    ASSERT_TRUE(project.Catalogue().FindRetailCounterpart(Shown()->UniqueName().c_str()));
    const int count = List()->count();
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(List()->count(), count);

    // The unit IronTide adds: asked, No keeps it, Yes deletes it.
    int added = -1;
    const QSObjectList& view = project.Catalogue().ViewList();
    for (uint32_t i = 0; i < view.Count(); ++i) {
        if (!project.Catalogue().FindRetailCounterpart(view[i]->UniqueName().c_str())) added = static_cast<int>(i);
    }
    ASSERT_GE(added, 0);
    const std::string name = view[static_cast<uint32_t>(added)]->UniqueName();
    const std::string proper = view[static_cast<uint32_t>(added)]->ProperName();
    ClickRow(List(), added);
    QTest::keyClick(List(), Qt::Key_Delete);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "Are you sure you want to delete " + name + "(" + proper + ")?");
    EXPECT_EQ(List()->count(), count);
    answer = true;
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(List()->count(), count - 1);
    EXPECT_EQ(project.Catalogue().FindObjectIndex(name.c_str()), -1);
    EXPECT_EQ(project.Catalogue().Objects(kViewUnits, false).Count(), static_cast<uint32_t>(count - 1));
    EXPECT_LT(form->CurrentIndex(), List()->count());
}

TEST_F(MainWindow, HeroLevelsShowOneVariantAndUnitsAlwaysTheBase) {
    OpenIronTide();
    Action("Heroes1")->trigger();
    auto* levels = Control<QListWidget>("hero_level_listbox");
    ClickRow(levels, 2);  // Restored
    EXPECT_EQ(form->HeroLevel(), 2);
    EXPECT_TRUE(Control("max_hit_points_restored")->isVisible());
    for (const char* hidden : {"max_hit_points", "max_hit_points_enlightened", "max_hit_points_ascended"})
        EXPECT_FALSE(Control(hidden)->isVisible()) << hidden;
    Action("Units1")->trigger();
    EXPECT_TRUE(Control("max_hit_points")->isVisible());
    EXPECT_FALSE(Control("max_hit_points_restored")->isVisible());
    Action("Heroes1")->trigger();
    EXPECT_TRUE(Control("max_hit_points_restored")->isVisible());
}

TEST_F(MainWindow, CastShowsTheSpellFrameAndSetAudioTheSoundPanel) {
    OpenIronTide();
    // Find a unit whose second attack is a spell, and one whose is not.
    const QSObjectList& view = project.Catalogue().ViewList();
    int caster = -1, other = -1;
    for (uint32_t i = 0; i < view.Count(); ++i) {
        const bool cast = SameName(view[i]->Value(94), "Cast");
        if (cast && caster < 0) caster = static_cast<int>(i);
        if (!cast && other < 0) other = static_cast<int>(i);
    }
    ASSERT_GE(caster, 0);
    ASSERT_GE(other, 0);
    ClickRow(List(), caster);
    EXPECT_TRUE(Control("spell_0")->isVisible());
    EXPECT_FALSE(Control("attack_2_damage")->isVisible());
    EXPECT_TRUE(Control("attack_2_type")->isVisible());
    ClickRow(List(), other);
    EXPECT_FALSE(Control("spell_0")->isVisible());
    EXPECT_TRUE(Control("attack_2_damage")->isVisible());
    // Choosing "Cast" swaps them at once.
    auto* type = Control<QComboBox>("attack_2_type");
    type->setFocus();
    QTest::keyClick(type, Qt::Key_End);  // the last item is "Build"; "Cast" is the one before
    QTest::keyClick(type, Qt::Key_Up);
    ASSERT_EQ(type->currentText(), "Cast");
    EXPECT_TRUE(Control("spell_0")->isVisible());
    EXPECT_FALSE(Control("attack_2_damage")->isVisible());
    // The choice is the unit's now: shown again it still casts, until Ctrl+Z takes it back.
    ClickRow(List(), caster);
    ClickRow(List(), other);
    EXPECT_TRUE(Control("spell_0")->isVisible());
    type->setFocus();
    QTest::keyClick(type, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(type->currentText(), "Cast");
    EXPECT_FALSE(Control("spell_0")->isVisible());
    EXPECT_TRUE(Control("attack_2_damage")->isVisible());

    auto* toggle = Control<QPushButton>("audio_data_toggle");
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(toggle->text(), "Set Data");
    EXPECT_TRUE(Control("death_sound_1")->isVisible());
    EXPECT_TRUE(Control("death_sound_1_browse")->isVisible());
    EXPECT_FALSE(Control("morale")->isVisible());
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(toggle->text(), "Set Audio");
    EXPECT_FALSE(Control("death_sound_1")->isVisible());
    EXPECT_TRUE(Control("morale")->isVisible());
}

TEST_F(MainWindow, LimitsStopTypingButShowLoadedValuesWhole) {
    OpenIronTide();
    Action("Buildings1")->trigger();
    const QSObjectList& view = project.Catalogue().ViewList();
    int longValue = -1;
    for (uint32_t i = 0; i < view.Count() && longValue < 0; ++i) {
        if (view[i]->Value(50).size() > 5) longValue = static_cast<int>(i);
    }
    ASSERT_GE(longValue, 0) << "the sample has buildings with more hit points than five characters show";
    ClickRow(List(), longValue);
    EXPECT_EQ(Text("max_hit_points"), view[static_cast<uint32_t>(longValue)]->Value(50));

    Action("Units1")->trigger();
    auto* defense = Control<QLineEdit>("defense");
    defense->clear();
    QTest::keyClicks(defense, "123");
    EXPECT_EQ(defense->text(), "12");
    auto* name = Control<QLineEdit>("proper_name");
    name->clear();
    QTest::keyClicks(name, QString(25, 'x'));
    EXPECT_EQ(name->text().size(), 20);
}

// No two controls shown at the same time overlap, in any view; and a picture of each view.
TEST_F(MainWindow, VisibleControlsDoNotOverlap) {
    OpenIronTide();
    const char* views[] = {"Units1", "Heroes1", "Buildings1", "GlobalStats1", "Components1"};
    for (const char* v : views) {
        Action(v)->trigger();
        std::vector<QWidget*> shown;
        for (QWidget* w : form->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            // The bevels frame controls by design; everything else must stand apart.
            if (w->isVisible() && !w->objectName().endsWith("_frame")) shown.push_back(w);
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(form->centralWidget()->rect().contains(shown[i]->geometry()))
                << v << ": " << shown[i]->objectName().toStdString() << " leaves the window";
            for (size_t j = i + 1; j < shown.size(); ++j) {
                EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                    << v << ": " << shown[i]->objectName().toStdString() << " overlaps "
                    << shown[j]->objectName().toStdString();
            }
        }
        EXPECT_TRUE(form->grab().save(ScreenshotPath("main_window_" + QString(v).chopped(1) + ".png")));
    }
}

}  // namespace
