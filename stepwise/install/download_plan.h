// The decisions of one download that need no network: which address it is, where the file
// goes and under which temporary name it grows, and whether a retry may ask the server for
// the rest of a file instead of all of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/net/url.h"

namespace stepwise {

// Where one download address lands.
struct DownloadTarget {
    net::Url url;
    std::string path;      // destination folder, backslash, file name
    std::string partPath;  // the temporary name beside it, renamed to `path` when whole
};

// Ending of the temporary file a download grows in (beside the real name, so the rename is
// within one folder and never copies).
constexpr char kPartSuffix[] = ".stepwise.part";

// The file name an address names: its last path segment, the query left out. nullopt when
// there is none ("http://host/") or it cannot be a file name (reserved characters, "..").
std::optional<std::string> DownloadFileName(const net::Url& url);

// The target of `address` in `folder` (with or without a trailing backslash); nullopt, with
// `why` set, for an address that is not http or https (ftp included) or names no file.
std::optional<DownloadTarget> PlanDownload(const std::string& address,
                                           const std::string& folder,
                                           std::string& why);

// What a retry needs to continue a file: the bytes already in the temporary file and the
// validator the server gave for them (a strong ETag, else Last-Modified).
struct ResumePoint {
    std::uint64_t offset = 0;
    std::string validator;
    bool usable() const { return offset > 0 && !validator.empty(); }
};

// The validator to resume with later, from a response's raw headers: only when the server
// said it accepts byte ranges; a strong ETag first (a weak one cannot guard a range), else
// Last-Modified. Empty when the file cannot be resumed.
std::string RangeValidator(const std::string& rawHeaders);

// The request lines that ask for the rest of the file from `point`: the range, and the
// validator so a changed file comes back whole instead of as a mismatched tail.
std::string ResumeRequestHeaders(const ResumePoint& point);

// How the server answered a request.
enum class RangeAnswer {
    Whole,   // 200: the whole file follows; start the temporary file over
    Append,  // 206 continuing exactly at the offset asked for
    Fail,    // anything else, or a range that does not start where the file ends
};
RangeAnswer ClassifyAnswer(int status, const std::string& rawHeaders, std::uint64_t askedOffset);

// The whole file's length from a 206's "Content-Range: bytes a-b/total"; nullopt for "*" or
// a malformed value.
std::optional<std::uint64_t> ContentRangeTotal(const std::string& rawHeaders);

}  // namespace stepwise
