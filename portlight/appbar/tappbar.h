// TAppBar: turns a top-level window into a shell application bar that docks to a screen
// edge (reserving its strip or auto-hiding) or floats with a caption. The rules live here;
// everything that touches the window system goes through AppBarPlatform, which the Win32
// side implements for one window (tappbar_win.h) and tests replace with a fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "appbar/appbar_geometry.h"
#include "appbar/appbar_record.h"
#include "appbar/appbar_types.h"

namespace appbar {

class TAppBar;

// The shell's callback message for this bar's notifications.
inline constexpr uint32_t kCallbackMessage = 0x0400 + 100;  // WM_USER + 100
// The auto-hide check timer on the host window.
inline constexpr uintptr_t kAutoHideTimerId = 100;

inline constexpr const char* kDefaultRegistryPath = "Software\\AppBar\\1.4\\VB";
// The two sentences are joined by a line feed and then a carriage return.
inline constexpr const char* kAutoHideConflictText =
    "There is already an auto hidden window on this edge.\n\r"
    "Only one auto hidden window is allowed on each edge.";

// The host window and the system around it, as the docking object sees them.
class AppBarPlatform {
  public:
    virtual ~AppBarPlatform() = default;

    virtual ScreenMetrics Metrics() = 0;
    virtual Rect WorkArea() = 0;
    virtual bool DragFullWindows() = 0;
    virtual uint32_t TickCount() = 0;
    virtual uintptr_t WindowHandle() = 0;

    // Sends one application-bar message for the host window; `rect`, when given, goes out
    // in the data block and comes back as the shell left it.
    virtual uintptr_t ShellMessage(uint32_t message, int32_t edge, intptr_t lParam, Rect* rect) = 0;

    // Installs or removes the window-procedure hook that routes messages to `bar`.
    virtual void AttachWindowProc(TAppBar& bar) = 0;
    virtual void DetachWindowProc() = 0;
    virtual void StartTimer(uint32_t intervalMs) = 0;
    virtual void StopTimer() = 0;
    virtual void RemoveSizeCommands() = 0;  // Restore, Minimize, Maximize of the system menu

    virtual Rect WindowRect() = 0;
    // One animation step: moved and sized without z-order change or activation, the frame
    // recalculated and repainted at once.
    virtual void SlideStep(const Rect& r) = 0;
    virtual void PlaceWindow(const Rect& r) = 0;
    virtual void SetZOrder(ZOrder z) = 0;
    virtual void SetCaption(bool on) = 0;        // WS_CAPTION | WS_SYSMENU
    virtual void SetTaskbarButton(bool on) = 0;  // WS_EX_APPWINDOW
    virtual void ShowConflictMessage(const std::string& text) = 0;

    virtual bool HostIsActive() = 0;
    virtual uint32_t LastMessagePos() = 0;  // packed, as GetMessagePos returns it
    virtual bool CtrlKeyDown() = 0;
    virtual bool PrimaryButtonDown() = 0;
    virtual Point ScreenToClient(Point p) = 0;
    virtual Size ClientSize() = 0;
    virtual std::vector<ControlBox> Controls() = 0;  // in the host's child order

    // The stored record: the bytes of the value as read (nullopt when the key or value
    // cannot be read or is larger than a record), and a REG_BINARY write.
    virtual std::optional<std::vector<uint8_t>> ReadRecordValue(uint32_t root,
                                                                const std::string& path) = 0;
    virtual bool WriteRecordValue(uint32_t root,
                                  const std::string& path,
                                  const RecordBytes& bytes) = 0;
};

class TAppBar {
  public:
    // Takes the defaults, with size limits from the screen as it is now.
    explicit TAppBar(AppBarPlatform& platform);
    // Detaches when the owner has not: the hook must not outlive the object it calls.
    ~TAppBar();
    TAppBar(const TAppBar&) = delete;
    TAppBar& operator=(const TAppBar&) = delete;

    void Extends();
    void Detach();
    void UpdateBar();
    bool LoadSettings();
    bool SaveSettings();

    // Edge: reads DragEdge during a move; setting it applies the edge at once.
    int32_t Edge() const { return dragEdge_ != EdgeNone ? dragEdge_ : rec_.Edge; }
    void SetEdge(int32_t edge);
    // SlideTime also paces the auto-hide check, so setting it restarts that timer.
    int32_t SlideTime() const { return rec_.SlideTime; }
    void SetSlideTime(int32_t ms);

    // The other options only store their value; it takes effect at the next UpdateBar.
    int32_t AllowedEdges() const { return rec_.AllowedEdges; }
    void SetAllowedEdges(int32_t v) { rec_.AllowedEdges = v; }
    bool AutoHide() const { return rec_.AutoHide; }
    void SetAutoHide(bool v) { rec_.AutoHide = v; }
    bool AlwaysOnTop() const { return rec_.AlwaysOnTop; }
    void SetAlwaysOnTop(bool v) { rec_.AlwaysOnTop = v; }
    bool SlideEffect() const { return rec_.SlideEffect; }
    void SetSlideEffect(bool v) { rec_.SlideEffect = v; }
    int32_t HorzSizeStep() const { return rec_.HorzSizeStep; }
    void SetHorzSizeStep(int32_t v) { rec_.HorzSizeStep = v; }
    int32_t VertSizeStep() const { return rec_.VertSizeStep; }
    void SetVertSizeStep(int32_t v) { rec_.VertSizeStep = v; }
    int32_t DockedWidth() const { return rec_.DockedWidth; }
    void SetDockedWidth(int32_t v) { rec_.DockedWidth = v; }
    int32_t DockedHeight() const { return rec_.DockedHeight; }
    void SetDockedHeight(int32_t v) { rec_.DockedHeight = v; }
    Rect FloatRect() const { return rec_.FloatRect(); }
    void SetFloatRect(const Rect& r) { rec_.SetFloatRect(r); }
    Size FloatMinSize() const { return {rec_.FloatMinWidth, rec_.FloatMinHeight}; }
    void SetFloatMinSize(Size s) {
        rec_.FloatMinWidth = s.cx;
        rec_.FloatMinHeight = s.cy;
    }
    Size FloatMaxSize() const { return {rec_.FloatMaxWidth, rec_.FloatMaxHeight}; }
    void SetFloatMaxSize(Size s) {
        rec_.FloatMaxWidth = s.cx;
        rec_.FloatMaxHeight = s.cy;
    }
    int32_t DockedMinWidth() const { return rec_.DockedMinWidth; }
    void SetDockedMinWidth(int32_t v) { rec_.DockedMinWidth = v; }
    int32_t DockedMinHeight() const { return rec_.DockedMinHeight; }
    void SetDockedMinHeight(int32_t v) { rec_.DockedMinHeight = v; }
    int32_t DockedMaxWidth() const { return rec_.DockedMaxWidth; }
    void SetDockedMaxWidth(int32_t v) { rec_.DockedMaxWidth = v; }
    int32_t DockedMaxHeight() const { return rec_.DockedMaxHeight; }
    void SetDockedMaxHeight(int32_t v) { rec_.DockedMaxHeight = v; }
    int32_t TaskbarButton() const { return rec_.TaskbarButton; }
    void SetTaskbarButton(int32_t v) { rec_.TaskbarButton = v; }
    uint32_t RegistryRoot() const { return registryRoot_; }
    void SetRegistryRoot(uint32_t root) { registryRoot_ = root; }
    const std::string& RegistryPath() const { return registryPath_; }
    void SetRegistryPath(std::string path) { registryPath_ = std::move(path); }

    const AppBarRecord& Record() const { return rec_; }
    bool FullScreenAppOpen() const { return fullScreenAppOpen_; }
    bool AutoHideShown() const { return autoHideShown_; }

    // Message handlers, called by the window-procedure hook (cbappbar_win.h).
    TrackLimits OnGetMinMaxInfo();
    void OnNcMouseMove();
    void OnTimer();
    void OnSizing(int32_t side, Rect& proposed);
    void OnMoving(Rect& proposed);
    void OnEnterSizeMove();
    void OnExitSizeMove();
    void OnShellNotification(uint32_t code, intptr_t lParam);
    void OnActivate(bool deactivated);
    void OnWindowPosChanged();
    int32_t OnNcHitTest(int32_t hit, uint32_t packedPoint);

    uintptr_t AppBarMessage(uint32_t message,
                            int32_t edge = EdgeFloat,
                            intptr_t lParam = 0,
                            Rect* rect = nullptr);

  private:
    int32_t GetAutoHideEdge();
    Rect ComputeDockedRect(int32_t edge);
    bool PlaceAutoHide(bool shown, Rect& r);
    void ShowHide(bool show);
    void SlideTo(const Rect& target);
    int32_t EdgeFromCursor(Point p);
    void UpdateCaptionStyle(bool duringMove, int32_t edge);
    void ApplyTaskbarButton(int32_t edge);
    void RecordMoveEnd(int32_t proposedEdge, const Rect& r);

    AppBarPlatform& platform_;
    AppBarRecord rec_;
    bool attached_ = false;
    int32_t dragEdge_ = EdgeNone;
    bool fullScreenAppOpen_ = false;
    bool autoHideShown_ = false;
    uint32_t registryRoot_ = RootCurrentUser;
    std::string registryPath_ = kDefaultRegistryPath;
};

}  // namespace appbar
