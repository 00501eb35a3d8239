// The common shape of the cabinet encoders: a folder's uncompressed bytes go in as a stream,
// and come out as data blocks of at most 32 KB uncompressed each, the unit a cabinet stores
// in one CFDATA entry. An encoder may hold back input until it has enough to decide how to
// code it (LZX codes several frames as one block); Finish() flushes everything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cab::codec {

// Every data block but a folder's last holds exactly this many uncompressed bytes: MSZIP's
// history and LZX's frames are both tied to it.
constexpr size_t kEncodeFrameSize = 32768;

struct EncodedBlock {
    std::vector<uint8_t> data;      // compressed bytes of one CFDATA entry
    uint32_t uncompressedSize = 0;  // at most kEncodeFrameSize
};

class BlockEncoder {
  public:
    virtual ~BlockEncoder() = default;

    // Appends uncompressed bytes of the folder.
    virtual void Write(const uint8_t* data, size_t size) = 0;

    // Ends the folder: every byte written so far is in the finished blocks afterwards.
    virtual void Finish() = 0;

    // Moves out the blocks finished so far, in order.
    std::vector<EncodedBlock> TakeBlocks() {
        std::vector<EncodedBlock> out;
        out.swap(blocks_);
        return out;
    }

  protected:
    std::vector<EncodedBlock> blocks_;
};

// Cuts the stream into 32 KB blocks stored as they are: the "none" method.
class StoredEncoder final : public BlockEncoder {
  public:
    void Write(const uint8_t* data, size_t size) override;
    void Finish() override;

  private:
    std::vector<uint8_t> pending_;
};

}  // namespace cab::codec
