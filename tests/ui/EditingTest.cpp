// Editing in the main window, driven offscreen with keys and clicks as a person edits: every
// kind of field box, the lists, the bonus and component check lists, cloning, the menu
// shortcuts and the object list's highlight.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>

#include "core/HashName.h"
#include "objects/BonusModifiers.h"
#include "objects/BuildHierarchy.h"
#include "ui/CheckList.h"
#include "ui/MainWindowFixture.h"
#include "ui/Placement.h"

namespace {

const QColor kRed(255, 0, 0);

class Editing : public MainWindow {
  protected:
    void SetUp() override {
        MainWindow::SetUp();
        OpenIronTideInFront();
    }
    const QSChange* Change(const std::string& identity, const char* section, const char* key) {
        return project.Changes().FindChange(identity, section, key);
    }
    // The row of the first object of the view that passes.
    template <typename Pass>
    int FirstRow(Pass pass) {
        const QSObjectList& view = project.Catalogue().ViewList();
        for (uint32_t i = 0; i < view.Count(); ++i) {
            if (pass(*view[i])) return static_cast<int>(i);
        }
        return -1;
    }
    void Type(QWidget* box, const QString& text) {
        box->setFocus();
        QTest::keyClicks(box, text);
    }
    void CtrlZ(QWidget* box) { QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier); }
    QSObjectData* ShownRecord() { return const_cast<QSObjectData*>(Shown()); }
};

// One box of each kind of the edit family: typed text is recorded under the field's identity,
// section, key and caption, the box and the row turn red, and Ctrl+Z takes it all back.
TEST_F(Editing, EveryKindOfBoxRecordsAndCtrlZTakesBack) {
    const struct {
        const char* viewItem;
        int heroLevel;
        const char* control;
        const char* section;  // null: the shown component's own name
        const char* key;
        const char* label;
        bool secondGlobalRecord;
    } cases[] = {
        {"Units1", 0, "max_hit_points", "ObjectData", "MaxHitPoints", "Max hit points:", false},
        {"Units1", 0, "walk_distance", "UnitData", "WalkDistance", "Walk distance:", false},
        {"Heroes1", 2, "defense_restored", "Level2", "Defense", "Defense:", false},
        {"Heroes1", 3, "attack_1_damage_ascended", "Attack0Data3", "Damage", "Damage:", false},
        {"Buildings1", 0, "booty_max", "BuildingData", "booty_max", "Max. Booty:", false},
        {"Components1", 0, "component_gold_cost", nullptr, "GoldCost", "Gold Cost:", false},
        {"GlobalStats1", 0, "minimum_damage", "SimulationSettings", "MinimumDamage",
         "Minimum Damage:", false},
        {"GlobalStats1", 0, "mod_color_darkest", "PlayerColors", "Color_9_min",
         "Mod Color Darkest:", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        Action(c.viewItem)->trigger();
        form->SetHeroLevel(c.heroLevel);
        const QSObjectList& view = project.Catalogue().ViewList();
        QSObjectData* record = c.secondGlobalRecord ? view[1] : ShownRecord();
        const bool component = std::string(c.viewItem) == "Components1";
        const std::string identity = component ? "Components" : record->UniqueName();
        const std::string section = c.section ? c.section : record->UniqueName();
        auto* box = Control<QLineEdit>(c.control);
        ASSERT_TRUE(box->isVisible());
        const QString loaded = box->text();
        const QString typed = loaded == "7" ? "8" : "7";
        box->setFocus();
        box->selectAll();
        Type(box, typed);
        const QSChange* change = Change(identity, section.c_str(), c.key);
        ASSERT_NE(change, nullptr);
        EXPECT_EQ(change->value, typed.toStdString());
        EXPECT_EQ(change->before, loaded.toStdString());
        EXPECT_EQ(change->label, c.label);
        EXPECT_EQ(TextColor(c.control), kRed);
        EXPECT_EQ(record->changeState, kChangedInSession);
        // The index stays on the first global record whichever record a field belongs to.
        EXPECT_EQ(form->CurrentIndex(), c.secondGlobalRecord ? 0 : form->CurrentIndex());

        CtrlZ(box);
        EXPECT_EQ(Change(identity, section.c_str(), c.key), nullptr);
        EXPECT_EQ(box->text(), loaded);
        EXPECT_NE(TextColor(c.control), kRed);
        EXPECT_NE(record->changeState, kChangedInSession);
    }
    EXPECT_EQ(project.Changes().Count(), 0u);
}

TEST_F(Editing, KeysThatChangeNoTextRecordNothing) {
    auto* box = Control<QLineEdit>("max_hit_points");
    box->setFocus();
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End, Qt::Key_Shift})
        QTest::keyClick(box, key);
    EXPECT_EQ(project.Changes().Count(), 0u);
    // Typed over with the text it had, the box ends with no change either.
    const QString loaded = box->text();
    box->selectAll();
    Type(box, loaded);
    EXPECT_EQ(box->text(), loaded);
    EXPECT_EQ(project.Changes().Count(), 0u);
    EXPECT_NE(Shown()->changeState, kChangedInSession);
}

TEST_F(Editing, TheMemoAndTheProperNameRecordTheirChanges) {
    const std::string unit = Shown()->UniqueName();
    auto* memo = Control<QPlainTextEdit>("description");
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(memo, "!");
    ASSERT_NE(Change(unit, "UnitData", "Description"), nullptr);
    EXPECT_EQ(Change(unit, "UnitData", "Description")->value, memo->toPlainText().toStdString());
    CtrlZ(memo);
    EXPECT_EQ(Change(unit, "UnitData", "Description"), nullptr);

    auto* name = Control<QLineEdit>("proper_name");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Iron Wall");
    EXPECT_EQ(Change(unit, "ObjectData", "ProperName")->value, "Iron Wall");
    EXPECT_EQ(Change(unit, "HeroData", "TranslatedName")->value, "Iron Wall");
    CtrlZ(name);
    EXPECT_EQ(project.Changes().Count(), 0u);
    EXPECT_EQ(name->text().toStdString(), Shown()->ProperName());
}

TEST_F(Editing, ListsRecordChoicesNotTypingAndCtrlZSelectsTheLoadedItem) {
    const std::string unit = Shown()->UniqueName();
    auto* type = Control<QComboBox>("type");
    const QString loaded = type->currentText();
    type->setFocus();
    QTest::keyClick(type, type->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
    const QSChange* change = Change(unit, "UnitData", "Type");
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->value, type->currentText().toStdString());
    EXPECT_EQ(change->label, "Type:");
    EXPECT_EQ(TextColor("type"), kRed);
    CtrlZ(type);
    EXPECT_EQ(Change(unit, "UnitData", "Type"), nullptr);
    EXPECT_EQ(type->currentText(), loaded);

    // A list that takes typing never stores what is typed.
    Action("Heroes1")->trigger();
    auto* faction = Control<QComboBox>("hero_faction");
    ASSERT_TRUE(faction->isEditable());
    faction->setFocus();
    faction->lineEdit()->selectAll();
    QTest::keyClicks(faction->lineEdit(), "Nobody");
    QTest::keyClick(faction->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(project.Changes().Count(), 0u);
    // ...while choosing one of its items does.
    faction->setCurrentIndex(-1);
    faction->setFocus();
    QTest::keyClick(faction, Qt::Key_Down);
    EXPECT_TRUE(project.Changes().ObjectHasChanges(Shown()->UniqueName()));
}

// The bonus lists: a tick adds the definition's default in red, the seventh is refused, an
// untick of a loaded bonus records "Off", and the hero level's own list is the one changed.
TEST_F(Editing, BonusesTickUntickAndEditValues) {
    const ObjectCatalogue& c = project.Catalogue();
    const auto& definitions = c.BonusDefinitions();
    const int row = FirstRow([](const QSObjectData& r) {
        return r.BonusList(PersonalBonusList(0)).size() < 5 &&
               !r.BonusList(CompanyBonusList(0)).empty();
    });
    ASSERT_GE(row, 0);
    ClickRow(List(), row);
    QSObjectData* unit = ShownRecord();
    auto* personal = Control<CheckList>("personal_modifiers_checkbox");
    ASSERT_TRUE(personal->isVisible());
    int item = -1;
    for (size_t i = 0; i < definitions.size() && item < 0; ++i) {
        if (!BonusModifiers::GetBonusValue(*unit, PersonalBonusList(0), definitions[i].name))
            item = static_cast<int>(i);
    }
    ASSERT_GE(item, 0);
    const std::string name = definitions[static_cast<size_t>(item)].name;
    ClickRow(personal, item);
    EXPECT_TRUE(personal->Checked(item));
    const std::string* added = BonusModifiers::GetBonusValue(*unit, PersonalBonusList(0), name);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(*added, BonusDefaultValue(definitions[static_cast<size_t>(item)].action));
    ASSERT_NE(Change(unit->UniqueName(), "ElementBonus", name.c_str()), nullptr);
    EXPECT_EQ(Change(unit->UniqueName(), "ElementBonus", name.c_str())->before, "Off");
    // Its row shows it, in red; a value typed there is recorded, Ctrl+Z returns the default.
    int shownRow = -1;
    for (int r = 1; r <= kBonusRows; ++r) {
        if (Control<QLabel>(BonusRowName(0, r).c_str())->text().toStdString() == name) shownRow = r;
    }
    ASSERT_GT(shownRow, 0);
    auto* value = Control<QLineEdit>(BonusValueName(0, shownRow).c_str());
    EXPECT_TRUE(value->isVisible());
    EXPECT_EQ(TextColor(BonusValueName(0, shownRow).c_str()), kRed);
    value->setFocus();
    value->selectAll();
    QTest::keyClicks(value, "3");
    EXPECT_EQ(Change(unit->UniqueName(), "ElementBonus", name.c_str())->value, "3");
    CtrlZ(value);
    EXPECT_EQ(*BonusModifiers::GetBonusValue(*unit, PersonalBonusList(0), name),
              BonusDefaultValue(definitions[static_cast<size_t>(item)].action));

    // Filled to six, a seventh tick is refused and its mark goes off again.
    for (size_t i = 0; i < definitions.size() && unit->BonusList(0).size() < 6; ++i) {
        if (!personal->Checked(static_cast<int>(i))) ClickRow(personal, static_cast<int>(i));
    }
    ASSERT_EQ(unit->BonusList(0).size(), 6u);
    const uint32_t changes = project.Changes().Count();
    int unticked = 0;
    while (personal->Checked(unticked)) ++unticked;
    ClickRow(personal, unticked);
    EXPECT_FALSE(personal->Checked(unticked));
    EXPECT_EQ(unit->BonusList(0).size(), 6u);
    EXPECT_EQ(project.Changes().Count(), changes);

    // Unticking a company bonus the unit was loaded with records "Off".
    auto* company = Control<CheckList>("company_modifiers_checkbox");
    const std::string loadedName = unit->BonusList(CompanyBonusList(0))[0].key;
    int loadedItem = -1;
    for (size_t i = 0; i < definitions.size(); ++i) {
        if (definitions[i].name == loadedName) loadedItem = static_cast<int>(i);
    }
    ASSERT_GE(loadedItem, 0);
    ASSERT_TRUE(company->Checked(loadedItem));
    ClickRow(company, loadedItem);
    EXPECT_FALSE(company->Checked(loadedItem));
    ASSERT_NE(Change(unit->UniqueName(), "SupportBonus", loadedName.c_str()), nullptr);
    EXPECT_EQ(Change(unit->UniqueName(), "SupportBonus", loadedName.c_str())->value, "Off");

    // The space bar acts like a click.
    company->setFocus();
    company->setCurrentRow(loadedItem);
    QTest::keyClick(company, Qt::Key_Space);
    EXPECT_TRUE(company->Checked(loadedItem));
    EXPECT_TRUE(BonusModifiers::GetBonusValue(*unit, CompanyBonusList(0), loadedName));

    // A hero at Restored ticks into its Restored list only.
    Action("Heroes1")->trigger();
    form->SetHeroLevel(2);
    QSObjectData* hero = ShownRecord();
    auto* restored = Control<CheckList>("personal_modifiers_checkbox_restored");
    ASSERT_TRUE(restored->isVisible());
    EXPECT_FALSE(Control("personal_modifiers_checkbox")->isVisible());
    int free = 0;
    while (restored->Checked(free)) ++free;
    const size_t baseCount = hero->BonusList(PersonalBonusList(0)).size();
    ClickRow(restored, free);
    EXPECT_NE(Change(hero->UniqueName(), "ElementBonus2",
                     definitions[static_cast<size_t>(free)].name.c_str()),
              nullptr);
    EXPECT_EQ(hero->BonusList(PersonalBonusList(0)).size(), baseCount);
}

TEST_F(Editing, ComponentsTickAndUntick) {
    const int row = FirstRow([](const QSObjectData& r) { return !r.Components().empty(); });
    ASSERT_GE(row, 0);
    ClickRow(List(), row);
    QSObjectData* unit = ShownRecord();
    auto* list = Control<CheckList>("components_checklistbox");
    const auto& names = project.Catalogue().ComponentNames();
    int held = -1, free = -1;
    for (size_t i = 0; i < names.size(); ++i) {
        (HasComponent(*unit, names[i]) ? held : free) = static_cast<int>(i);
    }
    ASSERT_GE(held, 0);
    ASSERT_GE(free, 0);
    ClickRow(list, held);
    EXPECT_EQ(Change(unit->UniqueName(), "BuildHierarchy", names[static_cast<size_t>(held)].c_str())
                  ->value,
              "Off");
    ClickRow(list, free);
    EXPECT_EQ(Change(unit->UniqueName(), "BuildHierarchy", names[static_cast<size_t>(free)].c_str())
                  ->value,
              "On");
    EXPECT_EQ(unit->changeState, kChangedInSession);
    // Ticked again, the held one's change is gone; the marks survive showing the unit again.
    ClickRow(list, held);
    EXPECT_EQ(
        Change(unit->UniqueName(), "BuildHierarchy", names[static_cast<size_t>(held)].c_str()),
        nullptr);
    ClickRow(List(), row == 0 ? 1 : 0);
    ClickRow(List(), row);
    EXPECT_TRUE(list->Checked(held));
    EXPECT_TRUE(list->Checked(free));
}

TEST_F(Editing, ANewUniqueNameClonesTheObjectUnlessItIsTakenOrAComponent) {
    const int count = List()->count();
    const std::string original = Shown()->UniqueName();
    auto* unique = Control<QLineEdit>("unique_name");
    unique->setFocus();
    unique->selectAll();
    QTest::keyClicks(unique, "Iron_Copy");
    QTest::keyClick(unique, Qt::Key_Return);
    EXPECT_EQ(List()->count(), count + 1);
    EXPECT_EQ(Shown()->UniqueName(), "Iron_Copy");
    EXPECT_EQ(List()->currentRow(), form->CurrentIndex());
    EXPECT_EQ(Shown()->changeState, kChangedInSession);
    EXPECT_NE(project.Catalogue().FindObjectIndex(original.c_str()), -1);
    // A name that exists makes nothing.
    unique->selectAll();
    QTest::keyClicks(unique, QString::fromStdString(original));
    QTest::keyClick(unique, Qt::Key_Return);
    EXPECT_EQ(List()->count(), count + 1);
    // Nor does a new name for a component.
    Action("Components1")->trigger();
    const int components = List()->count();
    unique->setFocus();
    unique->selectAll();
    QTest::keyClicks(unique, "New_Part");
    QTest::keyClick(unique, Qt::Key_Return);
    EXPECT_EQ(List()->count(), components);
}

// Ctrl+U, Ctrl+C, Ctrl+V... are the menu's in every box: they switch views rather than edit.
TEST_F(Editing, MenuShortcutsWinOverTheFocusedBox) {
    Action("Heroes1")->trigger();
    auto* name = Control<QLineEdit>("proper_name");
    const QString text = name->text();
    name->setFocus();
    name->selectAll();
    QTest::keyClick(name, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(form->CurrentView(), kViewUnits);
    EXPECT_EQ(name->text().toStdString(), Shown()->ProperName());
    auto* box = Control<QLineEdit>("max_hit_points");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(form->CurrentView(), kViewComponents);
    EXPECT_EQ(project.Changes().Count(), 0u);
    Action("Heroes1")->trigger();
    name->setFocus();
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(name->text(), text) << "Ctrl+V pasted into the box";
    EXPECT_TRUE(Action("ShowVersionHistory1")->isChecked());
}

TEST_F(Editing, TheShownObjectsRowIsHighlightedAndTheRightButtonMovesNothing) {
    ClickRow(List(), 3);
    const QRect r = List()->visualItemRect(List()->item(6));
    QTest::mouseClick(List()->viewport(), Qt::RightButton, {}, r.center());
    EXPECT_EQ(List()->currentRow(), 3);
    EXPECT_EQ(form->CurrentIndex(), 3);
    Action("Heroes1")->trigger();
    EXPECT_EQ(List()->currentRow(), form->CurrentIndex());
    Action("Units1")->trigger();
    EXPECT_EQ(List()->currentRow(), 3);
    Action("ByDefense1")->trigger();
    EXPECT_EQ(List()->currentRow(), 0);
}

TEST_F(Editing, TheWindowAsItIsShown) {
    auto* code = Control<QLineEdit>("access_code");
    EXPECT_EQ(code->echoMode(), QLineEdit::Password);
    EXPECT_EQ(code->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, code), '#');
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->windowTitle(), "Brix: The Dravik Mod Maker, Version 1.0.7.0");
}

// Tab walks the shown editing controls frame by frame, in the order the frames lay them out,
// and reaches each of them.
TEST_F(Editing, TabWalksEachViewsControlsInOrder) {
    for (const char* viewItem : {"Units1", "Heroes1", "Buildings1", "Components1"}) {
        SCOPED_TRACE(viewItem);
        Action(viewItem)->trigger();
        std::vector<std::string> visited;
        QWidget* focus = Control("unique_name");
        focus->setFocus();
        for (int step = 0; step < 80; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            if (!now) break;
            // An editable list's own line edit stands for the list.
            if (qobject_cast<QComboBox*>(now->parentWidget())) now = now->parentWidget();
            visited.push_back(now->objectName().toStdString());
        }
        size_t last = 0;
        std::string lastName;
        for (const std::string& name : visited) {
            const FieldPlace* place = FieldPlaceOf(name);
            if (!place) continue;
            const size_t position = static_cast<size_t>(place - FieldPlaces().data());
            EXPECT_GE(position, last) << name << " comes after " << lastName;
            if (position < last) break;  // one report per view
            last = position;
            lastName = name;
        }
        for (const FieldPlace& place : FieldPlaces()) {
            QWidget* w = form->findChild<QWidget*>(place.control);
            if (!w || !w->isVisible()) continue;
            EXPECT_THAT(visited, ::testing::Contains(place.control)) << "Tab never reaches it";
        }
        EXPECT_EQ(project.Changes().Count(), 0u) << "Tab changed a field";
    }
}

}  // namespace
