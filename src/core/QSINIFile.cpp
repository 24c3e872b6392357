#include "core/QSINIFile.h"

#include <bit>
#include <cstring>
#include <mutex>
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

int CompareHash(uint32_t key, uint32_t hash) { return key < hash ? -1 : (key > hash ? 1 : 0); }

// The named keys of the file being parsed, by section and folded name: finds a key that
// repeats one of its section. Kept per thread, for the next file.
class KeysSeen {
public:
    void Reset() {
        slots_.assign(kFirstSize, nullptr);
        count_ = 0;
    }
    // The earlier key of key's section with its name, if any; else adds key.
    const QSINIKey* Add(QSINIKey* key) {
        if (2 * (count_ + 1) > slots_.size()) Grow();
        QSINIKey*& slot = slots_[Find(key)];
        if (slot) return slot;
        slot = key;
        ++count_;
        return nullptr;
    }

private:
    static constexpr size_t kFirstSize = 128;

    size_t Find(const QSINIKey* key) const {
        const size_t mask = slots_.size() - 1;
        const auto sectionBits =
            static_cast<size_t>(reinterpret_cast<uintptr_t>(key->section) >> 4);
        for (size_t i = (key->foldedHash ^ (sectionBits * 0x9E3779B9u)) & mask;;
             i = (i + 1) & mask) {
            const QSINIKey* other = slots_[i];
            if (!other || (other->section == key->section && other->foldedHash == key->foldedHash &&
                           SameName(other->name, key->name)))
                return i;
        }
    }
    void Grow() {
        std::vector<QSINIKey*> old(2 * slots_.size(), nullptr);
        old.swap(slots_);
        for (QSINIKey* key : old) {
            if (key) slots_[Find(key)] = key;
        }
    }

    std::vector<QSINIKey*> slots_;
    size_t count_ = 0;
};

thread_local KeysSeen gKeysSeen;

std::mutex& IndexMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

QSINIFile::QSINIFile(std::string name)
    // The arrays get their first 50 and 200 slots with the first section and key, so an
    // object that is never loaded (or was unloaded) holds no memory but itself.
    : QSGameResource(std::move(name)), sections_(0, 50), keys_(0, 200) {}

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
    if (!keys_.Empty()) keys_.Clear();
    keysIndexed_.store(false, std::memory_order_relaxed);
    keyCount_ = 0;
    if (keepStorage) {
        while (!sections_.Empty()) sections_.RemoveAt(sections_.Count() - 1);
        keyStore_.Reuse();
        sectionStore_.Reuse();
    } else {
        if (!sections_.Empty()) sections_.Clear();
        keyStore_.Clear();
        sectionStore_.Clear();
    }
    sectionCursor_ = 0;
}

int QSINIFile::Parse(char* text, uint32_t len) {
    uint32_t p = NextMeaningful(text, len, 0);
    if (p >= len) return 0;
    gKeysSeen.Reset();
    while (p < len) {
        // Section header: everything up to the next '[' is skipped; the name runs to the
        // next ']', wherever it is.
        char* open = static_cast<char*>(std::memchr(text + p, '[', len - p));
        if (!open) break;
        uint32_t nameStart = static_cast<uint32_t>(open - text) + 1;
        char* close = static_cast<char*>(std::memchr(text + nameStart, ']', len - nameStart));
        if (!close) break;
        *close = '\0';
        QSINISection* section = FindOrAddSection(Trim(text + nameStart, close));

        p = NextMeaningful(text, len, static_cast<uint32_t>(close - text) + 1);
        while (p < len && text[p] != '[') {
            // Key name: up to the next '=', wherever it is. Without one, the line is a key
            // with no name whose value is the rest of the line.
            const char* keyName = nullptr;
            size_t keyLength = 0;
            uint32_t valueStart = p;
            char* eq = static_cast<char*>(std::memchr(text + p, '=', len - p));
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
    return 1;
}

QSINISection* QSINIFile::FindSection(const char* name) const {
    if (!name) return nullptr;
    for (uint32_t h = HashName(name);; ++h) {
        QSINISection* const* slot =
            sections_.Find(h, [](uint32_t key, const QSINISection* s) { return CompareHash(key, s->hash); });
        if (!slot) return nullptr;
        if (SameName((*slot)->name, name)) return *slot;
    }
}

QSINISection* QSINIFile::FindOrAddSection(const char* name) {
    const uint32_t nameHash = HashName(name);
    uint32_t h = nameHash;
    auto byHash = [](uint32_t key, const QSINISection* s) { return CompareHash(key, s->hash); };
    for (;; ++h) {
        QSINISection** slot = sections_.Find(h, byHash);
        if (!slot) break;
        if (SameName((*slot)->name, name)) return *slot;  // a repeated header continues it
    }
    QSINISection* section = sectionStore_.Add();
    section->name = name;
    section->hash = h;
    section->nameHash = nameHash;
    *sections_.InsertAt(sections_.SearchPlace(h, byHash)) = section;
    return section;
}

void QSINIFile::AddKey(QSINISection* section, const char* name, size_t nameLength,
                       const char* value) {
    QSINIKey* key = keyStore_.Add();
    key->name = name;
    key->value = value;
    key->section = section;
    if (name) {
        key->foldedHash = FoldedNameHash(name, nameLength);
        if (gKeysSeen.Add(key)) {
            QSERROR("Duplicate key %s in section %s in file %s", name, section->name,
                    name_.c_str());
        }
    }
    if (section->lastKey) {
        section->lastKey->next = key;
    } else {
        section->firstKey = key;
    }
    section->lastKey = key;
    ++keyCount_;
}

void QSINIFile::IndexKeys() const {
    if (keysIndexed_.load(std::memory_order_acquire)) return;
    std::lock_guard lock(IndexMutex());
    if (keysIndexed_.load(std::memory_order_relaxed)) return;
    // In the order the keys were parsed, each at the first free hash from its own.
    auto byHash = [](uint32_t key, const QSINIKey* k) { return CompareHash(key, k->hash); };
    keyStore_.ForEach([&](QSINIKey& key) {
        uint32_t h = HashName(key.name) + key.section->hash;
        uint32_t place;
        for (;; ++h) {
            place = keys_.SearchPlace(h, byHash);
            if (place == keys_.Count() || keys_[place]->hash != h) break;
        }
        key.hash = h;
        *keys_.InsertAt(place) = &key;
    });
    keysIndexed_.store(true, std::memory_order_release);
}

const char* QSINIFile::Translated(const char* value) const {
    return translator_ ? translator_->Translate(value) : value;
}

const char* QSINIFile::FindValue(const char* sectionName, const char* keyName) const {
    const QSINISection* section = FindSection(sectionName);
    if (!section || !keyName) return nullptr;
    IndexKeys();
    auto byHash = [](uint32_t key, const QSINIKey* k) { return CompareHash(key, k->hash); };
    for (uint32_t h = HashName(keyName) + section->hash;; ++h) {
        QSINIKey* const* slot = keys_.Find(h, byHash);
        if (!slot) return nullptr;
        if ((*slot)->section == section && SameName((*slot)->name, keyName)) {
            return Translated((*slot)->value);
        }
    }
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
