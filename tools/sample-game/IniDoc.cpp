#include "IniDoc.h"

#include <algorithm>

namespace {

char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

const IniKey* IniSection::Find(std::string_view key) const {
    for (const IniKey& k : keys) {
        if (SameText(k.name, key)) return &k;
    }
    return nullptr;
}

IniKey* IniSection::Find(std::string_view key) {
    return const_cast<IniKey*>(static_cast<const IniSection*>(this)->Find(key));
}

const IniSection* IniDoc::FindSection(std::string_view name) const {
    for (const IniSection& s : sections_) {
        if (SameText(s.name, name)) return &s;
    }
    return nullptr;
}

IniSection* IniDoc::FindSection(std::string_view name) {
    return const_cast<IniSection*>(static_cast<const IniDoc*>(this)->FindSection(name));
}

IniSection& IniDoc::Section(std::string_view name) {
    if (IniSection* s = FindSection(name)) return *s;
    sections_.push_back(IniSection{std::string(name), {}});
    return sections_.back();
}

void IniDoc::RemoveSection(std::string_view name) {
    std::erase_if(sections_, [&](const IniSection& s) { return SameText(s.name, name); });
}

IniDoc& IniDoc::Set(std::string_view section, std::string_view key, std::string value,
                    std::string comment) {
    IniSection& s = Section(section);
    if (IniKey* k = s.Find(key)) {
        k->value = std::move(value);
        if (!comment.empty()) k->comment = std::move(comment);
    } else {
        s.keys.push_back(IniKey{std::string(key), std::move(value), std::move(comment)});
    }
    return *this;
}

void IniDoc::Remove(std::string_view section, std::string_view key) {
    if (IniSection* s = FindSection(section)) {
        std::erase_if(s->keys, [&](const IniKey& k) { return SameText(k.name, key); });
    }
}

const std::string* IniDoc::Get(std::string_view section, std::string_view key) const {
    const IniSection* s = FindSection(section);
    const IniKey* k = s ? s->Find(key) : nullptr;
    return k ? &k->value : nullptr;
}

std::string IniDoc::Text(std::string_view eol) const {
    std::string out;
    for (const std::string& line : header_) {
        out += "; ";
        out += line;
        out += eol;
    }
    for (size_t i = 0; i < sections_.size(); ++i) {
        if (i > 0 || !header_.empty()) out += eol;
        out += '[';
        out += sections_[i].name;
        out += ']';
        out += eol;
        for (const IniKey& k : sections_[i].keys) {
            out += k.name;
            out += '=';
            out += k.value;
            if (!k.comment.empty()) {
                out += "    ; ";
                out += k.comment;
            }
            out += eol;
        }
    }
    return out;
}
