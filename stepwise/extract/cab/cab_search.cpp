#include "cab/cab_search.h"

#include <algorithm>
#include <cstring>

#include "cab/cab_format.h"
#include "cab/cab_parser.h"

namespace cab {
namespace {

constexpr size_t kChunk = 64 * 1024;

// The whole header and both tables parse, and the cabinet fits in what is left of the file.
bool IsCabinetAt(ByteSource& source, uint64_t offset, uint64_t fileSize, uint32_t* cabSize) {
    uint8_t header[kHeaderSize];
    if (source.ReadAt(offset, header, sizeof header) != static_cast<int64_t>(sizeof header))
        return false;
    const uint32_t size = ReadU32(header + kHeaderCabinetSize);
    if (size < kHeaderSize || size > fileSize - offset)
        return false;
    SliceSource slice(source, offset, size);
    Cabinet cab;
    if (ParseCabinet(slice, &cab))
        return false;
    *cabSize = size;
    return true;
}

}  // namespace

int64_t SliceSource::ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (offset >= size_)
        return 0;
    count = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
    return source_.ReadAt(offset_ + offset, buffer, count);
}

int64_t SourceSize(ByteSource& source) {
    // Doubling probes, then a binary search for the last readable byte.
    uint8_t byte;
    uint64_t low = 0, high = 1;
    for (;;) {
        const int64_t got = source.ReadAt(high - 1, &byte, 1);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        low = high;
        if (high >= (uint64_t{1} << 62))
            return static_cast<int64_t>(high);
        high *= 2;
    }
    // `low` bytes are readable, `high` are not.
    while (high - low > 1) {
        const uint64_t mid = low + (high - low) / 2;
        const int64_t got = source.ReadAt(mid - 1, &byte, 1);
        if (got < 0)
            return -1;
        (got == 1 ? low : high) = mid;
    }
    return static_cast<int64_t>(low);
}

std::vector<EmbeddedCabinet> FindEmbeddedCabinets(ByteSource& source, uint64_t size, size_t limit) {
    std::vector<EmbeddedCabinet> found;
    std::vector<uint8_t> chunk(kChunk + sizeof kSignature);
    uint64_t at = 0;  // start of the chunk in the file
    while (at < size && found.size() < limit) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - at));
        const int64_t got = source.ReadAt(at, chunk.data(), want);
        if (got <= 0)
            break;
        const size_t n = static_cast<size_t>(got);
        uint64_t next = at + kChunk;  // chunks overlap by the signature's length
        for (size_t i = 0; i + sizeof kSignature <= n && i < kChunk; ++i) {
            if (std::memcmp(chunk.data() + i, kSignature, sizeof kSignature) != 0)
                continue;
            uint32_t cabSize = 0;
            if (!IsCabinetAt(source, at + i, size, &cabSize))
                continue;
            found.push_back({at + i, cabSize});
            next = at + i + cabSize;  // go on after this cabinet
            break;
        }
        if (n < want && next >= at + n)
            break;
        at = next;
    }
    return found;
}

}  // namespace cab
