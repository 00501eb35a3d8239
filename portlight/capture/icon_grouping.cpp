#include "capture/icon_grouping.h"

#include <cstdio>

namespace portlight {

namespace {

constexpr std::string_view kUnknownFile = "UnKnown File";

SlotPicture PictureForCategory(std::string_view category) {
    if (category == kCategorySystem)
        return SlotPicture::kSystem;
    if (category == kCategoryProtected)
        return SlotPicture::kProtected;
    if (category == kCategoryUnknown)
        return SlotPicture::kUnknown;
    return SlotPicture::kProcessIcon;
}

bool UnknownRowTaken(UnknownFilter filter, std::string_view path) {
    bool ownerZero = path == kUnknownOwnerPath;
    switch (filter) {
        case UnknownFilter::kHideAll:
            return false;
        case UnknownFilter::kHideNoPid:
            return !ownerZero;
        case UnknownFilter::kHideKnownPid:
            return ownerZero;
        case UnknownFilter::kShowAll:
            break;
    }
    return true;
}

}  // namespace

std::string SnapshotDescriptionSource::FileDescription(const std::string& path) {
    auto it = descriptions_.find(path);
    if (it == descriptions_.end())
        it = descriptions_.emplace(path, inner_.FileDescription(path)).first;
    return it->second;
}

UnknownFilter ParseUnknownFilter(std::string_view optionValue) {
    if (optionValue == "All")
        return UnknownFilter::kHideAll;
    if (optionValue == "NoPID")
        return UnknownFilter::kHideNoPid;
    if (optionValue == "KnownPID")
        return UnknownFilter::kHideKnownPid;
    return UnknownFilter::kShowAll;
}

std::string ThreeDigitRow(int row) {
    char text[16];
    std::snprintf(text, sizeof text, "%03d", row);
    return text;
}

std::vector<int> RowsOfRowList(std::string_view rowList) {
    std::vector<int> rows;
    for (size_t i = 0; i + 3 <= rowList.size(); i += 3) {
        int value = 0;
        bool digits = true;
        for (size_t j = i; j < i + 3; ++j) {
            if (rowList[j] < '0' || rowList[j] > '9')
                digits = false;
            else
                value = value * 10 + (rowList[j] - '0');
        }
        if (digits && value < kConnectionRows)
            rows.push_back(value);
    }
    return rows;
}

int GroupIntoSlots(const ConnectionTable& table,
                   const GroupingOptions& options,
                   FileDescriptionSource& descriptions,
                   std::vector<IconSlot>& slots) {
    for (IconSlot& slot : slots)
        slot.Reset();
    const int slotCount = static_cast<int>(slots.size());
    // Keys are unique among the filled slots, so an index by key finds the one slot a
    // linear scan would.
    std::unordered_map<std::string, int> slotByKey;
    int next = 0;
    for (int r = 0; r < kConnectionRows; ++r) {
        const ConnectionRow& row = table.rows[r];
        if (row[kColProtocol].empty())
            continue;
        if (next >= slotCount)
            continue;  // the strip is full: not even existing slots grow

        std::string suffix = options.segmentPid ? " - PID=" + row[kColPid] : std::string();
        std::string path = row[kColPath];
        if (TrimSpaces(path).empty())
            path = std::string(kUnknownFile) + suffix;

        bool known = !ContainsNoCase(path, kUnknownFile);
        std::string key;
        if (known) {
            std::string description =
                TrimSpaces(descriptions.FileDescriptionOf(ReadPid(row[kColPid]), path));
            key = (description.empty() ? path : description) + suffix;
        } else {
            if (!UnknownRowTaken(options.unknown, path))
                continue;
            key = path;
        }

        auto found = slotByKey.find(key);
        if (found != slotByKey.end()) {
            IconSlot& slot = slots[found->second];
            ++slot.count;
            slot.rowList += ThreeDigitRow(r);
            slot.visible = true;
            continue;
        }
        IconSlot& slot = slots[next];
        slot.hoverText = key;
        slot.path = path;
        slot.count = 1;
        slot.rowList = ThreeDigitRow(r);
        slot.picture = known ? PictureForCategory(row[kColCategory]) : SlotPicture::kUnknown;
        slot.visible = true;
        slotByKey.emplace(std::move(key), next);
        ++next;
    }
    return next;
}

}  // namespace portlight
