#include "core/HashName.h"

#include <gtest/gtest.h>

TEST(HashName, MatchesKnownValues) {
    struct Case {
        const char* name;
        uint32_t hash;
    } cases[] = {
        {"abc", 442391u},
        {"ABC", 442391u},
        {"a", 16640u},
        {"", 0u},
        // A real resource path: the multiplications wrap many times over 32 bits.
        {"Data\\ObjectData\\units\\Skarn_Warrior.ini", 0x7983f568u},
        {"data\\objectdata\\UNITS\\skarn_warrior.ini", 0x7983f568u},
    };
    for (const Case& c : cases) EXPECT_EQ(HashName(c.name), c.hash) << c.name;
    EXPECT_EQ(HashName(static_cast<const char*>(nullptr)), 0u);
}

TEST(HashName, FoldsAsciiLettersOnly) {
    EXPECT_NE(HashName("Data\\a.ini"), HashName("Data/a.ini"));
    // 0xC9 and 0xE9 are É and é in Latin-1: not folded.
    EXPECT_NE(HashName("caf\xC9"), HashName("caf\xE9"));
    EXPECT_NE(HashName("\xC9"), HashName("\xE9"));
    // "AAB" and "ABA" collide; the tables rely on such pairs being resolvable.
    EXPECT_EQ(HashName("AAB"), HashName("ABA"));
}

TEST(HashName, NameComparisonFoldsLikeTheHash) {
    EXPECT_TRUE(SameName("Data\\ModInfo.ini", "DATA\\modinfo.INI"));
    EXPECT_FALSE(SameName("caf\xC9", "caf\xE9"));
    EXPECT_FALSE(SameName("abc", "abcd"));
    EXPECT_LT(CompareNames("abc", "ABD"), 0);
    EXPECT_GT(CompareNames("b", "A"), 0);
}
