// Where the localisation table finds its resources: the resource manager in the program, a
// map of texts in tests.
#pragma once

#include <optional>
#include <string>

class QSTextSource {
public:
    virtual ~QSTextSource() = default;
    virtual bool ResourceExists(const char* name) = 0;
    // The whole content of a text resource; the name must exist.
    virtual std::string ReadTextResource(const char* name) = 0;
    // A key that is the same for two reads only when they give the same bytes (the same
    // stored file of the same, unchanged archive), without reading them; none when the source
    // cannot tell.
    virtual std::optional<std::string> ContentKey(const char* /*name*/) { return std::nullopt; }
};
