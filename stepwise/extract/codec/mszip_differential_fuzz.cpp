// Holds the MSZIP decoder to zlib on arbitrary blocks: both must accept or refuse each block
// alike, and accepted blocks must decode to the same bytes; the inflater's 16-bit form, over
// the same history as elements, too. Input layout as codec_fuzz_input.h.
// Then decodes the blocks after the first 32 KB of output again without their history, as
// the helper thread does, and holds that to the decoder too: it refuses the same, and once
// the history is filled in its bytes are the same.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cab/mszip_marked_run.h"
#include "codec/codec_fuzz_input.h"
#include "codec/inflate.h"
#include "codec/mszip_decoder.h"
#include "codec/zlib_mszip_reference.h"

namespace {

void Die(const char* message) {
    std::fprintf(stderr, "%s\n", message);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cab::codec::MszipDecoder ours;
    cab::codec::ZlibMszipReference zlib;
    std::vector<uint8_t> mine(cab::codec::kMaxBlockOutput), theirs(cab::codec::kMaxBlockOutput);
    std::vector<cab::MarkedRunBlock> blocks;
    std::vector<uint8_t> decoded;  // everything accepted, in order
    cab::codec::Inflater wideInflater;
    std::vector<uint16_t> wide(cab::MszipMarkedRun::kHistorySize + cab::codec::kMaxBlockOutput +
                               cab::codec::Inflater::kOutputSlack);
    size_t markedFrom = 0;  // the first block with 32 KB of output before it
    bool refused = false;
    cab::codec::ForEachFuzzBlock(data, size, [&](const uint8_t* in, size_t inSize, size_t outSize) {
        if (markedFrom == 0 && decoded.size() >= cab::MszipMarkedRun::kHistorySize)
            markedFrom = blocks.size();
        blocks.push_back({in, inSize, outSize});
        const bool okOurs = ours.DecodeBlock(in, inSize, mine.data(), outSize);
        const bool okZlib = zlib.DecodeBlock(in, inSize, theirs.data(), outSize);
        if (okOurs != okZlib) {
            std::fprintf(stderr, "decoders disagree: ours %s (%s), zlib %s\n",
                         okOurs ? "accepts" : "refuses", ours.error().c_str(),
                         okZlib ? "accepts" : "refuses");
            std::abort();
        }
        if (okOurs && std::memcmp(mine.data(), theirs.data(), outSize) != 0)
            Die("decoders produce different bytes");
        if (inSize >= 2 && in[0] == 'C' && in[1] == 'K' && outSize <= cab::codec::kMaxBlockOutput) {
            const size_t history = std::min(decoded.size(), cab::MszipMarkedRun::kHistorySize);
            uint16_t* const at = wide.data() + cab::MszipMarkedRun::kHistorySize;
            for (size_t i = 0; i < history; ++i)
                (at - history)[i] = decoded[decoded.size() - history + i];
            size_t produced = 0;
            const bool okWide = wideInflater.Inflate(in + 2, inSize - 2, at - history, at, outSize,
                                                     &produced) == cab::codec::Inflater::Result::Ok;
            if (okWide != okOurs && inSize <= cab::codec::kMaxBlockInput)
                Die("the 16-bit inflater disagrees with the decoder");
            for (size_t i = 0; okOurs && i < outSize; ++i)
                if (at[i] != mine[i])
                    Die("the 16-bit inflater produces different bytes");
        }
        if (okOurs)
            decoded.insert(decoded.end(), mine.begin(), mine.begin() + outSize);
        refused = !okOurs;
        return okOurs;
    });
    if (markedFrom == 0)
        return 0;
    const std::vector<cab::MarkedRunBlock> run(blocks.begin() + markedFrom, blocks.end());
    size_t before = 0;
    for (size_t i = 0; i < markedFrom; ++i)
        before += blocks[i].outSize;
    cab::MszipMarkedRun marked;
    // Without a bound it gives up only on what the decoder refused; with the input's last
    // byte as the bound it may give up early, but what it returns must still be right.
    const size_t bounds[] = {run.size(), static_cast<size_t>(data[size - 1] % 4)};
    for (size_t bound : bounds) {
        const bool ok = marked.Decode(run, bound);
        if (bound == run.size() && ok == refused)
            Die(refused ? "the marked run accepts what the decoder refused"
                        : "the marked run refuses what the decoder accepted");
        if (!ok)
            continue;
        marked.Resolve(decoded.data() + before - cab::MszipMarkedRun::kHistorySize);
        if (marked.size() != decoded.size() - before ||
            std::memcmp(marked.output(), decoded.data() + before, marked.size()) != 0)
            Die("the marked run resolves to different bytes");
    }
    return 0;
}
