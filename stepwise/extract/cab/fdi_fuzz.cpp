#include <cstring>
#include <string>

#include "cab/fdi.h"

// Runs FdiIsCabinet and FdiCopy over arbitrary bytes through memory callbacks. Every path
// opens the same bytes, so a next cabinet is always "found"; writes are dropped.
namespace {

const uint8_t* g_data;
size_t g_size;
size_t g_position;

void* Alloc(uint32_t size) {
    return operator new(size);
}
void Free(void* p) {
    operator delete(p);
}
intptr_t Open(const char*, int flags, int) {
    if (flags & 0x0003)
        return 2;  // a destination
    g_position = 0;
    return 1;
}
uint32_t Read(intptr_t, void* buffer, uint32_t count) {
    const size_t n = g_position < g_size ? std::min<size_t>(count, g_size - g_position) : 0;
    std::memcpy(buffer, g_data + g_position, n);
    g_position += n;
    return static_cast<uint32_t>(n);
}
uint32_t Write(intptr_t, const void*, uint32_t count) {
    return count;
}
int Close(intptr_t) {
    return 0;
}
int32_t Seek(intptr_t, int32_t offset, int origin) {
    const int64_t base = origin == 0   ? 0
                         : origin == 1 ? static_cast<int64_t>(g_position)
                                       : static_cast<int64_t>(g_size);
    if (base + offset < 0)
        return -1;
    g_position = static_cast<size_t>(base + offset);
    return static_cast<int32_t>(g_position);
}
int g_nextRequests;
intptr_t Notify(cab::FdiNotificationType type, cab::FdiNotification* n) {
    switch (type) {
        case cab::FdiNotificationType::CopyFileRequest: {
            char path[256];
            return cab::FdiDestinationPath("out\\", n->name1, n->attributes, path, sizeof path)
                       ? 2
                       : -1;
        }
        case cab::FdiNotificationType::CloseFileInfo:
            return 1;
        case cab::FdiNotificationType::NextCabinet:
            return ++g_nextRequests > 3 ? -1 : 0;
        default:
            return 0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    g_data = data;
    g_size = size;
    g_nextRequests = 0;
    cab::FdiError error;
    cab::FdiContext* ctx =
        cab::FdiCreate(Alloc, Free, Open, Read, Write, Close, Seek, cab::kCpuTypeI386, &error);
    cab::FdiCabinetInfo info;
    const intptr_t h = Open("fuzz.cab", 0x8000, 0);
    if (cab::FdiIsCabinet(ctx, h, &info))
        cab::FdiCopy(ctx, "fuzz.cab", "", 0, Notify, nullptr, nullptr);
    cab::FdiDestroy(ctx);
    return 0;
}
