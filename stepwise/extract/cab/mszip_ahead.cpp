#include "cab/mszip_ahead.h"

#include <algorithm>
#include <atomic>

#include "cab/cab_format.h"
#include "codec/mszip_decoder.h"

namespace cab {
namespace {

// Runs the helper may have decoded ahead of the stream's: it decodes every other one.
constexpr uint32_t kRunsAhead = 3;
// The helper's first run: it leaves the one after the stream's first to the stream, which
// gets there before the helper could be done, and so starts a whole run ahead.
constexpr uint32_t kFirstHelperRun = 3;
// The helper's runs are this many eighths of the stream's: decoding a run into 16-bit elements
// and resolving it costs about 1.2 times a plain decode, plus reading and checksums.
constexpr uint32_t kHelperShare = 5;
// The helper retires after the stream has taken over this many runs in a row, or after it
// gave up on this many in a row.
constexpr uint32_t kMaxMissed = 3;
constexpr uint32_t kMaxGivenUp = 3;

std::atomic<uint64_t> g_used{0};
std::atomic<uint64_t> g_gaveUp{0};
std::atomic<uint64_t> g_overtaken{0};

}  // namespace

DecodeAheadCounts ReadDecodeAheadCounts() {
    return {g_used.load(), g_gaveUp.load(), g_overtaken.load()};
}

MszipAhead::MszipAhead(ByteSource* source,
                       const Cabinet* cabinet,
                       int folder,
                       codec::MszipDecoder* decoder,
                       uint32_t runBlocks,
                       bool patient)
    : source_(source),
      cabinet_(*cabinet),
      folder_(folder),
      decoder_(decoder),
      streamBlocks_(std::max<uint32_t>(runBlocks, 1)),
      helperBlocks_(std::max<uint32_t>(runBlocks * kHelperShare / 8, 1)),
      patient_(patient) {
    helper_ = std::thread([this] {
        Help();
        std::lock_guard<std::mutex> lock(mutex_);
        helperDone_ = true;
        changed_.notify_all();
    });
}

MszipAhead::~MszipAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // A last odd run the stream finished before the helper did counts as taken over,
        // as it would when the stream entered the next run.
        if (racing_)
            g_overtaken.fetch_add(1, std::memory_order_relaxed);
        stop_ = true;
        for (auto& run : runs_)
            run.second->control.stop = true;
        changed_.notify_all();
    }
    helper_.join();
}

bool MszipAhead::ReadBlock(uint64_t* offset, std::vector<uint8_t>* data, uint16_t* outSize) {
    const size_t headerSize = kDataSize + cabinet_.dataReserveSize;
    uint8_t header[kDataSize + 255];
    if (*offset + headerSize > cabinet_.size ||
        source_->ReadAt(*offset, header, headerSize) != static_cast<int64_t>(headerSize))
        return false;
    const uint16_t compressed = ReadU16(header + kDataCompressedSize);
    *outSize = ReadU16(header + kDataUncompressedSize);
    if (compressed > kMaxDataCompressed || *outSize == 0 || *outSize > kMaxDataUncompressed ||
        *offset + headerSize + compressed > cabinet_.size)
        return false;
    if (data) {
        const size_t at = data->size();
        data->resize(at + compressed);
        if (source_->ReadAt(*offset + headerSize, data->data() + at, compressed) != compressed)
            return false;
        const uint32_t stored = ReadU32(header + kDataChecksum);
        if (stored != 0) {
            const uint32_t sum = Checksum(data->data() + at, compressed, 0);
            if (Checksum(header + kDataCompressedSize, 4, sum) != stored &&
                Checksum(header + kDataCompressedSize, 4 + cabinet_.dataReserveSize, sum) != stored)
                return false;
        }
    }
    *offset += headerSize + compressed;
    return true;
}

// Reads and decodes the run of blocks from `first` on, which starts at `*offset`.
uint32_t MszipAhead::RunFirst(uint32_t k) const {
    return k / 2 * (streamBlocks_ + helperBlocks_) + (k % 2 ? streamBlocks_ : 0);
}

bool MszipAhead::DecodeAheadOf(uint32_t first, uint32_t length, uint64_t* offset, Run& run) {
    const uint32_t count = cabinet_.folders[folder_].blockCount;
    const uint32_t end = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{first} + length, count));
    std::vector<size_t> inputStarts;
    size_t out = 0;
    for (uint32_t i = first; i < end; ++i) {
        inputStarts.push_back(run.input.size());
        uint16_t size = 0;
        if (!ReadBlock(offset, &run.input, &size))
            return false;
        run.nextOffsets.push_back(*offset);
        run.starts.push_back(out);
        out += size;
    }
    std::vector<MarkedRunBlock> blocks(inputStarts.size());
    for (size_t i = 0; i < blocks.size(); ++i) {
        const size_t inEnd = i + 1 < blocks.size() ? inputStarts[i + 1] : run.input.size();
        blocks[i].data = run.input.data() + inputStarts[i];
        blocks[i].size = inEnd - inputStarts[i];
        blocks[i].outSize = (i + 1 < blocks.size() ? run.starts[i + 1] : out) - run.starts[i];
    }
    // Text keeps copying bytes that came from the history to the run's end: markers cost
    // no more than bytes, so there is no bound.
    return run.marked.Decode(blocks, blocks.size(), &run.control);
}

void MszipAhead::Help() {
    const uint32_t count = cabinet_.folders[folder_].blockCount;
    uint64_t offset = cabinet_.folders[folder_].dataOffset;
    uint64_t decoded = 0;
    uint32_t index = 0;    // the block at `offset`
    uint32_t givenUp = 0;  // in a row
    for (uint32_t k = kFirstHelperRun; RunFirst(k) < count; k += 2) {
        const uint32_t first = RunFirst(k);
        // Walks the headers of the blocks up to the run.
        for (; index < first; ++index) {
            uint16_t size = 0;
            if (!ReadBlock(&offset, nullptr, &size))
                return;  // the stream meets what is wrong there itself
            decoded += size;
        }
        Run* run = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || k <= streamRun_ + kRunsAhead; });
            if (stop_ || missed_ >= kMaxMissed)
                return;
            if (k < streamRun_ || runs_.count(k))
                continue;  // the stream got there first
            std::unique_ptr<Run> made;
            if (spare_.empty()) {
                made = std::make_unique<Run>();
            } else {
                made = std::move(spare_.back());
                spare_.pop_back();
                made->state = State::Running;
                made->nextOffsets.clear();
                made->starts.clear();
                made->input.clear();
                made->control.stop = false;
            }
            run = made.get();
            runs_[k] = std::move(made);
        }
        run->firstOffset = offset;
        run->outputBefore = decoded;
        uint64_t next = offset;
        // Too little output before the run would make its history shorter than assumed.
        bool ok = decoded >= MszipMarkedRun::kHistorySize &&
                  DecodeAheadOf(first, RunLength(k), &next, *run);
        if (ok) {
            offset = next;
            index = first + static_cast<uint32_t>(run->starts.size());
            decoded += run->marked.size();
            givenUp = 0;
        } else if (!run->control.stop) {
            g_gaveUp.fetch_add(1, std::memory_order_relaxed);
            ++givenUp;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            run->ok = ok;
            run->state = State::Done;
            changed_.notify_all();
        }
        if (givenUp == kMaxGivenUp)
            return;  // the data keeps refusing
    }
}

void MszipAhead::Missed() {
    if (++missed_ >= kMaxMissed)
        retired_ = true;  // the helper sees missed_ and returns
}

void MszipAhead::Recycle(std::unique_ptr<Run> run) {
    // As many as can be alive at once: fresh memory for a run costs more in page faults than
    // decoding it saves.
    if (run && run->state != State::Claimed && spare_.size() < kRunsAhead + 1)
        spare_.push_back(std::move(run));
}

bool MszipAhead::Take(uint32_t index, uint64_t offset, uint64_t decoded, Block* block) {
    const uint32_t pair = index / (streamBlocks_ + helperBlocks_);
    const uint32_t rest = index % (streamBlocks_ + helperBlocks_);
    const uint32_t k = 2 * pair + (rest >= streamBlocks_ ? 1 : 0);
    const uint32_t within = rest >= streamBlocks_ ? rest - streamBlocks_ : rest;
    if (current_ && currentRun_ == k) {
        if (within >= current_->starts.size())
            return false;
        // Hands out the blocks strictly in order.
        const uint64_t expected =
            within == 0 ? current_->firstOffset : current_->nextOffsets[within - 1];
        if (offset != expected || decoded != current_->outputBefore + current_->starts[within])
            return false;
        const MszipMarkedRun& s = current_->marked;
        const size_t start = current_->starts[within];
        const size_t end =
            within + 1 < current_->starts.size() ? current_->starts[within + 1] : s.size();
        block->data = s.output() + start;
        block->size = end - start;
        block->nextOffset = current_->nextOffsets[within];
        if (within + 1 == current_->starts.size())
            decoder_->AppendHistory(s.output(), s.size());
        return true;
    }
    if (retired_)
        return false;
    if (within == 0 && !EnterRun(k, offset, decoded))
        return false;
    if (!racing_ || racingRun_ != k)
        return false;
    // Racing the helper through an odd run: once it is done, the rest comes from it.
    std::unique_ptr<Run> taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = runs_.find(k);
        if (it == runs_.end() || it->second->state == State::Running)
            return false;  // the stream decodes this block itself
        taken = std::move(it->second);
        runs_.erase(it);
        racing_ = false;
        if (!taken->ok || taken->firstOffset != raceOffset_ ||
            taken->outputBefore != raceDecoded_ || within >= taken->starts.size()) {
            Recycle(std::move(taken));
            return false;
        }
    }
    taken->marked.Resolve(raceHistory_.data());
    current_ = std::move(taken);
    currentRun_ = k;
    g_used.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(mutex_);
    missed_ = 0;
    return Take(index, offset, decoded, block);
}

bool MszipAhead::EnterRun(uint32_t k, uint64_t offset, uint64_t decoded) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (racing_) {
        // The stream decoded the last odd run itself before the helper was done with it.
        auto it = runs_.find(racingRun_);
        if (it != runs_.end())
            it->second->control.stop = true;
        racing_ = false;
        g_overtaken.fetch_add(1, std::memory_order_relaxed);
        Missed();
    }
    streamRun_ = k;
    changed_.notify_all();
    // Runs behind the stream are of no more use.
    for (auto it = runs_.begin(); it != runs_.end() && it->first < k;) {
        if (it->second->state == State::Running)
            ++it;  // the helper's, until it is done with it
        else
            Recycle(std::move(runs_.extract(it++).mapped()));
    }
    Recycle(std::move(current_));
    if (k % 2 == 0 || k < kFirstHelperRun || retired_)
        return false;
    if (patient_) {
        changed_.wait(lock, [&] {
            auto found = runs_.find(k);
            return helperDone_ || (found != runs_.end() && found->second->state != State::Running);
        });
    }
    auto it = runs_.find(k);
    if (it == runs_.end()) {
        auto claimed = std::make_unique<Run>();
        claimed->state = State::Claimed;
        runs_[k] = std::move(claimed);
        g_overtaken.fetch_add(1, std::memory_order_relaxed);
        Missed();
        return false;
    }
    size_t historySize = 0;
    const uint8_t* history = decoder_->history(&historySize);
    if (historySize != MszipMarkedRun::kHistorySize) {
        it->second->control.stop = true;
        return false;
    }
    // Kept for resolving the run whenever the helper is done with it.
    raceHistory_.assign(history, history + historySize);
    raceOffset_ = offset;
    raceDecoded_ = decoded;
    racing_ = true;
    racingRun_ = k;
    return true;
}

}  // namespace cab
