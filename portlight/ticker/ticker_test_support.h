// Fakes shared by the ticker's unit tests: a settings store, a clock and a cache in memory.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "app/housekeeping.h"
#include "app/options.h"
#include "ticker/ticker_feed.h"

namespace portlight::testing {

class MemoryStore : public ProfileStore {
  public:
    std::string Read(const std::string& key, const std::string& fallback) override {
        auto it = values.find(key);
        return it == values.end() ? fallback : it->second;
    }
    void Write(const std::string& key, const std::string& value) override {
        values[key] = value;
        ++writes;
    }
    std::map<std::string, std::string> values;
    int writes = 0;
};

class FakeClock : public Clock {
  public:
    std::string Today() override { return today; }
    std::string Hour() override { return hour; }
    std::string today = "20261209";
    std::string hour = "10";
};

class MemoryCache : public TickerCache {
  public:
    std::optional<std::string> Read() override { return text; }
    bool Replace(const std::string& replacement) override {
        if (failWrites)
            return false;
        text = replacement;
        return true;
    }
    std::optional<std::string> text;
    bool failWrites = false;
};

}  // namespace portlight::testing
