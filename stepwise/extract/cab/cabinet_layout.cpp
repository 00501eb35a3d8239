#include "cab/cabinet_layout.h"

#include <algorithm>
#include <limits>

namespace cab {
namespace {

// CFFILE iFolder markers for files split across cabinets.
constexpr uint16_t kContinuedFromPrev = 0xFFFD;
constexpr uint16_t kContinuedToNext = 0xFFFE;
constexpr uint16_t kContinuedPrevAndNext = 0xFFFF;

constexpr uint32_t kFolderEntrySize = 8;
constexpr uint32_t kDataHeaderSize = 8;
// The format's counts are 16 bits wide.
constexpr size_t kMaxCountPerCabinet = 65535;
// cbCabinet is 32 bits, and readers treat offsets as signed.
constexpr uint64_t kMaxSingleCabinet = 0x7FFFFFFF;

CabError TooSmall(uint32_t maxSize) {
    return MakeError(CabErrc::Corrupt, "the maximum cabinet size of " + std::to_string(maxSize) +
                                           " bytes is too small for the headers and data");
}

// Lays out one cabinet starting at folder `f`, block `b`, byte `o` of that block.
class CabinetFiller {
  public:
    CabinetFiller(const std::vector<LayoutFolder>& folders,
                  const std::vector<LayoutFile>& files,
                  const std::vector<std::vector<int>>& folderFiles,
                  uint64_t limit)
        : folders_(folders), files_(files), folderFiles_(folderFiles), limit_(limit) {}

    // Fills `cab` from (f, b, o) on and advances them. Returns false when nothing fit.
    uint64_t used() const { return used_; }

    bool Fill(uint64_t used, size_t& f, int& b, uint32_t& o, LayoutCabinet& cab) {
        used_ = used;
        bool full = false;
        while (f < folders_.size() && !full) {
            LayoutCabinetFolder part;
            part.folder = static_cast<int>(f);
            full = !FillFolder(f, b, o, part);
            if (!part.pieces.empty() || (folders_[f].blockSizes.empty() && !full)) {
                cab.folders.push_back(std::move(part));
            }
            if (!full && b == static_cast<int>(folders_[f].blockSizes.size())) {
                ++f;
                b = 0;
                o = 0;
            }
        }
        if (cab.folders.empty())
            return false;
        if (f < folders_.size() && cab.folders.back().folder == static_cast<int>(f) && o == 0 &&
            b > 0)
            MoveCutIntoBlock(cab.folders.back(), b, o);
        return true;
    }

  private:
    // Adds blocks of folder f; returns false when the cabinet is full.
    bool FillFolder(size_t f, int& b, uint32_t& o, LayoutCabinetFolder& part) {
        const LayoutFolder& folder = folders_[f];
        const std::vector<int>& ff = folderFiles_[f];
        size_t next = 0;
        while (next < ff.size() && files_[ff[next]].lastBlock < b)
            ++next;
        if (folder.blockSizes.empty()) {
            uint64_t cost = kFolderEntrySize;
            for (int file : ff)
                cost += files_[file].entrySize;
            if (used_ + cost > limit_)
                return false;
            used_ += cost;
            part.files = ff;
            return true;
        }
        const int blockCount = static_cast<int>(folder.blockSizes.size());
        while (b < blockCount) {
            uint64_t entries = 0;
            size_t take = next;
            while (take < ff.size() && files_[ff[take]].firstBlock <= b)
                entries += files_[ff[take++]].entrySize;
            uint32_t remaining = folder.blockSizes[b] - o;
            uint64_t overhead =
                (part.pieces.empty() ? kFolderEntrySize : 0) + entries + kDataHeaderSize;
            if (used_ + overhead + remaining <= limit_) {
                part.pieces.push_back({b, o, remaining, false});
                used_ += overhead + remaining;
                part.files.insert(part.files.end(), ff.begin() + next, ff.begin() + take);
                next = take;
                ++b;
                o = 0;
                continue;
            }
            // Split the block, leaving at least two bytes for the next cabinet so the cut
            // can still move back one byte (see MoveCutIntoBlock). A block's second part
            // is never split again: readers join a block from two cabinets at most.
            if (o == 0 && used_ + overhead < limit_ && remaining >= 3) {
                uint32_t part_size = static_cast<uint32_t>(
                    std::min<uint64_t>(limit_ - used_ - overhead, remaining - 2));
                part.pieces.push_back({b, o, part_size, true});
                used_ += overhead + part_size;
                part.files.insert(part.files.end(), ff.begin() + next, ff.begin() + take);
                o += part_size;
            }
            return false;
        }
        return true;
    }

    // The cabinet ends on a block boundary inside folder `part.folder`. Unless a file runs
    // across that boundary, make the last block span the cut by one byte.
    void MoveCutIntoBlock(LayoutCabinetFolder& part, int& b, uint32_t& o) {
        for (int file : folderFiles_[part.folder]) {
            if (files_[file].firstBlock < b && files_[file].lastBlock >= b)
                return;
        }
        LayoutPiece& last = part.pieces.back();
        if (last.size < 2)
            return;  // only a folder's final stored block can be this small
        last.size -= 1;
        last.splitToNext = true;
        b = last.block;
        o = last.offset + last.size;
    }

    const std::vector<LayoutFolder>& folders_;
    const std::vector<LayoutFile>& files_;
    const std::vector<std::vector<int>>& folderFiles_;
    uint64_t limit_;
    uint64_t used_ = 0;
};

void MarkFiles(const std::vector<LayoutFile>& files, LayoutCabinet& cab) {
    for (size_t i = 0; i < cab.folders.size(); ++i) {
        LayoutCabinetFolder& part = cab.folders[i];
        part.marks.clear();
        int firstBlock = part.pieces.empty() ? 0 : part.pieces.front().block;
        bool startsInside = !part.pieces.empty() && part.pieces.front().offset > 0;
        int lastBlock = part.pieces.empty() ? 0 : part.pieces.back().block;
        bool endsInside = !part.pieces.empty() && part.pieces.back().splitToNext;
        for (int index : part.files) {
            const LayoutFile& file = files[index];
            bool fromPrev =
                file.firstBlock < firstBlock || (file.firstBlock == firstBlock && startsInside);
            bool toNext = file.lastBlock > lastBlock || (file.lastBlock == lastBlock && endsInside);
            uint16_t mark = 0;
            if (fromPrev && toNext)
                mark = kContinuedPrevAndNext;
            else if (fromPrev)
                mark = kContinuedFromPrev;
            else if (toNext)
                mark = kContinuedToNext;
            part.marks.push_back(mark);
        }
    }
}

}  // namespace

CabError LayOutCabinets(const std::vector<LayoutFolder>& folders,
                        const std::vector<LayoutFile>& files,
                        uint32_t maxSize,
                        const std::function<uint32_t(size_t)>& fixedHeader,
                        std::vector<LayoutCabinet>* out,
                        uint64_t* lastUsed) {
    out->clear();
    std::vector<std::vector<int>> folderFiles(folders.size());
    for (size_t i = 0; i < files.size(); ++i)
        folderFiles[files[i].folder].push_back(static_cast<int>(i));

    uint64_t limit = maxSize ? maxSize : std::numeric_limits<uint64_t>::max();
    CabinetFiller filler(folders, files, folderFiles, limit);
    size_t f = 0;
    int b = 0;
    uint32_t o = 0;
    while (f < folders.size()) {
        LayoutCabinet cab;
        if (!filler.Fill(fixedHeader(out->size()), f, b, o, cab))
            return TooSmall(maxSize);
        cab.hasNext = f < folders.size();
        MarkFiles(files, cab);
        size_t fileCount = 0;
        for (const LayoutCabinetFolder& part : cab.folders)
            fileCount += part.files.size();
        if (fileCount > kMaxCountPerCabinet || cab.folders.size() > kMaxCountPerCabinet)
            return MakeError(CabErrc::Corrupt,
                             "a cabinet can hold at most 65535 files and 65535 folders");
        out->push_back(std::move(cab));
        if (lastUsed)
            *lastUsed = filler.used();
        if (out->size() > 65535)
            return MakeError(CabErrc::Corrupt, "the chain would need more than 65535 cabinets");
    }
    if (maxSize == 0 && !out->empty()) {
        uint64_t total = fixedHeader(0);
        for (const LayoutCabinetFolder& part : (*out)[0].folders) {
            total += kFolderEntrySize;
            for (int file : part.files)
                total += files[file].entrySize;
            for (const LayoutPiece& piece : part.pieces)
                total += kDataHeaderSize + piece.size;
        }
        if (total > kMaxSingleCabinet)
            return MakeError(CabErrc::Corrupt,
                             "the cabinet would exceed 2 GB; give a maximum size to span a chain");
    }
    return {};
}

}  // namespace cab
