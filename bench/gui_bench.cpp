// brix_bench_gui: the main window over a max-scale installation, offscreen. Showing each
// object after a click on its row, switching between views of 1023 objects and opening a mod
// through the window, each against the core's share of the same work in the same run.
//
// A max-scale sample installation with its mod packages is written once by brix-sample-game
// into a directory made with mkdtemp; IronTide.qsx is opened. The window is shown (offscreen)
// as brix shows it, with the Loading window beside it. The current object is set as a person
// sets it: a left-button click on its row of `UnitListBox` (press and release on the list's
// viewport through QTest), which the window answers with SelectRow: ShowObject, then the
// visibility rules. Scrolling the row into view and the repaint of the previous action are
// done before each timed call and are not timed.
//
// Before timing, for every row of the Units, Heroes and Buildings views: the click must
// select the row, and every control the core's ShowObject fills must hold its text, selected
// item, colour and check marks; the list must show every record of the view, by proper name.
// The window's opening must read what a headless opening reads.
//
// Editing is timed as a person edits, with the window active: one typed character in the hit
// points box of a unit (a key press and release through QTest on the focused box, over its
// selected text), a click that ticks or unticks a modifier of the unit's personal list (press
// and release on the check list's viewport), and Ctrl+Z in the box; each with the repaint it
// asks for. Before timing, each must record, show and take back what it should (see
// CheckEditing), and the editing benchmarks leave the project without changes.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "BenchSupport.h"
#include "core/QSError.h"
#include "mods/ModProject.h"
#include "objects/BonusModifiers.h"
#include "objects/FieldTable.h"
#include "objects/ObjectCatalogue.h"
#include "objects/ObjectDisplay.h"
#include "objects/QSObjectData.h"
#include "objects/SortOrders.h"
#include "ui/CheckList.h"
#include "ui/TForm1.h"
#include "ui/TForm3.h"

// The check lists' class (modifiers, components), by another name: CheckList below checks the
// object list.
using ModifierList = CheckList;

namespace {

constexpr const char* kPackageName = "IronTide.qsx";

struct ObjectView {
    int view;
    const char* name;
};
constexpr std::array<ObjectView, 3> kObjectViews = {
    {{kViewUnits, "Units"}, {kViewHeroes, "Heroes"}, {kViewBuildings, "Buildings"}}};

std::string gInstall;  // the installation directory
std::string gPackage;  // the package's path

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "brix_bench_gui: %s\n", what.c_str());
    std::exit(1);  // the temporary directory is removed at exit
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void WriteInstallation() {
    std::string problem;
    gInstall = bench::WriteSampleInstallation(BRIX_SAMPLE_GAME, "brix_bench_gui", "--mods", &problem);
    if (gInstall.empty()) Fail(problem);
    gPackage = (std::filesystem::path(gInstall) / kPackageName).string();
    if (!std::filesystem::exists(gPackage))
        Fail(std::string("the sample game wrote no ") + kPackageName);
}

// Lets the window repaint what the last call changed, and deliver anything else posted.
void Flush() {
    QCoreApplication::processEvents();
}

// A shown main window over a fresh project, with the Loading window beside it as brix makes
// them, or without one.
struct Window {
    ModProject project;
    TForm3 loading;
    TForm1 form{project};
    QListWidget* list = nullptr;
    std::unordered_map<std::string, QWidget*> named;  // the window's widgets by object name
    ListItemSet lists;                                // the choice lists, once opened

    explicit Window(bool withLoadingWindow = true) {
        project.SetInstallationPaths(gInstall, gInstall);
        if (withLoadingWindow) form.SetSecondaryWindows(&loading, nullptr);
        form.SetInstalledEditions({true, false});
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) Fail("the main window is never exposed");
        for (QWidget* w : form.findChildren<QWidget*>()) {
            if (!w->objectName().isEmpty()) named.emplace(w->objectName().toStdString(), w);
        }
        list = form.findChild<QListWidget*>("UnitListBox");
        if (!list) Fail("no UnitListBox");
        Flush();
    }

    void Open() {
        form.OpenMod(gInstall, gPackage);
        lists = ListItemSet::FromCatalogue(project.Catalogue());
    }

    QWidget* Control(const std::string& name) const {
        auto it = named.find(name);
        if (it == named.end()) Fail("the window has no control " + name);
        return it->second;
    }
    QString Text(const std::string& name) const {
        QWidget* w = Control(name);
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
        if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->toPlainText();
        if (auto* b = qobject_cast<QComboBox*>(w)) return b->currentText();
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
        Fail(name + " shows no text");
    }
    const QSObjectData& Current() const {
        const QSObjectList& view = project.Catalogue().ViewList();
        const int i = form.CurrentIndex();
        if (i < 0 || i >= static_cast<int>(view.Count())) Fail("the current index is outside the list");
        return *view[static_cast<uint32_t>(i)];
    }

    // Scrolls a row into view, lets the list repaint, and returns the middle of the row's
    // rectangle on the viewport.
    QPoint PointOfRow(int row) const {
        QListWidgetItem* item = list->item(row);
        if (!item) Fail("the list has no row " + std::to_string(row));
        list->scrollToItem(item);
        Flush();
        const QPoint at = list->visualItemRect(item).center();
        if (!list->viewport()->rect().contains(at)) Fail("row " + std::to_string(row) + " is not in view");
        return at;
    }
    void Click(QPoint at) { QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at); }
};

Window* gWindow = nullptr;  // the window every benchmark but the openings works on

bool SameColor(const QWidget* w, QSColor c) {
    return w->palette().color(QPalette::Text) == QColor(c.r, c.g, c.b);
}

// The window must render what the core computes for the record at its current index; returns
// whether a value is shown green (the mod's).
bool CheckRendered(Window& w) {
    const ObjectCatalogue& c = w.project.Catalogue();
    const QSObjectData& record = w.Current();
    const ShownObject shown = ShowObject(c, w.project.Changes(), w.form.CurrentIndex(), w.lists);
    const std::string who = record.UniqueName() + ": ";
    if (shown.uniqueName != record.UniqueName() || w.Text("unique_name") != Q(record.UniqueName()))
        Fail(who + "the window shows the unique name " + w.Text("unique_name").toStdString());
    if (shown.controls.empty()) Fail(who + "nothing to show");
    bool green = false;
    for (const ShownControl& s : shown.controls) {
        QWidget* widget = w.Control(s.control);
        const auto* box = qobject_cast<QComboBox*>(widget);
        if (box && s.selected >= 0 && s.selected < box->count()) {
            if (box->currentIndex() != s.selected)
                Fail(who + s.control + " selects item " + std::to_string(box->currentIndex()) +
                     ", not " + std::to_string(s.selected));
        } else if (!box || box->isEditable()) {
            if (w.Text(s.control) != Q(s.text))
                Fail(who + s.control + " shows \"" + w.Text(s.control).toStdString() +
                     "\", not \"" + s.text + "\"");
        }
        if (!SameColor(widget, s.color)) Fail(who + s.control + " is drawn in the wrong colour");
        green = green || s.color == kColorMod;
    }
    for (int list = 0; list < kBonusPanelCount; ++list) {
        const BonusPanel& panel = shown.bonuses[static_cast<size_t>(list)];
        const auto* box = qobject_cast<ModifierList*>(w.Control(BonusCheckboxName(list)));
        if (!box) Fail(BonusCheckboxName(list) + " is not a check list");
        for (int i = 0; i < box->count(); ++i) {
            const bool on = static_cast<size_t>(i) < panel.checked.size() && panel.checked[static_cast<size_t>(i)];
            if (box->Checked(i) != on)
                Fail(who + BonusCheckboxName(list) + ": wrong check mark on " + box->item(i)->text().toStdString());
        }
        for (int row = 1; row <= kBonusRows; ++row) {
            const size_t at = static_cast<size_t>(row - 1);
            const BonusRow* r = at < panel.rows.size() ? &panel.rows[at] : nullptr;
            if (w.Text(BonusRowName(list, row)) != Q(r ? r->name : "") ||
                w.Text(BonusValueName(list, row)) != Q(r ? r->value : ""))
                Fail(who + BonusValueName(list, row) + " shows the wrong modifier");
            if (r && !SameColor(w.Control(BonusValueName(list, row)), r->color))
                Fail(who + BonusValueName(list, row) + " is drawn in the wrong colour");
        }
    }
    const auto* checklist = qobject_cast<ModifierList*>(w.Control("components_checklistbox"));
    if (!checklist) Fail("components_checklistbox is not a check list");
    for (int i = 0; i < checklist->count(); ++i) {
        const bool on = static_cast<size_t>(i) < shown.components.size() && shown.components[static_cast<size_t>(i)];
        if (checklist->Checked(i) != on)
            Fail(who + "wrong check mark on component " + checklist->item(i)->text().toStdString());
    }
    return green;
}

// The list must name every record of the view list, in its order.
void CheckList(const Window& w, const char* viewName) {
    const QSObjectList& records = w.project.Catalogue().ViewList();
    if (records.Count() != static_cast<size_t>(kMaxObjectsPerKind))
        Fail(std::string(viewName) + ": the view holds " + std::to_string(records.Count()) +
             " records, not " + std::to_string(kMaxObjectsPerKind));
    if (w.list->count() != static_cast<int>(records.Count()))
        Fail(std::string(viewName) + ": the list shows " + std::to_string(w.list->count()) + " rows for " +
             std::to_string(records.Count()) + " records");
    for (int i = 0; i < w.list->count(); ++i) {
        if (w.list->item(i)->text() != Q(records[static_cast<uint32_t>(i)]->ProperName()))
            Fail(std::string(viewName) + ": row " + std::to_string(i) + " names another record");
    }
}

// The same opening must come out of the window and of a headless project.
void CheckOpening(const Window& w) {
    ModProject headless;
    headless.SetInstallationPaths(gInstall, gInstall);
    headless.OpenMod(gInstall, gPackage);
    for (const ObjectView& v : kObjectViews) {
        for (bool retail : {true, false}) {
            if (headless.Catalogue().Objects(v.view, retail).Count() !=
                w.project.Catalogue().Objects(v.view, retail).Count())
                Fail(std::string(v.name) + ": the window's opening read another number of records");
        }
    }
    if (headless.GlobalHistory().empty() || headless.GlobalHistory() != w.project.GlobalHistory())
        Fail("the window's opening has another global history than the headless one");
    // The memo keeps paragraphs: its text comes back with bare line feeds.
    if (w.Text("global_history") != Q(w.project.GlobalHistory()).replace("\r\n", "\n"))
        Fail("the window does not show the global history");
    if (w.Text("mod_name") != "IronTide") Fail("the window shows the mod name " + w.Text("mod_name").toStdString());
    if (w.form.CurrentView() != kViewUnits || w.form.CurrentIndex() != 0)
        Fail("the window does not start on the first unit");
}

// --- The sweep ------------------------------------------------------------------------------------

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Spread {
    double median, p90, max;
};
Spread SpreadOf(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back()};
}

// Clicks every row of the three views once, checks what each click shows, and times three
// things per object: the click, the window's ShowObject of the object it selected, and the
// core's ShowObject of the same index. Prints the spread over the objects of each view.
void SweepEveryRow(Window& w) {
    using Clock = std::chrono::steady_clock;
    size_t green = 0, fromMod = 0;
    std::printf("per object (ms)        click: median   p90    max | window ShowObject: median   p90 |"
                " core ShowObject: median   p90\n");
    for (const ObjectView& v : kObjectViews) {
        w.form.SelectView(v.view);
        Flush();
        CheckList(w, v.name);
        CheckRendered(w);
        std::vector<double> click, window, core;
        for (int row = 0; row < w.list->count(); ++row) {
            const QPoint at = w.PointOfRow(row);
            const auto t0 = Clock::now();
            w.Click(at);
            const auto t1 = Clock::now();
            if (w.form.CurrentIndex() != row || w.list->currentRow() != row)
                Fail(std::string(v.name) + ": clicking row " + std::to_string(row) + " selected " +
                     std::to_string(w.form.CurrentIndex()));
            const bool shownGreen = CheckRendered(w);
            green += shownGreen;
            fromMod += w.Current().changeState == kSuppliedByMod;
            if (shownGreen != (w.Current().changeState == kSuppliedByMod))
                Fail(w.Current().UniqueName() + (shownGreen ? " is" : " is not") + " shown as the mod's");
            Flush();
            const auto t2 = Clock::now();
            w.form.ShowObject();
            const auto t3 = Clock::now();
            const ShownObject shown = ShowObject(w.project.Catalogue(), w.project.Changes(), row, w.lists);
            const auto t4 = Clock::now();
            if (shown.uniqueName != w.Current().UniqueName()) Fail("the core shows another record");
            click.push_back(Ms(t1 - t0));
            window.push_back(Ms(t3 - t2));
            core.push_back(Ms(t4 - t3));
        }
        const Spread c = SpreadOf(click), s = SpreadOf(window), k = SpreadOf(core);
        std::printf("%-9s %4d objects   %6.3f %6.3f %6.3f |                   %6.3f %6.3f |"
                    "                 %6.3f %6.3f\n",
                    v.name, w.list->count(), c.median, c.p90, c.max, s.median, s.p90, k.median, k.p90);
    }
    if (fromMod == 0) Fail("no record of the three views is the mod's");
    std::printf("checked: every row selects its record and shows the core's values; %zu records shown "
                "green, as many as the mod supplies\n",
                green);
}

// --- Benchmarks -----------------------------------------------------------------------------------

std::array<int, kViewCount> gNextRow{};   // the window benchmarks' next row, per view
std::array<int, kViewCount> gNextCore{};  // the core benchmark's next index, per view

int NextOf(std::array<int, kViewCount>& cursor, int view, int count) {
    int& next = cursor[static_cast<size_t>(view)];
    const int row = next % count;
    next = row + 1;
    return row;
}

// One iteration: a click on the next row of the view, with its SelectRow; with paint, also the
// repaint it asks for.
void BM_ClickRow(benchmark::State& state, int view, bool paint) {
    Window& w = *gWindow;
    w.form.SelectView(view);
    const int n = w.list->count();
    for (auto _ : state) {
        state.PauseTiming();
        const int row = NextOf(gNextRow, view, n);
        const QPoint at = w.PointOfRow(row);
        state.ResumeTiming();
        w.Click(at);
        if (paint) Flush();
        state.PauseTiming();
        if (w.form.CurrentIndex() != row) Fail("a click selected another row");
        state.ResumeTiming();
    }
}

// One iteration: a click on the next row, then the repaint it asks for: what a person waits
// for before the object is on the screen.
void BM_ClickRowAndPaint(benchmark::State& state, int view) { BM_ClickRow(state, view, true); }

// One iteration: the window's ShowObject of the row an untimed click selected.
void BM_WindowShowObject(benchmark::State& state, int view) {
    Window& w = *gWindow;
    w.form.SelectView(view);
    const int n = w.list->count();
    for (auto _ : state) {
        state.PauseTiming();
        const int row = NextOf(gNextRow, view, n);
        w.Click(w.PointOfRow(row));
        Flush();
        state.ResumeTiming();
        w.form.ShowObject();
        state.PauseTiming();
        if (w.form.CurrentIndex() != row || w.Text("unique_name") != Q(w.Current().UniqueName()))
            Fail("the window shows another record");
        state.ResumeTiming();
    }
}

// One iteration: the window's visibility rules and frame layout alone, as SetHeroLevel runs
// them with the level unchanged, for the object an untimed click selected.
void BM_ApplyVisibility(benchmark::State& state, int view) {
    Window& w = *gWindow;
    w.form.SelectView(view);
    const int n = w.list->count();
    for (auto _ : state) {
        state.PauseTiming();
        w.Click(w.PointOfRow(NextOf(gNextRow, view, n)));
        Flush();
        state.ResumeTiming();
        w.form.SetHeroLevel(w.form.HeroLevel());
    }
}

// One iteration: the core's ShowObject of the next index, with the window's choice lists.
void BM_CoreShowObject(benchmark::State& state, int view) {
    Window& w = *gWindow;
    w.form.SelectView(view);
    const ObjectCatalogue& c = w.project.Catalogue();
    const int n = static_cast<int>(c.ViewList().Count());
    for (auto _ : state) {
        ShownObject shown = ShowObject(c, w.project.Changes(), NextOf(gNextCore, view, n), w.lists);
        benchmark::DoNotOptimize(shown);
    }
}

// One iteration: SelectView(to) with the view `from` shown before (not timed); with paint,
// the repaint it asks for too.
void BM_SelectView(benchmark::State& state, int from, int to, bool paint) {
    Window& w = *gWindow;
    for (auto _ : state) {
        state.PauseTiming();
        w.form.SelectView(from);
        Flush();
        state.ResumeTiming();
        w.form.SelectView(to);
        if (paint) Flush();
        state.PauseTiming();
        if (w.list->count() != static_cast<int>(w.project.Catalogue().ViewList().Count()) ||
            w.list->count() != kMaxObjectsPerKind || w.Text("unique_name") != Q(w.Current().UniqueName()))
            Fail("the view switch shows another list or record");
        state.ResumeTiming();
    }
}

// The core's share of a view switch: the view list rebuilt and sorted in the window's order,
// and the object at the index the window would show computed.
void BM_CoreSelectView(benchmark::State& state, int from, int to) {
    Window& w = *gWindow;
    w.form.SelectView(to);  // the index the window remembers for the view
    const int index = w.form.CurrentIndex();
    ObjectCatalogue& c = w.project.Catalogue();
    for (auto _ : state) {
        state.PauseTiming();
        c.SelectView(from);
        state.ResumeTiming();
        c.SetWorkingComparator(SortComparator(0));
        c.SelectView(to);
        c.SortViewList();
        ShownObject shown = ShowObject(c, w.project.Changes(), index, w.lists);
        state.PauseTiming();
        if (shown.uniqueName != c.ViewList()[static_cast<uint32_t>(index)]->UniqueName())
            Fail("the core shows another record");
        state.ResumeTiming();
    }
    w.form.SelectView(to);  // the window's view and the catalogue's agree again
}

// A fresh project per iteration, as bench/open_bench.cpp opens it.
void BM_HeadlessOpen(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto project = std::make_unique<ModProject>();
        project->SetInstallationPaths(gInstall, gInstall);
        state.ResumeTiming();
        project->OpenMod(gInstall, gPackage);
        state.PauseTiming();
        if (project->Catalogue().Objects(kViewUnits, false).Count() != static_cast<size_t>(kMaxObjectsPerKind))
            Fail("the headless opening read another number of units");
        project.reset();
        state.ResumeTiming();
    }
}

// A fresh, shown window per iteration, opened through TForm1::OpenMod.
void BM_WindowOpen(benchmark::State& state, bool withLoadingWindow) {
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<Window>(withLoadingWindow);
        state.ResumeTiming();
        w->form.OpenMod(gInstall, gPackage);
        state.PauseTiming();
        if (w->list->count() != kMaxObjectsPerKind || w->Text("unique_name").isEmpty())
            Fail("the window's opening shows another list");
        Flush();
        w.reset();
        Flush();
        state.ResumeTiming();
    }
}

// --- Editing ----------------------------------------------------------------------------------

constexpr const char* kHitPoints = "max_hit_points";
constexpr const char* kHitPointsSection = "ObjectData";
constexpr const char* kHitPointsKey = "MaxHitPoints";
constexpr int kPersonalList = PersonalBonusList(0);  // personal_modifiers_checkbox

// Pixels of a row of the object list, as the list paints it now, that are drawn in red.
int RedPixelsOfRow(const Window& w, int row) {
    const QRect rect = w.list->visualItemRect(w.list->item(row)) & w.list->viewport()->rect();
    if (rect.isEmpty()) Fail("row " + std::to_string(row) + " is not in view");
    const QImage shot = w.list->viewport()->grab(rect).toImage();
    int red = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() >= 200 && c.green() <= 80 && c.blue() <= 80;
        }
    }
    return red;
}

// Makes the window the active one, as a person's keys need it, and shows the Units view.
void ActivateOnUnits(Window& w) {
    w.form.SelectView(kViewUnits);
    w.form.activateWindow();
    if (!QTest::qWaitForWindowActive(&w.form)) Fail("the main window never becomes active");
    Flush();
}

// Shows the unit of a row through a click on it; returns the record.
QSObjectData& ShowUnit(Window& w, int row) {
    w.Click(w.PointOfRow(row));
    Flush();
    if (w.form.CurrentIndex() != row) Fail("a click selected another row");
    return const_cast<QSObjectData&>(w.Current());
}

// The hit points box of the first unit, focused as a person clicks into it, with two
// one-character values to type over its selected text, neither of them the value as loaded or
// the retail value (either would not show red).
struct HitPointsBox {
    QLineEdit* box = nullptr;
    QSObjectData* record = nullptr;
    int row = 0;
    QString loaded;
    std::array<char, 2> typed{};
};

HitPointsBox FocusHitPoints(Window& w) {
    ActivateOnUnits(w);
    HitPointsBox e;
    e.record = &ShowUnit(w, e.row);
    e.box = qobject_cast<QLineEdit*>(w.Control(kHitPoints));
    if (!e.box || !e.box->isVisible()) Fail(std::string(kHitPoints) + " is not a visible edit box");
    if (w.project.Changes().ObjectHasChanges(e.record->UniqueName()))
        Fail(e.record->UniqueName() + " holds changes before the editing benchmarks");
    e.loaded = e.box->text();
    const QSObjectData* counterpart = w.project.Catalogue().FindRetailCounterpart(e.record->UniqueName().c_str());
    const QString retail = counterpart ? Q(std::string(counterpart->Value(*FieldByControl(kHitPoints)))) : QString();
    size_t found = 0;
    for (char c : std::string("6789")) {
        if (found < e.typed.size() && e.loaded != QString(QChar(c)) && retail != QString(QChar(c)))
            e.typed[found++] = c;
    }
    if (found < e.typed.size()) Fail("no two values to type in " + std::string(kHitPoints));
    e.box->setFocus(Qt::MouseFocusReason);
    Flush();
    if (!e.box->hasFocus()) Fail(std::string(kHitPoints) + " does not take the focus");
    return e;
}

const QSChange* HitPointsChange(const Window& w, const HitPointsBox& e) {
    return w.project.Changes().FindChange(e.record->UniqueName(), kHitPointsSection, kHitPointsKey);
}

// One typed character over the box's whole text, as a key press and release.
void TypeOver(const HitPointsBox& e, char c) {
    QTest::keyClick(e.box, c);
}
void CtrlZ(const HitPointsBox& e) {
    QTest::keyClick(e.box, Qt::Key_Z, Qt::ControlModifier);
}

// After a typed character: the change is recorded with the typed value against the value as
// loaded, the box shows it in red and the record is marked changed in this session.
void CheckTyped(const Window& w, const HitPointsBox& e, char c) {
    const std::string who = e.record->UniqueName() + " " + kHitPoints + ": ";
    const QSChange* change = HitPointsChange(w, e);
    if (!change) Fail(who + "typing recorded no change");
    if (change->value != std::string(1, c) || change->before != e.loaded.toStdString())
        Fail(who + "the change holds \"" + change->before + "\" -> \"" + change->value + "\", not \"" +
             e.loaded.toStdString() + "\" -> \"" + c + "\"");
    if (e.box->text() != QString(QChar(c))) Fail(who + "the box shows " + e.box->text().toStdString());
    if (!SameColor(e.box, kColorSession)) Fail(who + "the box is not red");
    if (e.record->changeState != kChangedInSession) Fail(who + "the record is not marked changed");
}

// After Ctrl+Z: no change is left, the box shows the value as loaded, not in red, and the
// record is no longer marked changed.
void CheckTakenBack(const Window& w, const HitPointsBox& e) {
    const std::string who = e.record->UniqueName() + " " + kHitPoints + ": ";
    if (HitPointsChange(w, e)) Fail(who + "Ctrl+Z left the change");
    if (e.box->text() != e.loaded) Fail(who + "after Ctrl+Z the box shows " + e.box->text().toStdString());
    if (SameColor(e.box, kColorSession)) Fail(who + "the box stays red after Ctrl+Z");
    if (e.record->changeState == kChangedInSession) Fail(who + "the record stays marked changed");
}

// The first unit with room for a personal modifier, shown, and the first item of its
// visible personal list that is not ticked, scrolled into view.
struct BonusItem {
    ModifierList* list = nullptr;
    QSObjectData* record = nullptr;
    int item = -1;
    std::string name;
    QPoint at;  // the middle of the item's rectangle on the list's viewport
};

BonusItem ShowBonusItem(Window& w) {
    ActivateOnUnits(w);
    const QSObjectList& view = w.project.Catalogue().ViewList();
    int row = 0;
    while (row < w.list->count() &&
           view[static_cast<uint32_t>(row)]->BonusList(kPersonalList).size() >= static_cast<size_t>(kBonusRows))
        ++row;
    if (row == w.list->count()) Fail("every unit's personal modifier list is full");
    BonusItem b;
    b.record = &ShowUnit(w, row);
    b.list = qobject_cast<ModifierList*>(w.Control(BonusCheckboxName(kPersonalList)));
    if (!b.list || !b.list->isVisible()) Fail(BonusCheckboxName(kPersonalList) + " is not a visible check list");
    const auto& definitions = w.project.Catalogue().BonusDefinitions();
    for (size_t i = 0; i < definitions.size() && b.item < 0; ++i) {
        if (!BonusModifiers::GetBonusValue(*b.record, kPersonalList, definitions[i].name)) {
            b.item = static_cast<int>(i);
            b.name = definitions[i].name;
        }
    }
    if (b.item < 0 || b.item >= b.list->count()) Fail(b.record->UniqueName() + " has no modifier left to tick");
    if (b.list->Checked(b.item)) Fail(b.record->UniqueName() + ": " + b.name + " is ticked but not in the list");
    b.list->scrollToItem(b.list->item(b.item));
    Flush();
    b.at = b.list->visualItemRect(b.list->item(b.item)).center();
    if (!b.list->viewport()->rect().contains(b.at)) Fail(b.name + " is not in view in its check list");
    return b;
}

void ClickItem(const BonusItem& b) {
    QTest::mouseClick(b.list->viewport(), Qt::LeftButton, {}, b.at);
}

// After a tick the bonus is in the record's personal list with its default, recorded as added
// from "Off", and its item is ticked; after an untick it is gone from the list, the record of
// the session's addition is taken back and the item is not ticked.
void CheckBonus(const Window& w, const BonusItem& b, bool ticked) {
    const std::string who = b.record->UniqueName() + " " + b.name + ": ";
    const std::string* value = BonusModifiers::GetBonusValue(*b.record, kPersonalList, b.name);
    const QSChange* change =
        w.project.Changes().FindChange(b.record->UniqueName(), kBonusSections[kPersonalList], b.name);
    if (b.list->Checked(b.item) != ticked) Fail(who + "the item's mark is wrong after the click");
    if (ticked) {
        const auto& definition = w.project.Catalogue().BonusDefinitions()[static_cast<size_t>(b.item)];
        if (!value || *value != BonusDefaultValue(definition.action))
            Fail(who + "the tick did not add the bonus with its default");
        if (!change || change->before != "Off") Fail(who + "the tick is not recorded as added");
    } else {
        if (value) Fail(who + "the untick left the bonus in the list");
        if (change) Fail(who + "the untick left the record of its addition");
    }
}

// Each editing operation once, before anything is timed: what it records, what the window
// shows (the box's colour, the list row as it paints it, every control after a tick) and that
// taking it back leaves nothing.
void CheckEditing(Window& w) {
    HitPointsBox e = FocusHitPoints(w);
    if (SameColor(e.box, kColorSession) || RedPixelsOfRow(w, e.row) != 0)
        Fail("the unit is shown in red before it is edited");
    e.box->selectAll();
    TypeOver(e, e.typed[0]);
    Flush();
    CheckTyped(w, e, e.typed[0]);
    if (RedPixelsOfRow(w, e.row) == 0) Fail("the edited unit's row is not painted red");
    e.box->selectAll();
    TypeOver(e, e.typed[1]);
    Flush();
    CheckTyped(w, e, e.typed[1]);
    CheckRendered(w);
    CtrlZ(e);
    Flush();
    CheckTakenBack(w, e);
    if (RedPixelsOfRow(w, e.row) != 0) Fail("the unit's row stays red after Ctrl+Z");

    BonusItem b = ShowBonusItem(w);
    const int row = w.form.CurrentIndex();
    ClickItem(b);
    Flush();
    CheckBonus(w, b, true);
    CheckRendered(w);
    if (RedPixelsOfRow(w, row) == 0) Fail("the row of the unit given a bonus is not painted red");
    ClickItem(b);
    Flush();
    CheckBonus(w, b, false);
    CheckRendered(w);
    if (RedPixelsOfRow(w, row) != 0) Fail("the unit's row stays red after the untick");
    if (w.project.Changes().Count() != 0) Fail("editing and taking back left changes");
    std::printf("checked: a typed character in %s is recorded and shown red in its box and row, "
                "Ctrl+Z takes it back; %s ticked on %s is added and recorded, unticked it is gone\n",
                kHitPoints, b.name.c_str(), b.record->UniqueName().c_str());
}

// One iteration: a typed character in the hit points box (over its text, selected untimed),
// then the repaint it asks for. The two values alternate, so every keystroke changes the
// field. With firstChange, Ctrl+Z takes the change back untimed first, so that each keystroke
// records a new change and turns the unit's row red (the list's states and its repaint).
void BM_TypeInBox(benchmark::State& state, bool firstChange) {
    Window& w = *gWindow;
    const HitPointsBox e = FocusHitPoints(w);
    size_t n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const char c = e.typed[n++ % e.typed.size()];
        if (firstChange) CtrlZ(e);
        e.box->selectAll();
        Flush();
        state.ResumeTiming();
        TypeOver(e, c);
        Flush();
        state.PauseTiming();
        CheckTyped(w, e, c);
        state.ResumeTiming();
    }
    CtrlZ(e);
    Flush();
    CheckTakenBack(w, e);
}

// One iteration: Ctrl+Z in the hit points box holding a change (typed untimed), then the
// repaint it asks for: the box back to the loaded value and the unit's row out of red.
void BM_UndoInBox(benchmark::State& state) {
    Window& w = *gWindow;
    const HitPointsBox e = FocusHitPoints(w);
    size_t n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const char c = e.typed[n++ % e.typed.size()];
        e.box->selectAll();
        TypeOver(e, c);
        Flush();
        CheckTyped(w, e, c);
        state.ResumeTiming();
        CtrlZ(e);
        Flush();
        state.PauseTiming();
        CheckTakenBack(w, e);
        state.ResumeTiming();
    }
}

// One iteration: a click that ticks (tick) or unticks a modifier of the unit's personal list,
// then the repaint it asks for; the opposite click, before or after, is not timed.
void BM_ClickBonus(benchmark::State& state, bool tick) {
    Window& w = *gWindow;
    const BonusItem b = ShowBonusItem(w);
    for (auto _ : state) {
        state.PauseTiming();
        if (!tick) {
            ClickItem(b);
            Flush();
            CheckBonus(w, b, true);
        }
        state.ResumeTiming();
        ClickItem(b);
        Flush();
        state.PauseTiming();
        CheckBonus(w, b, tick);
        if (tick) {
            ClickItem(b);
            Flush();
            CheckBonus(w, b, false);
        }
        state.ResumeTiming();
    }
    if (w.project.Changes().Count() != 0) Fail("the bonus clicks left changes");
}

void Register() {
    auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->UseRealTime(); };
    for (const ObjectView& v : kObjectViews) {
        const std::string suffix = std::string("/") + v.name;
        ms(benchmark::RegisterBenchmark(("Window_ClickRow" + suffix).c_str(), BM_ClickRow, v.view, false));
        ms(benchmark::RegisterBenchmark(("Window_ClickRowAndPaint" + suffix).c_str(), BM_ClickRowAndPaint, v.view));
        ms(benchmark::RegisterBenchmark(("Window_ShowObject" + suffix).c_str(), BM_WindowShowObject, v.view));
        ms(benchmark::RegisterBenchmark(("Window_ApplyVisibility" + suffix).c_str(), BM_ApplyVisibility, v.view));
        ms(benchmark::RegisterBenchmark(("Core_ShowObject" + suffix).c_str(), BM_CoreShowObject, v.view));
    }
    // Each view after the one before it in the menu, round the three.
    for (size_t i = 0; i < kObjectViews.size(); ++i) {
        const ObjectView& from = kObjectViews[(i + kObjectViews.size() - 1) % kObjectViews.size()];
        const ObjectView& to = kObjectViews[i];
        const std::string suffix = std::string("/") + to.name + "_after_" + from.name;
        ms(benchmark::RegisterBenchmark(("Window_SelectView" + suffix).c_str(), BM_SelectView, from.view, to.view, false));
        if (to.view == kViewUnits)
            ms(benchmark::RegisterBenchmark(("Window_SelectViewAndPaint" + suffix).c_str(), BM_SelectView, from.view,
                                            to.view, true));
        ms(benchmark::RegisterBenchmark(("Core_SelectView" + suffix).c_str(), BM_CoreSelectView, from.view, to.view));
    }
    ms(benchmark::RegisterBenchmark("Headless_OpenMod", BM_HeadlessOpen));
    ms(benchmark::RegisterBenchmark("Window_OpenMod", BM_WindowOpen, true));
    ms(benchmark::RegisterBenchmark("Window_OpenMod/NoLoadingWindow", BM_WindowOpen, false));
    ms(benchmark::RegisterBenchmark("Window_TypeKeyAndPaint/Update", BM_TypeInBox, false));
    ms(benchmark::RegisterBenchmark("Window_TypeKeyAndPaint/FirstChange", BM_TypeInBox, true));
    ms(benchmark::RegisterBenchmark("Window_TickBonusAndPaint", BM_ClickBonus, true));
    ms(benchmark::RegisterBenchmark("Window_UntickBonusAndPaint", BM_ClickBonus, false));
    ms(benchmark::RegisterBenchmark("Window_CtrlZAndPaint", BM_UndoInBox));
}

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    DisableLog();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    WriteInstallation();
    auto window = std::make_unique<Window>();
    window->Open();
    Flush();
    CheckOpening(*window);
    SweepEveryRow(*window);
    CheckEditing(*window);
    gWindow = window.get();

    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    window.reset();  // before the application goes
    return 0;
}
