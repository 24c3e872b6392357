#include "core/QSINIFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/HashName.h"

using ::testing::ElementsAre;

namespace {

std::string Get(const QSINIFile& ini, const char* section, const char* key,
                const char* def = "<default>") {
    std::string out;
    ini.GetINIString(section, key, def, out);
    return out;
}

std::vector<std::string> Sections(QSINIFile& ini) {
    std::vector<std::string> out;
    for (const char* s = ini.FirstSection(); s; s = ini.NextSection()) out.push_back(s);
    return out;
}

std::vector<std::string> Keys(QSINIFile& ini, const char* section) {
    std::vector<std::string> out;
    for (const QSINIKey* k = ini.FirstKeyRecord(section); k; k = ini.NextKeyRecord(section)) {
        out.push_back(std::string(k->name ? k->name : "<none>") + "=" + k->value);
    }
    return out;
}

const char kUnit[] =
    "; Skarn Warrior\r\n"
    "[ objectdata ]\r\n"
    "UniqueName = Skarn_Warrior\r\n"
    "MaxHitPoints=120   ; tough\r\n"
    "Description=\r\n"
    "\r\n"
    "[UnitData]\r\n"
    "Type = FRONT\r\n"
    "Upkeep\t=\t0.5\r\n"
    "[ObjectData]\r\n"
    "Race=Skarn\r\n"
    "[Attack1]\r\n"
    "Race=none\r\n"
    "Damage=12";  // the last line has no line end

}  // namespace

TEST(QSINIFile, FindsSectionsAndKeysWhateverTheirCaseAndBlanks) {
    QSINIFile ini("Data\\ObjectData\\units\\Skarn_Warrior.ini");
    ASSERT_EQ(ini.LoadText(kUnit), 1);
    struct Case {
        const char *section, *key, *value;
    } cases[] = {
        {"ObjectData", "UniqueName", "Skarn_Warrior"},
        {"OBJECTDATA", "maxhitpoints", "120"},    // trailing blanks and comment dropped
        {"objectdata", "Description", ""},        // empty value is found
        {"UnitData", "Type", "FRONT"},            // CR LF: no carriage return kept
        {"UnitData", "Upkeep", "0.5"},            // tabs are blanks
        {"ObjectData", "Race", "Skarn"},          // a repeated header continues the section
        {"Attack1", "Race", "none"},              // the same key in another section
        {"Attack1", "Damage", "12"},              // terminated in the spare byte
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(ini.GetINIString(c.section, c.key, "<default>", out), 1) << c.section << "/" << c.key;
        EXPECT_EQ(out, c.value) << c.section << "/" << c.key;
    }
    EXPECT_EQ(ini.SectionCount(), 3u);
}

TEST(QSINIFile, MissingSectionOrKeyGivesTheDefault) {
    QSINIFile ini;
    ASSERT_EQ(ini.LoadText(kUnit), 1);
    std::string out = "old";
    EXPECT_EQ(ini.GetINIString("Nope", "Type", "dflt", out), 0);
    EXPECT_EQ(out, "dflt");
    EXPECT_EQ(ini.GetINIString("UnitData", "Nope", nullptr, out), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Get(ini, "UnitData", "UniqueName"), "<default>");  // key of another section
}

TEST(QSINIFile, BufferCopyIsBoundedAndZeroFilled) {
    QSINIFile ini;
    ASSERT_EQ(ini.LoadText("[A]\nk=abcdef\n"), 1);
    char buffer[10];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(ini.GetINIString("A", "k", "", buffer, sizeof buffer), 1);
    EXPECT_EQ(std::string(buffer, 10), std::string("abcdef\0\0\0\0", 10));
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(ini.GetINIString("A", "k", "", buffer, 6), 1);  // fills: not terminated
    EXPECT_EQ(std::string(buffer, 7), "abcdefX");
    EXPECT_EQ(ini.GetINIString("A", "none", "dflt", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "dflt");
}

TEST(QSINIFile, TextWithoutContentIsNotKept) {
    for (const char* text : {"", "   \r\n\t", "; only a comment\n;another", "\n\n"}) {
        QSINIFile ini;
        EXPECT_EQ(ini.LoadText(text), 0) << text;
        EXPECT_EQ(ini.FirstSection(), nullptr);
        EXPECT_EQ(Get(ini, "A", "k"), "<default>");
    }
}

TEST(QSINIFile, SectionsIterateInHashOrderAndKeysInFileOrder) {
    QSINIFile ini;
    ASSERT_EQ(ini.LoadText("[Zeta]\nb=2\na=1\nc=3\n[Alpha]\nx=1\n[Mid]\n[Beta]\n"), 1);
    std::vector<std::string> expected = {"Zeta", "Alpha", "Mid", "Beta"};
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return HashName(a) < HashName(b);
    });
    EXPECT_EQ(Sections(ini), expected);
    EXPECT_THAT(Keys(ini, "zeta"), ElementsAre("b=2", "a=1", "c=3"));

    std::vector<std::string> names;
    for (const char* k = ini.FirstKey("Zeta"); k; k = ini.NextKey("Zeta")) names.push_back(k);
    EXPECT_THAT(names, ElementsAre("b", "a", "c"));
    EXPECT_EQ(ini.FirstKey("Mid"), nullptr);
    EXPECT_EQ(ini.FirstKey("Missing"), nullptr);
    EXPECT_EQ(ini.NextKey("Missing"), nullptr);
}

TEST(QSINIFile, HashCollisionsAreSteppedPast) {
    // "AAB" and "ABA" have the same HashName, as sections and as keys of one section.
    QSINIFile ini;
    ASSERT_EQ(ini.LoadText("[AAB]\nAAB=1\nABA=2\n[ABA]\nAAB=3\nABA=4\n"), 1);
    EXPECT_EQ(Get(ini, "aab", "aab"), "1");
    EXPECT_EQ(Get(ini, "aab", "aba"), "2");
    EXPECT_EQ(Get(ini, "aba", "aab"), "3");
    EXPECT_EQ(Get(ini, "aba", "aba"), "4");
    EXPECT_THAT(Keys(ini, "ABA"), ElementsAre("AAB=3", "ABA=4"));
}

// Many sections, some of whose names share a HashName, one repeated: each takes the first
// hash from its own that no section found before it took, and they iterate in that order.
TEST(QSINIFile, ManySectionsTakeTheFirstFreeHashInTheOrderFound) {
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i) names.push_back("Section" + std::to_string(i * 7 % 3001));
    names.insert(names.begin() + 100, {"AAB", "ABA"});
    std::string text;
    for (const std::string& name : names) text += "[" + name + "]\r\nKey=" + name + "\r\n";
    text += "[section14]\r\nOther=again\r\n";  // continues Section14

    // What the stepping gives, worked out the slow way.
    std::vector<std::pair<uint32_t, std::string>> taken;
    int stepped = 0;
    for (const std::string& name : names) {
        uint32_t h = HashName(name);
        while (std::any_of(taken.begin(), taken.end(), [&](const auto& t) { return t.first == h; })) ++h, ++stepped;
        taken.emplace_back(h, name);
    }
    ASSERT_GT(stepped, 5);  // the names do collide
    std::sort(taken.begin(), taken.end());
    std::vector<std::string> expected;
    for (const auto& t : taken) expected.push_back(t.second);

    QSINIFile ini;
    ASSERT_EQ(ini.LoadText(text), 1);
    EXPECT_EQ(Sections(ini), expected);
    for (uint32_t i = 0; i < ini.SectionCount(); ++i) ASSERT_EQ(ini.SectionAt(i).name, expected[i]);
    for (const std::string& name : names) ASSERT_EQ(Get(ini, name.c_str(), "KEY"), name);
    EXPECT_EQ(Get(ini, "SECTION14", "other"), "again");
    EXPECT_THAT(Keys(ini, "Section14"), ElementsAre("Key=Section14", "Other=again"));
}

// Parsing and looking up every value take time in proportion to the text, whatever its shape.
// The yardstick is a hash map of strings filled with the same names and asked for each, on
// the same machine at the same moment: a quadratic step is hundreds of times slower than that
// at this size, a linear parser is not slower at all.
TEST(QSINIFile, ParsingAndLookupsGrowLinearly) {
    constexpr int kLines = 400000;
    const struct Shape {
        const char* what;
        std::function<std::string(int)> line;
        bool sections;  // every line is [Si] Key=v; otherwise lines of the section [Top]
        bool lookUp;    // look up Key of every section, or every Ki of [Top]
    } shapes[] = {
        {"sections", [](int i) { return "[S" + std::to_string(i) + "]\r\nKey=1\r\nOther=2\r\n"; }, true, true},
        {"keys of one section", [](int i) { return "K" + std::to_string(i) + "=" + std::to_string(i) + "\r\n"; }, false, true},
        {"lines without '='", [](int i) { return "just words " + std::to_string(i) + "\r\n"; }, false, false},
    };
    for (const Shape& shape : shapes) {
        std::string text = shape.sections ? "" : "[Top]\r\n";
        std::vector<std::string> names;
        for (int i = 0; i < kLines; ++i) {
            text += shape.line(i);
            names.push_back((shape.sections ? "s" : "k") + std::to_string(i));
        }
        auto timed = [](const std::function<size_t()>& work, size_t* result) {
            auto start = std::chrono::steady_clock::now();
            *result = work();
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        double ours = 1e9, yardstick = 1e9;
        for (int run = 0; run < 2; ++run) {
            size_t found = 0, counted = 0;
            ours = std::min(ours, timed([&] {
                QSINIFile ini;
                ini.LoadText(text);
                size_t n = 0;
                for (const std::string& name : names) {
                    if (shape.lookUp) n += (shape.sections ? ini.FindValue(name.c_str(), "key") : ini.FindValue("top", name.c_str())) != nullptr;
                }
                return n;
            }, &found));
            yardstick = std::min(yardstick, timed([&] {
                std::unordered_map<std::string, std::string> map;
                for (const std::string& name : names) map.emplace(name, name);
                size_t n = 0;
                for (const std::string& name : names) n += map.count(name);
                return n;
            }, &counted));
            EXPECT_EQ(found, shape.lookUp ? names.size() : 0u) << shape.what;
            EXPECT_EQ(counted, names.size());
        }
        EXPECT_LT(ours, 4 * yardstick) << shape.what << ": " << ours << " s, the map " << yardstick << " s";
        std::printf("%s: %.4f s, the map %.4f s\n", shape.what, ours, yardstick);
    }
}

TEST(QSINIFile, OddLinesFollowTheParsingRules) {
    struct Case {
        const char* text;
        std::map<std::string, std::string> section;  // section A's keys, in any order
    } cases[] = {
        // A key before the first section belongs to nothing.
        {"k=0\n[A]\nk=1\n", {{"k", "1"}}},
        // A line without '=' before the end is a key without a name.
        {"[A]\nk=1\nnoequals", {{"k", "1"}, {"<none>", "noequals"}}},
        // A name ends at its first ';'.
        {"[A]\nkey;x=5\n", {{"key", "5"}}},
        // Text after ']' starts the first key's name.
        {"[A] k=1\n", {{"k", "1"}}},
        // A header's ']' may stand on a later line.
        {"[A\n]\nk=1\n", {{"k", "1"}}},
        // Comments between keys, and a value cut at ';'.
        {"[A]\n;c=9\n k = v w ; note\n\n;x\nl=2", {{"k", "v w"}, {"l", "2"}}},
        // An '=' on a later line ends a key name that runs over lines.
        {"[A]\nfoo\n[B]\nx=1\n", {{"foo\n[B]\nx", "1"}}},
    };
    for (const Case& c : cases) {
        QSINIFile ini;
        ASSERT_EQ(ini.LoadText(c.text), 1) << c.text;
        std::map<std::string, std::string> got;
        for (const QSINIKey* k = ini.FirstKeyRecord("A"); k; k = ini.NextKeyRecord("A")) {
            got[k->name ? k->name : "<none>"] = k->value;
        }
        EXPECT_EQ(got, c.section) << c.text;
        for (const auto& [key, value] : c.section) {
            if (key != "<none>") {
                EXPECT_EQ(Get(ini, "A", key.c_str()), value) << c.text;
            }
        }
    }
}

TEST(QSINIFile, ParsesInPlaceWithinLenPlusOneBytes) {
    // The buffer is exactly Len + 1 bytes; the sanitizer builds catch any stray access.
    std::string text = "[A]\nk=value";
    ResourceContent content;
    std::memcpy(content.Allocate(static_cast<uint32_t>(text.size())), text.data(), text.size());
    QSINIFile ini;
    ASSERT_EQ(ini.Process(&content), 1);
    EXPECT_EQ(Get(ini, "A", "k"), "value");
    EXPECT_EQ(content.data[text.size()], '\0');
    ini.Unload();
    EXPECT_EQ(content.data, nullptr);  // Unload frees the content with the records
    EXPECT_EQ(Get(ini, "A", "k"), "<default>");
}

TEST(QSINIFile, ValuesPassThroughTheTranslator) {
    struct Upper : QSTranslator {
        const char* Translate(const char* value) const override {
            return std::strcmp(value, "STRING_3") == 0 ? "Skarn Warrior" : value;
        }
    } translator;
    QSINIFile ini;
    ASSERT_EQ(ini.LoadText("[A]\nname=STRING_3\nother=string_3\n"), 1);
    EXPECT_EQ(Get(ini, "A", "name"), "STRING_3");  // no translator yet: as written
    ini.SetTranslator(&translator);
    EXPECT_EQ(Get(ini, "A", "name"), "Skarn Warrior");
    EXPECT_EQ(Get(ini, "A", "other"), "string_3");
}

TEST(QSINIFile, FirstLookupsFromSeveralThreadsAllFindTheirKeys) {
    std::string text;
    for (int s = 0; s < 20; ++s) {
        text += "[Section" + std::to_string(s) + "]\n";
        for (int k = 0; k < 50; ++k)
            text += "Key" + std::to_string(k) + "=" + std::to_string(s * 100 + k) + "\n";
        text += "=unnamed\n";  // a key named ""
    }
    QSINIFile ini;
    ASSERT_EQ(ini.LoadText(text), 1);
    EXPECT_EQ(ini.KeyCount(), 20u * 51u);
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int s = 0; s < 20; ++s) {
                const std::string section = "SECTION" + std::to_string(s);
                for (int k = 0; k < 50; ++k) {
                    const char* v =
                        ini.FindValue(section.c_str(), ("key" + std::to_string(k)).c_str());
                    wrong[t] += !v || std::to_string(s * 100 + k) != v;
                }
                wrong[t] += Get(ini, section.c_str(), "") != "unnamed";
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_THAT(wrong, ElementsAre(0, 0, 0, 0));
}

TEST(QSINIFile, ProcessingAnotherTextForgetsTheFirst) {
    auto content = [](const std::string& text) {
        auto c = std::make_unique<ResourceContent>();
        std::memcpy(c->Allocate(static_cast<uint32_t>(text.size())), text.data(), text.size());
        return c;
    };
    std::string big;  // more keys than one block of records holds
    for (int s = 0; s < 3; ++s) {
        big += "[S" + std::to_string(s) + "]\n";
        for (int k = 0; k < 40; ++k) big += "K" + std::to_string(k) + "=" + std::to_string(k) + "\n";
    }
    const auto first = content(big);
    const auto second = content("[S1]\nOnly=1\n[T]\nK0=t\n");
    const auto third = content(big);
    QSINIFile ini;
    ASSERT_EQ(ini.Process(first.get()), 1);
    EXPECT_EQ(Get(ini, "S2", "K39"), "39");
    ASSERT_EQ(ini.Process(second.get()), 1);
    EXPECT_EQ(ini.KeyCount(), 2u);
    EXPECT_THAT(Sections(ini), ::testing::UnorderedElementsAre("S1", "T"));
    EXPECT_THAT(Keys(ini, "S1"), ElementsAre("Only=1"));
    EXPECT_EQ(Get(ini, "S1", "K0"), "<default>");
    EXPECT_EQ(Get(ini, "T", "K0"), "t");
    ASSERT_EQ(ini.Process(third.get()), 1);
    EXPECT_EQ(ini.KeyCount(), 120u);
    EXPECT_EQ(Keys(ini, "S1").size(), 40u);
    EXPECT_EQ(Get(ini, "S1", "Only"), "<default>");
    EXPECT_EQ(Get(ini, "S0", "K7"), "7");
    ini.Process(nullptr);
    EXPECT_EQ(ini.SectionCount(), 0u);
    EXPECT_EQ(Get(ini, "S0", "K7"), "<default>");
}

TEST(QSINIFile, FoldedNameHashIgnoresLetterCase) {
    for (const auto& [a, b] : std::initializer_list<std::pair<const char*, const char*>>{
             {"", ""},
             {"a", "A"},
             {"ProperName", "PROPERNAME"},
             {"MaxHitPoints", "maxhitpoints"},
             {"ManaRegenerationRate", "mANAREGENERATIONrATE"},
             {"booty_min-2", "BOOTY_MIN-2"}}) {
        EXPECT_EQ(FoldedNameHash(a, std::strlen(a)), FoldedNameHash(b, std::strlen(b))) << a;
    }
}

TEST(QSINIFileDeathTest, DuplicateKeyInOneSectionIsFatal) {
    QSINIFile ini("Data\\Settings.ini");
    EXPECT_EXIT(ini.LoadText("[Game]\nSpeed=1\n[Other]\nSpeed=1\n[game]\nSPEED=2\n"),
                ::testing::ExitedWithCode(255),
                "Duplicate key SPEED in section Game in file Data\\\\Settings.ini");
}
