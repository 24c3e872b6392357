#include "resources/StreamFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

uint32_t PackVersion(const char* text) {
    uint32_t parts[4] = {0, 0, 0, 0};
    const char* p = text ? text : "";
    for (int i = 0; i < 4 && *p; ++i) {
        char* end = nullptr;
        parts[i] = static_cast<uint32_t>(std::strtoul(p, &end, 10));
        if (end == p || *end != '.') break;
        p = end + 1;
    }
    return parts[0] * 1000000u + parts[1] * 10000u + parts[2] * 100u + parts[3];
}

void FormatVersionText(uint32_t v, char* out, size_t size) {
    unsigned a = v / 1000000, b = v / 10000 % 100, c = v / 100 % 100, d = v % 100;
    if (d) {
        std::snprintf(out, size, "%u.%u.%u.%u", a, b, c, d);
    } else {
        std::snprintf(out, size, "%u.%u.%u", a, b, c);
    }
}

bool IsValidModVersion(const char* text) {
    if (!text || std::strlen(text) > 11) return false;
    int parts = 0;
    const char* p = text;
    for (;;) {
        int digits = 0;
        while (*p >= '0' && *p <= '9') ++p, ++digits;
        if (digits < 1 || digits > 2) return false;
        ++parts;
        if (*p == '\0') break;
        if (*p != '.') return false;
        ++p;
    }
    return parts >= 2 && parts <= 4;
}
