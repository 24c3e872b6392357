#include "mods/ModHistory.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdio>
#include <functional>
#include <vector>

#include "core/HashName.h"
#include "objects/FieldTable.h"

namespace {

// The compared fields in line order, each put at its history place in the field table.
const std::array<HistoryField, kHistoryFieldCount>& Fields() {
    static const std::array<HistoryField, kHistoryFieldCount> fields = [] {
        std::array<HistoryField, kHistoryFieldCount> inOrder{};
        auto place = [&](const FieldDef& f) {
            if (!f.historyLabel) return;
            inOrder[f.historyPlace - 1u] = {f.historyLabel, f.section, f.key, f.row};
        };
        place(kProperNameField);
        for (const FieldDef& f : kFieldTable) place(f);
        return inOrder;
    }();
    return fields;
}

std::string_view FieldValue(const QSObjectData& record, int row) {
    return row == 0 ? std::string_view(record.ProperName()) : record.Value(row);
}

void Append(std::string& out, const char* format, std::initializer_list<std::string_view> args) {
    // Each %s takes the next argument; the formats hold nothing else.
    auto arg = args.begin();
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's' && arg != args.end()) {
            out += *arg++;
            ++p;
        } else {
            out += *p;
        }
    }
}

// The records of a list by unique name (case-insensitive); the first of equal names wins.
class UniqueNameIndex {
  public:
    explicit UniqueNameIndex(const QSObjectList& list) {
        size_t size = 16;
        while (size < 2 * static_cast<size_t>(list.Count())) size *= 2;
        slots_.assign(size, nullptr);
        for (const QSObjectData* r : list) {
            const QSObjectData*& slot = slots_[SlotIndex(r->UniqueName())];
            if (!slot) slot = r;
        }
    }
    const QSObjectData* Find(const std::string& name) const { return slots_[SlotIndex(name)]; }

  private:
    // The slot of the record with that name, or the free slot where it would go.
    size_t SlotIndex(const std::string& name) const {
        const size_t mask = slots_.size() - 1;
        for (size_t i = HashName(name) & mask;; i = (i + 1) & mask) {
            if (!slots_[i] || SameName(slots_[i]->UniqueName(), name)) return i;
        }
    }
    std::vector<const QSObjectData*> slots_;
};

bool HasName(const QSTextList& names, std::string_view name) {
    for (std::string_view n : names) {
        if (SameName(n, name)) return true;
    }
    return false;
}

const QSBonusPair* FindPair(const std::vector<QSBonusPair>& pairs, const std::string& key) {
    for (const QSBonusPair& p : pairs) {
        if (SameName(p.key, key)) return &p;
    }
    return nullptr;
}

// The bonus lists in the order the history reports them: the four element lists, then the
// four support lists (indices into the record's current lists).
constexpr std::array<int, 8> kBonusReportOrder = {0, 2, 4, 6, 1, 3, 5, 7};

// The fields in the records' row order, for walking a record's values front to back.
const std::array<size_t, kHistoryFieldCount>& FieldsByRow() {
    static const std::array<size_t, kHistoryFieldCount> byRow = [] {
        const auto& fields = Fields();
        std::array<size_t, kHistoryFieldCount> order{};
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return fields[a].row < fields[b].row; });
        return order;
    }();
    return byRow;
}

// True when comparing the pair writes no line: every compared value the same byte for byte,
// the same components, and the same bonus lists without two keys that are one name letter
// case aside (a lookup by name finds the first of such keys for both).
bool WritesNothing(const QSObjectData& w, const QSObjectData& r) {
    // A copy of the game's record that was never changed shares its values and lists: only
    // the proper name, kept apart, can differ.
    const bool shared = w.SharesStorageWith(r);
    if (shared) {
        if (w.ProperName() != r.ProperName()) return false;
    } else {
        const auto& fields = Fields();
        for (const size_t i : FieldsByRow()) {
            if (FieldValue(w, fields[i].row) != FieldValue(r, fields[i].row)) return false;
        }
        if (w.Components() != r.Components()) return false;
    }
    for (int list : kBonusReportOrder) {
        const auto& mine = w.BonusList(static_cast<size_t>(list));
        const auto& theirs = r.BonusList(static_cast<size_t>(list));
        if (mine.size() != theirs.size()) return false;
        for (size_t i = 0; i < mine.size(); ++i) {
            if (!shared && (mine[i].key != theirs[i].key || mine[i].value != theirs[i].value))
                return false;
            // A list naming a bonus twice is reported however it compares.
            for (size_t j = 0; j < i; ++j) {
                if (SameName(mine[j].key, mine[i].key)) return false;
            }
        }
    }
    return true;
}

}  // namespace

std::span<const HistoryField> HistoryFields() {
    return Fields();
}

void CompareObjectLists(const QSObjectList& later, const QSObjectList& earlier, bool withRemoved,
                        const DifferenceSink& sink) {
    using Kind = ObjectDifference::Kind;
    const auto& fields = Fields();
    const UniqueNameIndex earlierByName(earlier);
    // Each later record's counterpart is found, and the pairs that differ in nothing told
    // apart, in the order the later records lie in memory; the lines follow the list.
    const uint32_t count = later.Count();
    std::vector<uint32_t> inMemory(count);
    for (uint32_t k = 0; k < count; ++k) inMemory[k] = k;
    std::sort(inMemory.begin(), inMemory.end(), [&](uint32_t a, uint32_t b) {
        return std::less<const QSObjectData*>()(later[a], later[b]);
    });
    std::vector<const QSObjectData*> counterparts(count);
    std::vector<char> quiet(count, 0);
    for (const uint32_t k : inMemory) {
        counterparts[k] = earlierByName.Find(later[k]->UniqueName());
        quiet[k] = counterparts[k] && WritesNothing(*later[k], *counterparts[k]);
    }
    static const std::string kOn = "On", kOff = "Off";
    for (uint32_t k = 0; k < count; ++k) {
        if (quiet[k]) continue;
        const QSObjectData* w = later[k];
        const std::string& unique = w->UniqueName();
        const std::string& shown = w->ProperName();
        const QSObjectData* r = counterparts[k];
        if (!r) {
            sink({Kind::Added, unique, shown, {}, {}, {}});
            continue;
        }
        auto changed = [&](std::string_view field, std::string_view from, std::string_view to) {
            sink({Kind::Changed, unique, shown, field, from, to});
        };
        // The values are compared in the records' own order, the lines written in the fields'.
        std::bitset<kHistoryFieldCount> differs;
        for (const size_t i : FieldsByRow()) {
            const std::string_view before = FieldValue(*r, fields[i].row);
            const std::string_view after = FieldValue(*w, fields[i].row);
            if (before != after && !SameName(before, after)) differs.set(i);
        }
        for (size_t i = 0; differs.any() && i < fields.size(); ++i) {
            if (differs[i])
                changed(fields[i].label, FieldValue(*r, fields[i].row),
                        FieldValue(*w, fields[i].row));
        }
        for (std::string_view c : w->Components()) {
            if (!HasName(r->Components(), c)) changed(c, kOff, kOn);
        }
        for (std::string_view c : r->Components()) {
            if (!HasName(w->Components(), c)) changed(c, kOn, kOff);
        }
        for (int list : kBonusReportOrder) {
            const auto& mine = w->BonusList(static_cast<size_t>(list));
            const auto& theirs = r->BonusList(static_cast<size_t>(list));
            for (const QSBonusPair& p : mine) {
                const QSBonusPair* old = FindPair(theirs, p.key);
                if (!old) {
                    changed(p.key, kOff, p.value);
                } else if (!SameName(old->value, p.value)) {
                    changed(p.key, old->value, p.value);
                }
            }
            for (const QSBonusPair& p : theirs) {
                if (!FindPair(mine, p.key)) changed(p.key, p.value, kOff);
            }
        }
    }
    if (!withRemoved) return;
    const UniqueNameIndex laterByName(later);
    for (const QSObjectData* r : earlier) {
        if (!laterByName.Find(r->UniqueName()))
            sink({Kind::Removed, r->UniqueName(), r->ProperName(), {}, {}, {}});
    }
}

void AppendDifferenceLine(const ObjectDifference& d, std::string& out) {
    switch (d.kind) {
        case ObjectDifference::Kind::Added:
            Append(out, "Added %s(%s).\r\n", {d.object, d.name});
            break;
        case ObjectDifference::Kind::Removed:
            Append(out, "Removed %s(%s).\r\n", {d.object, d.name});
            break;
        case ObjectDifference::Kind::Changed:
            Append(out, "Changed %s(%s) %s: from %s to %s.\r\n",
                   {d.object, d.name, d.field, d.from, d.to});
            break;
    }
}

void CompareObjectLists(const QSObjectList& working, const QSObjectList& retail, std::string& out) {
    CompareObjectLists(working, retail, false,
                       [&](const ObjectDifference& d) { AppendDifferenceLine(d, out); });
}

std::string BuildGlobalHistory(const ModIdentity& id, const ObjectCatalogue& catalogue) {
    std::string out;
    Append(out, "Mod name: %s\r\n", {id.modName});
    Append(out, "Mod version: %s\r\n\r\n", {id.versionAtLoad});
    Append(out, "Author: %s\r\n", {id.author});
    Append(out, "Author's URL: %s\r\n", {id.authorWww});
    Append(out, "Author's email: %s\r\n", {id.authorEmail});
    Append(out, "Author's comments: %s\r\n", {id.comments});
    Append(out, "Built with Dravik version: %s\r\n", {id.gameVersion});
    Append(out, "Built with Brix version: %s\r\n\r\n", {id.programVersion});
    for (int view : {kViewComponents, kViewUnits, kViewHeroes, kViewBuildings})
        CompareObjectLists(catalogue.Objects(view, false), catalogue.Objects(view, true), out);
    return out;
}
