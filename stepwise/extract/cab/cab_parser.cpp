#include "cab/cab_parser.h"

#include <algorithm>
#include <cstring>

namespace cab {
namespace {

// Buffered sequential reads over a ByteSource, bounded by the cabinet's declared size.
class Cursor {
  public:
    Cursor(ByteSource& source, uint64_t position, uint64_t limit)
        : source_(source), position_(position), limit_(limit) {}

    // Reads exactly `count` bytes or fails with a message naming `what`.
    CabError Read(void* out, size_t count, const char* what) {
        if (count == 0)
            return {};
        if (position_ + count > limit_)
            return MakeError(CabErrc::Corrupt,
                             std::string(what) + " lies past the cabinet's declared end");
        if (CabError e = Fill(count, what))
            return e;
        std::memcpy(out, buffer_.data() + (position_ - bufferStart_), count);
        position_ += count;
        return {};
    }

    // Reads a NUL-terminated name of at most kMaxNameLength bytes.
    CabError ReadName(std::string* name, const char* what) {
        name->clear();
        for (;;) {
            uint8_t c;
            if (CabError e = Read(&c, 1, what))
                return e;
            if (c == 0)
                return {};
            if (name->size() == kMaxNameLength)
                return MakeError(CabErrc::Corrupt, std::string(what) + " is longer than " +
                                                       std::to_string(kMaxNameLength) +
                                                       " bytes or not terminated");
            name->push_back(static_cast<char>(c));
        }
    }

    void Seek(uint64_t position) { position_ = position; }
    uint64_t position() const { return position_; }

  private:
    static constexpr size_t kChunk = 4096;

    CabError Fill(size_t count, const char* what) {
        if (position_ >= bufferStart_ && position_ + count <= bufferStart_ + buffer_.size())
            return {};
        buffer_.resize(std::max(count, kChunk));
        const int64_t got = source_.ReadAt(position_, buffer_.data(), buffer_.size());
        if (got < 0) {
            buffer_.clear();
            return MakeError(CabErrc::Io, std::string("read error in ") + what);
        }
        buffer_.resize(static_cast<size_t>(got));
        bufferStart_ = position_;
        if (buffer_.size() < count)
            return MakeError(CabErrc::Corrupt, std::string("cabinet is truncated in ") + what);
        return {};
    }

    ByteSource& source_;
    uint64_t position_;
    uint64_t limit_;
    std::vector<uint8_t> buffer_;
    uint64_t bufferStart_ = 0;
};

CabError Corrupt(const std::string& message) {
    return MakeError(CabErrc::Corrupt, message);
}

CabError ParseHeader(Cursor& in, Cabinet* cab) {
    uint8_t h[kHeaderSize] = {};
    if (CabError e = in.Read(h, kHeaderSize, "cabinet header")) {
        if (e.code == CabErrc::Io)
            return e;
        return MakeError(CabErrc::NotACabinet, "too short to be a cabinet");
    }
    if (std::memcmp(h, kSignature, 4) != 0)
        return MakeError(CabErrc::NotACabinet, "no \"MSCF\" signature: not a cabinet");
    cab->size = ReadU32(h + kHeaderCabinetSize);
    cab->versionMinor = h[kHeaderVersionMinor];
    cab->versionMajor = h[kHeaderVersionMajor];
    cab->flags = ReadU16(h + kHeaderFlags);
    cab->setId = ReadU16(h + kHeaderSetId);
    cab->index = ReadU16(h + kHeaderCabinetIndex);
    if (cab->versionMajor != kVersionMajor)
        return MakeError(CabErrc::UnsupportedVersion,
                         "cabinet version " + std::to_string(cab->versionMajor) + "." +
                             std::to_string(cab->versionMinor) + " is not supported (1.3 is)");
    if (cab->size < kHeaderSize || cab->size > kMaxCabinetSize)
        return Corrupt("cabinet size field " + std::to_string(cab->size) + " is impossible");
    return {};
}

CabError ParseOptionalHeader(Cursor& in, Cabinet* cab) {
    if (cab->flags & kFlagReservePresent) {
        uint8_t r[kHeaderReserveSizes] = {};
        if (CabError e = in.Read(r, sizeof r, "reserve sizes"))
            return e;
        const uint16_t headerReserve = ReadU16(r);
        if (headerReserve > kMaxHeaderReserve)
            return Corrupt("header reserve of " + std::to_string(headerReserve) +
                           " bytes exceeds the format's 60000");
        cab->folderReserveSize = r[2];
        cab->dataReserveSize = r[3];
        cab->headerReserve.resize(headerReserve);
        if (CabError e = in.Read(cab->headerReserve.data(), headerReserve, "header reserve"))
            return e;
    }
    if (cab->flags & kFlagPrevCabinet) {
        if (CabError e = in.ReadName(&cab->prevCabinet, "previous cabinet name"))
            return e;
        if (CabError e = in.ReadName(&cab->prevDisk, "previous disk name"))
            return e;
    }
    if (cab->flags & kFlagNextCabinet) {
        if (CabError e = in.ReadName(&cab->nextCabinet, "next cabinet name"))
            return e;
        if (CabError e = in.ReadName(&cab->nextDisk, "next disk name"))
            return e;
        if (cab->nextCabinet.empty())
            return Corrupt("the header promises a next cabinet but names none");
    }
    return {};
}

CabError ParseFolders(Cursor& in, Cabinet* cab, uint16_t count) {
    cab->folders.resize(count);
    for (uint16_t i = 0; i < count; ++i) {
        uint8_t f[kFolderSize] = {};
        if (CabError e = in.Read(f, kFolderSize, "folder table"))
            return e;
        in.Seek(in.position() + cab->folderReserveSize);
        CabFolder& folder = cab->folders[i];
        folder.dataOffset = ReadU32(f + kFolderDataOffset);
        folder.blockCount = ReadU16(f + kFolderBlockCount);
        folder.compression = ReadU16(f + kFolderCompression);
        if (folder.dataOffset >= cab->size && folder.blockCount > 0)
            return Corrupt("folder " + std::to_string(i) + "'s data starts past the cabinet's end");
    }
    return {};
}

CabError CheckFile(const Cabinet& cab, const CabFile& file, size_t index) {
    const std::string which = "file " + std::to_string(index) + " (\"" + file.name + "\")";
    if (file.name.empty())
        return Corrupt(which + " has an empty name");
    const uint16_t f = file.folderIndex;
    if (f >= kFolderContinuedFromPrev) {
        if (file.ContinuedFromPrev() && !cab.HasPrev())
            return Corrupt(which + " continues from a previous cabinet the header does not name");
        if (file.ContinuedToNext() && !cab.HasNext())
            return Corrupt(which + " continues into a next cabinet the header does not name");
    } else if (f >= cab.folders.size()) {
        return Corrupt(which + " refers to folder " + std::to_string(f) + " of " +
                       std::to_string(cab.folders.size()));
    }
    const uint64_t end = uint64_t{file.folderOffset} + file.size;
    if (end > kMaxFolderUncompressed)
        return Corrupt(which + " ends at byte " + std::to_string(end) +
                       ", past the largest possible folder");
    // A folder that does not span cabinets cannot hold more than its blocks' 32 KB each.
    const CabFolder& folder = cab.folders[cab.FolderOf(file)];
    const bool spans = (cab.FolderOf(file) == 0 && cab.FirstFolderContinued()) ||
                       (cab.FolderOf(file) + 1 == static_cast<int>(cab.folders.size()) &&
                        cab.LastFolderContinues());
    if (!spans && end > uint64_t{folder.blockCount} * kMaxDataUncompressed)
        return Corrupt(which + " ends at byte " + std::to_string(end) +
                       ", past the end of folder " + std::to_string(cab.FolderOf(file)) + " (" +
                       std::to_string(folder.blockCount) + " blocks)");
    return {};
}

CabError ParseFiles(Cursor& in, Cabinet* cab, uint32_t filesOffset, uint16_t count) {
    in.Seek(filesOffset);
    cab->files.resize(count);
    for (uint16_t i = 0; i < count; ++i) {
        uint8_t f[kFileSize] = {};
        if (CabError e = in.Read(f, kFileSize, "file table"))
            return e;
        CabFile& file = cab->files[i];
        file.size = ReadU32(f + kFileLength);
        file.folderOffset = ReadU32(f + kFileFolderOffset);
        file.folderIndex = ReadU16(f + kFileFolderIndex);
        file.date = ReadU16(f + kFileDate);
        file.time = ReadU16(f + kFileTime);
        file.attributes = ReadU16(f + kFileAttributes);
        if (CabError e = in.ReadName(&file.name, "file name"))
            return e;
    }
    for (size_t i = 0; i < cab->files.size(); ++i) {
        if (CabError e = CheckFile(*cab, cab->files[i], i))
            return e;
    }
    return {};
}

CabError Parse(ByteSource& source, Cabinet* cab, bool tables);

}  // namespace

int Cabinet::FolderOf(const CabFile& file) const {
    switch (file.folderIndex) {
        case kFolderContinuedFromPrev:
        case kFolderContinuedPrevAndNext:
            return 0;
        case kFolderContinuedToNext:
            return static_cast<int>(folders.size()) - 1;
        default:
            return file.folderIndex;
    }
}

bool Cabinet::LastFolderContinues() const {
    for (const CabFile& f : files) {
        if (f.ContinuedToNext())
            return true;
    }
    return false;
}

bool Cabinet::FirstFolderContinued() const {
    for (const CabFile& f : files) {
        if (f.ContinuedFromPrev())
            return true;
    }
    return false;
}

bool JoinsFolders(const Cabinet& prev, const Cabinet& next) {
    return prev.LastFolderContinues() || next.FirstFolderContinued();
}

ChainFileRole RoleInChain(const Cabinet& cab, size_t position, const CabFile& file) {
    if (position > 0)
        return file.ContinuedFromPrev() ? ChainFileRole::ListedEarlier : ChainFileRole::Extract;
    if (cab.FolderOf(file) == 0 && cab.FirstFolderContinued())
        return ChainFileRole::NeedsEarlierCabinet;
    return ChainFileRole::Extract;
}

CabError ParseCabinet(ByteSource& source, Cabinet* cab) {
    return Parse(source, cab, true);
}

CabError ParseCabinetHeader(ByteSource& source, Cabinet* cab) {
    return Parse(source, cab, false);
}

namespace {

CabError Parse(ByteSource& source, Cabinet* cab, bool tables) {
    *cab = Cabinet{};
    Cursor in(source, 0, kHeaderSize);
    if (CabError e = ParseHeader(in, cab))
        return e;
    uint8_t h[kHeaderSize] = {};
    Cursor header(source, 0, cab->size);
    if (CabError e = header.Read(h, kHeaderSize, "cabinet header"))
        return e;
    const uint16_t folderCount = ReadU16(h + kHeaderFolderCount);
    const uint16_t fileCount = ReadU16(h + kHeaderFileCount);
    const uint32_t filesOffset = ReadU32(h + kHeaderFilesOffset);
    if (folderCount == 0)
        return Corrupt("cabinet has no folders");
    if (fileCount == 0)
        return Corrupt("cabinet has no files");
    if (filesOffset < kHeaderSize || filesOffset >= cab->size)
        return Corrupt("file table offset " + std::to_string(filesOffset) +
                       " lies outside the cabinet");
    if (CabError e = ParseOptionalHeader(header, cab))
        return e;
    if (!tables)
        return {};
    if (CabError e = ParseFolders(header, cab, folderCount))
        return e;
    if (header.position() > filesOffset)
        return Corrupt("file table overlaps the folder table");
    return ParseFiles(header, cab, filesOffset, fileCount);
}

}  // namespace

bool IsNextInSet(const Cabinet& cabinet, const Cabinet& next) {
    return next.setId == cabinet.setId && next.index == cabinet.index + 1 && next.HasPrev();
}

uint32_t Checksum(const uint8_t* data, size_t size, uint32_t seed) {
    uint32_t sum = seed;
    size_t words = size / 4;
    for (; words > 0; --words, data += 4)
        sum ^= ReadU32(data);
    uint32_t tail = 0;
    switch (size & 3) {
        case 3:
            tail |= static_cast<uint32_t>(*data++) << 16;
            [[fallthrough]];
        case 2:
            tail |= static_cast<uint32_t>(*data++) << 8;
            [[fallthrough]];
        case 1:
            tail |= *data;
    }
    return sum ^ tail;
}

}  // namespace cab
