#include <map>
#include <string>
#include <vector>

#include "cab/cab_reader.h"

namespace {

// Keeps a hash of each file's bytes instead of the bytes.
class HashSink final : public cab::ByteSink {
  public:
    bool Write(const uint8_t* data, size_t size) override {
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ data[i]) * 0x100000001B3ull;
        return true;
    }
    uint64_t hash = 0xCBF29CE484222325ull;
};

// Every result and every file's bytes, as extracting on `threads` threads gives them.
std::vector<std::string> ExtractOn(cab::CabinetReader& reader, unsigned threads) {
    std::vector<std::string> log;
    std::map<const cab::FileEntry*, HashSink> sinks;
    reader.SetDecodeThreads(threads);
    const cab::CabError result = reader.ExtractAll(
        [&](const cab::FileEntry& f) -> cab::ByteSink* {
            log.push_back("open " + f.name);
            return &sinks[&f];
        },
        [&](const cab::FileEntry& f, const cab::CabError& e) {
            const auto it = sinks.find(&f);
            log.push_back("done " + f.name + " " + std::to_string(static_cast<int>(e.code)) + " " +
                          e.message + " " +
                          std::to_string(it == sinks.end() ? 0 : it->second.hash));
        });
    log.push_back("result " + std::to_string(static_cast<int>(result.code)) + " " + result.message);
    return log;
}

}  // namespace

// Parses arbitrary bytes as a cabinet and decodes every file. The resolver hands out the
// same bytes for any next cabinet, so chain handling runs too. Folders decoded on several
// threads must give exactly what one thread gives.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cab::CabinetReader reader;
    auto resolver = [data, size](const std::string&, const std::string&) {
        return std::make_unique<cab::MemorySource>(data, size);
    };
    if (reader.Open(std::make_unique<cab::MemorySource>(data, size), "fuzz.cab", resolver))
        return 0;
    if (reader.Folders().size() > 1 && ExtractOn(reader, 1) != ExtractOn(reader, 3))
        __builtin_trap();
    reader.SetDecodeThreads(1);
    reader.Test();
    if (!reader.Files().empty()) {
        cab::NullSink sink;
        reader.Extract(reader.Files().size() - 1, sink);
    }
    return 0;
}
