#include "display/inspection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "display/connection_list.h"

namespace portlight {
namespace {

using namespace std::chrono_literals;

// The details window as a record of what it was told.
struct FakeView : DetailsView {
    void Show() override { shown = true; }
    void ShowList(bool visible) override { listVisible = visible; }
    void ShowExitButton() override {}
    void ClearList() override { lines.clear(); }
    void SetLines(const std::vector<std::string>& all) override { lines = all; }
    void ReplaceLine(int index, const std::string& text) override {
        ++replaced;
        if (index >= 0 && index < static_cast<int>(lines.size()))
            lines[index] = text;
    }
    void SetStatus(const std::string& text) override { status = text; }
    void EnableTerminate(bool enabled) override { terminate = enabled; }

    bool shown = false;
    bool listVisible = true;
    bool terminate = true;
    int replaced = 0;
    std::vector<std::string> lines;
    std::string status;
};

struct FakeReader : ReportReader {
    std::optional<ReportFileTimes> FileTimes(const std::string& path) override {
        return ReportFileTimes{"1/2/2020", "1/3/2020", "1/4/2020"};
    }
    ReportVersion Version(const std::string& path) override {
        ReportVersion v;
        v.ProductName = "Product of " + path;
        return v;
    }
};

// A resolver held until released, and a wait for the worker's answers.
struct Answers {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    int calls = 0;
    int answered = 0;

    std::string Resolve(const LookupAddress& address) {
        std::unique_lock<std::mutex> lock(mutex);
        ++calls;
        changed.notify_all();
        changed.wait(lock, [&] { return !held; });
        return address.text == "127.0.0.1" ? "localhost" : "";
    }
    void Hold(bool on) {
        std::lock_guard<std::mutex> lock(mutex);
        held = on;
        changed.notify_all();
    }
    void Answered() {
        std::lock_guard<std::mutex> lock(mutex);
        ++answered;
        changed.notify_all();
    }
    bool WaitCalls(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return calls >= count; });
    }
    bool Wait(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return answered >= count; });
    }
};

class InspectionTest : public ::testing::Test {
  protected:
    InspectionTest() {
        table_.rows[0] = {"TCP",         "127.0.0.1", "135",       "127.0.0.1", "49152",
                          "ESTABLISHED", "Normal",    "C:\\a.exe", "10"};
        table_.rows[1] = {"UDP", "0.0.0.0", "500", "*", "*", "", "Normal", "C:\\b.exe", "12345"};
        table_.rows[2] = {"TCP",       "10.0.0.2", "50000",     "127.0.0.1", "443",
                          "TIME_WAIT", "Normal",   "C:\\a.exe", "10"};
        table_.ConnectionCount = 3;
        listing_ =
            "  TCP 127.0.0.1:135 127.0.0.1:49152 ESTABLISHED 10\r\n"
            "  UDP 0.0.0.0:500 *:* 12345\r\n"
            "  TCP 10.0.0.2:50000 127.0.0.1:443 TIME_WAIT 10\r\n";
        slots_.resize(4);
        slots_[0] = {"A - PID=10", "C:\\a.exe", 2, "000002", SlotPicture::kProcessIcon, true};
        slots_[1] = {"B - PID=12345", "C:\\b.exe", 1, "001", SlotPicture::kProcessIcon, true};
        InspectionSources sources;
        sources.slots = &slots_;
        sources.table = &table_;
        sources.rawListing = &listing_;
        sources.snapshotBusy = [this] { return busy_; };
        sources.segmentPid = [] { return true; };
        sources.resolveHosts = [this] { return resolve_; };
        sources.countCaption = [this] { return caption_; };
        inspection_ = std::make_unique<Inspection>(std::move(sources), view_, reader_, [this] {
            return std::make_unique<HostLookupWorker>(
                [this](const LookupAddress& a) { return answers_.Resolve(a); },
                [this] { answers_.Answered(); });
        });
    }

    int IndexOf(const std::string& line) const {
        for (size_t i = 0; i < view_.lines.size(); ++i)
            if (view_.lines[i] == line)
                return static_cast<int>(i);
        return -1;
    }

    ConnectionTable table_;
    std::string listing_;
    std::vector<IconSlot> slots_;
    bool busy_ = false;
    bool resolve_ = false;
    std::string caption_ = "3";
    FakeView view_;
    FakeReader reader_;
    Answers answers_;
    std::unique_ptr<Inspection> inspection_;
};

// A click on a slot shows its report and remembers the slot's hover text; an empty slot or
// an index off the strip shows nothing.
TEST_F(InspectionTest, ShowProcessReportFillsTheWindow) {
    inspection_->ShowProcessReport(2);
    inspection_->ShowProcessReport(9);
    EXPECT_FALSE(view_.shown);
    EXPECT_FALSE(view_.DetailsActive);

    inspection_->ShowProcessReport(0);
    EXPECT_TRUE(view_.shown);
    EXPECT_TRUE(view_.DetailsActive);
    EXPECT_FALSE(view_.terminate);
    EXPECT_EQ(view_.contentMarker, "A - PID=10");
    ASSERT_FALSE(view_.lines.empty());
    EXPECT_EQ(view_.lines[0], "Product of C:\\a.exe");
    EXPECT_GE(IndexOf("Process ID       : 10 >> [Normal]"), 0);
    EXPECT_GE(IndexOf("*** Connection Number :  2  ***"), 0);
    EXPECT_GE(IndexOf("Created          : 1/2/2020"), 0);
    EXPECT_EQ(view_.status, "") << "resolving is off";
}

// The refresh command finds the reported program again by its hover text, even in another
// slot; during a snapshot the report waits for the main timer; a program that left the bar
// leaves the list empty.
TEST_F(InspectionTest, RefreshCommandFollowsTheProgram) {
    inspection_->ShowProcessReport(1);
    std::swap(slots_[0], slots_[1]);
    view_.lines.clear();
    inspection_->RefreshCommand();
    EXPECT_GE(IndexOf("Path             : C:\\b.exe"), 0);

    busy_ = true;
    inspection_->RefreshCommand();
    EXPECT_TRUE(view_.lines.empty());
    EXPECT_TRUE(inspection_->ReportPending());
    busy_ = false;
    inspection_->RefreshNetstatsInfoBox();  // the main timer after the snapshot
    EXPECT_FALSE(inspection_->ReportPending());
    EXPECT_GE(IndexOf("Path             : C:\\b.exe"), 0);

    slots_[0].hoverText = "Someone else";
    inspection_->RefreshCommand();
    EXPECT_TRUE(view_.lines.empty());
    EXPECT_EQ(view_.contentMarker, "B - PID=12345");
}

// The count label lists every connection; the refresh command rebuilds the list; nothing
// happens before a snapshot has set the count.
TEST_F(InspectionTest, ConnectionListAndItsRefresh) {
    caption_ = "";
    inspection_->RefreshListofConnections();
    EXPECT_FALSE(view_.shown);

    caption_ = "3";
    inspection_->RefreshListofConnections();
    EXPECT_TRUE(view_.shown && view_.listVisible && view_.DetailsActive);
    EXPECT_EQ(view_.contentMarker, kListOfConnections);
    EXPECT_EQ(view_.lines, ConnectionListLines(listing_, table_));
    EXPECT_EQ(view_.lines[4], "UDP 0.0.0.0:500 *:* 12345" + std::string(11, ' ') + "C:\\b.exe");

    view_.lines.clear();
    inspection_->RefreshCommand();
    EXPECT_EQ(view_.lines.size(), 6u);
}

// With "Resolve Hosts" on, the host lines fill in as answers arrive and the status clears;
// answers for a report that the connection list has replaced are not written into it.
TEST_F(InspectionTest, HostLinesFillAndStaleAnswersAreDropped) {
    resolve_ = true;
    answers_.Hold(true);
    inspection_->ShowProcessReport(0);
    EXPECT_EQ(view_.status, kResolvingHosts);
    ASSERT_TRUE(answers_.WaitCalls(1));  // 127.0.0.1 is being looked up, 10.0.0.2 queued
    inspection_->RefreshListofConnections();
    EXPECT_EQ(view_.status, "");
    const std::vector<std::string> list = view_.lines;
    answers_.Hold(false);
    ASSERT_TRUE(answers_.Wait(1));
    inspection_->OnHostAnswers();
    EXPECT_EQ(view_.lines, list);
    EXPECT_EQ(view_.replaced, 0);

    // The same report again: 127.0.0.1 comes from the session's cache at once, 10.0.0.2 (whose
    // queued lookup went with the list) is asked now.
    inspection_->ShowProcessReport(0);
    EXPECT_EQ(view_.replaced, 3);
    EXPECT_GE(IndexOf("Local Host   : localhost"), 0);
    EXPECT_EQ(view_.status, kResolvingHosts);
    ASSERT_TRUE(answers_.Wait(2));
    inspection_->OnHostAnswers();
    EXPECT_EQ(view_.replaced, 4);
    EXPECT_EQ(view_.status, "");
    EXPECT_GE(IndexOf("Remote Host  : localhost"), 0);
}

}  // namespace
}  // namespace portlight
