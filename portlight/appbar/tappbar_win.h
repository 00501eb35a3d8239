// The Win32 side of the docking object: AppBarHostWin answers TAppBar's questions for one
// host window through the shell's application-bar protocol, window styles and positions,
// the message queue and the registry. AppBarWin bundles the two for an owner.
#pragma once

#include <windows.h>

#include "appbar/tappbar.h"

namespace appbar {

class AppBarHostWin : public AppBarPlatform {
  public:
    explicit AppBarHostWin(HWND form) : form_(form) {}  // borrowed: the owner destroys it

    ScreenMetrics Metrics() override;
    Rect WorkArea() override;
    bool DragFullWindows() override;
    uint32_t TickCount() override;
    uintptr_t WindowHandle() override;
    uintptr_t ShellMessage(uint32_t message, int32_t edge, intptr_t lParam, Rect* rect) override;
    void AttachWindowProc(TAppBar& bar) override;
    void DetachWindowProc() override;
    void StartTimer(uint32_t intervalMs) override;
    void StopTimer() override;
    void RemoveSizeCommands() override;
    Rect WindowRect() override;
    void SlideStep(const Rect& r) override;
    void PlaceWindow(const Rect& r) override;
    void SetZOrder(ZOrder z) override;
    void SetCaption(bool on) override;
    void SetTaskbarButton(bool on) override;
    void ShowConflictMessage(const std::string& text) override;
    bool HostIsActive() override;
    uint32_t LastMessagePos() override;
    bool CtrlKeyDown() override;
    bool PrimaryButtonDown() override;
    Point ScreenToClient(Point p) override;
    Size ClientSize() override;
    std::vector<ControlBox> Controls() override;
    std::optional<std::vector<uint8_t>> ReadRecordValue(uint32_t root,
                                                        const std::string& path) override;
    bool WriteRecordValue(uint32_t root,
                          const std::string& path,
                          const RecordBytes& bytes) override;

  private:
    HWND form_;
};

// One docking object bound to its host window, as the bar window owns it from load to
// unload. Call bar.Detach() before the window is destroyed.
struct AppBarWin {
    explicit AppBarWin(HWND form) : host(form), bar(host) {}
    AppBarHostWin host;
    TAppBar bar;
};

// Changes a window's style word (GWL_STYLE or GWL_EXSTYLE): clears `clear`, sets `set`.
// Returns false and does nothing when that changes nothing. With `hide`, a visible window
// is hidden while the style changes and shown again; with `extraFlags`, SetWindowPos
// applies the change without moving, sizing, reordering or activating.
bool SetStyleBits(HWND window, int index, DWORD clear, DWORD set, UINT extraFlags, bool hide);

}  // namespace appbar
