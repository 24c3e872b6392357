#include "resources/QSResourcer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/HashName.h"
#include "core/QSError.h"
#include "resources/HiddenBlock.h"
#include "resources/StreamFormat.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
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

// Creates a new, uniquely named file beside the output; two builds never share one.
FILE* CreateTemporary(const std::filesystem::path& dir, const std::filesystem::path& output,
                      std::mt19937& random, std::filesystem::path* tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.brix-tmp", static_cast<unsigned>(random()));
        std::string name = ".";
        name += output.filename().string();
        name += suffix;
        *tempPath = dir / name;
        FILE* f = std::fopen(tempPath->string().c_str(), "wbx");
        if (f) return f;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

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

QSResourcer::QSResourcer()
    : random_(static_cast<uint32_t>(
          std::chrono::system_clock::now().time_since_epoch().count() ^
          std::chrono::steady_clock::now().time_since_epoch().count())) {}

int QSResourcer::Build(const std::filesystem::path& output, const char* id, const char* version,
                       const char* /*modName*/, std::vector<PackageEntry> entries,
                       const char* accessCode) {
    const std::string outName = output.string();
    std::filesystem::path dir = output.parent_path();
    if (dir.empty()) dir = ".";

    // The table is in hash order; entries of equal hash keep the caller's order. Sorting
    // positions rather than entries spares moving thousands of names and readers.
    std::vector<uint32_t> order(entries.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return entries[a].hash < entries[b].hash; });

    RSCLOG(kLogInfo, "Writing mod file '%s'", outName.c_str());
    std::filesystem::path tempPath;
    FILE* file = CreateTemporary(dir, output, random_, &tempPath);
    if (!file) QSERROR("Couldn't open output file %s", outName.c_str());
    auto discard = [&] {
        if (file) std::fclose(file);
        file = nullptr;
        std::error_code ec;
        std::filesystem::remove(tempPath, ec);
    };

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
            discard();
            QSERROR("%s name too long (%d chars max)", entry.path.c_str(), static_cast<int>(kNameField));
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
        discard();
        QSERROR("Mod file %s would be %llu bytes; an archive holds at most 4 gigabytes.",
                outName.c_str(), static_cast<unsigned long long>(fileLength));
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
                discard();
                QSERROR("Couldn't read %s while writing %s.", entry.path.c_str(), outName.c_str());
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
    ok = (std::fclose(file) == 0) && ok;
    file = nullptr;
    if (!ok) {
        discard();
        std::string line = FreeSpaceLine(dir);
        char first[1024];
        std::snprintf(first, sizeof first, "Error writing to %s, check disc space.", outName.c_str());
        QSERROR("%s\n%s", first, line.c_str());
    }
    std::error_code ec;
    std::filesystem::rename(tempPath, output, ec);
    if (ec) {
        discard();
        QSERROR("Couldn't replace %s: %s", outName.c_str(), ec.message().c_str());
    }
    if (sync_) SyncDirectory(dir);
    RSCLOG(kLogInfo, "Checksum %x written successfully.", checksum);
    RSCLOG(kLogInfo, "Mod built with no errors.");
    RSCLOG(kLogInfo, "Click OK to continue.");
    return 1;
}
