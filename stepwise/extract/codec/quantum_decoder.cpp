#include "codec/quantum_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace cab::codec {
namespace {

// Counts grow by this step per coded symbol; past the bound the model is rescaled.
constexpr uint16_t kFreqStep = 8;
constexpr uint16_t kFreqBound = 3800;
// Rescales between full re-sorts of a model.
constexpr int kShiftsBetweenSorts = 50;
constexpr int kFirstShifts = 4;

constexpr int kMinMatchLongBase = 5;

// The arithmetic decoder may read a few bits past the data: its 16-bit register runs
// ahead of the symbols, and encoders do not always flush all of them.
constexpr uint64_t kAllowedOverrunBits = 32;

struct Tables {
    std::array<uint32_t, kQuantumPositionSlots> positionBase{};
    std::array<uint8_t, kQuantumPositionSlots> positionExtra{};
    std::array<uint32_t, kQuantumLengthSlots> lengthBase{};
    std::array<uint8_t, kQuantumLengthSlots> lengthExtra{};
    constexpr Tables() {
        for (int i = 0; i < kQuantumPositionSlots; ++i) {
            positionExtra[i] = static_cast<uint8_t>(i < 4 ? 0 : i / 2 - 1);
            if (i > 0)
                positionBase[i] = positionBase[i - 1] + (1u << positionExtra[i - 1]);
        }
        // Six single lengths, then groups of four with 1..5 extra bits, then one last slot.
        for (int i = 0; i < kQuantumLengthSlots; ++i) {
            lengthExtra[i] = static_cast<uint8_t>(i < 6 || i == 26 ? 0 : (i - 6) / 4 + 1);
            if (i > 0)
                lengthBase[i] = lengthBase[i - 1] + (1u << lengthExtra[i - 1]);
        }
    }
};
constexpr Tables kTables;

}  // namespace

uint32_t QuantumPositionBase(int slot) {
    return kTables.positionBase[slot];
}
int QuantumPositionExtra(int slot) {
    return kTables.positionExtra[slot];
}
uint32_t QuantumLengthBase(int slot) {
    return kTables.lengthBase[slot];
}
int QuantumLengthExtra(int slot) {
    return kTables.lengthExtra[slot];
}

void QuantumModel::Init(int start, int count) {
    entries = count;
    shiftsLeft = kFirstShifts;
    for (int i = 0; i <= count; ++i) {
        symbol[i] = static_cast<uint16_t>(start + i);
        cumFreq[i] = static_cast<uint16_t>(count - i);
    }
}

void QuantumModel::Update(int index) {
    for (int i = 0; i <= index; ++i)
        cumFreq[i] = static_cast<uint16_t>(cumFreq[i] + kFreqStep);
    if (cumFreq[0] <= kFreqBound)
        return;
    if (--shiftsLeft) {
        // Halve the cumulative counts, keeping them strictly falling.
        for (int i = entries - 1; i >= 0; --i) {
            cumFreq[i] >>= 1;
            if (cumFreq[i] <= cumFreq[i + 1])
                cumFreq[i] = static_cast<uint16_t>(cumFreq[i + 1] + 1);
        }
        return;
    }
    shiftsLeft = kShiftsBetweenSorts;
    // To halved frequencies, re-sort by falling frequency (a stable-order selection sort,
    // which encoders mirror exactly), then back to cumulative counts.
    for (int i = 0; i < entries; ++i)
        cumFreq[i] = static_cast<uint16_t>(((cumFreq[i] - cumFreq[i + 1]) + 1) >> 1);
    for (int i = 0; i < entries - 1; ++i) {
        for (int j = i + 1; j < entries; ++j) {
            if (cumFreq[i] < cumFreq[j]) {
                std::swap(cumFreq[i], cumFreq[j]);
                std::swap(symbol[i], symbol[j]);
            }
        }
    }
    for (int i = entries - 1; i >= 0; --i)
        cumFreq[i] = static_cast<uint16_t>(cumFreq[i] + cumFreq[i + 1]);
}

// The bit stream (bytes, most significant bit first, zeros past the end) and the 16-bit
// arithmetic decoder reading from it.
class QuantumDecoder::Coder {
  public:
    Coder(const uint8_t* in, size_t size) : in_(in), size_(size) {
        code_ = static_cast<uint16_t>(Bits(16));
    }

    uint32_t Bits(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            const size_t byte = static_cast<size_t>(position_ >> 3);
            const uint32_t bit =
                byte < size_ ? (in_[byte] >> (7 - static_cast<int>(position_ & 7))) & 1 : 0;
            v = (v << 1) | bit;
            ++position_;
        }
        return v;
    }

    int Decode(QuantumModel& m) {
        const uint32_t range = ((high_ - low_) & 0xFFFF) + 1;
        const uint32_t target =
            (((code_ - low_ + 1) * uint32_t{m.cumFreq[0]}) - 1) / range & 0xFFFF;
        int i = 1;
        while (i < m.entries && m.cumFreq[i] > target)
            ++i;
        const int symbol = m.symbol[i - 1];
        const uint32_t total = m.cumFreq[0];
        const uint32_t width = uint32_t{high_} - low_ + 1;
        high_ = static_cast<uint16_t>(low_ + (m.cumFreq[i - 1] * width) / total - 1);
        low_ = static_cast<uint16_t>(low_ + (m.cumFreq[i] * width) / total);
        m.Update(i - 1);
        for (;;) {
            if ((low_ & 0x8000) != (high_ & 0x8000)) {
                if (!(low_ & 0x4000) || (high_ & 0x4000))
                    break;
                // Underflow: the interval straddles the middle; drop the second bit.
                code_ ^= 0x4000;
                low_ &= 0x3FFF;
                high_ |= 0x4000;
            }
            low_ = static_cast<uint16_t>(low_ << 1);
            high_ = static_cast<uint16_t>((high_ << 1) | 1);
            code_ = static_cast<uint16_t>((code_ << 1) | Bits(1));
        }
        return symbol;
    }

    bool Overrun() const { return position_ > uint64_t{size_} * 8 + kAllowedOverrunBits; }

  private:
    const uint8_t* in_;
    size_t size_;
    uint64_t position_ = 0;
    uint16_t low_ = 0;
    uint16_t high_ = 0xFFFF;
    uint16_t code_ = 0;
};

QuantumDecoder::QuantumDecoder(int windowBits)
    : windowBits_(std::clamp(windowBits, kQuantumMinWindowBits, kQuantumMaxWindowBits)),
      windowSize_(1u << windowBits_),
      window_(new uint8_t[windowSize_]) {
    Reset();
    if (windowBits != windowBits_)
        Fail("Quantum: window of 2^" + std::to_string(windowBits) + " bytes is not supported");
}

void QuantumDecoder::Reset() {
    ClearError();
    decoded_ = 0;
    const int slots = windowBits_ * 2;
    selector_.Init(0, 7);
    for (int i = 0; i < 4; ++i)
        literal_[i].Init(i * 64, 64);
    match3_.Init(0, std::min(slots, 24));
    match4_.Init(0, std::min(slots, 36));
    matchLong_.Init(0, slots);
    matchLength_.Init(0, kQuantumLengthSlots);
}

bool QuantumDecoder::CopyMatch(uint32_t offset, uint32_t length, uint64_t frameEnd, uint8_t* out) {
    if (offset > decoded_ || offset > windowSize_)
        return Fail("Quantum: match offset " + std::to_string(offset) +
                    " reaches before the start of the data");
    if (decoded_ + length > frameEnd)
        return Fail("Quantum: match runs past the end of the frame");
    const uint32_t mask = windowSize_ - 1;
    uint8_t* window = window_.get();
    uint32_t dest = static_cast<uint32_t>(decoded_ & mask);
    uint32_t src = (dest - offset) & mask;
    if (dest + length <= windowSize_ && src + length <= windowSize_ &&
        (src + length <= dest || dest + length <= src)) {
        std::memcpy(window + dest, window + src, length);
        std::memcpy(out, window + dest, length);
    } else {
        for (uint32_t i = 0; i < length; ++i) {
            window[dest] = window[src];
            out[i] = window[dest];
            dest = (dest + 1) & mask;
            src = (src + 1) & mask;
        }
    }
    decoded_ += length;
    return true;
}

bool QuantumDecoder::DecodeBlock(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    if (failed())
        return false;
    if (outSize > kMaxBlockOutput || inSize > kMaxBlockInput)
        return Fail("Quantum: block larger than the format allows");
    // Output is written as it is decoded: a window smaller than the frame wraps within it.
    const uint64_t frameStart = decoded_;
    const uint64_t frameEnd = decoded_ + outSize;
    const uint32_t mask = windowSize_ - 1;
    Coder coder(in, inSize);
    while (decoded_ < frameEnd) {
        const int selector = coder.Decode(selector_);
        if (selector < 4) {
            const uint8_t byte = static_cast<uint8_t>(coder.Decode(literal_[selector]));
            window_[decoded_ & mask] = byte;
            out[decoded_ - frameStart] = byte;
            ++decoded_;
        } else {
            uint32_t length;
            int slot;
            if (selector == 4) {
                slot = coder.Decode(match3_);
                length = 3;
            } else if (selector == 5) {
                slot = coder.Decode(match4_);
                length = 4;
            } else if (selector == 6) {
                const int lengthSlot = coder.Decode(matchLength_);
                length = kTables.lengthBase[lengthSlot] +
                         coder.Bits(kTables.lengthExtra[lengthSlot]) + kMinMatchLongBase;
                slot = coder.Decode(matchLong_);
            } else {
                return Fail("Quantum: invalid selector " + std::to_string(selector));
            }
            const uint32_t offset =
                kTables.positionBase[slot] + coder.Bits(kTables.positionExtra[slot]) + 1;
            if (!CopyMatch(offset, length, frameEnd, out + (decoded_ - frameStart)))
                return false;
        }
        if (coder.Overrun())
            return Fail("Quantum: compressed data ends early");
    }
    return true;
}

}  // namespace cab::codec
