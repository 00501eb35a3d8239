#include "cab/cab_writer.h"

#include <gtest/gtest.h>

#include "cab/cab_format.h"
#include "cab/cab_reader.h"

namespace cab {
namespace {

std::vector<uint8_t> Bytes(size_t size, uint32_t seed, bool compressible) {
    std::vector<uint8_t> out(size);
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1664525 + 1013904223;
        out[i] = compressible ? static_cast<uint8_t>("abcdefgh \n"[(seed >> 24) % 10])
                              : static_cast<uint8_t>(seed >> 24);
    }
    return out;
}

struct Input {
    NewFile file;
    std::vector<uint8_t> data;
};

std::vector<Input> Inputs() {
    std::vector<Input> in;
    in.push_back({{"readme.txt", 0x5921, 0x6000, 0x21}, Bytes(70000, 1, true)});
    in.push_back({{"empty.txt", 0x5922, 0x6001, 0x20}, {}});
    in.push_back({{"bin\\tool.exe", 0x5923, 0x6002, 0x01}, Bytes(50000, 2, false)});
    in.push_back({{"tiny", 0x5924, 0x6003, 0x22}, Bytes(3, 3, true)});
    in.push_back({{"more.txt", 0x5925, 0x6004, 0x20}, Bytes(120001, 4, true)});
    return in;
}

// Reads a chain back with the reader, through the sink's cabinets.
void ExpectReadsBack(const MemoryCabinetSink& sink, const std::vector<Input>& in) {
    ASSERT_FALSE(sink.order.empty());
    auto open = [&](const std::string& name) -> std::unique_ptr<ByteSource> {
        auto it = sink.cabinets.find(name);
        if (it == sink.cabinets.end())
            return nullptr;
        return std::make_unique<MemorySource>(it->second.data(), it->second.size());
    };
    CabinetReader reader;
    CabError e =
        reader.Open(open(sink.order[0]), sink.order[0],
                    [&](const std::string& name, const std::string&) { return open(name); });
    ASSERT_TRUE(e.ok()) << e.message;
    ASSERT_EQ(reader.Files().size(), in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        const FileEntry& f = reader.Files()[i];
        EXPECT_EQ(f.name, in[i].file.name);
        EXPECT_EQ(f.date, in[i].file.date);
        EXPECT_EQ(f.time, in[i].file.time);
        EXPECT_EQ(f.attributes, in[i].file.attributes);
        VectorSink out;
        CabError x = reader.Extract(i, out);
        EXPECT_TRUE(x.ok()) << f.name << ": " << x.message;
        EXPECT_EQ(out.bytes, in[i].data) << f.name;
    }
    EXPECT_TRUE(reader.Test().ok());
}

// Every method, alone and as several folders of one cabinet, reads back with names, times,
// attributes and bytes intact.
TEST(CabinetWriter, WritesEveryMethodAndSeveralFolders) {
    const std::vector<Input> in = Inputs();
    for (const char* method : {"none", "mszip", "lzx:15", "lzx:21"}) {
        Compression c;
        ASSERT_TRUE(Compression::Parse(method, &c));
        CabinetWriter writer("one.cab");
        writer.StartFolder(c);
        for (const Input& i : in)
            ASSERT_TRUE(writer.AddFile(i.file, i.data.data(), i.data.size()).ok());
        MemoryCabinetSink sink;
        ASSERT_TRUE(writer.Finish(sink).ok()) << method;
        ASSERT_EQ(sink.order, std::vector<std::string>{"one.cab"});
        const std::vector<uint8_t>& cab = sink.cabinets["one.cab"];
        EXPECT_EQ(ReadU16(&cab[kHeaderFolderCount]), 1);
        EXPECT_EQ(ReadU32(&cab[kHeaderCabinetSize]), cab.size());
        ExpectReadsBack(sink, in);
    }

    CabinetWriter writer("multi.cab");
    const char* methods[] = {"none", "mszip", "lzx:17", "lzx:21", "mszip"};
    for (size_t i = 0; i < in.size(); ++i) {
        Compression c;
        ASSERT_TRUE(Compression::Parse(methods[i], &c));
        writer.StartFolder(c);
        ASSERT_TRUE(writer.AddFile(in[i].file, in[i].data.data(), in[i].data.size()).ok());
    }
    MemoryCabinetSink sink;
    ASSERT_TRUE(writer.Finish(sink).ok());
    EXPECT_EQ(ReadU16(&sink.cabinets["multi.cab"][kHeaderFolderCount]), 5);
    ExpectReadsBack(sink, in);
}

// A folder size cuts folders between files: a file that would take a folder holding data
// past it opens the next one, a larger file gets a folder of its own, nothing is split.
TEST(CabinetWriter, CutsFoldersAtTheFolderSize) {
    const std::vector<Input> in = Inputs();  // 70000, 0, 50000, 3 and 120001 bytes
    WriterOptions options;
    options.maxFolderSize = 100000;
    CabinetWriter writer("cut.cab", options);
    writer.StartFolder(Compression{CompressionMethod::Lzx, 16});
    for (const Input& i : in)
        ASSERT_TRUE(writer.AddFile(i.file, i.data.data(), i.data.size()).ok());
    MemoryCabinetSink sink;
    ASSERT_TRUE(writer.Finish(sink).ok());
    EXPECT_EQ(ReadU16(&sink.cabinets["cut.cab"][kHeaderFolderCount]), 3);
    CabinetReader reader;
    const std::vector<uint8_t>& cab = sink.cabinets["cut.cab"];
    ASSERT_TRUE(
        reader.Open(std::make_unique<MemorySource>(cab.data(), cab.size()), "cut.cab").ok());
    std::vector<int> folders;
    for (const FileEntry& f : reader.Files())
        folders.push_back(f.folder);
    EXPECT_EQ(folders, (std::vector<int>{0, 0, 1, 1, 2}));
    for (const FolderEntry& f : reader.Folders())
        EXPECT_EQ(f.compression & kMethodMask, kMethodLzx);
    ExpectReadsBack(sink, in);
}

// A chain at a maximum size: every cabinet within it, names counted up, markers set, and no
// file starts in a folder after a cut (what libmspack requires of a continued folder).
TEST(CabinetWriter, SpansChainsWithinTheMaximumSize) {
    const std::vector<Input> in = Inputs();
    for (const char* method : {"none", "mszip", "lzx:16"}) {
        Compression c;
        ASSERT_TRUE(Compression::Parse(method, &c));
        CabinetWriter writer("disk1.cab", {.maxCabinetSize = 45000});
        writer.StartFolder(c);
        for (const Input& i : in)
            ASSERT_TRUE(writer.AddFile(i.file, i.data.data(), i.data.size()).ok());
        MemoryCabinetSink sink;
        CabError e = writer.Finish(sink);
        ASSERT_TRUE(e.ok()) << e.message;
        ASSERT_GE(sink.order.size(), 3u) << method;
        EXPECT_EQ(writer.CabinetNames(), sink.order);
        for (size_t k = 0; k < sink.order.size(); ++k) {
            EXPECT_EQ(sink.order[k], "disk" + std::to_string(k + 1) + ".cab");
            const std::vector<uint8_t>& cab = sink.cabinets[sink.order[k]];
            EXPECT_LE(cab.size(), 45000u);
            uint16_t flags = ReadU16(&cab[kHeaderFlags]);
            EXPECT_EQ((flags & kFlagPrevCabinet) != 0, k > 0);
            EXPECT_EQ((flags & kFlagNextCabinet) != 0, k + 1 < sink.order.size());
            EXPECT_EQ(ReadU16(&cab[kHeaderCabinetIndex]), k);
            // Files of a continued first folder are all copies of earlier entries.
            uint32_t pos = ReadU32(&cab[kHeaderFilesOffset]);
            bool sawNewInFolder0 = false, folderContinued = false;
            for (int f = 0; f < ReadU16(&cab[kHeaderFileCount]); ++f) {
                uint16_t index = ReadU16(&cab[pos + kFileFolderIndex]);
                if (index == kFolderContinuedFromPrev || index == kFolderContinuedPrevAndNext)
                    folderContinued = true;
                else if (index == 0 || (index == kFolderContinuedToNext && k > 0 &&
                                        ReadU16(&cab[kHeaderFolderCount]) == 1))
                    sawNewInFolder0 = true;
                pos += kFileSize;
                while (cab[pos++] != 0) {
                }
            }
            EXPECT_FALSE(folderContinued && sawNewInFolder0) << method << " cabinet " << k;
        }
        ExpectReadsBack(sink, in);
    }
}

// Bad requests fail with a message instead of writing a broken cabinet.
TEST(CabinetWriter, RefusesWhatCannotBeWritten) {
    MemoryCabinetSink sink;
    CabinetWriter empty("x.cab");
    EXPECT_FALSE(empty.Finish(sink).ok());

    CabinetWriter tooSmall("x.cab", {.maxCabinetSize = 60});
    std::vector<uint8_t> data = Bytes(1000, 1, false);
    ASSERT_TRUE(tooSmall.AddFile({"a.bin"}, data.data(), data.size()).ok());
    CabError e = tooSmall.Finish(sink);
    EXPECT_FALSE(e.ok());
    EXPECT_NE(e.message.find("too small"), std::string::npos);

    CabinetWriter badName("x.cab");
    EXPECT_FALSE(badName.AddFile({""}, data.data(), data.size()).ok());
    EXPECT_FALSE(badName.AddFile({std::string(256, 'n')}, data.data(), data.size()).ok());

    // A source that ends early is an error, not a short file.
    MemorySource shortSource(data.data(), 10);
    EXPECT_FALSE(badName.AddFile({"short.bin"}, shortSource, 1000).ok());
}

TEST(CabinetWriter, NamesTheNextCabinetAndParsesMethods) {
    EXPECT_EQ(CabinetWriter::NextCabinetName("disk1.cab"), "disk2.cab");
    EXPECT_EQ(CabinetWriter::NextCabinetName("file9.cab"), "file10.cab");
    EXPECT_EQ(CabinetWriter::NextCabinetName("d09.CAB"), "d10.CAB");
    EXPECT_EQ(CabinetWriter::NextCabinetName("setup.cab"), "setup2.cab");
    EXPECT_EQ(CabinetWriter::NextCabinetName("payload"), "payload2");

    Compression c;
    ASSERT_TRUE(Compression::Parse("LZX:15", &c));
    EXPECT_EQ(c.TypeField(), 0x0F03);
    ASSERT_TRUE(Compression::Parse("lzx", &c));
    EXPECT_EQ(c.TypeField(), 0x1503);
    ASSERT_TRUE(Compression::Parse("mszip", &c));
    EXPECT_EQ(c.TypeField(), 1);
    ASSERT_TRUE(Compression::Parse("none", &c));
    EXPECT_EQ(c.TypeField(), 0);
    for (const char* bad : {"lzx:14", "lzx:22", "lzx:", "quantum", "zip", ""})
        EXPECT_FALSE(Compression::Parse(bad, &c)) << bad;
}

}  // namespace
}  // namespace cab
