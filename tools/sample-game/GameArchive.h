// GameArchive: the files of a game archive, and writing a small file safely.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ArchiveFile {
    std::string name;  // with backslashes; at most 79 characters
    std::string data;
};

// Writes bytes to a temporary file beside path and renames it over path. False on failure.
bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);
