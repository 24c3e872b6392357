// brix_bench_resources: what the resource manager adds to parsing a game's object INI files,
// against parsing the same texts already in memory, in the same run.
//
// A max-scale sample installation is written once by brix-sample-game into a directory made
// with mkdtemp. One managed pass mounts it, finds every unit, hero and building INI file with
// the wildcard search and asks for each once, as the editor does when it opens a game; the
// floor parses the same texts, read beforehand, with QSINIFile::LoadText. Before timing, every
// value served by the manager must equal the one parsed in memory.

#include <benchmark/benchmark.h>
#include <ini.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "BenchSupport.h"
#include "core/HashName.h"
#include "core/QSError.h"
#include "core/QSINIFile.h"
#include "resources/QSResourceMgr.h"
#include "resources/QSStreamFile.h"

namespace {

const char* const kFolders[] = {"units", "heroes", "buildings"};

std::string gInstall;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "brix_bench_resources: %s\n", what.c_str());
    std::exit(1);  // the temporary directory is removed at exit
}

std::string FolderPrefix(const char* folder) {
    return std::string("Data\\ObjectData\\") + folder + "\\";
}

// Calls visit(name) for every INI file the manager finds in the three object folders.
template <typename Visit>
void ForEachObjectFile(QSResourceMgr& mgr, Visit&& visit) {
    std::string name;
    for (const char* folder : kFolders) {
        const std::string prefix = FolderPrefix(folder);
        const std::string pattern = prefix + "*.ini";
        QSFindData found;
        QSResourceSearch* search = mgr.FindFirstResource(pattern.c_str(), &found, false);
        if (!search) continue;
        do {
            if (found.attributes & kFindDirectory) continue;
            name.assign(prefix).append(found.fileName);
            visit(name);
        } while (mgr.FindNextResource(search, &found));
        mgr.FindCloseResource(search);
    }
}

struct PassResult {
    size_t files = 0;
    uint64_t keys = 0;
    bool operator==(const PassResult&) const = default;
};

// --- The timed work ---------------------------------------------------------------------------

// Mount, find, request and wait for every object file once, unmount.
PassResult ManagedPass() {
    PassResult result;
    QSResourceMgr mgr;
    mgr.Init(gInstall.c_str(), nullptr);
    ForEachObjectFile(mgr, [&](const std::string& name) {
        QSINIFile* ini = mgr.GetINIFile(name.c_str());
        ++result.files;
        result.keys += ini->KeyCount();
    });
    mgr.UnInit();
    return result;
}

// The same without reading any file: mounting, searching and unmounting alone.
PassResult MountAndSearch() {
    PassResult result;
    QSResourceMgr mgr;
    mgr.Init(gInstall.c_str(), nullptr);
    ForEachObjectFile(mgr, [&](const std::string&) { ++result.files; });
    mgr.UnInit();
    return result;
}

struct Corpus {
    std::vector<std::string> names;  // in the order the manager finds them
    std::vector<std::string> texts;
    std::vector<size_t> nodes;       // each file's place in the archive's FileNode table
    size_t bytes = 0;
};

const Corpus* gCorpus = nullptr;
std::string gArchivePath;

// No manager: the archive opened directly, each file read and parsed in place on the
// calling thread, in the same order. The managed pass minus this is mostly the hand-over of
// every file to the reader's thread and back.
PassResult DirectReadAndParse() {
    PassResult result;
    QSStreamFile archive(gArchivePath);
    ResourceContent content;
    for (size_t index : gCorpus->nodes) {
        archive.ReadContent(archive.Nodes()[index], content);
        QSINIFile ini;
        ini.Process(&content);
        ++result.files;
        result.keys += ini.KeyCount();
    }
    return result;
}

// The floor: a fresh file object per text, parsed from memory.
PassResult InMemoryParse(const Corpus& corpus) {
    PassResult result;
    for (const std::string& text : corpus.texts) {
        QSINIFile ini;
        ini.LoadText(text);
        ++result.files;
        result.keys += ini.KeyCount();
    }
    return result;
}

// The INI peer: the same texts parsed from memory by inih, with a handler that only counts.
int CountValue(void* user, const char*, const char*, const char*) {
    ++*static_cast<uint64_t*>(user);
    return 1;
}

PassResult InihParse(const Corpus& corpus) {
    PassResult result;
    for (const std::string& text : corpus.texts) {
        ini_parse_string(text.c_str(), CountValue, &result.keys);
        ++result.files;
    }
    return result;
}

// --- Set-up and the check before timing --------------------------------------------------------

void WriteInstallation() {
    std::string problem;
    gInstall = bench::WriteSampleInstallation(BRIX_SAMPLE_GAME, "brix_bench_resources", "", &problem);
    if (gInstall.empty()) Fail(problem);
}

// The names the archive itself holds in the three folders, read without the manager.
std::vector<std::string> NamesInArchive(const QSStreamFile& archive) {
    std::vector<std::string> names;
    for (const FileNode& node : archive.Nodes()) {
        std::string_view name(node.name);
        for (const char* folder : kFolders) {
            const std::string prefix = FolderPrefix(folder);
            if (name.size() > prefix.size() + 4 && SameName(name.substr(0, prefix.size()), prefix) &&
                name.find('\\', prefix.size()) == std::string_view::npos &&
                SameName(name.substr(name.size() - 4), ".ini")) {
                names.emplace_back(name);
            }
        }
    }
    return names;
}

// The manager must find exactly the archive's object files; their texts are read straight
// from the archive.
Corpus LoadCorpus() {
    gArchivePath = gInstall + "/Dravik.qsw";
    QSStreamFile archive(gArchivePath);
    if (!archive.IsOpen()) Fail("cannot open " + gArchivePath);

    Corpus corpus;
    {
        QSResourceMgr mgr;
        mgr.Init(gInstall.c_str(), nullptr);
        ForEachObjectFile(mgr, [&](const std::string& name) { corpus.names.push_back(name); });
        mgr.UnInit();
    }
    std::vector<std::string> expected = NamesInArchive(archive);
    std::vector<std::string> found = corpus.names;
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    if (found != expected) {
        Fail("the manager finds " + std::to_string(found.size()) + " object files, the archive holds " +
             std::to_string(expected.size()));
    }

    std::unordered_map<std::string_view, const FileNode*> nodes;
    for (const FileNode& node : archive.Nodes()) nodes.emplace(node.name, &node);
    for (const std::string& name : corpus.names) {
        auto it = nodes.find(name);
        const FileNode* node = it == nodes.end() ? nullptr : it->second;
        ResourceContent content;
        if (!node || archive.ReadContent(*node, content) != node->Len) Fail("cannot read " + name);
        corpus.texts.emplace_back(content.data.get(), node->Len);
        corpus.nodes.push_back(static_cast<size_t>(node - archive.Nodes().data()));
        corpus.bytes += node->Len;
    }
    return corpus;
}

std::string Show(const char* s) {
    return s ? "\"" + std::string(s) + "\"" : "(missing)";
}

// Every value the manager serves must equal the in-memory parse's, for every file, and the
// timed passes must agree on what they count.
void CheckCorpus(const Corpus& corpus) {
    QSResourceMgr mgr;
    mgr.Init(gInstall.c_str(), nullptr);
    uint64_t values = 0;
    for (size_t i = 0; i < corpus.names.size(); ++i) {
        const std::string& name = corpus.names[i];
        QSINIFile* served = mgr.GetINIFile(name.c_str());
        QSINIFile parsed;
        if (!served || parsed.LoadText(corpus.texts[i]) != 1) Fail(name + ": nothing to compare");
        if (served->SectionCount() != parsed.SectionCount() || served->KeyCount() != parsed.KeyCount()) {
            Fail(name + ": the manager's file holds " + std::to_string(served->SectionCount()) +
                 " sections and " + std::to_string(served->KeyCount()) + " keys, the text " +
                 std::to_string(parsed.SectionCount()) + " and " + std::to_string(parsed.KeyCount()));
        }
        for (const char* section = parsed.FirstSection(); section; section = parsed.NextSection()) {
            for (const QSINIKey* key = parsed.FirstKeyRecord(section); key;
                 key = parsed.NextKeyRecord(section)) {
                if (!key->name) continue;
                const char* want = parsed.FindValue(section, key->name);
                const char* got = served->FindValue(section, key->name);
                if (!want || !got || std::strcmp(want, got) != 0) {
                    Fail(name + ": [" + section + "] " + key->name + " is " + Show(got) +
                         " through the manager, " + Show(want) + " in memory");
                }
                ++values;
            }
        }
        if (served->FindValue("ObjectData", "NoSuchKey")) Fail(name + ": finds a key that is not there");
    }
    mgr.UnInit();
    if (values == 0) Fail("no values compared");

    const PassResult managed = ManagedPass();
    const PassResult floor = InMemoryParse(corpus);
    if (managed.files != corpus.names.size() || !(managed == floor) || !(DirectReadAndParse() == floor) ||
        !(InihParse(corpus) == floor)) {
        Fail("the timed passes disagree: managed " + std::to_string(managed.files) + " files, " +
             std::to_string(managed.keys) + " keys; in memory " + std::to_string(floor.files) +
             " files, " + std::to_string(floor.keys) + " keys; or the direct pass or inih differs");
    }
    std::printf("corpus: %zu object INI files, %zu bytes, %llu values; the manager serves the same "
                "values as the in-memory parse\n",
                corpus.names.size(), corpus.bytes, static_cast<unsigned long long>(values));
}

template <PassResult (*Run)()>
void BM_Pass(benchmark::State& state) {
    for (auto _ : state) {
        PassResult r = Run();
        if (r.files != gCorpus->names.size()) Fail("a pass found a different number of files");
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gCorpus->bytes));
}

void BM_InMemoryParse(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(InMemoryParse(*gCorpus));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gCorpus->bytes));
}

void BM_InihParse(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(InihParse(*gCorpus));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gCorpus->bytes));
}

}  // namespace

// Real time: the reader's thread does part of the managed work.
BENCHMARK(BM_Pass<ManagedPass>)->Name("Managed_MountFindLoadAll")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InMemoryParse)->Name("InMemory_ParseAll")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InihParse)->Name("InMemory_InihParseAll")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pass<DirectReadAndParse>)->Name("Direct_ReadParseAll")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pass<MountAndSearch>)->Name("Managed_MountFindOnly")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    DisableLog();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    WriteInstallation();
    static const Corpus corpus = LoadCorpus();
    gCorpus = &corpus;
    CheckCorpus(corpus);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
