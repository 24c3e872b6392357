// Where the localisation table finds its resources: the resource manager in the program, a
// map of texts in tests.
#pragma once

#include <string>

class QSTextSource {
public:
    virtual ~QSTextSource() = default;
    virtual bool ResourceExists(const char* name) = 0;
    // The whole content of a text resource; the name must exist.
    virtual std::string ReadTextResource(const char* name) = 0;
};
