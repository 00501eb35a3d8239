// Test helper: writes cabinets field by field so tests can make normal, spanned and hostile
// cabinets in memory (every reserve combination, split blocks, wrong checksums, markers).
// Header-only and used by tests and fuzz seed generation only.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cab/cab_format.h"

namespace cab::testing {

struct Block {
    std::vector<uint8_t> data;  // compressed bytes
    uint16_t uncompressed = 0;
    bool storeChecksum = true;
    bool corruptChecksum = false;
};

struct Folder {
    uint16_t compression = kMethodNone;
    std::vector<Block> blocks;
};

struct File {
    std::string name;
    uint32_t size = 0;
    uint32_t offset = 0;     // in the folder's uncompressed data
    uint16_t folder = 0;     // iFolder, markers included
    uint16_t date = 0x5921;  // 2024-09-01
    uint16_t time = 0x6000;  // 12:00:00
    uint16_t attributes = 0x20;
};

struct Cab {
    uint16_t setId = 0x1234;
    uint16_t index = 0;
    std::string prev, prevDisk, next, nextDisk;  // a name sets the flag
    bool reserve = false;
    std::vector<uint8_t> headerReserve;
    uint8_t folderReserve = 0;
    uint8_t dataReserve = 0;
    std::vector<Folder> folders;
    std::vector<File> files;
};

inline void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(v >> 16));
}
inline void PutName(std::vector<uint8_t>& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

inline std::vector<uint8_t> Serialize(const Cab& cab) {
    std::vector<uint8_t> out;
    uint16_t flags = 0;
    if (!cab.prev.empty())
        flags |= kFlagPrevCabinet;
    if (!cab.next.empty())
        flags |= kFlagNextCabinet;
    if (cab.reserve)
        flags |= kFlagReservePresent;
    for (uint8_t c : kSignature)
        out.push_back(c);
    Put32(out, 0);  // reserved1
    Put32(out, 0);  // cbCabinet, patched below
    Put32(out, 0);
    Put32(out, 0);  // coffFiles, patched below
    Put32(out, 0);
    out.push_back(3);
    out.push_back(1);
    Put16(out, static_cast<uint16_t>(cab.folders.size()));
    Put16(out, static_cast<uint16_t>(cab.files.size()));
    Put16(out, flags);
    Put16(out, cab.setId);
    Put16(out, cab.index);
    if (cab.reserve) {
        Put16(out, static_cast<uint16_t>(cab.headerReserve.size()));
        out.push_back(cab.folderReserve);
        out.push_back(cab.dataReserve);
        out.insert(out.end(), cab.headerReserve.begin(), cab.headerReserve.end());
    }
    if (!cab.prev.empty()) {
        PutName(out, cab.prev);
        PutName(out, cab.prevDisk);
    }
    if (!cab.next.empty()) {
        PutName(out, cab.next);
        PutName(out, cab.nextDisk);
    }
    const size_t folderTable = out.size();
    for (const Folder& f : cab.folders) {
        Put32(out, 0);  // coffCabStart, patched below
        Put16(out, static_cast<uint16_t>(f.blocks.size()));
        Put16(out, f.compression);
        out.insert(out.end(), cab.folderReserve, 0xAB);
    }
    const uint32_t filesOffset = static_cast<uint32_t>(out.size());
    for (const File& f : cab.files) {
        Put32(out, f.size);
        Put32(out, f.offset);
        Put16(out, f.folder);
        Put16(out, f.date);
        Put16(out, f.time);
        Put16(out, f.attributes);
        PutName(out, f.name);
    }
    for (size_t i = 0; i < cab.folders.size(); ++i) {
        const uint32_t start = static_cast<uint32_t>(out.size());
        const size_t entry = folderTable + i * (kFolderSize + cab.folderReserve);
        for (int k = 0; k < 4; ++k)
            out[entry + k] = static_cast<uint8_t>(start >> (8 * k));
        for (const Block& b : cab.folders[i].blocks) {
            std::vector<uint8_t> head;
            Put16(head, static_cast<uint16_t>(b.data.size()));
            Put16(head, b.uncompressed);
            uint32_t sum = Checksum(head.data(), 4, Checksum(b.data.data(), b.data.size(), 0));
            if (!b.storeChecksum)
                sum = 0;
            if (b.corruptChecksum)
                sum ^= 0x00010000;
            Put32(out, sum);
            out.insert(out.end(), head.begin(), head.end());
            out.insert(out.end(), cab.dataReserve, 0xCD);
            out.insert(out.end(), b.data.begin(), b.data.end());
        }
    }
    const uint32_t size = static_cast<uint32_t>(out.size());
    for (int k = 0; k < 4; ++k) {
        out[kHeaderCabinetSize + k] = static_cast<uint8_t>(size >> (8 * k));
        out[kHeaderFilesOffset + k] = static_cast<uint8_t>(filesOffset >> (8 * k));
    }
    return out;
}

inline std::vector<Block> StoredBlocks(const std::vector<uint8_t>& data) {
    std::vector<Block> blocks;
    for (size_t pos = 0; pos < data.size(); pos += kMaxDataUncompressed) {
        const size_t n = std::min(kMaxDataUncompressed, data.size() - pos);
        Block b;
        b.data.assign(data.begin() + pos, data.begin() + pos + n);
        b.uncompressed = static_cast<uint16_t>(n);
        blocks.push_back(std::move(b));
    }
    return blocks;
}

// MSZIP blocks made with zlib: each is "CK" + a raw deflate stream primed with the
// previous 32 KB, so back references cross block boundaries.
inline std::vector<Block> MszipBlocks(const std::vector<uint8_t>& data) {
    std::vector<Block> blocks;
    for (size_t pos = 0; pos < data.size(); pos += kMaxDataUncompressed) {
        const size_t n = std::min(kMaxDataUncompressed, data.size() - pos);
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        if (pos > 0) {
            const size_t dict = std::min<size_t>(pos, 32768);
            deflateSetDictionary(&z, data.data() + pos - dict, static_cast<uInt>(dict));
        }
        Block b;
        b.data.resize(deflateBound(&z, static_cast<uLong>(n)) + 2);
        b.data[0] = 'C';
        b.data[1] = 'K';
        z.next_in = const_cast<Bytef*>(data.data() + pos);
        z.avail_in = static_cast<uInt>(n);
        z.next_out = b.data.data() + 2;
        z.avail_out = static_cast<uInt>(b.data.size() - 2);
        deflate(&z, Z_FINISH);
        b.data.resize(b.data.size() - z.avail_out);
        deflateEnd(&z);
        b.uncompressed = static_cast<uint16_t>(n);
        blocks.push_back(std::move(b));
    }
    return blocks;
}

// Text-like, compressible bytes with some noise: words from a small vocabulary.
inline std::vector<uint8_t> Sample(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"cabinet ", "folder ", "data ", "block ",
                                         "window ",  "frame\n", "LZX ",  "\xE8\x10\x00\x00\x00",
                                         "0123 "};
    std::vector<uint8_t> out;
    uint32_t x = seed * 2654435761u + 1;
    while (out.size() < size) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        if ((x & 15) == 0) {
            out.push_back(static_cast<uint8_t>(x >> 8));
            continue;
        }
        const char* w = kWords[(x >> 4) % 9];
        const size_t len = (x >> 4) % 9 == 7 ? 5 : std::strlen(w);
        out.insert(out.end(), w, w + len);
    }
    out.resize(size);
    return out;
}

// One folder holding `files` back to back.
inline Cab SingleFolder(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files,
                        uint16_t method) {
    Cab cab;
    std::vector<uint8_t> all;
    for (const auto& [name, bytes] : files) {
        File f;
        f.name = name;
        f.size = static_cast<uint32_t>(bytes.size());
        f.offset = static_cast<uint32_t>(all.size());
        cab.files.push_back(f);
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    Folder folder;
    folder.compression = method;
    folder.blocks = method == kMethodMszip ? MszipBlocks(all) : StoredBlocks(all);
    cab.folders.push_back(std::move(folder));
    return cab;
}

}  // namespace cab::testing
