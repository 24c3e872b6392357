// QSResourceMgr: the one place through which game data is read.
//
// Init mounts every .qsw archive of an installation directory and, optionally, one mod
// package appended last. Their file tables are merged into one name table sorted by hash, in
// which the last archive processed first wins: the mod package hides the game's files of the
// same name, and among the .qsw archives the one whose path sorts last wins. Hidden files go
// to a second table. Content is read on demand by the asynchronous reader and parsed on its
// thread; callers wait only for what they need.
//
// Lock order: INI queue lock, then the manager lock, then the reader's queue lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/QSError.h"
#include "core/QSGameResource.h"
#include "core/QSINIFile.h"
#include "core/QSMoveableArray.h"
#include "core/QSTextSource.h"
#include "core/QSTranslator.h"
#include "resources/AsyncReader.h"
#include "resources/QSStreamFile.h"

// One name of the table: a stored file, or a directory.
struct QSResource {
    uint32_t hash = 0;      // HashName of the name, plus its collision steps
    uint32_t refCount = 0;  // outstanding requests
    ResourceContent content;
    const char* name = nullptr;  // inside the archive's FileNode, or ownedName
    std::string ownedName;       // directories only
    const char* archivePath = "";  // the providing archive's path (it outlives the entry)
    QSGameResource* object = nullptr;
    const FileNode* node = nullptr;  // null for directories
    uint16_t archiveIndex = 0xFFFF;
    uint32_t modFlag = 0;   // from a .qsx, or hiding another archive's file of that name
    uint8_t directory = 0;
    uint16_t parentStart = 0;   // the name's parent directory (see ParentDirectory), as an
    uint16_t parentLength = 0;  // offset and length into the name, found once when mounted
    uint8_t state = 0;      // 0 idle, 1 requested, 2 content arrived
    uint8_t loaded = 0;     // content handed to the object; guarded by the load mutex
};

// A plain text resource: Process copies the content.
class QSTextFile : public QSGameResource {
public:
    using QSGameResource::QSGameResource;
    int Process(ResourceContent* content) override;
    int Unload() override;
    const char* Data() const { return data_.get(); }  // zero-terminated
    uint32_t Length() const { return length_; }

private:
    std::unique_ptr<char[]> data_;
    uint32_t length_ = 0;
};

// One opened mod package.
struct ExpansionWAD {
    std::string path;
    std::string pathWithoutExtension;
    std::string version;
    char modId[4] = {};
};

// The fields of the platform's find record that the manager fills.
struct QSFindData {
    uint32_t attributes = 0;  // 0x10 for a directory
    char fileName[260] = {};
};
inline constexpr uint32_t kFindDirectory = 0x10;

struct QSResourceSearch;  // an open wildcard search

// Wildcard match of a resource name, case-insensitive outside a star. A '*' makes the next
// pattern character the stop character: name characters are skipped until one equals it
// exactly (case matters there), and it is then compared normally. The walk ends at a
// mismatch or when either side is used up; it matches if a star was reached, or else if
// both have the same length. No pattern matches everything; no name matches nothing.
bool ResourceNameMatches(const char* pattern, const char* name);

using QSResourcePtrArray = QSMoveableArray<QSResource*>;

class QSResourceMgr : public QSTextSource {
public:
    static constexpr int kINIFile = 6;
    static constexpr int kTextFile = 7;

    // Registers the manager's part of the fatal shut-down.
    QSResourceMgr();
    ~QSResourceMgr() override;
    QSResourceMgr(const QSResourceMgr&) = delete;
    QSResourceMgr& operator=(const QSResourceMgr&) = delete;

    // Values of INI files made from now on pass through translator (may be null).
    void SetTranslator(const QSTranslator* translator) { translator_ = translator; }

    int Init(const char* directory, const char* modPath);
    int UnInit();
    bool Initialised() const { return initialised_; }

    QSGameResource* GetResource(const char* name, int type);
    QSINIFile* GetINIFile(const char* name);
    QSTextFile* GetTextFile(const char* name);
    int RequestResource(QSGameResource* object, int8_t priority);
    int Wait(QSGameResource* object);
    int RequestAndWait(QSGameResource* object, int8_t priority);
    int ReleaseResource(QSGameResource* object);
    int FlushINIQueue();

    bool ResourceExists(const char* name) override;
    std::string ReadTextResource(const char* name) override;
    // The archive's stamp and the file's place in its table, for a stored file.
    std::optional<std::string> ContentKey(const char* name) override;
    // The stored bytes of a file, read on the calling thread straight from its archive (no
    // resource object is made or kept); false when there is no such file. For one-off reads
    // of many files, such as a package build, where a round trip to the reader per file costs
    // more than the read.
    bool ReadStoredBytes(const char* name, std::string& out);
    int IsModResource(const char* name);

    // Wildcard search over the names in hash order; null when nothing matches.
    QSResourceSearch* FindFirstResource(const char* pattern, QSFindData* data, bool anyDirectory);
    int FindNextResource(QSResourceSearch* search, QSFindData* data);
    int FindCloseResource(QSResourceSearch* search);

    const char* GetArchiveVersion(const char* archivePath);
    uint32_t GetAccessCode(const char* archivePath);

    int GetINIString(const char* section, const char* key, const char* def, char* out,
                     size_t size, const char* file);
    int GetINIString(const char* section, const char* key, const char* def, std::string& out,
                     const char* file);
    const char* FirstSectionOf(const char* file);
    const char* NextSectionOf(const char* file);
    const char* FirstKeyOf(const char* section, const char* file);
    const char* NextKeyOf(const char* section, const char* file);

    // Read-only views for tools and tests.
    const QSResourcePtrArray& NameTable() const { return names_; }
    const QSResourcePtrArray& HiddenTable() const { return hidden_; }
    const QSStreamFileArray& Archives() const { return archives_; }
    const std::vector<ExpansionWAD>& ModInfos() const { return modInfos_; }
    uint32_t LongestCollisionChain() const { return longestChain_; }
    // The visible entry of a name, or null.
    const QSResource* FindEntry(const char* name) const;

private:
    QSResource* Find(const char* name) const;
    // The entry's object of that type (made if needed), or null for an unknown name.
    QSGameResource* ObjectFor(const char* name, int type);
    void BuildNameTable();
    static void Completion(void* context, ResourceContent& buffer, uint32_t delivered,
                           void* resource);
    void ShutDownForFatal(bool iniQueue);

    std::unique_ptr<AsyncReader> reader_;
    QSStreamFileArray archives_{5, 5};
    std::vector<std::string> modPaths_;
    std::vector<ExpansionWAD> modInfos_;
    QSMutex lock_;  // name table, reference counts, objects, entry states
    QSResourcePtrArray names_{1000, 1000};
    std::vector<uint32_t> hashes_;  // names_' hashes, in its order: searched without touching entries
    std::vector<uint32_t> parentHashes_;  // HashName of each name's parent directory, in names_' order
    QSResourcePtrArray hidden_{1000, 1000};
    bool initialised_ = false;
    uint32_t longestChain_ = 0;
    std::vector<uint32_t> ignoreHashes_;  // sorted
    std::vector<std::unique_ptr<QSResource[]>> entryBlocks_;  // every entry, in blocks
    size_t entriesUsed_ = 0;
    QSResource* NewEntry();

    QSMutex iniQueueLock_;
    static constexpr int kINIQueueSize = 5;
    QSINIFile* iniQueue_[kINIQueueSize] = {};
    int iniHead_ = 0, iniCount_ = 0;

    std::mutex loadMutex_;  // guards QSResource::loaded; taken after the manager lock
    std::condition_variable loadedChanged_;

    const QSTranslator* translator_ = nullptr;
    int shutdownHooks_[2] = {0, 0};
};
