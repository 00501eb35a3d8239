#include "capture/wow64_redirection_win.h"

#include <atomic>

namespace portlight {

namespace {

const Wow64RedirectionApi& SystemApi() {
    static const Wow64RedirectionApi api = [] {
        Wow64RedirectionApi found;
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (!kernel)
            return found;
        found.disable = reinterpret_cast<Wow64RedirectionApi::Disable>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
        found.revert = reinterpret_cast<Wow64RedirectionApi::Revert>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
        return found;
    }();
    return api;
}

std::atomic<const Wow64RedirectionApi*> overrideApi{nullptr};

}  // namespace

void OverrideWow64RedirectionApi(const Wow64RedirectionApi* api) {
    overrideApi = api;
}

Wow64RedirectionOff::Wow64RedirectionOff() {
    const Wow64RedirectionApi* api = overrideApi.load();
    if (!api)
        api = &SystemApi();
    // Both or neither: a disable that could not be reverted would leave the thread without
    // redirection for good.
    if (!api->disable || !api->revert)
        return;
    off_ = api->disable(&oldValue_) != FALSE;
    revert_ = api->revert;
}

Wow64RedirectionOff::~Wow64RedirectionOff() {
    if (off_)
        revert_(oldValue_);
}

}  // namespace portlight
