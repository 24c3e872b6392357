// QSResourcer: writes a stream file archive (a mod package) from a list of entries.
//
// The layout is computed in memory first, then the archive is written in one pass to a
// fresh temporary file beside the output (unnamed where the system allows, so that a killed
// build leaves nothing), with the XOR checksum taken as the bytes go out. Only a complete,
// flushed archive is renamed over the output: a failed build leaves an existing package
// untouched and no temporary file. Progress lines go to the log ("RSCR") and the build window.
// Build ends the program on a failure; TryBuild reports it and returns, for the editor, whose
// session must outlive a save that could not be made.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// One file handed to the writer. The data stays the caller's: either in memory (data) or
// read on demand (read), so that a large package never has to be held in memory whole.
struct PackageEntry {
    // Fills size bytes at dest with the entry's bytes from offset; false when they cannot be
    // had. Called for consecutive ranges, from offset 0 to the end, while the entry is written.
    using Reader = std::function<bool(uint32_t offset, char* dest, uint32_t size)>;

    std::string path;  // the name inside the archive, with backslashes; at most 79 characters
    const char* data = nullptr;
    uint32_t size = 0;
    uint32_t hash = 0;  // HashName(path)
    const void* info = nullptr;
    uint32_t infoLength = 0;
    Reader read;  // used when data is null and size is not 0

    // An entry for bytes that stay the caller's, with its size and hash filled in.
    static PackageEntry Of(std::string path, std::string_view bytes);
    // An entry of size bytes that read supplies while the archive is written.
    static PackageEntry Streamed(std::string path, uint32_t size, Reader read);
};

class QSResourcer {
public:
    // The random bits the header's hidden blocks carry come from the clock: no two packages
    // look alike even when their entries are the same.
    QSResourcer();
    // The same random bits from the same seed: builds of the same entries with writers of the
    // same seed are equal byte for byte (reproducible sample files, comparable packages).
    explicit QSResourcer(uint32_t seed);

    // Writes the archive at output with the two-character id, the version "a.b.c.d" and an
    // access code of up to four characters (empty: none). modName is accepted for the
    // build window's sake and not stored. Returns 1; every failure is fatal, with the text
    // TryBuild gives.
    int Build(const std::filesystem::path& output, const char* id, const char* version,
              const char* modName, std::vector<PackageEntry> entries, const char* accessCode);

    // Build that survives its failures: an output that cannot be written or replaced, a full
    // disk, a name too long, an entry that cannot be read, a package over 4 gigabytes. Then
    // the temporary is removed, an existing package at output is left as it was, the reason
    // goes to the progress lines (its line breaks made spaces) and to *failure (may be null),
    // and the result is false. On success *failure is emptied.
    bool TryBuild(const std::filesystem::path& output, const char* id, const char* version,
                  const char* modName, std::vector<PackageEntry> entries, const char* accessCode,
                  std::string* failure);

    // Names the next archives hide in every archive of an installation. Only game archives
    // carry such a list; packages never do, and a new writer has none.
    void SetIgnoreList(std::vector<std::string> names) { ignore_ = std::move(names); }
    // By default the archive and its rename reach the disk before Build returns. A script
    // that makes throw-away archives may skip that; the replacement stays atomic either way.
    void SetSyncToDisk(bool sync) { sync_ = sync; }
    // Where the file system allows it, the archive is written to an unnamed file that only a
    // complete build links into place (nothing is left when the process is killed). Tests
    // turn it off to try the named temporary that serves elsewhere.
    void SetUnnamedTemporary(bool unnamed) { unnamed_ = unnamed; }

private:
    std::mt19937 random_;  // the hidden blocks' filling only, so that a seed decides it alone
    std::mt19937 names_;   // temporary names, from the clock whatever the seed
    std::vector<std::string> ignore_;
    bool sync_ = true;
    bool unnamed_ = true;
};
