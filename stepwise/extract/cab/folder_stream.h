// Reads a folder's uncompressed bytes in order: walks its CFDATA blocks (reserve areas,
// checksums, blocks split across any number of cabinets), hands them to the folder's codec, and
// moves to the next cabinet of the chain when the folder goes on there.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "cab/byte_io.h"
#include "cab/cab_error.h"
#include "cab/cab_parser.h"
#include "cab/folder_pass.h"
#include "codec/block_decoder.h"

namespace cab {

// Makes the codec for a folder's typeCompress; UnsupportedMethod names the method when it
// is unknown or its parameters are out of range.
CabError MakeDecoder(uint16_t compression, std::unique_ptr<codec::BlockDecoder>* decoder);

// "none", "MSZIP", "Quantum:LEVEL:WINDOW", "LZX:WINDOW" or "method N".
std::string MethodName(uint16_t compression);

class MszipAhead;

class FolderStream final : public FolderBytes {
  public:
    struct Segment {
        ByteSource* source = nullptr;  // borrowed: outlives the stream
        const Cabinet* cabinet = nullptr;
        int folder = 0;
    };
    // Supplies the part of the folder in the next cabinet (its first folder); fails with
    // MissingCabinet or WrongCabinet when it cannot.
    using NextSegment = std::function<CabError(Segment* next)>;

    FolderStream(Segment first, NextSegment next);
    ~FolderStream() override;

    // For an MSZIP folder, lets a helper thread decode later blocks of its first cabinet
    // ahead (mszip_ahead.h), in runs of `runBlocks` (0: the usual), `patient` or not; the
    // bytes and errors stay the same. Call before reading.
    void DecodeAhead(uint32_t runBlocks = 0, bool patient = false);

    // Reads exactly `size` bytes; reading past the folder's end is a Corrupt error.
    CabError Read(uint8_t* out, size_t size);
    // Reads exactly `size` bytes into `sink` straight from the decoded block. Once the sink
    // refuses a write it gets no more and `*sinkOk` turns false; decoding goes on, so the
    // result still says whether the data was sound.
    CabError ReadTo(ByteSink* sink, uint64_t size, bool* sinkOk) override;
    // Decodes and drops `size` bytes.
    CabError Skip(uint64_t size) override;
    // Reads exactly `size` bytes into `out`, decoding every whole block that fits straight
    // into it instead of through the stream's own buffer. `*delivered` counts the bytes
    // written before an error.
    CabError ReadInto(uint8_t* out, size_t size, size_t* delivered);
    uint64_t position() const override { return position_; }

  private:
    // Hands the next `size` bytes to take(data, n) in the pieces they were decoded in.
    template <class Take>
    CabError Consume(uint64_t size, Take take);
    // Decodes the next block into the stream's buffer, or into `direct` when it is not null
    // and the block fits in `room` bytes (`*directSize` then says how many it holds).
    CabError DecodeNextBlock(uint8_t* direct = nullptr,
                             size_t room = 0,
                             size_t* directSize = nullptr);
    CabError ReadBlock(uint8_t* header, uint8_t* data, size_t room, size_t* size);
    CabError AdvanceSegment();
    CabError Fail(CabError error);

    Segment segment_;
    NextSegment next_;
    uint16_t compression_ = 0;
    std::unique_ptr<codec::BlockDecoder> decoder_;
    uint32_t blockIndex_ = 0;   // within the current segment
    uint64_t blockOffset_ = 0;  // file position of the segment's next CFDATA
    std::vector<uint8_t> input_;
    std::vector<uint8_t> output_;
    // The decoded block being handed out: output_, or the decoder's own memory.
    const uint8_t* outputData_ = nullptr;
    size_t outputSize_ = 0;
    size_t outputPos_ = 0;
    uint64_t position_ = 0;  // uncompressed bytes handed out so far
    uint64_t decoded_ = 0;   // uncompressed bytes decoded so far
    CabError error_;         // sticky
    std::unique_ptr<MszipAhead> ahead_;
};

}  // namespace cab
