#include "common/win32/window_win.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

constexpr char kClass[] = "KestroWin32BindingTest";
constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kAnswer = WM_APP + 2;

struct Recorder {
    std::vector<UINT> seen;
    HWND boundAt = nullptr;
    LRESULT OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
        seen.push_back(message);
        if (message == WM_NCCREATE)
            boundAt = window;
        if (message == kThrow)
            throw std::runtime_error("handler failure");
        if (message == kAnswer)
            return 42;
        return DefWindowProcA(window, message, wp, lp);
    }
};

HWND CreateBound(Recorder* recorder) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = win32::WindowProc<Recorder, &Recorder::OnMessage>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    return CreateWindowExA(0, kClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), recorder);
}

bool Saw(const Recorder& r, UINT message) {
    for (UINT m : r.seen)
        if (m == message)
            return true;
    return false;
}

// The object is bound from creation to WM_NCDESTROY, a throwing handler does not take the
// window down, and nothing reaches the object once the window has gone.
TEST(WindowBindingTest, BindsAtCreationGuardsHandlersAndUnbindsAtDestruction) {
    Recorder recorder;
    HWND window = CreateBound(&recorder);
    ASSERT_TRUE(window);
    EXPECT_EQ(recorder.boundAt, window);
    EXPECT_EQ(win32::BoundObject<Recorder>(window), &recorder);
    EXPECT_EQ(SendMessageA(window, kAnswer, 0, 0), 42);

    EXPECT_EQ(SendMessageA(window, kThrow, 0, 0), 0);  // DefWindowProc's answer
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, kAnswer, 0, 0), 42);

    DestroyWindow(window);
    EXPECT_TRUE(Saw(recorder, WM_NCDESTROY));
    size_t count = recorder.seen.size();
    EXPECT_EQ(win32::BoundObject<Recorder>(window), nullptr);
    EXPECT_EQ(recorder.seen.size(), count);
}

// A window created without an object answers with DefWindowProc until Bind attaches one.
TEST(WindowBindingTest, LateBindingThroughBind) {
    Recorder recorder;
    HWND window = CreateBound(nullptr);
    ASSERT_TRUE(window);
    EXPECT_NE(SendMessageA(window, kAnswer, 0, 0), 42);
    win32::Bind(window, &recorder);
    EXPECT_EQ(SendMessageA(window, kAnswer, 0, 0), 42);
    DestroyWindow(window);
}

LRESULT Thrower(HWND, UINT message, WPARAM, LPARAM) {
    if (message == kThrow)
        throw std::runtime_error("panel failure");
    return 7;
}

// Object-free procedures get the same guard.
TEST(WindowBindingTest, GuardedProcKeepsExceptionsOut) {
    LRESULT ok = win32::GuardedProc<Thrower>(nullptr, kAnswer, 0, 0);
    EXPECT_EQ(ok, 7);
    LRESULT guarded = win32::GuardedProc<Thrower>(nullptr, kThrow, 0, 0);
    EXPECT_EQ(guarded, 0);
}

}  // namespace
