#include "common/win32/handles_win.h"

#include <gtest/gtest.h>

#include <utility>

#include "common/win32/screen_win.h"

namespace {

// A kind of handle whose closes are counted, to follow ownership through moves.
int g_closed = 0;
struct CountingTraits {
    using Handle = int;
    static Handle Empty() { return 0; }
    static bool Valid(Handle h) { return h != 0; }
    static void Close(Handle) { ++g_closed; }
};
using Counted = win32::Owned<CountingTraits>;

bool IsOpenKernelHandle(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

// Ownership moves with the owner and every handle is released exactly once.
TEST(OwnedTest, ReleasesOnceThroughMovesResetsAndRelease) {
    g_closed = 0;
    {
        Counted a(7);
        Counted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 7);
        Counted c(9);
        c = std::move(b);  // 9 is released, 7 moves in
        EXPECT_EQ(g_closed, 1);
        EXPECT_EQ(c.get(), 7);
        c = std::move(c);  // self-move keeps the handle
        EXPECT_EQ(c.get(), 7);
        c.reset(3);
        EXPECT_EQ(g_closed, 2);
        EXPECT_EQ(c.release(), 3);  // given up: not closed
        *c.out() = 5;
        EXPECT_TRUE(c.valid());
    }
    EXPECT_EQ(g_closed, 3);
}

// Real kernel handles: closed on reset; null and INVALID_HANDLE_VALUE both mean empty.
TEST(OwnedTest, KernelHandleClosesAndTreatsBothFailureValuesAsEmpty) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(raw);
    win32::KernelHandle event(raw);
    EXPECT_TRUE(IsOpenKernelHandle(raw));
    event.reset();
    EXPECT_FALSE(IsOpenKernelHandle(raw));
    EXPECT_FALSE(win32::KernelHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(win32::KernelHandle(nullptr));

    WIN32_FIND_DATAA found;
    win32::FindHandle none(FindFirstFileA("C:\\no-such-folder-here\\*", &found));
    EXPECT_FALSE(none);
}

// GDI objects, menus and registry keys released by their owners are gone afterwards.
TEST(OwnedTest, GdiMenuAndRegistryOwnersRelease) {
    win32::Brush brush(CreateSolidBrush(RGB(1, 2, 3)));
    HBRUSH raw = brush.get();
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    brush.reset();
    EXPECT_EQ(GetObjectType(raw), 0u);

    win32::Menu menu(CreatePopupMenu());
    HMENU rawMenu = menu.get();
    EXPECT_TRUE(IsMenu(rawMenu));
    menu.reset();
    EXPECT_FALSE(IsMenu(rawMenu));

    win32::RegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KestroWin32Test", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, key.out(), nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(key);
    key.reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestroWin32Test");
}

// The selection scope puts the device context's previous object back.
TEST(OwnedTest, SelectObjectScopeRestoresTheSelection) {
    win32::ScreenDC screen = win32::GetScreenDC();
    ASSERT_TRUE(screen);
    win32::MemoryDC memory(CreateCompatibleDC(screen.get()));
    win32::Bitmap bitmap(CreateCompatibleBitmap(screen.get(), 4, 4));
    HGDIOBJ before = GetCurrentObject(memory.get(), OBJ_BITMAP);
    {
        win32::SelectObjectScope select(memory.get(), bitmap.get());
        EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BITMAP), before);

    win32::Dpi dpi = win32::ScreenDpi();
    EXPECT_GT(dpi.x, 0);
    EXPECT_GT(dpi.y, 0);
}

}  // namespace
