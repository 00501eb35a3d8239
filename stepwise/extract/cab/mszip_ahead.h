// Decodes one MSZIP folder on two threads. The folder's blocks in its first cabinet fall into
// runs; the folder's stream decodes every other run itself, and a helper thread decodes the
// (shorter) runs in between ahead (mszip_marked_run.h) while the stream is still on
// the run before (its first run is the second odd one, so it starts a run ahead). The
// stream never waits: it decodes such a run block by block itself until
// the helper is done with it, then fills in the bytes that came from the history and takes
// the remaining blocks as if it had decoded them. A run the helper gave up on, or has not
// started, the stream simply decodes. So the bytes, errors and messages are exactly those
// of one thread.
//
// Memory stays bounded: the helper works at most a few runs ahead of the stream.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "cab/byte_io.h"
#include "cab/cab_parser.h"
#include "cab/mszip_marked_run.h"

namespace cab {
namespace codec {
class MszipDecoder;
}

// How often decoding ahead helped, over the process (read by the tool's debug output).
struct DecodeAheadCounts {
    uint64_t used = 0;       // runs decoded ahead and taken
    uint64_t gaveUp = 0;     // runs the helper gave up on
    uint64_t overtaken = 0;  // runs the stream reached before the helper started them
};
DecodeAheadCounts ReadDecodeAheadCounts();

class MszipAhead {
  public:
    // Blocks in each run the stream decodes itself; the helper's runs are shorter, as its
    // decode costs more and it reads its own input.
    static constexpr uint32_t kRunBlocks = 64;

    // Starts the helper on the folder's blocks in `cabinet` (its part in later cabinets is
    // left to the stream). Borrowed: the source, the cabinet and the stream's `decoder`
    // outlive this object; the source must take reads from several threads.
    // `runBlocks`: blocks per run of the stream's (tests take small runs). Unless `patient`,
    // the stream never waits: it decodes an odd run itself until the helper is done with it
    // and takes the rest from there, and after a few runs it finished alone (the machine
    // has no core to spare) the helper retires. A patient stream waits for the helper at
    // the start of every odd run (for tests).
    MszipAhead(ByteSource* source,
               const Cabinet* cabinet,
               int folder,
               codec::MszipDecoder* decoder,
               uint32_t runBlocks = kRunBlocks,
               bool patient = false);
    // Stops the helper and waits for it.
    ~MszipAhead();
    MszipAhead(const MszipAhead&) = delete;
    MszipAhead& operator=(const MszipAhead&) = delete;

    struct Block {
        const uint8_t* data = nullptr;  // valid until the next call of Take
        size_t size = 0;
        uint64_t nextOffset = 0;  // file offset of the CFDATA after it
    };
    // Asked by the stream before it reads block `index` (of this cabinet's part) at file
    // offset `offset`, `decoded` bytes into the folder. True: the block was decoded ahead and
    // is in `*block`; the decoder's history then already holds what follows a whole run.
    bool Take(uint32_t index, uint64_t offset, uint64_t decoded, Block* block);

  private:
    enum class State { Running, Done, Claimed };
    struct Run {
        State state = State::Running;
        bool ok = false;
        uint64_t firstOffset = 0;   // file offset of the run's first CFDATA
        uint64_t outputBefore = 0;  // folder bytes before the run
        std::vector<uint64_t> nextOffsets;
        std::vector<size_t> starts;  // output position of each block in the run
        std::vector<uint8_t> input;
        MszipMarkedRun marked;
        MszipMarkedRun::Control control;  // the stream stops runs it overtakes
    };
    void Help();
    // Keeps a run no longer needed for the helper to reuse; under the lock.
    void Recycle(std::unique_ptr<Run> run);
    // Counts a run the stream took over; under the lock.
    void Missed();
    // The stream starts run `k` at `offset`, `decoded` bytes into the folder: true when it
    // races the helper through it.
    bool EnterRun(uint32_t k, uint64_t offset, uint64_t decoded);
    // Reads the CFDATA at *offset (with its data when `data` is not null) and moves past it;
    // false on anything the stream would refuse or treat specially.
    bool ReadBlock(uint64_t* offset, std::vector<uint8_t>* data, uint16_t* outSize);
    bool DecodeAheadOf(uint32_t first, uint32_t length, uint64_t* offset, Run& run);
    // Runs alternate: even ones are the stream's, odd ones the helper's.
    uint32_t RunFirst(uint32_t k) const;
    uint32_t RunLength(uint32_t k) const { return k % 2 ? helperBlocks_ : streamBlocks_; }

    ByteSource* const source_;
    const Cabinet& cabinet_;
    const int folder_;
    codec::MszipDecoder* const decoder_;
    const uint32_t streamBlocks_;
    const uint32_t helperBlocks_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<uint32_t, std::unique_ptr<Run>> runs_;  // by run number
    std::vector<std::unique_ptr<Run>> spare_;        // handed out, kept for their memory
    uint32_t streamRun_ = 0;                         // the run the stream is in
    bool stop_ = false;
    bool helperDone_ = false;  // the helper has returned
    const bool patient_;
    uint32_t missed_ = 0;           // runs taken over since one was used
    bool retired_ = false;          // the stream's: it no longer asks
    std::unique_ptr<Run> current_;  // the stream's: the run being handed out
    uint32_t currentRun_ = 0;
    // The stream's while it decodes an odd run itself until the helper is done with it.
    bool racing_ = false;
    uint32_t racingRun_ = 0;
    uint64_t raceOffset_ = 0;
    uint64_t raceDecoded_ = 0;
    std::vector<uint8_t> raceHistory_;  // the 32 KB before the run

    std::thread helper_;
};

}  // namespace cab
