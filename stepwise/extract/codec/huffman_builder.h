// Canonical Huffman codes for encoders: code lengths from symbol frequencies with a length
// limit, and the codes a canonical decoder (deflate's and LZX's rule: shorter codes first,
// equal lengths in symbol order) expects for those lengths.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cab::codec {

// Fills `lengths[0..count)`. Unused symbols get 0. The code is always complete: when fewer
// than two symbols are used, a second symbol gets a length of 1 as well, because table-driven
// decoders reject a code with a single one-bit entry. `maxLength` must allow `count` symbols.
void BuildCodeLengths(const uint32_t* frequencies, size_t count, int maxLength, uint8_t* lengths);

// Assigns canonical codes (MSB-first values) for `lengths`.
void BuildCanonicalCodes(const uint8_t* lengths, size_t count, uint16_t* codes);

}  // namespace cab::codec
