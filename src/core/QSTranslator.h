// The hook through which every INI value passes on its way out; the localisation table
// implements it. Without one, values are returned as written.
#pragma once

class QSTranslator {
public:
    virtual ~QSTranslator() = default;
    // The display text for value, or value itself when there is nothing to translate.
    virtual const char* Translate(const char* value) const = 0;
};
