#include "cab/cab_reader.h"

#include <gtest/gtest.h>

#include <map>

#include "cab/cab_testing.h"
#include "codec/lzx_encoder.h"

namespace cab {
namespace {

using testing::Cab;
using testing::Sample;
using testing::Serialize;
using Files = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

std::unique_ptr<ByteSource> Source(const std::vector<uint8_t>& bytes) {
    return std::make_unique<MemorySource>(bytes);
}

// Extracts everything into a name -> bytes map; failures are recorded by name.
struct Extracted {
    std::map<std::string, std::vector<uint8_t>> files;
    std::map<std::string, CabError> errors;
    CabError result;
};

Extracted ExtractEverything(CabinetReader& reader) {
    Extracted out;
    std::map<std::string, VectorSink> sinks;
    out.result = reader.ExtractAll([&](const FileEntry& f) -> ByteSink* { return &sinks[f.name]; },
                                   [&](const FileEntry& f, const CabError& e) {
                                       if (e)
                                           out.errors[f.name] = e;
                                       else
                                           out.files[f.name] = sinks[f.name].bytes;
                                   });
    return out;
}

CabError OpenBytes(CabinetReader& reader, const std::vector<uint8_t>& bytes) {
    return reader.Open(Source(bytes), "test.cab");
}

// A source that fails its Nth read, to prove every read error surfaces.
class FailingSource final : public ByteSource {
  public:
    FailingSource(std::vector<uint8_t> bytes, int failAt)
        : inner_(std::move(bytes)), failAt_(failAt) {}
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        if (++reads_ == failAt_)
            return -1;
        return inner_.ReadAt(offset, buffer, count);
    }

  private:
    MemorySource inner_;
    int failAt_;
    int reads_ = 0;
};

TEST(CabinetReader, ListsAndExtractsStoredAndMszipFolders) {
    const Files files = {{"readme.txt", Sample(1000, 1)},
                         {"empty.bin", {}},
                         {"big.dat", Sample(200000, 2)},
                         {"sub\\tail.txt", Sample(70000, 3)}};
    for (uint16_t method : {kMethodNone, kMethodMszip}) {
        Cab cab = testing::SingleFolder(files, method);
        cab.files[0].attributes = 0x21;
        cab.files[0].date = 0x3C8A;
        cab.files[0].time = 0x7BDE;
        CabinetReader reader;
        ASSERT_FALSE(OpenBytes(reader, Serialize(cab))) << method;
        ASSERT_EQ(reader.Files().size(), 4u);
        ASSERT_EQ(reader.Folders().size(), 1u);
        EXPECT_EQ(reader.Folders()[0].MethodName(), method ? "MSZIP" : "none");
        const FileEntry& first = reader.Files()[0];
        EXPECT_EQ(first.name, "readme.txt");
        EXPECT_EQ(first.size, 1000u);
        EXPECT_EQ(first.attributes, 0x21);
        EXPECT_EQ(first.date, 0x3C8A);
        EXPECT_EQ(first.time, 0x7BDE);

        Extracted out = ExtractEverything(reader);
        EXPECT_FALSE(out.result) << out.result.message;
        for (const auto& [name, bytes] : files)
            EXPECT_EQ(out.files[name], bytes) << name << " method " << method;

        VectorSink one;  // single-file extraction decodes from the folder's start
        ASSERT_FALSE(reader.Extract(3, one));
        EXPECT_EQ(one.bytes, files[3].second);
        NullSink none;
        EXPECT_FALSE(reader.Test());
    }
}

// A sink that takes `room` bytes and refuses every write after that.
class FullSink final : public ByteSink {
  public:
    explicit FullSink(size_t room) : room_(room) {}
    bool Write(const uint8_t* data, size_t size) override {
        if (size > room_)
            return false;
        bytes.insert(bytes.end(), data, data + size);
        room_ -= size;
        return true;
    }
    std::vector<uint8_t> bytes;

  private:
    size_t room_;
};

// A refused write fails only its own file; its data is still decoded, so the next file in
// the folder comes out whole and bad data behind the refusal is still reported as such.
TEST(CabinetReader, ARefusedWriteFailsItsFileAndDecodingGoesOn) {
    const Files files = {{"first", Sample(100000, 11)}, {"second", Sample(3000, 12)}};
    for (uint16_t method : {kMethodNone, kMethodMszip}) {
        for (bool corrupt : {false, true}) {
            Cab cab = testing::SingleFolder(files, method);
            cab.folders[0].blocks[2].corruptChecksum = corrupt;
            CabinetReader reader;
            ASSERT_FALSE(OpenBytes(reader, Serialize(cab)));
            FullSink full(40000);
            VectorSink second;
            std::map<std::string, CabError> errors;
            reader.ExtractAll(
                [&](const FileEntry& f) -> ByteSink* {
                    return f.name == "first" ? static_cast<ByteSink*>(&full) : &second;
                },
                [&](const FileEntry& f, const CabError& e) { errors[f.name] = e; });
            EXPECT_EQ(errors["first"].code, corrupt ? CabErrc::Checksum : CabErrc::WriteFailed)
                << method;
            EXPECT_EQ(full.bytes, std::vector<uint8_t>(files[0].second.begin(),
                                                       files[0].second.begin() + 32768));
            if (!corrupt) {
                EXPECT_FALSE(errors["second"]) << errors["second"].message;
                EXPECT_EQ(second.bytes, files[1].second);
            }
        }
    }
}

TEST(CabinetReader, ReadsEveryReserveCombination) {
    const Files files = {{"a.txt", Sample(40000, 4)}, {"b.txt", Sample(5000, 5)}};
    for (int combo = 0; combo < 8; ++combo) {
        Cab cab = testing::SingleFolder(files, kMethodMszip);
        cab.reserve = true;
        if (combo & 1)
            cab.headerReserve = {1, 2, 3, 4, 5};
        if (combo & 2)
            cab.folderReserve = 7;
        if (combo & 4)
            cab.dataReserve = 9;
        CabinetReader reader;
        ASSERT_FALSE(OpenBytes(reader, Serialize(cab))) << combo;
        EXPECT_EQ(reader.Cabinets()[0].headerReserve, cab.headerReserve);
        EXPECT_EQ(reader.Cabinets()[0].dataReserveSize, cab.dataReserve);
        Extracted out = ExtractEverything(reader);
        EXPECT_FALSE(out.result) << combo << ": " << out.result.message;
        EXPECT_EQ(out.files["a.txt"], files[0].second) << combo;
    }
}

TEST(CabinetReader, ChecksumsAreVerifiedAndADataErrorSpoilsOnlyItsFolder) {
    Cab cab = testing::SingleFolder({{"one", Sample(50000, 6)}}, kMethodMszip);
    Cab second = testing::SingleFolder({{"two", Sample(1000, 7)}}, kMethodNone);
    second.files[0].folder = 1;
    cab.folders.push_back(second.folders[0]);
    cab.files.push_back(second.files[0]);
    cab.folders[0].blocks[1].corruptChecksum = true;
    CabinetReader reader;
    ASSERT_FALSE(OpenBytes(reader, Serialize(cab)));
    Extracted out = ExtractEverything(reader);
    EXPECT_EQ(out.result.code, CabErrc::Checksum);
    EXPECT_TRUE(out.result.IsDataError());
    EXPECT_EQ(out.errors["one"].code, CabErrc::Checksum);
    EXPECT_EQ(out.files["two"], Sample(1000, 7));

    // Writers that cover the data reserve in the checksum are accepted too.
    Cab reserved = testing::SingleFolder({{"r", Sample(3000, 8)}}, kMethodMszip);
    reserved.reserve = true;
    reserved.dataReserve = 6;
    std::vector<uint8_t> bytes = Serialize(reserved);
    const size_t block = bytes.size() - reserved.folders[0].blocks[0].data.size() - 6 - 8;
    std::vector<uint8_t> covered(bytes.begin() + block + 4, bytes.end());
    const uint32_t dataSum = Checksum(covered.data() + 4 + 6, covered.size() - 10, 0);
    const uint32_t sum = Checksum(covered.data(), 4 + 6, dataSum);
    for (int k = 0; k < 4; ++k)
        bytes[block + k] = static_cast<uint8_t>(sum >> (8 * k));
    ASSERT_FALSE(OpenBytes(reader, bytes));
    EXPECT_FALSE(reader.Test());
    bytes[block + 5 + 4] ^= 1;  // a reserve byte changed: now neither form matches
    ASSERT_FALSE(OpenBytes(reader, bytes));
    EXPECT_EQ(reader.Test().code, CabErrc::Checksum);

    // A block without a stored checksum (0) is accepted as it is.
    cab.folders[0].blocks[1].corruptChecksum = false;
    cab.folders[0].blocks[1].storeChecksum = false;
    ASSERT_FALSE(OpenBytes(reader, Serialize(cab)));
    EXPECT_FALSE(reader.Test());
}

TEST(CabinetReader, RejectsBadHeadersWithTheirErrorClass) {
    const std::vector<uint8_t> good = Serialize(testing::SingleFolder({{"f", Sample(300, 8)}}, 0));
    CabinetReader reader;
    auto openWith = [&](std::vector<uint8_t> bytes) { return OpenBytes(reader, bytes).code; };
    auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        std::vector<uint8_t> b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + at);
        return b;
    };
    EXPECT_EQ(openWith({}), CabErrc::NotACabinet);
    EXPECT_EQ(openWith(patched(0, {'P', 'K', 3, 4})), CabErrc::NotACabinet);
    EXPECT_EQ(openWith(patched(kHeaderVersionMajor, {2})), CabErrc::UnsupportedVersion);
    EXPECT_EQ(openWith(patched(kHeaderFolderCount, {0, 0})), CabErrc::Corrupt);
    EXPECT_EQ(openWith(patched(kHeaderFileCount, {0, 0})), CabErrc::Corrupt);
    EXPECT_EQ(openWith(patched(kHeaderFilesOffset, {0xFF, 0xFF, 0, 0})), CabErrc::Corrupt);
    EXPECT_EQ(openWith(patched(kHeaderCabinetSize, {0xFF, 0xFF, 0xFF, 0xFF})), CabErrc::Corrupt);
    // Every truncation is an error and never a crash.
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + n);
        CabError e = OpenBytes(reader, cut);
        if (!e)
            e = reader.Test();
        EXPECT_TRUE(e.code == CabErrc::NotACabinet || e.code == CabErrc::Corrupt)
            << n << ": " << e.message;
    }
    // A read error anywhere is reported as one; past the last read everything succeeds.
    int failAt = 1;
    for (;; ++failAt) {
        CabError e = reader.Open(std::make_unique<FailingSource>(good, failAt));
        if (!e)
            e = reader.Test();
        if (!e)
            break;
        EXPECT_EQ(e.code, CabErrc::Io) << failAt;
    }
    EXPECT_GE(failAt, 3);
}

TEST(CabinetReader, RejectsInconsistentTablesAndBlocks) {
    const Files files = {{"f", Sample(40000, 9)}};
    auto openWith = [](const Cab& cab) {
        CabinetReader reader;
        CabError e = reader.Open(Source(Serialize(cab)));
        return e ? e : reader.Test();
    };
    Cab cab = testing::SingleFolder(files, kMethodMszip);
    cab.files[0].size = 0xFFFFFFFF;  // absurd size
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab = testing::SingleFolder(files, kMethodMszip);
    cab.files[0].offset = 60000;  // past the folder's two blocks
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab = testing::SingleFolder(files, kMethodMszip);
    cab.files[0].size = 40001;  // one byte past the decoded folder
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab = testing::SingleFolder(files, kMethodMszip);
    cab.files[0].name = "";  // a blank name (an old fault of other readers)
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab.files[0].name = std::string(300, 'n');  // no terminator within 256 bytes
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab = testing::SingleFolder(files, kMethodMszip);
    cab.files[0].folder = 3;
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab = testing::SingleFolder(files, kMethodMszip);
    cab.files[0].folder = kFolderContinuedFromPrev;  // no previous cabinet named
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab = testing::SingleFolder(files, kMethodNone);
    cab.folders[0].blocks[0].uncompressed = 40000;  // more than a frame
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab = testing::SingleFolder(files, kMethodNone);
    cab.folders[0].blocks[0].data.resize(kMaxDataCompressed + 1);
    EXPECT_EQ(openWith(cab).code, CabErrc::Corrupt);
    cab = testing::SingleFolder(files, kMethodMszip);
    cab.folders[0].blocks[0].data[0] = 'X';  // no "CK"
    EXPECT_EQ(openWith(cab).code, CabErrc::DecodeFailed);
    cab = testing::SingleFolder(files, kMethodMszip);
    cab.folders[0].blocks[0].uncompressed -= 1;  // inflates to more than declared
    EXPECT_EQ(openWith(cab).code, CabErrc::DecodeFailed);
}

TEST(CabinetReader, NamesTheMethodItCannotDecode) {
    for (uint16_t compression :
         {0x0007, 0x0F03 /* LZX:15 is fine */, 0x1603, 0x0E03, 0x0002, 0x1582}) {
        Cab cab = testing::SingleFolder({{"f", Sample(10, 1)}}, kMethodNone);
        cab.folders[0].compression = compression;
        CabinetReader reader;
        ASSERT_FALSE(OpenBytes(reader, Serialize(cab)));
        CabError e = reader.Test();
        if (compression == 0x0F03) {
            EXPECT_NE(e.code, CabErrc::UnsupportedMethod);
            continue;
        }
        EXPECT_EQ(e.code, CabErrc::UnsupportedMethod) << compression;
        EXPECT_NE(e.message.find(reader.Folders()[0].MethodName()), std::string::npos) << e.message;
    }
}

TEST(CabinetReader, RefusesCabinetsWithUnsafeNames) {
    for (const char* name : {"..\\evil.dll", "C:\\evil.dll", "\\windows\\evil.dll", "a\\..\\..\\b",
                             "file.txt:stream", "CON", "nul.txt", "dir\\LPT1.log", "/etc/x"}) {
        Cab cab = testing::SingleFolder({{"ok.txt", Sample(10, 1)}, {name, Sample(10, 2)}}, 0);
        CabinetReader reader;
        CabError e = OpenBytes(reader, Serialize(cab));
        EXPECT_EQ(e.code, CabErrc::UnsafeName) << name;
        EXPECT_TRUE(reader.Files().empty());
    }
}

// Two cabinets: file "span" starts in the first, its data block is split across both.
std::pair<Cab, Cab> SpannedPair(const std::vector<uint8_t>& head,
                                const std::vector<uint8_t>& span,
                                const std::vector<uint8_t>& tail) {
    std::vector<uint8_t> all = head;
    all.insert(all.end(), span.begin(), span.end());
    all.insert(all.end(), tail.begin(), tail.end());
    std::vector<testing::Block> blocks = testing::MszipBlocks(all);
    // Split the second block's compressed bytes between the cabinets.
    testing::Block second = blocks[1];
    testing::Block firstPart, secondPart;
    const size_t cut = second.data.size() / 2;
    firstPart.data.assign(second.data.begin(), second.data.begin() + cut);
    firstPart.uncompressed = 0;
    secondPart.data.assign(second.data.begin() + cut, second.data.end());
    secondPart.uncompressed = second.uncompressed;

    Cab one, two;
    one.next = "disk2.cab";
    one.nextDisk = "Disk 2";
    two.prev = "disk1.cab";
    two.prevDisk = "Disk 1";
    two.index = 1;
    one.folders.push_back({kMethodMszip, {blocks[0], firstPart}});
    std::vector<testing::Block> rest = {secondPart};
    rest.insert(rest.end(), blocks.begin() + 2, blocks.end());
    two.folders.push_back({kMethodMszip, rest});
    const auto headSize = static_cast<uint32_t>(head.size());
    const auto spanSize = static_cast<uint32_t>(span.size());
    one.files.push_back({"head", headSize, 0, 0});
    one.files.push_back({"span", spanSize, headSize, kFolderContinuedToNext});
    two.files.push_back({"span", spanSize, headSize, kFolderContinuedFromPrev});
    two.files.push_back({"tail", static_cast<uint32_t>(tail.size()), headSize + spanSize, 0});
    return {one, two};
}

TEST(CabinetReader, FollowsChainsThroughSplitBlocks) {
    const auto head = Sample(30000, 10), span = Sample(20000, 11), tail = Sample(50000, 12);
    auto [one, two] = SpannedPair(head, span, tail);
    const auto bytesTwo = Serialize(two);
    std::vector<std::string> asked;
    auto resolver = [&](const std::string& name, const std::string& disk) {
        asked.push_back(name + "|" + disk);
        return name == "disk2.cab" ? Source(bytesTwo) : nullptr;
    };
    CabinetReader reader;
    ASSERT_FALSE(reader.Open(Source(Serialize(one)), "disk1.cab", resolver));
    EXPECT_EQ(asked, std::vector<std::string>{"disk2.cab|Disk 2"});
    ASSERT_EQ(reader.Cabinets().size(), 2u);
    ASSERT_EQ(reader.Folders().size(), 1u);
    EXPECT_EQ(reader.Folders()[0].cabinetCount, 2);
    ASSERT_EQ(reader.Files().size(), 3u);  // "span" is listed once
    Extracted out = ExtractEverything(reader);
    EXPECT_FALSE(out.result) << out.result.message;
    EXPECT_EQ(out.files["head"], head);
    EXPECT_EQ(out.files["span"], span);
    EXPECT_EQ(out.files["tail"], tail);

    // Without the resolver only the first cabinet is read and "span" cannot be finished.
    ASSERT_FALSE(reader.Open(Source(Serialize(one)), "disk1.cab"));
    out = ExtractEverything(reader);
    EXPECT_EQ(out.files["head"], head);
    EXPECT_EQ(out.errors["span"].code, CabErrc::MissingCabinet);

    // Opening the second cabinet alone lists "span" as starting elsewhere, and "tail", whose
    // folder began in the first cabinet, cannot be decoded either (its offset counts from
    // there): an error, not wrong bytes.
    ASSERT_FALSE(reader.Open(Source(bytesTwo), "disk2.cab"));
    out = ExtractEverything(reader);
    EXPECT_EQ(out.errors["span"].code, CabErrc::MissingCabinet);
    EXPECT_EQ(out.errors["tail"].code, CabErrc::MissingCabinet);
    EXPECT_TRUE(out.files.empty());
}

TEST(CabinetReader, DecodesLzxFoldersWhoseFrameIsSplitAcrossCabinets) {
    const std::vector<uint8_t> data = Sample(150000, 13);
    codec::LzxEncoderOptions options;
    options.windowBits = 17;
    codec::LzxEncoder encoder(options);
    encoder.Write(data.data(), data.size());
    encoder.Finish();
    std::vector<testing::Block> blocks;
    for (auto& b : encoder.TakeBlocks())
        blocks.push_back({b.data, static_cast<uint16_t>(b.uncompressedSize)});
    ASSERT_GE(blocks.size(), 4u);
    // The third frame's compressed bytes are cut in two: 1 byte, then the rest.
    testing::Block cut = blocks[2];
    testing::Block head{{cut.data.begin(), cut.data.begin() + 1}, 0};
    testing::Block rest{{cut.data.begin() + 1, cut.data.end()}, cut.uncompressed};
    const uint16_t lzx17 = kMethodLzx | (17 << kWindowBitsShift);
    Cab one, two;
    one.next = "2.cab";
    two.prev = "1.cab";
    two.index = 1;
    one.folders.push_back({lzx17, {blocks[0], blocks[1], head}});
    std::vector<testing::Block> tail = {rest};
    tail.insert(tail.end(), blocks.begin() + 3, blocks.end());
    two.folders.push_back({lzx17, tail});
    one.files.push_back({"first", 1000, 0, 0});
    one.files.push_back({"whole", 149000, 1000, kFolderContinuedToNext});
    two.files.push_back({"whole", 149000, 1000, kFolderContinuedFromPrev});
    const auto second = Serialize(two);
    CabinetReader reader;
    ASSERT_FALSE(
        reader.Open(Source(Serialize(one)), "1.cab",
                    [&](const std::string&, const std::string&) { return Source(second); }));
    EXPECT_EQ(reader.Folders()[0].MethodName(), "LZX:17");
    Extracted out = ExtractEverything(reader);
    EXPECT_FALSE(out.result) << out.result.message;
    EXPECT_EQ(out.files["first"], std::vector<uint8_t>(data.begin(), data.begin() + 1000));
    EXPECT_EQ(out.files["whole"], std::vector<uint8_t>(data.begin() + 1000, data.end()));
}

TEST(CabinetReader, ReportsMissingAndWrongNextCabinets) {
    auto [one, two] = SpannedPair(Sample(30000, 1), Sample(20000, 2), Sample(100, 3));
    CabinetReader reader;
    CabError e = reader.Open(Source(Serialize(one)), "disk1.cab",
                             [](const std::string&, const std::string&) { return nullptr; });
    EXPECT_EQ(e.code, CabErrc::MissingCabinet);
    EXPECT_NE(e.message.find("disk2.cab"), std::string::npos);

    two.setId = 99;  // another set
    const auto other = Serialize(two);
    e = reader.Open(Source(Serialize(one)), "disk1.cab",
                    [&](const std::string&, const std::string&) { return Source(other); });
    EXPECT_EQ(e.code, CabErrc::WrongCabinet);

    // A chain whose names loop back ends with an error instead of running forever.
    Cab loop = testing::SingleFolder({{"f", Sample(10, 1)}}, 0);
    loop.next = "self.cab";
    loop.prev = "self.cab";
    const auto self = Serialize(loop);
    e = reader.Open(Source(self), "self.cab",
                    [&](const std::string&, const std::string&) { return Source(self); });
    EXPECT_TRUE(e.code == CabErrc::WrongCabinet || e.code == CabErrc::Corrupt) << e.message;
}

}  // namespace
}  // namespace cab
