#include "objects/ObjectSearch.h"

#include "core/HashName.h"

namespace {

bool Contains(std::string_view haystack, std::string_view needle) {
    if (needle.empty() || needle.size() > haystack.size()) return false;
    for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
        if (CompareNames(haystack.substr(start, needle.size()), needle) == 0) return true;
    }
    return false;
}

}  // namespace

bool NameContains(const QSObjectData& record, std::string_view text) {
    return Contains(record.UniqueName(), text) || Contains(record.ProperName(), text);
}

bool MarkedAsChanged(const QSObjectData& record) {
    return record.changeState != kUnchanged;
}

int NextMatchingRow(const QSObjectList& list, int after, const RecordTest& test, bool wrap) {
    const int count = static_cast<int>(list.Count());
    if (after < -1 || after >= count) after = -1;
    const int steps = wrap ? count : count - after - 1;
    for (int step = 1; step <= steps; ++step) {
        const int row = (after + step) % count;
        if (test(*list[static_cast<uint32_t>(row)])) return row;
    }
    return -1;
}
