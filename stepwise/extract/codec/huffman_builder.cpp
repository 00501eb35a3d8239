#include "codec/huffman_builder.h"

#include <algorithm>
#include <vector>

namespace cab::codec {
namespace {

struct Node {
    uint64_t weight;
    int left;  // child node index, or -1 for a leaf
    int right;
    int symbol;
};

// Plain Huffman code lengths for the used symbols (at least two).
int HuffmanLengths(const std::vector<uint32_t>& freq,
                   const std::vector<int>& used,
                   uint8_t* lengths) {
    std::vector<Node> nodes;
    nodes.reserve(used.size() * 2);
    for (int s : used)
        nodes.push_back({freq[s], -1, -1, s});
    std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) {
        return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol;
    });
    // Two-queue construction: leaves sorted by weight, internal nodes are made in
    // non-decreasing weight order, so the two smallest are always at a queue front.
    size_t leafCount = nodes.size();
    size_t nextLeaf = 0, nextInner = leafCount;
    auto takeSmallest = [&]() {
        if (nextLeaf < leafCount &&
            (nextInner >= nodes.size() || nodes[nextLeaf].weight <= nodes[nextInner].weight))
            return static_cast<int>(nextLeaf++);
        return static_cast<int>(nextInner++);
    };
    while ((leafCount - nextLeaf) + (nodes.size() - nextInner) > 1) {
        int a = takeSmallest();
        int b = takeSmallest();
        nodes.push_back({nodes[a].weight + nodes[b].weight, a, b, -1});
    }
    // Depths from the root downwards; children always have smaller indices than parents.
    std::vector<int> depth(nodes.size(), 0);
    int maxDepth = 0;
    for (int i = static_cast<int>(nodes.size()) - 1; i >= 0; --i) {
        if (nodes[i].left < 0) {
            lengths[nodes[i].symbol] = static_cast<uint8_t>(std::min(depth[i], 255));
            maxDepth = std::max(maxDepth, depth[i]);
        } else {
            depth[nodes[i].left] = depth[i] + 1;
            depth[nodes[i].right] = depth[i] + 1;
        }
    }
    return maxDepth;
}

}  // namespace

void BuildCodeLengths(const uint32_t* frequencies, size_t count, int maxLength, uint8_t* lengths) {
    std::fill(lengths, lengths + count, 0);
    std::vector<uint32_t> freq(frequencies, frequencies + count);
    std::vector<int> used;
    for (size_t s = 0; s < count; ++s) {
        if (freq[s] != 0)
            used.push_back(static_cast<int>(s));
    }
    if (count == 0)
        return;
    if (used.size() < 2) {
        int first = used.empty() ? 0 : used[0];
        int second = first == 0 ? 1 : 0;
        lengths[first] = 1;
        if (count > 1)
            lengths[second] = 1;
        return;
    }
    // Too deep a tree: flatten the statistics and build again. Halving keeps the order of
    // the frequencies, and every round brings them closer to equal, which ends at a tree
    // of depth ceil(log2(used)).
    while (HuffmanLengths(freq, used, lengths) > maxLength) {
        for (int s : used)
            freq[s] = std::max<uint32_t>(1, freq[s] >> 1);
    }
}

void BuildCanonicalCodes(const uint8_t* lengths, size_t count, uint16_t* codes) {
    uint32_t lengthCount[33] = {};
    for (size_t s = 0; s < count; ++s)
        lengthCount[lengths[s]]++;
    lengthCount[0] = 0;
    uint32_t next[33] = {};
    uint32_t code = 0;
    for (int len = 1; len <= 32; ++len) {
        code = (code + lengthCount[len - 1]) << 1;
        next[len] = code;
    }
    for (size_t s = 0; s < count; ++s)
        codes[s] = lengths[s] ? static_cast<uint16_t>(next[lengths[s]]++) : 0;
}

}  // namespace cab::codec
