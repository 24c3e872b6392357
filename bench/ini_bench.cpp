// brix_bench_ini: parsing a game's INI files and looking up every value by name, with
// QSINIFile and with inih (a map filled from its callback) on the same bytes in the same run.
//
// The corpus is generated in memory from a fixed seed: ~300 unit-shaped files of 1-3 KB with
// CR LF line ends, comment lines, trailing comments, blank lines and blanks around '='. Before
// timing anything, both parsers are checked against what the generator wrote.

#include <benchmark/benchmark.h>
#include <ini.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "core/QSINIFile.h"

namespace {

// --- Corpus ---------------------------------------------------------------------------------

struct Entry {
    std::string section, key, value;
};

struct CorpusFile {
    std::string text;
    std::vector<Entry> entries;  // in file order
    // What the timed loops look up: every (section, key) of the file, pointing into entries.
    std::vector<std::pair<const char*, const char*>> lookups;
};

struct Corpus {
    std::vector<CorpusFile> files;
    size_t bytes = 0;
};

using bench::Rng;

const char* const kSections[] = {
    "ObjectData", "UnitData",      "Attack1",       "Attack2",       "Attack3",      "Level1",
    "Level2",     "Level3",        "Level4",        "Level5",        "SpellData1",   "SpellData2",
    "SpellData3", "ElementBonus1", "ElementBonus2", "ElementBonus3", "Movement",     "Sounds",
    "Graphics",   "Upgrades",      "Resistance",    "AIData",        "Requirements", "Production",
};

enum class Kind { Number, Text, Path, List };

struct KeyShape {
    const char* name;
    Kind kind;
};

const KeyShape kKeys[] = {
    {"MaxHitPoints", Kind::Number}, {"Defense", Kind::Number},   {"Upkeep", Kind::Number},
    {"Description", Kind::Text},    {"UniqueName", Kind::Text},  {"GoldCost", Kind::Number},
    {"ManaCost", Kind::Number},     {"Speed", Kind::Number},     {"Range", Kind::Number},
    {"MinDamage", Kind::Number},    {"MaxDamage", Kind::Number}, {"DamageType", Kind::Text},
    {"Cooldown", Kind::Number},     {"Radius", Kind::Number},    {"Experience", Kind::Number},
    {"Armor", Kind::Number},        {"Element", Kind::Text},     {"Bonus", Kind::Number},
    {"Sound", Kind::Path},          {"Icon", Kind::Path},        {"Model", Kind::Path},
    {"Scale", Kind::Number},        {"Flags", Kind::List},       {"Level", Kind::Number},
    {"Requires", Kind::Text},       {"Duration", Kind::Number},  {"Chance", Kind::Number},
    {"Target", Kind::Text},         {"Projectile", Kind::Text},  {"SightRange", Kind::Number},
    {"Regeneration", Kind::Number}, {"BuildTime", Kind::Number}, {"Priority", Kind::Number},
    {"Category", Kind::Text},       {"Tooltip", Kind::Text},     {"AttackSound", Kind::Path},
    {"DeathSound", Kind::Path},     {"Portrait", Kind::Path},    {"Weight", Kind::Number},
    {"Race", Kind::Text},
};

const char* const kWords[] = {
    "fierce", "warrior",   "from",    "the",    "northern", "hills",   "who",    "strikes",
    "with",   "fire",      "and",     "frost",  "ancient",  "guard",   "of",     "stone",
    "swift",  "archer",    "trained", "in",     "forest",   "shadow",  "mage",   "casting",
    "bolts",  "lightning", "heavy",   "armour", "slow",     "but",     "strong", "against",
    "undead", "cavalry",   "spear",   "shield", "healer",   "blessed", "temple", "sun",
};

const char* const kElements[] = {"Fire", "Water", "Earth", "Air", "Life", "Death", "None"};

std::string Words(Rng& rng, uint32_t count) {
    std::string out;
    for (uint32_t i = 0; i < count; ++i) {
        if (i) out += ' ';
        out += rng.Pick(kWords);
    }
    return out;
}

std::string MakeValue(Rng& rng, const KeyShape& shape) {
    switch (shape.kind) {
        case Kind::Number:
            switch (rng.Below(4)) {
                case 0:
                    return std::to_string(rng.Below(10)) + "." + std::to_string(rng.Below(100));
                case 1: {
                    std::string negative(1, '-');
                    return negative += std::to_string(rng.Between(1, 50));
                }
                default:
                    return std::to_string(rng.Below(5000));
            }
        case Kind::Text:
            if (std::strcmp(shape.name, "Element") == 0 ||
                std::strcmp(shape.name, "DamageType") == 0) {
                return rng.Pick(kElements);
            }
            if (rng.Percent(3)) return "";  // "Key=" happens
            {
                std::string text = Words(rng, rng.Between(2, 12));
                text[0] = static_cast<char>(text[0] - 'a' + 'A');
                return text + ".";
            }
        case Kind::Path:
            return std::string("Data\\Units\\") + rng.Pick(kWords) + "_" + rng.Pick(kWords) +
                   (rng.Percent(50) ? ".wav" : ".bmp");
        case Kind::List: {
            std::string list;
            for (uint32_t i = 0, n = rng.Between(2, 6); i < n; ++i) {
                if (i) list += ',';
                list += std::to_string(rng.Below(2));
            }
            return list;
        }
    }
    return {};
}

// One file: 10-14 distinct sections of 3-10 distinct keys. Lines never start with a blank
// (inih would take them as continuation lines) and values hold no ';'.
CorpusFile MakeFile(Rng& rng, int index) {
    CorpusFile file;
    std::string& t = file.text;
    t += "; unit " + std::to_string(index) + "\r\n";

    std::vector<const char*> sections(std::begin(kSections), std::end(kSections));
    for (size_t i = sections.size() - 1; i > 0; --i)
        std::swap(sections[i], sections[rng.Below(i + 1)]);
    sections.resize(rng.Between(10, 14));

    for (const char* section : sections) {
        t += "\r\n";
        if (rng.Percent(30)) t += std::string("; ---- ") + section + " ----\r\n";
        t += std::string("[") + section + "]";
        if (rng.Percent(5)) t += " ; " + Words(rng, 2);
        t += "\r\n";

        std::vector<const KeyShape*> keys;
        for (const KeyShape& shape : kKeys) keys.push_back(&shape);
        for (size_t i = keys.size() - 1; i > 0; --i) std::swap(keys[i], keys[rng.Below(i + 1)]);
        keys.resize(rng.Between(3, 10));

        for (const KeyShape* shape : keys) {
            if (rng.Percent(8)) t += "; " + Words(rng, rng.Between(1, 5)) + "\r\n";
            std::string value = MakeValue(rng, *shape);
            t += shape->name;
            t += rng.Percent(15) ? " = " : "=";
            t += value;
            if (rng.Percent(12)) t += "   ; " + Words(rng, rng.Between(1, 4));
            if (rng.Percent(4)) t += "  \t";
            t += "\r\n";
            file.entries.push_back({section, shape->name, std::move(value)});
        }
    }
    return file;
}

Corpus MakeCorpus(int count, uint64_t seed) {
    Corpus corpus;
    Rng rng{seed};
    while (static_cast<int>(corpus.files.size()) < count) {
        CorpusFile file = MakeFile(rng, static_cast<int>(corpus.files.size()));
        if (file.text.size() < 1024 || file.text.size() > 3072) continue;  // draw again
        corpus.bytes += file.text.size();
        corpus.files.push_back(std::move(file));
    }
    // Built after the vector stops moving: the pointers refer into the entries' strings.
    for (CorpusFile& file : corpus.files) {
        for (const Entry& e : file.entries)
            file.lookups.emplace_back(e.section.c_str(), e.key.c_str());
    }
    return corpus;
}

// --- The timed work ---------------------------------------------------------------------------

inline unsigned FirstByte(const char* value) {
    return static_cast<unsigned char>(value[0]) + 1;
}

// Ours: a fresh file object per text (LoadText copies the bytes), then every value by name.
uint64_t OursParseAndLookUp(const Corpus& corpus) {
    uint64_t sum = 0;
    for (const CorpusFile& file : corpus.files) {
        QSINIFile ini;
        ini.LoadText(file.text);
        for (const auto& [section, key] : file.lookups) {
            const char* value = ini.FindValue(section, key);
            sum += value ? FirstByte(value) : 0;
        }
    }
    return sum;
}

uint64_t OursParseOnly(const Corpus& corpus) {
    uint64_t sum = 0;
    for (const CorpusFile& file : corpus.files) {
        QSINIFile ini;
        sum += static_cast<uint64_t>(ini.LoadText(file.text)) + ini.KeyCount();
    }
    return sum;
}

// inih: values go into a map keyed by lower-case section + '\0' + lower-case key, which is
// what a case-insensitive lookup by name needs. One scratch string serves every key built.
struct InihStore {
    std::unordered_map<std::string, std::string> values;
    std::string scratch;
};

void AppendLower(std::string& out, const char* s) {
    for (; *s; ++s) {
        char c = *s;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
    }
}

const std::string& MapKey(std::string& scratch, const char* section, const char* key) {
    scratch.clear();
    AppendLower(scratch, section);
    scratch += '\0';
    AppendLower(scratch, key);
    return scratch;
}

int StoreValue(void* user, const char* section, const char* name, const char* value) {
    auto* store = static_cast<InihStore*>(user);
    store->values.insert_or_assign(MapKey(store->scratch, section, name), value);
    return 1;
}

int IgnoreValue(void*, const char*, const char*, const char*) {
    return 1;
}

uint64_t InihParseAndLookUp(const Corpus& corpus) {
    uint64_t sum = 0;
    std::string scratch;
    for (const CorpusFile& file : corpus.files) {
        std::string text(file.text);  // the same NUL-terminated copy LoadText makes
        InihStore store;
        if (ini_parse_string(text.c_str(), StoreValue, &store) != 0) return 0;
        for (const auto& [section, key] : file.lookups) {
            auto it = store.values.find(MapKey(scratch, section, key));
            sum += it != store.values.end() ? FirstByte(it->second.c_str()) : 0;
        }
    }
    return sum;
}

uint64_t InihParseOnly(const Corpus& corpus) {
    uint64_t sum = 0;
    for (const CorpusFile& file : corpus.files) {
        std::string text(file.text);
        sum += static_cast<uint64_t>(ini_parse_string(text.c_str(), IgnoreValue, nullptr) == 0);
    }
    return sum;
}

// --- The check before timing ------------------------------------------------------------------

[[noreturn]] void Fail(int file, const std::string& what) {
    std::fprintf(stderr, "brix_bench_ini: file %d: %s\n", file, what.c_str());
    std::exit(1);
}

std::string Show(const char* s) {
    return s ? "\"" + std::string(s) + "\"" : "(missing)";
}

int RecordValue(void* user, const char* section, const char* name, const char* value) {
    static_cast<std::vector<Entry>*>(user)->push_back({section, name, value});
    return 1;
}

std::string Upper(std::string s) {
    for (char& c : s) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
    return s;
}

// Both parsers must report exactly what the generator wrote, for every file, and the timed
// loops must agree on what they accumulate.
void CheckCorpus(const Corpus& corpus) {
    for (size_t i = 0; i < corpus.files.size(); ++i) {
        const CorpusFile& file = corpus.files[i];
        const int n = static_cast<int>(i);

        std::vector<Entry> seen;
        if (int line = ini_parse_string(file.text.c_str(), RecordValue, &seen); line != 0) {
            Fail(n, "inih reports an error on line " + std::to_string(line));
        }
        if (seen.size() != file.entries.size()) {
            Fail(n, "inih reports " + std::to_string(seen.size()) + " values, the file has " +
                        std::to_string(file.entries.size()));
        }

        QSINIFile ini;
        if (ini.LoadText(file.text) != 1) Fail(n, "QSINIFile::LoadText failed");
        if (ini.KeyCount() != file.entries.size()) {
            Fail(n, "QSINIFile holds " + std::to_string(ini.KeyCount()) + " keys, the file has " +
                        std::to_string(file.entries.size()));
        }
        std::set<std::string> sections;
        for (size_t k = 0; k < file.entries.size(); ++k) {
            const Entry& want = file.entries[k];
            const Entry& got = seen[k];
            sections.insert(want.section);
            if (got.section != want.section || got.key != want.key || got.value != want.value) {
                Fail(n, "inih reports [" + got.section + "] " + got.key + "=" +
                            Show(got.value.c_str()) + ", expected [" + want.section + "] " +
                            want.key + "=" + Show(want.value.c_str()));
            }
            const char* ours = ini.FindValue(want.section.c_str(), want.key.c_str());
            if (!ours || got.value != ours) {
                Fail(n, "[" + want.section + "] " + want.key + ": QSINIFile " + Show(ours) +
                            ", inih " + Show(got.value.c_str()));
            }
            const char* folded =
                ini.FindValue(Upper(want.section).c_str(), Upper(want.key).c_str());
            if (folded != ours) Fail(n, "upper-case lookup of " + want.key + " differs");
        }
        if (ini.SectionCount() != sections.size()) Fail(n, "QSINIFile section count differs");
        if (ini.FindValue("ObjectData", "NoSuchKey") || ini.FindValue("NoSuchSection", "Defense")) {
            Fail(n, "QSINIFile finds a key that is not there");
        }
    }

    const uint64_t ours = OursParseAndLookUp(corpus);
    const uint64_t inih = InihParseAndLookUp(corpus);
    if (ours == 0 || ours != inih) {
        Fail(-1, "the timed loops disagree: ours " + std::to_string(ours) + ", inih " +
                     std::to_string(inih));
    }
    if (InihParseOnly(corpus) != corpus.files.size()) Fail(-1, "inih parse-only run failed");
}

const Corpus* gCorpus = nullptr;

template <uint64_t (*Run)(const Corpus&)>
void BM_Ini(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Run(*gCorpus));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * gCorpus->bytes));
    state.counters["files"] = static_cast<double>(gCorpus->files.size());
}

// --- Growth with the number of sections ---------------------------------------------------------

// A unit-shaped file of n sections [Unit<i>] with five keys each, CR LF line ends.
const std::string& GrowthText(int64_t n) {
    static std::unordered_map<int64_t, std::string> texts;
    std::string& text = texts[n];
    if (text.empty()) {
        for (int64_t i = 0; i < n; ++i) {
            const std::string number = std::to_string(i);
            text += "[Unit" + number + "]\r\nMaxHitPoints=" + std::to_string(i % 500) + "\r\nDefense=4\r\n" +
                    "ProperName=Unit " + number + "\r\nUpkeep=1.5 ; per turn\r\nSound=Audio\\Unit" + number +
                    ".wav\r\n";
        }
    }
    return text;
}

// Fresh file, parse in place as the resource manager hands a file over, then what the loaders
// do: walk every section and its keys in hash order, and look one value of every section up
// by name. The text is copied into its buffer outside the timing (as the reader fills it).
// Reported per section.
void BM_Growth(benchmark::State& state) {
    const int64_t n = state.range(0);
    const std::string& text = GrowthText(n);
    std::vector<std::string> names;
    for (int64_t i = 0; i < n; ++i) names.push_back("unit" + std::to_string(i));
    for (auto _ : state) {
        state.PauseTiming();
        auto content = std::make_unique<ResourceContent>();
        std::memcpy(content->Allocate(static_cast<uint32_t>(text.size())), text.data(), text.size());
        state.ResumeTiming();
        QSINIFile ini;
        ini.Process(content.get());
        uint64_t sum = 0;
        for (uint32_t s = 0; s < ini.SectionCount(); ++s) {
            for (const QSINIKey* key = ini.SectionAt(s).firstKey; key; key = key->next) sum += FirstByte(key->value);
        }
        for (const std::string& name : names) {
            const char* value = ini.FindValue(name.c_str(), "MAXHITPOINTS");
            sum += value ? FirstByte(value) : 0;
        }
        if (ini.SectionCount() != static_cast<uint32_t>(n)) state.SkipWithError("sections missing");
        benchmark::DoNotOptimize(sum);
    }
    state.counters["per_section"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_Growth)->Name("Ours_Growth")->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ini<OursParseAndLookUp>)->Name("Ours_ParseAndLookUp")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ini<InihParseAndLookUp>)->Name("Inih_MapAndLookUp")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ini<InihParseOnly>)->Name("Inih_ParseOnly")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Ini<OursParseOnly>)->Name("Ours_ParseOnly")->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    static const Corpus corpus = MakeCorpus(300, 0xB41C5EEDull);
    gCorpus = &corpus;
    size_t keys = 0, smallest = SIZE_MAX, largest = 0;
    for (const CorpusFile& f : corpus.files) {
        keys += f.entries.size();
        smallest = std::min(smallest, f.text.size());
        largest = std::max(largest, f.text.size());
    }
    CheckCorpus(corpus);
    std::printf("corpus: %zu files, %zu bytes (%zu-%zu per file), %zu keys; both parsers agree\n",
                corpus.files.size(), corpus.bytes, smallest, largest, keys);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
