#include "cab/cab_search.h"

#include <gtest/gtest.h>

#include "cab/cab_reader.h"
#include "cab/cab_testing.h"

namespace cab {
namespace {

using testing::Sample;
using testing::Serialize;

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}
void Append(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

// A program-like file holding two cabinets among false starts: a bare signature, and a
// header whose tables do not fit.
TEST(EmbeddedCabinets, FindsEveryValidCabinetAndOnlyThose) {
    const auto first = Serialize(testing::SingleFolder({{"a.txt", Sample(5000, 1)}}, kMethodNone));
    const auto second =
        Serialize(testing::SingleFolder({{"b.txt", Sample(70000, 2)}}, kMethodMszip));
    std::vector<uint8_t> bad = first;
    bad[kHeaderFolderCount] = 200;  // a folder table that runs into the files
    std::vector<uint8_t> file;
    Append(file, std::string("MZ program text MSCF and more"));
    Append(file, bad);
    const uint64_t firstAt = file.size();
    Append(file, first);
    Append(file, std::string(100000, 'x'));
    const uint64_t secondAt = file.size();
    Append(file, second);
    Append(file, std::string("MSCF"));  // a signature at the very end
    std::vector<uint8_t> truncated(second.begin(), second.begin() + second.size() / 2);
    Append(file, truncated);

    MemorySource source(file);
    const auto found = FindEmbeddedCabinets(source, file.size());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].offset, firstAt);
    EXPECT_EQ(found[0].size, first.size());
    EXPECT_EQ(found[1].offset, secondAt);
    EXPECT_EQ(SourceSize(source), static_cast<int64_t>(file.size()));

    CabinetReader reader;
    ASSERT_FALSE(reader.Open(std::make_unique<SliceSource>(source, secondAt, found[1].size)));
    ASSERT_EQ(reader.Files().size(), 1u);
    VectorSink sink;
    ASSERT_FALSE(reader.Extract(0, sink));
    EXPECT_EQ(sink.bytes, Sample(70000, 2));
}

// A cabinet stored as a file inside another is part of that one, not a second find.
TEST(EmbeddedCabinets, SkipsCabinetsStoredInsideAFoundOne) {
    const auto inner = Serialize(testing::SingleFolder({{"in.txt", Sample(300, 3)}}, kMethodNone));
    const auto outer = Serialize(testing::SingleFolder({{"inner.cab", inner}}, kMethodNone));
    std::vector<uint8_t> file;
    Append(file, std::string(10, 'z'));
    Append(file, outer);
    MemorySource source(file);
    const auto found = FindEmbeddedCabinets(source, file.size());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].offset, 10u);
}

}  // namespace
}  // namespace cab
