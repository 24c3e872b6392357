#include "GameArchive.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "core/HashName.h"
#include "resources/HiddenBlock.h"
#include "resources/StreamFormat.h"

namespace {

template <typename T>
void Append(std::string& out, const std::vector<T>& records) {
    out.append(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(T));
}

}  // namespace

std::string LayOutGameArchive(std::vector<ArchiveFile> files, const std::vector<std::string>& ignore,
                              const char* id, const char* version, std::mt19937& random) {
    std::stable_sort(files.begin(), files.end(), [](const ArchiveFile& a, const ArchiveFile& b) {
        return HashName(a.name) < HashName(b.name);
    });

    std::vector<FileNode> nodes(files.size());
    std::vector<FileChunk> chunks;
    std::vector<FilePacket> packets;
    std::vector<std::pair<size_t, uint32_t>> plan;  // file, offset of the chunk in it
    for (size_t i = 0; i < files.size(); ++i) {
        FileNode& node = nodes[i];
        std::memcpy(node.name, files[i].name.data(), std::min<size_t>(files[i].name.size(), kNameField - 1));
        node.HashId = HashName(files[i].name);
        node.Len = static_cast<uint32_t>(files[i].data.size());
        node.ChkIdx = static_cast<uint32_t>(chunks.size());
        for (uint32_t start = 0; start < node.Len; start += kMaxChunk) {
            const uint32_t size = std::min(kMaxChunk, node.Len - start);
            chunks.push_back({0, start, start + size, 1, static_cast<uint32_t>(packets.size())});
            packets.push_back({0, 0});
            plan.emplace_back(i, start);
            ++node.ChkCnt;
        }
    }
    std::string ignoreList;
    for (const std::string& name : ignore) {
        ignoreList += name;
        ignoreList += '\0';
    }

    StreamHeader h{};
    h.FormatVersion = kFormatVersionWritten;
    h.Magic = kMagicCurrent;
    h.ModVersion = PackVersion(version);
    std::strncpy(h.ModId, id, 2);
    uint32_t pos = kHeaderSize;
    h.NodeOffset = pos;
    h.NodeCount = static_cast<uint32_t>(nodes.size());
    pos += static_cast<uint32_t>(nodes.size() * sizeof(FileNode));
    h.ChunkOffset = pos;
    h.ChunkCount = static_cast<uint32_t>(chunks.size());
    pos += static_cast<uint32_t>(chunks.size() * sizeof(FileChunk));
    h.PacketOffset = pos;
    h.PacketCount = static_cast<uint32_t>(packets.size());
    pos += static_cast<uint32_t>(packets.size() * sizeof(FilePacket));
    h.IgnoreOffset = pos;
    h.IgnoreSize = static_cast<uint32_t>(ignoreList.size());
    h.IgnoreCount = static_cast<uint32_t>(ignore.size());
    pos += h.IgnoreSize;
    h.InfoOffset = pos;
    h.InfoSize = 0;
    const uint64_t dataStart = RoundUpToPacket(pos);
    uint64_t at = dataStart;
    for (size_t c = 0; c < plan.size(); ++c) {
        packets[c].PosStart = static_cast<uint32_t>(at);
        packets[c].PosEnd = static_cast<uint32_t>(at + (chunks[c].FileEnd - chunks[c].FileStart));
        at += RoundUpToPacket(chunks[c].FileEnd - chunks[c].FileStart);
    }
    h.FileLength = static_cast<uint32_t>(at);

    // The game's own archives carry no identity and no access code.
    HiddenBlock identity = EncodeHiddenBlock(kNoValue, static_cast<uint32_t>(random()), random);
    HiddenBlock code = EncodeHiddenBlock(kNoValue, static_cast<uint32_t>(random()), random);
    std::memcpy(h.IdentityBlock, identity.words, sizeof identity.words);
    h.IdentityBitTop = identity.bitTop;
    std::memcpy(h.CodeBlock, code.words, sizeof code.words);
    h.CodeBitTop = code.bitTop;

    std::string out;
    out.reserve(static_cast<size_t>(at));
    out.append(reinterpret_cast<const char*>(&h), sizeof h);
    Append(out, nodes);
    Append(out, chunks);
    Append(out, packets);
    out += ignoreList;
    out.resize(static_cast<size_t>(dataStart), '\0');
    for (size_t c = 0; c < plan.size(); ++c) {
        const std::string& data = files[plan[c].first].data;
        const uint32_t size = chunks[c].FileEnd - chunks[c].FileStart;
        out.append(data, plan[c].second, size);
        out.resize(static_cast<size_t>(RoundUpToPacket(out.size())), '\0');
    }

    // XOR of every 32-bit word, taken while the checksum field is 0; the length is a
    // multiple of 2048, so there is no partial word.
    uint32_t checksum = 0;
    for (size_t i = 0; i < out.size(); i += 4) {
        uint32_t w;
        std::memcpy(&w, out.data() + i, 4);
        checksum ^= w;
    }
    std::memcpy(out.data() + offsetof(StreamHeader, Checksum), &checksum, 4);
    return out;
}

bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::path temp = path;
    temp += ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (!ec) return true;
    std::filesystem::remove(temp, ec);
    return false;
}
