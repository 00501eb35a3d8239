#include "ticker/endpoints.h"

#include <cstdlib>

#include "common/net/url.h"

namespace portlight {

std::string BaseUrl(const char* override, const std::string& fallback) {
    if (override && net::ParseUrl(override))
        return override;
    return fallback;
}

std::string VendorBaseUrl() {
    return BaseUrl(std::getenv(kVendorUrlVariable), kVendorSiteUrl);
}

std::string CounterBaseUrl() {
    return BaseUrl(std::getenv(kCounterUrlVariable), kCounterSiteUrl);
}

}  // namespace portlight
