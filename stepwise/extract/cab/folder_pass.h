// Decodes one folder once, in offset order, and hands every requested file its byte range,
// overlapping ranges included: a file is opened when the decoder reaches its first byte and
// finished when it passes its last, so sinks are open at once only while their files
// overlap. Nothing is decoded past the last requested byte, and no block twice, however
// the file table orders or overlaps its entries.
//
// A pass owns nothing but its stream and its bookkeeping, so passes over different folders
// are independent of each other.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "cab/byte_io.h"
#include "cab/cab_error.h"

namespace cab {

// The bytes of one folder in order, from its start: a FolderStream decoding them, or a pipe
// fed by a decoder on another thread.
class FolderBytes {
  public:
    virtual ~FolderBytes() = default;
    // Reads exactly `size` bytes into `sink`; once the sink refuses a write it gets no more
    // and `*sinkOk` turns false, but the bytes are still read.
    virtual CabError ReadTo(ByteSink* sink, uint64_t size, bool* sinkOk) = 0;
    // Reads and drops `size` bytes.
    virtual CabError Skip(uint64_t size) = 0;
    virtual uint64_t position() const = 0;
};

struct PassFile {
    uint64_t offset = 0;  // first byte in the folder's uncompressed data
    uint64_t size = 0;
    size_t id = 0;  // the caller's handle for the file
};

// Returns the file's sink, or nullptr to skip the file; an error stops the pass.
using PassOpen = std::function<CabError(size_t id, ByteSink** sink)>;
// Called once per opened file with its result (WriteFailed when its sink refused bytes,
// the stream's error when decoding failed); an error returned stops the pass.
using PassDone = std::function<CabError(size_t id, const CabError& result)>;

// Runs the pass; files not yet reached when decoding fails are finished with that error
// without being opened. Returns the first error that stopped the pass.
CabError DecodeFolderOnce(FolderBytes& stream,
                          std::vector<PassFile> files,
                          const PassOpen& open,
                          const PassDone& done);

}  // namespace cab
