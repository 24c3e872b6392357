// QSStreamFile: one open stream file archive (.qsw of the game, .qsx of a mod).
//
// Opening reads the header and every table into memory and checks them against the file's
// real size before anything is allocated from them: a table, blob, chunk or packet outside
// the file, a count whose size overflows, or a name without its terminator is reported as a
// corrupt archive naming the file, never read. The content of one file is then read by
// chunks and packets on demand (by the asynchronous reader).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/QSGameResource.h"
#include "core/QSMoveableArray.h"
#include "resources/StreamFormat.h"

// What tells an archive file from another, or from itself after a change: its device,
// file number, length and modification time, taken from the open file. Two stamps that are
// both known and equal stand for the same bytes.
struct FileStamp {
    uint64_t device = 0;
    uint64_t fileNumber = 0;
    uint64_t length = 0;
    int64_t modified = 0;  // nanoseconds
    bool known = false;
    bool operator==(const FileStamp&) const = default;
    bool SameFileAs(const FileStamp& other) const { return known && other.known && *this == other; }
};

class QSStreamFile;

// Bytes of an archive read ahead of a run of files that lie one after another, so that
// reading them takes one read call a window rather than one a file. Holds nothing until a
// read follows the previous one's end; a read elsewhere is made as asked. One per thread.
class ReadWindow {
  public:
    static constexpr size_t kBytes = 256 * 1024;
    // Holds nothing from now on (keeping its memory): to be called before the archives it
    // read may be closed, since another archive may be opened at the same address.
    void Forget() {
        archive_ = nullptr;
        start_ = end_ = 0;
    }
    // The same, and hands its memory back.
    void Release() {
        Forget();
        bytes_.reset();
    }

  private:
    friend class QSStreamFile;
    const QSStreamFile* archive_ = nullptr;
    uint64_t start_ = 0;  // the bytes held: [start_, end_) of archive_
    uint64_t end_ = 0;
    std::unique_ptr<char[]> bytes_;
};

class QSStreamFile {
public:
    // Opens the archive and logs "New stream file <path>". A file that cannot be opened
    // leaves the object not open; a corrupt one is a fatal error.
    explicit QSStreamFile(const std::string& path);
    // Logs "CLEANUP: Closing StreamFile" and closes the archive.
    ~QSStreamFile();
    QSStreamFile(const QSStreamFile&) = delete;
    QSStreamFile& operator=(const QSStreamFile&) = delete;

    // Checks an archive without ending the program: an empty text when it opens cleanly
    // (its access code block included), else what is wrong, naming the file.
    static std::string Check(const std::string& path);
    // Compares the stored Checksum with the XOR of the file's words (the field taken as 0).
    static bool ChecksumMatches(const std::string& path, uint32_t* stored, uint32_t* computed);

    bool IsOpen() const { return file_ != nullptr; }
    // Why the file could not be opened (the system's reason), when it could not.
    const std::string& OpenError() const { return openError_; }
    const std::string& Path() const { return path_; }
    // A copy of the header; for 104-byte headers the missing fields are 0.
    const StreamHeader& Header() const { return header_; }
    // "a.b.c.d" of ModVersion ("a.b.c" when d is 0); "0.0.0.0" until read.
    const char* VersionText() const { return versionText_; }
    // The two-character identifier ("NA" for archives older than the identifier).
    std::string ModId() const;
    uint64_t RealLength() const { return realLength_; }

    const std::vector<FileNode>& Nodes() const { return nodes_; }
    // The index of a node of this archive's table; none for a node of another.
    std::optional<size_t> IndexOf(const FileNode* node) const {
        if (nodes_.empty() || node < nodes_.data() || node >= nodes_.data() + nodes_.size())
            return std::nullopt;
        return static_cast<size_t>(node - nodes_.data());
    }
    const std::vector<FileChunk>& Chunks() const { return chunks_; }
    const std::vector<FilePacket>& Packets() const { return packets_; }
    const std::vector<char>& InfoBlob() const { return info_; }
    const std::vector<std::string>& IgnoreNames() const { return ignoreNames_; }
    // The node's info block inside the info blob, or null when it has none.
    const char* InfoBlock(const FileNode& node) const;

    // The access code value of CodeBlock (0 unless Magic is the current kind). A length
    // copy that does not match the archive is a fatal error.
    uint32_t AccessCode() const;

    // Reads one file's content into Len + 1 bytes (the spare byte stays zero) following its
    // chunks and packets. Returns the number of bytes delivered.
    uint32_t ReadContent(const FileNode& node, ResourceContent& out) const;
    // The same into a buffer kept between reads, made larger when the file needs it:
    // capacity is the buffer's size (spare byte included), 0 for none yet. With a window, a
    // file after the one read before through it comes from bytes read ahead.
    uint32_t ReadContentInto(const FileNode& node, ResourceContent& buffer, uint32_t& capacity,
                             ReadWindow* window = nullptr) const;
    // The stamp of the file as opened; not known when the system could not tell.
    const FileStamp& Stamp() const { return stamp_; }
    // Where stored bytes are claimed twice: a packet used by more than one chunk, packets
    // whose bytes overlap, a packet over the header or a table. Each problem names the files
    // concerned; none for an archive whose files each have bytes of their own. Such an
    // archive still reads, but extracting it can write far more than its size.
    std::vector<std::string> SharedBytes() const;

    // Reads one file's content whole, for tools that must not hand out part of a file: false,
    // with what is wrong (not naming the archive), when its chunks leave a gap or overlap or
    // a read fails.
    bool ReadWhole(const FileNode& node, ResourceContent& out, std::string* problem) const;
    // Whether the node's chunks cover its content exactly once; false with the gap or overlap.
    bool Covers(const FileNode& node, std::string* problem) const;

private:
    struct CheckOnly {};
    QSStreamFile(const std::string& path, CheckOnly);
    // Opens and checks; on a problem returns false with its text (file stays open).
    bool Load(std::string* problem);
    bool ReadAt(uint64_t offset, void* buffer, size_t size) const;
    // ReadAt through a window when there is one.
    bool ReadThrough(ReadWindow* window, uint64_t offset, char* buffer, size_t size) const;
    // Fills node.Len bytes of buffer from the node's chunks; returns the bytes delivered.
    uint32_t Fill(const FileNode& node, char* buffer, ReadWindow* window = nullptr) const;
    // Why the last ReadAt on this thread failed.
    static std::string ReadError();
    template <typename T>
    bool LoadTable(const char* what, uint64_t offset, uint64_t count, std::vector<T>& out,
                   std::string* problem);
    bool CheckNodes(std::string* problem) const;
    bool CheckCode(uint32_t* value, std::string* problem) const;

    enum class ProblemKind { Other, LengthMismatch, Inconsistent };

    std::string path_;
    std::string openError_;  // why the file could not be opened, when it could not
    ProblemKind problemKind_ = ProblemKind::Other;
    struct FileCloser {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, FileCloser> file_;
    uint64_t realLength_ = 0;
    FileStamp stamp_;
    StreamHeader header_{};
    char versionText_[17] = "0.0.0.0";
    std::vector<char> reserved_;
    std::vector<FileNode> nodes_;
    std::vector<FileChunk> chunks_;
    std::vector<FilePacket> packets_;
    std::vector<char> reserved2_;
    std::vector<char> info_;
    std::vector<std::string> ignoreNames_;
#ifdef _WIN32
    mutable std::mutex readMutex_;  // seek and read must stay together
#endif
};

using QSStreamFileArray = QSMoveableArray<QSStreamFile*>;

// Opens a file for reading only when it is a regular file. The file is opened without
// blocking (a FIFO with no writer, a terminal or a device would otherwise hang the opening),
// its kind is taken from the open handle, and blocking is restored: nothing can be swapped in
// between the check and the use. Returns the handle, or -1 with why in *reason ("is not a
// regular file but a FIFO", or the system's reason).
int OpenRegularFile(const char* path, std::string* reason);
#ifndef _WIN32
// The same for a name inside an open folder, as openat takes it.
int OpenRegularFileAt(int dirfd, const char* name, std::string* reason);
#endif
// The same as a stdio stream, or null.
FILE* OpenRegularStream(const char* path, std::string* reason);
