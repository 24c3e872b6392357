#include "core/QSLocalization.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/HashName.h"
#include "core/QSError.h"

namespace {

constexpr const char* kFallback = "Data\\Localized\\Strings_demo.ini";

bool ByteLess(const char* a, const char* b) {
    return std::strcmp(a, b) < 0;  // strcmp compares as unsigned bytes
}

// A hash of the text's bytes, eight at a time.
uint32_t HashText(const char* text, size_t len) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ len;
    for (; len >= 8; text += 8, len -= 8) {
        uint64_t word;
        std::memcpy(&word, text, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, text, len);
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 29;
    return static_cast<uint32_t>(h);
}

}  // namespace

QSLocalization::QSLocalization() {
    shutdownHook_ =
        RegisterShutdownHook(ShutdownStage::Localization, [this] { ReleaseLocalization(); });
    entries_.reserve(6000);
}

QSLocalization::~QSLocalization() { UnregisterShutdownHook(shutdownHook_); }

void QSLocalization::LoadLocalization(QSTextSource& source, const char* /*language*/) {
    ReleaseLocalization();
    loaded_ = true;
    std::vector<std::string> names;
    bool fallbackTried = false;
    for (int n = 1; n <= 100; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "Data\\Localized\\Strings_%02d.ini", n);
        const char* resource = name;
        if (!source.ResourceExists(name)) {
            if (fallbackTried) break;
            fallbackTried = true;
            resource = kFallback;
            if (!source.ResourceExists(resource)) break;
        }
        names.emplace_back(resource);
    }
    // The same stored files as the last load need not be read to be known the same.
    std::vector<std::pair<std::string, std::string>> keys;
    bool keyed = true;
    for (const std::string& name : names) {
        std::optional<std::string> key = source.ContentKey(name.c_str());
        keyed = keyed && key.has_value();
        keys.emplace_back(name, key.value_or(std::string()));
    }
    std::vector<std::pair<std::string, std::string>> texts;
    const bool sameKeys = keyed && lastKeyed_ && keys == lastTexts_;
    if (!(released_.held && sameKeys)) {
        for (const std::string& name : names)
            texts.emplace_back(name, source.ReadTextResource(name.c_str()));
    }
    if (released_.held && (sameKeys || (!keyed && !lastKeyed_ && texts == lastTexts_))) {
        // The same resources as the last load: what it made, with its stamp.
        entries_ = std::move(released_.entries);
        slots_ = std::move(released_.lookup);
        firstBytes_ = released_.firstBytes;
        storage_ = std::move(released_.storage);
        stamp_ = released_.stamp;
    } else {
        for (const auto& [name, text] : texts) LoadResource(name.c_str(), text);
        IndexSources();
        StampContent();
    }
    released_ = Made{};
    lastKeyed_ = keyed;
    lastTexts_ = keyed ? std::move(keys) : std::move(texts);
}

void QSLocalization::StampContent() {
    if (entries_.empty()) {
        stamp_ = 0;
        return;
    }
    // Compared with the last load's entries through a digest of them (two independent 64-bit
    // hashes of every source and display text, each followed by its length, their length and
    // count): a copy of the texts would take as much memory again as the table.
    ContentDigest digest;
    digest.count = entries_.size();
    uint64_t a = 14695981039346656037ull, b = 0x9E3779B97F4A7C15ull;
    // Eight bytes a step; each text's last word is padded with zeros and its length mixed in
    // after it, which ends it as surely as its terminating zero.
    auto mix = [&](uint64_t word) {
        a = (a ^ word) * 0x100000001B3ull;
        a ^= a >> 32;
        b = (b + word + 1) * 0xFF51AFD7ED558CCDull;
        b ^= b >> 29;
    };
    for (const QSTranslatedString& e : entries_) {
        for (const char* text : {e.source, e.display}) {
            const size_t length = std::strlen(text);
            size_t i = 0;
            for (; i + 8 <= length; i += 8) {
                uint64_t word;
                std::memcpy(&word, text + i, 8);
                mix(word);
            }
            uint64_t tail = 0;
            std::memcpy(&tail, text + i, length - i);
            mix(tail);
            mix(length);
            digest.bytes += length + 1;
        }
    }
    digest.first = a;
    digest.second = b;
    if (lastStamp_ != 0 && digest == lastDigest_) {
        stamp_ = lastStamp_;
        return;
    }
    lastDigest_ = digest;
    stamp_ = ++lastStamp_;
}

size_t QSLocalization::SlotIndex(const char* text, uint32_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry == kNoEntry ||
            (slot.hash == hash && std::strcmp(entries_[slot.entry].source, text) == 0))
            return i;
    }
}

void QSLocalization::IndexSources() {
    size_t size = 16;
    while (size < 2 * entries_.size()) size *= 2;
    slots_.assign(size, Slot{});
    firstBytes_ = {};
    bool differing = false;  // a source text shown differently by two entries
    for (uint32_t n = 0; n < entries_.size(); ++n) {
        const char* source = entries_[n].source;
        const auto first = static_cast<unsigned char>(*source);
        firstBytes_[first >> 6] |= uint64_t{1} << (first & 63);
        const uint32_t hash = HashText(source, std::strlen(source));
        Slot& slot = slots_[SlotIndex(source, hash)];
        if (slot.entry == kNoEntry) {
            slot = {hash, n};
        } else if (std::strcmp(entries_[slot.entry].display, entries_[n].display) != 0) {
            differing = true;
        }
    }
    if (!differing) return;
    // Such a source text shows the entry that comes first among its equals once the table is
    // sorted by source text with std::sort: the entry a binary search over that order finds,
    // as the table has always answered.
    std::vector<const QSTranslatedString*> sorted;
    sorted.reserve(entries_.size());
    for (const QSTranslatedString& e : entries_) sorted.push_back(&e);
    std::sort(sorted.begin(), sorted.end(),
              [](const QSTranslatedString* a, const QSTranslatedString* b) {
                  return ByteLess(a->source, b->source);
              });
    for (size_t i = 0; i < sorted.size(); ++i) {
        if (i > 0 && std::strcmp(sorted[i - 1]->source, sorted[i]->source) == 0) continue;
        const char* source = sorted[i]->source;
        Slot& slot = slots_[SlotIndex(source, HashText(source, std::strlen(source)))];
        slot.entry = static_cast<uint32_t>(sorted[i] - entries_.data());
    }
}

void QSLocalization::LoadResource(const char* name, const std::string& text) {
    // Decoded fields never grow, so one block as large as the resource holds them all.
    storage_.emplace_back(new char[text.size() + 1]);
    char* out = storage_.back().get();

    std::string_view rest(text);
    auto nextLine = [&rest](std::string_view& line) {
        if (rest.empty()) return false;
        size_t lf = rest.find('\n');
        line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
        return true;
    };

    std::string_view line;
    if (!nextLine(line) || line.find('=') == std::string_view::npos) {
        QSERROR("Language not set properly in %s", name);
    }
    std::string_view word = line.substr(line.find('=') + 1);
    word.remove_prefix(std::min(word.find_first_not_of(' '), word.size()));
    word = word.substr(0, std::min<size_t>(word.find_first_of(" \n\r;"), 259));
    if (language_.empty()) {
        language_ = std::string(word);
        QSLOG(kLogInfo, "Will localize to language: %s", language_.c_str());
    } else if (!SameName(language_, word)) {
        std::string other(word);
        QSERROR("Conflicting languages %s and %s", language_.c_str(), other.c_str());
    }

    // Entries: every line, the first included, that is not a comment.
    rest = std::string_view(text);
    std::vector<std::string_view> fields;
    while (nextLine(line)) {
        if (!line.empty() && (line[0] == '#' || line[0] == '"')) continue;
        if (line.find('\t') == std::string_view::npos) break;
        fields.clear();
        for (size_t start = 0;;) {
            size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        if (fields.size() < 5) {
            std::string copy(line);
            QSERROR("Bad localization entry (less than 5 columns): %s", copy.c_str());
        }
        QSTranslatedString entry;
        for (int f = 3; f <= 4; ++f) {
            std::string_view field = fields[f];
            if (!field.empty() && field.front() == '"') field.remove_prefix(1);
            if (!field.empty() && field.back() == '"') field.remove_suffix(1);
            char* decoded = out;
            for (size_t i = 0;;) {
                const size_t slash = std::min(field.find('\\', i), field.size());
                std::memcpy(out, field.data() + i, slash - i);
                out += slash - i;
                if (slash == field.size()) break;
                if (slash + 1 < field.size() && field[slash + 1] == 'n') {
                    *out++ = '\n';
                    i = slash + 2;
                } else {
                    std::string from(field.substr(slash));
                    QSERROR("Unrecognized backslash command in %s", from.c_str());
                }
            }
            *out++ = '\0';
            (f == 3 ? entry.source : entry.display) = decoded;
        }
        entries_.push_back(entry);
    }
}

void QSLocalization::ReleaseLocalization() {
    if (loaded_) {
        released_.held = true;
        released_.entries = std::move(entries_);
        released_.lookup = std::move(slots_);
        released_.firstBytes = firstBytes_;
        released_.storage = std::move(storage_);
        released_.stamp = stamp_;
    }
    loaded_ = false;
    stamp_ = 0;
    entries_.clear();
    slots_.clear();
    firstBytes_ = {};
    storage_.clear();
}

const char* QSLocalization::Translate(const char* value) const {
    if (!value) return nullptr;
    if (!loaded_ || entries_.empty()) return value;
    const auto first = static_cast<unsigned char>(*value);
    if (first == 'S' && std::strncmp(value, "STRING_", 7) == 0) {
        long n = std::strtol(value + 7, nullptr, 10);
        if (n < 0 || static_cast<unsigned long>(n) >= entries_.size()) return value;
        return entries_[static_cast<size_t>(n)].display;
    }
    // Empty while the resources are still being read.
    if (slots_.empty() || !((firstBytes_[first >> 6] >> (first & 63)) & 1)) return value;
    const Slot& slot = slots_[SlotIndex(value, HashText(value, std::strlen(value)))];
    return slot.entry == kNoEntry ? value : entries_[slot.entry].display;
}
