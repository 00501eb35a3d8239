// MSZIP decode speed of MszipDecoder against zlib inflating with the previous block as its
// dictionary, on the same blocks in one run. Prints figures; it passes or fails nothing.
//   mszip_decode_bench [MEGABYTES] [FILE...]
// Without files it decodes a synthetic mix of text-like and binary-like data.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "codec/inflate.h"
#include "codec/mszip_decoder.h"
#include "codec/mszip_encoder.h"
#include "codec/zlib_mszip_reference.h"

namespace {

using cab::codec::EncodedBlock;

std::vector<uint8_t> Synthetic(size_t size) {
    std::vector<uint8_t> out;
    out.reserve(size);
    uint32_t seed = 1;
    auto next = [&] { return (seed = seed * 1664525 + 1013904223) >> 8; };
    const char* words[] = {"int ", "return ", "static ", "const ",   "void ", "if (",  ") {\n",
                           "    ", "}\n",     "size_t ", "uint8_t ", "for (", "; ++i", "nullptr"};
    while (out.size() < size) {
        if (next() % 2) {  // a run of program-like text
            for (int i = 0; i < 200; ++i)
                for (const char* c = words[next() % 14]; *c; ++c)
                    out.push_back(static_cast<uint8_t>(*c));
        } else {  // instruction-like bytes: small values, repeats and some noise
            for (int i = 0; i < 2000; ++i) {
                const uint32_t r = next();
                out.push_back(r % 5 == 0 ? static_cast<uint8_t>(r >> 8)
                                         : static_cast<uint8_t>(r % 16));
            }
        }
    }
    out.resize(size);
    return out;
}

template <class Decoder>
double SecondsToDecode(const std::vector<EncodedBlock>& blocks, std::vector<uint8_t>* out) {
    // CPU time: on a machine shared with other work, wall time mostly measures the waits.
    const std::clock_t start = std::clock();
    Decoder decoder;
    size_t pos = 0;
    for (const EncodedBlock& b : blocks) {
        if (!decoder.DecodeBlock(b.data.data(), b.data.size(), out->data() + pos,
                                 b.uncompressedSize)) {
            std::fprintf(stderr, "decode failed\n");
            std::exit(1);
        }
        pos += b.uncompressedSize;
    }
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

// The blocks after the first decoded into 16-bit elements as one run after a history of
// markers (the decode a run ahead does), then resolved to bytes against the first block's
// output, `history`. Returns the
// decode's and the resolve pass's CPU seconds; the share of elements from the history goes
// to *fromHistory.
std::pair<double, double> SecondsToDecodeWide(const std::vector<EncodedBlock>& blocks,
                                              std::vector<uint16_t>* wide,
                                              const uint8_t* history,
                                              std::vector<uint8_t>* out,
                                              double* fromHistory) {
    constexpr size_t kHistory = 32768;
    for (size_t i = 0; i < kHistory; ++i)
        (*wide)[i] = static_cast<uint16_t>(256 + i);
    const std::clock_t start = std::clock();
    cab::codec::Inflater inflater;
    size_t pos = 0;
    for (size_t k = 1; k < blocks.size(); ++k) {
        const EncodedBlock& b = blocks[k];
        size_t produced = 0;
        uint16_t* at = wide->data() + kHistory + pos;
        if (inflater.Inflate(b.data.data() + 2, b.data.size() - 2, at - kHistory, at,
                             b.uncompressedSize, &produced) != cab::codec::Inflater::Result::Ok ||
            produced != b.uncompressedSize) {
            std::fprintf(stderr, "wide decode failed\n");
            std::exit(1);
        }
        pos += b.uncompressedSize;
    }
    const std::clock_t middle = std::clock();
    const uint16_t* from = wide->data() + kHistory;
    uint8_t* to = out->data();
    for (size_t p = 0; p < pos; ++p) {
        const uint16_t v = from[p];
        to[p] = v < 256 ? static_cast<uint8_t>(v) : history[v - 256];
    }
    const std::clock_t end = std::clock();
    size_t marked = 0;
    for (size_t p = 0; p < pos; ++p)
        marked += from[p] >= 256;
    *fromHistory = static_cast<double>(marked) / static_cast<double>(pos ? pos : 1);
    return {static_cast<double>(middle - start) / CLOCKS_PER_SEC,
            static_cast<double>(end - middle) / CLOCKS_PER_SEC};
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32;
    const size_t limit = megabytes << 20;
    std::vector<uint8_t> input;
    for (int i = 2; i < argc && input.size() < limit; ++i) {
        std::ifstream f(argv[i], std::ios::binary);
        input.insert(input.end(), std::istreambuf_iterator<char>(f), {});
    }
    if (argc <= 2)
        input = Synthetic(limit);
    input.resize(std::min(input.size(), limit));

    cab::codec::MszipEncoder encoder;
    encoder.Write(input.data(), input.size());
    encoder.Finish();
    const std::vector<EncodedBlock> blocks = encoder.TakeBlocks();
    size_t compressed = 0;
    for (const EncodedBlock& b : blocks)
        compressed += b.data.size();

    std::vector<uint8_t> ours(input.size()), theirs(input.size());
    double bestOurs = 1e9, bestZlib = 1e9;
    for (int round = 0; round < 5; ++round) {
        bestOurs = std::min(bestOurs, SecondsToDecode<cab::codec::MszipDecoder>(blocks, &ours));
        bestZlib =
            std::min(bestZlib, SecondsToDecode<cab::codec::ZlibMszipReference>(blocks, &theirs));
    }
    std::vector<uint16_t> wide(32768 + input.size() + cab::codec::Inflater::kOutputSlack);
    std::vector<uint8_t> resolved(input.size());
    double bestWide = 1e9, bestResolve = 1e9, fromHistory = 0;
    for (int round = 0; round < 5; ++round) {
        const auto [decode, resolve] =
            SecondsToDecodeWide(blocks, &wide, input.data(), &resolved, &fromHistory);
        bestWide = std::min(bestWide, decode);
        bestResolve = std::min(bestResolve, resolve);
    }
    const size_t first = blocks.empty() ? 0 : blocks[0].uncompressedSize;
    if (first != 32768 ||
        !std::equal(resolved.begin(), resolved.end() - first, input.begin() + first)) {
        std::fprintf(stderr, "wide decode differs from the input\n");
        return 1;
    }
    if (ours != input || theirs != input) {
        std::fprintf(stderr, "decoded bytes differ from the input\n");
        return 1;
    }
    const double mb = input.size() / 1048576.0;
    std::printf("MSZIP decode, %.1f MB in %zu blocks (%.1f%% of input), best of 5, CPU time (%s)\n",
                mb, blocks.size(), 100.0 * compressed / input.size(),
                argc > 2 ? "files" : "synthetic");
    std::printf("  MszipDecoder    %8.1f MB/s\n", mb / bestOurs);
    std::printf("  zlib %-10s %8.1f MB/s\n", zlibVersion(), mb / bestZlib);
    std::printf("  ratio           %8.2fx\n", bestZlib / bestOurs);
    std::printf("  16-bit decode   %8.1f MB/s (%.2fx the byte decode's time, all blocks)\n",
                mb / bestWide, bestWide / bestOurs);
    std::printf("  resolve pass    %8.1f MB/s (%.2fx the byte decode's time)\n", mb / bestResolve,
                bestResolve / bestOurs);
    std::printf("  from history    %8.1f%% of elements (run from the second block)\n",
                100 * fromHistory);
    return 0;
}
