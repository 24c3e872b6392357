#include "resources/QSResourceMgr.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <unordered_set>

#include "core/HashName.h"

struct QSResourceSearch {
    char pattern[260] = {};
    uint32_t position = 0;
    bool anyDirectory = false;
    std::string parent;
    uint32_t parentHash = 0;  // HashName(parent): most names are passed over on it alone
};

namespace {


bool EndsWithQsw(const std::string& name) {
    return name.size() >= 4 && SameName(std::string_view(name).substr(name.size() - 4), ".qsw");
}

bool ContainsQsx(const std::string& path) {
    for (size_t i = 0; i + 4 <= path.size(); ++i) {
        if (SameName(std::string_view(path).substr(i, 4), ".qsx")) return true;
    }
    return false;
}

// The part between a path's last two backslashes; the whole part before the last one when
// there is only one; empty when there is none or the path starts with it.
std::string_view ParentDirectory(std::string_view p) {
    size_t last = p.rfind('\\');
    if (last == std::string_view::npos || last == 0) return {};
    size_t before = p.rfind('\\', last - 1);
    size_t start = before == std::string_view::npos ? 0 : before + 1;
    return p.substr(start, last - start);
}

const char* LastPart(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

}  // namespace

bool ResourceNameMatches(const char* pattern, const char* name) {
    if (!pattern) return true;
    if (!name) return false;
    const char* p = pattern;
    const char* n = name;
    bool inStar = false, sawStar = false;
    char stop = 0;
    while (*p && *n) {
        if (inStar) {
            if (*n == stop) {
                inStar = false;
            } else {
                ++n;
            }
            continue;
        }
        if (*p == '*') {
            sawStar = inStar = true;
            stop = p[1];
            ++p;
            continue;
        }
        if (HashFoldByte(static_cast<unsigned char>(*p)) != HashFoldByte(static_cast<unsigned char>(*n))) {
            return false;
        }
        ++p;
        ++n;
    }
    return sawStar || std::strlen(pattern) == std::strlen(name);
}

namespace {

// Records where the name's parent directory lies in it.
void NoteParent(QSResource* entry) {
    const std::string_view name(entry->name);
    const std::string_view parent = ParentDirectory(name);
    entry->parentStart = static_cast<uint16_t>(parent.empty() ? 0 : parent.data() - name.data());
    entry->parentLength = static_cast<uint16_t>(parent.size());
}

bool SearchAccepts(const QSResourceSearch& search, const QSResource* entry, uint32_t parentHash) {
    // The directory test is the cheaper one: it goes first, on the hashes before the names.
    if (!search.anyDirectory && (parentHash != search.parentHash ||
        !SameName(std::string_view(entry->name + entry->parentStart, entry->parentLength),
                  search.parent)))
        return false;
    return ResourceNameMatches(search.pattern, entry->name);
}

void FillFindData(QSFindData* data, const QSResource* entry) {
    *data = QSFindData{};
    data->attributes = entry->directory ? kFindDirectory : 0;
    const char* name = LastPart(entry->name);
    std::memcpy(data->fileName, name, std::min(std::strlen(name), sizeof data->fileName - 1));
}

// Locks a QSMutex unless the calling thread already holds it; unlocks only what it locked.
class LockUnlessHeld {
public:
    explicit LockUnlessHeld(QSMutex& mutex) : mutex_(mutex), taken_(!mutex.HeldByCurrentThread()) {
        if (taken_) mutex_.Lock();
    }
    ~LockUnlessHeld() { Release(); }
    void Release() {
        if (taken_) mutex_.Unlock();
        taken_ = false;
    }

private:
    QSMutex& mutex_;
    bool taken_;
};

}  // namespace

int QSTextFile::Process(ResourceContent* content) {
    length_ = content ? content->len : 0;
    data_.reset(new char[length_ + 1]);
    if (length_) std::memcpy(data_.get(), content->data.get(), length_);
    data_[length_] = '\0';
    return 0;
}

int QSTextFile::Unload() {
    data_.reset();
    length_ = 0;
    return 1;
}

QSResourceMgr::QSResourceMgr() {
    shutdownHooks_[0] =
        RegisterShutdownHook(ShutdownStage::ResourceIniQueue, [this] { ShutDownForFatal(true); });
    shutdownHooks_[1] =
        RegisterShutdownHook(ShutdownStage::ResourceManager, [this] { ShutDownForFatal(false); });
}

QSResourceMgr::~QSResourceMgr() {
    UnregisterShutdownHook(shutdownHooks_[0]);
    UnregisterShutdownHook(shutdownHooks_[1]);
    FlushINIQueue();
    UnInit();
}

// The fatal path may run on either thread. On the reader's thread (a parse failed) the
// window thread may be waiting on an entry, so the tables stay as they are: the reader stops
// serving and the process ends. On any other thread the reader is stopped first and the
// manager shuts down in full; the INI queue is flushed only when its lock is free.
void QSResourceMgr::ShutDownForFatal(bool iniQueue) {
    bool onReader = reader_ && reader_->OnReaderThread();
    if (!iniQueue) {
        if (!onReader) {
            UnInit();
        } else if (initialised_) {
            QSLOG(kLogInfo, "EXIT: QSResourceMgr::UnInit");
            reader_->UnInit();  // it runs: this is its thread
            QSLOG(kLogInfo, "EXIT: AsyncReader deleted");
        }
        return;
    }
    if (onReader) return;
    bool held = iniQueueLock_.HeldByCurrentThread();
    if (!held && !iniQueueLock_.TryLock()) return;
    // A file still being parsed when the error struck never arrives: release only the rest.
    while (iniCount_ > 0) {
        QSINIFile* ini = iniQueue_[iniHead_];
        iniHead_ = (iniHead_ + 1) % kINIQueueSize;
        --iniCount_;
        bool loaded;
        {
            std::lock_guard guard(loadMutex_);
            loaded = ini->Resource()->loaded != 0;
        }
        if (loaded) ReleaseResource(ini);
    }
    if (!held) iniQueueLock_.Unlock();
}

int QSResourceMgr::Init(const char* directory, const char* modPath) {
    QSLOG(kLogInfo, "Resource manager Init()");
    if (initialised_) UnInit();
    longestChain_ = 0;
    if (directory || modPath) {
        namespace fs = std::filesystem;
        fs::path dir = (directory && *directory) ? fs::path(directory) : fs::path(".");
        std::vector<std::string> found;
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::string file = it->path().filename().string();
            if (EndsWithQsw(file) && !it->is_directory(ec)) {
                found.push_back((directory && *directory) ? (dir / file).string() : file);
            }
        }
        for (const std::string& path : found) {
            bool known = std::any_of(archives_.begin(), archives_.end(),
                                     [&](QSStreamFile* a) { return SameName(a->Path(), path); });
            if (!known) archives_.Append(new QSStreamFile(path));
        }
        archives_.Sort([](const QSStreamFile* a, const QSStreamFile* b) {
            return CompareNames(a->Path(), b->Path());
        });

        size_t firstMod = archives_.Count();
        if (modPath) {
            modPaths_.push_back(modPath);
            auto* mod = new QSStreamFile(modPath);
            if (!mod->IsOpen()) {
                const std::string why = mod->OpenError();
                delete mod;
                QSERROR("Could not open %s: %s", modPath, why.c_str());
            }
            archives_.Append(mod);
        }
        for (size_t i = archives_.Count(); i-- > firstMod;) {
            QSStreamFile* mod = archives_[static_cast<uint32_t>(i)];
            QSLOG(kLogInfo, "Using mod resource file %s version %s.", mod->Path().c_str(),
                  mod->VersionText());
            ExpansionWAD info;
            info.path = mod->Path();
            size_t dot = info.path.rfind('.');
            info.pathWithoutExtension =
                (dot != std::string::npos && info.path.size() - dot - 1 <= 3) ? info.path.substr(0, dot)
                                                                              : info.path;
            info.version = mod->VersionText();
            std::memcpy(info.modId, mod->ModId().c_str(), std::min<size_t>(mod->ModId().size(), 2));
            modInfos_.push_back(info);
        }
        BuildNameTable();
    }
    // The reader's thread starts with the first read handed to it (RequestResource). A file
    // a caller waits for is read on the caller's thread (RequestAndWait), so most mounts
    // never start it and pay no thread start and stop.
    reader_ = std::make_unique<AsyncReader>();
    initialised_ = true;
    return 1;
}

void QSResourceMgr::BuildNameTable() {
    for (const QSStreamFile* archive : archives_) {
        for (const std::string& name : archive->IgnoreNames()) ignoreHashes_.push_back(HashName(name));
    }
    std::sort(ignoreHashes_.begin(), ignoreHashes_.end());

    std::vector<std::string> directories;
    std::unordered_set<uint32_t> directoryHashes;
    std::array<std::string_view, 32> doneFolders{};  // the folders seen last, exactly as written
    size_t nextDoneFolder = 0;
    for (uint32_t a = archives_.Count(); a-- > 0;) {
        const QSStreamFile* archive = archives_[a];
        const bool fromPackage = ContainsQsx(archive->Path());
        const uint32_t searched = names_.Count();
        for (const FileNode& node : archive->Nodes()) {
            uint32_t h = node.HashId;
            if (std::binary_search(ignoreHashes_.begin(), ignoreHashes_.end(), h)) {
                QSLOG(kLogInfo, "File %s ignored", node.name);
                continue;
            }
            // Every ancestor directory once. An archive holds few folders: once a folder's
            // ancestors are noted, later names of that folder skip them.
            std::string_view name(node.name);
            const size_t lastCut = name.rfind('\\');
            const std::string_view folder =
                lastCut == std::string_view::npos ? std::string_view() : name.substr(0, lastCut);
            if (std::find(doneFolders.begin(), doneFolders.end(), folder) == doneFolders.end()) {
                for (size_t cut = lastCut; cut != std::string_view::npos && cut > 0;
                     cut = name.rfind('\\', cut - 1)) {
                    std::string_view dir = name.substr(0, cut);
                    if (directoryHashes.insert(HashName(dir)).second) directories.emplace_back(dir);
                }
                doneFolders[nextDoneFolder++ % doneFolders.size()] = folder;
            }

            // Only the entries of archives processed before this one are searched.
            QSResource* existing = nullptr;
            for (uint32_t steps = 0;; ++h) {
                uint32_t place = 0, hi = searched;
                while (place < hi) {
                    uint32_t mid = place + (hi - place) / 2;
                    if (names_[mid]->hash < h) {
                        place = mid + 1;
                    } else {
                        hi = mid;
                    }
                }
                if (place == searched || names_[place]->hash != h) break;
                if (SameName(names_[place]->name, node.name)) {
                    existing = names_[place];
                    break;
                }
                QSLOG(kLogInfo, "Note: Hash collision on\n%s\nand %s", node.name, names_[place]->name);
                longestChain_ = std::max(longestChain_, ++steps);
            }
            QSResource* entry = NewEntry();
            entry->hash = h;
            entry->name = node.name;
            entry->archivePath = archive->Path().c_str();
            entry->node = &node;
            entry->archiveIndex = static_cast<uint16_t>(a);
            NoteParent(entry);
            if (existing) {
                existing->modFlag = 1;
                hidden_.Append(entry);
            } else {
                entry->modFlag = fromPackage ? 1 : 0;
                names_.Append(entry);
            }
        }
        names_.Sort([](const QSResource* x, const QSResource* y) {
            return x->hash < y->hash ? -1 : (x->hash > y->hash ? 1 : 0);
        });
    }

    for (std::string& dir : directories) {
        QSResource* entry = NewEntry();
        entry->ownedName = std::move(dir);
        entry->name = entry->ownedName.c_str();
        entry->hash = HashName(entry->name);
        entry->directory = 1;
        NoteParent(entry);
        names_.Append(entry);
    }
    names_.Sort([](const QSResource* x, const QSResource* y) {
        return x->hash < y->hash ? -1 : (x->hash > y->hash ? 1 : 0);
    });
    hashes_.resize(names_.Count());
    parentHashes_.resize(names_.Count());
    for (uint32_t i = 0; i < names_.Count(); ++i) {
        const QSResource* entry = names_[i];
        hashes_[i] = entry->hash;
        parentHashes_[i] = HashName(std::string_view(entry->name + entry->parentStart, entry->parentLength));
    }
    QSLOG(kLogInfo, "%d stream files found.", static_cast<int>(archives_.Count()));
    QSLOG(kLogInfo, "Found %d directories total", static_cast<int>(directories.size()));
}

QSResource* QSResourceMgr::Find(const char* name) const {
    if (!name) return nullptr;
    uint32_t h = HashName(name);
    for (uint32_t steps = 0;; ++h, ++steps) {
        // The first entry with this hash; several may share it.
        uint32_t place =
            static_cast<uint32_t>(std::lower_bound(hashes_.begin(), hashes_.end(), h) - hashes_.begin());
        bool any = false;
        for (; place < hashes_.size() && hashes_[place] == h; ++place) {
            any = true;
            if (SameName(names_[place]->name, name)) return names_[place];
        }
        // Past the longest collision chain the name is simply not there.
        if (!any || steps >= longestChain_) return nullptr;
    }
}

const QSResource* QSResourceMgr::FindEntry(const char* name) const { return Find(name); }

// Entries are made by the thousand when a set of archives is mounted: take them from blocks.
QSResource* QSResourceMgr::NewEntry() {
    // Blocks of 64, 128, ... up to 1024 entries: a small installation makes few entries.
    auto blockSize = [](size_t block) { return size_t{64} << std::min<size_t>(block, 4); };
    if (entryBlocks_.empty() || entriesUsed_ == blockSize(entryBlocks_.size() - 1)) {
        entryBlocks_.emplace_back(new QSResource[blockSize(entryBlocks_.size())]);
        entriesUsed_ = 0;
    }
    return &entryBlocks_.back()[entriesUsed_++];
}

QSGameResource* QSResourceMgr::GetResource(const char* name, int type) {
    QSGameResource* object = ObjectFor(name, type);
    if (!object) QSERROR("Resource %s not found.", name ? name : "");
    return object;
}

QSGameResource* QSResourceMgr::ObjectFor(const char* name, int type) {
    LockUnlessHeld lock(lock_);
    QSResource* entry = Find(name);
    if (!entry) return nullptr;
    // A file last read as the other kind gets an object of the kind asked for, once nobody
    // holds the old one.
    if (entry->object && entry->refCount == 0 &&
        (type == kINIFile) != (dynamic_cast<QSINIFile*>(entry->object) != nullptr)) {
        delete entry->object;
        entry->object = nullptr;
    }
    if (!entry->object) {
        QSGameResource* object = nullptr;
        if (type == kINIFile) {
            auto* ini = new QSINIFile(entry->name);
            ini->SetTranslator(translator_);
            object = ini;
        } else if (type == kTextFile) {
            object = new QSTextFile(entry->name);
        } else {
            lock.Release();
            QSERROR("Unrecognized resource type in GetResource()");
        }
        object->SetResource(entry);
        entry->object = object;
        if (entry->node) {
            const QSStreamFile* archive = archives_[entry->archiveIndex];
            object->SetInfo(entry->name, archive->InfoBlock(*entry->node), entry->node->InfoLength);
        } else {
            object->SetInfo(entry->name, nullptr, 0);
        }
    }
    return entry->object;
}

QSTextFile* QSResourceMgr::GetTextFile(const char* name) {
    return dynamic_cast<QSTextFile*>(GetResource(name, kTextFile));
}

void QSResourceMgr::Completion(void* context, ResourceContent& buffer, uint32_t delivered,
                               void* resource) {
    auto* mgr = static_cast<QSResourceMgr*>(context);
    auto* entry = static_cast<QSResource*>(resource);
    LockUnlessHeld lock(mgr->lock_);
    entry->content = std::move(buffer);
    entry->content.len = delivered;
    entry->state = 2;
    int kept = entry->object ? entry->object->Process(&entry->content) : 0;
    if (!kept) entry->content.Free();
    {
        std::lock_guard loaded(mgr->loadMutex_);
        entry->loaded = 1;
    }
    lock.Release();
    mgr->loadedChanged_.notify_all();
}

int QSResourceMgr::RequestResource(QSGameResource* object, int8_t priority) {
    if (!object || !object->Resource()) return 0;
    LockUnlessHeld lock(lock_);
    QSResource* entry = object->Resource();
    if (entry->refCount++ == 0) {
        entry->state = 1;
        const QSStreamFile* archive = entry->node ? archives_[entry->archiveIndex] : nullptr;
        if (!reader_->Started()) reader_->Init();
        reader_->AddRequest(entry->name, priority, &QSResourceMgr::Completion, this, entry, archive,
                            entry->node);
    }
    return 1;
}

int QSResourceMgr::Wait(QSGameResource* object) {
    QSResource* entry = object->Resource();
    if (entry->refCount == 0) QSERROR("Wait called on unrequested resource %s", entry->name);
    std::unique_lock loaded(loadMutex_);
    if (entry->loaded) return 1;
    loaded.unlock();
    reader_->SetPriority(entry->name, 2);
    loaded.lock();
    loadedChanged_.wait(loaded, [entry] { return entry->loaded != 0; });
    return 1;
}

int QSResourceMgr::RequestAndWait(QSGameResource* object, int8_t priority) {
    if (!object || !object->Resource()) return 0;
    QSResource* entry = object->Resource();
    const QSStreamFile* archive = nullptr;
    {
        LockUnlessHeld lock(lock_);
        if (entry->refCount == 0 && entry->node) {
            // The caller waits for exactly this file: read it here rather than hand it to the
            // reader's thread and sleep until it comes back (two thread wake-ups per file).
            ++entry->refCount;
            entry->state = 1;
            archive = archives_[entry->archiveIndex];
        }
    }
    if (!archive) {
        RequestResource(object, priority);
        return Wait(object);
    }
    ResourceContent buffer;
    uint32_t delivered = archive->ReadContent(*entry->node, buffer);
    Completion(this, buffer, delivered, entry);
    return 1;
}

int QSResourceMgr::ReleaseResource(QSGameResource* object) {
    if (!initialised_ || !object || !object->Resource()) return 0;
    QSResource* entry = object->Resource();
    if (entry->refCount == 0) {
        QSLOG(kLogInfo, "WARNING: resource %s already has 0 reference count", entry->name);
        return 0;
    }
    Wait(object);
    LockUnlessHeld lock(lock_);
    if (--entry->refCount != 0) return 0;
    object->Unload();
    entry->content.Free();
    entry->state = 0;
    std::lock_guard loaded(loadMutex_);
    entry->loaded = 0;
    return 1;
}

QSINIFile* QSResourceMgr::GetINIFile(const char* name) {
    // A missing file is answered like a missing key: the callers get their defaults.
    auto* ini = dynamic_cast<QSINIFile*>(ObjectFor(name, kINIFile));
    if (!ini) return nullptr;
    LockUnlessHeld queue(iniQueueLock_);
    // Queued files are recognised by their object, so two names sharing a hash stay apart.
    for (int i = 0; i < iniCount_; ++i) {
        if (iniQueue_[(iniHead_ + i) % kINIQueueSize] == ini) return ini;
    }
    if (iniCount_ == kINIQueueSize) {
        QSINIFile* oldest = iniQueue_[iniHead_];
        iniHead_ = (iniHead_ + 1) % kINIQueueSize;
        --iniCount_;
        ReleaseResource(oldest);
    }
    iniQueue_[(iniHead_ + iniCount_) % kINIQueueSize] = ini;
    ++iniCount_;
    RequestAndWait(ini, 2);
    return ini;
}

int QSResourceMgr::FlushINIQueue() {
    LockUnlessHeld queue(iniQueueLock_);
    int released = 0;
    while (iniCount_ > 0) {
        QSINIFile* ini = iniQueue_[iniHead_];
        iniHead_ = (iniHead_ + 1) % kINIQueueSize;
        --iniCount_;
        if (ReleaseResource(ini)) released = 1;
    }
    iniHead_ = 0;
    return released;
}

bool QSResourceMgr::ResourceExists(const char* name) {
    LockUnlessHeld lock(lock_);
    return Find(name) != nullptr;
}

int QSResourceMgr::IsModResource(const char* name) {
    LockUnlessHeld lock(lock_);
    const QSResource* entry = Find(name);
    return entry && entry->modFlag ? 1 : 0;
}

std::string QSResourceMgr::ReadTextResource(const char* name) {
    // A stored file is read straight from its archive, on this thread: the bytes a text file
    // object would be handed, without making one and waiting for the reader.
    std::string stored;
    if (ReadStoredBytes(name, stored)) return stored;
    QSTextFile* text = GetTextFile(name);
    if (!text) return {};
    RequestAndWait(text, 2);
    std::string content(text->Data() ? text->Data() : "", text->Length());
    ReleaseResource(text);
    return content;
}

std::optional<std::string> QSResourceMgr::ContentKey(const char* name) {
    LockUnlessHeld lock(lock_);
    const QSResource* entry = Find(name);
    if (!entry || !entry->node || entry->archiveIndex >= archives_.Count()) return std::nullopt;
    const QSStreamFile& archive = *archives_[entry->archiveIndex];
    const FileStamp& stamp = archive.Stamp();
    const std::optional<size_t> index = archive.IndexOf(entry->node);
    if (!stamp.known || !index) return std::nullopt;
    std::string key;
    for (const uint64_t part :
         {stamp.device, stamp.fileNumber, stamp.length, static_cast<uint64_t>(stamp.modified),
          uint64_t{*index}, uint64_t{entry->node->Len}}) {
        key += std::to_string(part);
        key += ':';
    }
    key += archive.Path();
    return key;
}

bool QSResourceMgr::ReadStoredBytes(const char* name, std::string& out) {
    LockUnlessHeld lock(lock_);
    const QSResource* entry = Find(name);
    if (!entry || !entry->node) return false;
    ResourceContent content;
    const uint32_t delivered = archives_[entry->archiveIndex]->ReadContent(*entry->node, content);
    out.assign(content.data ? content.data.get() : "", delivered);
    return true;
}

QSResourceSearch* QSResourceMgr::FindFirstResource(const char* pattern, QSFindData* data,
                                                   bool anyDirectory) {
    if (data) *data = QSFindData{};
    auto search = std::make_unique<QSResourceSearch>();
    std::snprintf(search->pattern, sizeof search->pattern, "%s", pattern ? pattern : "");
    search->anyDirectory = anyDirectory;
    search->parent = std::string(ParentDirectory(search->pattern));
    search->parentHash = HashName(search->parent);
    LockUnlessHeld lock(lock_);
    for (uint32_t i = 0; i < names_.Count(); ++i) {
        if (SearchAccepts(*search, names_[i], parentHashes_[i])) {
            search->position = i;
            if (data) FillFindData(data, names_[i]);
            return search.release();
        }
    }
    return nullptr;
}

int QSResourceMgr::FindNextResource(QSResourceSearch* search, QSFindData* data) {
    if (!search) return 0;
    LockUnlessHeld lock(lock_);
    for (uint32_t i = search->position + 1; i < names_.Count(); ++i) {
        if (SearchAccepts(*search, names_[i], parentHashes_[i])) {
            search->position = i;
            if (data) FillFindData(data, names_[i]);
            return 1;
        }
    }
    search->position = names_.Count();
    return 0;
}

int QSResourceMgr::FindCloseResource(QSResourceSearch* search) {
    if (!search) return 0;
    delete search;
    return 1;
}

const char* QSResourceMgr::GetArchiveVersion(const char* archivePath) {
    for (const QSStreamFile* archive : archives_) {
        if (archive->IsOpen() && archivePath && SameName(archive->Path(), archivePath)) {
            return archive->VersionText();
        }
    }
    return nullptr;
}

uint32_t QSResourceMgr::GetAccessCode(const char* archivePath) {
    for (const QSStreamFile* archive : archives_) {
        if (archive->IsOpen() && archivePath && SameName(archive->Path(), archivePath)) {
            return archive->AccessCode();
        }
    }
    return 0;
}

int QSResourceMgr::GetINIString(const char* section, const char* key, const char* def, char* out,
                                size_t size, const char* file) {
    QSINIFile* ini = GetINIFile(file);
    if (ini) return ini->GetINIString(section, key, def, out, size);
    if (out && size) std::strncpy(out, def ? def : "", size);
    return 0;
}

int QSResourceMgr::GetINIString(const char* section, const char* key, const char* def,
                                std::string& out, const char* file) {
    QSINIFile* ini = GetINIFile(file);
    if (ini) return ini->GetINIString(section, key, def, out);
    out = def ? def : "";
    return 0;
}

const char* QSResourceMgr::FirstSectionOf(const char* file) {
    QSINIFile* ini = GetINIFile(file);
    return ini ? ini->FirstSection() : nullptr;
}

const char* QSResourceMgr::NextSectionOf(const char* file) {
    QSINIFile* ini = GetINIFile(file);
    return ini ? ini->NextSection() : nullptr;
}

const char* QSResourceMgr::FirstKeyOf(const char* section, const char* file) {
    QSINIFile* ini = GetINIFile(file);
    return ini ? ini->FirstKey(section) : nullptr;
}

const char* QSResourceMgr::NextKeyOf(const char* section, const char* file) {
    QSINIFile* ini = GetINIFile(file);
    return ini ? ini->NextKey(section) : nullptr;
}

int QSResourceMgr::UnInit() {
    if (!initialised_) return 1;
    QSLOG(kLogInfo, "EXIT: QSResourceMgr::UnInit");
    if (reader_) {
        if (reader_->Started()) reader_->UnInit();
        reader_.reset();
    }
    QSLOG(kLogInfo, "EXIT: AsyncReader deleted");
    LockUnlessHeld lock(lock_);
    ignoreHashes_.clear();
    initialised_ = false;
    modPaths_.clear();
    modInfos_.clear();
    iniHead_ = iniCount_ = 0;
    for (QSResourcePtrArray* table : {&names_, &hidden_}) {
        for (uint32_t i = table->Count(); i-- > 0;) {
            QSResource* entry = (*table)[i];
            delete entry->object;
            entry->object = nullptr;
        }
        table->Clear();
    }
    hashes_.clear();
    parentHashes_.clear();
    entryBlocks_.clear();
    entriesUsed_ = 0;
    for (uint32_t i = archives_.Count(); i-- > 0;) delete archives_[i];
    archives_.Clear();
    return 1;
}
