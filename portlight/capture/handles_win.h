// Owners for the kernel and registry handles the bar opens; each closes its handle when it
// goes out of scope, so every handle is released within the operation that opened it.
#pragma once

#include <windows.h>

namespace portlight {

class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    void reset() {
        if (valid())
            CloseHandle(handle_);
        handle_ = nullptr;
    }
    HANDLE get() const { return handle_; }
    HANDLE* out() { return &handle_; }
    bool valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = nullptr;
};

class ScopedRegKey {
public:
    ScopedRegKey() = default;
    ~ScopedRegKey() {
        if (key_)
            RegCloseKey(key_);
    }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

    HKEY get() const { return key_; }
    HKEY* out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace portlight
