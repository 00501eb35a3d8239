// ticker.db in the program folder. A new cache is written to a temporary file in the same
// folder and moved over the old one, so a failed or partial write never loses the cache
// that was there.
#pragma once

#include <optional>
#include <string>

#include "ticker/ticker_feed.h"

namespace portlight {

class FileTickerCache : public TickerCache {
  public:
    // `folder` without a trailing backslash.
    explicit FileTickerCache(std::string folder) : folder_(std::move(folder)) {}
    std::optional<std::string> Read() override;
    bool Replace(const std::string& text) override;
    std::string path() const { return folder_ + "\\ticker.db"; }

  private:
    std::string folder_;
};

// Reads a whole file; nullopt when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes `text` to a new temporary file in `target`'s folder, flushes it, and moves it over
// `target` (replacing it). False, with `target` untouched and no temporary file left, on
// any failure.
bool ReplaceFileContents(const std::string& target, const std::string& text);

}  // namespace portlight
