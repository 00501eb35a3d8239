// Decodes a run of MSZIP blocks before the output that precedes them exists. A deflate
// stream's symbols depend only on its bits, never on the history's bytes: every output byte
// is a literal or a copy of an earlier byte. So the run is decoded into 16-bit elements over
// a made-up history whose element i is the marker 256 + i: an output element below 256 is a
// final byte, a marker is the byte at that history position. Once the last 32 KB of output
// hold no marker, the rest of the run decodes into bytes, normally. When the real history is
// known, Resolve() turns the elements into bytes in one pass.
//
// Anything unexpected (bad data, a run that keeps reaching back into the history longer
// than allowed) makes Decode() give up; the caller then decodes the run after its
// predecessor as usual, so the result never depends on decoding ahead working.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace cab::codec {
class Inflater;
}

namespace cab {

struct MarkedRunBlock {
    const uint8_t* data = nullptr;  // "CK" and a raw deflate stream
    size_t size = 0;
    size_t outSize = 0;  // the block's declared uncompressed size, at most 32768
};

class MszipMarkedRun {
  public:
    // The history a run's first block may refer back into: the 32 KB of output before it.
    static constexpr size_t kHistorySize = 32768;

    MszipMarkedRun();
    ~MszipMarkedRun();

    // Decodes the run over an unknown history of kHistorySize bytes. Returns false (gave up)
    // on a block that does not decode to its declared size, or when after
    // `maxDependentBlocks` blocks the last 32 KB still hold bytes from the history (a bound
    // of blocks.size() never gives up on that account).
    // With `control`, it stops (and gives up) as soon as control->stop turns true.
    struct Control {
        std::atomic<bool> stop{false};
    };
    bool Decode(const std::vector<MarkedRunBlock>& blocks,
                size_t maxDependentBlocks,
                Control* control = nullptr);
    // Fills in the bytes taken from the history: the kHistorySize bytes of output before
    // the run. Only after a successful Decode, once.
    void Resolve(const uint8_t* history);

    // The run's output, all blocks one after another; final after Resolve().
    const uint8_t* output() const { return out_.get() + kHistorySize; }
    size_t size() const { return size_; }
    // Blocks decoded into elements (the first of them through the last one whose last 32 KB
    // still reached into the history).
    size_t dependentBlocks() const { return dependentBlocks_; }
    // Output bytes that come from the history (counted on asking).
    size_t historyBytes() const;

  private:
    // Inflates the block into buffer + kHistorySize + at, its history being the
    // kHistorySize elements before that: bytes, or 16-bit elements that may be markers.
    template <class T>
    bool Inflate(const MarkedRunBlock& block, T* buffer, size_t at);

    std::unique_ptr<codec::Inflater> inflater_;
    // Kept from run to run: fresh memory for every run costs page faults.
    std::unique_ptr<uint8_t[]> out_;  // the output after kHistorySize bytes of history
    size_t outRoom_ = 0;
    std::unique_ptr<uint16_t[]> wide_;  // the markers, then the output as elements
    size_t wideRoom_ = 0;
    // What an element stands for: bytes 0-255 themselves, then the history.
    std::unique_ptr<uint8_t[]> meaning_;
    size_t marked_ = 0;  // output bytes held as elements
    size_t size_ = 0;
    size_t dependentBlocks_ = 0;
};

}  // namespace cab
