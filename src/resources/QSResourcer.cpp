#include "resources/QSResourcer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "core/HashName.h"
#include "core/QSError.h"
#include "resources/HiddenBlock.h"
#include "resources/StreamFormat.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Writes through a large buffer and XORs every 32-bit little-endian word on its way out.
// Flushes happen at buffer-size boundaries, so each flushed block starts on a word.
class ChecksumWriter {
public:
    explicit ChecksumWriter(FILE* file) : file_(file), buffer_(kBufferSize) {}

    void Put(const void* data, size_t size) {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            size_t n = std::min(size, kBufferSize - used_);
            std::memcpy(buffer_.data() + used_, p, n);
            used_ += n;
            p += n;
            size -= n;
            if (used_ == kBufferSize) Flush();
        }
    }

    // Lets fill write size bytes straight into the buffer, a buffer's room at a time.
    template <typename Source>
    bool Fill(size_t size, Source&& fill) {
        while (size > 0) {
            size_t n = std::min(size, kBufferSize - used_);
            if (!fill(buffer_.data() + used_, n)) return false;
            used_ += n;
            size -= n;
            if (used_ == kBufferSize) Flush();
        }
        return true;
    }

    void Zeros(size_t size) {
        while (size > 0) {
            size_t n = std::min(size, kBufferSize - used_);
            std::memset(buffer_.data() + used_, 0, n);
            used_ += n;
            size -= n;
            if (used_ == kBufferSize) Flush();
        }
    }

    // Writes what is buffered; false once any write has failed.
    bool Flush() {
        if (used_ == 0) return ok_;
        size_t whole = used_ / 8 * 8;
        uint64_t lanes = 0;
        for (size_t i = 0; i < whole; i += 8) {
            uint64_t w;
            std::memcpy(&w, buffer_.data() + i, 8);
            lanes ^= w;
        }
        checksum_ ^= static_cast<uint32_t>(lanes) ^ static_cast<uint32_t>(lanes >> 32);
        for (size_t i = whole; i < used_; i += 4) {
            uint32_t w = 0;
            std::memcpy(&w, buffer_.data() + i, std::min<size_t>(4, used_ - i));
            checksum_ ^= w;
        }
        if (ok_ && std::fwrite(buffer_.data(), 1, used_, file_) != used_) ok_ = false;
        written_ += used_;
        used_ = 0;
        StartWriteback();
        return ok_;
    }

    // When the file is to reach the disk before the build ends, lets the disk start on each
    // written stretch while the next is being filled, so that the closing sync waits for the
    // last stretch only rather than for the whole file.
    void WriteBackEarly(bool early) { early_ = early; }

    uint64_t Position() const { return written_ + used_; }
    uint32_t Checksum() const { return checksum_; }

private:
    void StartWriteback() {
#ifdef __linux__
        constexpr uint64_t kStretch = 1 << 20;
        if (!early_ || !ok_ || written_ - startedUpTo_ < kStretch) return;
        const uint64_t upTo = written_ / kStretch * kStretch;
        // Only a request: the closing fsync still makes sure of everything.
        ::sync_file_range(fileno(file_), static_cast<off64_t>(startedUpTo_),
                          static_cast<off64_t>(upTo - startedUpTo_), SYNC_FILE_RANGE_WRITE);
        startedUpTo_ = upTo;
#endif
    }

    static constexpr size_t kBufferSize = 1 << 17;  // a multiple of 8
    bool early_ = false;
    uint64_t startedUpTo_ = 0;
    FILE* file_;
    std::vector<char> buffer_;
    size_t used_ = 0;
    uint64_t written_ = 0;
    uint32_t checksum_ = 0;
    bool ok_ = true;
};

struct ChunkPlan {
    const PackageEntry* entry;
    uint32_t start;
    uint32_t size;
};

std::string FreeSpaceLine(const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::space_info info = std::filesystem::space(dir, ec);
    if (ec) return "Unable to determine free disk space.";
    if (info.available > 4ull * 1024 * 1024 * 1024) {
        return "Current drive has more than 4 gigabytes available.";
    }
    char line[128];
    std::snprintf(line, sizeof line, "Current drive has %llu bytes available.",
                  static_cast<unsigned long long>(info.available));
    return line;
}

// The file a build replaces: the output itself, or the file its chain of links ends at.
struct ReplacedFile {
    std::filesystem::path path;
    bool exists = false;
#ifndef _WIN32
    struct stat st {};
#endif
};

// Follows output through links to the file it stands for; false, with why, when that is
// something other than a regular file (or nothing yet), or when the links loop.
bool FindReplacedFile(const std::filesystem::path& output, ReplacedFile* found, std::string* refusal) {
    found->path = output;
#ifndef _WIN32
    for (int links = 0;; ++links) {
        struct stat st;
        if (::lstat(found->path.c_str(), &st) != 0) {
            if (errno == ENOENT) return true;  // a new file (or a link to one not made yet)
            *refusal = std::strerror(errno);
            return false;
        }
        if (S_ISREG(st.st_mode)) {
            found->exists = true;
            found->st = st;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            *refusal = std::string("it is not a regular file but ") +
                       (S_ISDIR(st.st_mode) ? "a directory" : S_ISFIFO(st.st_mode) ? "a FIFO"
                        : S_ISCHR(st.st_mode) ? "a character device" : S_ISBLK(st.st_mode) ? "a block device"
                        : S_ISSOCK(st.st_mode) ? "a socket" : "of an unknown kind") +
                       (links ? " (" + found->path.string() + ", where its links lead)" : std::string());
            return false;
        }
        if (links == 40) {
            *refusal = std::strerror(ELOOP);
            return false;
        }
        std::vector<char> text(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1);
        const ssize_t n = ::readlink(found->path.c_str(), text.data(), text.size() - 1);
        if (n < 0) {
            *refusal = std::strerror(errno);
            return false;
        }
        const std::filesystem::path next(std::string(text.data(), static_cast<size_t>(n)));
        found->path = next.is_absolute() ? next : found->path.parent_path() / next;
    }
#else
    std::error_code ec;
    const auto status = std::filesystem::status(output, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        *refusal = "it is not a regular file";
        return false;
    }
    found->exists = std::filesystem::exists(status);
    return true;
#endif
}

// A uniquely named temporary beside the output: ".OUT.xxxxxxxx.brix-tmp".
std::string TemporaryName(const std::filesystem::path& output, std::mt19937& random) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.brix-tmp", static_cast<unsigned>(random()));
    return "." + output.filename().string() + suffix;
}

// While a named temporary exists, an interrupt, a termination or a hang-up removes it before
// the process ends as it would have. One build at a time is covered; others still remove
// theirs on every error path.
class RemoveOnSignal {
public:
    explicit RemoveOnSignal(const std::string& path) {
        if (path.size() >= sizeof gPath || gArmed.exchange(true)) return;
        std::memcpy(gPath, path.c_str(), path.size() + 1);
        armed_ = true;
        for (size_t i = 0; i < kSignals.size(); ++i) gPrevious[i] = std::signal(kSignals[i], Handle);
    }
    ~RemoveOnSignal() {
        if (!armed_) return;
        for (size_t i = 0; i < kSignals.size(); ++i) std::signal(kSignals[i], gPrevious[i]);
        gArmed = false;
    }
    RemoveOnSignal(const RemoveOnSignal&) = delete;
    RemoveOnSignal& operator=(const RemoveOnSignal&) = delete;

private:
    static void Handle(int signal) {
#ifdef _WIN32
        _unlink(gPath);
#else
        ::unlink(gPath);
#endif
        for (size_t i = 0; i < kSignals.size(); ++i) {
            if (kSignals[i] == signal) std::signal(signal, gPrevious[i] == SIG_IGN ? SIG_DFL : gPrevious[i]);
        }
        std::raise(signal);
    }

#ifdef SIGHUP
    static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
#else
    static constexpr std::array<int, 2> kSignals = {SIGINT, SIGTERM};
#endif
    static inline char gPath[4096];
    static inline std::atomic<bool> gArmed{false};
    static inline std::array<void (*)(int), kSignals.size()> gPrevious{};
    bool armed_ = false;
};

// The file a package is written to until it is complete. On Linux it has no name at all
// (O_TMPFILE in the output's folder): a build that is killed leaves nothing behind. It is
// linked under a temporary name only when complete, and at once renamed over the output.
// Where the file system refuses unnamed files (and elsewhere) it is created under a temporary
// name, removed on every error and on an interrupt. Either way the temporary is locked while
// it is written, so that a later build can tell one left by a killed build from one being
// written, and remove it.
class TemporaryPackage {
public:
    ~TemporaryPackage() { Discard(); }
    TemporaryPackage() = default;
    TemporaryPackage(const TemporaryPackage&) = delete;
    TemporaryPackage& operator=(const TemporaryPackage&) = delete;

    // Creates the file beside output; false with the system's reason.
    bool Create(const std::filesystem::path& dir, const std::filesystem::path& output, std::mt19937& random,
                bool unnamed, std::string* reason) {
        dir_ = dir;
        output_ = output;
        RemoveLeftovers();
#ifdef O_TMPFILE
        if (unnamed) {
            const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::flock(fd, LOCK_EX | LOCK_NB);
                file_ = ::fdopen(fd, "wb");
                if (!file_) {
                    *reason = std::strerror(errno);
                    ::close(fd);
                    return false;
                }
                return true;
            }
            // Refused by the file system (or an older kernel): fall back to a named file.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                *reason = std::strerror(errno);
                return false;
            }
        }
#else
        (void)unnamed;
#endif
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = dir / TemporaryName(output, random);
#ifdef _WIN32
            file_ = std::fopen(path_.string().c_str(), "wbx");
#else
            const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            file_ = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
            if (fd >= 0 && !file_) ::close(fd);
            if (file_) ::flock(fd, LOCK_EX | LOCK_NB);
#endif
            if (file_) {
                named_ = true;
                guard_ = std::make_unique<RemoveOnSignal>(path_.string());
                return true;
            }
            if (errno != EEXIST) break;
        }
        *reason = std::strerror(errno);
        path_.clear();
        return false;
    }

    FILE* File() const { return file_; }

    // Gives the new file the replaced one's permissions, and its owner where the system lets.
    void KeepModeAndOwner(const ReplacedFile& replaced) {
#ifndef _WIN32
        const int fd = fileno(file_);
        if (::fchown(fd, replaced.st.st_uid, replaced.st.st_gid) != 0) {
            [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), replaced.st.st_gid);
        }
        ::fchmod(fd, replaced.st.st_mode & 07777);
#else
        (void)replaced;
#endif
    }

    // Gives the complete, flushed file the target's name, replacing it. false with the
    // system's reason (the temporary is then gone and the target untouched).
    bool Replace(const std::filesystem::path& target, std::mt19937& random, std::string* reason) {
        if (!named_) {
#ifdef O_TMPFILE
            char self[64];
            std::snprintf(self, sizeof self, "/proc/self/fd/%d", fileno(file_));
            for (int attempt = 0; attempt < 100 && !named_; ++attempt) {
                path_ = dir_ / TemporaryName(output_, random);
                if (::linkat(AT_FDCWD, self, AT_FDCWD, path_.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
                    ::linkat(fileno(file_), "", AT_FDCWD, path_.c_str(), AT_EMPTY_PATH) == 0) {
                    named_ = true;
                } else if (errno != EEXIST) {
                    break;
                }
            }
            if (!named_) {
                *reason = std::strerror(errno);
                path_.clear();
                return false;
            }
#endif
        }
        const bool closed = std::fclose(file_) == 0;
        const int closeError = errno;
        file_ = nullptr;
        if (!closed) {
            *reason = std::strerror(closeError);
            return false;
        }
        std::error_code ec;
        std::filesystem::rename(path_, target, ec);
        if (ec) {
            *reason = ec.message();
            return false;
        }
        path_.clear();
        named_ = false;
        guard_.reset();
        return true;
    }

    // Closes and removes whatever was made.
    void Discard() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
        if (named_ && !path_.empty()) {
            std::error_code ec;
            std::filesystem::remove(path_, ec);
        }
        named_ = false;
        path_.clear();
        guard_.reset();
    }

private:
    // Removes temporaries of this output that a killed build left: not locked by a running
    // build, and not written to for a minute.
    void RemoveLeftovers() const {
#ifndef _WIN32
        const std::string prefix = "." + output_.filename().string() + ".";
        const std::string suffix = ".brix-tmp";
        std::error_code ec;
        for (std::filesystem::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() != prefix.size() + 8 + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const int fd = ::open(it->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) continue;
            struct stat st;
            if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < std::time(nullptr) - 60 &&
                ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
                ::unlink(it->path().c_str());
            }
            ::close(fd);
        }
#endif
    }

    std::filesystem::path dir_, output_, path_;
    FILE* file_ = nullptr;
    bool named_ = false;  // path_ names the file
    std::unique_ptr<RemoveOnSignal> guard_;
};

bool SyncToDisk(FILE* f, bool sync) {
    if (std::fflush(f) != 0) return false;
    if (!sync) return true;
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

// Makes the rename itself durable, so that after a crash the new package is the one in place.
void SyncDirectory(const std::filesystem::path& dir) {
#ifndef _WIN32
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)dir;
#endif
}

// The text of a failure, formatted as the fatal path formats it.
std::string Formatted(const char* format, ...) QS_PRINTF(1, 2);
std::string Formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

uint32_t ClockSeed() {
    return static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count() ^
                                 std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace

PackageEntry PackageEntry::Of(std::string path, std::string_view bytes) {
    PackageEntry e;
    e.hash = HashName(path);
    e.path = std::move(path);
    e.data = bytes.data();
    e.size = static_cast<uint32_t>(bytes.size());
    return e;
}

PackageEntry PackageEntry::Streamed(std::string path, uint32_t size, Reader read) {
    PackageEntry e;
    e.hash = HashName(path);
    e.path = std::move(path);
    e.read = std::move(read);
    e.size = size;
    return e;
}

QSResourcer::QSResourcer() : QSResourcer(ClockSeed()) {}

QSResourcer::QSResourcer(uint32_t seed) : random_(seed), names_(ClockSeed()) {}

int QSResourcer::Build(const std::filesystem::path& output, const char* id, const char* version,
                       const char* modName, std::vector<PackageEntry> entries,
                       const char* accessCode) {
    std::string failure;
    if (!TryBuild(output, id, version, modName, std::move(entries), accessCode, &failure)) {
        QSERROR("%s", failure.c_str());
    }
    return 1;
}

bool QSResourcer::TryBuild(const std::filesystem::path& output, const char* id, const char* version,
                           const char* /*modName*/, std::vector<PackageEntry> entries,
                           const char* accessCode, std::string* failure) {
    const std::string outName = output.string();
    TemporaryPackage temporary;
    // Every failure ends here: the temporary goes, the reason is one line of the build's
    // progress (the build window's list shows no line breaks) and the caller's to show.
    auto fail = [&](std::string message) {
        temporary.Discard();
        std::string line = message;
        std::replace(line.begin(), line.end(), '\n', ' ');
        RSCLOG(kLogInfo, "%s", line.c_str());
        if (failure) *failure = std::move(message);
        return false;
    };
    if (failure) failure->clear();

    // What the output names decides where the package goes: a link's target is replaced (the
    // link stays), and anything there that is not a regular file is refused untouched.
    ReplacedFile replaced;
    std::string refusal;
    if (!FindReplacedFile(output, &replaced, &refusal)) {
        return fail(Formatted("Couldn't replace %s: %s", outName.c_str(), refusal.c_str()));
    }
    const std::filesystem::path& target = replaced.path;
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";

    // The table is in hash order; entries of equal hash keep the caller's order. Sorting
    // positions rather than entries spares moving thousands of names and readers.
    std::vector<uint32_t> order(entries.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return entries[a].hash < entries[b].hash; });

    RSCLOG(kLogInfo, "Writing mod file '%s'", outName.c_str());
    std::string reason;
    if (!temporary.Create(dir, target, names_, unnamed_, &reason)) {
        return fail(Formatted("Couldn't open output file %s: %s", outName.c_str(), reason.c_str()));
    }
    FILE* file = temporary.File();

    // Lay out the tables and the data area before writing a byte.
    std::vector<FileNode> nodes(entries.size());
    std::vector<FileChunk> chunks;
    std::vector<FilePacket> packets;
    std::vector<ChunkPlan> plan;
    std::vector<char> info;
    for (size_t i = 0; i < entries.size(); ++i) {
        const PackageEntry& entry = entries[order[i]];
        RSCLOG(kLogInfo, "Adding '%s' length: %d", entry.path.c_str(), static_cast<int>(entry.size));
        if (entry.path.size() >= kNameField) {
            return fail(Formatted("%s name too long (%d chars max)", entry.path.c_str(), static_cast<int>(kNameField)));
        }
        FileNode& node = nodes[i];
        std::memcpy(node.name, entry.path.data(), entry.path.size());
        node.HashId = entry.hash;
        node.Len = entry.size;
        node.ChkIdx = static_cast<uint32_t>(chunks.size());
        for (uint32_t start = 0, size = 0; start < entry.size; start += size) {
            size = std::min(kMaxChunk, entry.size - start);
            chunks.push_back({0, start, start + size, 1, static_cast<uint32_t>(packets.size())});
            packets.push_back({0, 0});
            plan.push_back({&entry, start, size});
            ++node.ChkCnt;
        }
        if (entry.info && entry.infoLength) {
            node.InfoOffset = static_cast<uint32_t>(info.size());
            node.InfoLength = entry.infoLength;
            const char* p = static_cast<const char*>(entry.info);
            info.insert(info.end(), p, p + entry.infoLength);
        }
    }

    StreamHeader header{};
    header.FormatVersion = kFormatVersionWritten;
    header.Magic = kMagicCurrent;
    header.ModVersion = PackVersion(version);
    header.NodeOffset = kHeaderSize;
    header.NodeCount = static_cast<uint32_t>(nodes.size());
    uint64_t pos = uint64_t{kHeaderSize} + nodes.size() * sizeof(FileNode);
    header.ChunkOffset = static_cast<uint32_t>(pos);
    header.ChunkCount = static_cast<uint32_t>(chunks.size());
    pos += chunks.size() * sizeof(FileChunk);
    header.PacketOffset = static_cast<uint32_t>(pos);
    header.PacketCount = static_cast<uint32_t>(packets.size());
    pos += packets.size() * sizeof(FilePacket);
    std::string ignoreList;
    for (const std::string& name : ignore_) {
        ignoreList += name;
        ignoreList += '\0';
    }
    header.IgnoreOffset = static_cast<uint32_t>(pos);
    header.IgnoreSize = static_cast<uint32_t>(ignoreList.size());
    header.IgnoreCount = static_cast<uint32_t>(ignore_.size());
    pos += ignoreList.size();
    header.InfoOffset = static_cast<uint32_t>(pos);
    header.InfoSize = static_cast<uint32_t>(info.size());
    pos += info.size();
    const uint64_t tablesEnd = pos;
    const uint64_t dataStart = RoundUpToPacket(tablesEnd);
    pos = dataStart;
    for (size_t c = 0; c < plan.size(); ++c) {
        packets[c].PosStart = static_cast<uint32_t>(pos);
        packets[c].PosEnd = static_cast<uint32_t>(pos + plan[c].size);
        pos += RoundUpToPacket(plan[c].size);
    }
    const uint64_t fileLength = pos;
    if (fileLength > UINT32_MAX) {
        return fail(Formatted("Mod file %s would be %llu bytes; an archive holds at most 4 gigabytes.",
                              outName.c_str(), static_cast<unsigned long long>(fileLength)));
    }
    header.FileLength = static_cast<uint32_t>(fileLength);
    if (id) std::strncpy(header.ModId, id, 2);

    HiddenBlock identity = EncodeHiddenBlock(kNoValue, static_cast<uint32_t>(random_()), random_);
    uint32_t code = PackAccessCode(accessCode);
    HiddenBlock codeBlock = EncodeHiddenBlock(
        code, code == kNoValue ? static_cast<uint32_t>(random_()) : header.FileLength, random_);
    header.IdentityBitTop = identity.bitTop;
    std::memcpy(header.IdentityBlock, identity.words, sizeof identity.words);
    header.CodeBitTop = codeBlock.bitTop;
    std::memcpy(header.CodeBlock, codeBlock.words, sizeof codeBlock.words);

    // One pass: header (checksum 0), tables, info blob, padding, then every chunk padded to
    // the next packet boundary.
    RSCLOG(kLogInfo, "Writing mod file '%s'...", outName.c_str());
    ChecksumWriter out(file);
    out.WriteBackEarly(sync_);
    out.Put(&header, sizeof header);
    out.Put(nodes.data(), nodes.size() * sizeof(FileNode));
    out.Put(chunks.data(), chunks.size() * sizeof(FileChunk));
    out.Put(packets.data(), packets.size() * sizeof(FilePacket));
    out.Put(ignoreList.data(), ignoreList.size());
    out.Put(info.data(), info.size());
    out.Zeros(static_cast<size_t>(dataStart - tablesEnd));
    for (const ChunkPlan& chunk : plan) {
        const PackageEntry& entry = *chunk.entry;
        if (entry.data) {
            out.Put(entry.data + chunk.start, chunk.size);
        } else {
            uint32_t offset = chunk.start;
            const bool read = entry.read && out.Fill(chunk.size, [&](char* dest, size_t n) {
                const bool got = entry.read(offset, dest, static_cast<uint32_t>(n));
                offset += static_cast<uint32_t>(n);
                return got;
            });
            if (!read) {
                return fail(Formatted("Couldn't read %s while writing %s.", entry.path.c_str(), outName.c_str()));
            }
        }
        out.Zeros(static_cast<size_t>(RoundUpToPacket(chunk.size) - chunk.size));
    }
    bool ok = out.Flush();
    RSCLOG(kLogInfo, "Length of mod file '%s' = %d.", outName.c_str(), static_cast<int>(fileLength));
    RSCLOG(kLogInfo, "Files: %d", static_cast<int>(nodes.size()));

    RSCLOG(kLogInfo, "Writing checksum...");
    uint32_t checksum = out.Checksum();
    ok = ok && std::fseek(file, 0x10, SEEK_SET) == 0 && std::fwrite(&checksum, 4, 1, file) == 1;
    ok = ok && SyncToDisk(file, sync_);
    if (!ok) {
        const int error = errno;
        temporary.Discard();
        return fail(Formatted("Error writing to %s, check disc space.\n%s\n%s", outName.c_str(),
                              FreeSpaceLine(dir).c_str(), std::strerror(error)));
    }
    if (replaced.exists) temporary.KeepModeAndOwner(replaced);
    if (!temporary.Replace(target, names_, &reason)) {
        return fail(Formatted("Couldn't replace %s: %s", outName.c_str(), reason.c_str()));
    }
    if (sync_) SyncDirectory(dir);
    RSCLOG(kLogInfo, "Checksum %x written successfully.", checksum);
    RSCLOG(kLogInfo, " ");
    RSCLOG(kLogInfo, "Mod built with no errors.");
    RSCLOG(kLogInfo, " ");
    RSCLOG(kLogInfo, "Click OK to continue.");
    return true;
}
