// Parses arbitrary bytes as an INI resource and reads everything back: the parser must stay
// within the Len + 1 bytes it is given, whatever they hold.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzHarness.h"
#include "core/QSINIFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RunGuarded([&] {
        ResourceContent content;
        std::memcpy(content.Allocate(static_cast<uint32_t>(size)), data, size);
        QSINIFile ini("fuzz.ini");
        if (!ini.Process(&content)) return;
        std::string out;
        size_t total = 0;
        for (const char* s = ini.FirstSection(); s; s = ini.NextSection()) {
            for (const QSINIKey* k = ini.FirstKeyRecord(s); k; k = ini.NextKeyRecord(s)) {
                if (k->name) ini.GetINIString(s, k->name, "", out);
                total += out.size() + std::strlen(k->value);
            }
        }
        ini.GetINIString("ObjectData", "MaxHitPoints", "0", out);
        static volatile size_t sink;
        sink = total;  // keeps the reads from being optimised away
        ini.Unload();
    });
    return 0;
}
