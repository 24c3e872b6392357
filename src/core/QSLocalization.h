// QSLocalization: the table of display texts through which every INI value passes.
//
// Loads "Data\Localized\Strings_01.ini" onwards (and once "Strings_demo.ini" in place of the
// first missing number). Each line of a resource is an entry of tab-separated fields whose
// fourth is the source text and fifth the display text; entries are numbered across
// resources in load order. A value "STRING_<n>" is shown as entry n's display text, and a
// value equal to a source text as that entry's display text. Source texts are found through
// a hash table built once the resources are loaded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/QSTextSource.h"
#include "core/QSTranslator.h"

struct QSTranslatedString {
    const char* source = nullptr;
    const char* display = nullptr;
};

class QSLocalization : public QSTranslator {
public:
    // Registers the table's part of the fatal shut-down.
    QSLocalization();
    ~QSLocalization() override;
    QSLocalization(const QSLocalization&) = delete;
    QSLocalization& operator=(const QSLocalization&) = delete;

    // Loads every localisation resource the source holds. The language argument is not used:
    // the language comes from the resources.
    void LoadLocalization(QSTextSource& source, const char* language = "English");
    // Releases every entry and text; the language is kept, and so is what the last load made,
    // for a load that reads the very same resources again.
    void ReleaseLocalization();

    const char* Translate(const char* value) const override;

    // Tells loads of this table apart by what they translate: 0 while values pass unchanged
    // (nothing loaded, or no entries); otherwise a load gets the stamp of the last non-empty
    // load before it when its entries are the same, and a new one when they differ.
    uint64_t ContentStamp() const { return stamp_; }

    bool Loaded() const { return loaded_; }
    const std::string& Language() const { return language_; }
    uint32_t EntryCount() const { return static_cast<uint32_t>(entries_.size()); }
    const QSTranslatedString& Entry(uint32_t n) const { return entries_[n]; }

private:
    static constexpr uint32_t kNoEntry = 0xFFFFFFFFu;
    // One slot of the source text table: the text's hash and its entry, or kNoEntry when free.
    struct Slot {
        uint32_t hash = 0;
        uint32_t entry = kNoEntry;
    };

    void LoadResource(const char* name, const std::string& text);
    void IndexSources();
    void StampContent();
    // The slot holding the entry whose source text is text, or the free slot where it would go.
    size_t SlotIndex(const char* text, uint32_t hash) const;

    std::string language_;
    bool loaded_ = false;
    std::vector<QSTranslatedString> entries_;
    std::vector<Slot> slots_;  // open addressing, a power of two long; empty when not loaded
    std::array<uint64_t, 4> firstBytes_{};  // the first bytes of the source texts, as bits
    std::vector<std::unique_ptr<char[]>> storage_;  // one block per resource
    uint64_t stamp_ = 0;
    uint64_t lastStamp_ = 0;   // the stamp of the last non-empty load
    // That load's entries, digested: see StampContent.
    struct ContentDigest {
        uint64_t first = 0;
        uint64_t second = 0;
        size_t bytes = 0;
        size_t count = 0;
        bool operator==(const ContentDigest&) const = default;
    };
    ContentDigest lastDigest_;
    // The resources the last load read: name and content key when the source gave every one
    // a key (lastKeyed_), else name and text; once released, what it made.
    std::vector<std::pair<std::string, std::string>> lastTexts_;
    bool lastKeyed_ = false;
    struct Made {
        bool held = false;
        std::vector<QSTranslatedString> entries;
        std::vector<Slot> lookup;  // not "slots": Qt keeps that word for itself
        std::array<uint64_t, 4> firstBytes{};
        std::vector<std::unique_ptr<char[]>> storage;
        uint64_t stamp = 0;
    } released_;
    int shutdownHook_ = 0;
};
