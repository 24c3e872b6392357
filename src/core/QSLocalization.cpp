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
        LoadResource(resource, source.ReadTextResource(resource));
    }
    for (const QSTranslatedString& e : entries_) lookup_.push_back(&e);
    std::sort(lookup_.begin(), lookup_.end(),
              [](const QSTranslatedString* a, const QSTranslatedString* b) {
                  return ByteLess(a->source, b->source);
              });
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
            for (size_t i = 0; i < field.size(); ++i) {
                if (field[i] != '\\') {
                    *out++ = field[i];
                } else if (i + 1 < field.size() && field[i + 1] == 'n') {
                    *out++ = '\n';
                    ++i;
                } else {
                    std::string from(field.substr(i));
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
    loaded_ = false;
    entries_.clear();
    lookup_.clear();
    storage_.clear();
}

const char* QSLocalization::Translate(const char* value) const {
    if (!value) return nullptr;
    if (!loaded_ || entries_.empty()) return value;
    if (std::strncmp(value, "STRING_", 7) == 0) {
        long n = std::strtol(value + 7, nullptr, 10);
        if (n < 0 || static_cast<unsigned long>(n) >= entries_.size()) return value;
        return entries_[static_cast<size_t>(n)].display;
    }
    auto it = std::lower_bound(lookup_.begin(), lookup_.end(), value,
                               [](const QSTranslatedString* e, const char* v) { return ByteLess(e->source, v); });
    if (it != lookup_.end() && std::strcmp((*it)->source, value) == 0) return (*it)->display;
    return value;
}
