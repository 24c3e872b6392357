// brix-archive: look inside stream file archives and mod packages, pull files out, pack a
// folder, check a package before release, resolve names across a mounted installation, open
// an installation as the editor does to export its objects or a mod's global history,
// save a mod from a script's edits as the editor's Save Mod does, and check WAV samples as the
// editor's Browse does.
//
// Exit codes: 0 success, 1 failure (messages on stderr name the file and the problem),
// 2 usage. Nothing is logged unless --log FILE is given.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/MemoryReuse.h"
#include "core/HashName.h"
#include "core/QSError.h"
#include "core/QSINIFile.h"
#include "core/WavFile.h"
#include "mods/ModChecker.h"
#include "mods/ModComparison.h"
#include "mods/ModProject.h"
#include "mods/QSVersionMgr.h"
#include "mods/ScriptedEdits.h"
#include "resources/HiddenBlock.h"
#include "resources/QSResourceMgr.h"
#include "resources/QSResourcer.h"
#include "resources/QSStreamFile.h"
#include "ObjectTable.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kFailure = 1;
// extract writes at most this many times the archive's size without --force: an archive's
// files hold their own bytes, so only one that shares them between files comes near it.
constexpr uint64_t kExtractLimit = 4;
constexpr int kUsage = 2;

// text with its control characters written as \xNN, so that a name from an archive cannot
// send escape sequences to the terminal or break a line in two; keepLineEnds leaves line
// feeds (a fatal message may hold several lines).
std::string Shown(std::string_view text, bool keepLineEnds = false) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 || byte == 0x7F) && !(keepLineEnds && c == '\n')) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

int Fail(const std::string& file, const std::string& problem) {
    std::fprintf(stderr, "brix-archive: %s: %s\n", Shown(file).c_str(), Shown(problem).c_str());
    return kFailure;
}

// Shows a line of progress on a terminal, at most ten times a second.
class Progress {
public:
    Progress(const char* verb, size_t total) : verb_(verb), total_(total), shown_(isatty(fileno(stderr)) != 0) {}
    void Step(size_t done) {
        if (!shown_) return;
        auto now = std::chrono::steady_clock::now();
        if (done != total_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        std::fprintf(stderr, "\r%s %zu/%zu files", verb_, done, total_);
        if (done == total_) std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    const char* verb_;
    size_t total_;
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

// Why path is no folder to read, or empty when it is one.
std::string NotAFolder(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return std::strerror(ENOENT);
    if (ec) return ec.message();
    return fs::is_directory(status) ? std::string() : "is not a directory";
}

// Checks an archive before it is opened, so that a missing, special or corrupt one is a
// message naming it and why, not a fatal error or a hang.
int CheckArchive(const std::string& path) {
    std::string problem = QSStreamFile::Check(path);
    if (problem.empty()) return 0;
    std::fprintf(stderr, "brix-archive: %s\n", Shown(problem).c_str());
    return kFailure;
}

// Opens an archive after checking it. An archive whose files share stored bytes is still
// read, with a note saying so.
std::unique_ptr<QSStreamFile> OpenChecked(const std::string& path, int* status) {
    *status = CheckArchive(path);
    if (*status) return nullptr;
    auto archive = std::make_unique<QSStreamFile>(path);
    if (!archive->SharedBytes().empty()) {
        std::fprintf(stderr, "brix-archive: note: %s: some stored bytes belong to more than one file or table "
                             "(brix-archive verify tells which)\n", Shown(path).c_str());
    }
    return archive;
}

// One stored file's bytes, whole; a file whose chunks do not cover it, or that cannot be read,
// is a message naming the archive, the file and why.
bool Content(const QSStreamFile& archive, const FileNode& node, std::string* bytes) {
    ResourceContent content;
    std::string problem;
    if (!archive.ReadWhole(node, content, &problem)) {
        Fail(archive.Path(), std::string("cannot read ") + node.name + ": " + problem);
        return false;
    }
    bytes->assign(content.data.get(), node.Len);
    return true;
}

const FileNode* FindNode(const QSStreamFile& archive, const std::string& name) {
    for (const FileNode& node : archive.Nodes()) {
        if (SameName(node.name, name)) return &node;
    }
    return nullptr;
}

int List(const std::string& path) {
    int status;
    auto archive = OpenChecked(path, &status);
    if (!archive) return status;
    for (const FileNode& node : archive->Nodes()) {
        std::printf("%u %08x %s\n", node.Len, HashName(node.name), Shown(node.name).c_str());
    }
    return 0;
}

int Info(const std::string& path) {
    int status;
    auto archive = OpenChecked(path, &status);
    if (!archive) return status;
    const StreamHeader& h = archive->Header();
    uint32_t stored, computed;
    bool checksumOk = QSStreamFile::ChecksumMatches(path, &stored, &computed);
    uint32_t code = archive->AccessCode();
    const char* access = "none";
    if (h.Magic == kMagicCurrent && code != kNoValue) {
        access = (code >> 24) == '#' ? "protected, read-only without code" : "protected";
    }
    std::printf("format-version: 0x%x\n", h.FormatVersion);
    std::printf("header-size: %u\n", h.FormatVersion > kFormatLongHeaderAbove ? kHeaderSize : kShortHeaderSize);
    std::printf("mod-id: %s\n", archive->ModId().c_str());
    std::printf("version: %s\n", archive->VersionText());
    std::printf("files: %zu\n", archive->Nodes().size());
    std::printf("length: %llu\n", static_cast<unsigned long long>(archive->RealLength()));
    std::printf("checksum: %s\n", checksumOk ? "ok" : "mismatch");
    std::printf("access-code: %s\n", access);
    return 0;
}

int WriteOut(const std::string& bytes);

int Cat(const std::string& path, const std::string& name) {
    int status;
    auto archive = OpenChecked(path, &status);
    if (!archive) return status;
    const FileNode* node = FindNode(*archive, name);
    if (!node) return Fail(path, "holds no file named " + name);
    std::string bytes;
    if (!Content(*archive, *node, &bytes)) return kFailure;
    return WriteOut(bytes);
}

constexpr const char* kUnsafeName =
    "an absolute name, a drive letter or a '..' part would land outside the folder it is extracted to";

// The parts of an archive name as directories and a file name; empty when the name is
// absolute, carries a drive letter or a ".." part, and so could land outside the target.
std::vector<std::string> SafeParts(const std::string& name) {
    std::vector<std::string> parts;
    if (name.empty() || name[0] == '\\' || name[0] == '/') return {};
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '\\' && name[i] != '/') continue;
        std::string part = name.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == ".") continue;
        if (part == ".." || part.find(':') != std::string::npos) return {};
        parts.push_back(part);
    }
    return parts;
}

// Writes files under a root folder without following a symbolic link anywhere below it.
// Folders checked or made once are remembered for the rest of the run.
class TreeWriter {
public:
    explicit TreeWriter(fs::path root) : root_(std::move(root)) {}
#ifndef _WIN32
    ~TreeWriter() { CloseFolders(); }
#endif
    TreeWriter(const TreeWriter&) = delete;
    TreeWriter& operator=(const TreeWriter&) = delete;

    bool Write(const std::vector<std::string>& parts, const char* bytes, size_t size, bool force,
               std::string* problem) {
#ifdef _WIN32
        fs::path dir = root_;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            dir /= parts[i];
            if (known_.count(dir.string())) continue;
            std::error_code ec;
            fs::file_status st = fs::symlink_status(dir, ec);
            if (fs::is_symlink(st)) {
                *problem = "refusing to follow the symbolic link " + dir.string();
                return false;
            }
            if (!fs::exists(st)) {
                fs::create_directory(dir, ec);
                if (ec) {
                    *problem = "cannot create " + dir.string() + ": " + ec.message();
                    return false;
                }
            } else if (!fs::is_directory(st)) {
                *problem = dir.string() + " exists and is not a directory";
                return false;
            }
            known_.insert(dir.string());
        }
        fs::path file = dir / parts.back();
        std::error_code ec;
        if (!force && fs::exists(file, ec)) {
            *problem = file.string() + " exists (use --force to overwrite)";
            return false;
        }
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes, static_cast<std::streamsize>(size));
        if (!out) {
            *problem = "cannot write " + file.string();
            return false;
        }
        return true;
#else
        const int folder = Folder(parts, parts.size() - 1, problem);
        if (folder < 0) return false;
        // The file is opened by its own name in its folder's handle: no path is walked again,
        // and a link put in its place is not followed.
        const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (force ? O_TRUNC : O_EXCL);
        const int fd = ::openat(folder, parts.back().c_str(), flags, 0644);
        if (fd < 0) {
            *problem = errno == EEXIST ? PathOf(parts, parts.size()) + " exists (use --force to overwrite)"
                                       : "cannot write " + PathOf(parts, parts.size()) + ": " + std::strerror(errno);
            return false;
        }
        while (size > 0) {
            const ssize_t n = ::write(fd, bytes, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                *problem = "cannot write " + PathOf(parts, parts.size()) + ": " + std::strerror(errno);
                ::close(fd);
                return false;
            }
            bytes += n;
            size -= static_cast<size_t>(n);
        }
        if (::close(fd) != 0) {
            *problem = "cannot write " + PathOf(parts, parts.size()) + ": " + std::strerror(errno);
            return false;
        }
        return true;
#endif
    }

private:
#ifdef _WIN32
    std::set<std::string> known_;
#else
    // root / parts[0] / ... / parts[count - 1], as the messages name it.
    std::string PathOf(const std::vector<std::string>& parts, size_t count) const {
        fs::path path = root_;
        for (size_t i = 0; i < count; ++i) path /= parts[i];
        return path.string();
    }

    // An open handle on the folder root / parts[0..count), made where missing and checked to
    // be a real folder, not a link; -1 with the problem otherwise. Handles are kept for the
    // next files (a bounded number: past it they are all closed and opened again as needed).
    int Folder(const std::vector<std::string>& parts, size_t count, std::string* problem) {
        std::string key;
        for (size_t i = 0; i < count; ++i) (key += parts[i]) += '/';
        if (auto it = folders_.find(key); it != folders_.end()) return it->second;
        int parent;
        if (count == 0) {
            parent = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (parent < 0) {
                *problem = "cannot write " + root_.string() + ": " + std::strerror(errno);
                return -1;
            }
        } else {
            const int above = Folder(parts, count - 1, problem);
            if (above < 0) return -1;
            const char* name = parts[count - 1].c_str();
            if (::mkdirat(above, name, 0755) != 0 && errno != EEXIST) {
                *problem = "cannot create " + PathOf(parts, count) + ": " + std::strerror(errno);
                return -1;
            }
            parent = ::openat(above, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (parent < 0) {
                struct stat st;
                const bool link = ::fstatat(above, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
                const int error = errno;
                *problem = link ? "refusing to follow the symbolic link " + PathOf(parts, count)
                           : error == ENOTDIR ? PathOf(parts, count) + " exists and is not a directory"
                                              : "cannot create " + PathOf(parts, count) + ": " + std::strerror(error);
                return -1;
            }
        }
        // Past the bound every kept handle is closed: the callers up the chain are done with
        // theirs, the one made here is kept, and the others are opened again when needed.
        if (folders_.size() >= kMaxOpenFolders) CloseFolders();
        folders_.emplace(std::move(key), parent);
        return parent;
    }

    void CloseFolders() {
        for (const auto& [key, fd] : folders_) ::close(fd);
        folders_.clear();
    }

    static constexpr size_t kMaxOpenFolders = 256;
    std::unordered_map<std::string, int> folders_;  // "a/b/" -> handle of root/a/b
#endif
    fs::path root_;
};

int Extract(const std::string& path, const std::string& target, const std::vector<std::string>& patterns,
            bool force) {
    int status;
    auto archive = OpenChecked(path, &status);
    if (!archive) return status;
    std::error_code ec;
    fs::create_directories(target, ec);
    if (!fs::is_directory(target)) {
        return Fail(target, "cannot create the target directory: " + (ec ? ec.message() : NotAFolder(target)));
    }

    std::vector<const FileNode*> chosen;
    for (const FileNode& node : archive->Nodes()) {
        bool wanted = patterns.empty() ||
                      std::any_of(patterns.begin(), patterns.end(),
                                  [&](const std::string& p) { return ResourceNameMatches(p.c_str(), node.name); });
        if (wanted) chosen.push_back(&node);
    }
    // Files that share stored bytes can make a small archive write without bound.
    uint64_t total = 0;
    for (const FileNode* node : chosen) total += node->Len;
    if (!force && total > kExtractLimit * archive->RealLength()) {
        return Fail(path, "would write " + std::to_string(total) + " bytes, more than " + std::to_string(kExtractLimit) +
                              " times the archive's " + std::to_string(archive->RealLength()) +
                              " (its files share stored bytes); nothing written, use --force to extract anyway");
    }
    Progress progress("extracting", chosen.size());
    TreeWriter writer(target);
    ResourceContent content;
    int result = 0;
    for (size_t i = 0; i < chosen.size(); ++i) {
        const FileNode& node = *chosen[i];
        std::vector<std::string> parts = SafeParts(node.name);
        std::string problem;
        if (parts.empty()) {
            result = Fail(path, std::string("refusing the unsafe name ") + node.name);
        } else {
            if (!archive->ReadWhole(node, content, &problem)) {
                result = Fail(path, std::string("cannot read ") + node.name + ": " + problem);
            } else if (!writer.Write(parts, content.data.get(), node.Len, force, &problem)) {
                result = Fail(path, problem);
            }
        }
        progress.Step(i + 1);
    }
    return result;
}

// One file to pack, as the folder walk found it.
struct PackSource {
    std::string path;     // as listed: the folder given, then the file's path in it
    std::string name;     // the entry name: the path inside the folder, with backslashes
    uint32_t size = 0;
    uint32_t hash = 0;    // HashName(name)
    int folder = -1;      // the open folder that holds it (POSIX), or -1 to open it by path
    uint32_t leaf = 0;    // where the file's own name starts in path
};

// Every regular file under dir (symbolic links to files count as files; links to folders are
// not followed), or a message naming what could not be listed or read.
class FolderWalk {
public:
    ~FolderWalk() {
#ifndef _WIN32
        for (DIR* d : folders_) ::closedir(d);
#endif
    }

    // The folder's handle for openat, as PackSource::folder names it.
    int Handle(int folder) const {
#ifndef _WIN32
        return ::dirfd(folders_[static_cast<size_t>(folder)]);
#else
        (void)folder;
        return -1;
#endif
    }

    bool List(const std::string& dir, std::vector<PackSource>& out, std::string& problemFile,
              std::string& problem) {
#ifdef _WIN32
        std::error_code ec;
        const size_t prefix = fs::path(dir).string().size();
        for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            const uintmax_t size = it->file_size(ec);
            PackSource source;
            source.path = it->path().string();
            if (ec) return Problem(source.path, "cannot read: " + ec.message(), problemFile, problem);
            if (size > UINT32_MAX) return Problem(source.path, "larger than an archive can hold", problemFile, problem);
            source.size = static_cast<uint32_t>(size);
            // The iterator's paths all start with dir and a separator; the rest is the name.
            source.name = source.path.substr(prefix);
            source.name.erase(0, source.name.find_first_not_of("/\\"));
            std::replace(source.name.begin(), source.name.end(), '/', '\\');
            out.push_back(std::move(source));
        }
        if (ec) return Problem(dir, "cannot list: " + ec.message(), problemFile, problem);
        return true;
#else
        // Folders still to list: the path to open and the entry-name prefix of their files.
        // Each listed folder stays open so that its files are opened by their own names
        // rather than by their whole paths, up to a bound on open handles.
        std::vector<std::pair<std::string, std::string>> pending = {{dir, ""}};
        while (!pending.empty()) {
            auto [path, prefix] = std::move(pending.back());
            pending.pop_back();
            DIR* d = ::opendir(path.c_str());
            if (!d) return Problem(path, std::string("cannot list: ") + std::strerror(errno), problemFile, problem);
            const int fd = ::dirfd(d);
            int folder = -1;
            if (folders_.size() < kMaxOpenFolders) {
                folder = static_cast<int>(folders_.size());
                folders_.push_back(d);
            }
            const std::string base = path.empty() || path.back() == '/' ? path : path + '/';
            int listError = 0;
            for (;;) {
                errno = 0;  // readdir tells its end from an error only by errno
                const dirent* e = ::readdir(d);
                if (!e) {
                    listError = errno;
                    break;
                }
                const char* leaf = e->d_name;
                if (std::strcmp(leaf, ".") == 0 || std::strcmp(leaf, "..") == 0) continue;
                unsigned char type = e->d_type;
                struct stat st;
                if (type == DT_UNKNOWN) {
                    if (::fstatat(fd, leaf, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
                    type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
                }
                if (type == DT_DIR) {
                    pending.push_back({base + leaf, prefix + leaf + '\\'});
                    continue;
                }
                if (type != DT_REG && type != DT_LNK) continue;
                PackSource source;
                source.path = base + leaf;
                if (::fstatat(fd, leaf, &st, 0) != 0) {
                    if (type == DT_LNK) continue;  // a link to nothing is no file
                    if (folder < 0) ::closedir(d);
                    return Problem(source.path, std::string("cannot read: ") + std::strerror(errno), problemFile, problem);
                }
                if (!S_ISREG(st.st_mode)) continue;
                if (static_cast<uintmax_t>(st.st_size) > UINT32_MAX) {
                    if (folder < 0) ::closedir(d);
                    return Problem(source.path, "larger than an archive can hold", problemFile, problem);
                }
                source.size = static_cast<uint32_t>(st.st_size);
                source.name = prefix + leaf;
                source.folder = folder;
                source.leaf = static_cast<uint32_t>(base.size());
                out.push_back(std::move(source));
            }
            if (folder < 0) ::closedir(d);
            if (listError != 0) return Problem(path, std::string("cannot list: ") + std::strerror(listError), problemFile, problem);
        }
        return true;
#endif
    }

private:
    static bool Problem(const std::string& file, const std::string& what, std::string& problemFile,
                        std::string& problem) {
        problemFile = file;
        problem = what;
        return false;
    }

#ifndef _WIN32
    static constexpr size_t kMaxOpenFolders = 256;
    std::vector<DIR*> folders_;
#endif
};

// Feeds the writer one file after another, as it asks for them: a file is opened when its
// first bytes are wanted and closed after its last, so one is open at a time and none is held
// in memory. The writer asks for each file's bytes in order, from the start.
class PackFeeder {
public:
    PackFeeder(const FolderWalk& walk, size_t files, size_t empty)
        : walk_(walk), progress_("packing", files), done_(empty) {}
    ~PackFeeder() { Close(); }

    bool Read(const PackSource& source, uint32_t offset, char* dest, uint32_t n) {
        if (offset == 0 || !IsOpen() || source_ != &source) {
            Close();
            source_ = &source;
            std::string reason;
            if (!Open(source, offset, &reason)) return Problem("cannot read: " + reason);
        }
        const long got = ReadFully(dest, n);
        if (got != static_cast<long>(n)) {
            return Problem(got < 0 ? std::string("cannot read: ") + std::strerror(errno)
                                   : std::string("shorter than when the folder was listed"));
        }
        if (offset + n == source.size) {
            Close();
            progress_.Step(++done_);
        }
        return true;
    }

private:
    bool Problem(const std::string& what) {
        Fail(source_->path, what);
        Close();
        return false;
    }

    // Plain unbuffered reads, straight into the writer's buffer.
#ifdef _WIN32
    bool IsOpen() const { return file_ != nullptr; }
    bool Open(const PackSource& source, uint32_t offset, std::string* reason) {
        file_ = OpenRegularStream(source.path.c_str(), reason);
        if (!file_) return false;
        std::setvbuf(file_, nullptr, _IONBF, 0);
        if (offset == 0 || _fseeki64(file_, offset, SEEK_SET) == 0) return true;
        *reason = std::strerror(errno);
        return false;
    }
    long ReadFully(char* dest, uint32_t n) {
        const size_t got = std::fread(dest, 1, n, file_);
        return got < n && std::ferror(file_) ? -1 : static_cast<long>(got);
    }
    void Close() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
    }
    std::FILE* file_ = nullptr;
#else
    bool IsOpen() const { return fd_ >= 0; }
    // Something put in a listed file's place that is not a regular file is refused, not read.
    bool Open(const PackSource& source, uint32_t offset, std::string* reason) {
        fd_ = source.folder >= 0 ? OpenRegularFileAt(walk_.Handle(source.folder), source.path.c_str() + source.leaf, reason)
                                 : OpenRegularFile(source.path.c_str(), reason);
        if (fd_ < 0) return false;
        if (offset == 0 || ::lseek(fd_, offset, SEEK_SET) == static_cast<off_t>(offset)) return true;
        *reason = std::strerror(errno);
        return false;
    }
    long ReadFully(char* dest, uint32_t n) {
        uint32_t got = 0;
        while (got < n) {
            const ssize_t r = ::read(fd_, dest + got, n - got);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return -1;
            if (r == 0) break;
            got += static_cast<uint32_t>(r);
        }
        return static_cast<long>(got);
    }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd_ = -1;
#endif

    const FolderWalk& walk_;
    Progress progress_;
    size_t done_;
    const PackSource* source_ = nullptr;  // the file open now
};

int Pack(const std::string& dir, const std::string& out, const std::string& id, const std::string& version,
         const std::string& code, bool sync) {
    std::error_code ec;
    if (std::string why = NotAFolder(dir); !why.empty()) return Fail(dir, "cannot pack: " + why);
    FolderWalk walk;
    std::vector<PackSource> files;
    std::string problemFile, problem;
    if (!walk.List(dir, files, problemFile, problem)) return Fail(problemFile, problem);

    // Only names that extract (and other tools) would write inside their target are stored:
    // a file name holding backslashes can make one that climbs out or starts at a root.
    for (const PackSource& f : files) {
        if (SafeParts(f.name).empty()) return Fail(f.path, "refusing to store the name " + f.name + ": " + kUnsafeName);
    }

    // The writer keeps its table in hash order and equal hashes in the order given: give it
    // the files in that order already, equal hashes by their listed paths, so the archive
    // does not depend on the order the folders list their files in, and the writer reads
    // its entries and the files one after the other.
    for (PackSource& f : files) f.hash = HashName(f.name);
    std::sort(files.begin(), files.end(), [](const PackSource& a, const PackSource& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.path < b.path;
    });

    size_t empty = 0;
    for (const PackSource& f : files) empty += f.size == 0;
    PackFeeder feeder(walk, files.size(), empty);
    std::vector<PackageEntry> entries(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        PackSource& f = files[i];
        PackageEntry& entry = entries[i];
        entry.path = std::move(f.name);  // the feeder needs only the listed path
        entry.hash = f.hash;
        entry.size = f.size;
        entry.read = [&feeder, &f](uint32_t offset, char* dest, uint32_t n) { return feeder.Read(f, offset, dest, n); };
    }
    QSResourcer writer;
    writer.SetSyncToDisk(sync);
    writer.Build(out, id.c_str(), version.c_str(), "", std::move(entries), code.c_str());
    return 0;
}

// What the reader lets pass but a careful writer never makes: files whose chunks do not cover
// them, hidden-block bit tops above 31, an ignore list's size without a count, a name stored
// twice.
std::vector<std::string> LayoutProblems(const QSStreamFile& archive) {
    std::vector<std::string> problems;
    const StreamHeader& h = archive.Header();
    for (const auto& [field, value] : {std::pair{"IdentityBitTop", h.IdentityBitTop}, std::pair{"CodeBitTop", h.CodeBitTop}}) {
        if (value > 31) problems.push_back(std::string(field) + " is " + std::to_string(value) + ", above 31");
    }
    if (h.FormatVersion > kFormatLongHeaderAbove && h.IgnoreCount == 0 && h.IgnoreSize != 0) {
        problems.push_back("IgnoreSize is " + std::to_string(h.IgnoreSize) + " while IgnoreCount is 0");
    }
    for (const FileNode& node : archive.Nodes()) {
        std::string problem;
        if (!archive.Covers(node, &problem)) problems.push_back(std::string(node.name) + ": " + problem);
    }
    std::vector<std::string> folded;
    for (const FileNode& node : archive.Nodes()) {
        std::string name = node.name;
        for (char& c : name) c = static_cast<char>(HashFoldByte(static_cast<unsigned char>(c)));
        folded.push_back(std::move(name));
    }
    std::sort(folded.begin(), folded.end());
    for (size_t i = 1; i < folded.size(); ++i) {
        if (folded[i] == folded[i - 1] && (i == 1 || folded[i] != folded[i - 2])) {
            size_t copies = 2;
            while (i + copies - 1 < folded.size() && folded[i + copies - 1] == folded[i]) ++copies;
            for (const FileNode& node : archive.Nodes()) {
                if (SameName(node.name, folded[i])) {
                    problems.push_back(std::string(node.name) + " is stored " + std::to_string(copies) + " times");
                    break;
                }
            }
        }
    }
    return problems;
}

int Verify(const std::string& path) {
    if (int status = CheckArchive(path)) return status;
    uint32_t stored, computed;
    if (!QSStreamFile::ChecksumMatches(path, &stored, &computed)) {
        char text[128];
        std::snprintf(text, sizeof text, "checksum mismatch: stored %08x, computed %08x", stored, computed);
        return Fail(path, text);
    }
    QSStreamFile archive(path);
    int result = 0;
    for (const FileNode& node : archive.Nodes()) {
        if (SafeParts(node.name).empty()) result = Fail(path, std::string("the name ") + node.name + " is unsafe: " + kUnsafeName);
    }
    for (const std::string& problem : archive.SharedBytes()) result = Fail(path, problem);
    for (const std::string& problem : LayoutProblems(archive)) result = Fail(path, problem);
    if (result) return result;
    for (const FileNode& node : archive.Nodes()) {
        if (node.HashId != HashName(node.name)) {
            char text[200];
            std::snprintf(text, sizeof text, "the stored hash %08x of %s is not its HashName %08x", node.HashId,
                          node.name, HashName(node.name));
            return Fail(path, text);
        }
    }
    std::printf("%s: ok\n", path.c_str());
    return 0;
}

int Resolve(const std::string& install, const std::string& mod, const std::vector<std::string>& names) {
    std::error_code ec;
    if (std::string why = NotAFolder(install); !why.empty()) return Fail(install, "no installation directory: " + why);
    if (!mod.empty()) {
        if (int status = CheckArchive(mod)) return status;
    }
    QSResourceMgr mgr;
    mgr.Init(install.c_str(), mod.empty() ? nullptr : mod.c_str());
    int result = 0;
    for (const std::string& name : names) {
        const QSResource* entry = mgr.FindEntry(name.c_str());
        if (!entry) {
            std::printf("not found\n");
            result = kFailure;
        } else {
            std::printf("%s\n", entry->directory ? "directory" : entry->archivePath);
        }
    }
    mgr.UnInit();
    return result;
}

int Ini(const std::string& path, const std::string& name, const std::vector<std::string>& where) {
    int status;
    auto archive = OpenChecked(path, &status);
    if (!archive) return status;
    const FileNode* node = FindNode(*archive, name);
    if (!node) return Fail(path, "holds no file named " + name);
    QSINIFile ini(node->name);
    std::string text;
    if (!Content(*archive, *node, &text)) return kFailure;
    ini.LoadText(text);
    auto printKeys = [&](const char* section) {
        for (const QSINIKey* k = ini.FirstKeyRecord(section); k; k = ini.NextKeyRecord(section)) {
            if (k->name) std::printf("%s=%s\n", k->name, k->value);
        }
    };
    if (where.size() == 2) {
        std::string value;
        if (!ini.GetINIString(where[0].c_str(), where[1].c_str(), "", value)) {
            return Fail(name, "has no key " + where[1] + " in section " + where[0]);
        }
        std::printf("%s\n", value.c_str());
    } else if (where.size() == 1) {
        bool exists = false;
        for (const char* s = ini.FirstSection(); s; s = ini.NextSection()) exists = exists || SameName(s, where[0]);
        if (!exists) return Fail(name, "has no section " + where[0]);
        printKeys(where[0].c_str());
    } else {
        for (const char* s = ini.FirstSection(); s; s = ini.NextSection()) {
            std::printf("[%s]\n", s);
            printKeys(s);
        }
    }
    return 0;
}

// One line per file: the editor's verdict on it as a sample, then the header fields it read, if
// it read them ("FILE: wrong format, 2 channels, 44100 Hz, 16 bits", "FILE: too large"). Exit
// 0 when every file is accepted, 1 otherwise.
int Wav(const std::vector<std::string>& files) {
    int result = 0;
    for (const std::string& file : files) {
        WavHeaderFields header;
        const WavCheck check = CheckWav(fs::path(file), &header);
        if (check != WavCheck::Accepted) result = kFailure;
        std::string line = Shown(file) + ": " + WavCheckName(check);
        if (check == WavCheck::Accepted || check == WavCheck::WrongFormat) {
            line += ", " + std::to_string(header.channels) + (header.channels == 1 ? " channel, " : " channels, ") +
                    std::to_string(header.sampleRate) + " Hz, " + std::to_string(header.bitsPerSample) + " bits";
        }
        std::printf("%s\n", line.c_str());
    }
    return std::fflush(stdout) == 0 ? result : Fail("standard output", std::strerror(errno));
}

// Writes bytes to standard output as they are (no line end translation).
int WriteOut(const std::string& bytes) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail("standard output", std::strerror(errno));
}

// Shows how far the opening of a project has come on a terminal, at most ten times a second.
class OpeningProgress {
public:
    OpeningProgress() : shown_(isatty(fileno(stderr)) != 0) {}
    ~OpeningProgress() {
        if (started_) std::fputc('\n', stderr);
    }
    void Report(const OpenProgress& p) {
        if (!shown_) return;
        auto now = std::chrono::steady_clock::now();
        double fraction = p.Fraction();
        if (fraction < 1.0 && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        started_ = true;
        std::fprintf(stderr, "\ropening %3d%%", static_cast<int>(fraction * 100));
        std::fflush(stderr);
    }

private:
    bool shown_;
    bool started_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// Checks what an opening reads before it starts: a missing or corrupt package is a message
// here rather than a fatal error halfway through.
int CheckInstallation(const std::string& install, const std::string& mod) {
    std::error_code ec;
    if (std::string why = NotAFolder(install); !why.empty()) return Fail(install, "no installation directory: " + why);
    // The game's archives are every *.qsw file in the folder; without one there is no game.
    size_t archives = 0;
    std::string unusable;
    for (fs::directory_iterator it(install, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() < 4 || !SameName(std::string_view(name).substr(name.size() - 4), ".qsw")) continue;
        std::error_code kind;
        const fs::file_status status = fs::status(it->path(), kind);
        if (!kind && fs::is_regular_file(status)) {
            ++archives;
        } else {
            unusable += "; " + name + (status.type() == fs::file_type::not_found ? " leads nowhere"
                                        : kind                                      ? ": " + kind.message()
                                        : fs::is_directory(status)                  ? " is a directory"
                                                                                    : " is not a regular file");
        }
    }
    if (ec) return Fail(install, "cannot read the installation directory: " + ec.message());
    if (archives == 0) return Fail(install, "holds no game archive (no regular *.qsw file)" + unusable);
    if (mod.empty()) return 0;
    return CheckArchive(mod);
}

struct TableKind {
    const char* name;
    int view;
};
constexpr TableKind kTableKinds[] = {{"units", kViewUnits},
                                     {"heroes", kViewHeroes},
                                     {"buildings", kViewBuildings},
                                     {"globals", kViewGlobal},
                                     {"components", kViewComponents}};

int Table(const std::string& install, const std::string& mod, const std::string& kind, const std::string& format) {
    if (int status = CheckInstallation(install, mod)) return status;
    int view = -1;
    for (const TableKind& k : kTableKinds) {
        if (kind == k.name) view = k.view;
    }
    ModProject project;
    OpeningProgress progress;
    project.SetProgressCallback([&](const OpenProgress& p) { progress.Report(p); });
    project.SetInstallationPaths(install, install);
    project.OpenProject(install, mod);
    const QSObjectList& records = project.Catalogue().Objects(view, false);
    return WriteOut(format == "json" ? ObjectTableJson(records) : ObjectTableCsv(records));
}

int History(const std::string& install, const std::string& mod) {
    if (int status = CheckInstallation(install, mod)) return status;
    ModProject project;
    OpeningProgress progress;
    project.SetProgressCallback([&](const OpenProgress& p) { progress.Report(p); });
    project.SetInstallationPaths(install, install);
    project.OpenMod(install, mod);
    return WriteOut(project.GlobalHistory());
}

const char* ViewName(int view);

// Opens the installation (and the package) as the editor does and checks what a save would
// write: one finding per line, or an array of objects. A protected package is checked as
// history reads it, without its code. Exit 1 when any finding is an error.
int Check(const std::string& install, const std::string& mod, const std::string& format) {
    if (int status = CheckInstallation(install, mod)) return status;
    ModProject project;
    OpeningProgress progress;
    project.SetProgressCallback([&](const OpenProgress& p) { progress.Report(p); });
    project.SetInstallationPaths(install, install);
    if (mod.empty()) {
        project.OpenProject(install, mod);
    } else {
        project.OpenMod(install, mod);
    }
    CheckOptions options;
    options.identity = !mod.empty();  // the game alone has no identity to save
    const std::vector<CheckFinding> findings = CheckMod(project, options);
    std::string out;
    if (format == "json") {
        out += '[';
        for (size_t i = 0; i < findings.size(); ++i) {
            const CheckFinding& f = findings[i];
            const std::string view = f.view == kIdentityView ? "mod" : ViewName(f.view);
            out += i ? ",\n{" : "\n{";
            const std::string severity = SeverityName(f.severity);
            const std::pair<const char*, const std::string*> members[] = {
                {"severity", &severity}, {"view", &view},     {"object", &f.object}, {"section", &f.section},
                {"key", &f.key},         {"value", &f.value}, {"reason", &f.reason}};
            for (size_t m = 0; m < std::size(members); ++m) {
                if (m) out += ',';
                AppendJsonString(out, members[m].first);
                out += ':';
                AppendJsonString(out, *members[m].second);
            }
            out += '}';
        }
        out += findings.empty() ? "]\n" : "\n]\n";
    } else {
        for (const CheckFinding& f : findings) out += FindingLine(f) + '\n';
    }
    if (int status = WriteOut(out)) return status;
    return HasErrors(findings) ? kFailure : 0;
}

const char* ViewName(int view) {
    for (const TableKind& k : kTableKinds) {
        if (view == k.view) return k.name;
    }
    return "";
}

// One JSON object per line of an array, its members in the order given.
void AppendJsonObject(std::string& out, bool& first, std::initializer_list<std::pair<const char*, std::string>> members) {
    out += first ? "\n{" : ",\n{";
    first = false;
    bool firstMember = true;
    for (const auto& [key, value] : members) {
        if (!firstMember) out += ',';
        firstMember = false;
        AppendJsonString(out, key);
        out += ':';
        AppendJsonString(out, value);
    }
    out += '}';
}

const char* KindName(ObjectDifference::Kind kind) {
    switch (kind) {
        case ObjectDifference::Kind::Added: return "added";
        case ObjectDifference::Kind::Removed: return "removed";
        case ObjectDifference::Kind::Changed: break;
    }
    return "changed";
}

// Compares two states of an installation's game data, each the game alone ("-") or the game
// with a package; with overlap, what both packages change relative to the game. As diff does,
// 0 means equal (no overlap), 1 different and 2 trouble.
int Diff(const std::string& install, const std::vector<std::string>& states, bool overlap, const std::string& format) {
    std::vector<std::string> packages;
    for (const std::string& state : states) packages.push_back(state == "-" ? std::string() : state);
    if (packages.size() == 1) packages.insert(packages.begin(), std::string());
    for (const std::string& package : packages) {
        if (CheckInstallation(install, package)) return kUsage;
    }
    OpeningProgress progress;
    const auto report = [&](const OpenProgress& p) { progress.Report(p); };
    std::string out;
    bool first = true, differs = false;
    if (overlap) {
        const std::vector<OverlapObject> found = FindInstallOverlap(install, packages[0], packages[1], report);
        differs = !found.empty();
        if (format == "json") {
            out = "[";
            for (const OverlapObject& o : found) {
                for (const OverlapField& f : o.fields) {
                    AppendJsonObject(out, first,
                                     {{"view", ViewName(o.view)}, {"object", o.object}, {"name", o.name},
                                      {"field", f.field}, {"game", f.game}, {"first", f.first}, {"second", f.second}});
                }
            }
        } else {
            out = OverlapText(found, fs::path(packages[0]).stem().string(), fs::path(packages[1]).stem().string());
        }
    } else {
        const std::vector<ComparisonLine> lines = CompareInstallStates(install, packages[0], packages[1], report);
        differs = !lines.empty();
        if (format == "json") {
            out = "[";
            for (const ComparisonLine& l : lines) {
                AppendJsonObject(out, first,
                                 {{"kind", KindName(l.kind)}, {"view", ViewName(l.view)}, {"object", l.object},
                                  {"name", l.name}, {"field", l.field}, {"from", l.from}, {"to", l.to}});
            }
        } else {
            out = ComparisonText(lines);
        }
    }
    if (format == "json") out += first ? "]\n" : "\n]\n";
    if (WriteOut(out) != 0) return kUsage;
    return differs ? 1 : 0;
}

// One edit of save, in the order the command line gives them.
struct SaveEdit {
    enum class Kind { Set, Csv, Clone } kind;
    std::string text;   // the --set or --clone text, or the --csv file
    std::string table;  // the --kind of a --csv
};

struct SaveRequest {
    std::string install, mod, name, id, code;
    std::optional<std::string> version, author, www, email, comments;
    std::vector<SaveEdit> edits;
    bool force = false;
};

int ViewOfKind(const std::string& kind) {
    for (const TableKind& k : kTableKinds) {
        if (kind == k.name) return k.view;
    }
    return -1;
}

// Whether the installation directory holds the expansion's archive (in any letter case).
bool HoldsExpansion(const std::string& install) {
    std::error_code ec;
    for (fs::directory_iterator it(install, ec), end; !ec && it != end; it.increment(ec)) {
        if (SameName(it->path().filename().string(), EditionArchiveName(GameEdition::Expansion))) return true;
    }
    return false;
}

// Opens the installation (and the package) as the editor does, makes the edits, runs the save
// checks and writes the package as the editor's Save Mod does, the build window's lines going
// to standard output. Nothing is written unless everything before the writer succeeded.
int Save(const SaveRequest& request) {
    if (int status = CheckInstallation(request.install, request.mod)) return status;
    // The tables are read first: a missing file is no reason to open the game.
    std::vector<std::string> tables;
    for (const SaveEdit& e : request.edits) {
        if (e.kind != SaveEdit::Kind::Csv) continue;
        std::error_code ec;
        if (fs::is_directory(e.text, ec)) return Fail(e.text, "cannot read: is a directory");
        std::ifstream in(e.text, std::ios::binary);
        if (!in) return Fail(e.text, std::string("cannot read: ") + std::strerror(errno));
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) return Fail(e.text, std::string("cannot read: ") + std::strerror(errno));
        tables.push_back(std::move(text));
    }

    ModProject project;
    OpenOutcome opened = OpenOutcome::Full;
    {
        OpeningProgress progress;
        project.SetProgressCallback([&](const OpenProgress& p) { progress.Report(p); });
        project.SetInstallationPaths(request.install, request.install);
        // A protected package is saved again only by whoever has its code, which it keeps.
        project.SetAccessCodePrompt([&](bool) { return std::optional<std::string>(request.code); });
        if (request.mod.empty()) {
            project.NewMod(HoldsExpansion(request.install) ? GameEdition::Expansion : GameEdition::Base);
        } else {
            opened = project.OpenMod(request.install, request.mod);
        }
    }
    if (opened == OpenOutcome::ReadOnly)
        return Fail(request.mod, "is read-only without its access code (--code); nothing saved");
    if (opened == OpenOutcome::End)
        return Fail(request.mod, request.code.empty() ? "is protected: its access code is needed (--code)"
                                                      : "the access code is wrong; nothing saved");
    ModIdentity identity = project.Identity();
    identity.accessCode = request.code;

    ScriptedEdits edits(project);
    size_t table = 0;
    for (const SaveEdit& e : request.edits) {
        std::string problem;
        switch (e.kind) {
            case SaveEdit::Kind::Set: problem = edits.Set(e.text); break;
            case SaveEdit::Kind::Clone: problem = edits.Clone(e.text); break;
            case SaveEdit::Kind::Csv: problem = edits.ApplyTable(tables[table++], ViewOfKind(e.table), e.text); break;
        }
        if (!problem.empty()) {
            std::fprintf(stderr, "brix-archive: %s\n", Shown(problem).c_str());
            return kFailure;
        }
    }

    // The checks of the editor's Save Mod; without --version the saved version is typed, so
    // that the version rule raises it one step.
    identity.twoCharacterId = request.id;
    const std::string typed = request.version.value_or(project.Identity().savedVersion);
    const SaveCheckResult check = CheckModForSave({request.name, request.id, typed, project.Identity().savedVersion});
    if (!check.passed) {
        std::fprintf(stderr, "brix-archive: %s\n", Shown(check.message).c_str());
        return kFailure;
    }
    identity.modName = request.name;
    identity.savedVersion = check.version;
    if (request.author) identity.author = *request.author;
    if (request.www) identity.authorWww = *request.www;
    if (request.email) identity.authorEmail = *request.email;
    if (request.comments) identity.comments = *request.comments;

    const fs::path package = project.PackagePathFor(request.name);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(package, ec)) && !request.force) {
        std::error_code same;
        if (request.mod.empty() || !fs::equivalent(package, request.mod, same)) {
            return Fail(package.string(), "exists; nothing saved (use --force to replace it)");
        }
    }

    std::printf("Building Mod\n");
    SetResourcerSink([](const std::string& line) { std::printf("%s\n", Shown(line).c_str()); });
    std::string failure;
    const bool saved = project.SaveMod(identity, package, &failure);
    SetResourcerSink({});
    if (std::fflush(stdout) != 0) return Fail("standard output", std::strerror(errno));
    if (!saved) return Fail(package.string(), failure);
    return 0;
}

[[noreturn]] void ExitWithFailure(int) { std::exit(kFailure); }

}  // namespace

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    DisableLog();
    SetFatalPresenter([](const std::string& line) {
        // The log line's "File.cpp(12): (FATL) : " prefix means nothing to a user here.
        size_t cut = line.find(" : ");
        std::string message = Shown(cut == std::string::npos ? line : line.substr(cut + 3), true);
        std::fprintf(stderr, "brix-archive: %s%s", message.c_str(),
                     message.empty() || message.back() != '\n' ? "\n" : "");
    });
    SetExitFunction(ExitWithFailure);

    CLI::App app{"Looks inside Dravik stream file archives (.qsw) and mod packages (.qsx), extracts and packs "
                 "them, verifies packages, resolves names across an installation, exports an installation's "
                 "objects or a mod's global history, saves a mod from scripted edits, and checks WAV samples.",
                 "brix-archive"};
    app.require_subcommand(1);
    std::string logFile;
    app.add_option("--log", logFile, "Write Brix's log to FILE");

    std::string archive, name, dir, out, id, version, code, install, mod, kind, format = "csv";
    std::vector<std::string> patterns, names, where;
    bool force = false;

    auto* list = app.add_subcommand("list", "One line per stored file: length, HashName (hex), name");
    list->add_option("ARCHIVE", archive)->required();
    auto* info = app.add_subcommand("info", "Header facts as key: value lines");
    info->add_option("ARCHIVE", archive)->required();
    auto* cat = app.add_subcommand("cat", "Write one stored file to standard output");
    cat->add_option("ARCHIVE", archive)->required();
    cat->add_option("NAME", name, "Name inside the archive (any letter case)")->required();
    auto* extract = app.add_subcommand("extract", "Write stored files under a directory");
    extract->add_option("ARCHIVE", archive)->required();
    extract->add_option("-C", dir, "Target directory")->required();
    extract->add_option("PATTERN", patterns, "Wildcard patterns (default: every file)");
    extract->add_flag("--force", force,
                      "Overwrite existing files, and write more than 4 times the archive's size (files sharing stored bytes)");
    auto* pack = app.add_subcommand("pack", "Pack every file under a directory into a new archive");
    pack->add_option("DIR", dir)->required();
    pack->add_option("-o", out, "Output archive")->required();
    pack->add_option("--id", id, "Two-character mod identifier")->required();
    pack->add_option("--version", version, "Version a.b(.c)(.d), each part 0-99")->required();
    pack->add_option("--code", code, "Access code of up to four characters");
    bool noSync = false;
    pack->add_flag("--no-sync", noSync,
                   "Do not wait for the archive to reach the disk (it still replaces OUT atomically)");
    auto* verify = app.add_subcommand("verify", "Check length, checksum, hidden blocks and tables");
    verify->add_option("ARCHIVE", archive)->required();
    auto* resolve = app.add_subcommand("resolve", "Which archive provides each name once mounted");
    resolve->add_option("INSTALL_DIR", install)->required();
    resolve->add_option("--mod", mod, "Mod package mounted last");
    resolve->add_option("NAME", names)->required();
    auto* ini = app.add_subcommand("ini", "How Brix reads an INI file of an archive");
    ini->add_option("ARCHIVE", archive)->required();
    ini->add_option("NAME", name)->required();
    ini->add_option("SECTION_KEY", where, "SECTION [KEY]")->expected(0, 2);
    auto* table = app.add_subcommand("table", "The working set of one kind of object as a table, one row per object");
    table->add_option("INSTALL_DIR", install)->required();
    table->add_option("--mod", mod, "Mod package opened over the game");
    std::vector<std::string> kindNames;
    for (const TableKind& k : kTableKinds) kindNames.push_back(k.name);
    table->add_option("--kind", kind, "Which objects")
        ->required()
        ->check(CLI::IsMember(kindNames));
    table->add_option("--format", format, "Output format (default: csv)")->check(CLI::IsMember({"csv", "json"}));
    auto* history = app.add_subcommand("history", "A mod's global history: what it adds and changes in the game");
    history->add_option("INSTALL_DIR", install)->required();
    history->add_option("--mod", mod, "Mod package")->required();
    std::string checkFormat = "text";
    auto* check = app.add_subcommand("check", "What a save of the game or a mod would write that the game cannot use: "
                                              "one finding per line, exit 1 with any error");
    check->add_option("INSTALL_DIR", install)->required();
    check->add_option("--mod", mod, "Mod package opened over the game");
    check->add_option("--format", checkFormat, "Output format (default: text)")->check(CLI::IsMember({"text", "json"}));
    std::vector<std::string> diffStates;
    bool diffOverlap = false;
    auto* diff = app.add_subcommand(
        "diff", "Compare two states of the game data object by object, each the game alone (-) or the game with a "
                "package; with one package, the game against it. Lines as the global history writes them, plus "
                "Removed; exit 0 when equal, 1 when different, 2 on trouble");
    diff->add_option("INSTALL_DIR", install)->required();
    diff->add_option("STATE", diffStates, "A [B]: a package, or - for the game alone")->required()->expected(1, 2);
    diff->add_flag("--overlap", diffOverlap,
                   "With two packages: the objects both change relative to the game, with each one's values");
    auto* diffFormat = diff->add_option("--format", format, "Output format (default: text)")
                           ->check(CLI::IsMember({"text", "json"}));
    std::vector<std::string> wavFiles;
    auto* wav = app.add_subcommand(
        "wav", "Check WAV files as the editor's Browse does: one line per file with the verdict (accepted, not "
               "found, too large, too small, wrong format) and, when the header was read, its channels, rate and bits");
    wav->add_option("FILE", wavFiles)->required();
    SaveRequest saveRequest;
    std::vector<std::string> sets, csvs, csvKinds, clones;
    auto* save = app.add_subcommand(
        "save",
        "Open an installation as the editor does (with --mod, that package; otherwise a new mod of the expansion "
        "when the directory holds Dravik_AT.qsw, else of the base game), make the edits in the order given, run "
        "the editor's save checks and write INSTALL_DIR/NAME.qsx as its Save Mod does. Standard output gets the "
        "build window's lines.");
    save->add_option("INSTALL_DIR", saveRequest.install)->required();
    save->add_option("--mod", saveRequest.mod, "Mod package opened over the game");
    save->add_option("--name", saveRequest.name, "Mod name: the package is INSTALL_DIR/NAME.qsx")->required();
    save->add_option("--id", saveRequest.id, "Two-character mod identifier")->required();
    save->add_option("--version", saveRequest.version,
                     "Mod version a.b(.c)(.d); by default the saved version raised by one step");
    save->add_option("--author", saveRequest.author, "Author (default: the package's)");
    save->add_option("--www", saveRequest.www, "Author's web site (default: the package's)");
    save->add_option("--email", saveRequest.email, "Author's email (default: the package's)");
    save->add_option("--comments", saveRequest.comments, "Author's comments (default: the package's)");
    save->add_option("--code", saveRequest.code,
                     "Access code of up to four characters; a protected package is saved only with its own");
    auto* setOption =
        save->add_option("--set", sets,
                         "OBJECT:SECTION/KEY=VALUE: a field as table names its column, a sound slot "
                         "(ObjectData/DeathSound1, Attack1/Sound2...: a game sample or a WAV file), "
                         "BuildHierarchy/COMPONENT=On|Off, or ElementBonus[1-3]/NAME and SupportBonus[1-3]/NAME "
                         "=VALUE|Off")
            ->allow_extra_args(false);
    auto* csvOption = save->add_option("--csv", csvs, "A table in table's CSV form: every changed cell is an edit")
                          ->allow_extra_args(false);
    save->add_option("--kind", csvKinds, "The kind of objects of the --csv before it")
        ->allow_extra_args(false)
        ->check(CLI::IsMember(kindNames));
    auto* cloneOption =
        save->add_option("--clone", clones, "OLD=NEW: clone a unit, hero or building under a new unique name")
            ->allow_extra_args(false);
    save->add_flag("--force", saveRequest.force,
                   "Replace an existing package at INSTALL_DIR/NAME.qsx (the --mod package is replaced anyway)");

    try {
        app.parse(argc, argv);
        if (pack->parsed()) {
            if (id.size() != 2) throw CLI::ValidationError("--id", "must be exactly two characters");
            if (!IsValidModVersion(version.c_str())) {
                throw CLI::ValidationError("--version", "must be 2 to 4 dot-separated parts of one or two digits");
            }
            if (code.size() > 4) throw CLI::ValidationError("--code", "holds at most four characters");
        }
        if (diff->parsed()) {
            if (diffFormat->count() == 0) format = "text";
            if (diffOverlap && (diffStates.size() != 2 || diffStates[0] == "-" || diffStates[1] == "-"))
                throw CLI::ValidationError("--overlap", "needs two packages");
        }
        if (save->parsed()) {
            if (saveRequest.code.size() > 4) throw CLI::ValidationError("--code", "holds at most four characters");
            if (csvs.size() != csvKinds.size()) throw CLI::ValidationError("--csv", "each --csv FILE needs its --kind KIND");
            // The edits in command-line order; the n-th --kind goes with the n-th --csv.
            size_t set = 0, csv = 0, clone = 0;
            for (const CLI::Option* option : save->parse_order()) {
                if (option == setOption) {
                    saveRequest.edits.push_back({SaveEdit::Kind::Set, sets[set++], {}});
                } else if (option == csvOption) {
                    saveRequest.edits.push_back({SaveEdit::Kind::Csv, csvs[csv], csvKinds[csv]});
                    ++csv;
                } else if (option == cloneOption) {
                    saveRequest.edits.push_back({SaveEdit::Kind::Clone, clones[clone++], {}});
                }
            }
        }
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsage;
    }

    if (!logFile.empty() && !OpenLog(logFile)) return Fail(logFile, std::string("cannot create the log: ") + std::strerror(errno));
    if (list->parsed()) return List(archive);
    if (info->parsed()) return Info(archive);
    if (cat->parsed()) return Cat(archive, name);
    if (extract->parsed()) return Extract(archive, dir, patterns, force);
    if (pack->parsed()) return Pack(dir, out, id, version, code, !noSync);
    if (verify->parsed()) return Verify(archive);
    if (resolve->parsed()) return Resolve(install, mod, names);
    if (ini->parsed()) return Ini(archive, name, where);
    if (table->parsed()) return Table(install, mod, kind, format);
    if (history->parsed()) return History(install, mod);
    if (check->parsed()) return Check(install, mod, checkFormat);
    if (diff->parsed()) return Diff(install, diffStates, diffOverlap, format);
    if (save->parsed()) return Save(saveRequest);
    if (wav->parsed()) return Wav(wavFiles);
    return kUsage;
}
