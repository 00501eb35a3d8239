// LZX decode speed of LzxDecoder alone (no cabinet, no files), best of several rounds over
// the same blocks. Prints figures; it passes or fails nothing. The peer comparison lives in
// the extraction benchmark (tool/extract_benchmark.sh), which times whole extractions.
//   lzx_decode_bench [MEGABYTES] [FILE...]
//   lzx_decode_bench --cab CABINET [ROUNDS]
// Without files it decodes a synthetic mix of text-like and binary-like data. With --cab it
// decodes the first folder of an LZX cabinet (any writer's) ROUNDS times, from memory: the
// figure for comparing two builds of the decoder on the same cabinet, run after run.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
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

// The data blocks of a cabinet's first folder, read from the whole file in memory.
struct CabFolder {
    int windowBits = 0;
    std::vector<EncodedBlock> blocks;
};

bool ReadCabFolder(const std::vector<uint8_t>& c, CabFolder* folder, std::string* error) {
    auto u16 = [&](size_t p) { return static_cast<uint32_t>(c[p] | c[p + 1] << 8); };
    auto u32 = [&](size_t p) { return u16(p) | u16(p + 2) << 16; };
    if (c.size() < 36 || c[0] != 'M' || c[1] != 'S' || c[2] != 'C' || c[3] != 'F') {
        *error = "not a cabinet";
        return false;
    }
    size_t p = 36;
    size_t dataReserve = 0;
    if (u16(30) & 4) {  // reserved fields present
        if (c.size() < 40) {
            *error = "cabinet header ends early";
            return false;
        }
        dataReserve = c[39];
        p = 40 + u16(36);
    }
    if (p + 8 > c.size()) {
        *error = "folder entry ends early";
        return false;
    }
    size_t data = u32(p);
    const uint32_t count = u16(p + 4);
    const uint32_t type = u16(p + 6);
    if ((type & 0xF) != 3) {
        *error = "the first folder is not LZX";
        return false;
    }
    folder->windowBits = static_cast<int>((type >> 8) & 0x1F);
    for (uint32_t i = 0; i < count; ++i) {
        if (data + 8 + dataReserve > c.size()) {
            *error = "data block header ends early";
            return false;
        }
        const size_t packed = u16(data + 4);
        EncodedBlock block;
        block.uncompressedSize = u16(data + 6);
        data += 8 + dataReserve;
        if (packed > c.size() - data) {
            *error = "data block ends early";
            return false;
        }
        block.data.assign(c.begin() + static_cast<std::ptrdiff_t>(data),
                          c.begin() + static_cast<std::ptrdiff_t>(data + packed));
        data += packed;
        folder->blocks.push_back(std::move(block));
    }
    return true;
}

int BenchCabinet(const char* path, int rounds) {
    std::ifstream f(path, std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(f)), {});
    CabFolder folder;
    std::string error;
    if (!ReadCabFolder(file, &folder, &error)) {
        std::fprintf(stderr, "%s: %s\n", path, error.c_str());
        return 1;
    }
    size_t total = 0;
    for (const EncodedBlock& b : folder.blocks)
        total += b.uncompressedSize;
    std::vector<uint8_t> out(total);
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round)
        times.push_back(SecondsToDecode(folder.windowBits, folder.blocks, &out));
    std::sort(times.begin(), times.end());
    const double mb = total / 1048576.0;
    std::printf("LZX:%d folder of %s, %.1f MB in %zu blocks, %d rounds, CPU time\n",
                folder.windowBits, path, mb, folder.blocks.size(), rounds);
    std::printf("  best %.2f ms (%.1f MB/s), median %.2f ms (%.1f MB/s)\n", times.front() * 1e3,
                mb / times.front(), times[times.size() / 2] * 1e3, mb / times[times.size() / 2]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--cab")
        return BenchCabinet(argv[2], std::max(1, argc > 3 ? std::atoi(argv[3]) : 15));
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
