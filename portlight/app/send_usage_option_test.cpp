// The "SendUsage" key: read at start-up with the other options, "True" when missing, and
// left alone by SaveOptions (no command changes it).
#include <gtest/gtest.h>

#include <map>

#include "app/commands.h"

namespace portlight {
namespace {

class MapStore : public ProfileStore {
  public:
    std::string Read(const std::string& key, const std::string& fallback) override {
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void Write(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

bool LoadedSendUsage(MapStore& store) {
    Options options;
    options.SendUsage = !options.SendUsage;  // so the load must set it
    CommandHost host;
    SettingsCommands commands(options, host, store);
    commands.LoadOptions();
    return options.SendUsage;
}

TEST(SendUsageOption, ReadLikeTheOtherOptions) {
    MapStore store;
    EXPECT_TRUE(LoadedSendUsage(store)) << "missing key";
    store.values["SendUsage"] = "False";
    EXPECT_FALSE(LoadedSendUsage(store));
    store.values["SendUsage"] = "true";
    EXPECT_TRUE(LoadedSendUsage(store));
    store.values["SendUsage"] = "";
    EXPECT_FALSE(LoadedSendUsage(store)) << "present but empty is not \"True\"";

    store.values["SendUsage"] = "False";
    Options options;
    options.SendUsage = true;
    SaveOptions(options, store);
    EXPECT_EQ(store.values["SendUsage"], "False") << "SaveOptions leaves the key as written";
}

}  // namespace
}  // namespace portlight
