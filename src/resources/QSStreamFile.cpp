#include "resources/QSStreamFile.h"

#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <algorithm>
#include <cstring>
#include <limits>

#include "core/QSError.h"
#include "resources/HiddenBlock.h"

#ifdef _WIN32
#include <chrono>
#include <filesystem>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string Printf(const char* format, ...) QS_PRINTF(1, 2);
std::string Printf(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// A node's name for messages; names are checked for their terminator before any message
// can use them.
const char* NameOf(const FileNode& node) { return node.name; }

#ifndef _WIN32
const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "of an unknown kind";
}
#endif

}  // namespace

#ifndef _WIN32
int OpenRegularFileAt(int dirfd, const char* name, std::string* reason) {
    const int fd = ::openat(dirfd, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *reason = std::strerror(errno);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *reason = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        *reason = std::string("is not a regular file but ") + KindOf(st.st_mode);
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        *reason = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

int OpenRegularFile(const char* path, std::string* reason) { return OpenRegularFileAt(AT_FDCWD, path, reason); }

FILE* OpenRegularStream(const char* path, std::string* reason) {
    const int fd = OpenRegularFile(path, reason);
    if (fd < 0) return nullptr;
    FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        *reason = std::strerror(errno);
        ::close(fd);
    }
    return f;
}
#else
FILE* OpenRegularStream(const char* path, std::string* reason) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        *reason = "is not a regular file";
        return nullptr;
    }
    FILE* f = std::fopen(path, "rb");
    if (!f) *reason = std::strerror(errno);
    return f;
}
#endif

QSStreamFile::QSStreamFile(const std::string& path) : path_(path) {
    std::string problem;
    if (!Load(&problem)) {
        // The two checks every reader of the format makes keep their own wording.
        if (problemKind_ == ProblemKind::LengthMismatch) {
            QSERROR("File length %d of %s doesn't match expected file length of %d",
                    static_cast<int>(realLength_), path_.c_str(), static_cast<int>(header_.FileLength));
        }
        if (problemKind_ == ProblemKind::Inconsistent) {
            QSERROR("File %s may be corrupt, internal values are not consistent.", path_.c_str());
        }
        QSERROR("%s", problem.c_str());
    }
    QSLOG(kLogInfo, "New stream file %s", path_.c_str());
}

QSStreamFile::QSStreamFile(const std::string& path, CheckOnly) : path_(path) {}

QSStreamFile::~QSStreamFile() {
    QSLOG(kLogInfo, "CLEANUP: Closing StreamFile");
}

std::string QSStreamFile::Check(const std::string& path) {
    QSStreamFile archive(path, CheckOnly{});
    std::string problem;
    if (!archive.Load(&problem)) return problem;
    if (!archive.IsOpen()) return Printf("Could not open %s: %s", path.c_str(), archive.openError_.c_str());
    uint32_t code = 0;
    if (!archive.CheckCode(&code, &problem)) return problem;
    return {};
}

bool QSStreamFile::ChecksumMatches(const std::string& path, uint32_t* stored, uint32_t* computed) {
    *stored = *computed = 0;
    std::string reason;
    FILE* f = OpenRegularStream(path.c_str(), &reason);
    if (!f) return false;
    std::vector<char> buffer(1 << 20);
    uint32_t sum = 0;
    uint64_t position = 0;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
        // Blocks start on a word: a short block is the last one, padded with zero bytes.
        for (size_t i = 0; i < n; i += 4) {
            uint32_t word = 0;
            std::memcpy(&word, buffer.data() + i, std::min<size_t>(4, n - i));
            if (position + i == 0x10) {
                *stored = word;
                word = 0;
            }
            sum ^= word;
        }
        position += n;
    }
    std::fclose(f);
    *computed = sum;
    return sum == *stored;
}

std::string QSStreamFile::ModId() const {
    return std::string(header_.ModId, strnlen(header_.ModId, sizeof header_.ModId));
}

bool QSStreamFile::ReadAt(uint64_t offset, void* buffer, size_t size) const {
    if (size == 0) return true;
#ifdef _WIN32
    std::lock_guard lock(readMutex_);
    if (_fseeki64(file_.get(), static_cast<long long>(offset), SEEK_SET) != 0) return false;
    return std::fread(buffer, 1, size, file_.get()) == size;
#else
    char* p = static_cast<char*>(buffer);
    while (size > 0) {
        ssize_t n = pread(fileno(file_.get()), p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = 0;  // the file ended early
        if (n <= 0) return false;
        p += n;
        offset += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
    return true;
#endif
}

template <typename T>
bool QSStreamFile::LoadTable(const char* what, uint64_t offset, uint64_t count,
                             std::vector<T>& out, std::string* problem) {
    if (count == 0) return true;
    // Both factors are below 2^32, so the product cannot overflow 64 bits.
    uint64_t bytes = count * sizeof(T);
    if (offset > realLength_ || bytes > realLength_ - offset) {
        *problem = Printf("File %s is corrupt: the %s (%" PRIu64 " bytes at offset %" PRIu64
                          ") lies outside the file of %" PRIu64 " bytes.",
                          path_.c_str(), what, bytes, offset, realLength_);
        return false;
    }
    out.resize(static_cast<size_t>(count));
    if (!ReadAt(offset, out.data(), static_cast<size_t>(bytes))) {
        *problem = Printf("File %s could not be read: the %s at offset %" PRIu64 ": %s.",
                          path_.c_str(), what, offset, ReadError().c_str());
        return false;
    }
    return true;
}

bool QSStreamFile::Load(std::string* problem) {
    file_.reset(OpenRegularStream(path_.c_str(), &openError_));
    if (!file_) {
        // Something that is there but is no archive is refused; a file that cannot be opened
        // leaves the archive not open, and the caller decides what that means.
        if (openError_.rfind("is not a regular file", 0) != 0) return true;
        *problem = Printf("File %s %s.", path_.c_str(), openError_.c_str());
        return false;
    }
#ifdef _WIN32
    _fseeki64(file_.get(), 0, SEEK_END);
    long long end = _ftelli64(file_.get());
#else
    fseeko(file_.get(), 0, SEEK_END);
    off_t end = ftello(file_.get());
#endif
    realLength_ = end > 0 ? static_cast<uint64_t>(end) : 0;
#ifdef _WIN32
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(path_, ec);
    if (!ec) {
        stamp_.modified = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              written.time_since_epoch()).count();
        stamp_.length = realLength_;
        stamp_.known = true;
    }
#else
    struct stat st;
    if (::fstat(fileno(file_.get()), &st) == 0) {
        stamp_.device = static_cast<uint64_t>(st.st_dev);
        stamp_.fileNumber = static_cast<uint64_t>(st.st_ino);
        stamp_.length = static_cast<uint64_t>(st.st_size);
        stamp_.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        stamp_.known = true;
    }
#endif

    uint32_t formatVersion = 0;
    if (realLength_ >= 4 && !ReadAt(0, &formatVersion, 4)) {
        *problem = Printf("File %s could not be read: %s.", path_.c_str(), ReadError().c_str());
        return false;
    }
    if (realLength_ < 4) {
        *problem = Printf("File %s is corrupt: it is too short to be a stream file.", path_.c_str());
        return false;
    }
    uint32_t headerSize = formatVersion > kFormatLongHeaderAbove ? kHeaderSize : kShortHeaderSize;
    if (realLength_ < headerSize || !ReadAt(0, &header_, headerSize)) {
        *problem = Printf("File %s is corrupt: it is shorter than its %u-byte header.",
                          path_.c_str(), headerSize);
        return false;
    }
    if (header_.FormatVersion < kFormatModIdFrom) std::memcpy(header_.ModId, "NA\0\0", 4);

    if (header_.Magic == kMagicOld || header_.Magic == kMagicCurrent) {
        if (realLength_ != header_.FileLength) {
            problemKind_ = ProblemKind::LengthMismatch;
            *problem = Printf("File length %" PRIu64 " of %s doesn't match expected file length of %u",
                              realLength_, path_.c_str(), header_.FileLength);
            return false;
        }
        FormatVersionText(header_.ModVersion, versionText_, sizeof versionText_);
        if (header_.Magic == kMagicCurrent) {
            HiddenValues identity = DecodeHiddenBlock(header_.IdentityBlock, header_.IdentityBitTop);
            if (!HiddenBlockConsistent(identity, header_.FileLength)) {
                problemKind_ = ProblemKind::Inconsistent;
                *problem = Printf("File %s may be corrupt, internal values are not consistent.",
                                  path_.c_str());
                return false;
            }
        }
    }

    uint32_t reservedOffset;
    std::memcpy(&reservedOffset, header_.ModId, 4);
    bool ok = LoadTable("first reserved table", reservedOffset,
                        uint64_t{header_.ReservedCount} * kReservedRecord, reserved_, problem) &&
              LoadTable("FileNode table", header_.NodeOffset, header_.NodeCount, nodes_, problem) &&
              LoadTable("FileChunk table", header_.ChunkOffset, header_.ChunkCount, chunks_, problem) &&
              LoadTable("FilePacket table", header_.PacketOffset, header_.PacketCount, packets_, problem) &&
              LoadTable("second reserved table", header_.ReservedOffset2,
                        uint64_t{header_.ReservedCount2} * kReservedRecord2, reserved2_, problem) &&
              LoadTable("info blob", header_.InfoOffset, header_.InfoSize, info_, problem);
    if (!ok) return false;
    if (header_.FormatVersion < kFormatWideInfoFrom) {
        for (FileNode& node : nodes_) node.InfoLength &= 0xFFFF;
    }

    if (header_.FormatVersion > kFormatLongHeaderAbove && header_.IgnoreCount != 0) {
        std::vector<char> list;
        if (!LoadTable("ignore list", header_.IgnoreOffset, header_.IgnoreSize, list, problem)) {
            return false;
        }
        size_t pos = 0;
        for (uint32_t i = 0; i < header_.IgnoreCount; ++i) {
            const void* end = pos < list.size() ? std::memchr(&list[pos], 0, list.size() - pos) : nullptr;
            if (!end) {
                *problem = Printf("File %s is corrupt: the ignore list holds fewer than its %u names.",
                                  path_.c_str(), header_.IgnoreCount);
                return false;
            }
            size_t stop = static_cast<size_t>(static_cast<const char*>(end) - list.data());
            ignoreNames_.emplace_back(&list[pos], stop - pos);
            pos = stop + 1;
        }
    }
    return CheckNodes(problem);
}

// Every file's chunks and packets must lie inside the tables, the file's content and the
// archive, so that reading a file can trust them.
bool QSStreamFile::CheckNodes(std::string* problem) const {
    const char* path = path_.c_str();
    for (size_t n = 0; n < nodes_.size(); ++n) {
        const FileNode& node = nodes_[n];
        if (!std::memchr(node.name, 0, sizeof node.name)) {
            *problem = Printf("File %s is corrupt: the name of stored file %zu is not terminated.", path, n);
            return false;
        }
        if (node.Len > realLength_) {
            *problem = Printf("File %s is corrupt: %s claims %u bytes, more than the archive holds.",
                              path, NameOf(node), node.Len);
            return false;
        }
        if (uint64_t{node.ChkIdx} + node.ChkCnt > chunks_.size()) {
            *problem = Printf("File %s is corrupt: the chunks of %s lie outside the FileChunk table.",
                              path, NameOf(node));
            return false;
        }
        if (node.InfoLength != 0 && uint64_t{node.InfoOffset} + node.InfoLength > info_.size()) {
            *problem = Printf("File %s is corrupt: the info block of %s lies outside the info blob.",
                              path, NameOf(node));
            return false;
        }
        for (uint32_t c = 0; c < node.ChkCnt; ++c) {
            const FileChunk& chunk = chunks_[node.ChkIdx + c];
            if (chunk.FileStart > chunk.FileEnd || chunk.FileEnd > node.Len) {
                *problem = Printf("File %s is corrupt: a chunk of %s lies outside its %u bytes.",
                                  path, NameOf(node), node.Len);
                return false;
            }
            if (chunk.PktIdx >= packets_.size()) {
                *problem = Printf("File %s is corrupt: a chunk of %s names a packet outside the "
                                  "FilePacket table.", path, NameOf(node));
                return false;
            }
            const FilePacket& packet = packets_[chunk.PktIdx];
            if (packet.PosStart > packet.PosEnd || packet.PosEnd > realLength_) {
                *problem = Printf("File %s is corrupt: a packet of %s lies outside the archive.",
                                  path, NameOf(node));
                return false;
            }
            if (packet.PosEnd - packet.PosStart > node.Len - chunk.FileStart) {
                *problem = Printf("File %s is corrupt: a packet of %s is longer than the rest of "
                                  "its %u bytes.", path, NameOf(node), node.Len);
                return false;
            }
        }
    }
    return true;
}

bool QSStreamFile::CheckCode(uint32_t* value, std::string* problem) const {
    *value = 0;
    if (header_.Magic != kMagicCurrent) return true;
    HiddenValues code = DecodeHiddenBlock(header_.CodeBlock, header_.CodeBitTop);
    *value = code.value;
    if (!HiddenBlockConsistent(code, header_.FileLength)) {
        *problem = Printf("File %s may be corrupt, internal values are not consistent.", path_.c_str());
        return false;
    }
    return true;
}

uint32_t QSStreamFile::AccessCode() const {
    uint32_t value = 0;
    std::string problem;
    if (!CheckCode(&value, &problem)) {
        QSERROR("File %s may be corrupt, internal values are not consistent.", path_.c_str());
    }
    return value;
}

const char* QSStreamFile::InfoBlock(const FileNode& node) const {
    return node.InfoLength ? info_.data() + node.InfoOffset : nullptr;
}

uint32_t QSStreamFile::ReadContent(const FileNode& node, ResourceContent& out) const {
    return Fill(node, out.Allocate(node.Len));
}

uint32_t QSStreamFile::ReadContentInto(const FileNode& node, ResourceContent& buffer,
                                       uint32_t& capacity, ReadWindow* window) const {
    const uint64_t needed = static_cast<uint64_t>(node.Len) + 1;
    if (!buffer.data || capacity < needed) {
        buffer.data.reset(new char[needed]);
        capacity = static_cast<uint32_t>(std::min<uint64_t>(needed, UINT32_MAX));
    }
    buffer.len = node.Len;
    buffer.data[node.Len] = '\0';
    return Fill(node, buffer.data.get(), window);
}

bool QSStreamFile::ReadThrough(ReadWindow* window, uint64_t offset, char* buffer,
                               size_t size) const {
    if (!window) return ReadAt(offset, buffer, size);
    ReadWindow& w = *window;
    const bool same = w.archive_ == this;
    if (same && offset >= w.start_ && size <= w.end_ - w.start_ &&
        offset - w.start_ <= w.end_ - w.start_ - size) {
        std::memcpy(buffer, w.bytes_.get() + (offset - w.start_), size);
        return true;
    }
    // Ahead of what is held, or running past its end: read a window from here on.
    if (same && offset >= w.start_ && (offset <= w.end_ || offset - w.end_ <= ReadWindow::kBytes) &&
        size <= ReadWindow::kBytes && offset < realLength_) {
        if (!w.bytes_) w.bytes_.reset(new char[ReadWindow::kBytes]);
        const size_t want =
            static_cast<size_t>(std::min<uint64_t>(ReadWindow::kBytes, realLength_ - offset));
        if (want >= size && ReadAt(offset, w.bytes_.get(), want)) {
            w.start_ = offset;
            w.end_ = offset + want;
            std::memcpy(buffer, w.bytes_.get(), size);
            return true;
        }
    }
    // Elsewhere, or the window could not be read: as asked, and a window may start after it.
    w.archive_ = this;
    w.start_ = w.end_ = offset + size;
    return ReadAt(offset, buffer, size);
}

uint32_t QSStreamFile::Fill(const FileNode& node, char* buffer, ReadWindow* window) const {
    // Stored files are cut into consecutive chunks; if these do not tile the content (an odd
    // or hostile archive), clear it first so no stale memory is handed out.
    uint64_t covered = 0;
    for (uint32_t c = 0; c < node.ChkCnt && covered != UINT64_MAX; ++c) {
        const FileChunk& chunk = chunks_[node.ChkIdx + c];
        const FilePacket& packet = packets_[chunk.PktIdx];
        covered = chunk.FileStart == covered ? covered + (packet.PosEnd - packet.PosStart) : UINT64_MAX;
    }
    if (covered != node.Len) std::memset(buffer, 0, node.Len);
    uint32_t delivered = 0;
    for (uint32_t c = 0; c < node.ChkCnt; ++c) {
        const FileChunk& chunk = chunks_[node.ChkIdx + c];
        const FilePacket& packet = packets_[chunk.PktIdx];
        uint32_t size = packet.PosEnd - packet.PosStart;
        if (ReadThrough(window, packet.PosStart, buffer + chunk.FileStart, size)) {
            delivered += size;
        } else {
            std::memset(buffer + chunk.FileStart, 0, size);  // never hand out stale memory
        }
    }
    return delivered;
}

std::string QSStreamFile::ReadError() {
    return errno ? std::strerror(errno) : "the file ended early";
}

bool QSStreamFile::ReadWhole(const FileNode& node, ResourceContent& out, std::string* problem) const {
    if (!Covers(node, problem)) return false;
    char* buffer = out.Allocate(node.Len);
    for (uint32_t c = 0; c < node.ChkCnt; ++c) {
        const FileChunk& chunk = chunks_[node.ChkIdx + c];
        const FilePacket& packet = packets_[chunk.PktIdx];
        if (!ReadAt(packet.PosStart, buffer + chunk.FileStart, packet.PosEnd - packet.PosStart)) {
            *problem = Printf("cannot read its bytes at offset %u of the archive: %s", packet.PosStart,
                              ReadError().c_str());
            return false;
        }
    }
    return true;
}

bool QSStreamFile::Covers(const FileNode& node, std::string* problem) const {
    // The chunks must cover the content exactly once: no gap (which would read as zeros) and
    // no overlap.
    std::vector<std::pair<uint64_t, uint64_t>> spans;  // start, end in the content
    for (uint32_t c = 0; c < node.ChkCnt; ++c) {
        const FileChunk& chunk = chunks_[node.ChkIdx + c];
        const FilePacket& packet = packets_[chunk.PktIdx];
        spans.emplace_back(chunk.FileStart, uint64_t{chunk.FileStart} + (packet.PosEnd - packet.PosStart));
    }
    std::sort(spans.begin(), spans.end());
    uint64_t covered = 0;
    for (const auto& [start, end] : spans) {
        if (start != covered) {
            *problem = Printf(start > covered ? "its chunks leave bytes %" PRIu64 " to %" PRIu64 " of its %u uncovered"
                                              : "its chunks overlap at byte %" PRIu64 " (up to %" PRIu64 ") of its %u",
                              std::min(start, covered), std::max(start, covered), node.Len);
            return false;
        }
        covered = end;
    }
    if (covered != node.Len) {
        *problem = Printf("its chunks leave bytes %" PRIu64 " to %u of its %u uncovered", covered, node.Len, node.Len);
        return false;
    }
    return true;
}

std::vector<std::string> QSStreamFile::SharedBytes() const {
    std::vector<std::string> problems;
    // Which files use each packet, through their chunks.
    std::vector<std::vector<uint32_t>> users(packets_.size());
    for (uint32_t n = 0; n < nodes_.size(); ++n) {
        for (uint32_t c = 0; c < nodes_[n].ChkCnt; ++c) {
            users[chunks_[nodes_[n].ChkIdx + c].PktIdx].push_back(n);  // twice by one file counts too
        }
    }
    auto filesOf = [&](const std::vector<uint32_t>& list) {
        std::string text = nodes_[list[0]].name;
        for (size_t i = 1; i < list.size() && i < 3; ++i) text += std::string(" and ") + nodes_[list[i]].name;
        if (list.size() > 3) text += Printf(" and %zu more", list.size() - 3);
        return text;
    };
    struct Span {
        uint64_t start, end;
        std::string what;
    };
    std::vector<Span> spans;
    const uint32_t headerSize = header_.FormatVersion > kFormatLongHeaderAbove ? kHeaderSize : kShortHeaderSize;
    spans.push_back({0, headerSize, "the header"});
    auto table = [&](uint64_t offset, uint64_t bytes, const char* what) {
        if (bytes) spans.push_back({offset, offset + bytes, what});
    };
    table(header_.NodeOffset, uint64_t{header_.NodeCount} * sizeof(FileNode), "the FileNode table");
    table(header_.ChunkOffset, uint64_t{header_.ChunkCount} * sizeof(FileChunk), "the FileChunk table");
    table(header_.PacketOffset, uint64_t{header_.PacketCount} * sizeof(FilePacket), "the FilePacket table");
    table(header_.InfoOffset, header_.InfoSize, "the info blob");
    if (header_.FormatVersion > kFormatLongHeaderAbove && header_.IgnoreCount) table(header_.IgnoreOffset, header_.IgnoreSize, "the ignore list");
    const size_t tables = spans.size();
    for (uint32_t k = 0; k < packets_.size(); ++k) {
        if (users[k].empty()) continue;
        if (users[k].size() > 1) problems.push_back(Printf("one packet (%u) holds the bytes of ", k) + filesOf(users[k]));
        if (packets_[k].PosEnd > packets_[k].PosStart)
            spans.push_back({packets_[k].PosStart, packets_[k].PosEnd, "the bytes of " + filesOf(users[k])});
    }
    // Overlaps, in order of start: each span against the one reaching furthest before it.
    std::vector<size_t> order(spans.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return spans[a].start < spans[b].start; });
    size_t furthest = order.empty() ? 0 : order[0];
    for (size_t i = 1; i < order.size(); ++i) {
        const Span& here = spans[order[i]];
        const Span& before = spans[furthest];
        if (here.start < before.end && (order[i] >= tables || furthest >= tables)) {
            problems.push_back(Printf("%s (at %" PRIu64 ") overlap %s (at %" PRIu64 ")", here.what.c_str(), here.start,
                                      before.what.c_str(), before.start));
        }
        if (here.end > before.end) furthest = order[i];
    }
    return problems;
}
