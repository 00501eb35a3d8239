// LZX decode speed of LzxDecoder alone (no cabinet, no files), best of several rounds over
// the same blocks. Prints figures; it passes or fails nothing. The peer comparison lives in
// the extraction benchmark (tool/extract_benchmark.sh), which times whole extractions.
//   lzx_decode_bench [MEGABYTES] [FILE...]
// Without files it decodes a synthetic mix of text-like and binary-like data.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

#include "codec/lzx_decoder.h"
#include "codec/lzx_encoder.h"

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
        } else {  // instruction-like bytes with calls: small values, repeats and some noise
            for (int i = 0; i < 2000; ++i) {
                const uint32_t r = next();
                out.push_back(r % 97 == 0  ? 0xE8
                              : r % 5 == 0 ? static_cast<uint8_t>(r >> 8)
                                           : static_cast<uint8_t>(r % 16));
            }
        }
    }
    out.resize(size);
    return out;
}

double SecondsToDecode(int windowBits,
                       const std::vector<EncodedBlock>& blocks,
                       std::vector<uint8_t>* out) {
    // CPU time: on a machine shared with other work, wall time mostly measures the waits.
    const std::clock_t start = std::clock();
    cab::codec::LzxDecoder decoder(windowBits);
    size_t pos = 0;
    for (const EncodedBlock& b : blocks) {
        if (!decoder.DecodeBlock(b.data.data(), b.data.size(), out->data() + pos,
                                 b.uncompressedSize)) {
            std::fprintf(stderr, "decode failed: %s\n", decoder.error().c_str());
            std::exit(1);
        }
        pos += b.uncompressedSize;
    }
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 16;
    const size_t limit = megabytes << 20;
    std::vector<uint8_t> input;
    for (int i = 2; i < argc && input.size() < limit; ++i) {
        std::ifstream f(argv[i], std::ios::binary);
        input.insert(input.end(), std::istreambuf_iterator<char>(f), {});
    }
    if (argc <= 2)
        input = Synthetic(limit);
    input.resize(std::min(input.size(), limit));

    const double mb = input.size() / 1048576.0;
    std::printf("LZX decode, %.1f MB (%s), best of 7, CPU time\n", mb,
                argc > 2 ? "files" : "synthetic");
    for (int windowBits : {16, 21}) {
        cab::codec::LzxEncoderOptions options;
        options.windowBits = windowBits;
        cab::codec::LzxEncoder encoder(options);
        encoder.Write(input.data(), input.size());
        encoder.Finish();
        const std::vector<EncodedBlock> blocks = encoder.TakeBlocks();
        size_t compressed = 0;
        for (const EncodedBlock& b : blocks)
            compressed += b.data.size();

        std::vector<uint8_t> out(input.size());
        double best = 1e9;
        for (int round = 0; round < 7; ++round)
            best = std::min(best, SecondsToDecode(windowBits, blocks, &out));
        if (out != input) {
            std::fprintf(stderr, "decoded bytes differ from the input\n");
            return 1;
        }
        std::printf("  LZX:%d  %5.1f%% of input  %8.1f MB/s\n", windowBits,
                    100.0 * compressed / input.size(), mb / best);
    }
    return 0;
}
