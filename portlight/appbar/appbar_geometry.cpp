#include "appbar/appbar_geometry.h"

#include <cstdlib>

namespace appbar {

bool ContainsInclusive(const Rect& r, Point p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

Rect Inflate(const Rect& r, int32_t dx, int32_t dy) {
    return {r.left - dx, r.top - dy, r.right + dx, r.bottom + dy};
}

Point UnpackPoint(uint32_t packed) {
    return {static_cast<int32_t>(packed & 0x7FFF), static_cast<int32_t>((packed >> 16) & 0x7FFF)};
}

Rect CutToThickness(Rect r, int32_t edge, int32_t dockedWidth, int32_t dockedHeight) {
    switch (edge) {
        case EdgeLeft:
            r.right = r.left + dockedWidth;
            break;
        case EdgeTop:
            r.bottom = r.top + dockedHeight;
            break;
        case EdgeRight:
            r.left = r.right - dockedWidth;
            break;
        case EdgeBottom:
            r.top = r.bottom - dockedHeight;
            break;
        default:
            break;
    }
    return r;
}

Rect AutoHidePosition(const Rect& bar, int32_t edge, bool shown, Size screen, Size border) {
    const int32_t w = bar.width();
    const int32_t h = bar.height();
    const int32_t bx = 2 * border.cx;
    const int32_t by = 2 * border.cy;
    Point at;
    switch (edge) {
        case EdgeLeft:
            at = shown ? Point{0, 0} : Point{bx - w, 0};
            break;
        case EdgeTop:
            at = shown ? Point{0, 0} : Point{0, by - h};
            break;
        case EdgeRight:
            at = shown ? Point{screen.cx - w, 0} : Point{screen.cx - bx, 0};
            break;
        case EdgeBottom:
            at = shown ? Point{0, screen.cy - h} : Point{0, screen.cy - by};
            break;
        default:
            return bar;
    }
    return {at.x, at.y, at.x + w, at.y + h};
}

namespace {

// a - (a - b) * k / T with the product first and C++'s truncation toward zero. 64-bit so
// a long slide over a large screen cannot overflow.
int32_t Toward(int32_t a, int32_t b, int64_t k, int64_t t) {
    return static_cast<int32_t>(a - (static_cast<int64_t>(a) - b) * k / t);
}

}  // namespace

Rect SlideFrame(const Rect& from, const Rect& to, int64_t elapsed, int64_t duration) {
    if (duration <= 0) {
        return to;
    }
    const int32_t x = Toward(from.left, to.left, elapsed, duration);
    const int32_t y = Toward(from.top, to.top, elapsed, duration);
    const int32_t w = Toward(from.width(), to.width(), elapsed, duration);
    const int32_t h = Toward(from.height(), to.height(), elapsed, duration);
    return {x, y, x + w, y + h};
}

int32_t EdgeFromPoint(int32_t mask,
                      Point p,
                      const ScreenMetrics& m,
                      const Rect& workArea,
                      int32_t storedEdge) {
    const bool floatAllowed = (mask & AllowFloat) != 0;
    if (floatAllowed) {
        const Rect inner = Inflate(workArea, -m.scrollBar.cx, -m.scrollBar.cy);
        if (ContainsInclusive(inner, p) || (mask & AllowAnyEdge) == 0) {
            return EdgeFloat;
        }
    }
    const int64_t dx = p.x - m.screen.cx / 2;
    const int64_t dy = p.y - m.screen.cy / 2;
    int32_t candidate;
    int32_t bit;
    if (std::llabs(dy) * m.screen.cx > std::llabs(dx) * m.screen.cy) {
        candidate = dy < 0 ? EdgeTop : EdgeBottom;
        bit = dy < 0 ? AllowTop : AllowBottom;
    } else {
        candidate = dx < 0 ? EdgeLeft : EdgeRight;
        bit = dx < 0 ? AllowLeft : AllowRight;
    }
    if ((mask & bit) != 0) {
        return candidate;
    }
    return floatAllowed ? EdgeFloat : storedEdge;
}

Rect FloatUnderCursor(const Rect& floatRect, Point cursor) {
    const int32_t w = floatRect.width();
    const int32_t h = floatRect.height();
    const int32_t left = cursor.x - w / 2;
    return {left, cursor.y, left + w, cursor.y + h};
}

int32_t SnapToGrid(int32_t proposed, int32_t base, int32_t step) {
    if (step == 0) {
        return proposed;
    }
    return ((proposed - base) + step / 2) / step * step + base;
}

Rect SizeToGrid(const Rect& p, int32_t side, Size base, int32_t horzStep, int32_t vertStep) {
    const int32_t w = SnapToGrid(p.width(), base.cx, horzStep);
    const int32_t h = SnapToGrid(p.height(), base.cy, vertStep);
    Rect r = p;
    const bool left = side == wmsz::Left || side == wmsz::TopLeft || side == wmsz::BottomLeft;
    const bool right = side == wmsz::Right || side == wmsz::TopRight || side == wmsz::BottomRight;
    const bool top = side == wmsz::Top || side == wmsz::TopLeft || side == wmsz::TopRight;
    const bool bottom =
        side == wmsz::Bottom || side == wmsz::BottomLeft || side == wmsz::BottomRight;
    if (left) {
        r.left = r.right - w;
    }
    if (right) {
        r.right = r.left + w;
    }
    if (top) {
        r.top = r.bottom - h;
    }
    if (bottom) {
        r.bottom = r.top + h;
    }
    return r;
}

int32_t MapFloatingBorder(int32_t hit, int32_t horzStep, int32_t vertStep) {
    const bool horz = horzStep != 0;
    const bool vert = vertStep != 0;
    switch (hit) {
        case ht::Left:
        case ht::Right:
            return horz ? hit : ht::Border;
        case ht::Top:
        case ht::Bottom:
            return vert ? hit : ht::Border;
        default:
            break;
    }
    if (horz && vert) {
        return hit;
    }
    const bool isLeft = hit == ht::TopLeft || hit == ht::BottomLeft;
    const bool isTop = hit == ht::TopLeft || hit == ht::TopRight;
    if (horz) {
        return isLeft ? ht::Left : ht::Right;
    }
    if (vert) {
        return isTop ? ht::Top : ht::Bottom;
    }
    return ht::Border;
}

int32_t MapDockedBorder(int32_t hit,
                        int32_t edge,
                        int32_t horzStep,
                        int32_t vertStep,
                        Point client,
                        Size clientSize) {
    if ((IsLeftOrRight(edge) && horzStep == 0) || (IsTopOrBottom(edge) && vertStep == 0)) {
        return ht::Border;
    }
    switch (edge) {
        case EdgeLeft:
            return client.x > clientSize.cx ? ht::Right : ht::Border;
        case EdgeTop:
            return client.y > clientSize.cy ? ht::Bottom : ht::Border;
        case EdgeRight:
            return client.x < 0 ? ht::Left : ht::Border;
        case EdgeBottom:
            return client.y < 0 ? ht::Top : ht::Border;
        default:
            return hit;
    }
}

TrackLimits SizeLimits(const AppBarRecord& r, int32_t edge, Size screen) {
    if (edge == EdgeFloat) {
        return {{r.FloatMinWidth, r.FloatMinHeight}, {r.FloatMaxWidth, r.FloatMaxHeight}};
    }
    TrackLimits limits{{r.DockedMinWidth, r.DockedMinHeight}, screen};
    if (IsLeftOrRight(edge)) {
        limits.maxTrack.cx = r.DockedMaxWidth;
    } else if (IsTopOrBottom(edge)) {
        limits.maxTrack.cy = r.DockedMaxHeight;
    }
    return limits;
}

bool PointOverControl(std::span<const ControlBox> controls, Point client, bool acceptDisabled) {
    for (const ControlBox& c : controls) {
        if (ContainsInclusive(c.rect, client) && c.visible && (c.enabled || acceptDisabled)) {
            return true;
        }
    }
    return false;
}

ZOrder ChooseZOrder(bool alwaysOnTop, bool fullScreenAppOpen) {
    if (!alwaysOnTop) {
        return ZOrder::NotTopmost;
    }
    return fullScreenAppOpen ? ZOrder::Bottom : ZOrder::Topmost;
}

StyleChange TaskbarButtonChange(int32_t taskbarButton, int32_t edge) {
    switch (taskbarButton) {
        case TaskbarAlways:
            return StyleChange::Set;
        case TaskbarNever:
            return StyleChange::Clear;
        case TaskbarWhenFloating:
            if (edge == EdgeFloat) {
                return StyleChange::Set;
            }
            return IsDockedEdge(edge) ? StyleChange::Clear : StyleChange::Leave;
        default:
            return StyleChange::Leave;
    }
}

bool CursorAwayFromBar(Point cursor, const Rect& window, Size doubleClick) {
    const Rect near = Inflate(window, 2 * doubleClick.cx, 2 * doubleClick.cy);
    return !ContainsInclusive(near, cursor);
}

}  // namespace appbar
