// RAII owners for the Win32 handles the installer uses. Each closes its handle in the
// destructor; none is copyable.
#pragma once

#include <windows.h>

#include <utility>

namespace stepwise {

template <typename T, typename Traits>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept
        : value_(std::exchange(other.value_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.value_, Traits::Invalid()));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }
    void reset(T value = Traits::Invalid()) {
        if (value_ != Traits::Invalid())
            Traits::Close(value_);
        value_ = value;
    }

  private:
    T value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct GdiObjectTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};

using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;  // process, thread, event
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;      // CreateFile
using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using GdiObject = UniqueHandle<HGDIOBJ, GdiObjectTraits>;

// Selects a GDI object into a device context for one scope.
class SelectObjectScope {
  public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectObjectScope() { SelectObject(dc_, old_); }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace stepwise
