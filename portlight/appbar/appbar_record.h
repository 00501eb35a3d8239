// The docking options record: its fields with the defaults of a new docking object, and its
// stored form, one 90-byte little-endian registry value.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "appbar/appbar_types.h"

namespace appbar {

// TaskbarButton values.
inline constexpr int32_t TaskbarAlways = 0;
inline constexpr int32_t TaskbarNever = 1;
inline constexpr int32_t TaskbarWhenFloating = 2;

inline constexpr size_t kRecordSize = 90;

struct AppBarRecord {
    int32_t RecordSize = static_cast<int32_t>(kRecordSize);
    int32_t Edge = EdgeFloat;
    int32_t AllowedEdges = AllowAnyEdge | AllowFloat;
    bool AutoHide = false;
    bool AlwaysOnTop = true;
    bool SlideEffect = true;
    int32_t SlideTime = 400;
    int32_t HorzSizeStep = 1;
    int32_t VertSizeStep = 1;
    int32_t DockedWidth = 80;
    int32_t DockedHeight = 80;
    int32_t FloatLeft = 0;
    int32_t FloatTop = 0;
    int32_t FloatRight = 0;
    int32_t FloatBottom = 0;
    int32_t FloatMinWidth = 0;
    int32_t FloatMinHeight = 0;
    int32_t FloatMaxWidth = 0;
    int32_t FloatMaxHeight = 0;
    int32_t DockedMinWidth = 0;
    int32_t DockedMinHeight = 0;
    int32_t DockedMaxWidth = 0;
    int32_t DockedMaxHeight = 0;
    int32_t TaskbarButton = TaskbarWhenFloating;

    Rect FloatRect() const { return {FloatLeft, FloatTop, FloatRight, FloatBottom}; }
    void SetFloatRect(const Rect& r) {
        FloatLeft = r.left;
        FloatTop = r.top;
        FloatRight = r.right;
        FloatBottom = r.bottom;
    }
    bool operator==(const AppBarRecord&) const = default;
};

// A new object's options; the size limits depend on the primary screen's size.
AppBarRecord DefaultRecord(Size screen);

using RecordBytes = std::array<uint8_t, kRecordSize>;

// Flags are written as 16-bit booleans (true = -1); the padding after SlideEffect as zero.
RecordBytes EncodeRecord(const AppBarRecord& record);

// Reads a stored value; anything but exactly 90 bytes is rejected. Flags read as true when
// non-zero; only the low 16 bits of TaskbarButton are stored, its high bits read as zero.
std::optional<AppBarRecord> DecodeRecord(std::span<const uint8_t> bytes);

}  // namespace appbar
