#include "appbar/tappbar.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace appbar {
namespace {

constexpr uintptr_t kSelf = 0x1234;

struct ShellCall {
    uint32_t message;
    int32_t edge;
    intptr_t lParam;
    bool withRect;
    Rect rect;  // as sent
    bool operator==(const ShellCall&) const = default;
};

// A screen of 1280 x 800 with a shell that answers like the real one: QUERYPOS trims by
// the space other bars hold, one auto-hide bar per edge.
class FakePlatform : public AppBarPlatform {
  public:
    ScreenMetrics metrics{{1280, 800}, {1, 1}, {4, 4}, {17, 17}};
    Rect workArea{0, 0, 1280, 770};
    bool dragFull = true;
    uint32_t tick = 1000;
    uint32_t tickStep = 100;
    int32_t otherBarTop = 0;  // rows another bar holds at the top
    uintptr_t autoHideBars[4] = {0, 0, 0, 0};
    std::vector<ShellCall> shell;
    std::vector<std::string> log;  // other platform calls, in order
    std::vector<Rect> steps;
    Rect window{100, 100, 500, 160};
    bool timerRunning = false;
    uint32_t timerInterval = 0;
    bool caption = false;
    bool taskbarButton = false;
    ZOrder z = ZOrder::NotTopmost;
    std::vector<std::string> messages;
    bool active = false;
    uint32_t messagePos = 0;
    bool ctrl = false;
    bool button = false;
    Point clientOrigin{0, 0};
    std::vector<ControlBox> controls;
    std::map<std::string, std::vector<uint8_t>> registry;

    ScreenMetrics Metrics() override { return metrics; }
    Rect WorkArea() override { return workArea; }
    bool DragFullWindows() override { return dragFull; }
    uint32_t TickCount() override { return tick += tickStep; }
    uintptr_t WindowHandle() override { return kSelf; }

    uintptr_t ShellMessage(uint32_t message, int32_t edge, intptr_t lParam, Rect* rect) override {
        shell.push_back({message, edge, lParam, rect != nullptr, rect ? *rect : Rect{}});
        switch (message) {
            case abm::QueryPos:
                if (edge == EdgeTop) {
                    rect->top += otherBarTop;
                }
                return 1;
            case abm::SetPos:
                if (edge == EdgeTop) {
                    rect->top += otherBarTop;  // the shell moves a strip below other bars
                    rect->bottom += otherBarTop;
                }
                return 1;
            case abm::GetAutoHideBar:
                return edge >= 0 && edge < 4 ? autoHideBars[edge] : 0;
            case abm::SetAutoHideBar:
                if (lParam == 0) {
                    if (autoHideBars[edge] == kSelf) {
                        autoHideBars[edge] = 0;
                    }
                    return 1;
                }
                if (autoHideBars[edge] != 0 && autoHideBars[edge] != kSelf) {
                    return 0;
                }
                autoHideBars[edge] = kSelf;
                return 1;
            default:
                return 1;
        }
    }

    void AttachWindowProc(TAppBar&) override { log.push_back("attach"); }
    void DetachWindowProc() override { log.push_back("detach"); }
    void StartTimer(uint32_t ms) override {
        timerRunning = true;
        timerInterval = ms;
        log.push_back("timer " + std::to_string(ms));
    }
    void StopTimer() override {
        timerRunning = false;
        log.push_back("kill timer");
    }
    void RemoveSizeCommands() override { log.push_back("system menu"); }
    Rect WindowRect() override { return window; }
    void SlideStep(const Rect& r) override {
        steps.push_back(r);
        window = r;
    }
    void PlaceWindow(const Rect& r) override {
        window = r;
        log.push_back("place");
    }
    void SetZOrder(ZOrder order) override { z = order; }
    void SetCaption(bool on) override { caption = on; }
    void SetTaskbarButton(bool on) override { taskbarButton = on; }
    void ShowConflictMessage(const std::string& text) override { messages.push_back(text); }
    bool HostIsActive() override { return active; }
    uint32_t LastMessagePos() override { return messagePos; }
    bool CtrlKeyDown() override { return ctrl; }
    bool PrimaryButtonDown() override { return button; }
    Point ScreenToClient(Point p) override { return {p.x - clientOrigin.x, p.y - clientOrigin.y}; }
    Size ClientSize() override { return {window.width(), window.height()}; }
    std::vector<ControlBox> Controls() override { return controls; }
    std::optional<std::vector<uint8_t>> ReadRecordValue(uint32_t root,
                                                        const std::string& path) override {
        auto it = registry.find(std::to_string(root) + "\\" + path);
        if (it == registry.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    bool WriteRecordValue(uint32_t root,
                          const std::string& path,
                          const RecordBytes& bytes) override {
        registry[std::to_string(root) + "\\" + path].assign(bytes.begin(), bytes.end());
        return true;
    }

    std::vector<ShellCall> Take(uint32_t message) const {
        std::vector<ShellCall> out;
        for (const ShellCall& c : shell) {
            if (c.message == message) {
                out.push_back(c);
            }
        }
        return out;
    }
};

uint32_t Pack(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFF);
}

class TAppBarTest : public ::testing::Test {
  protected:
    FakePlatform fake;
    TAppBar bar{fake};

    // The bar program's start-up configuration.
    void ConfigureAsPortlight(bool autoHide) {
        bar.Extends();
        bar.SetTaskbarButton(TaskbarNever);
        bar.SetSlideEffect(false);
        bar.SetSlideTime(750);
        bar.UpdateBar();
        bar.SetHorzSizeStep(0);
        bar.SetVertSizeStep(0);
        bar.SetDockedMaxHeight(800);
        bar.SetDockedMinHeight(40);
        bar.UpdateBar();
        bar.SetAlwaysOnTop(true);
        bar.SetAutoHide(autoHide);
        bar.SetAllowedEdges(AllowTop);
        bar.SetEdge(EdgeTop);
        bar.UpdateBar();
    }
};

// Attaching hooks the window, starts the check timer, takes the floating rectangle from the
// window, registers the bar and floats it there with a caption and a taskbar button.
TEST_F(TAppBarTest, ExtendsRegistersAndFloats) {
    bar.Extends();
    ASSERT_GE(fake.log.size(), 3u);
    EXPECT_EQ(fake.log[0], "attach");
    EXPECT_EQ(fake.log[1], "timer 400");
    EXPECT_EQ(fake.log.back(), "system menu");
    EXPECT_EQ(bar.FloatRect(), (Rect{100, 100, 500, 160}));
    ASSERT_FALSE(fake.shell.empty());
    EXPECT_EQ(fake.shell[0].message, abm::New);
    const auto setPos = fake.Take(abm::SetPos);
    ASSERT_EQ(setPos.size(), 1u);
    EXPECT_EQ(setPos[0], (ShellCall{abm::SetPos, EdgeFloat, 0, true, Rect{}}));
    EXPECT_TRUE(fake.Take(abm::SetAutoHideBar).empty());
    EXPECT_EQ(fake.window, (Rect{100, 100, 500, 160}));
    EXPECT_EQ(bar.Edge(), EdgeFloat);
    EXPECT_TRUE(fake.caption);
    EXPECT_TRUE(fake.taskbarButton);
    EXPECT_EQ(fake.z, ZOrder::Topmost);
    EXPECT_EQ(fake.shell.back().message, abm::Activate);
}

// Without auto-hide the bar reserves exactly its thickness below what other bars hold.
TEST_F(TAppBarTest, DockedBarReservesItsThickness) {
    fake.otherBarTop = 30;
    ConfigureAsPortlight(false);
    const auto query = fake.Take(abm::QueryPos);
    ASSERT_FALSE(query.empty());
    EXPECT_EQ(query.back().rect, (Rect{0, 0, 1280, 800}));
    const ShellCall last = fake.Take(abm::SetPos).back();
    EXPECT_EQ(last.edge, EdgeTop);
    EXPECT_EQ(last.rect, (Rect{0, 30, 1280, 110}));    // trimmed, then cut to 80 rows
    EXPECT_EQ(fake.window, (Rect{0, 60, 1280, 140}));  // as the shell adjusted it
    EXPECT_FALSE(fake.caption);
    EXPECT_FALSE(fake.taskbarButton);
    EXPECT_EQ(fake.z, ZOrder::Topmost);
    // Registered as the edge's auto-hide bar even so; the request is made either way.
    EXPECT_EQ(fake.autoHideBars[EdgeTop], kSelf);
    EXPECT_TRUE(fake.messages.empty());
}

// With auto-hide on, nothing is reserved (edge 0, empty rectangle), no space is queried,
// and the bar starts hidden with two border rows on screen.
TEST_F(TAppBarTest, AutoHideBarReservesNothingAndStartsHidden) {
    fake.otherBarTop = 30;
    ConfigureAsPortlight(true);
    EXPECT_TRUE(fake.Take(abm::QueryPos).empty());
    const ShellCall last = fake.Take(abm::SetPos).back();
    EXPECT_EQ(last, (ShellCall{abm::SetPos, EdgeLeft, 0, true, Rect{}}));
    EXPECT_EQ(fake.window, (Rect{0, -78, 1280, 2}));
    EXPECT_FALSE(bar.AutoHideShown());
    EXPECT_EQ(fake.autoHideBars[EdgeTop], kSelf);
    EXPECT_TRUE(fake.steps.empty());  // sliding is off
}

// Applying an edge first gives up the auto-hide registration the bar already holds.
TEST_F(TAppBarTest, ReapplyingUnregistersThenRegistersAgain) {
    ConfigureAsPortlight(true);
    fake.shell.clear();
    fake.log.clear();
    bar.UpdateBar();
    const std::vector<ShellCall> first = fake.shell;
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first[0].message, abm::GetAutoHideBar);
    EXPECT_EQ(first[0].edge, EdgeLeft);
    EXPECT_EQ(first[1].edge, EdgeTop);  // found: the search stops
    EXPECT_EQ(first[2], (ShellCall{abm::SetAutoHideBar, EdgeTop, 0, false, Rect{}}));
    EXPECT_EQ(first[3], (ShellCall{abm::SetAutoHideBar, EdgeTop, 1, false, Rect{}}));
    // Setting the edge it already has re-applies everything in the same way.
    fake.shell.clear();
    bar.SetEdge(EdgeTop);
    EXPECT_EQ(fake.shell, first);
    EXPECT_EQ(fake.window, (Rect{0, -78, 1280, 2}));
}

// Another auto-hide bar on the edge: auto-hide is dropped with the two-sentence message,
// and the bar docks as an ordinary, space-reserving bar.
TEST_F(TAppBarTest, AutoHideConflictDocksAsOrdinaryBar) {
    fake.autoHideBars[EdgeTop] = 0x9999;
    ConfigureAsPortlight(true);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0],
              "There is already an auto hidden window on this edge.\n\r"
              "Only one auto hidden window is allowed on each edge.");
    EXPECT_FALSE(bar.AutoHide());
    EXPECT_EQ(fake.Take(abm::SetPos).back().rect, (Rect{0, 0, 1280, 80}));
    EXPECT_EQ(fake.window, (Rect{0, 0, 1280, 80}));
    EXPECT_EQ(fake.autoHideBars[EdgeTop], 0x9999u);
    bar.UpdateBar();  // a refusal without auto-hide says nothing
    EXPECT_EQ(fake.messages.size(), 1u);
}

// Detach stops the timer, removes the bar and unhooks the window, once.
TEST_F(TAppBarTest, DetachRemovesOnce) {
    ConfigureAsPortlight(true);
    fake.shell.clear();
    fake.log.clear();
    bar.Detach();
    EXPECT_FALSE(fake.timerRunning);
    EXPECT_EQ(fake.Take(abm::Remove).size(), 1u);
    EXPECT_EQ(fake.autoHideBars[EdgeTop], 0u);
    EXPECT_EQ(fake.log.back(), "detach");
    EXPECT_EQ(bar.Edge(), EdgeNone);
    fake.shell.clear();
    bar.Detach();
    EXPECT_TRUE(fake.shell.empty());
}

// An object that goes while attached removes its bar and unhooks the window.
TEST(TAppBarLifetime, DestructionDetaches) {
    FakePlatform fake;
    {
        TAppBar bar(fake);
        bar.Extends();
        fake.shell.clear();
        fake.log.clear();
    }
    EXPECT_EQ(fake.Take(abm::Remove).size(), 1u);
    ASSERT_FALSE(fake.log.empty());
    EXPECT_EQ(fake.log.back(), "detach");
    EXPECT_FALSE(fake.timerRunning);
}

// Z-order follows AlwaysOnTop and, while a full-screen application is open, the bottom.
TEST_F(TAppBarTest, ZOrderAndFullScreenNotification) {
    ConfigureAsPortlight(true);
    EXPECT_EQ(fake.z, ZOrder::Topmost);
    bar.OnShellNotification(abn::FullScreenApp, 1);
    EXPECT_TRUE(bar.FullScreenAppOpen());
    EXPECT_EQ(fake.z, ZOrder::Bottom);
    bar.OnShellNotification(abn::FullScreenApp, 0);
    EXPECT_EQ(fake.z, ZOrder::Topmost);
    bar.SetAlwaysOnTop(false);
    EXPECT_EQ(fake.z, ZOrder::Topmost);  // stored only, until the next UpdateBar
    bar.UpdateBar();
    EXPECT_EQ(fake.z, ZOrder::NotTopmost);
    bar.OnShellNotification(abn::FullScreenApp, 1);
    EXPECT_EQ(fake.z, ZOrder::NotTopmost);
}

// A position change elsewhere re-docks a space-reserving bar only.
TEST_F(TAppBarTest, PosChangedRedocksOnlyReservingBars) {
    ConfigureAsPortlight(true);
    fake.shell.clear();
    bar.OnShellNotification(abn::PosChanged, 0);
    bar.OnShellNotification(abn::StateChange, 0);
    bar.OnShellNotification(abn::WindowArrange, 1);
    EXPECT_TRUE(fake.shell.empty());
    bar.SetAutoHide(false);
    bar.OnShellNotification(abn::PosChanged, 0);
    EXPECT_EQ(fake.Take(abm::SetPos).size(), 1u);
    bar.SetEdge(EdgeFloat);
    fake.shell.clear();
    bar.OnShellNotification(abn::PosChanged, 0);
    EXPECT_TRUE(fake.shell.empty());
}

// Sliding steps follow the tick count and end exactly on the target; with the effect off
// or full-window dragging off the bar jumps.
TEST_F(TAppBarTest, SlidePacedByTickCount) {
    ConfigureAsPortlight(true);  // hidden at (0, -78)
    bar.SetSlideEffect(true);
    bar.SetSlideTime(400);
    fake.tickStep = 100;
    bar.OnNcMouseMove();
    // Ticks at 100, 200, 300 ms give frames; 400 ends the slide.
    ASSERT_EQ(fake.steps.size(), 3u);
    EXPECT_EQ(fake.steps[0], (Rect{0, -59, 1280, 21}));  // -78 - (-78) * 100 / 400 = -59 (-58.5)
    EXPECT_EQ(fake.steps[1], (Rect{0, -39, 1280, 41}));
    EXPECT_EQ(fake.steps[2], (Rect{0, -20, 1280, 60}));  // -19.5 truncates toward zero
    EXPECT_EQ(fake.window, (Rect{0, 0, 1280, 80}));
    EXPECT_TRUE(bar.AutoHideShown());

    fake.steps.clear();
    fake.dragFull = false;
    bar.OnActivate(true);
    EXPECT_TRUE(fake.steps.empty());
    EXPECT_EQ(fake.window, (Rect{0, -78, 1280, 2}));
    EXPECT_FALSE(bar.AutoHideShown());
}

// A slide that shrinks the window interpolates its size too.
TEST_F(TAppBarTest, SlideShrinksTheWindow) {
    bar.Extends();
    bar.SetSlideTime(300);
    fake.tickStep = 150;
    fake.window = {0, 0, 1280, 800};
    bar.SetFloatRect({100, 100, 400, 200});
    fake.steps.clear();
    bar.SetEdge(EdgeFloat);  // floating placement never animates
    EXPECT_TRUE(fake.steps.empty());
    fake.window = {0, 0, 1280, 800};
    bar.SetAutoHide(false);
    bar.SetAllowedEdges(AllowTop);
    bar.SetEdge(EdgeTop);  // docks to (0, 0, 1280, 80)
    ASSERT_EQ(fake.steps.size(), 1u);
    EXPECT_EQ(fake.steps[0], (Rect{0, 0, 1280, 440}));  // height 800 - 720 * 150 / 300
    EXPECT_EQ(fake.window, (Rect{0, 0, 1280, 80}));
}

// UpdateBar keeps an auto-hide bar in the state it is in.
TEST_F(TAppBarTest, UpdateBarKeepsShownOrHidden) {
    ConfigureAsPortlight(true);
    bar.OnNcMouseMove();
    EXPECT_EQ(fake.window, (Rect{0, 0, 1280, 80}));
    bar.UpdateBar();
    EXPECT_EQ(fake.window, (Rect{0, 0, 1280, 80}));
    bar.OnActivate(true);
    bar.UpdateBar();
    EXPECT_EQ(fake.window, (Rect{0, -78, 1280, 2}));
}

// The timer hides the bar only when another window is active and the cursor is farther
// than twice the double-click distance.
TEST_F(TAppBarTest, TimerHidesOnlyWhenInactiveAndAway) {
    ConfigureAsPortlight(true);
    bar.OnNcMouseMove();
    fake.active = true;
    fake.messagePos = Pack(640, 700);
    bar.OnTimer();
    EXPECT_TRUE(bar.AutoHideShown());
    fake.active = false;
    fake.messagePos = Pack(640, 88);  // 80 + 2 * 4: on the inflated rectangle's line
    bar.OnTimer();
    EXPECT_TRUE(bar.AutoHideShown());
    fake.messagePos = Pack(640, 89);
    bar.OnTimer();
    EXPECT_FALSE(bar.AutoHideShown());
    EXPECT_EQ(fake.window, (Rect{0, -78, 1280, 2}));
}

// A bar that is not auto-hiding ignores the three triggers and stays put.
TEST_F(TAppBarTest, TriggersIgnoredWithoutAutoHide) {
    ConfigureAsPortlight(false);
    const Rect docked = fake.window;
    fake.messagePos = Pack(640, 700);
    bar.OnTimer();
    bar.OnActivate(true);
    bar.OnNcMouseMove();
    EXPECT_EQ(fake.window, docked);
    EXPECT_TRUE(bar.AutoHideShown());
    fake.shell.clear();
    bar.OnActivate(false);
    EXPECT_EQ(fake.Take(abm::Activate).size(), 1u);
}

// With only the top edge allowed, a drag anywhere stays docked at the top; the height it
// ends with becomes the docked height.
TEST_F(TAppBarTest, MoveWithTopOnlyStaysOnTop) {
    ConfigureAsPortlight(false);
    bar.OnEnterSizeMove();
    EXPECT_EQ(bar.Edge(), EdgeTop);
    Rect proposal{300, 400, 1580, 480};
    fake.messagePos = Pack(5, 400);  // far left
    bar.OnMoving(proposal);
    EXPECT_EQ(proposal, (Rect{0, 0, 1280, 80}));
    fake.window = {0, 0, 1280, 95};
    bar.OnExitSizeMove();
    EXPECT_EQ(bar.Edge(), EdgeTop);
    EXPECT_EQ(bar.DockedHeight(), 95);
    EXPECT_EQ(fake.window, (Rect{0, 0, 1280, 95}));
}

// Ctrl with floating allowed floats the bar under the cursor; dropping a full-width strip
// keeps the previous floating size, a smaller window gives its own.
TEST_F(TAppBarTest, MoveToFloatingAndBack) {
    bar.Extends();  // floating rectangle (100, 100, 500, 160)
    bar.SetAutoHide(false);
    bar.SetEdge(EdgeTop);
    fake.ctrl = true;
    bar.OnEnterSizeMove();
    Rect proposal = fake.window;
    fake.messagePos = Pack(600, 300);
    bar.OnMoving(proposal);
    EXPECT_EQ(bar.Edge(), EdgeFloat);  // the getter reports the drag
    EXPECT_EQ(proposal, (Rect{400, 300, 800, 360}));
    EXPECT_TRUE(fake.caption);
    fake.window = {0, 300, 1280, 380};  // still the full-width strip
    bar.OnExitSizeMove();
    EXPECT_EQ(bar.FloatRect(), (Rect{0, 300, 400, 360}));
    EXPECT_EQ(bar.Edge(), EdgeFloat);
    EXPECT_EQ(fake.window, (Rect{0, 300, 400, 360}));

    // Floating to floating: the window's rectangle is taken as it is.
    bar.OnEnterSizeMove();
    fake.window = {10, 20, 2000, 30};
    bar.OnExitSizeMove();
    EXPECT_EQ(bar.FloatRect(), (Rect{10, 20, 2000, 30}));

    // Docked to floating with a window smaller than the work area.
    bar.SetEdge(EdgeTop);
    bar.OnEnterSizeMove();
    bar.OnMoving(proposal);
    fake.window = {50, 60, 250, 110};
    bar.OnExitSizeMove();
    EXPECT_EQ(bar.FloatRect(), (Rect{50, 60, 250, 110}));

    // Back to an edge without Ctrl, by the nearest edge.
    fake.ctrl = false;
    bar.OnEnterSizeMove();
    fake.messagePos = Pack(640, 795);
    bar.OnMoving(proposal);
    EXPECT_EQ(proposal, (Rect{0, 720, 1280, 800}));
    EXPECT_FALSE(fake.caption);
    bar.OnExitSizeMove();
    EXPECT_EQ(bar.Edge(), EdgeBottom);
}

// Without full-window dragging the caption changes only when the move ends.
TEST_F(TAppBarTest, CaptionDuringMoveNeedsFullWindowDrag) {
    bar.Extends();
    bar.SetAutoHide(false);
    bar.SetEdge(EdgeTop);
    fake.dragFull = false;
    fake.ctrl = true;
    bar.OnEnterSizeMove();
    Rect proposal = fake.window;
    fake.messagePos = Pack(600, 300);
    bar.OnMoving(proposal);
    EXPECT_FALSE(fake.caption);
    bar.OnExitSizeMove();
    EXPECT_TRUE(fake.caption);
}

// A stray end-of-move message does not unregister the bar.
TEST_F(TAppBarTest, ExitSizeMoveWithoutMoveIsIgnored) {
    ConfigureAsPortlight(true);
    fake.shell.clear();
    bar.OnExitSizeMove();
    EXPECT_TRUE(fake.shell.empty());
    EXPECT_EQ(bar.Edge(), EdgeTop);
}

// Dragging the background becomes a caption drag, except over a control; docked bars with
// no size steps only ever show plain borders.
TEST_F(TAppBarTest, HitTesting) {
    ConfigureAsPortlight(false);
    fake.controls = {{{10, 10, 50, 30}, true, true}};
    EXPECT_EQ(bar.OnNcHitTest(ht::Client, Pack(100, 40)), ht::Client);
    fake.button = true;
    EXPECT_EQ(bar.OnNcHitTest(ht::Client, Pack(100, 40)), ht::Caption);
    EXPECT_EQ(bar.OnNcHitTest(ht::Client, Pack(50, 30)), ht::Client);
    for (int32_t h = ht::Left; h <= ht::BottomRight; ++h) {
        EXPECT_EQ(bar.OnNcHitTest(h, Pack(640, 81)), ht::Border);
    }
    bar.SetVertSizeStep(1);
    EXPECT_EQ(bar.OnNcHitTest(ht::Bottom, Pack(640, 81)), ht::Bottom);
    EXPECT_EQ(bar.OnNcHitTest(ht::Top, Pack(640, 0)), ht::Border);
    bar.SetEdge(EdgeFloat);
    EXPECT_EQ(bar.OnNcHitTest(ht::TopLeft, Pack(1, 1)), ht::Top);
}

// Sizing snaps from the docked or the floating minimum; limits follow the edge.
TEST_F(TAppBarTest, SizingAndLimits) {
    ConfigureAsPortlight(false);
    bar.SetVertSizeStep(10);
    Rect r{0, 0, 1280, 97};
    bar.OnSizing(wmsz::Bottom, r);
    EXPECT_EQ(r, (Rect{0, 0, 1280, 100}));  // base 40: (57 + 5) / 10 * 10 + 40
    TrackLimits limits = bar.OnGetMinMaxInfo();
    EXPECT_EQ(limits.minTrack, (Size{0, 40}));
    EXPECT_EQ(limits.maxTrack, (Size{1280, 800}));
    bar.SetFloatMinSize({0, 5});
    bar.SetEdge(EdgeFloat);
    r = {0, 0, 100, 97};
    bar.OnSizing(wmsz::Top, r);
    EXPECT_EQ(r, (Rect{0, 2, 100, 97}));  // base 5: (92 + 5) / 10 * 10 + 5 = 95
    limits = bar.OnGetMinMaxInfo();
    EXPECT_EQ(limits.maxTrack, (Size{1280, 800}));
    EXPECT_EQ(limits.minTrack, (Size{0, 5}));
}

// SlideTime restarts the check timer once attached.
TEST_F(TAppBarTest, SlideTimeRestartsTimer) {
    bar.SetSlideTime(900);
    EXPECT_FALSE(fake.timerRunning);
    bar.Extends();
    EXPECT_EQ(fake.timerInterval, 900u);
    bar.SetSlideTime(750);
    EXPECT_TRUE(fake.timerRunning);
    EXPECT_EQ(fake.timerInterval, 750u);
}

// Settings round-trip through the registry; values of another size change nothing.
TEST_F(TAppBarTest, LoadAndSaveSettings) {
    bar.SetRegistryRoot(RootLocalMachine);
    bar.SetRegistryPath("SOFTWARE\\Test");
    EXPECT_FALSE(bar.LoadSettings());
    bar.SetDockedHeight(123);
    bar.SetAutoHide(true);
    ASSERT_TRUE(bar.SaveSettings());
    const std::string key = std::to_string(RootLocalMachine) + "\\SOFTWARE\\Test";
    ASSERT_EQ(fake.registry[key].size(), 90u);

    TAppBar other(fake);
    other.SetRegistryRoot(RootLocalMachine);
    other.SetRegistryPath("SOFTWARE\\Test");
    ASSERT_TRUE(other.LoadSettings());
    EXPECT_EQ(other.Record(), bar.Record());

    for (size_t size : {89u, 91u}) {
        TAppBar fresh(fake);
        fresh.SetRegistryRoot(RootLocalMachine);
        fresh.SetRegistryPath("SOFTWARE\\Test");
        const AppBarRecord before = fresh.Record();
        fake.registry[key].resize(size, 0);
        EXPECT_FALSE(fresh.LoadSettings()) << size;
        EXPECT_EQ(fresh.Record(), before) << size;
    }
}

}  // namespace
}  // namespace appbar
