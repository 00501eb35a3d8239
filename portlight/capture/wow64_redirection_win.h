// The 32-bit bar on 64-bit Windows: WOW64 redirects its file reads of the system folder
// (C:\Windows\System32) to the 32-bit twin in SysWOW64, so the version resource and icon of
// a 64-bit program there come from the wrong file, or from none. Wow64RedirectionOff turns
// the redirection off for the calling thread around one such read.
#pragma once

#include <windows.h>

namespace portlight {

// Wow64DisableWow64FsRedirection and Wow64RevertWow64FsRedirection. They are missing on
// 32-bit systems before XP SP2 (and fail harmlessly on 32-bit Windows), so both are
// resolved at run time.
struct Wow64RedirectionApi {
    using Disable = BOOL(WINAPI*)(PVOID* oldValue);
    using Revert = BOOL(WINAPI*)(PVOID oldValue);
    Disable disable = nullptr;
    Revert revert = nullptr;
};

// Tests stand in for the system's calls; nullptr goes back to kernel32's.
void OverrideWow64RedirectionApi(const Wow64RedirectionApi* api);

// While it lives, file reads of this thread see the system's real folders. The docs warn
// that DLL loading depends on redirection, so keep the scope to the file read itself and
// load nothing inside it; every successful disable is paired with exactly one revert.
class Wow64RedirectionOff {
  public:
    Wow64RedirectionOff();
    ~Wow64RedirectionOff();
    Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
    Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;

  private:
    Wow64RedirectionApi::Revert revert_ = nullptr;
    PVOID oldValue_ = nullptr;
    bool off_ = false;
};

}  // namespace portlight
