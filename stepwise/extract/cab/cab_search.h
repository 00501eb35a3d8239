// Finds cabinets embedded in other files (self-extracting programs, installers, firmware
// images). Every "MSCF" in the file is a candidate; a candidate counts only when its whole
// header, folder table and file table parse and fit in the file, the same checks a cabinet
// opened on its own gets. The search goes on after the end of each cabinet found, so a
// cabinet stored inside another is not reported twice.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cab/byte_io.h"

namespace cab {

struct EmbeddedCabinet {
    uint64_t offset = 0;  // where its header starts in the file
    uint32_t size = 0;    // cbCabinet
};

// Searches the first `size` bytes of `source`; at most `limit` cabinets are returned.
std::vector<EmbeddedCabinet> FindEmbeddedCabinets(ByteSource& source,
                                                  uint64_t size,
                                                  size_t limit = 4096);

// The bytes of `source` from `offset` on, seen as a source of their own (borrowed).
class SliceSource final : public ByteSource {
  public:
    SliceSource(ByteSource& source, uint64_t offset, uint64_t size)
        : source_(source), offset_(offset), size_(size) {}
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override;

  private:
    ByteSource& source_;
    uint64_t offset_;
    uint64_t size_;
};

// The size of a source in bytes, found by reading (-1 on a read error).
int64_t SourceSize(ByteSource& source);

}  // namespace cab
