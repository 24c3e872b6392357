// Archive fixtures: real archives from the project's writer, and hand-laid ones for the
// older format variants and for corrupt input.
#pragma once

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/HashName.h"
#include "resources/HiddenBlock.h"
#include "resources/QSResourcer.h"
#include "resources/QSStreamFile.h"
#include "resources/StreamFormat.h"
#include "support/TempDir.h"

struct TestFile {
    std::string name;
    std::string content;
    std::string info;
};

// The text of an INI file of the game: the lines, each ended by CR LF.
inline std::string IniText(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// Every stored file of an archive by name, with its bytes, read through the project's reader.
inline std::map<std::string, std::string> ArchiveContents(const std::filesystem::path& archive) {
    QSStreamFile file(archive.string());
    std::map<std::string, std::string> out;
    for (const FileNode& node : file.Nodes()) {
        ResourceContent content;
        const uint32_t n = file.ReadContent(node, content);
        out[node.name] = std::string(content.data ? content.data.get() : "", n);
    }
    return out;
}

// Writes files with the project's writer.
inline void WriteArchive(const std::filesystem::path& path, const std::vector<TestFile>& files,
                         const char* id = "BX", const char* version = "1.0.0.1",
                         const char* code = "") {
    std::vector<PackageEntry> entries;
    for (const TestFile& f : files) {
        PackageEntry e = PackageEntry::Of(f.name, f.content);
        e.info = f.info.empty() ? nullptr : f.info.data();
        e.infoLength = static_cast<uint32_t>(f.info.size());
        entries.push_back(e);
    }
    QSResourcer().Build(path, id, version, "Test Mod", std::move(entries), code);
}

// Lays out an archive by hand: one chunk and one packet per non-empty file, an optional
// ignore list, any format version and magic. The result is consistent unless the caller
// changes it afterwards.
struct RawArchive {
    uint32_t formatVersion = kFormatVersionWritten;
    uint32_t magic = kMagicCurrent;
    std::string modId = "RW";
    std::vector<TestFile> files;
    std::vector<std::string> ignore;

    uint32_t HeaderSize() const {
        return formatVersion > kFormatLongHeaderAbove ? kHeaderSize : kShortHeaderSize;
    }

    std::string Build() const {
        std::vector<FileNode> nodes(files.size());
        std::vector<FileChunk> chunks;
        std::vector<FilePacket> packets;
        std::string info, ignoreList;
        for (size_t i = 0; i < files.size(); ++i) {
            std::memcpy(nodes[i].name, files[i].name.data(), files[i].name.size());
            nodes[i].HashId = HashName(files[i].name);
            nodes[i].Len = static_cast<uint32_t>(files[i].content.size());
            nodes[i].ChkIdx = static_cast<uint32_t>(chunks.size());
            if (!files[i].content.empty()) {
                nodes[i].ChkCnt = 1;
                chunks.push_back({0, 0, nodes[i].Len, 1, static_cast<uint32_t>(packets.size())});
                packets.push_back({0, 0});
            }
            if (!files[i].info.empty()) {
                nodes[i].InfoOffset = static_cast<uint32_t>(info.size());
                nodes[i].InfoLength = static_cast<uint32_t>(files[i].info.size());
                info += files[i].info;
            }
        }
        for (const std::string& name : ignore) ignoreList += name + '\0';

        StreamHeader h{};
        h.FormatVersion = formatVersion;
        h.Magic = magic;
        h.ModVersion = 2030400;
        std::memcpy(h.ModId, modId.data(), std::min<size_t>(modId.size(), 4));
        uint32_t pos = HeaderSize();
        h.NodeOffset = pos, h.NodeCount = static_cast<uint32_t>(nodes.size());
        pos += static_cast<uint32_t>(nodes.size() * sizeof(FileNode));
        h.ChunkOffset = pos, h.ChunkCount = static_cast<uint32_t>(chunks.size());
        pos += static_cast<uint32_t>(chunks.size() * sizeof(FileChunk));
        h.PacketOffset = pos, h.PacketCount = static_cast<uint32_t>(packets.size());
        pos += static_cast<uint32_t>(packets.size() * sizeof(FilePacket));
        h.IgnoreOffset = pos, h.IgnoreSize = static_cast<uint32_t>(ignoreList.size());
        h.IgnoreCount = static_cast<uint32_t>(ignore.size());
        pos += h.IgnoreSize;
        h.InfoOffset = pos, h.InfoSize = static_cast<uint32_t>(info.size());
        pos += h.InfoSize;

        std::string data;
        uint32_t dataStart = static_cast<uint32_t>(RoundUpToPacket(pos));
        for (size_t i = 0, c = 0; i < files.size(); ++i) {
            if (files[i].content.empty()) continue;
            packets[c].PosStart = dataStart + static_cast<uint32_t>(data.size());
            packets[c].PosEnd = packets[c].PosStart + nodes[i].Len;
            data += files[i].content;
            data.resize(RoundUpToPacket(data.size()), '\0');
            ++c;
        }
        h.FileLength = dataStart + static_cast<uint32_t>(data.size());
        std::mt19937 random(7);
        HiddenBlock identity = EncodeHiddenBlock(kNoValue, 12345, random);
        HiddenBlock code = EncodeHiddenBlock(kNoValue, 999, random);
        std::memcpy(h.IdentityBlock, identity.words, 12), h.IdentityBitTop = identity.bitTop;
        std::memcpy(h.CodeBlock, code.words, 12), h.CodeBitTop = code.bitTop;

        std::string out(reinterpret_cast<const char*>(&h), HeaderSize());
        out.append(reinterpret_cast<const char*>(nodes.data()), nodes.size() * sizeof(FileNode));
        out.append(reinterpret_cast<const char*>(chunks.data()), chunks.size() * sizeof(FileChunk));
        out.append(reinterpret_cast<const char*>(packets.data()), packets.size() * sizeof(FilePacket));
        out += ignoreList;
        out += info;
        out.resize(dataStart, '\0');
        return out + data;
    }
};

// Little-endian field access on archive bytes.
inline uint32_t GetU32(const std::string& bytes, size_t offset) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}
inline void PutU32(std::string& bytes, size_t offset, uint32_t v) {
    std::memcpy(bytes.data() + offset, &v, 4);
}

// XOR of all 32-bit words, a final partial word padded with zeros.
inline uint32_t XorWords(const std::string& bytes) {
    uint32_t x = 0;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        uint32_t w = 0;
        std::memcpy(&w, bytes.data() + i, std::min<size_t>(4, bytes.size() - i));
        x ^= w;
    }
    return x;
}

// bytes with the Checksum field (0x10) set to what verify computes: for archives laid out or
// changed by hand that only the check under test should find fault with.
inline std::string Sealed(std::string bytes) {
    PutU32(bytes, 0x10, 0);
    PutU32(bytes, 0x10, XorWords(bytes));
    return bytes;
}
