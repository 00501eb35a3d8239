// Spreads compressed folders over a chain of cabinets of a maximum size. Works on sizes
// only; the writer turns the plan into bytes.
//
// Rules the readers rely on (Windows' FDI, Wine's, libmspack):
// - a folder that goes on in the next cabinet is the last folder of this one and the first
//   of the next; its data block at the cut may be split in two;
// - a file is listed in every cabinet that holds part of a data block it needs, marked
//   continued-from-previous / continued-to-next accordingly;
// - readers only join a folder's parts when some file is marked as continuing, so a cut
//   that falls between two files on a block boundary is moved one byte back into the
//   block, making that block (and its last file) span the two cabinets;
// - libmspack also takes every file of the continued folder in the next cabinet for a
//   copy of one listed before, so a folder must end with the files that span the cut. The
//   writer ensures that by opening a new folder once a cut is near (see cab_writer.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "cab/cab_error.h"

namespace cab {

struct LayoutFolder {
    std::vector<uint32_t> blockSizes;  // compressed bytes of each data block
};

struct LayoutFile {
    int folder = 0;
    int firstBlock = 0;      // the blocks holding the file's bytes (an empty file: the block
    int lastBlock = 0;       // at its offset, or the folder's last block)
    uint32_t entrySize = 0;  // CFFILE bytes including the name
};

struct LayoutPiece {
    int block = 0;
    uint32_t offset = 0;  // first byte of the block stored here
    uint32_t size = 0;
    bool splitToNext = false;  // the rest of the block is in the next cabinet
};

struct LayoutCabinetFolder {
    int folder = 0;
    std::vector<LayoutPiece> pieces;
    std::vector<int> files;       // indices into the file list, in order
    std::vector<uint16_t> marks;  // per file: 0 or kFolderContinued* of cab_format.h
};

struct LayoutCabinet {
    std::vector<LayoutCabinetFolder> folders;
    bool hasNext = false;
};

// `lastUsed`, when given, receives the bytes the last cabinet takes.
// `fixedHeader(i)` is the size of cabinet i's header before the folder entries, counting
// the next-cabinet names (they are dropped from the last cabinet, which only shrinks it).
// maxSize 0 means one cabinet without a limit.
CabError LayOutCabinets(const std::vector<LayoutFolder>& folders,
                        const std::vector<LayoutFile>& files,
                        uint32_t maxSize,
                        const std::function<uint32_t(size_t)>& fixedHeader,
                        std::vector<LayoutCabinet>* out,
                        uint64_t* lastUsed = nullptr);

}  // namespace cab
