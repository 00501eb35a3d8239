#include "appbar/tappbar.h"

namespace appbar {

TAppBar::TAppBar(AppBarPlatform& platform)
    : platform_(platform), rec_(DefaultRecord(platform.Metrics().screen)) {}

TAppBar::~TAppBar() {
    Detach();
}

void TAppBar::Extends() {
    platform_.AttachWindowProc(*this);
    attached_ = true;
    platform_.StartTimer(static_cast<uint32_t>(rec_.SlideTime));
    rec_.SetFloatRect(platform_.WindowRect());
    AppBarMessage(abm::New);
    UpdateBar();
    platform_.RemoveSizeCommands();
}

void TAppBar::Detach() {
    if (!attached_) {
        return;  // never attached, or detached already: nothing is registered
    }
    platform_.StopTimer();
    SetEdge(EdgeNone);
    platform_.DetachWindowProc();
    attached_ = false;
}

void TAppBar::UpdateBar() {
    SetEdge(Edge());
}

bool TAppBar::LoadSettings() {
    const auto bytes = platform_.ReadRecordValue(registryRoot_, registryPath_);
    if (!bytes) {
        return false;
    }
    const auto record = DecodeRecord(*bytes);
    if (!record) {
        return false;
    }
    rec_ = *record;
    return true;
}

bool TAppBar::SaveSettings() {
    return platform_.WriteRecordValue(registryRoot_, registryPath_, EncodeRecord(rec_));
}

void TAppBar::SetSlideTime(int32_t ms) {
    rec_.SlideTime = ms;
    if (attached_) {
        platform_.StopTimer();
        platform_.StartTimer(static_cast<uint32_t>(ms));
    }
}

uintptr_t TAppBar::AppBarMessage(uint32_t message, int32_t edge, intptr_t lParam, Rect* rect) {
    return platform_.ShellMessage(message, edge, lParam, rect);
}

int32_t TAppBar::GetAutoHideEdge() {
    const uintptr_t self = platform_.WindowHandle();
    for (int32_t edge = EdgeLeft; edge <= EdgeBottom; ++edge) {
        if (AppBarMessage(abm::GetAutoHideBar, edge) == self) {
            return edge;
        }
    }
    return EdgeNone;
}

void TAppBar::SetEdge(int32_t e) {
    const int32_t autoHideEdge = GetAutoHideEdge();
    if (autoHideEdge != EdgeNone) {
        AppBarMessage(abm::SetAutoHideBar, autoHideEdge, 0);
    }
    rec_.Edge = e;
    if (e == EdgeNone) {
        AppBarMessage(abm::Remove);
    } else if (e == EdgeFloat) {
        Rect nothing;
        AppBarMessage(abm::SetPos, EdgeFloat, 0, &nothing);
        platform_.PlaceWindow(rec_.FloatRect());
    } else {
        const int32_t d = Edge();
        // Asked whether or not auto-hide is on; only an auto-hide bar minds a refusal.
        if (AppBarMessage(abm::SetAutoHideBar, d, 1) == 0 && rec_.AutoHide) {
            rec_.AutoHide = false;
            platform_.ShowConflictMessage(kAutoHideConflictText);
        }
        Rect r = ComputeDockedRect(d);
        if (rec_.AutoHide) {
            Rect nothing;
            AppBarMessage(abm::SetPos, EdgeLeft, 0, &nothing);
        } else {
            AppBarMessage(abm::SetPos, e, 0, &r);
        }
        PlaceAutoHide(autoHideShown_, r);
        SlideTo(r);
    }
    platform_.SetZOrder(ChooseZOrder(rec_.AlwaysOnTop, fullScreenAppOpen_));
    AppBarMessage(abm::Activate);
    UpdateCaptionStyle(false, e);
    ApplyTaskbarButton(e);
}

Rect TAppBar::ComputeDockedRect(int32_t edge) {
    const Size screen = platform_.Metrics().screen;
    Rect r{0, 0, screen.cx, screen.cy};
    if (edge == EdgeFloat) {
        return r;
    }
    if (!rec_.AutoHide) {
        AppBarMessage(abm::QueryPos, edge, 0, &r);
    }
    return CutToThickness(r, edge, rec_.DockedWidth, rec_.DockedHeight);
}

bool TAppBar::PlaceAutoHide(bool shown, Rect& r) {
    const int32_t edge = Edge();
    if (!rec_.AutoHide || !IsDockedEdge(edge)) {
        return false;
    }
    const ScreenMetrics m = platform_.Metrics();
    r = AutoHidePosition(r, edge, shown, m.screen, m.border);
    return true;
}

void TAppBar::ShowHide(bool show) {
    Rect r = platform_.WindowRect();
    autoHideShown_ = true;
    if (PlaceAutoHide(show, r)) {
        autoHideShown_ = show;
        SlideTo(r);
    }
}

void TAppBar::SlideTo(const Rect& target) {
    const bool fullDrag = platform_.DragFullWindows();
    const Rect c = platform_.WindowRect();
    const int64_t duration = rec_.SlideTime;
    if (c != target && rec_.SlideEffect && fullDrag && duration > 0) {
        const uint32_t t0 = platform_.TickCount();
        for (;;) {
            // Unsigned difference, so a tick count that wraps during the slide still ends it.
            const uint32_t elapsed = platform_.TickCount() - t0;
            if (elapsed >= duration) {
                break;
            }
            platform_.SlideStep(SlideFrame(c, target, elapsed, duration));
        }
    }
    platform_.PlaceWindow(target);
}

int32_t TAppBar::EdgeFromCursor(Point p) {
    if ((rec_.AllowedEdges & AllowFloat) != 0 && platform_.CtrlKeyDown()) {
        return EdgeFloat;
    }
    return EdgeFromPoint(rec_.AllowedEdges, p, platform_.Metrics(), platform_.WorkArea(),
                         rec_.Edge);
}

void TAppBar::UpdateCaptionStyle(bool duringMove, int32_t edge) {
    if (duringMove && !platform_.DragFullWindows()) {
        return;
    }
    platform_.SetCaption(edge == EdgeFloat);
}

void TAppBar::ApplyTaskbarButton(int32_t edge) {
    switch (TaskbarButtonChange(rec_.TaskbarButton, edge)) {
        case StyleChange::Set:
            platform_.SetTaskbarButton(true);
            break;
        case StyleChange::Clear:
            platform_.SetTaskbarButton(false);
            break;
        case StyleChange::Leave:
            break;
    }
}

TrackLimits TAppBar::OnGetMinMaxInfo() {
    return SizeLimits(rec_, Edge(), platform_.Metrics().screen);
}

void TAppBar::OnNcMouseMove() {
    ShowHide(true);
}

void TAppBar::OnTimer() {
    if (platform_.HostIsActive()) {
        return;
    }
    const Point cursor = UnpackPoint(platform_.LastMessagePos());
    if (CursorAwayFromBar(cursor, platform_.WindowRect(), platform_.Metrics().doubleClick)) {
        ShowHide(false);
    }
}

void TAppBar::OnSizing(int32_t side, Rect& proposed) {
    const Size base =
        Edge() == EdgeFloat ? FloatMinSize() : Size{rec_.DockedMinWidth, rec_.DockedMinHeight};
    proposed = SizeToGrid(proposed, side, base, rec_.HorzSizeStep, rec_.VertSizeStep);
}

void TAppBar::OnMoving(Rect& proposed) {
    const Point cursor = UnpackPoint(platform_.LastMessagePos());
    const int32_t e = EdgeFromCursor(cursor);
    if (dragEdge_ != EdgeFloat && e == EdgeFloat) {
        proposed = FloatUnderCursor(rec_.FloatRect(), cursor);
    }
    dragEdge_ = e;
    if (IsDockedEdge(e)) {
        proposed = ComputeDockedRect(e);
    }
    UpdateCaptionStyle(true, e);
}

void TAppBar::OnEnterSizeMove() {
    dragEdge_ = Edge();
}

void TAppBar::OnExitSizeMove() {
    const int32_t p = dragEdge_;
    if (p == EdgeNone) {
        return;  // no move in progress: a stray message must not unregister the bar
    }
    dragEdge_ = EdgeNone;
    RecordMoveEnd(p, platform_.WindowRect());
    SetEdge(p);
}

void TAppBar::RecordMoveEnd(int32_t p, const Rect& r) {
    if (rec_.Edge == p) {
        if (IsLeftOrRight(p)) {
            rec_.DockedWidth = r.width();
        } else if (IsTopOrBottom(p)) {
            rec_.DockedHeight = r.height();
        }
    }
    if (p != EdgeFloat) {
        return;
    }
    if (rec_.Edge == EdgeFloat) {
        rec_.SetFloatRect(r);
        return;
    }
    // Leaving the dock: a full-width strip is no floating size, so keep the old one then.
    const Rect work = platform_.WorkArea();
    Size size{rec_.FloatRect().width(), rec_.FloatRect().height()};
    if (r.width() < work.width() && r.height() < work.height()) {
        size = {r.width(), r.height()};
    }
    rec_.SetFloatRect({r.left, r.top, r.left + size.cx, r.top + size.cy});
}

void TAppBar::OnShellNotification(uint32_t code, intptr_t lParam) {
    switch (code) {
        case abn::FullScreenApp:
            fullScreenAppOpen_ = lParam != 0;
            UpdateBar();
            break;
        case abn::PosChanged:
            if (Edge() != EdgeFloat && !rec_.AutoHide) {
                UpdateBar();
            }
            break;
        default:
            break;  // state changes and window arrangement need nothing
    }
}

void TAppBar::OnActivate(bool deactivated) {
    if (deactivated) {
        ShowHide(false);
    }
    AppBarMessage(abm::Activate);
}

void TAppBar::OnWindowPosChanged() {
    AppBarMessage(abm::WindowPosChanged);
}

int32_t TAppBar::OnNcHitTest(int32_t hit, uint32_t packedPoint) {
    const Point client = platform_.ScreenToClient(UnpackPoint(packedPoint));
    if (hit == ht::Client && platform_.PrimaryButtonDown()) {
        const auto controls = platform_.Controls();
        if (!PointOverControl(controls, client, false)) {
            hit = ht::Caption;  // drag the bar by its background
        }
    }
    if (!IsSizingBorder(hit)) {
        return hit;
    }
    const int32_t edge = Edge();
    if (edge == EdgeFloat) {
        return MapFloatingBorder(hit, rec_.HorzSizeStep, rec_.VertSizeStep);
    }
    if (IsDockedEdge(edge)) {
        return MapDockedBorder(hit, edge, rec_.HorzSizeStep, rec_.VertSizeStep, client,
                               platform_.ClientSize());
    }
    return hit;
}

}  // namespace appbar
