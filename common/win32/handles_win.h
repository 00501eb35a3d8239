// Owners for every Win32 handle both programs hold: one movable template, one traits struct
// per kind of handle saying what "empty" is and how the handle is released.
//
//   win32::KernelHandle process(OpenProcess(...));     // CloseHandle
//   if (!process) return;                              // empty: null or INVALID_HANDLE_VALUE
//   win32::RegKey key;  RegOpenKeyExA(..., key.out()); // out() for APIs that write a handle
//   win32::Font font(CreateFontA(...));                // DeleteObject, typed get()
//   win32::SelectObjectScope keep(dc, font.get());     // selection undone at scope exit
//
// A borrowed handle (a stock object, a shared icon from LoadIcon) is never put in an owner.
// This header is the only place that calls CloseHandle, DeleteObject, DestroyMenu,
// RegCloseKey, InternetCloseHandle and their kin.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <utility>

namespace win32 {

template <typename Traits>
class Owned {
  public:
    using Handle = typename Traits::Handle;

    Owned() = default;
    explicit Owned(Handle value) : value_(value) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : value_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return value_; }
    bool valid() const { return Traits::Valid(value_); }
    explicit operator bool() const { return valid(); }

    // Releases the held handle (if any) and takes `value`.
    void reset(Handle value = Traits::Empty()) {
        if (Traits::Valid(value_))
            Traits::Close(value_);
        value_ = value;
    }
    // Gives the handle up without releasing it.
    Handle release() { return std::exchange(value_, Traits::Empty()); }
    // For APIs that return a handle through a pointer: the old handle is released first.
    Handle* out() {
        reset();
        return &value_;
    }

  private:
    Handle value_ = Traits::Empty();
};

// Kernel objects (process, thread, event, mutex, pipe, file, snapshot). CreateFile reports
// failure with INVALID_HANDLE_VALUE, the others with null: both count as empty.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};

struct IconTraits {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};

// DestroyMenu destroys the menu's submenus with it.
struct MenuTraits {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DestroyMenu(h); }
};

// CreateCompatibleDC / CreateDC.
struct MemoryDCTraits {
    using Handle = HDC;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};

// GetDC(nullptr): the whole screen's device context.
struct ScreenDCTraits {
    using Handle = HDC;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ReleaseDC(nullptr, h); }
};

// WinINet handles (session, connection, request): InternetCloseHandle. Closing a request
// also ends a read or send another thread is blocked in, which is how a worker is cut short.
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { InternetCloseHandle(h); }
};

using KernelHandle = Owned<KernelHandleTraits>;
using FindHandle = Owned<FindHandleTraits>;
using RegKey = Owned<RegKeyTraits>;
using GdiObject = Owned<GdiObjectTraits<HGDIOBJ>>;
using Font = Owned<GdiObjectTraits<HFONT>>;
using Brush = Owned<GdiObjectTraits<HBRUSH>>;
using Pen = Owned<GdiObjectTraits<HPEN>>;
using Bitmap = Owned<GdiObjectTraits<HBITMAP>>;
using Icon = Owned<IconTraits>;
using Menu = Owned<MenuTraits>;
using MemoryDC = Owned<MemoryDCTraits>;
using ScreenDC = Owned<ScreenDCTraits>;
using InternetHandle = Owned<InternetHandleTraits>;

// The screen's device context, for measuring (DPI) and for making compatible bitmaps.
inline ScreenDC GetScreenDC() {
    return ScreenDC(GetDC(nullptr));
}

// Selects a GDI object into a device context for one scope and puts the previous object
// back at its end. The selected object stays owned by its owner, which must outlive the
// scope (declare the owner first).
class SelectObjectScope {
  public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectObjectScope() {
        if (old_)
            SelectObject(dc_, old_);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint / EndPaint for one WM_PAINT.
class PaintScope {
  public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

}  // namespace win32
