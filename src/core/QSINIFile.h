// QSINIFile: one parsed INI text resource.
//
// The text is parsed once, in place: names and values are zero-terminated inside the
// content buffer and the records point into it. Sections live in an array sorted by hash (a
// section's hash is HashName(name), stepped by one past the hashes of earlier sections), which
// gives the order FirstSection and SectionAt walk them in. Lookups by name go through two
// open-addressed tables made while parsing, one of sections by name and one of keys by
// section and name, so that parsing and every lookup stay linear in the size of the file,
// however many sections and keys it holds. Values go out through the translator, if one is set.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/QSGameResource.h"
#include "core/QSMoveableArray.h"
#include "core/QSTranslator.h"

struct QSINISection;

// A hash of a name's bytes with ASCII letters folded exactly as SameName folds them, so that
// names equal letter case aside hash alike and other names rarely do; for telling names apart
// quickly, not the lookup hash (HashName).
inline uint64_t FoldWordLetters(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    const uint64_t low7 = word & ~kHighs;
    const uint64_t fromA = low7 + kOnes * (0x80 - 'a');      // high bit: byte >= 'a'
    const uint64_t pastZ = low7 + kOnes * (0x80 - 'z' - 1);  // high bit: byte > 'z'
    const uint64_t lower = fromA & ~pastZ & ~word & kHighs;  // and below 0x80
    return word - (lower >> 2);                               // 'a'-'z' less 0x20
}

inline uint32_t FoldedNameHash(const char* name, size_t length) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ length;
    uint64_t last = 0;  // the last eight bytes (overlapping the words before), or all of them
    if (length >= 8) {
        for (size_t at = 0; at + 8 < length; at += 8) {
            uint64_t word;
            std::memcpy(&word, name + at, 8);
            h = (h ^ FoldWordLetters(word)) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
        }
        std::memcpy(&last, name + length - 8, 8);
    } else {
        for (size_t i = 0; i < length; ++i)
            last |= static_cast<uint64_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    }
    h = (h ^ FoldWordLetters(last)) * 0xC4CEB9FE1A85EC53ull;
    return static_cast<uint32_t>(h ^ (h >> 29));
}

struct QSINIKey {
    uint32_t foldedHash = 0;     // FoldedNameHash(name); 0 without a name
    const char* name = nullptr;  // null for a line without '=': never found by a lookup
    const char* value = nullptr;
    QSINIKey* next = nullptr;    // the next key of the same section, in file order
    QSINISection* section = nullptr;
};

struct QSINISection {
    const char* name = nullptr;
    uint32_t hash = 0;        // HashName(name), stepped past earlier sections' hashes
    uint32_t nameHash = 0;    // HashName(name)
    uint32_t foldedHash = 0;  // FoldedNameHash(name)
    uint32_t namedKeys = 0;   // keys with a name
    bool keysInTable = false; // past a few keys, its keys are found through the file's key table
    QSINIKey* firstKey = nullptr;
    QSINIKey* lastKey = nullptr;
    QSINIKey* keyCursor = nullptr;
};

// Stable storage for records: blocks of 64, none until the first record.
template <typename T>
class QSRecordStore {
public:
    T* Add() {
        if (used_ == kBlock) {
            blocks_.emplace_back(new T[kBlock]());
            used_ = 0;
        }
        return &blocks_.back()[used_++];
    }
    void Clear() {
        blocks_.clear();
        used_ = kBlock;
    }
    // Forgets every record but keeps the first block for the next ones, which start out as
    // new records.
    void Reuse() {
        if (blocks_.empty()) return;
        std::fill_n(blocks_[0].get(), blocks_.size() == 1 ? used_ : kBlock, T{});
        blocks_.resize(1);
        used_ = 0;
    }
    // Calls visit with every record, in the order they were added.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (size_t b = 0; b < blocks_.size(); ++b) {
            const size_t count = b + 1 < blocks_.size() ? kBlock : used_;
            for (size_t i = 0; i < count; ++i) visit(blocks_[b][i]);
        }
    }

private:
    static constexpr size_t kBlock = 64;
    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t used_ = kBlock;
};

using QSINISectionPtrArray = QSMoveableArray<QSINISection*>;
using QSINIKeyPtrArray = QSMoveableArray<QSINIKey*>;

class QSINIFile : public QSGameResource {
public:
    explicit QSINIFile(std::string name = {});
    ~QSINIFile() override;

    // Parses content in place and keeps it; 0 when the text holds nothing but blanks and
    // comments (the content is then not kept), or for no content. The content of an earlier
    // Process is let go without being freed.
    int Process(ResourceContent* content) override;
    int Unload() override;
    int SetInfo(const char*, const void*, uint32_t) override { return 1; }

    // Copies text into a buffer of the file's own and parses it (tools and tests).
    int LoadText(std::string_view text);

    void SetTranslator(const QSTranslator* translator) { translator_ = translator; }

    // A duplicate key ends the program. With deferral on (for a parse on another thread), the
    // parse notes it and goes on instead, and DeferredError tells; the file is then to be
    // parsed again on the thread that may end the program. Off by default.
    void DeferDuplicateKeyError(bool defer) { deferDuplicates_ = defer; }
    bool DeferredError() const { return duplicateNoted_; }
    const QSTranslator* Translator() const { return translator_; }

    // Copies the value (or def) as a bounded, zero-filled copy of size bytes, not
    // terminated when the text fills the buffer. 1 when the key was found.
    int GetINIString(const char* section, const char* key, const char* def, char* out,
                     size_t size) const;
    int GetINIString(const char* section, const char* key, const char* def,
                     std::string& out) const;
    // The translated value, or null when the section or key is missing.
    const char* FindValue(const char* section, const char* key) const;

    // Section names in ascending hash order; one cursor per file.
    const char* FirstSection();
    const char* NextSection();
    // The named section's keys in file order; one cursor per section.
    const char* FirstKey(const char* section);
    const char* NextKey(const char* section);
    const QSINIKey* FirstKeyRecord(const char* section);
    const QSINIKey* NextKeyRecord(const char* section);

    uint32_t SectionCount() const { return sections_.Count(); }
    uint32_t KeyCount() const { return keyCount_; }
    // Section index (0 .. SectionCount() - 1) in ascending hash order; its keys follow
    // firstKey and next in file order. Touches no cursor.
    const QSINISection& SectionAt(uint32_t index) const { return *sections_[index]; }
    // A key's value as the lookups return it: through the translator.
    const char* ValueOf(const QSINIKey& key) const { return Translated(key.value); }

private:
    int Parse(char* text, uint32_t len);
    QSINISection* FindSection(const char* name) const;
    QSINISection* FindOrAddSection(const char* name, size_t length);
    void AddKey(QSINISection* section, const char* name, size_t nameLength, const char* value);
    // Gives every section its stepped hash, in the order they were found, and sorts them.
    void OrderSections();
    const char* Translated(const char* value) const;
    // Forgets every section and key; keepStorage keeps the memory for the next parse.
    void ClearRecords(bool keepStorage = false);

    QSINISectionPtrArray sections_;  // in the order found while parsing, then by hash
    uint32_t sectionCursor_ = 0;
    struct SectionSlot {
        uint32_t folded;  // the section's FoldedNameHash, compared before its name is
        QSINISection* section;
    };
    struct KeySlot {
        uint64_t tag;  // the probe hash of the key's section and name
        QSINIKey* key;
    };
    void AddToKeyTable(QSINIKey* key);
    const QSINIKey* FindInKeyTable(const QSINISection* section, const char* name, uint32_t folded) const;

    std::vector<SectionSlot> sectionSlots_;  // open-addressed by FoldedNameHash
    std::vector<KeySlot> keySlots_;          // the keys of sections with many, by section and name
    uint32_t tableKeys_ = 0;
    uint32_t keyCount_ = 0;
    QSRecordStore<QSINISection> sectionStore_;
    QSRecordStore<QSINIKey> keyStore_;
    ResourceContent* content_ = nullptr;  // the parsed text; belongs to the resource entry
    ResourceContent ownContent_;          // used by LoadText
    const QSTranslator* translator_ = nullptr;
    bool deferDuplicates_ = false;
    bool duplicateNoted_ = false;  // by the last parse, with deferral on
};
