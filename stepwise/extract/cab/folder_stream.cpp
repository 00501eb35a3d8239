#include "cab/folder_stream.h"

#include "cab/mszip_ahead.h"
#include "codec/lzx_decoder.h"
#include "codec/mszip_decoder.h"
#include "codec/quantum_decoder.h"

namespace cab {
namespace {

CabError Corrupt(const std::string& message) {
    return MakeError(CabErrc::Corrupt, message);
}

}  // namespace

std::string MethodName(uint16_t compression) {
    const int window = (compression & kWindowBitsMask) >> kWindowBitsShift;
    switch (compression & kMethodMask) {
        case kMethodNone:
            return "none";
        case kMethodMszip:
            return "MSZIP";
        case kMethodQuantum:
            return "Quantum:" +
                   std::to_string((compression & kQuantumLevelMask) >> kQuantumLevelShift) + ":" +
                   std::to_string(window);
        case kMethodLzx:
            return "LZX:" + std::to_string(window);
        default:
            return "method " + std::to_string(compression & kMethodMask);
    }
}

CabError MakeDecoder(uint16_t compression, std::unique_ptr<codec::BlockDecoder>* decoder) {
    const int window = (compression & kWindowBitsMask) >> kWindowBitsShift;
    switch (compression & kMethodMask) {
        case kMethodNone:
            *decoder = std::make_unique<codec::StoredDecoder>();
            return {};
        case kMethodMszip:
            *decoder = std::make_unique<codec::MszipDecoder>();
            return {};
        case kMethodQuantum: {
            const int level = (compression & kQuantumLevelMask) >> kQuantumLevelShift;
            if (window < codec::kQuantumMinWindowBits || window > codec::kQuantumMaxWindowBits ||
                level < codec::kQuantumMinLevel || level > codec::kQuantumMaxLevel)
                break;
            *decoder = std::make_unique<codec::QuantumDecoder>(window);
            return {};
        }
        case kMethodLzx:
            if (window < codec::kLzxMinWindowBits || window > codec::kLzxMaxWindowBits)
                break;
            *decoder = std::make_unique<codec::LzxDecoder>(window);
            return {};
        default:
            break;
    }
    return MakeError(CabErrc::UnsupportedMethod,
                     "compression " + MethodName(compression) + " is not supported");
}

FolderStream::FolderStream(Segment first, NextSegment next)
    : segment_(first), next_(std::move(next)) {
    const CabFolder& folder = segment_.cabinet->folders[segment_.folder];
    compression_ = folder.compression;
    blockOffset_ = folder.dataOffset;
    error_ = MakeDecoder(compression_, &decoder_);
    if (error_.ok()) {
        // Both buffers take a whole compressed block: stored blocks trade places (below).
        input_.resize(kMaxDataCompressed);
        output_.resize(kMaxDataCompressed);
    }
}

FolderStream::~FolderStream() = default;

void FolderStream::DecodeAhead(uint32_t runBlocks, bool patient) {
    if (error_.ok() && (compression_ & kMethodMask) == kMethodMszip && !ahead_ && decoded_ == 0)
        ahead_ =
            std::make_unique<MszipAhead>(segment_.source, segment_.cabinet, segment_.folder,
                                         static_cast<codec::MszipDecoder*>(decoder_.get()),
                                         runBlocks ? runBlocks : MszipAhead::kRunBlocks, patient);
}

CabError FolderStream::Fail(CabError error) {
    if (error_.ok())
        error_ = std::move(error);
    return error_;
}

template <class Take>
CabError FolderStream::Consume(uint64_t size, Take take) {
    while (size > 0) {
        if (error_)
            return error_;
        if (outputPos_ == outputSize_) {
            if (CabError e = DecodeNextBlock())
                return e;
            continue;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, outputSize_ - outputPos_));
        take(outputData_ + outputPos_, n);
        outputPos_ += n;
        position_ += n;
        size -= n;
    }
    return error_;
}

CabError FolderStream::Read(uint8_t* out, size_t size) {
    return Consume(size, [&out](const uint8_t* data, size_t n) {
        if (out) {
            std::copy_n(data, n, out);
            out += n;
        }
    });
}

CabError FolderStream::ReadTo(ByteSink* sink, uint64_t size, bool* sinkOk) {
    return Consume(size, [sink, sinkOk](const uint8_t* data, size_t n) {
        if (*sinkOk && sink)
            *sinkOk = sink->Write(data, n);
    });
}

CabError FolderStream::Skip(uint64_t size) {
    return Consume(size, [](const uint8_t*, size_t) {});
}

CabError FolderStream::ReadInto(uint8_t* out, size_t size, size_t* delivered) {
    *delivered = 0;
    while (size > 0) {
        if (error_)
            return error_;
        if (outputPos_ == outputSize_) {
            size_t direct = 0;
            if (CabError e = DecodeNextBlock(out, size, &direct))
                return e;
            out += direct;
            size -= direct;
            position_ += direct;
            *delivered += direct;
            continue;
        }
        const size_t n = std::min(size, outputSize_ - outputPos_);
        std::copy_n(outputData_ + outputPos_, n, out);
        out += n;
        size -= n;
        outputPos_ += n;
        position_ += n;
        *delivered += n;
    }
    return error_;
}

CabError FolderStream::AdvanceSegment() {
    // The helper knows only the first cabinet's blocks; it stops before that cabinet may close.
    ahead_.reset();
    Segment next;
    if (CabError e = next_ ? next_(&next)
                           : MakeError(CabErrc::MissingCabinet,
                                       "the folder continues in the next cabinet, which was "
                                       "not opened"))
        return e;
    if (!next.cabinet || next.folder != 0 || next.cabinet->folders.empty())
        return MakeError(CabErrc::WrongCabinet, "the next cabinet does not continue the folder");
    const CabFolder& folder = next.cabinet->folders[0];
    if (folder.compression != compression_)
        return MakeError(CabErrc::WrongCabinet, "the folder continues with compression " +
                                                    MethodName(folder.compression) +
                                                    " instead of " + MethodName(compression_));
    segment_ = next;
    blockIndex_ = 0;
    blockOffset_ = folder.dataOffset;
    return {};
}

// Reads the segment's next CFDATA into `data` (at most `room` bytes); `header` receives
// its fixed part and reserve.
CabError FolderStream::ReadBlock(uint8_t* header, uint8_t* data, size_t room, size_t* size) {
    const Cabinet& cab = *segment_.cabinet;
    const size_t headerSize = kDataSize + cab.dataReserveSize;
    const uint64_t end = uint64_t{cab.size};
    const std::string where = "data block " + std::to_string(blockIndex_) + " of folder " +
                              std::to_string(segment_.folder);
    if (blockOffset_ + headerSize > end)
        return Corrupt(where + " lies past the cabinet's end");
    int64_t got = segment_.source->ReadAt(blockOffset_, header, headerSize);
    if (got < 0)
        return MakeError(CabErrc::Io, "read error in " + where);
    if (static_cast<size_t>(got) != headerSize)
        return Corrupt("cabinet is truncated in " + where);
    const uint16_t compressed = ReadU16(header + kDataCompressedSize);
    if (compressed > room)
        return Corrupt(where + " holds " + std::to_string(compressed) +
                       " compressed bytes, more than the format allows");
    if (blockOffset_ + headerSize + compressed > end)
        return Corrupt(where + " runs past the cabinet's end");
    got = segment_.source->ReadAt(blockOffset_ + headerSize, data, compressed);
    if (got < 0)
        return MakeError(CabErrc::Io, "read error in " + where);
    if (got != compressed)
        return Corrupt("cabinet is truncated in " + where);

    const uint32_t stored = ReadU32(header + kDataChecksum);
    if (stored != 0) {
        const uint32_t dataSum = Checksum(data, compressed, 0);
        // Writers differ on whether the data reserve is covered; accept either.
        if (Checksum(header + kDataCompressedSize, 4, dataSum) != stored &&
            Checksum(header + kDataCompressedSize, 4 + cab.dataReserveSize, dataSum) != stored)
            return MakeError(CabErrc::Checksum, "checksum mismatch in " + where);
    }
    blockOffset_ += headerSize + compressed;
    ++blockIndex_;
    *size = compressed;
    return {};
}

CabError FolderStream::DecodeNextBlock(uint8_t* direct, size_t room, size_t* directSize) {
    if (error_)
        return error_;
    size_t chainSteps = 0;
    auto exhausted = [&] {
        return blockIndex_ >= segment_.cabinet->folders[segment_.folder].blockCount;
    };
    auto continues = [&] {
        const Cabinet& cab = *segment_.cabinet;
        return cab.HasNext() && segment_.folder + 1 == static_cast<int>(cab.folders.size());
    };
    while (exhausted()) {
        if (!continues() || !segment_.cabinet->LastFolderContinues())
            return Fail(Corrupt("a file extends past the end of folder " +
                                std::to_string(segment_.folder) + " (" + std::to_string(decoded_) +
                                " bytes)"));
        if (++chainSteps > kMaxChainLength)
            return Fail(Corrupt("folder continues through too many empty cabinets"));
        if (CabError e = AdvanceSegment())
            return Fail(e);
    }

    MszipAhead::Block ahead;
    if (ahead_ && ahead_->Take(blockIndex_, blockOffset_, decoded_, &ahead)) {
        if (decoded_ + ahead.size > kMaxFolderUncompressed)
            return Fail(Corrupt("folder grows past the largest possible folder size"));
        ++blockIndex_;
        blockOffset_ = ahead.nextOffset;
        decoded_ += ahead.size;
        outputPos_ = 0;
        if (direct && ahead.size <= room) {
            std::copy_n(ahead.data, ahead.size, direct);
            *directSize = ahead.size;
            outputSize_ = 0;
        } else {
            outputData_ = ahead.data;
            outputSize_ = ahead.size;
        }
        return {};
    }

    uint8_t header[kDataSize + 255];
    size_t compressed = 0;
    if (CabError e = ReadBlock(header, input_.data(), input_.size(), &compressed))
        return Fail(e);
    uint16_t uncompressed = ReadU16(header + kDataUncompressedSize);
    // A block split across cabinets: every piece but the last ends its cabinet's share of
    // the folder and declares no output; the next piece opens the next cabinet's first
    // folder. The pieces are bounded by the chain and by the room of one compressed block.
    while (uncompressed == 0) {
        if (!exhausted() || !continues())
            return Fail(Corrupt("data block " + std::to_string(blockIndex_ - 1) +
                                " declares no uncompressed bytes"));
        if (CabError e = AdvanceSegment())
            return Fail(e);
        if (exhausted())
            return Fail(Corrupt("the next cabinet holds no rest of a split data block"));
        size_t more = 0;
        if (CabError e =
                ReadBlock(header, input_.data() + compressed, input_.size() - compressed, &more))
            return Fail(e);
        compressed += more;
        uncompressed = ReadU16(header + kDataUncompressedSize);
    }
    if (uncompressed > kMaxDataUncompressed)
        return Fail(Corrupt("data block declares " + std::to_string(uncompressed) +
                            " uncompressed bytes, more than 32768"));
    if (decoded_ + uncompressed > kMaxFolderUncompressed)
        return Fail(Corrupt("folder grows past the largest possible folder size"));
    const bool toDirect = direct && uncompressed <= room;
    auto decodeFailed = [&] {
        return Fail(MakeError(CabErrc::DecodeFailed,
                              "data block " + std::to_string(blockIndex_ - 1) + " of folder " +
                                  std::to_string(segment_.folder) + ": " + decoder_->error()));
    };
    if ((compression_ & kMethodMask) == kMethodNone && compressed == uncompressed) {
        // A stored block already is its output: trade buffers instead of copying.
        if (toDirect)
            std::copy_n(input_.data(), uncompressed, direct);
        else
            input_.swap(output_);
        outputData_ = output_.data();
    } else if (toDirect) {
        if (!decoder_->DecodeBlock(input_.data(), compressed, direct, uncompressed))
            return decodeFailed();
    } else {
        // Handed out from wherever the decoder left the bytes, saving a copy.
        outputData_ =
            decoder_->DecodeBlockInPlace(input_.data(), compressed, output_.data(), uncompressed);
        if (!outputData_)
            return decodeFailed();
    }
    decoded_ += uncompressed;
    outputSize_ = toDirect ? 0 : uncompressed;
    outputPos_ = 0;
    if (toDirect)
        *directSize = uncompressed;
    return {};
}

}  // namespace cab
