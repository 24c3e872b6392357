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

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
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
#include "objects/ObjectCatalogue.h"
#include "objects/ObjectDisplay.h"
#include "objects/QSObjectData.h"
#include "objects/SortOrders.h"
#include "ui/TForm1.h"
#include "ui/TForm3.h"

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
        const auto* box = qobject_cast<QListWidget*>(w.Control(BonusCheckboxName(list)));
        for (int i = 0; i < box->count(); ++i) {
            const bool on = static_cast<size_t>(i) < panel.checked.size() && panel.checked[static_cast<size_t>(i)];
            if ((box->item(i)->checkState() == Qt::Checked) != on)
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
    const auto* checklist = qobject_cast<QListWidget*>(w.Control("components_checklistbox"));
    for (int i = 0; i < checklist->count(); ++i) {
        const bool on = static_cast<size_t>(i) < shown.components.size() && shown.components[static_cast<size_t>(i)];
        if ((checklist->item(i)->checkState() == Qt::Checked) != on)
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
    gWindow = window.get();

    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    window.reset();  // before the application goes
    return 0;
}
