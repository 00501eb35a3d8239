#include "tool/commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tool/async_file_writer.h"
#include "tool/file_system.h"

namespace cabtool {
namespace {

// Options may come before the cabinet or among the files, where --compress opens a folder.
TEST(CreateArgs, ParsesOptionsAndFolders) {
    CreateRequest r;
    std::string error;
    ASSERT_TRUE(ParseCreateArgs({"--max-size", "1440k", "out.cab", "a", "--compress", "lzx:18", "b",
                                 "c", "--folder-size", "8m", "--compress", "none", "d"},
                                &r, &error))
        << error;
    EXPECT_EQ(r.cabinet, "out.cab");
    EXPECT_EQ(r.maxSize, 1440u * 1024);
    EXPECT_EQ(r.folderSize, 8u << 20);
    ASSERT_EQ(r.folders.size(), 3u);
    EXPECT_EQ(r.folders[0].compression.method, cab::CompressionMethod::Mszip);
    EXPECT_EQ(r.folders[0].inputs, std::vector<std::string>{"a"});
    EXPECT_EQ(r.folders[1].compression.lzxWindowBits, 18);
    EXPECT_EQ(r.folders[1].inputs, (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(r.folders[2].compression.method, cab::CompressionMethod::None);

    const std::vector<std::vector<std::string>> bad = {
        {},
        {"out.cab"},
        {"--compress"},
        {"--compress", "lzx:22", "out.cab", "a"},
        {"--max-size", "100", "out.cab", "a"},
        {"--max-size", "12q", "out.cab", "a"},
        {"--max-size", "99999999999", "out.cab", "a"},
        {"--folder-size", "0", "out.cab", "a"},
        {"out.cab", "a", "--folder-size"},
        {"--level", "9", "out.cab", "a"},
    };
    for (const auto& args : bad) {
        CreateRequest request;
        std::string message;
        EXPECT_FALSE(ParseCreateArgs(args, &request, &message));
        EXPECT_FALSE(message.empty());
    }
}

// Stored names: '\' separators, no "./" or leading separators, nothing that climbs out.
TEST(CreateArgs, DerivesSafeStoredNames) {
    std::string name, error;
    ASSERT_TRUE(StoredNameFor("./docs/read me.txt", &name, &error));
    EXPECT_EQ(name, "docs\\read me.txt");
    ASSERT_TRUE(StoredNameFor("/abs//path/x", &name, &error));
    EXPECT_EQ(name, "abs\\path\\x");
    for (const char* bad : {"../x", "a/../../x", "C:\\x", "c:x", ".", "", "./"}) {
        EXPECT_FALSE(StoredNameFor(bad, &name, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(StoredNameFor(std::string(300, 'a'), &name, &error));

    uint32_t size = 0;
    EXPECT_TRUE(ParseSize("1M", &size));
    EXPECT_EQ(size, 1048576u);
    EXPECT_TRUE(ParseSize("2147483647", &size));
    EXPECT_FALSE(ParseSize("2147483648", &size));
    EXPECT_FALSE(ParseSize("k", &size));
    EXPECT_FALSE(ParseSize("10kb", &size));
}

}  // namespace
}  // namespace cabtool

namespace cabtool {
namespace {

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

#ifndef _WIN32
// Names not flagged as UTF-8 come from Windows code pages and are read as Latin-1.
TEST(LocalName, GivesUtf8FileNames) {
    EXPECT_EQ(LocalName("caf\xE9.txt", false), "caf\xC3\xA9.txt");
    EXPECT_EQ(LocalName("caf\xC3\xA9.txt", true), "caf\xC3\xA9.txt");
    EXPECT_EQ(LocalName("plain\\name", false), "plain\\name");
}
#endif

// Files land in order with their bytes; a refused file is kept out, a failed one removed,
// and something else in the way (a folder) is reported and left alone.
TEST(AsyncFileWriter, WritesInOrderAndReportsFailures) {
    namespace fs = std::filesystem;
    fs::path dir =
        fs::temp_directory_path() /
        ("cabtool-writer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir / "blocker");
    {
        std::ofstream old(dir / "a.txt");
        old << std::string(1000, 'x');  // longer than the new content
    }
    AsyncFileWriter writer;
    const std::string big(300000, 'b');
    writer.Open((dir / "a.txt").string());
    writer.Write(reinterpret_cast<const uint8_t*>("new"), 3);
    writer.Close(true, 0x5921, 0x6000, 0x20);
    writer.Open((dir / "sub" / "b.bin").string());
    writer.Write(reinterpret_cast<const uint8_t*>(big.data()), big.size());
    writer.Close(true, 0x5921, 0x6000, 0x20);
    writer.Open((dir / "bad.txt").string());
    writer.Write(reinterpret_cast<const uint8_t*>("half"), 4);
    writer.Close(false, 0, 0, 0);
    writer.Open((dir / "blocker").string());
    writer.Write(reinterpret_cast<const uint8_t*>("x"), 1);
    writer.Close(true, 0, 0, 0);
    std::vector<std::string> failures = writer.Finish();

    EXPECT_EQ(ReadAll(dir / "a.txt"), "new");
    EXPECT_EQ(ReadAll(dir / "sub" / "b.bin"), big);
    EXPECT_FALSE(fs::exists(dir / "bad.txt"));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("blocker"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir / "blocker"));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace cabtool
