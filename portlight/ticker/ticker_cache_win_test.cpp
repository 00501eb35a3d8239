// ticker.db replacement on the real file system: temporary file in the same folder, moved
// over the old cache; a failed replacement leaves the old cache and no temporary file.
#include "ticker/ticker_cache_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/win32/handles_win.h"

namespace portlight {
namespace {

class CacheFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "pl-ticker-cache-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& name : Files())
            DeleteFileA((folder_ + "\\" + name).c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        win32::FindHandle find(FindFirstFileA((folder_ + "\\*").c_str(), &data));
        if (!find)
            return names;
        do {
            std::string name = data.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(find.get(), &data));
        return names;
    }
    std::string folder_;
};

TEST_F(CacheFolder, ReplacesTheWholeCacheAndLeavesNoTemporaryFile) {
    FileTickerCache cache(folder_);
    EXPECT_FALSE(cache.Read()) << "no ticker.db yet";
    ASSERT_TRUE(cache.Replace("'Starts here'\r\nA long first feed^\r\n"));
    ASSERT_TRUE(cache.Replace("'Starts here'\r\nB^\r\n"));
    EXPECT_EQ(cache.Read(), "'Starts here'\r\nB^\r\n") << "truncated, not overwritten in place";
    EXPECT_EQ(Files(), std::vector<std::string>{"ticker.db"});
    EXPECT_EQ(cache.path(), folder_ + "\\ticker.db");
}

// The old cache is held open without delete sharing (an editor, a virus scanner): the move
// fails, the old text stays, and the temporary file is gone.
TEST_F(CacheFolder, FailedReplacementKeepsTheOldCache) {
    FileTickerCache cache(folder_);
    ASSERT_TRUE(cache.Replace("old\r\n"));
    {
        win32::KernelHandle held(CreateFileA(cache.path().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                             nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(cache.Replace("new\r\n"));
    }
    EXPECT_EQ(cache.Read(), "old\r\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"ticker.db"});
}

TEST_F(CacheFolder, MissingFolderFailsCleanly) {
    FileTickerCache cache(folder_ + "\\missing");
    EXPECT_FALSE(cache.Replace("text"));
    EXPECT_FALSE(cache.Read());
}

}  // namespace
}  // namespace portlight
