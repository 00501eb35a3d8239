// Parses one cabinet's header, folder table and file table from a byte source. Every
// field is bounds-checked against the cabinet's declared size and the named limits of
// cab_format.h; the data blocks are read later by FolderStream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cab/byte_io.h"
#include "cab/cab_error.h"
#include "cab/cab_format.h"

namespace cab {

struct CabFolder {
    uint32_t dataOffset = 0;   // coffCabStart: the folder's first CFDATA
    uint16_t blockCount = 0;   // cCFData
    uint16_t compression = 0;  // typeCompress
};

struct CabFile {
    std::string name;
    uint32_t size = 0;
    uint32_t folderOffset = 0;
    uint16_t folderIndex = 0;  // iFolder as stored, markers included
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attributes = 0;

    bool ContinuedFromPrev() const {
        return folderIndex == kFolderContinuedFromPrev ||
               folderIndex == kFolderContinuedPrevAndNext;
    }
    bool ContinuedToNext() const {
        return folderIndex == kFolderContinuedToNext || folderIndex == kFolderContinuedPrevAndNext;
    }
};

struct Cabinet {
    uint32_t size = 0;
    uint16_t setId = 0;
    uint16_t index = 0;
    uint16_t flags = 0;
    uint8_t versionMinor = 0;
    uint8_t versionMajor = 0;
    uint8_t folderReserveSize = 0;
    uint8_t dataReserveSize = 0;
    std::vector<uint8_t> headerReserve;
    std::string prevCabinet, prevDisk, nextCabinet, nextDisk;
    std::vector<CabFolder> folders;
    std::vector<CabFile> files;

    bool HasPrev() const { return (flags & kFlagPrevCabinet) != 0; }
    bool HasNext() const { return (flags & kFlagNextCabinet) != 0; }
    // The index into `folders` a file's data lives in: the first folder for files continued
    // from the previous cabinet, the last for those continued to the next.
    int FolderOf(const CabFile& file) const;
    // The last folder goes on in the next cabinet (a file says so).
    bool LastFolderContinues() const;
    // The first folder began in the previous cabinet (a file says so).
    bool FirstFolderContinued() const;
};

CabError ParseCabinet(ByteSource& source, Cabinet* cabinet);

// Reads only the header with its reserve and cabinet names (no folder or file table), the
// quick check of whether a file is a cabinet at all.
CabError ParseCabinetHeader(ByteSource& source, Cabinet* cabinet);

// True when `next` is the cabinet that follows `cabinet` in its set.
bool IsNextInSet(const Cabinet& cabinet, const Cabinet& next);

// The rules of a chain, shared by the reader and the FDI layer.
// True when `next`'s first folder goes on with `prev`'s last one, so the two are one folder:
// a file of either cabinet says so.
bool JoinsFolders(const Cabinet& prev, const Cabinet& next);

enum class ChainFileRole {
    Extract,        // decoded from the cabinet that lists it
    ListedEarlier,  // continued from a cabinet already read, which listed it first
    // Its folder began in a cabinet before the first one read: its offsets count from
    // there, so it cannot be decoded (the FDI layer reports it as a partial file).
    NeedsEarlierCabinet,
};
// The role of `file` in `cab`, the cabinet at `position` in the chain as read (0: the
// first cabinet opened).
ChainFileRole RoleInChain(const Cabinet& cab, size_t position, const CabFile& file);

}  // namespace cab
