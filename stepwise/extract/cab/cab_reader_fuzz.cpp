#include "cab/cab_reader.h"

// Parses arbitrary bytes as a cabinet and decodes every file. The resolver hands out the
// same bytes for any next cabinet, so chain handling runs too.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cab::CabinetReader reader;
    auto resolver = [data, size](const std::string&, const std::string&) {
        return std::make_unique<cab::MemorySource>(data, size);
    };
    if (reader.Open(std::make_unique<cab::MemorySource>(data, size), "fuzz.cab", resolver))
        return 0;
    reader.Test();
    if (!reader.Files().empty()) {
        cab::NullSink sink;
        reader.Extract(reader.Files().size() - 1, sink);
    }
    return 0;
}
