#include "core/QSMoveableArray.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/TempDir.h"

namespace {

int ByValue(const int* a, const int* b) { return *a - *b; }
int KeyToValue(int key, const int* b) { return key - *b; }

std::vector<int> Values(const QSMoveableArray<int*>& array) {
    std::vector<int> out;
    for (int* p : array) out.push_back(*p);
    return out;
}

}  // namespace

TEST(QSMoveableArray, GrowsLinearlyAndKeepsOrder) {
    int v[12];
    QSMoveableArray<int*> array(5, 5);
    EXPECT_EQ(array.Capacity(), 5u);
    for (int i = 0; i < 12; ++i) {
        v[i] = i;
        *array.Append() = &v[i];
        // 5 -> 10 -> 15: the step is added, never doubled.
        EXPECT_EQ(array.Capacity(), i < 5 ? 5u : (i < 10 ? 10u : 15u)) << i;
    }
    EXPECT_THAT(Values(array), ::testing::ElementsAre(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11));
}

TEST(QSMoveableArray, SortedInsertAndFind) {
    int v[] = {50, 10, 90, 30, 70, 30};
    QSMoveableArray<int*> array(2, 2);
    EXPECT_EQ(array.Find(10, KeyToValue), nullptr);  // empty
    array.InsertSorted(&v[0], ByValue);
    EXPECT_EQ(Values(array), std::vector<int>({50}));
    array.InsertSorted(&v[1], ByValue);  // smaller than all: slot 0
    array.InsertSorted(&v[2], ByValue);  // larger than all: the end
    array.InsertSorted(&v[3], ByValue);
    array.InsertSorted(&v[4], ByValue);
    EXPECT_EQ(Values(array), std::vector<int>({10, 30, 50, 70, 90}));

    // An equal element goes before the equal one the search meets.
    int* equal = *array.InsertSorted(&v[5], ByValue);
    EXPECT_EQ(equal, &v[5]);
    EXPECT_EQ(array[1], &v[5]);
    EXPECT_EQ(array[2], &v[3]);

    for (int key : {10, 50, 90}) {
        int** slot = array.Find(key, KeyToValue);
        ASSERT_NE(slot, nullptr) << key;
        EXPECT_EQ(**slot, key);
    }
    for (int key : {0, 40, 100}) EXPECT_EQ(array.Find(key, KeyToValue), nullptr) << key;
}

TEST(QSMoveableArray, RemoveMovesTheTailDownAndKeepsCapacity) {
    int v[] = {1, 2, 3};
    QSMoveableArray<int*> array(4, 4);
    for (int& x : v) array.Append(&x);
    array.RemoveAt(0);
    EXPECT_EQ(Values(array), std::vector<int>({2, 3}));
    EXPECT_EQ(array.Capacity(), 4u);
    array.RemoveAt(1);
    EXPECT_EQ(Values(array), std::vector<int>({2}));
}

TEST(QSMoveableArray, InsertAtMovesLaterSlotsUp) {
    int v[] = {1, 2, 3, 4};
    QSMoveableArray<int*> array(3, 3);
    array.Append(&v[0]);
    array.Append(&v[2]);
    array.Append(&v[3]);
    *array.InsertAt(1) = &v[1];  // full: grows by the step first
    EXPECT_EQ(Values(array), std::vector<int>({1, 2, 3, 4}));
    EXPECT_EQ(array.Capacity(), 6u);
}

TEST(QSMoveableArray, ClearFreesAndGrowsAgainByItsStep) {
    int v = 1;
    QSMoveableArray<int*> array(8, 3);
    array.Append(&v);
    array.Clear();
    EXPECT_EQ(array.Count(), 0u);
    EXPECT_EQ(array.Capacity(), 0u);
    array.Append(&v);
    EXPECT_EQ(array.Capacity(), 3u);
    EXPECT_EQ(array[0], &v);
}

TEST(QSMoveableArray, SortOrdersTheUsedSlots) {
    int v[] = {4, 1, 3, 2};
    QSMoveableArray<int*> array(10, 10);
    for (int& x : v) array.Append(&x);
    array.Sort(ByValue);
    EXPECT_EQ(Values(array), std::vector<int>({1, 2, 3, 4}));
}

TEST(QSMoveableArray, GrowOfOneIsWarnedAboutOnceAndStillWorks) {
    TempDir dir;
    ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
    int v[] = {1, 2, 3};
    QSMoveableArray<int*> array(1, 1);
    for (int& x : v) array.Append(&x);
    DisableLog();
    EXPECT_EQ(Values(array), std::vector<int>({1, 2, 3}));
    EXPECT_EQ(ReadFile(dir / "Brix_log.txt"),
              "QSMoveableArray(162): (DBUG) : WARNING: Should not initialize QSMoveableArray "
              "with grow=1\n");
}

TEST(QSMoveableArray, GrowOfZeroStillAddsRoom) {
    int v[] = {1, 2};
    QSMoveableArray<int*> array(1, 0);
    array.Append(&v[0]);
    array.Append(&v[1]);
    EXPECT_EQ(Values(array), std::vector<int>({1, 2}));
}
