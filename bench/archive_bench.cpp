// brix_bench_archive: writing a mod archive with QSResourcer and reading every file back with
// QSStreamFile, each against a plain-file floor doing the same I/O, in the same run.
//
// The corpus is generated in memory from a fixed seed at the size of a large mod: 3000
// INI-like texts of 1-3 KB and 300 WAV-like samples of 20-150 KB. Before timing anything, an
// archive is built and every file read back from it must equal the original bytes.
//
// Every write ends with fflush + fsync + fclose, as the writer's does. The reads run with a
// warm page cache: they come right after the writes of the same files.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "BenchSupport.h"
#include "core/HashName.h"
#include "core/QSError.h"
#include "core/QSGameResource.h"
#include "resources/QSResourcer.h"
#include "resources/QSStreamFile.h"

namespace {

// --- Corpus ---------------------------------------------------------------------------------

struct CorpusFile {
    std::string path;  // with backslashes, as stored in the archive
    std::string data;
};

struct Corpus {
    std::vector<CorpusFile> files;
    std::vector<PackageEntry> entries;  // pointing into files
    size_t bytes = 0;
};

using bench::Rng;

const char* const kFolders[][2] = {
    {"units", "Unit"}, {"heroes", "Hero"}, {"spells", "Spell"}, {"buildings", "Building"},
    {"items", "Item"},
};
const char* const kSections[] = {"ObjectData", "UnitData", "Attack1", "Level1", "SpellData1",
                                 "Sounds", "Graphics", "Movement", "Requirements"};
const char* const kKeys[] = {"MaxHitPoints", "Defense", "Upkeep", "Description", "GoldCost",
                             "Speed", "Range", "MinDamage", "MaxDamage", "Sound", "Icon",
                             "Flags", "Cooldown", "Element", "Experience", "Portrait"};
const char* const kWords[] = {"fierce", "warrior", "northern", "hills", "strikes", "fire",
                              "frost",  "ancient", "guard",    "stone", "archer",  "shadow",
                              "mage",   "bolts",   "heavy",    "armour", "undead", "spear"};

// 1-3 KB of sections and Key=value lines with CR LF ends.
std::string MakeText(Rng& rng, uint32_t index) {
    const size_t target = rng.Between(1100, 3072);
    std::string text = "; object " + std::to_string(index) + "\r\n";
    std::string line;
    for (;;) {
        if (rng.Below(8) == 0) {
            line = std::string("\r\n[") + kSections[rng.Below(std::size(kSections))] + "]\r\n";
        } else {
            line = kKeys[rng.Below(std::size(kKeys))];
            line += '=';
            if (rng.Below(3) == 0) {
                for (uint32_t w = 0, n = rng.Between(2, 9); w < n; ++w) {
                    if (w) line += ' ';
                    line += kWords[rng.Below(std::size(kWords))];
                }
            } else {
                line += std::to_string(rng.Below(5000));
            }
            line += "\r\n";
        }
        if (text.size() + line.size() > target) return text;
        text += line;
    }
}

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 44-byte RIFF header (22050 Hz, mono, 16-bit) and a noisy triangle wave.
std::string MakeWave(Rng& rng, uint32_t size) {
    const uint32_t dataSize = size - 44;
    std::string wave = "RIFF";
    PutLe(wave, size - 8, 4);
    wave += "WAVEfmt ";
    PutLe(wave, 16, 4);
    PutLe(wave, 1, 2);          // PCM
    PutLe(wave, 1, 2);          // channels
    PutLe(wave, 22050, 4);      // sample rate
    PutLe(wave, 22050 * 2, 4);  // byte rate
    PutLe(wave, 2, 2);          // block align
    PutLe(wave, 16, 2);         // bits per sample
    wave += "data";
    PutLe(wave, dataSize, 4);
    wave.reserve(size);
    const int period = static_cast<int>(rng.Between(20, 200));
    uint64_t noise = rng.Next();
    for (uint32_t i = 0; i < dataSize / 2; ++i) {
        int phase = static_cast<int>(i % period);
        int tri = (phase < period / 2 ? phase : period - phase) * 40000 / period - 10000;
        noise = noise * 6364136223846793005ull + 1442695040888963407ull;
        int sample = tri + static_cast<int>((noise >> 52) & 0x3FF) - 512;
        PutLe(wave, static_cast<uint32_t>(sample) & 0xFFFF, 2);
    }
    return wave;
}

Corpus MakeCorpus(uint64_t seed) {
    Corpus corpus;
    Rng rng{seed};
    char name[96];
    uint32_t perFolder[std::size(kFolders)] = {};
    for (uint32_t i = 0; i < 3000; ++i) {
        const size_t f = i % std::size(kFolders);
        std::snprintf(name, sizeof name, "Data\\ObjectData\\%s\\%s_%04u.ini", kFolders[f][0],
                      kFolders[f][1], ++perFolder[f]);
        corpus.files.push_back({name, MakeText(rng, i)});
    }
    for (uint32_t i = 1; i <= 300; ++i) {
        std::snprintf(name, sizeof name, "Audio\\Game\\sample_%03u.wav", i);
        corpus.files.push_back({name, MakeWave(rng, rng.Between(20 * 1024, 150 * 1024) & ~1u)});
    }
    for (const CorpusFile& file : corpus.files) {
        corpus.entries.push_back(PackageEntry::Of(file.path, file.data));
        corpus.bytes += file.data.size();
    }
    return corpus;
}

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "brix_bench_archive: %s\n", what.c_str());
    std::exit(1);  // the temporary directory is removed at exit
}

// --- The timed work ---------------------------------------------------------------------------

const Corpus* gCorpus = nullptr;
std::string gArchivePath, gFloorPath;
std::vector<char> gFloorBuffer;  // sized once; the floor copies into it each time

// A few bytes and the length of each file; order-independent, so the archive's order (by
// hash) and the corpus order sum the same.
inline uint64_t Sample(const char* data, size_t size) {
    if (size == 0) return 1;
    return size + static_cast<unsigned char>(data[0]) * 3u +
           static_cast<unsigned char>(data[size / 2]) * 5u +
           static_cast<unsigned char>(data[size - 1]) * 7u;
}

void WriteArchive(const Corpus& corpus) {
    QSResourcer().Build(gArchivePath, "BB", "1.0.0.1", "Bench mod", corpus.entries, "");
}

void SyncAndClose(FILE* f) {
    if (std::fflush(f) != 0 || fsync(fileno(f)) != 0) Fail("flush or fsync of the floor failed");
    if (std::fclose(f) != 0) Fail("closing the floor file failed");
}

FILE* OpenFloor() {
    FILE* f = std::fopen(gFloorPath.c_str(), "wbe");
    if (!f) Fail("cannot create " + gFloorPath);
    return f;
}

// Gather every file into one buffer, one fwrite.
void WriteFloorOneBuffer(const Corpus& corpus) {
    char* p = gFloorBuffer.data();
    for (const CorpusFile& file : corpus.files) {
        std::memcpy(p, file.data.data(), file.data.size());
        p += file.data.size();
    }
    FILE* f = OpenFloor();
    if (std::fwrite(gFloorBuffer.data(), 1, corpus.bytes, f) != corpus.bytes) {
        Fail("fwrite of the floor failed");
    }
    SyncAndClose(f);
}

// One fwrite per file through the default stdio buffer.
void WriteFloorEachFile(const Corpus& corpus) {
    FILE* f = OpenFloor();
    for (const CorpusFile& file : corpus.files) {
        if (std::fwrite(file.data.data(), 1, file.data.size(), f) != file.data.size()) {
            Fail("fwrite of the floor failed");
        }
    }
    SyncAndClose(f);
}

uint64_t ReadArchive() {
    QSStreamFile archive(gArchivePath);
    if (!archive.IsOpen()) Fail("cannot open " + gArchivePath);
    ResourceContent content;
    uint64_t sum = 0;
    for (const FileNode& node : archive.Nodes()) {
        uint32_t n = archive.ReadContent(node, content);
        sum += Sample(content.data.get(), n);
    }
    return sum;
}

// The floor file holds the corpus back to back: one pread per file into its own buffer.
uint64_t ReadFloor(const Corpus& corpus) {
    int fd = open(gFloorPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail("cannot open " + gFloorPath);
    uint64_t sum = 0;
    off_t offset = 0;
    for (const CorpusFile& file : corpus.files) {
        const size_t size = file.data.size();
        auto buffer = std::make_unique_for_overwrite<char[]>(size);
        if (pread(fd, buffer.get(), size, offset) != static_cast<ssize_t>(size)) {
            Fail("short read from " + gFloorPath);
        }
        sum += Sample(buffer.get(), size);
        offset += static_cast<off_t>(size);
    }
    close(fd);
    return sum;
}

// --- The check before timing ------------------------------------------------------------------

// Builds the archive and the floor file once; every file read back must equal the original,
// and both timed readers must see the same bytes.
void CheckCorpus(const Corpus& corpus) {
    std::unordered_map<std::string, const CorpusFile*> byName;
    uint64_t expected = 0;
    for (const CorpusFile& file : corpus.files) {
        if (!byName.emplace(file.path, &file).second) Fail("duplicate name " + file.path);
        expected += Sample(file.data.data(), file.data.size());
    }

    WriteArchive(corpus);
    QSStreamFile archive(gArchivePath);
    if (!archive.IsOpen()) Fail("cannot open " + gArchivePath);
    if (archive.Nodes().size() != corpus.files.size()) {
        Fail("the archive holds " + std::to_string(archive.Nodes().size()) + " files, " +
             std::to_string(corpus.files.size()) + " were written");
    }
    ResourceContent content;
    for (const FileNode& node : archive.Nodes()) {
        auto it = byName.find(node.name);
        if (it == byName.end()) Fail(std::string("unknown or repeated name in the archive: ") + node.name);
        const std::string& want = it->second->data;
        byName.erase(it);
        if (node.Len != want.size()) Fail(std::string(node.name) + ": wrong length");
        if (archive.ReadContent(node, content) != want.size() || content.len != want.size() ||
            std::memcmp(content.data.get(), want.data(), want.size()) != 0 ||
            content.data[want.size()] != 0) {
            Fail(std::string(node.name) + ": content read back differs from what was written");
        }
    }

    WriteFloorOneBuffer(corpus);
    if (uint64_t got = ReadArchive(); got != expected) Fail("archive read sums differ");
    if (uint64_t got = ReadFloor(corpus); got != expected) Fail("floor read sums differ");
    WriteFloorEachFile(corpus);
    if (uint64_t got = ReadFloor(corpus); got != expected) Fail("floor (each file) sums differ");
}

void Report(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gCorpus->bytes));
}

void BM_WriteArchive(benchmark::State& state) {
    for (auto _ : state) WriteArchive(*gCorpus);
    Report(state);
    std::error_code ec;
    state.counters["archive_bytes"] =
        static_cast<double>(std::filesystem::file_size(gArchivePath, ec));
}
void BM_WriteFloorOneBuffer(benchmark::State& state) {
    for (auto _ : state) WriteFloorOneBuffer(*gCorpus);
    Report(state);
}
void BM_WriteFloorEachFile(benchmark::State& state) {
    for (auto _ : state) WriteFloorEachFile(*gCorpus);
    Report(state);
}
void BM_ReadArchive(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReadArchive());
    Report(state);
}
void BM_ReadFloor(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReadFloor(*gCorpus));
    Report(state);
}

}  // namespace

// Real time: fsync waits off the CPU.
BENCHMARK(BM_WriteArchive)->Name("Write_Archive")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteFloorOneBuffer)->Name("Write_Floor_OneBuffer")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteFloorEachFile)->Name("Write_Floor_FwriteEach")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadArchive)->Name("Read_Archive")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFloor)->Name("Read_Floor")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    DisableLog();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    const std::filesystem::path dir = bench::MakeTempDir("brix_bench_archive");
    if (dir.empty()) Fail("mkdtemp failed");
    gArchivePath = (dir / "bench.qsx").string();
    gFloorPath = (dir / "floor.bin").string();

    static const Corpus corpus = MakeCorpus(0xA5C41BEull);
    gCorpus = &corpus;
    gFloorBuffer.resize(corpus.bytes);
    CheckCorpus(corpus);
    std::printf("corpus: %zu files, %zu bytes; every file read back from the archive matches\n",
                corpus.files.size(), corpus.bytes);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
