#include "display/clipboard_win.h"

#include <cstring>

namespace portlight {

namespace {

// Keeps the clipboard open for a scope.
class OpenClipboardScope {
  public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() {
        if (open_)
            CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool open() const { return open_; }

  private:
    bool open_;
};

// Owns movable global memory until the clipboard takes it.
class GlobalMemory {
  public:
    explicit GlobalMemory(size_t bytes) : memory_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalMemory() {
        if (memory_)
            GlobalFree(memory_);
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    HGLOBAL get() const { return memory_; }
    HGLOBAL release() {
        HGLOBAL memory = memory_;
        memory_ = nullptr;
        return memory;
    }

  private:
    HGLOBAL memory_;
};

}  // namespace

bool PutClipboardText(HWND owner, const std::string& text) {
    OpenClipboardScope clipboard(owner);
    if (!clipboard.open() || !EmptyClipboard())
        return false;
    GlobalMemory memory(text.size() + 1);
    if (!memory.get())
        return false;
    void* bytes = GlobalLock(memory.get());
    if (!bytes)
        return false;
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory.get());
    if (!SetClipboardData(CF_TEXT, memory.get()))
        return false;
    memory.release();  // the clipboard owns it now
    return true;
}

std::string ClipboardText(HWND owner) {
    OpenClipboardScope clipboard(owner);
    if (!clipboard.open())
        return {};
    HANDLE data = GetClipboardData(CF_TEXT);  // borrowed: the clipboard keeps it
    if (!data)
        return {};
    const char* bytes = static_cast<const char*>(GlobalLock(data));
    if (!bytes)
        return {};
    std::string text(bytes, strnlen(bytes, GlobalSize(data)));
    GlobalUnlock(data);
    return text;
}

}  // namespace portlight
