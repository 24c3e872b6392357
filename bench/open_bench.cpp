// brix_bench_open: opening a mod project as the editor does, and showing every object once,
// against reading the same bytes and parsing the same INI texts, in the same run.
//
// A max-scale sample installation with its mod packages is written once by brix-sample-game
// into a directory made with mkdtemp. The package opened is IronTide.qsx, the sample mod
// that replaces the most object files (three units changed, one added). The floors:
//   - the object INI texts of the working set (what the second pass of an opening parses),
//     read beforehand, each parsed once by inih with a handler that only counts;
//   - every byte of the game's archive and of the package read once with read(), and the
//     same files through a real `cat` process.
// Before timing, one opening must hold as many records as the archives' own file tables
// list, mark exactly the package's records as the mod's, and report each of them in the
// global history; showing every object must colour exactly the mod's records as differing
// from the game.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <ini.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "BenchSupport.h"
#include "core/MemoryReuse.h"
#include "core/HashName.h"
#include "core/QSError.h"
#include "core/QSINIFile.h"
#include "core/QSLocalization.h"
#include "mods/ModHistory.h"
#include "mods/ModProject.h"
#include "objects/ObjectCatalogue.h"
#include "objects/ObjectDisplay.h"
#include "resources/QSResourceMgr.h"
#include "resources/QSStreamFile.h"

extern char** environ;

namespace {

// The three kind directories, with the view each fills.
struct Kind {
    const char* folder;
    int view;
};
constexpr std::array<Kind, 3> kKinds = {
    {{"units", kViewUnits}, {"heroes", kViewHeroes}, {"buildings", kViewBuildings}}};

constexpr const char* kPackageName = "IronTide.qsx";

std::string gInstall;  // the installation directory
std::string gPackage;  // the package's path
std::string gArchive;  // the game's archive

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "brix_bench_open: %s\n", what.c_str());
    std::exit(1);  // the temporary directory is removed at exit
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string FolderPrefix(const char* folder) {
    return std::string("Data\\ObjectData\\") + folder + "\\";
}

// --- The corpus of the floors -------------------------------------------------------------------

struct Corpus {
    std::vector<std::string> names;
    std::vector<std::string> texts;
    size_t bytes = 0;
};

// The object INI texts of the working set: for each kind directory the files the manager
// finds, in its order and up to the catalogue's limit, then the components, settings and
// colours files; read through a manager mounted with the package.
Corpus LoadCorpus() {
    Corpus corpus;
    QSResourceMgr mgr;
    mgr.Init(gInstall.c_str(), gPackage.c_str());
    for (const Kind& kind : kKinds) {
        const std::string prefix = FolderPrefix(kind.folder);
        const std::string pattern = prefix + "*.ini";
        QSFindData found;
        QSResourceSearch* search = mgr.FindFirstResource(pattern.c_str(), &found, false);
        int taken = 0;
        for (bool more = search != nullptr; more && taken < kMaxObjectsPerKind;
             more = mgr.FindNextResource(search, &found)) {
            if (found.attributes & kFindDirectory) continue;
            corpus.names.push_back(prefix + found.fileName);
            ++taken;
        }
        mgr.FindCloseResource(search);
    }
    for (const char* name : {kComponentsResource, kSettingsResource, kColorsResource})
        corpus.names.emplace_back(name);
    for (const std::string& name : corpus.names) {
        std::string text = mgr.ReadTextResource(name.c_str());
        if (text.empty()) Fail("cannot read " + name);
        corpus.bytes += text.size();
        corpus.texts.push_back(std::move(text));
    }
    mgr.UnInit();
    return corpus;
}

int CountValue(void* user, const char*, const char*, const char*) {
    ++*static_cast<uint64_t*>(user);
    return 1;
}

// The inih floor: every text parsed once from memory; returns the values seen.
uint64_t InihParseAll(const Corpus& corpus) {
    uint64_t values = 0;
    for (const std::string& text : corpus.texts)
        ini_parse_string(text.c_str(), CountValue, &values);
    return values;
}

// --- Opening --------------------------------------------------------------------------------

void Open(ModProject& project) {
    project.SetInstallationPaths(gInstall, gInstall);
    project.OpenMod(gInstall, gPackage);
}

// What the archives' own file tables say an opening must find.
struct Expected {
    std::array<size_t, kKinds.size()> retail{};   // records of the retail lists
    std::array<size_t, kKinds.size()> working{};  // records of the working lists
    std::set<std::string> packageObjects;  // lower-case unique names of the package's objects
};

// Lower-case unique names of the object files directly in one kind directory of an archive.
std::set<std::string> ObjectNames(const std::string& archivePath, const char* folder) {
    QSStreamFile archive(archivePath);
    if (!archive.IsOpen()) Fail("cannot open " + archivePath);
    const std::string prefix = FolderPrefix(folder);
    std::set<std::string> names;
    for (const FileNode& node : archive.Nodes()) {
        const std::string_view name(node.name);
        if (name.size() > prefix.size() + 4 && SameName(name.substr(0, prefix.size()), prefix) &&
            name.find('\\', prefix.size()) == std::string_view::npos &&
            SameName(name.substr(name.size() - 4), ".ini")) {
            names.insert(Lower(name.substr(prefix.size(), name.size() - prefix.size() - 4)));
        }
    }
    return names;
}

Expected ExpectedOpening() {
    Expected e;
    for (size_t k = 0; k < kKinds.size(); ++k) {
        const std::set<std::string> game = ObjectNames(gArchive, kKinds[k].folder);
        const std::set<std::string> mod = ObjectNames(gPackage, kKinds[k].folder);
        std::set<std::string> all = game;
        all.insert(mod.begin(), mod.end());
        const auto cap = static_cast<size_t>(kMaxObjectsPerKind);
        e.retail[k] = std::min(game.size(), cap);
        e.working[k] = std::min(all.size(), cap);
        e.packageObjects.insert(mod.begin(), mod.end());
    }
    return e;
}

// Counts of every list an opening fills must match; the failure names the list.
void CheckCounts(const ModProject& project, const Expected& e) {
    const ObjectCatalogue& c = project.Catalogue();
    for (size_t k = 0; k < kKinds.size(); ++k) {
        const size_t retail = c.Objects(kKinds[k].view, true).Count();
        const size_t working = c.Objects(kKinds[k].view, false).Count();
        if (retail != e.retail[k] || working != e.working[k]) {
            Fail(std::string(kKinds[k].folder) + ": the opening read " + std::to_string(retail) +
                 " retail and " + std::to_string(working) + " working records; the archives hold " +
                 std::to_string(e.retail[k]) + " and " + std::to_string(e.working[k]));
        }
    }
    if (project.GlobalHistory().empty()) Fail("the global history is empty");
}

// The full check of one opening, made before anything is timed. Returns the number of the
// package's objects the opening read.
size_t CheckOpening(const ModProject& project, const Expected& e, const Corpus& corpus) {
    CheckCounts(project, e);
    const ObjectCatalogue& c = project.Catalogue();
    const std::string& history = project.GlobalHistory();
    if (history.rfind("Mod name: IronTide\r\n", 0) != 0)
        Fail("the global history does not begin with the mod's name");

    size_t fromPackage = 0;
    for (const Kind& kind : kKinds) {
        for (const QSObjectData* r : c.Objects(kind.view, false)) {
            const bool inPackage = e.packageObjects.count(Lower(r->UniqueName())) != 0;
            if (inPackage != (r->changeState == kSuppliedByMod))
                Fail(r->UniqueName() + ": marked as the mod's " + (inPackage ? "not " : "") +
                     "though the package " + (inPackage ? "holds" : "lacks") + " it");
            if (!inPackage) continue;
            ++fromPackage;
            // The sample mod changes or adds every object it holds: each has a line.
            if (history.find("Changed " + r->UniqueName() + "(") == std::string::npos &&
                history.find("Added " + r->UniqueName() + "(") == std::string::npos)
                Fail(r->UniqueName() + " is the mod's but missing from the global history");
        }
    }
    if (fromPackage == 0) Fail("no record comes from the package");

    // The components view lists every section of the components file that is not a bonus list.
    QSINIFile components;
    const auto at = std::find(corpus.names.begin(), corpus.names.end(), kComponentsResource);
    components.LoadText(corpus.texts[static_cast<size_t>(at - corpus.names.begin())]);
    size_t sections = 0;
    for (const char* s = components.FirstSection(); s; s = components.NextSection())
        sections += Lower(s).find("bonuses") == std::string::npos;
    if (c.Objects(kViewComponents, false).Count() != sections)
        Fail("the components view holds " +
             std::to_string(c.Objects(kViewComponents, false).Count()) + " records, the file " +
             std::to_string(sections) + " components");
    if (c.Objects(kViewGlobal, false).Count() != 2)
        Fail("the global view should hold settings and colours");
    return fromPackage;
}

// --- Showing --------------------------------------------------------------------------------

// Shows every record of every view once; calls seen(record, shown) for each.
template <typename Seen>
size_t ShowAll(ObjectCatalogue& c, const ChangeList& changes, const ListItemSet& lists,
               Seen&& seen) {
    size_t count = 0;
    for (int view = 0; view < kViewCount; ++view) {
        c.SelectView(view);
        const int n = static_cast<int>(c.ViewList().Count());
        for (int i = 0; i < n; ++i) {
            ShownObject shown = ShowObject(c, changes, i, lists);
            seen(*c.ViewList()[static_cast<uint32_t>(i)], shown);
            ++count;
        }
    }
    return count;
}

// Showing must name the record shown, and colour a value green (differs from the game) for
// the package's records only, in every view.
size_t CheckShowing(ModProject& project) {
    const ListItemSet lists = ListItemSet::FromCatalogue(project.Catalogue());
    size_t greenRecords = 0;
    const size_t shown =
        ShowAll(project.Catalogue(), project.Changes(), lists,
                [&](const QSObjectData& r, const ShownObject& s) {
                    if (s.uniqueName != r.UniqueName() || s.controls.empty())
                        Fail("showing " + r.UniqueName() + " gave " + s.uniqueName);
                    bool green = false;
                    for (const ShownControl& control : s.controls)
                        green = green || control.color == kColorMod;
                    if (green != (r.changeState == kSuppliedByMod))
                        Fail("showing " + r.UniqueName() +
                             (green ? " colours" : " does not colour") + " a value as the mod's");
                    greenRecords += green;
                });
    if (greenRecords == 0) Fail("no shown record differs from the game");
    return shown;
}

// --- The floors of reading --------------------------------------------------------------------

std::vector<std::string> ArchiveFiles() {
    return {gArchive, gPackage};
}

size_t TotalSize(const std::vector<std::string>& files) {
    size_t total = 0;
    for (const std::string& f : files) total += std::filesystem::file_size(f);
    return total;
}

// Every byte of the files read once into one buffer, as `cat > /dev/null` does.
size_t ReadEveryByte(const std::vector<std::string>& files) {
    static std::vector<char> buffer(128 * 1024);
    size_t total = 0;
    for (const std::string& f : files) {
        const int fd = open(f.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) Fail("cannot open " + f);
        for (ssize_t got; (got = read(fd, buffer.data(), buffer.size())) != 0;) {
            if (got < 0) Fail("cannot read " + f);
            total += static_cast<size_t>(got);
        }
        close(fd);
    }
    return total;
}

// `cat FILES > /dev/null` as a process; false unless it ends with status 0.
bool RunCat(const std::vector<std::string>& files) {
    std::vector<char*> argv;
    static char cat[] = "cat";
    argv.push_back(cat);
    for (const std::string& f : files) argv.push_back(const_cast<char*>(f.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, "cat", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// --- Set-up -----------------------------------------------------------------------------------

void WriteInstallation() {
    std::string problem;
    gInstall = bench::WriteSampleInstallation(BRIX_SAMPLE_GAME, "brix_bench_open", "--mods", &problem);
    if (gInstall.empty()) Fail(problem);
    gPackage = (std::filesystem::path(gInstall) / kPackageName).string();
    gArchive = (std::filesystem::path(gInstall) / "Dravik.qsw").string();
    if (!std::filesystem::exists(gPackage))
        Fail(std::string("the sample game wrote no ") + kPackageName);
}

// Peak resident sets of children forked while this process is still small: one that does
// nothing, one that reads the corpus and parses it with inih, one that opens the mod. Each
// runs three times; the medians are printed.
void ReportPeakMemory(const Expected& expected) {
    auto median = [](auto run) {
        std::array<long, 3> kib{};
        for (long& k : kib) {
            k = run();
            if (k < 0) Fail("a measuring child failed");
        }
        std::sort(kib.begin(), kib.end());
        return kib[1];
    };
    const long idle = median([] { return bench::ChildPeakRssKiB([] { return 0; }); });
    const long inih = median([] {
        return bench::ChildPeakRssKiB([] {
            const Corpus corpus = LoadCorpus();
            return InihParseAll(corpus) > 0 ? 0 : 1;
        });
    });
    const long open = median([&] {
        return bench::ChildPeakRssKiB([&] {
            ModProject project;
            Open(project);
            CheckCounts(project, expected);
            return 0;
        });
    });
    std::printf(
        "peak RSS (KiB, median of 3 children): idle %ld, inih floor %ld, opening %ld; "
        "above idle: inih %ld, opening %ld (%.2fx)\n",
        idle, inih, open, inih - idle, open - idle,
        static_cast<double>(open - idle) / static_cast<double>(inih - idle));
}

const Corpus* gCorpus = nullptr;
const Expected* gExpected = nullptr;
ModProject* gShown = nullptr;  // one opening, for showing
const ListItemSet* gLists = nullptr;
size_t gObjectsShown = 0;
size_t gArchiveBytes = 0;

// --- Benchmarks -----------------------------------------------------------------------------

// A fresh project per iteration; making and destroying it are not timed.
void BM_Open(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto project = std::make_unique<ModProject>();
        state.ResumeTiming();
        Open(*project);
        state.PauseTiming();
        CheckCounts(*project, *gExpected);
        project.reset();
        state.ResumeTiming();
    }
}

// --- The opening taken apart -------------------------------------------------------------------
//
// The same public calls ModProject::OpenProject makes, in its order, so that the opening's
// time can be split: both mounts with their localisation and nothing read; the retail pass
// alone; both passes; the global history of an opened project. Opening minus both passes is
// the history, the package's identity and the access code.

struct Passes {
    QSResourceMgr mgr;
    QSLocalization loc;
    ObjectCatalogue catalogue{mgr};
    Passes() { mgr.SetTranslator(&loc); }
    // As with a project, the second mount stays until the end, which is not timed.
    ~Passes() {
        if (mgr.Initialised()) Unmount();
    }

    void Mount(const char* package, bool localise) {
        mgr.Init(gInstall.c_str(), package);
        if (localise) loc.LoadLocalization(mgr, "English");
    }
    void Unmount() {
        loc.ReleaseLocalization();
        mgr.FlushINIQueue();
        mgr.UnInit();
    }
    void Retail() {
        Mount(nullptr, true);
        catalogue.LoadAllObjects(true);
        Unmount();
    }
    void Working() {
        Mount(gPackage.c_str(), true);
        catalogue.LoadBonusDefinitions();
        catalogue.LoadSpellNames();
        catalogue.LoadTechnologyNames();
        catalogue.LoadAllObjects(false);
        catalogue.LoadSampleNames();
    }
};

template <void (*Step)(Passes&)>
void BM_Split(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto passes = std::make_unique<Passes>();
        state.ResumeTiming();
        Step(*passes);
        state.PauseTiming();
        passes.reset();
        state.ResumeTiming();
    }
}

void MountsOnly(Passes& p) {
    p.Mount(nullptr, false);
    p.Unmount();
    p.Mount(gPackage.c_str(), false);
}

void MountsAndLocalisation(Passes& p) {
    p.Mount(nullptr, true);
    if (p.loc.EntryCount() == 0) Fail("no localisation loaded");
    p.Unmount();
    p.Mount(gPackage.c_str(), true);
    if (p.loc.EntryCount() == 0) Fail("no localisation loaded");
}

void RetailPass(Passes& p) {
    p.Retail();
    if (p.catalogue.Objects(kViewUnits, true).Count() != gExpected->retail[0])
        Fail("the retail pass differs");
}

void BothPasses(Passes& p) {
    p.Retail();
    p.Working();
    if (p.catalogue.Objects(kViewUnits, false).Count() != gExpected->working[0])
        Fail("the working pass differs");
}

void BM_GlobalHistory(benchmark::State& state) {
    for (auto _ : state) {
        std::string history = BuildGlobalHistory(gShown->Identity(), gShown->Catalogue());
        if (history != gShown->GlobalHistory())
            Fail("the global history differs from the opening's");
        benchmark::DoNotOptimize(history);
    }
}

// Our own parser over the floor's texts, for comparison: a fresh QSINIFile per text.
void BM_OurParseAll(benchmark::State& state) {
    for (auto _ : state) {
        uint64_t keys = 0;
        for (const std::string& text : gCorpus->texts) {
            QSINIFile ini;
            ini.LoadText(text);
            keys += ini.KeyCount();
        }
        benchmark::DoNotOptimize(keys);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gCorpus->bytes));
}

void BM_ShowEveryObject(benchmark::State& state) {
    for (auto _ : state) {
        const size_t n =
            ShowAll(gShown->Catalogue(), gShown->Changes(), *gLists,
                    [](const QSObjectData&, ShownObject& s) { benchmark::DoNotOptimize(s); });
        if (n != gObjectsShown) Fail("showing found a different number of objects");
    }
    state.counters["objects"] = static_cast<double>(gObjectsShown);
    state.counters["per_object"] = benchmark::Counter(
        static_cast<double>(gObjectsShown),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_InihParseAll(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(InihParseAll(*gCorpus));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gCorpus->bytes));
}

void BM_ReadEveryByte(benchmark::State& state) {
    const std::vector<std::string> files = ArchiveFiles();
    for (auto _ : state) {
        if (ReadEveryByte(files) != gArchiveBytes) Fail("read a different number of bytes");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gArchiveBytes));
}

void BM_CatProcess(benchmark::State& state) {
    const std::vector<std::string> files = ArchiveFiles();
    for (auto _ : state) {
        if (!RunCat(files)) Fail("cat failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gArchiveBytes));
}

}  // namespace

// Real time: the manager's reader thread and the cat process work off the main thread.
BENCHMARK(BM_Open)->Name("Open_IronTide")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShowEveryObject)
    ->Name("Show_EveryObjectOnce")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_InihParseAll)
    ->Name("Floor_InihParseAll")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ReadEveryByte)
    ->Name("Floor_ReadEveryByte")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CatProcess)->Name("Floor_CatProcess")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OurParseAll)
    ->Name("Peer_QSINIFileParseAll")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Split<MountsOnly>)
    ->Name("Split_MountsOnly")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Split<MountsAndLocalisation>)
    ->Name("Split_MountsAndLocalisation")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Split<RetailPass>)
    ->Name("Split_RetailPass")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Split<BothPasses>)
    ->Name("Split_BothPasses")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_GlobalHistory)
    ->Name("Split_GlobalHistory")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();  // as the programs do
    DisableLog();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    WriteInstallation();
    static const Expected expected = ExpectedOpening();
    gExpected = &expected;
    ReportPeakMemory(expected);  // before this process grows or starts a thread

    static const Corpus corpus = LoadCorpus();
    gCorpus = &corpus;
    const uint64_t values = InihParseAll(corpus);
    uint64_t keys = 0;
    for (const std::string& text : corpus.texts) {
        QSINIFile ini;
        ini.LoadText(text);
        keys += ini.KeyCount();
    }
    if (values == 0 || values != keys)
        Fail("inih sees " + std::to_string(values) + " values in the corpus, QSINIFile " +
             std::to_string(keys));

    gArchiveBytes = TotalSize(ArchiveFiles());
    if (ReadEveryByte(ArchiveFiles()) != gArchiveBytes || !RunCat(ArchiveFiles()))
        Fail("the read floors do not read the archives whole");

    static ModProject project;
    Open(project);
    const size_t fromPackage = CheckOpening(project, expected, corpus);
    gShown = &project;
    gObjectsShown = CheckShowing(project);
    static const ListItemSet lists = ListItemSet::FromCatalogue(project.Catalogue());
    gLists = &lists;

    std::printf(
        "opening: retail %zu/%zu/%zu, working %zu/%zu/%zu units/heroes/buildings, %zu records "
        "from the package, global history %zu bytes; showing: %zu objects\n",
        expected.retail[0], expected.retail[1], expected.retail[2], expected.working[0],
        expected.working[1], expected.working[2], fromPackage, project.GlobalHistory().size(),
        gObjectsShown);
    std::printf("floors: %zu INI texts, %zu bytes, %llu values; archives %zu bytes\n",
                corpus.texts.size(), corpus.bytes, static_cast<unsigned long long>(values),
                gArchiveBytes);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
