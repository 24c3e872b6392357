#include "objects/SortOrders.h"

ObjectComparator SortComparator(size_t index) {
    const int row = index < kSortOrders.size() ? kSortOrders[index].row : 0;
    if (row == 0) return ObjectCatalogue::CompareByProperName;
    return [row](const QSObjectData* a, const QSObjectData* b) {
        const long long ka = LeadingInteger(a->Value(row));
        const long long kb = LeadingInteger(b->Value(row));
        if (ka != kb) return ka < kb ? -1 : 1;
        return ObjectCatalogue::CompareByProperName(a, b);
    };
}
