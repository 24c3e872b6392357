// QSGameResource: the base of every resource object the resource manager hands out.
//
// The manager reads a file's content into a ResourceContent that belongs to the file's
// entry, hands it to Process on the reader's thread, and calls Unload when the last
// reference goes. An INI file parses the content in place and keeps it; a text file copies
// it. The manager links each object to its entry; until then the object has a name only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A file's content: Len bytes plus one spare byte, so that parsers can terminate text in
// place.
struct ResourceContent {
    std::unique_ptr<char[]> data;
    uint32_t len = 0;

    // Allocates len + 1 bytes; the spare byte is zero, the rest is for the caller to fill.
    char* Allocate(uint32_t length) {
        data.reset(new char[static_cast<size_t>(length) + 1]);
        data[length] = '\0';
        len = length;
        return data.get();
    }
    void Free() {
        data.reset();
        len = 0;
    }
};

struct QSResource;  // the resource manager's entry for one name

class QSGameResource {
public:
    explicit QSGameResource(std::string name = {}) : name_(std::move(name)) {}
    virtual ~QSGameResource() = default;
    QSGameResource(const QSGameResource&) = delete;
    QSGameResource& operator=(const QSGameResource&) = delete;

    // Takes the arrived content (content->len bytes of data); 0 asks the owner to free it.
    virtual int Process(ResourceContent* content) = 0;
    // Forgets everything derived from the content.
    virtual int Unload() = 0;
    // Receives the file's info block when the object is made.
    virtual int SetInfo(const char* /*name*/, const void* /*info*/, uint32_t /*length*/) {
        return 1;
    }

    const std::string& ResourceName() const { return name_; }
    void SetResourceName(std::string name) { name_ = std::move(name); }
    QSResource* Resource() const { return resource_; }
    void SetResource(QSResource* resource) { resource_ = resource; }

protected:
    std::string name_;
    QSResource* resource_ = nullptr;
};
