// Plain values shared by the docking logic and its Win32 side: edges, rectangles and the
// numeric codes of the shell's application-bar protocol and of the window messages the
// docking object answers. Kept free of <windows.h> so the rules build and test natively;
// the values are those of the Windows headers.
#pragma once

#include <cstdint>

namespace appbar {

// Edge values; the first four equal the shell's ABE_ codes.
inline constexpr int32_t EdgeLeft = 0;
inline constexpr int32_t EdgeTop = 1;
inline constexpr int32_t EdgeRight = 2;
inline constexpr int32_t EdgeBottom = 3;
inline constexpr int32_t EdgeNone = 4;
inline constexpr int32_t EdgeFloat = 5;

// AllowedEdges bits. The order is left, right, top, bottom, not the edge-value order.
inline constexpr int32_t AllowLeft = 1;
inline constexpr int32_t AllowRight = 2;
inline constexpr int32_t AllowTop = 4;
inline constexpr int32_t AllowBottom = 8;
inline constexpr int32_t AllowAnyEdge = 15;
inline constexpr int32_t AllowFloat = 16;

inline bool IsDockedEdge(int32_t edge) {
    return edge >= EdgeLeft && edge <= EdgeBottom;
}
inline bool IsLeftOrRight(int32_t edge) {
    return edge == EdgeLeft || edge == EdgeRight;
}
inline bool IsTopOrBottom(int32_t edge) {
    return edge == EdgeTop || edge == EdgeBottom;
}

// Screen rectangle in pixels; right and bottom are exclusive, as in a Win32 RECT.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const Size&) const = default;
};

// Shell application-bar messages (ABM_) and notifications (ABN_).
namespace abm {
inline constexpr uint32_t New = 0;
inline constexpr uint32_t Remove = 1;
inline constexpr uint32_t QueryPos = 2;
inline constexpr uint32_t SetPos = 3;
inline constexpr uint32_t Activate = 6;
inline constexpr uint32_t GetAutoHideBar = 7;
inline constexpr uint32_t SetAutoHideBar = 8;
inline constexpr uint32_t WindowPosChanged = 9;
}  // namespace abm

namespace abn {
inline constexpr uint32_t StateChange = 0;
inline constexpr uint32_t PosChanged = 1;
inline constexpr uint32_t FullScreenApp = 2;
inline constexpr uint32_t WindowArrange = 3;
}  // namespace abn

// Hit-test codes (HT*) the docking object reads or produces.
namespace ht {
inline constexpr int32_t Client = 1;
inline constexpr int32_t Caption = 2;
inline constexpr int32_t Left = 10;
inline constexpr int32_t Right = 11;
inline constexpr int32_t Top = 12;
inline constexpr int32_t TopLeft = 13;
inline constexpr int32_t TopRight = 14;
inline constexpr int32_t Bottom = 15;
inline constexpr int32_t BottomLeft = 16;
inline constexpr int32_t BottomRight = 17;
inline constexpr int32_t Border = 18;
}  // namespace ht

// The side being dragged in WM_SIZING (WMSZ_*).
namespace wmsz {
inline constexpr int32_t Left = 1;
inline constexpr int32_t Right = 2;
inline constexpr int32_t Top = 3;
inline constexpr int32_t TopLeft = 4;
inline constexpr int32_t TopRight = 5;
inline constexpr int32_t Bottom = 6;
inline constexpr int32_t BottomLeft = 7;
inline constexpr int32_t BottomRight = 8;
}  // namespace wmsz

// Registry roots as their predefined handle values, so settings can name a hive portably.
inline constexpr uint32_t RootCurrentUser = 0x80000001u;
inline constexpr uint32_t RootLocalMachine = 0x80000002u;

}  // namespace appbar
