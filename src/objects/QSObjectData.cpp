#include "objects/QSObjectData.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string_view>

#include "core/HashName.h"
#include "core/QSINIFile.h"
#include "resources/QSResourceMgr.h"

namespace {

bool IsBlank(unsigned char c) {
    return c >= 9 && c <= 32;
}

std::string Read(const QSINIFile& ini, const char* section, const char* key, const char* def) {
    std::string out;
    ini.GetINIString(section, key, def, out);
    return out;
}

// Sound slots with a value first, by value case-insensitively; empty slots last.
bool SoundBefore(std::string_view a, std::string_view b) {
    if (a.empty() != b.empty()) return b.empty();
    return CompareNames(a, b) < 0;
}

bool BonusBefore(const QSBonusPair& a, const QSBonusPair& b) {
    return CompareNames(a.key, b.key) < 0;
}

// std::stable_sort's order; short lists by insertion, which needs no buffer.
template <typename T, typename Before>
void StableSort(std::span<T> list, Before before) {
    if (list.size() > 16) {
        std::stable_sort(list.begin(), list.end(), before);
        return;
    }
    for (size_t i = 1; i < list.size(); ++i) {
        size_t j = i;
        for (; j > 0 && before(list[i], list[j - 1]); --j) {
        }
        if (j == i) continue;
        T moved = std::move(list[i]);
        std::move_backward(list.begin() + static_cast<std::ptrdiff_t>(j),
                           list.begin() + static_cast<std::ptrdiff_t>(i),
                           list.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        list[j] = std::move(moved);
    }
}

// Applies a row's loading rule to the text read for it (or to its default).
void ApplyRule(LoadRule rule, std::string& value) {
    switch (rule) {
        case LoadRule::ColorName:
            value = ColorNameOf(value);
            break;
        case LoadRule::WordCase:
            NormalizeWordCase(value);
            break;
        case LoadRule::WordCaseZeroNone:
            NormalizeWordCase(value);
            if (value == "0") value = "None";
            break;
        case LoadRule::UpkeepInteger:
            value = UpkeepInteger(value);
            break;
        case LoadRule::Plain:
        case LoadRule::FromSettings:
        case LoadRule::FromColors:
        case LoadRule::ComponentSection:
            break;
    }
}

bool RuleChangesText(LoadRule rule) {
    return rule == LoadRule::ColorName || rule == LoadRule::WordCase ||
           rule == LoadRule::WordCaseZeroNone || rule == LoadRule::UpkeepInteger;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Two names equal letter case aside, as the INI lookups compare them.
bool SameCName(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (*a == *b) {
            if (!*a) return true;
        } else if (HashFoldByte(static_cast<unsigned char>(*a)) !=
                   HashFoldByte(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
}

// n when name is "Component<n>" as "Component%d" writes it for an n from 1 to limit (letter
// case aside), else 0.
uint32_t ComponentNumber(const char* name, uint32_t limit) {
    static constexpr std::string_view kPrefix = "Component";
    for (char c : kPrefix) {
        if (HashFoldByte(static_cast<unsigned char>(*name++)) !=
            HashFoldByte(static_cast<unsigned char>(c)))
            return 0;
    }
    if (*name < '1' || *name > '9') return 0;
    uint64_t n = 0;
    for (; IsDigit(*name); ++name) {
        n = n * 10 + static_cast<uint64_t>(*name - '0');
        if (n > limit) return 0;
    }
    return *name ? 0 : static_cast<uint32_t>(n);
}

// Where each (section, key) of an object file goes, made once from the field table, the
// sound slots and the bonus sections. Names match as the INI lookups match them, letter case
// aside: by a hash (HashName for sections, FoldedNameHash for keys), then the whole name.
class ObjectFilePlan {
  public:
    // What one key fills.
    enum class Use : uint8_t { ProperName, Row, AltRow, Sound };
    struct Target {
        Use use;
        uint16_t index;  // the row, or the sound slot's index in kSoundSlotTable
    };
    struct Section {
        const char* name;
        uint32_t hash;
        int bonus;        // index into kBonusSections, or -1
        bool components;  // the "Component<n>" keys are read from it
    };
    static constexpr int kNoSection = -1;

    static const ObjectFilePlan& Get() {
        static const ObjectFilePlan plan;
        return plan;
    }

    // The section plan of a section name with its HashName, or kNoSection when no key of it
    // is read.
    int FindSection(const char* name, uint32_t hash) const {
        for (size_t i = 0; i < sections_.size(); ++i) {
            if (sections_[i].hash == hash && SameCName(sections_[i].name, name))
                return static_cast<int>(i);
        }
        return kNoSection;
    }
    const Section& SectionPlan(int section) const {
        return sections_[static_cast<size_t>(section)];
    }

    // The targets of a key of a planned section, given its name and FoldedNameHash; empty
    // when the key is not read.
    std::span<const Target> Targets(int section, const char* key, uint32_t hash) const {
        const Key& k = keys_[KeySlot(section, hash, key)];
        return {targets_.data() + k.first, k.count};
    }

    // The rows the loader fills, in table order, with their loaded defaults.
    struct Row {
        const FieldDef* field;
        std::string loadedDefault;  // the default after the row's rule (not for FromColors)
    };
    const std::vector<Row>& Rows() const { return rows_; }

  private:
    struct Key {
        const char* name = nullptr;
        uint32_t hash = 0;  // FoldedNameHash(name)
        int section = kNoSection;
        uint32_t first = 0;
        uint32_t count = 0;
    };

    ObjectFilePlan() {
        for (const char* bonus : kBonusSections) AddSection(bonus);
        AddSection("BuildHierarchy");
        std::vector<std::pair<Key, Target>> uses;
        auto use = [&](const char* section, const char* key, Target target) {
            Key k;
            k.name = key;
            k.hash = FoldedNameHash(key, std::strlen(key));
            k.section = AddSection(section);
            uses.push_back({k, target});
        };
        use(kProperNameField.section, kProperNameField.key, {Use::ProperName, 0});
        for (const FieldDef& f : kFieldTable) {
            if (!(f.kinds & (kKindUnits | kKindBuildings)) || !f.section) continue;
            const auto row = static_cast<uint16_t>(f.row);
            use(f.section, f.key, {Use::Row, row});
            if (f.rule == LoadRule::FromColors && f.altKey)
                use(f.section, f.altKey, {Use::AltRow, row});
            std::string loaded = f.defaultValue;
            ApplyRule(f.rule, loaded);
            rows_.push_back({&f, std::move(loaded)});
        }
        for (size_t i = 0; i < kSoundSlotTable.size(); ++i)
            use(kSoundSlotTable[i].section, kSoundSlotTable[i].key,
                {Use::Sound, static_cast<uint16_t>(i)});

        size_t size = 16;
        while (size < 2 * uses.size()) size *= 2;
        keys_.resize(size);
        for (const auto& [key, target] : uses) {
            Key& k = keys_[KeySlot(key.section, key.hash, key.name)];
            if (!k.name) k = key;
            ++k.count;
        }
        // Each key's targets side by side, in the order they were planned.
        uint32_t first = 0;
        for (Key& k : keys_) {
            k.first = first;
            first += k.count;
            k.count = 0;
        }
        targets_.resize(first);
        for (const auto& [key, target] : uses) {
            Key& k = keys_[KeySlot(key.section, key.hash, key.name)];
            targets_[k.first + k.count++] = target;
        }
    }

    // The slot of a planned key, or the free slot where it would go.
    size_t KeySlot(int section, uint32_t hash, const char* name) const {
        const size_t mask = keys_.size() - 1;
        for (size_t i = Slot(section, hash);; i = (i + 1) & mask) {
            const Key& k = keys_[i];
            if (!k.name || (k.section == section && k.hash == hash && SameCName(k.name, name)))
                return i;
        }
    }

    size_t Slot(int section, uint32_t hash) const {
        return (hash * 31u + static_cast<uint32_t>(section)) & (keys_.size() - 1);
    }

    int AddSection(const char* name) {
        int index = FindSection(name, HashName(name));
        if (index == kNoSection) {
            index = static_cast<int>(sections_.size());
            sections_.push_back({name, HashName(name), -1, false});
        }
        Section& s = sections_[static_cast<size_t>(index)];
        for (size_t b = 0; b < kBonusSections.size(); ++b) {
            if (SameCName(name, kBonusSections[b]) && s.bonus < 0) s.bonus = static_cast<int>(b);
        }
        if (SameCName(name, "BuildHierarchy")) s.components = true;
        return index;
    }

    std::vector<Section> sections_;
    std::vector<Key> keys_;  // open addressing by (section, hash); a power of two long
    std::vector<Target> targets_;
    std::vector<Row> rows_;
};

// Appends a key of a bonus section with the value a lookup of its name finds: that of the
// section's first key of the name. A key without a name is looked up as "", which only a
// key named "" (a line starting with '=') answers; otherwise it gets "NOBONUS".
void AddBonusPair(const QSINIFile& ini, const QSINISection& section, const QSINIKey& key,
                  std::vector<QSBonusPair>& list) {
    const char* name = key.name ? key.name : "";
    const QSINIKey* found = nullptr;
    for (const QSINIKey* k = section.firstKey; k && !found; k = k->next) {
        if (k->name && SameCName(k->name, name)) found = k;
    }
    list.push_back({name, found ? ini.ValueOf(*found) : "NOBONUS"});
}

}  // namespace

long long LeadingInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value =
            std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    value = negative ? -value : value;
    return std::clamp<long long>(value, INT_MIN, INT_MAX);
}

void NormalizeWordCase(std::string& text) {
    for (size_t i = 1; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsBlank(c) || IsBlank(static_cast<unsigned char>(text[i - 1]))) continue;
        if (c >= 'A' && c <= 'Z') text[i] = static_cast<char>(c - 'A' + 'a');
    }
}

std::string UpkeepInteger(std::string_view text) {
    return std::to_string(LeadingInteger(text));
}

std::string ColorNameOf(const std::string& value) {
    const long long index = LeadingInteger(value);
    if (index == -1) return "Player";
    if (index >= 0 && index < static_cast<long long>(kColorNames.size()))
        return kColorNames[static_cast<size_t>(index)];
    return value;
}

bool operator==(const QSTextList& a, const QSTextList& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

QSObjectData::Block QSObjectData::MakeBlock(const std::array<std::string_view, kFieldCount>& values,
                                            std::span<const std::string_view> sounds,
                                            std::span<const std::string_view> components) {
    const size_t texts = values.size() + sounds.size() + components.size();
    size_t chars = 0;
    for (std::string_view v : values) chars += v.size();
    for (std::string_view v : sounds) chars += v.size();
    for (std::string_view v : components) chars += v.size();
    // Each text is a part of one file (at most 4 GiB, as the parser takes it) or a short
    // default, so this holds for any file the parser accepted.
    if (chars > UINT32_MAX || components.size() > UINT32_MAX)
        throw std::length_error("a record's texts exceed 4 GiB");
    const bool wide = chars > UINT16_MAX;
    const size_t startBytes = (texts + 1) * (wide ? 4 : 2);
    auto block = std::make_shared_for_overwrite<unsigned char[]>(kBlockHeader + startBytes + chars);
    const uint32_t header[2] = {static_cast<uint32_t>(sounds.size()) | (wide ? kWideStarts : 0),
                                static_cast<uint32_t>(components.size())};
    std::memcpy(block.get(), header, sizeof header);
    unsigned char* start = block.get() + kBlockHeader;
    char* out = reinterpret_cast<char*>(start + startBytes);
    uint32_t at = 0;
    auto put = [&](uint32_t offset) {
        if (wide) {
            std::memcpy(start, &offset, 4);
            start += 4;
        } else {
            const auto narrow = static_cast<uint16_t>(offset);
            std::memcpy(start, &narrow, 2);
            start += 2;
        }
    };
    auto add = [&](std::string_view v) {
        put(at);
        if (!v.empty()) std::memcpy(out + at, v.data(), v.size());
        at += static_cast<uint32_t>(v.size());
    };
    for (std::string_view v : values) add(v);
    for (std::string_view v : sounds) add(v);
    for (std::string_view v : components) add(v);
    put(at);
    return block;
}

void QSObjectData::SetValue(int row, std::string_view value) {
    std::array<std::string_view, kFieldCount> values;
    for (int r = 1; r <= kFieldCount; ++r) values[static_cast<size_t>(r - 1)] = Value(r);
    const std::string kept(value);  // the value may lie in the block being replaced
    values[static_cast<size_t>(row - 1)] = kept;
    ReplaceValues(values);
}

void QSObjectData::ReplaceValues(const std::array<std::string_view, kFieldCount>& values) {
    std::vector<std::string_view> sounds;
    std::vector<std::string_view> components;
    if (values_) {
        const unsigned char* block = values_.get();
        for (size_t s = 0; s < BlockSounds(block); ++s)
            sounds.push_back(BlockText(block, kFieldCount + s));
        for (std::string_view c : Components()) components.push_back(c);
    }
    values_ = MakeBlock(values, sounds, components);
}

QSTextList QSObjectData::Components() const {
    if (!values_) return {};
    const unsigned char* block = values_.get();
    return QSTextList(BlockStarts(block), BlockChars(block), kFieldCount + BlockSounds(block),
                      BlockComponents(block));
}

QSTextList QSObjectData::Sounds(SoundGroup group) const {
    if (!values_ || BlockSounds(values_.get()) == 0) return {};
    const unsigned char* block = values_.get();
    size_t first = kFieldCount;
    for (size_t g = 0; g < static_cast<size_t>(group); ++g) first += static_cast<size_t>(kSoundSlots[g]);
    return QSTextList(BlockStarts(block), BlockChars(block), first,
                      static_cast<size_t>(kSoundSlots[static_cast<size_t>(group)]));
}

const std::vector<QSBonusPair>& QSObjectData::BonusList(size_t i) const {
    static const std::vector<QSBonusPair> kNone;
    if (!lists_) return kNone;
    constexpr size_t kCurrent = kBonusSections.size();
    if (i < kCurrent) return lists_->current[i];
    return lists_->loaded ? (*lists_->loaded)[i - kCurrent] : lists_->current[i - kCurrent];
}

std::vector<QSBonusPair>& QSObjectData::MutableBonusList(size_t i) {
    if (!lists_) {
        lists_ = std::make_shared<ListSet>();
    } else if (lists_.use_count() > 1) {
        lists_ = std::make_shared<ListSet>(*lists_);
    }
    ListSet& lists = *lists_;
    if (!lists.loaded) lists.loaded = std::make_shared<BonusLists>(lists.current);
    constexpr size_t kCurrent = kBonusSections.size();
    if (i < kCurrent) return lists.current[i];
    // Changing a loaded list: it is no longer shared with the copies.
    if (lists.loaded.use_count() > 1) lists.loaded = std::make_shared<BonusLists>(*lists.loaded);
    return (*lists.loaded)[i - kCurrent];
}

void QSObjectData::RestoreLoadedBonusLists() {
    if (!lists_ || !lists_->loaded) return;
    if (lists_.use_count() > 1) lists_ = std::make_shared<ListSet>(*lists_);
    lists_->current = *lists_->loaded;
    lists_->loaded.reset();
}

void QSObjectData::SetUniqueName(std::string_view name) {
    uniqueName_ = name.substr(0, kMaxNameLength);
}

void QSObjectData::SetProperName(std::string_view name) {
    properName_ = name.substr(0, kMaxNameLength);
}

void QSObjectData::LoadRows(QSINIFile& ini, uint8_t kinds, const char* section) {
    LoadRowsWhere(ini, [kinds](const FieldDef& f) { return (f.kinds & kinds) != 0; }, section);
}

// The rows read are gathered, then made into one block.
void QSObjectData::LoadRowsWhere(QSINIFile& ini,
                                 const std::function<bool(const FieldDef&)>& wanted,
                                 const char* section) {
    std::array<std::string_view, kFieldCount> values;
    for (int r = 1; r <= kFieldCount; ++r) values[static_cast<size_t>(r - 1)] = Value(r);
    std::vector<std::string> read;
    read.reserve(kFieldCount);  // never moved: the views below point into them
    for (const FieldDef& f : kFieldTable) {
        const char* from = f.section ? f.section : section;
        if (!from || !wanted(f)) continue;
        std::string value = Read(ini, from, f.key, f.defaultValue);
        if (f.rule == LoadRule::FromColors && value.empty() && f.altKey)
            value = Read(ini, from, f.altKey, f.defaultValue);
        ApplyRule(f.rule, value);
        read.push_back(std::move(value));
        values[static_cast<size_t>(f.row - 1)] = read.back();
    }
    if (!read.empty()) ReplaceValues(values);
}

// One pass over the file's sections and keys: each key goes to what reads it (the first of
// keys with the same name, as a lookup finds it), then rows without a key get their defaults.
void QSObjectData::LoadFromIni(QSResourceMgr& mgr, const char* resourceName) {
    if (!resourceName || !mgr.ResourceExists(resourceName)) return;
    if (const QSINIFile* ini = mgr.GetINIFile(resourceName)) LoadFromIni(*ini);
}

void QSObjectData::LoadFromIni(const QSINIFile& file) {
    const QSINIFile* ini = &file;
    using Plan = ObjectFilePlan;
    const Plan& plan = Plan::Get();

    const QSINIKey* properName = nullptr;
    std::array<const QSINIKey*, kFieldCount + 1> rows{};  // by row
    std::array<const QSINIKey*, kFieldCount + 1> altRows{};
    std::array<const QSINIKey*, kSoundSlotTable.size()> soundSlots{};
    // "Component<n>" keys by n - 1, up to the first gap.
    thread_local std::vector<const QSINIKey*> componentKeys;
    componentKeys.clear();

    // The lists are made anew, never changed under a copy that shares them; a file without
    // bonus sections keeps none.
    lists_ = std::make_shared<ListSet>();
    BonusLists& bonusLists = lists_->current;
    bool anyBonus = false;
    for (uint32_t s = 0; s < ini->SectionCount(); ++s) {
        const QSINISection& section = ini->SectionAt(s);
        const int planned =
            section.name ? plan.FindSection(section.name, section.nameHash) : Plan::kNoSection;
        if (planned == Plan::kNoSection) continue;
        const Plan::Section& sectionPlan = plan.SectionPlan(planned);
        if (sectionPlan.bonus >= 0) {
            anyBonus = true;
            size_t count = 0;
            for (const QSINIKey* key = section.firstKey; key; key = key->next) ++count;
            bonusLists[static_cast<size_t>(sectionPlan.bonus)].reserve(count);
        }
        for (const QSINIKey* key = section.firstKey; key; key = key->next) {
            if (sectionPlan.bonus >= 0)
                AddBonusPair(*ini, section, *key,
                             bonusLists[static_cast<size_t>(sectionPlan.bonus)]);
            if (!key->name) continue;
            for (const Plan::Target& t : plan.Targets(planned, key->name, key->foldedHash)) {
                const QSINIKey*& slot = t.use == Plan::Use::ProperName ? properName
                                        : t.use == Plan::Use::Row      ? rows[t.index]
                                        : t.use == Plan::Use::AltRow   ? altRows[t.index]
                                                                       : soundSlots[t.index];
                if (!slot) slot = key;
            }
            if (sectionPlan.components) {
                if (const uint32_t n = ComponentNumber(key->name, ini->KeyCount())) {
                    if (componentKeys.size() < n) componentKeys.resize(n, nullptr);
                    if (!componentKeys[n - 1]) componentKeys[n - 1] = key;
                }
            }
        }
    }

    auto valueOf = [&](const QSINIKey* key) { return key ? ini->ValueOf(*key) : nullptr; };
    SetProperName(properName ? ini->ValueOf(*properName) : "");
    // Each row's text as a view: of the parsed file, of the plan's defaults, or of the few
    // texts a loading rule changed, kept aside until the block is made.
    std::array<std::string_view, kFieldCount> values{};
    thread_local std::vector<std::string> ruled;
    ruled.clear();
    ruled.reserve(kFieldCount);
    for (const Plan::Row& row : plan.Rows()) {
        const FieldDef& f = *row.field;
        std::string_view& value = values[static_cast<size_t>(f.row - 1)];
        const char* found = valueOf(rows[static_cast<size_t>(f.row)]);
        if (f.rule == LoadRule::FromColors) {
            value = found ? found : f.defaultValue;
            if (value.empty() && f.altKey) {
                const char* alt = valueOf(altRows[static_cast<size_t>(f.row)]);
                value = alt ? alt : f.defaultValue;
            }
        } else if (found) {
            if (!RuleChangesText(f.rule)) {
                value = found;
            } else {
                ruled.emplace_back(found);
                ApplyRule(f.rule, ruled.back());
                value = ruled.back();
            }
        } else {
            value = row.loadedDefault;
        }
    }
    std::array<std::string_view, kSoundSlotTable.size()> sounds;
    size_t groupStart[kSoundGroupCount + 1] = {};
    for (size_t g = 0; g < kSoundGroupCount; ++g)
        groupStart[g + 1] = groupStart[g] + static_cast<size_t>(kSoundSlots[g]);
    size_t filled[kSoundGroupCount] = {};
    for (size_t i = 0; i < kSoundSlotTable.size(); ++i) {
        const char* found = valueOf(soundSlots[i]);
        const auto g = static_cast<size_t>(kSoundSlotTable[i].group);
        sounds[groupStart[g] + filled[g]++] = found ? found : "";
    }
    for (size_t g = 0; g < kSoundGroupCount; ++g) {
        StableSort(std::span(sounds.data() + groupStart[g], filled[g]), SoundBefore);
    }

    thread_local std::vector<std::string_view> components;
    components.clear();
    for (const QSINIKey* key : componentKeys) {
        const char* value = valueOf(key);
        if (!value || !*value) break;
        components.emplace_back(value);
    }
    values_ = MakeBlock(values, sounds, components);

    if (!anyBonus) {
        lists_.reset();
        return;
    }
    for (size_t s = 0; s < kBonusSections.size(); ++s)
        StableSort(std::span(bonusLists[s]), BonusBefore);
}
