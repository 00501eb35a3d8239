#include "capture/process_memo.h"

#include <gtest/gtest.h>

#include <map>

namespace portlight {
namespace {

class CountingSystem : public ProcessSystem {
  public:
    std::map<uint32_t, std::string> paths;
    std::map<uint32_t, int> reads;
    std::vector<uint32_t> EnumerateProcessIds() override { return {}; }
    std::string ReadMainModulePath(uint32_t pid) override {
        ++reads[pid];
        return paths[pid];
    }
    std::vector<std::pair<uint32_t, std::string>> SnapshotProcessNames() override { return {}; }
};

// The same process is read once across snapshots; a new process under the same id, one
// whose creation time cannot be read and one that comes back after a gap are read again.
TEST(RememberingProcessSystem, OncePerProcessLife) {
    CountingSystem inner;
    std::map<uint32_t, uint64_t> created = {{700, 1111}, {800, 2222}, {900, 0}};
    RememberingProcessSystem memo(inner, [&](uint32_t pid) { return created[pid]; });
    inner.paths = {
        {700, "C:\\Apps\\Courier.exe"}, {800, "C:\\Apps\\Other.exe"}, {900, "C:\\x.exe"}};

    for (int snapshot = 0; snapshot < 3; ++snapshot) {
        EXPECT_EQ(memo.ReadMainModulePath(700), "C:\\Apps\\Courier.exe");
        EXPECT_EQ(memo.ReadMainModulePath(700), "C:\\Apps\\Courier.exe");
        EXPECT_EQ(memo.ReadMainModulePath(900), "C:\\x.exe");
        if (snapshot == 0)
            memo.ReadMainModulePath(800);
        memo.EndSnapshot();
    }
    EXPECT_EQ(inner.reads[700], 1);
    EXPECT_EQ(inner.reads[900], 3) << "no creation time: never remembered";
    EXPECT_EQ(memo.remembered(), 1u) << "800 was gone from the later snapshots";

    // Id 700 now names a new program.
    created[700] = 3333;
    inner.paths[700] = "C:\\Apps\\Newcomer.exe";
    EXPECT_EQ(memo.ReadMainModulePath(700), "C:\\Apps\\Newcomer.exe");
    EXPECT_EQ(inner.reads[700], 2);
}

}  // namespace
}  // namespace portlight
