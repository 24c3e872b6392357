// The stream file layout shared by the reader and the writer.
//
//   0x000  header (116 bytes; 104 when FormatVersion <= 0x10004)
//          FileNode table   (104 bytes a record)
//          FileChunk table  (20 bytes a record)
//          FilePacket table (8 bytes a record)
//          ignore list, info blob
//          zero bytes up to a multiple of 2048
//   data   packets, each starting on a multiple of 2048 and zero-padded to the next one
//
// All integers are unsigned 32-bit little-endian; offsets are absolute. docs/
// stream-file-format.md describes the format for authors of other tools.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the archive tables are read and written as little-endian memory images");

inline constexpr uint32_t kFormatVersionWritten = 0x1000F;
inline constexpr uint32_t kFormatLongHeaderAbove = 0x10004;  // 116-byte header above this
inline constexpr uint32_t kFormatModIdFrom = 0x1000A;        // ModId is read from this on
inline constexpr uint32_t kFormatWideInfoFrom = 0x1000C;     // 32-bit info length from this on
inline constexpr uint32_t kMagicCurrent = 0xFA7E843F;
inline constexpr uint32_t kMagicOld = 0xFA7E8432;

inline constexpr uint32_t kHeaderSize = 116;
inline constexpr uint32_t kShortHeaderSize = 104;
inline constexpr uint32_t kPacketAlign = 2048;
inline constexpr uint32_t kMaxChunk = 5000000;
inline constexpr uint32_t kNameField = 80;  // names hold at most 79 characters
inline constexpr uint32_t kReservedRecord = 36;
inline constexpr uint32_t kReservedRecord2 = 4836;

struct StreamHeader {
    uint32_t FormatVersion;    // 0x00
    uint32_t IdentityBitTop;   // 0x04
    uint32_t Magic;            // 0x08
    uint32_t ModVersion;       // 0x0C
    uint32_t Checksum;         // 0x10
    uint32_t FileLength;       // 0x14
    uint32_t IdentityBlock[3]; // 0x18
    char ModId[4];             // 0x24
    uint32_t ReservedCount;    // 0x28
    uint32_t CodeBlock[3];     // 0x2C
    uint32_t Unused38;         // 0x38
    uint32_t NodeOffset;       // 0x3C
    uint32_t NodeCount;        // 0x40
    uint32_t ChunkOffset;      // 0x44
    uint32_t ChunkCount;       // 0x48
    uint32_t PacketOffset;     // 0x4C
    uint32_t PacketCount;      // 0x50
    uint32_t ReservedOffset2;  // 0x54
    uint32_t CodeBitTop;       // 0x58
    uint32_t ReservedCount2;   // 0x5C
    uint32_t InfoOffset;       // 0x60
    uint32_t InfoSize;         // 0x64
    uint32_t IgnoreOffset;     // 0x68
    uint32_t IgnoreSize;       // 0x6C
    uint32_t IgnoreCount;      // 0x70
};
static_assert(sizeof(StreamHeader) == kHeaderSize);
static_assert(offsetof(StreamHeader, ModId) == 0x24);
static_assert(offsetof(StreamHeader, CodeBlock) == 0x2C);
static_assert(offsetof(StreamHeader, InfoSize) == 0x64);

struct FileNode {
    char name[kNameField];  // zero-terminated, zero-padded
    uint32_t HashId;
    uint32_t Len;
    uint32_t ChkCnt;
    uint32_t ChkIdx;
    uint32_t InfoOffset;  // inside the info blob
    uint32_t InfoLength;
};
static_assert(sizeof(FileNode) == 104);

struct FileChunk {
    uint32_t Flag;       // 0: stored as it is
    uint32_t FileStart;  // where the chunk's bytes belong in the file's content
    uint32_t FileEnd;
    uint32_t PktCnt;
    uint32_t PktIdx;
};
static_assert(sizeof(FileChunk) == 20);

struct FilePacket {
    uint32_t PosStart;  // absolute offsets in the archive
    uint32_t PosEnd;
};
static_assert(sizeof(FilePacket) == 8);

inline constexpr uint64_t RoundUpToPacket(uint64_t n) {
    return (n + kPacketAlign - 1) / kPacketAlign * kPacketAlign;
}

// "a.b.c.d" packed as a*1000000 + b*10000 + c*100 + d; missing parts are 0.
uint32_t PackVersion(const char* text);
// 2 to 4 parts of one or two digits separated by single dots, at most 11 characters.
bool IsValidModVersion(const char* text);
// "%d.%d.%d.%d", or "%d.%d.%d" when the last part is 0.
void FormatVersionText(uint32_t modVersion, char* out, size_t size);
