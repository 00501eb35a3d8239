#include "install/download_plan.h"

#include "common/net/http_response.h"

namespace stepwise {

namespace {

std::optional<std::uint64_t> ParseDecimal(const std::string& text) {
    // 19 digits always fit in 64 bits.
    if (text.empty() || text.size() > 19 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoull(text);
}

struct ContentRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::optional<std::uint64_t> total;
};

// "bytes a-b/total" or "bytes a-b/*".
std::optional<ContentRange> ParseContentRange(const std::string& rawHeaders) {
    std::optional<std::string> value = net::HeaderValue(rawHeaders, "Content-Range");
    if (!value || value->compare(0, 6, "bytes ") != 0)
        return std::nullopt;
    std::string spec = value->substr(6);
    std::size_t dash = spec.find('-');
    std::size_t slash = spec.find('/');
    if (dash == std::string::npos || slash == std::string::npos || slash < dash)
        return std::nullopt;
    std::optional<std::uint64_t> first = ParseDecimal(spec.substr(0, dash));
    std::optional<std::uint64_t> last = ParseDecimal(spec.substr(dash + 1, slash - dash - 1));
    if (!first || !last || *last < *first)
        return std::nullopt;
    ContentRange range{*first, *last, std::nullopt};
    std::string total = spec.substr(slash + 1);
    if (total != "*") {
        range.total = ParseDecimal(total);
        if (!range.total || *range.total <= *last)
            return std::nullopt;
    }
    return range;
}

}  // namespace

std::optional<std::string> DownloadFileName(const net::Url& url) {
    std::string path = url.path.substr(0, url.path.find('?'));
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::string("\\/:*?\"<>|").find(c) != std::string::npos)
            return std::nullopt;
    }
    return name;
}

std::optional<DownloadTarget> PlanDownload(const std::string& address,
                                           const std::string& folder,
                                           std::string& why) {
    std::optional<net::Url> url = net::ParseUrl(address);
    if (!url) {
        why = "not an http or https address: " + address;
        return std::nullopt;
    }
    std::optional<std::string> name = DownloadFileName(*url);
    if (!name) {
        why = "the address names no file: " + address;
        return std::nullopt;
    }
    DownloadTarget target;
    target.url = *url;
    target.path = folder;
    if (target.path.empty() || target.path.back() != '\\')
        target.path += '\\';
    target.path += *name;
    target.partPath = target.path + kPartSuffix;
    return target;
}

std::string RangeValidator(const std::string& rawHeaders) {
    std::optional<std::string> ranges = net::HeaderValue(rawHeaders, "Accept-Ranges");
    if (!ranges || ranges->find("bytes") == std::string::npos)
        return "";
    std::optional<std::string> etag = net::HeaderValue(rawHeaders, "ETag");
    if (etag && !etag->empty() && etag->compare(0, 2, "W/") != 0)
        return *etag;
    std::optional<std::string> modified = net::HeaderValue(rawHeaders, "Last-Modified");
    return modified ? *modified : "";
}

std::string ResumeRequestHeaders(const ResumePoint& point) {
    return net::HeaderBlock(
        {"Range: bytes=" + std::to_string(point.offset) + "-", "If-Range: " + point.validator});
}

RangeAnswer ClassifyAnswer(int status, const std::string& rawHeaders, std::uint64_t askedOffset) {
    if (status == 200)
        return RangeAnswer::Whole;
    if (status != 206 || askedOffset == 0)
        return RangeAnswer::Fail;
    std::optional<ContentRange> range = ParseContentRange(rawHeaders);
    if (!range || range->first != askedOffset)
        return RangeAnswer::Fail;
    return RangeAnswer::Append;
}

std::optional<std::uint64_t> ContentRangeTotal(const std::string& rawHeaders) {
    std::optional<ContentRange> range = ParseContentRange(rawHeaders);
    return range ? range->total : std::nullopt;
}

}  // namespace stepwise
