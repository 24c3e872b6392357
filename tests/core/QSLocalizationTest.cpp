#include "core/QSLocalization.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

class MapSource : public QSTextSource {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> read;

    bool ResourceExists(const char* name) override { return files.count(name) != 0; }
    std::string ReadTextResource(const char* name) override {
        read.push_back(name);
        return files.at(name);
    }
};

std::string Strings(int n) {
    char name[64];
    std::snprintf(name, sizeof name, "Data\\Localized\\Strings_%02d.ini", n);
    return name;
}

const char* kDemo = "Data\\Localized\\Strings_demo.ini";

std::string Entry(const std::string& source, const std::string& display) {
    return "1\t2\t3\t" + source + "\t" + display + "\tignored\n";
}

}  // namespace

TEST(QSLocalization, NumbersEntriesAcrossResourcesInLoadOrder) {
    MapSource source;
    source.files[Strings(1)] = "#Language = English ; note\n" + Entry("Warrior", "Skarn Warrior") +
                               Entry("Archer", "Elith Archer") + Entry("Knight", "Vaelor Knight");
    source.files[Strings(2)] = "#Language=english\n" + Entry("Horn", "War Horn") + Entry("Drum", "Drum");
    QSLocalization table;
    table.LoadLocalization(source);
    EXPECT_EQ(table.Language(), "English");
    ASSERT_EQ(table.EntryCount(), 5u);
    EXPECT_STREQ(table.Translate("STRING_3"), "War Horn");
    EXPECT_STREQ(table.Translate("STRING_0"), "Skarn Warrior");
    EXPECT_STREQ(table.Translate("STRING_ 4"), "Drum");   // leading blank allowed
    EXPECT_STREQ(table.Translate("STRING_x"), "Skarn Warrior");  // no digits: entry 0
    for (const char* value : {"STRING_5", "STRING_-1", "STRING_99999999999999999999", "string_3"}) {
        EXPECT_STREQ(table.Translate(value), value) << value;
    }
    EXPECT_STREQ(table.Translate("Knight"), "Vaelor Knight");
    EXPECT_STREQ(table.Translate("knight"), "knight");
    EXPECT_EQ(table.Translate(nullptr), nullptr);

    table.ReleaseLocalization();
    EXPECT_STREQ(table.Translate("STRING_0"), "STRING_0");
    EXPECT_EQ(table.Language(), "English");  // kept across a release
}

TEST(QSLocalization, EverySourceTextOfALargeTableIsFoundExactly) {
    MapSource source;
    std::string text = "#Language=English\n" + Entry("", "(empty)");
    const int count = 5000;
    for (int i = 0; i < count; ++i)
        text += Entry("Text " + std::to_string(i), "Shown " + std::to_string(i));
    // Entries sharing a source text: the first of them is shown.
    text += Entry("Twice", "first") + Entry("Twice", "second");
    source.files[Strings(1)] = text;
    QSLocalization table;
    table.LoadLocalization(source);
    ASSERT_EQ(table.EntryCount(), count + 3u);

    int wrong = 0;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        wrong += ("Shown " + n) != table.Translate(("Text " + n).c_str());
        // Near misses are no entry's text: the value itself comes back.
        for (const std::string& miss : {"text " + n, "Text " + n + " ", "Text 0" + n, "Text " + n + "\n"})
            wrong += table.Translate(miss.c_str()) != miss.c_str();
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_STREQ(table.Translate(""), "(empty)");
    EXPECT_STREQ(table.Translate("Twice"), "first");
    EXPECT_STREQ(table.Translate("STRING_5002"), "second");  // a number still reaches either
}

TEST(QSLocalization, ContentStampIsKeptOnlyByTheSameEntries) {
    MapSource a, b, none;
    a.files[Strings(1)] = "#Language=English\n" + Entry("Knight", "Vaelor Knight");
    b.files[Strings(1)] = "#Language=English\n" + Entry("Knight", "Iron Knight");
    none.files[Strings(1)] = "#Language=English\n";
    QSLocalization table;
    EXPECT_EQ(table.ContentStamp(), 0u);
    table.LoadLocalization(a);
    const uint64_t first = table.ContentStamp();
    EXPECT_NE(first, 0u);
    table.ReleaseLocalization();
    EXPECT_EQ(table.ContentStamp(), 0u);  // values pass unchanged
    table.LoadLocalization(a);
    EXPECT_EQ(table.ContentStamp(), first);
    table.LoadLocalization(none);
    EXPECT_EQ(table.ContentStamp(), 0u);
    table.LoadLocalization(a);
    EXPECT_EQ(table.ContentStamp(), first);
    table.LoadLocalization(b);
    const uint64_t second = table.ContentStamp();
    EXPECT_NE(second, first);
    EXPECT_NE(second, 0u);
    table.LoadLocalization(a);
    EXPECT_NE(table.ContentStamp(), second);
}

TEST(QSLocalization, ALoadReadsItsResourcesEvenWhenTheyAreTheLastLoadsAgain) {
    MapSource source;
    source.files[Strings(1)] = "#Language=English\n" + Entry("Knight", "Vaelor Knight");
    source.files[Strings(2)] = "#Language=English\n" + Entry("Horn", "War Horn");
    QSLocalization table;
    auto shown = [&] {
        return std::string(table.Translate("Knight")) + "|" + table.Translate("Horn") + "|" +
               table.Translate("STRING_1") + "|" + std::to_string(table.EntryCount());
    };
    table.LoadLocalization(source);
    EXPECT_EQ(shown(), "Vaelor Knight|War Horn|War Horn|2");
    table.ReleaseLocalization();
    EXPECT_EQ(shown(), "Knight|Horn|STRING_1|0");
    table.LoadLocalization(source);
    EXPECT_EQ(shown(), "Vaelor Knight|War Horn|War Horn|2");
    source.files[Strings(2)] = "#Language=English\n" + Entry("Horn", "Iron Horn");
    table.LoadLocalization(source);
    EXPECT_EQ(shown(), "Vaelor Knight|Iron Horn|Iron Horn|2");
    source.files.erase(Strings(2));
    table.LoadLocalization(source);
    EXPECT_EQ(shown(), "Vaelor Knight|Horn|STRING_1|1");
    EXPECT_EQ(std::count(source.read.begin(), source.read.end(), Strings(1)), 4);
}

TEST(QSLocalization, MissingNumberIsReplacedOnceByTheDemoResource) {
    struct Case {
        bool demo;
        std::vector<std::string> read;
    } cases[] = {
        {true, {Strings(1), kDemo, Strings(3)}},
        {false, {Strings(1)}},
    };
    for (const Case& c : cases) {
        MapSource source;
        source.files[Strings(1)] = "#Language=English\n" + Entry("a", "A");
        source.files[Strings(3)] = "#Language=English\n" + Entry("c", "C");
        if (c.demo) source.files[kDemo] = "#Language=English\n" + Entry("d", "D");
        QSLocalization table;
        table.LoadLocalization(source);
        EXPECT_EQ(source.read, c.read);
        EXPECT_EQ(table.EntryCount(), c.read.size());
    }
}

TEST(QSLocalization, FieldsLoseQuotesAndDecodeLineBreaks) {
    MapSource source;
    source.files[kDemo] =
        "\"Language=English\n"
        "# a comment\twith\tfive\tfields\there\n"
        "\" another\tcomment\tline\tthat\tcounts\n" +
        Entry("\"Quoted\"", "\"Two\\nlines\"") + Entry("plain", "no \"inner\" change") +
        "no tab stops the reading\n" + Entry("after", "never");
    QSLocalization table;
    table.LoadLocalization(source);
    ASSERT_EQ(table.EntryCount(), 2u);
    EXPECT_STREQ(table.Entry(0).source, "Quoted");
    EXPECT_STREQ(table.Entry(0).display, "Two\nlines");
    EXPECT_STREQ(table.Translate("plain"), "no \"inner\" change");
    EXPECT_STREQ(table.Translate("after"), "after");
}

TEST(QSLocalizationDeathTest, BadResourcesAreFatal) {
    struct Case {
        std::string first, second;
        const char* message;
    } cases[] = {
        {"no language here\n", "", "Language not set properly in Data\\\\Localized\\\\Strings_01.ini"},
        {"#Language=English\n", "#Language=Thuldish\n", "Conflicting languages English and Thuldish"},
        {"#Language=English\na\tb\tc\td\n", "", "Bad localization entry \\(less than 5 columns\\): a\tb\tc\td"},
        {"#Language=English\n" + Entry("x", "bad\\tescape"), "", "Unrecognized backslash command in \\\\tescape"},
    };
    for (const Case& c : cases) {
        MapSource source;
        source.files[Strings(1)] = c.first;
        if (!c.second.empty()) source.files[Strings(2)] = c.second;
        QSLocalization table;
        EXPECT_EXIT(table.LoadLocalization(source), ::testing::ExitedWithCode(255), c.message) << c.message;
    }
}
