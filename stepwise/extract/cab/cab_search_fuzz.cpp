#include "cab/cab_reader.h"
#include "cab/cab_search.h"

// Searches arbitrary bytes for embedded cabinets and reads every one found: each must open
// as a cabinet on its own, since the search validated it fully (the reader may still refuse
// its stored names, which are not the search's business).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cab::MemorySource source(data, size);
    for (const cab::EmbeddedCabinet& at : cab::FindEmbeddedCabinets(source, size, 16)) {
        if (at.offset + at.size > size)
            __builtin_trap();
        cab::CabinetReader reader;
        const cab::CabError e =
            reader.Open(std::make_unique<cab::SliceSource>(source, at.offset, at.size), "embedded");
        if (e && e.code != cab::CabErrc::UnsafeName)
            __builtin_trap();
        reader.Test();
    }
    return 0;
}
