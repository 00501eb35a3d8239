// The stored docking record comes from the registry, which any program can write: decoding
// must take any bytes, and a decoded record must encode to a value that decodes the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "appbar/appbar_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto record = appbar::DecodeRecord({data, size});
    if (!record) {
        return 0;
    }
    const appbar::RecordBytes again = appbar::EncodeRecord(*record);
    const auto back = appbar::DecodeRecord(again);
    if (!back || !(*back == *record)) {
        std::abort();
    }
    return 0;
}
