// Constants of the Microsoft cabinet format (version 1.3): field offsets and sizes of the
// fixed parts of CFHEADER, CFFOLDER, CFFILE and CFDATA, header flags, file markers and the
// compression field. The parser reads fields through these offsets with little-endian
// helpers; nothing is overlaid on raw bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cab {

// CFHEADER
constexpr uint8_t kSignature[4] = {'M', 'S', 'C', 'F'};
constexpr size_t kHeaderSize = 36;  // fixed part, up to and including iCabinet
constexpr size_t kHeaderSignature = 0;
constexpr size_t kHeaderCabinetSize = 8;    // u32 cbCabinet
constexpr size_t kHeaderFilesOffset = 16;   // u32 coffFiles
constexpr size_t kHeaderVersionMinor = 24;  // u8
constexpr size_t kHeaderVersionMajor = 25;  // u8
constexpr size_t kHeaderFolderCount = 26;   // u16 cFolders
constexpr size_t kHeaderFileCount = 28;     // u16 cFiles
constexpr size_t kHeaderFlags = 30;         // u16
constexpr size_t kHeaderSetId = 32;         // u16
constexpr size_t kHeaderCabinetIndex = 34;  // u16 iCabinet
constexpr size_t kHeaderReserveSizes = 4;   // u16 cbCFHeader, u8 cbCFFolder, u8 cbCFData

constexpr uint8_t kVersionMajor = 1;
constexpr uint8_t kVersionMinor = 3;

constexpr uint16_t kFlagPrevCabinet = 0x0001;
constexpr uint16_t kFlagNextCabinet = 0x0002;
constexpr uint16_t kFlagReservePresent = 0x0004;

// CFFOLDER
constexpr size_t kFolderSize = 8;         // fixed part
constexpr size_t kFolderDataOffset = 0;   // u32 coffCabStart
constexpr size_t kFolderBlockCount = 4;   // u16 cCFData
constexpr size_t kFolderCompression = 6;  // u16 typeCompress

// CFFILE
constexpr size_t kFileSize = 16;         // fixed part, followed by the name
constexpr size_t kFileLength = 0;        // u32 cbFile
constexpr size_t kFileFolderOffset = 4;  // u32 uoffFolderStart
constexpr size_t kFileFolderIndex = 8;   // u16 iFolder
constexpr size_t kFileDate = 10;         // u16
constexpr size_t kFileTime = 12;         // u16
constexpr size_t kFileAttributes = 14;   // u16

// iFolder values that mark files split across cabinets.
constexpr uint16_t kFolderContinuedFromPrev = 0xFFFD;
constexpr uint16_t kFolderContinuedToNext = 0xFFFE;
constexpr uint16_t kFolderContinuedPrevAndNext = 0xFFFF;

// CFDATA
constexpr size_t kDataSize = 8;              // fixed part
constexpr size_t kDataChecksum = 0;          // u32 csum (0: none stored)
constexpr size_t kDataCompressedSize = 4;    // u16 cbData
constexpr size_t kDataUncompressedSize = 6;  // u16 cbUncomp (0: continues in next cabinet)

// typeCompress
constexpr uint16_t kMethodMask = 0x000F;
constexpr uint16_t kMethodNone = 0;
constexpr uint16_t kMethodMszip = 1;
constexpr uint16_t kMethodQuantum = 2;
constexpr uint16_t kMethodLzx = 3;
constexpr uint16_t kQuantumLevelMask = 0x00F0;  // level in bits 4..7
constexpr int kQuantumLevelShift = 4;
constexpr uint16_t kWindowBitsMask = 0x1F00;  // LZX and Quantum window bits in 8..12
constexpr int kWindowBitsShift = 8;

// File attributes (see also fdi.h).
constexpr uint16_t kAttributeNameIsUtf8 = 0x80;

// Limits. Each guards an allocation or a loop against hostile input.
// Names are NUL-terminated and at most 255 bytes plus the terminator, as the format says.
constexpr size_t kMaxNameLength = 255;
// The header reserve is at most 60000 bytes by the format; folder and data reserves fit
// in their one-byte size fields.
constexpr size_t kMaxHeaderReserve = 60000;
// A cabinet's size field is 32 bits, but the format and every known tool stop at 2 GB.
constexpr uint32_t kMaxCabinetSize = 0x7FFFFFFF;
// A folder holds at most 0x7FFF8000 uncompressed bytes (65535 blocks of 32 KB, kept below
// 2 GB so offsets fit in signed 32-bit file positions).
constexpr uint32_t kMaxFolderUncompressed = 0x7FFF8000;
// Compressed data blocks: a 32 KB frame plus the worst expansion of any method.
constexpr size_t kMaxDataCompressed = 32768 + 6144;
constexpr size_t kMaxDataUncompressed = 32768;
// A chain of cabinets longer than this is treated as a loop of names.
constexpr size_t kMaxChainLength = 1024;

// Little-endian readers; callers check bounds first.
inline uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The CFDATA checksum: 32-bit little-endian words XORed together, the 1-3 trailing bytes
// packed high byte first. `seed` chains calls.
uint32_t Checksum(const uint8_t* data, size_t size, uint32_t seed);

}  // namespace cab
