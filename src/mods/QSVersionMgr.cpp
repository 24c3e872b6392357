#include "mods/QSVersionMgr.h"

#include <array>
#include <climits>
#include <cstring>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%d" at `pos`: optional white space and sign, then at least one digit. A part too large
// for an int stays at the int's limit. False, with `pos` unchanged, when no number is there.
bool ScanInt(std::string_view text, size_t& pos, int64_t& value) {
    size_t p = pos;
    while (p < text.size() && IsSpace(text[p])) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || !IsDigit(text[p])) return false;
    const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    int64_t magnitude = 0;
    for (; p < text.size() && IsDigit(text[p]); ++p) {
        magnitude = magnitude * 10 + (text[p] - '0');
        if (magnitude > limit) magnitude = limit;
    }
    value = negative ? -magnitude : magnitude;
    pos = p;
    return true;
}

// The four parts as "%d.%d.%d.%d" reads them; scanning stops at the first part that cannot be
// read, and it and the parts after it count 0.
std::array<int64_t, 4> ScanParts(std::string_view text) {
    std::array<int64_t, 4> parts{};
    size_t pos = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '.') break;
            ++pos;
        }
        if (!ScanInt(text, pos, parts[i])) break;
    }
    return parts;
}

int64_t PartsValue(const std::array<int64_t, 4>& p) {
    return p[0] * 1000000 + p[1] * 10000 + p[2] * 100 + p[3];
}

}  // namespace

bool IsFileNameChar(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c)) return true;
    static constexpr char kPunctuation[] = " !#$%&()+,-.;=@^_`~";
    // strchr would also find the terminating zero; keep that byte out.
    return c != '\0' && std::strchr(kPunctuation, c) != nullptr;
}

bool IsValidModVersion(std::string_view text) {
    if (text.empty() || text.size() > 11) return false;
    int parts = 0;
    size_t start = 0;
    while (true) {
        size_t end = text.find('.', start);
        if (end == std::string_view::npos) end = text.size();
        const size_t length = end - start;
        if (length < 1 || length > 2) return false;
        for (size_t i = start; i < end; ++i) {
            if (!IsDigit(text[i])) return false;
        }
        ++parts;
        if (end == text.size()) break;
        start = end + 1;
    }
    return parts >= 2 && parts <= 4;
}

int64_t VersionToNumber(std::string_view text) {
    return PartsValue(ScanParts(text));
}

bool VersionLess(std::string_view a, std::string_view b) {
    return VersionToNumber(a) < VersionToNumber(b);
}

bool IncrementVersion(std::string_view text, std::string* raised) {
    auto [a, b, c, d] = ScanParts(text);
    // Each step carries only a part that has just reached 100, so the value always rises by
    // exactly one, even for a malformed version whose parts were already beyond 99.
    d += 1;
    if (d == 100) {
        d = 0;
        c += 1;
    }
    if (c == 100) {
        c = 0;
        b += 1;
    }
    if (b == 100) {
        b = 0;
        a += 1;
    }
    if (a == 100) return false;
    std::string out = std::to_string(a) + '.' + std::to_string(b) + '.' + std::to_string(c);
    if (d != 0) out += '.' + std::to_string(d);
    *raised = std::move(out);
    return true;
}

SaveCheckResult CheckModForSave(const SaveCheckInput& input) {
    SaveCheckResult result;
    result.version = std::string(input.typedVersion);
    auto fail = [&](const char* message) {
        result.passed = false;
        result.message = message;
        return result;
    };

    if (input.modName.empty()) return fail(kNoModNameMessage);
    for (char c : input.modName) {
        if (!IsFileNameChar(c)) return fail(kBadModNameMessage);
    }
    if (input.identifier.size() != 2) return fail(kNoIdentifierMessage);
    if (input.identifier == "AT") return fail(kReservedIdentifierMessage);
    if (!IsValidModVersion(input.typedVersion)) return fail(kVersionFormatMessage);

    if (VersionLess(input.savedVersion, input.typedVersion)) {
        result.passed = true;
        return result;
    }
    std::string next;
    if (!IncrementVersion(input.savedVersion, &next)) return fail(kVersionIncreaseMessage);
    result.version = next;
    result.versionChanged = true;
    if (VersionLess(input.typedVersion, next)) {
        result.passed = true;
        return result;
    }
    // Not reached while the next version is above the saved one; kept so that a typed version
    // at or past the next one is never taken.
    return fail(kVersionIncreaseMessage);
}

std::string VersionAfterExit(std::string_view typed, std::string_view saved) {
    return std::string(IsValidModVersion(typed) ? typed : saved);
}
