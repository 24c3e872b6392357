#include "core/QSINIFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "core/HashName.h"
#include "core/QSError.h"

namespace {

// Space and every byte from 9 to 32 are blanks; carriage returns among them, so CR LF
// lines need no special case. A line ends at line feed.
inline bool IsBlank(unsigned char c) { return c >= 9 && c <= 32; }

constexpr uint64_t kByteOnes = 0x0101010101010101ull;
constexpr uint64_t kByteHighs = 0x8080808080808080ull;

// Marks the high bit of each zero byte of word; the lowest mark is always a zero byte (a mark
// above a zero byte may be false).
inline uint64_t ZeroBytes(uint64_t word) { return (word - kByteOnes) & ~word & kByteHighs; }

// The first byte from p, before end, that is zero, a ';' or (with lineEnds) a line feed; end
// when there is none. Eight bytes at a time while they all lie before end.
const char* FirstStop(const char* p, const char* end, bool lineEnds) {
    if constexpr (std::endian::native == std::endian::little) {
        for (; end - p >= 8; p += 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            uint64_t marks = ZeroBytes(word) | ZeroBytes(word ^ (kByteOnes * ';'));
            if (lineEnds) marks |= ZeroBytes(word ^ (kByteOnes * '\n'));
            if (marks) return p + (std::countr_zero(marks) >> 3);
        }
    }
    for (; p < end; ++p) {
        if (*p == 0 || *p == ';' || (lineEnds && *p == '\n')) return p;
    }
    return end;
}

// The position after the last non-blank byte of [from, to); from when there is none.
char* AfterLastNonBlank(char* from, char* to) {
    while (to > from && IsBlank(static_cast<unsigned char>(to[-1]))) --to;
    return to;
}

// Skips leading blanks, ends the token at its first ';', drops trailing blanks by writing a
// zero byte after the last non-blank byte. The token must be zero-terminated at end at the
// latest. length, when given, receives the trimmed token's length.
char* Trim(char* s, const char* end, size_t* length = nullptr) {
    while (IsBlank(static_cast<unsigned char>(*s))) ++s;
    char* stop = const_cast<char*>(FirstStop(s, end, false));
    char* after = AfterLastNonBlank(s, stop);
    *after = '\0';  // after the last non-blank byte, or at s when there is none
    if (length) *length = static_cast<size_t>(after - s);
    return s;
}

// The first position at or after p that is neither a blank nor inside a ';' comment;
// len when there is none.
uint32_t NextMeaningful(const char* text, uint32_t len, uint32_t p) {
    while (p < len) {
        unsigned char c = static_cast<unsigned char>(text[p]);
        if (c == ';') {
            const void* lf = std::memchr(text + p, '\n', len - p);
            if (!lf) return len;
            p = static_cast<uint32_t>(static_cast<const char*>(lf) - text) + 1;
        } else if (IsBlank(c)) {
            ++p;
        } else {
            return p;
        }
    }
    return len;
}

bool SameName(const char* a, const char* b) {
    if (!a || !b) return false;
    for (;; ++a, ++b) {
        unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
        if (HashFoldByte(ca) != HashFoldByte(cb)) return false;
        if (!ca) return true;
    }
}

// The probe hash of a key in a section (or of a section, with none).
inline uint64_t ProbeHash(uint32_t folded, const void* section) {
    uint64_t h = folded ^ (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(section)) * 0x9E3779B97F4A7C15ull);
    h = (h ^ (h >> 33)) * 0xFF51AFD7ED558CCDull;
    return h ^ (h >> 33);
}

// Up to this many named keys a section's keys are found by walking them (they lie together
// in memory); past it they go into the file's key table.
constexpr uint32_t kFewKeys = 12;

// Below this many sections the stepped hashes are found by looking at the ones before.
constexpr uint32_t kFewSections = 32;

}  // namespace

QSINIFile::QSINIFile(std::string name)
    // The arrays get their first 50 and 200 slots with the first section and key, so an
    // object that is never loaded (or was unloaded) holds no memory but itself.
    : QSGameResource(std::move(name)), sections_(0, 50) {}

QSINIFile::~QSINIFile() { ClearRecords(); }

int QSINIFile::Process(ResourceContent* content) {
    ClearRecords(true);
    content_ = content;
    int result = content && content->data ? Parse(content->data.get(), content->len) : 0;
    if (!result) content_ = nullptr;
    return result;
}

int QSINIFile::Unload() {
    ClearRecords();
    if (content_) content_->Free();
    content_ = nullptr;
    return 1;
}

int QSINIFile::LoadText(std::string_view text) {
    Unload();
    char* buffer = ownContent_.Allocate(static_cast<uint32_t>(text.size()));
    std::memcpy(buffer, text.data(), text.size());
    int result = Process(&ownContent_);
    if (!result) ownContent_.Free();
    return result;
}

void QSINIFile::ClearRecords(bool keepStorage) {
    keyCount_ = 0;
    duplicateNoted_ = false;
    if (keepStorage) {
        while (!sections_.Empty()) sections_.RemoveAt(sections_.Count() - 1);
        keyStore_.Reuse();
        sectionStore_.Reuse();
        sectionSlots_.clear();
        keySlots_.clear();
        tableKeys_ = 0;
    } else {
        if (!sections_.Empty()) sections_.Clear();
        keyStore_.Clear();
        sectionStore_.Clear();
        std::vector<SectionSlot>().swap(sectionSlots_);
        std::vector<KeySlot>().swap(keySlots_);
        tableKeys_ = 0;
    }
    sectionCursor_ = 0;
}

int QSINIFile::Parse(char* text, uint32_t len) {
    uint32_t p = NextMeaningful(text, len, 0);
    if (p >= len) return 0;
    sectionSlots_.assign(16, SectionSlot{0, nullptr});
    // The next '=' at or after p, once looked for: a line without one does not search the
    // rest of the text again (no '=' is ever made, and none is overwritten before p passes it).
    const char* nextEq = nullptr;
    bool noEqLeft = false;
    while (p < len) {
        // Section header: everything up to the next '[' is skipped; the name runs to the
        // next ']', wherever it is.
        char* open = static_cast<char*>(std::memchr(text + p, '[', len - p));
        if (!open) break;
        uint32_t nameStart = static_cast<uint32_t>(open - text) + 1;
        char* close = static_cast<char*>(std::memchr(text + nameStart, ']', len - nameStart));
        if (!close) break;
        *close = '\0';
        size_t nameLength = 0;
        const char* sectionName = Trim(text + nameStart, close, &nameLength);
        QSINISection* section = FindOrAddSection(sectionName, nameLength);

        p = NextMeaningful(text, len, static_cast<uint32_t>(close - text) + 1);
        while (p < len && text[p] != '[') {
            // Key name: up to the next '=', wherever it is. Without one, the line is a key
            // with no name whose value is the rest of the line.
            const char* keyName = nullptr;
            size_t keyLength = 0;
            uint32_t valueStart = p;
            if (!noEqLeft && (!nextEq || nextEq < text + p)) {
                nextEq = static_cast<const char*>(std::memchr(text + p, '=', len - p));
                noEqLeft = nextEq == nullptr;
            }
            char* eq = noEqLeft ? nullptr : text + (nextEq - text);
            if (eq) {
                *eq = '\0';
                keyName = Trim(text + p, eq, &keyLength);
                valueStart = static_cast<uint32_t>(eq - text) + 1;
            }
            // Value: up to the line end, a ';' or the end of the text (the spare byte), trimmed
            // as Trim does: a zero byte ends it early.
            uint32_t valueEnd = valueStart;
            while (valueEnd < len && text[valueEnd] != '\n' &&
                   IsBlank(static_cast<unsigned char>(text[valueEnd])))
                ++valueEnd;
            char* value = text + valueEnd;
            char* stop = const_cast<char*>(FirstStop(value, text + len, true));
            valueEnd = static_cast<uint32_t>(stop - text);
            if (valueEnd < len && text[valueEnd] == 0) {
                while (valueEnd < len && text[valueEnd] != '\n' && text[valueEnd] != ';')
                    ++valueEnd;
            }
            char* after = AfterLastNonBlank(value, stop);
            bool comment = valueEnd < len && text[valueEnd] == ';';
            text[valueEnd] = '\0';
            *after = '\0';  // after the last non-blank byte, or at value when there is none
            AddKey(section, keyName, keyLength, value);

            uint32_t next = valueEnd + 1;
            if (comment && next < len) {
                const void* lf = std::memchr(text + next, '\n', len - next);
                next = lf ? static_cast<uint32_t>(static_cast<const char*>(lf) - text) + 1 : len;
            }
            p = NextMeaningful(text, len, next);
        }
    }
    OrderSections();
    return 1;
}

QSINISection* QSINIFile::FindSection(const char* name) const {
    if (!name || sectionSlots_.empty()) return nullptr;
    const uint32_t folded = FoldedNameHash(name, std::strlen(name));
    const size_t mask = sectionSlots_.size() - 1;
    for (size_t i = ProbeHash(folded, nullptr) & mask;; i = (i + 1) & mask) {
        const SectionSlot& slot = sectionSlots_[i];
        if (!slot.section || (slot.folded == folded && SameName(slot.section->name, name))) return slot.section;
    }
}

QSINISection* QSINIFile::FindOrAddSection(const char* name, size_t length) {
    if (2 * (sections_.Count() + 1) > sectionSlots_.size()) {
        std::vector<SectionSlot> old(2 * sectionSlots_.size(), SectionSlot{0, nullptr});
        old.swap(sectionSlots_);
        const size_t mask = sectionSlots_.size() - 1;
        for (const SectionSlot& slot : old) {
            if (!slot.section) continue;
            size_t i = ProbeHash(slot.folded, nullptr) & mask;
            while (sectionSlots_[i].section) i = (i + 1) & mask;
            sectionSlots_[i] = slot;
        }
    }
    const uint32_t folded = FoldedNameHash(name, length);
    const size_t mask = sectionSlots_.size() - 1;
    size_t i = ProbeHash(folded, nullptr) & mask;
    for (; sectionSlots_[i].section; i = (i + 1) & mask) {
        const SectionSlot& slot = sectionSlots_[i];
        if (slot.folded == folded && SameName(slot.section->name, name)) return slot.section;  // a repeated header continues it
    }
    QSINISection* section = sectionStore_.Add();
    section->name = name;
    section->nameHash = HashName(name);
    section->foldedHash = folded;
    sectionSlots_[i] = SectionSlot{folded, section};
    // The array's own growth is a fixed step; doubling keeps many sections linear.
    if (sections_.Count() == sections_.Capacity()) sections_.Resize(std::max(50u, 2 * sections_.Capacity()), 0);
    sections_.Append(section);
    return section;
}

// Each section takes the first hash from its HashName that no section found before it took;
// the sections are then ordered by these hashes. A chain of taken hashes is walked through
// links to the first free hash past each, shortened as they are followed, so that names
// whose HashName collide cost no more than others.
void QSINIFile::OrderSections() {
    const uint32_t count = sections_.Count();
    if (count <= kFewSections) {
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t h = sections_[i]->nameHash;
            for (uint32_t j = 0; j < i; ++j) {
                if (sections_[j]->hash == h) {
                    ++h;
                    j = UINT32_MAX;  // look at every earlier section again (the loop adds one)
                }
            }
            sections_[i]->hash = h;
        }
        sections_.Sort([](const QSINISection* a, const QSINISection* b) {
            return a->hash < b->hash ? -1 : (a->hash > b->hash ? 1 : 0);
        });
        return;
    }
    // Sections are then sorted by (hash, place found) pairs rather than through pointers.
    std::vector<uint64_t> order(count);
    for (uint32_t i = 0; i < count; ++i) order[i] = uint64_t{sections_[i]->nameHash} << 32 | i;
    std::sort(order.begin(), order.end());
    bool distinct = true;
    for (uint32_t i = 1; i < count && distinct; ++i) distinct = (order[i] >> 32) != (order[i - 1] >> 32);
    if (!distinct) {
        // Taken hashes, each with a later hash such that none between is free: an open-addressed
        // table of (next << 32 | taken) words, all ones when empty (a hash never links to itself).
        constexpr uint64_t kEmpty = ~uint64_t{0};
        std::vector<uint64_t> links(std::bit_ceil(size_t{2} * count), kEmpty);
        const size_t mask = links.size() - 1;
        auto slotOf = [&](uint32_t h) {
            size_t i = (h * 0x9E3779B97F4A7C15ull >> 20) & mask;
            while (links[i] != kEmpty && static_cast<uint32_t>(links[i]) != h) i = (i + 1) & mask;
            return i;
        };
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t h = sections_[i]->nameHash;
            for (size_t at = slotOf(h); links[at] != kEmpty; at = slotOf(h)) {
                uint32_t next = static_cast<uint32_t>(links[at] >> 32);
                const size_t further = slotOf(next);
                if (links[further] != kEmpty) {
                    next = static_cast<uint32_t>(links[further] >> 32);
                    links[at] = uint64_t{next} << 32 | h;
                }
                h = next;
            }
            sections_[i]->hash = h;
            links[slotOf(h)] = uint64_t{h + 1} << 32 | h;
            order[i] = uint64_t{h} << 32 | i;
        }
        std::sort(order.begin(), order.end());
    } else {
        for (uint32_t i = 0; i < count; ++i) sections_[i]->hash = sections_[i]->nameHash;
    }
    std::vector<QSINISection*> found(sections_.begin(), sections_.end());
    for (uint32_t i = 0; i < count; ++i) sections_[i] = found[static_cast<uint32_t>(order[i])];
}

void QSINIFile::AddToKeyTable(QSINIKey* key) {
    if (2 * (tableKeys_ + 1) > keySlots_.size()) {
        std::vector<KeySlot> old(std::max<size_t>(64, 2 * keySlots_.size()), KeySlot{0, nullptr});
        old.swap(keySlots_);
        const size_t mask = keySlots_.size() - 1;
        for (const KeySlot& slot : old) {
            if (!slot.key) continue;
            size_t i = slot.tag & mask;
            while (keySlots_[i].key) i = (i + 1) & mask;
            keySlots_[i] = slot;
        }
    }
    const uint64_t tag = ProbeHash(key->foldedHash, key->section);
    const size_t mask = keySlots_.size() - 1;
    size_t i = tag & mask;
    while (keySlots_[i].key) i = (i + 1) & mask;
    keySlots_[i] = KeySlot{tag, key};
    ++tableKeys_;
}

const QSINIKey* QSINIFile::FindInKeyTable(const QSINISection* section, const char* name, uint32_t folded) const {
    const uint64_t tag = ProbeHash(folded, section);
    const size_t mask = keySlots_.size() - 1;
    for (size_t i = tag & mask;; i = (i + 1) & mask) {
        const KeySlot& slot = keySlots_[i];
        if (!slot.key) return nullptr;
        if (slot.tag == tag && slot.key->section == section && SameName(slot.key->name, name)) return slot.key;
    }
}

void QSINIFile::AddKey(QSINISection* section, const char* name, size_t nameLength,
                       const char* value) {
    QSINIKey* key = keyStore_.Add();
    key->name = name;
    key->value = value;
    key->section = section;
    if (name) {
        key->foldedHash = FoldedNameHash(name, nameLength);
        const QSINIKey* same = nullptr;
        if (section->keysInTable) {
            same = FindInKeyTable(section, name, key->foldedHash);
        } else {
            for (const QSINIKey* k = section->firstKey; k && !same; k = k->next) {
                if (k->foldedHash == key->foldedHash && k->name && SameName(k->name, name)) same = k;
            }
        }
        if (same && deferDuplicates_) {
            duplicateNoted_ = true;
        } else if (same) {
            QSERROR("Duplicate key %s in section %s in file %s", name, section->name, name_.c_str());
        }
    }
    if (section->lastKey) {
        section->lastKey->next = key;
    } else {
        section->firstKey = key;
    }
    section->lastKey = key;
    ++keyCount_;
    if (!name) return;
    if (section->keysInTable) {
        AddToKeyTable(key);
    } else if (++section->namedKeys > kFewKeys) {
        for (QSINIKey* k = section->firstKey; k; k = k->next) {
            if (k->name) AddToKeyTable(k);
        }
        section->keysInTable = true;
    }
}

const char* QSINIFile::Translated(const char* value) const {
    return translator_ ? translator_->Translate(value) : value;
}

const char* QSINIFile::FindValue(const char* sectionName, const char* keyName) const {
    const QSINISection* section = FindSection(sectionName);
    if (!section || !keyName) return nullptr;
    const uint32_t folded = FoldedNameHash(keyName, std::strlen(keyName));
    if (section->keysInTable) {
        const QSINIKey* key = FindInKeyTable(section, keyName, folded);
        return key ? Translated(key->value) : nullptr;
    }
    for (const QSINIKey* key = section->firstKey; key; key = key->next) {
        if (key->foldedHash == folded && key->name && SameName(key->name, keyName)) return Translated(key->value);
    }
    return nullptr;
}

int QSINIFile::GetINIString(const char* section, const char* key, const char* def, char* out,
                            size_t size) const {
    const char* value = FindValue(section, key);
    const char* text = value ? value : (def ? def : "");
    if (out && size) std::strncpy(out, text, size);
    return value ? 1 : 0;
}

int QSINIFile::GetINIString(const char* section, const char* key, const char* def,
                            std::string& out) const {
    const char* value = FindValue(section, key);
    out = value ? value : (def ? def : "");
    return value ? 1 : 0;
}

const char* QSINIFile::FirstSection() {
    if (sections_.Empty()) return nullptr;
    sectionCursor_ = 1;
    return sections_[0]->name;
}

const char* QSINIFile::NextSection() {
    if (sectionCursor_ >= sections_.Count()) return nullptr;
    return sections_[sectionCursor_++]->name;
}

const QSINIKey* QSINIFile::FirstKeyRecord(const char* sectionName) {
    QSINISection* section = FindSection(sectionName);
    if (!section) return nullptr;
    QSINIKey* key = section->firstKey;
    section->keyCursor = key ? key->next : nullptr;
    return key;
}

const QSINIKey* QSINIFile::NextKeyRecord(const char* sectionName) {
    QSINISection* section = FindSection(sectionName);
    if (!section || !section->keyCursor) return nullptr;
    QSINIKey* key = section->keyCursor;
    section->keyCursor = key->next;
    return key;
}

const char* QSINIFile::FirstKey(const char* section) {
    const QSINIKey* key = FirstKeyRecord(section);
    return key ? (key->name ? key->name : "") : nullptr;
}

const char* QSINIFile::NextKey(const char* section) {
    const QSINIKey* key = NextKeyRecord(section);
    return key ? (key->name ? key->name : "") : nullptr;
}
