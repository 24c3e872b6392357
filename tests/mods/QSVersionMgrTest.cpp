// The version numbers of a mod and the checks a save passes first.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "mods/QSVersionMgr.h"

namespace {

bool InAcceptedSet(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    for (char p : std::string(" !#$%&()+,-.;=@^_`~")) {
        if (static_cast<unsigned char>(p) == c) return true;
    }
    return false;
}

TEST(QSVersionMgrTest, FileNameCharsOverEveryByte) {
    for (int value = 0; value < 256; ++value) {
        const char c = static_cast<char>(value);
        SCOPED_TRACE("byte " + std::to_string(value));
        EXPECT_EQ(IsFileNameChar(c), InAcceptedSet(static_cast<unsigned char>(value)));
    }
    // The characters a file name must not hold on any system are among the refused ones.
    for (char c : std::string("\\/:*?\"<>|'[]{}")) {
        SCOPED_TRACE(std::string(1, c));
        EXPECT_FALSE(IsFileNameChar(c));
    }
}

TEST(QSVersionMgrTest, VersionGrammar) {
    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"1.0", true},           {"1.0.2", true},  {"99.99.99.99", true}, {"0.0.0.0", true},
        {"01.2", true},          {"", false},      {"1", false},          {"12", false},
        {"1.2.3.4.5", false},    {"1.100", false}, {"100.1", false},      {".1", false},
        {"1..2", false},         {"1.", false},    {"1.a", false},        {"+1.0", false},
        {"-1.0", false},         {" 1.0", false},  {"1.0 ", false},       {"1. 0", false},
        {"99.99.99.990", false}, {"1,0", false},   {"1.0.0.0.", false},   {".", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsValidModVersion(c.text), c.valid);
    }
}

TEST(QSVersionMgrTest, VersionValuesScanLikeFourNumbers) {
    struct Case {
        const char* text;
        int64_t value;
    };
    const Case cases[] = {
        {"1.2", 1020000},
        {"1.2.0.0", 1020000},
        {"1.10", 1100000},
        {"1.0.5.1", 1000501},
        {"99.99.99.99", 99999999},
        {"7", 7000000},
        {"", 0},
        {"abc", 0},
        // Scanning stops at the first part that cannot be read; the rest count 0.
        {"1.a.3", 1000000},
        {"1..2", 1000000},
        {"1 .2", 1000000},
        {"1.2x.3", 1020000},
        {"1.2.3.4.5", 1020304},
        // Each part may start with white space and a sign.
        {" 1. 2", 1020000},
        {"+1.-2", 980000},
        // Parts beyond two digits are taken as they are.
        {"1.0.0.150", 1000150},
        // A part too long for an int stays at the int's limit.
        {"99999999999999999999.1", int64_t{INT_MAX} * 1000000 + 10000},
        {"-99999999999999999999", int64_t{INT_MIN} * 1000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VersionToNumber(c.text), c.value);
    }
}

TEST(QSVersionMgrTest, VersionOrderFollowsValues) {
    EXPECT_FALSE(VersionLess("1.2", "1.2.0.0"));
    EXPECT_FALSE(VersionLess("1.2.0.0", "1.2"));
    EXPECT_TRUE(VersionLess("1.2", "1.10"));
    EXPECT_FALSE(VersionLess("1.10", "1.2"));
    EXPECT_TRUE(VersionLess("1.0.5", "1.0.5.1"));
    EXPECT_TRUE(VersionLess("9.99.99.99", "10.0"));
}

TEST(QSVersionMgrTest, IncrementCarriesAndDropsAZeroLastPart) {
    struct Case {
        const char* text;
        const char* raised;
    };
    const Case cases[] = {
        {"1.0", "1.0.0.1"},
        {"1.2.3", "1.2.3.1"},
        {"0.0.0.0", "0.0.0.1"},
        {"1.0.0.98", "1.0.0.99"},
        {"1.0.0.99", "1.0.1"},
        {"1.2.99.99", "1.3.0"},
        {"1.99.99.99", "2.0.0"},
        {"98.99.99.99", "99.0.0"},
        {"99.99.98.99", "99.99.99"},
        {"99.99.99.98", "99.99.99.99"},
        {"", "0.0.0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string raised = "untouched";
        ASSERT_TRUE(IncrementVersion(c.text, &raised));
        EXPECT_EQ(raised, c.raised);
        EXPECT_EQ(VersionToNumber(raised), VersionToNumber(c.text) + 1);
    }
}

TEST(QSVersionMgrTest, NoVersionAfterTheLast) {
    for (const char* last : {"99.99.99.99", "99.99.99.99.5"}) {
        SCOPED_TRACE(last);
        std::string raised = "untouched";
        EXPECT_FALSE(IncrementVersion(last, &raised));
        EXPECT_EQ(raised, "untouched");
    }
}

TEST(QSVersionMgrTest, SaveChecksRunInOrder) {
    struct Case {
        const char* name;
        const char* identifier;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        // An empty name is reported before a bad identifier and a bad version.
        {"", "A", "x", kNoModNameMessage},
        {"", "AT", "1.0", kNoModNameMessage},
        {"Iron:Tide", "A", "x", kBadModNameMessage},
        {"Iron Tide", "A", "x", kNoIdentifierMessage},
        {"Iron Tide", "", "1.0", kNoIdentifierMessage},
        {"Iron Tide", "ABC", "1.0", kNoIdentifierMessage},
        {"Iron Tide", "AT", "x", kReservedIdentifierMessage},
        // Only the upper-case pair is reserved.
        {"Iron Tide", "at", "x", kVersionFormatMessage},
        {"Iron Tide", "At", "x", kVersionFormatMessage},
        // The identifier is counted in bytes: one two-byte character is enough.
        {"Iron Tide", "\xc3\xa9", "x", kVersionFormatMessage},
        {"Iron Tide", "IT", "1.100", kVersionFormatMessage},
        {"Iron Tide", "IT", "", kVersionFormatMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.identifier + " / " + c.typed);
        const SaveCheckResult result = CheckModForSave({c.name, c.identifier, c.typed, "1.0"});
        EXPECT_FALSE(result.passed);
        EXPECT_EQ(result.message, c.message);
        EXPECT_FALSE(result.versionChanged);
    }
}

TEST(QSVersionMgrTest, ModNameCharacters) {
    const std::string refused[] = {"/", "\\", ":", "*", "?", "\"", "<",    ">",    "|",
                                   "'", "[",  "]", "{", "}", "\t", "\x80", "\xe9", "\xff"};
    for (const std::string& c : refused) {
        SCOPED_TRACE("refused " + c);
        const std::string name = "Iron" + c + "Tide";
        const SaveCheckResult result = CheckModForSave({name, "IT", "1.0", "0.0.0.0"});
        EXPECT_FALSE(result.passed);
        EXPECT_EQ(result.message, kBadModNameMessage);
    }
    for (const char* name : {"Iron Tide", "Iron.Tide v2", "~Tide~", " ", "A-(b)_c!"}) {
        SCOPED_TRACE(std::string("accepted ") + name);
        const SaveCheckResult result = CheckModForSave({name, "IT", "1.0", "0.0.0.0"});
        EXPECT_TRUE(result.passed);
        EXPECT_EQ(result.message, "");
    }
}

TEST(QSVersionMgrTest, EverySaveRaisesTheVersion) {
    struct Case {
        const char* typed;
        const char* saved;
        bool passed;
        const char* version;
        bool changed;
    };
    const Case cases[] = {
        // A typed version above the saved one stands as typed.
        {"1.10", "1.2", true, "1.10", false},
        {"1.0.5.1", "1.0.5", true, "1.0.5.1", false},
        {"1.0", "0.0.0.0", true, "1.0", false},
        // Otherwise the saved version goes up one step and the box shows it.
        {"0.0.0.0", "0.0.0.0", true, "0.0.0.1", true},
        {"1.0", "1.0", true, "1.0.0.1", true},
        {"1.0.0.0", "1.0", true, "1.0.0.1", true},
        {"1.0.4", "1.0.5", true, "1.0.5.1", true},
        {"1.0.0.5", "1.0.0.99", true, "1.0.1", true},
        {"98.0", "98.99.99.99", true, "99.0.0", true},
        // After the last version there is no step left: refused, and the box keeps its text.
        {"99.99.99.99", "99.99.99.99", false, "99.99.99.99", false},
        {"98.0", "99.99.99.99", false, "98.0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " over " + c.saved);
        const SaveCheckResult result = CheckModForSave({"Iron Tide", "IT", c.typed, c.saved});
        EXPECT_EQ(result.passed, c.passed);
        EXPECT_EQ(result.message, c.passed ? "" : kVersionIncreaseMessage);
        EXPECT_EQ(result.version, c.version);
        EXPECT_EQ(result.versionChanged, c.changed);
    }
}

TEST(QSVersionMgrTest, LeavingTheVersionBoxKeepsOnlyAWellFormedVersion) {
    EXPECT_EQ(VersionAfterExit("1.0.2", "1.0"), "1.0.2");
    // Even a lower version stays in the box; the save decides what becomes of it.
    EXPECT_EQ(VersionAfterExit("0.9", "1.0"), "0.9");
    EXPECT_EQ(VersionAfterExit("1.100", "1.0"), "1.0");
    EXPECT_EQ(VersionAfterExit("", "1.2.3"), "1.2.3");
}

}  // namespace
