// The Sort menu's orders: numeric keys read as integers, ties by proper then unique name.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "objects/SortOrders.h"

namespace {

struct Rec {
    const char* unique;
    const char* proper;
    const char* hitPoints;
};

std::vector<std::string> Sorted(const std::vector<Rec>& recs, size_t order) {
    std::vector<std::unique_ptr<QSObjectData>> owned;
    std::vector<QSObjectData*> list;
    for (const Rec& r : recs) {
        owned.push_back(std::make_unique<QSObjectData>());
        owned.back()->SetUniqueName(r.unique);
        owned.back()->SetProperName(r.proper);
        owned.back()->SetValue(50, r.hitPoints);
        list.push_back(owned.back().get());
    }
    const ObjectComparator compare = SortComparator(order);
    std::stable_sort(list.begin(), list.end(),
                     [&](const QSObjectData* a, const QSObjectData* b) { return compare(a, b) < 0; });
    std::vector<std::string> names;
    for (const QSObjectData* r : list) names.push_back(r->UniqueName());
    return names;
}

TEST(SortOrders, NumericKeysThenProperThenUniqueName) {
    const std::vector<Rec> recs = {
        {"d", "Zed", "10"},  {"c", "alpha", "9.5"}, {"b", "Alpha", " +10"},
        {"a", "beta", "x7"}, {"e", "ALPHA", "10"},  {"f", "Gamma", "-3"},
    };
    // 9.5 reads as 9, "x7" as 0; equal keys fall back to the proper name, then the unique
    // name, ignoring case.
    EXPECT_EQ(Sorted(recs, 1), (std::vector<std::string>{"f", "a", "c", "b", "e", "d"}));
    // By proper name: alpha/Alpha/ALPHA tie and fall back to the unique name.
    EXPECT_EQ(Sorted(recs, 0), (std::vector<std::string>{"b", "c", "e", "a", "f", "d"}));
}

TEST(SortOrders, EveryMenuOrderKeysOnItsField) {
    for (size_t i = 1; i < kSortOrders.size(); ++i) {
        QSObjectData low, high;
        low.SetProperName("Z");
        high.SetProperName("A");
        low.SetValue(kSortOrders[i].row, "1");
        high.SetValue(kSortOrders[i].row, "2");
        EXPECT_LT(SortComparator(i)(&low, &high), 0) << kSortOrders[i].menuItem;
    }
}

}  // namespace
