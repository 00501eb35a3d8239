// Decoder interface for Microsoft cabinets, shaped like the classic FDI calls so an
// installer can drive extraction through callbacks on integer file handles:
//   FdiCreate -> FdiIsCabinet -> FdiCopy (notifications) -> FdiDestroy.
// Portable: no Windows headers. Names and strings are bytes in the caller's code page.
#pragma once

#include <cstdint>

#include "cab/cab_format.h"

namespace cab {

// Error record filled by every call (sticky per call: the first error wins).
enum class FdiErrorCode : int {
    None = 0,
    CabinetNotFound = 1,  // open callback failed for a cabinet
    NotACabinet = 2,      // no "MSCF" signature or a header that cannot be read
    UnknownCabinetVersion = 3,
    CorruptCabinet = 4,  // a field is out of bounds, a checksum is wrong, a block is bad
    AllocFail = 5,
    BadCompressionType = 6,  // the folder's method is not one this decoder knows
    MdiFail = 7,             // the compressed data could not be decoded
    TargetFile = 8,          // a notification refused or failed to write a file
    ReserveMismatch = 9,
    WrongCabinet = 10,  // the next cabinet does not continue this chain
    UserAbort = 11,     // a notification returned -1
    UnsafeName = 12,    // a stored name would leave the extraction folder
};

struct FdiError {
    FdiErrorCode code = FdiErrorCode::None;
    bool failed = false;
    char message[256] = {};  // one clear sentence naming what went wrong
};

// Returned by FdiIsCabinet.
struct FdiCabinetInfo {
    int32_t cabinetSize = 0;
    uint16_t folderCount = 0;
    uint16_t fileCount = 0;
    uint16_t setId = 0;
    uint16_t cabinetIndex = 0;  // 0-based number of this cabinet in its set
    bool hasReserve = false;
    bool hasPrevious = false;
    bool hasNext = false;
};

enum class FdiNotificationType : int {
    CabinetInfo = 0,      // name1 = next cabinet, name2 = next disk, name3 = cabinet folder
    PartialFile = 1,      // name1 = a file that needs a cabinet before this one (it is
                          // continued from there, or its folder began there); name2, name3 =
                          // previous cabinet and disk; not extracted
    CopyFileRequest = 2,  // name1 = stored name, size = uncompressed size; return a handle,
                          // 0 to skip the file, -1 to abort
    CloseFileInfo = 3,    // handle, date, time, attributes of a file just written; return
                          // 1 (TRUE) to go on, 0 or -1 to abort
    NextCabinet = 4,      // name1 = next cabinet name, name2 = its disk name, name3 = the
                          // folder it is looked for in (the callback may rewrite name3);
                          // return 0 to retry the open, -1 to abort
    Enumerate = 5,        // before a cabinet's file table is walked and after its last
                          // file; return 0 to go on, -1 to abort
};

// Attribute bits as cabinets store them.
constexpr uint16_t kAttribReadOnly = 0x01;
constexpr uint16_t kAttribHidden = 0x02;
constexpr uint16_t kAttribSystem = 0x04;
constexpr uint16_t kAttribArchive = 0x20;
constexpr uint16_t kAttribExecute = 0x40;
// The UTF-8 name flag is kAttributeNameIsUtf8 of cab_format.h.

struct FdiNotification {
    int32_t size = 0;  // CopyFileRequest: uncompressed file size
    const char* name1 = nullptr;
    const char* name2 = nullptr;
    char* name3 = nullptr;  // NextCabinet: writable buffer of kFdiMaxPath bytes
    void* user = nullptr;   // the user pointer given to FdiCopy
    intptr_t handle = 0;    // CloseFileInfo: the handle CopyFileRequest returned
    uint16_t date = 0;      // DOS date
    uint16_t time = 0;      // DOS time
    uint16_t attributes = 0;
    uint16_t setId = 0;
    uint16_t cabinetIndex = 0;
    uint16_t folderIndex = 0;
    FdiErrorCode error = FdiErrorCode::None;  // NextCabinet: why it was asked for again
};

constexpr int kFdiMaxPath = 256;

// I/O callbacks, on integer handles like the C runtime's low-level file calls.
// open: flags and mode are the C runtime's _O_* / _S_* values (_O_RDONLY = 0,
// _O_WRONLY = 1, _O_RDWR = 2, _O_CREAT = 0x100, _O_TRUNC = 0x200, _O_BINARY = 0x8000);
// returns -1 on failure. read/write return the byte count or -1 (read returns 0 at end).
// seek uses SEEK_SET/SEEK_CUR/SEEK_END and returns the new position or -1.
using FdiAlloc = void* (*)(uint32_t size);
using FdiFree = void (*)(void* p);
using FdiOpen = intptr_t (*)(const char* path, int flags, int mode);
using FdiRead = uint32_t (*)(intptr_t handle, void* buffer, uint32_t count);
using FdiWrite = uint32_t (*)(intptr_t handle, const void* buffer, uint32_t count);
using FdiClose = int (*)(intptr_t handle);
using FdiSeek = int32_t (*)(intptr_t handle, int32_t offset, int origin);
using FdiNotify = intptr_t (*)(FdiNotificationType type, FdiNotification* notification);

constexpr int kCpuTypeI386 = 1;  // accepted and ignored: the decoder is portable

struct FdiContext;

// Returns nullptr and fills `error` when the context cannot be made.
FdiContext* FdiCreate(FdiAlloc alloc,
                      FdiFree free,
                      FdiOpen open,
                      FdiRead read,
                      FdiWrite write,
                      FdiClose close,
                      FdiSeek seek,
                      int cpuType,
                      FdiError* error);

// Reads the header at the handle's current position (the handle stays open).
bool FdiIsCabinet(FdiContext* context, intptr_t handle, FdiCabinetInfo* info);

// Extracts every file of `cabinetName` found in `cabinetFolder` (which ends in a
// separator or is empty), following the chain to next cabinets; `flags` must be 0.
// `decrypt` is reserved and must be nullptr.
//
// Notifications, in order, for each cabinet of the chain:
//   CabinetInfo; Enumerate; PartialFile for each file of its table that needs a cabinet
//   before the first one (only in the first cabinet); then folder by folder (in the order
//   the table first names them) each folder is decoded once and its files come in offset
//   order: CopyFileRequest when decoding reaches a file and, when it returned a handle,
//   the file's data through `write` and CloseFileInfo after its last byte (files that
//   share bytes have their handles open at once). Files continued from a cabinet this
//   call already read were extracted there and are passed over silently. Enumerate again
//   after the last file. When a file's data goes
//   on in the next cabinet (or the cabinet names a next one after its last file),
//   NextCabinet asks for it (again, with `error` set, while it cannot be opened or does
//   not continue the set), then CabinetInfo reports it.
// Every stored name of a cabinet is checked before the first CopyFileRequest of that cabinet: an
// unsafe name (see FdiDestinationPath) fails the call with UnsafeName. On any failure the
// handle of a file being written is closed through `close` and the call returns false.
bool FdiCopy(FdiContext* context,
             const char* cabinetName,
             const char* cabinetFolder,
             int flags,
             FdiNotify notify,
             void* decrypt,
             void* user);

bool FdiDestroy(FdiContext* context);

// How the installer opens a destination file: write-only, created when absent, truncated
// when present (so no stale tail of an older file survives), untranslated.
constexpr int kFdiDestinationOpenFlags = 0x0001 | 0x0100 | 0x0200 | 0x8000;
// _S_IREAD | _S_IWRITE
constexpr int kFdiDestinationOpenMode = 0x0100 | 0x0080;

// Forms the destination of a stored file: `folder` (with or without a trailing backslash)
// + the stored name, with '/' turned into '\'. Returns false and leaves `out` empty when
// the name would leave the folder (absolute path, drive letter, "..", alternate data
// stream, device name such as CON or LPT1.txt, malformed UTF-8 when `attributes` flag UTF-8)
// or the path does not fit in `outSize` bytes with its terminator.
bool FdiDestinationPath(const char* folder,
                        const char* storedName,
                        uint16_t attributes,
                        char* out,
                        uint32_t outSize);

// Threads FdiCopy decodes folders on (0: one per hardware thread; 1, the default: the
// calling thread only). With more, the folders that lie wholly in one cabinet decode at the
// same time, and `read` and `seek` are called from those threads (one call at a time per
// handle); every notification and every `open`, `write` and `close` still comes from the
// calling thread, in the order and with the outcome one thread gives.
void FdiSetDecodeThreads(FdiContext* context, unsigned threads);

// With more than one decode thread, lets a second thread decode later blocks of an MSZIP
// folder ahead while it is the only one decoding (mszip_ahead.h). Off by default.
void FdiSetDecodeAhead(FdiContext* context, bool on);

// The error record the context was created with, for callers that want the message.
const FdiError& FdiLastError(const FdiContext* context);

}  // namespace cab
