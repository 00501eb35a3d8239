// A raw deflate decoder (RFC 1951) that writes into a caller's buffer whose preceding bytes
// are the history matches may refer to. That is exactly what MSZIP needs: the block's output
// follows the previous block's last 32 KB in one buffer, so back references reach across the
// boundary without a dictionary copy.
//
// Symbols are decoded through one table look-up (with a second level for long codes) from a
// 64-bit bit buffer refilled a word at a time; matches are copied a word at a time. Near the
// end of the input or of the output a careful path takes over, so a stream that runs out of
// input or overflows the output is told apart exactly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cab::codec {

class Inflater {
  public:
    // Bytes past `out + outSize` the decoder may scribble on while copying matches a word at a
    // time; the caller's buffer must have them.
    static constexpr size_t kOutputSlack = 32;

    enum class Result {
        Ok,        // the final block ended, or the input ran out just as the output filled
        Overflow,  // the stream holds more than outSize bytes
        Short,     // the input ended before outSize bytes were produced
        BadData,   // a malformed stream; message() says what
    };

    Inflater();

    // Decodes one raw deflate stream into out[0, outSize). Back references may reach down to
    // `historyStart` (<= out). `*produced` receives the bytes written before any failure.
    Result Inflate(const uint8_t* in,
                   size_t inSize,
                   const uint8_t* historyStart,
                   uint8_t* out,
                   size_t outSize,
                   size_t* produced);

    // The same stream decoded into 16-bit elements: a literal is its byte's value, a match
    // copies whole elements. Fed a history of values that are not bytes (256 and up), the
    // output tells which elements came from where in it. Accepts and refuses exactly the
    // streams the byte form does; sizes and the slack count elements.
    Result Inflate(const uint8_t* in,
                   size_t inSize,
                   const uint16_t* historyStart,
                   uint16_t* out,
                   size_t outSize,
                   size_t* produced);

    // What went wrong with the last BadData stream, in zlib's wording.
    const char* message() const { return message_; }

    // Table sizes: enough for any complete or permitted incomplete code with these root
    // bits (the bounds zlib's `enough` tool computes, rounded up).
    static constexpr int kLitLenRootBits = 11;
    static constexpr int kDistRootBits = 8;
    static constexpr int kCodeLenRootBits = 7;
    static constexpr size_t kLitLenTableSize = 2400;
    static constexpr size_t kDistTableSize = 420;
    static constexpr size_t kCodeLenTableSize = 1 << kCodeLenRootBits;

  private:
    template <class T>
    struct Stream;
    // Both forms of Inflate.
    template <class T>
    Result InflateInto(const uint8_t* in,
                       size_t inSize,
                       const T* historyStart,
                       T* out,
                       size_t outSize,
                       size_t* produced);
    template <class T>
    Result Run(Stream<T>& s);
    template <class T>
    Result DecodeStored(Stream<T>& s);
    template <class T>
    Result DecodeHeader(Stream<T>& s);
    template <class T>
    Result DecodeSymbols(Stream<T>& s);
    Result Bad(const char* message) {
        message_ = message;
        return Result::BadData;
    }

    bool fixedReady_ = false;
    uint32_t fixedLitLen_[kLitLenTableSize];
    uint32_t fixedDist_[kDistTableSize];
    uint32_t litLen_[kLitLenTableSize];
    uint32_t dist_[kDistTableSize];
    uint32_t codeLen_[kCodeLenTableSize];
    const uint32_t* activeLitLen_ = nullptr;
    const uint32_t* activeDist_ = nullptr;
    const char* message_ = "";
};

}  // namespace cab::codec
