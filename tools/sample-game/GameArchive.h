// GameArchive: lays out a game archive that carries an ignore list.
//
// The project's writer (QSResourcer) writes packages, which never hide anything; the
// expansion's Dravik_AT.qsw hides a base file through the ignore list of the stream file
// format. This lays such an archive out the way the writer lays out its own (header,
// FileNode, FileChunk and FilePacket tables, then the ignore list, padding to 2048 and the
// packets), with a correct checksum and consistent hidden blocks, so that the reader's
// checks pass. docs/stream-file-format.md describes the layout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

struct ArchiveFile {
    std::string name;  // with backslashes; at most 79 characters
    std::string data;
};

// The archive's bytes. id is the two-character identifier, version "a.b.c.d".
std::string LayOutGameArchive(std::vector<ArchiveFile> files, const std::vector<std::string>& ignore,
                              const char* id, const char* version, std::mt19937& random);

// Writes bytes to a temporary file beside path and renames it over path. False on failure.
bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);
