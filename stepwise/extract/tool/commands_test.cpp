#include "tool/commands.h"

#include <gtest/gtest.h>

namespace cabtool {
namespace {

// Options may come before the cabinet or among the files, where --compress opens a folder.
TEST(CreateArgs, ParsesOptionsAndFolders) {
    CreateRequest r;
    std::string error;
    ASSERT_TRUE(ParseCreateArgs({"--max-size", "1440k", "out.cab", "a", "--compress", "lzx:18", "b",
                                 "c", "--compress", "none", "d"},
                                &r, &error))
        << error;
    EXPECT_EQ(r.cabinet, "out.cab");
    EXPECT_EQ(r.maxSize, 1440u * 1024);
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
