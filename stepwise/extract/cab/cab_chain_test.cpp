// Chains of cabinets beyond the common two-cabinet case: one data block whose pieces run
// through several cabinets of a set, and the names a header gives for the next cabinet.
#include <gtest/gtest.h>

#include <map>

#include "cab/cab_reader.h"
#include "cab/cab_testing.h"
#include "cab/cab_writer.h"

namespace cab {
namespace {

using testing::Cab;
using testing::Sample;
using testing::Serialize;

std::unique_ptr<ByteSource> Source(const std::vector<uint8_t>& bytes) {
    return std::make_unique<MemorySource>(bytes);
}

// A set of `count` cabinets holding one stored block of `data`, cut into `count` pieces:
// every piece but the last declares no uncompressed bytes.
std::vector<std::vector<uint8_t>> OneBlockThroughEveryCabinet(const std::vector<uint8_t>& data,
                                                              int count) {
    std::vector<std::vector<uint8_t>> set;
    const size_t piece = data.size() / count;
    for (int i = 0; i < count; ++i) {
        Cab c;
        c.index = static_cast<uint16_t>(i);
        if (i > 0)
            c.prev = std::to_string(i) + ".cab";
        if (i + 1 < count)
            c.next = std::to_string(i + 2) + ".cab";
        const size_t from = i * piece;
        const size_t to = i + 1 < count ? from + piece : data.size();
        testing::Block b;
        b.data.assign(data.begin() + from, data.begin() + to);
        b.uncompressed = i + 1 < count ? 0 : static_cast<uint16_t>(data.size());
        c.folders.push_back({kMethodNone, {b}});
        const uint16_t mark = i == 0          ? kFolderContinuedToNext
                              : i + 1 < count ? kFolderContinuedPrevAndNext
                                              : kFolderContinuedFromPrev;
        c.files.push_back({"whole", static_cast<uint32_t>(data.size()), 0, mark});
        set.push_back(Serialize(c));
    }
    return set;
}

CabinetReader::Resolver SetResolver(const std::vector<std::vector<uint8_t>>& set) {
    return [&set](const std::string& name, const std::string&) -> std::unique_ptr<ByteSource> {
        const int n = std::atoi(name.c_str());
        return n >= 1 && n <= static_cast<int>(set.size()) ? Source(set[n - 1]) : nullptr;
    };
}

TEST(CabinetChain, JoinsADataBlockSplitThroughFiveCabinets) {
    const auto data = Sample(30000, 21);
    const auto set = OneBlockThroughEveryCabinet(data, 5);
    CabinetReader reader;
    ASSERT_FALSE(reader.Open(Source(set[0]), "1.cab", SetResolver(set)));
    ASSERT_EQ(reader.Cabinets().size(), 5u);
    ASSERT_EQ(reader.Files().size(), 1u);
    VectorSink sink;
    CabError e = reader.Extract(0, sink);
    EXPECT_FALSE(e) << e.message;
    EXPECT_EQ(sink.bytes, data);
    EXPECT_FALSE(reader.Test()) << "test pass over the joined block";

    // Without the last cabinet the block cannot be finished: an error, not a hang.
    std::vector<std::vector<uint8_t>> shorter(set.begin(), set.end() - 1);
    ASSERT_EQ(reader.Open(Source(set[0]), "1.cab", SetResolver(shorter)).code,
              CabErrc::MissingCabinet);
    ASSERT_FALSE(reader.Open(Source(set[0]), "1.cab", nullptr));
    EXPECT_EQ(reader.Extract(0, sink).code, CabErrc::MissingCabinet);
}

TEST(CabinetChain, APieceThatIsNotTheLastOfItsCabinetMustDeclareItsBytes) {
    const auto data = Sample(30000, 22);
    auto set = OneBlockThroughEveryCabinet(data, 3);
    // The middle cabinet gains a second block after its piece: the piece no longer ends
    // the cabinet's share of the folder, so the split is not well formed.
    Cab middle;
    middle.index = 1;
    middle.prev = "1.cab";
    middle.next = "3.cab";
    testing::Block piece{{data.begin() + 10000, data.begin() + 20000}, 0};
    testing::Block extra{{data.begin(), data.begin() + 10}, 10};
    middle.folders.push_back({kMethodNone, {piece, extra}});
    middle.files.push_back(
        {"whole", static_cast<uint32_t>(data.size()), 0, kFolderContinuedPrevAndNext});
    set[1] = Serialize(middle);
    CabinetReader reader;
    ASSERT_FALSE(reader.Open(Source(set[0]), "1.cab", SetResolver(set)));
    VectorSink sink;
    EXPECT_EQ(reader.Extract(0, sink).code, CabErrc::Corrupt);
}

TEST(CabinetChain, NextCabinetNamesMustBeASingleSafeFileName) {
    for (const char* next :
         {"../outside.cab", "sub/2.cab", "sub\\2.cab", "aux.cab", "c:2.cab", "COM1"}) {
        Cab one = testing::SingleFolder({{"f", Sample(10, 1)}}, kMethodNone);
        one.next = next;
        int asked = 0;
        CabinetReader reader;
        CabError e = reader.Open(Source(Serialize(one)), "1.cab",
                                 [&](const std::string&, const std::string&) {
                                     ++asked;
                                     return std::unique_ptr<ByteSource>();
                                 });
        EXPECT_EQ(e.code, CabErrc::UnsafeName) << next << ": " << e.message;
        EXPECT_EQ(asked, 0) << next;
    }
}

TEST(CabinetChain, TheWriterRefusesNamesItsReadersWouldRefuse) {
    const std::vector<uint8_t> data(10, 'x');
    const std::pair<const char*, uint16_t> bad[] = {
        {"aux.c", 0},
        {"dir\\con", 0},
        {"a:b", 0},
        {"..\\up", 0},
        {"\xED\xA0\x80.txt", kAttributeNameIsUtf8},  // an encoded surrogate
        {"\xC0\xAF.txt", kAttributeNameIsUtf8},      // overlong '/'
    };
    for (const auto& [name, attributes] : bad) {
        CabinetWriter writer("x.cab");
        NewFile file{name};
        file.attributes = attributes;
        CabError e = writer.AddFile(file, data.data(), data.size());
        EXPECT_EQ(e.code, CabErrc::UnsafeName) << name;
        EXPECT_NE(e.message.find(name), std::string::npos) << e.message;
    }
    CabinetWriter good("x.cab");
    NewFile cafe{"caf\xC3\xA9\\aux1.txt"};
    cafe.attributes = kAttributeNameIsUtf8;
    ASSERT_FALSE(good.AddFile(cafe, data.data(), data.size()));
    MemoryCabinetSink sink;
    ASSERT_FALSE(good.Finish(sink));
}

}  // namespace
}  // namespace cab
