#include "display/inspection_win.h"

#include "display/connection_list.h"
#include "display/details_ids.h"
#include "display/process_report.h"
#include "display/report_sources_win.h"
#include "net/winsock2_win.h"

namespace portlight {

Inspection::Inspection(InspectionSources sources) : sources_(std::move(sources)) {}

Inspection::~Inspection() = default;

bool Inspection::Create(HINSTANCE instance) {
    window_.handlers.Refresh = [this] { RefreshCommand(); };
    // Ending the process of the selected line is not built yet: the button only enables.
    window_.handlers.Terminate = [](const std::string&) {};
    window_.handlers.HostAnswers = [this] { OnHostAnswers(); };
    resolve_ = SystemResolver();
    return window_.Create(instance);
}

HostLookupWorker& Inspection::Worker() {
    if (!worker_) {
        HWND window = window_.hwnd();
        worker_ = std::make_unique<HostLookupWorker>(resolve_, [window] {
            // From the worker thread: the answers are taken on the window's thread.
            PostMessageA(window, kWmHostAnswers, 0, 0);
        });
    }
    return *worker_;
}

void Inspection::ForgetHostLines() {
    if (worker_)
        hostLines_.Clear(*worker_);
    window_.SetStatus("");
}

void Inspection::ShowProcessReport(int index) {
    if (!sources_.slots || !sources_.table || index < 0 ||
        index >= static_cast<int>(sources_.slots->size()))
        return;
    const IconSlot& slot = (*sources_.slots)[static_cast<size_t>(index)];
    if (slot.count == 0)
        return;
    window_.Show();
    window_.DetailsActive = true;

    ReportInput input;
    input.slot = &slot;
    input.table = sources_.table;
    input.segmentPid = sources_.segmentPid && sources_.segmentPid();
    input.times = ReportFileTimesOf(slot.path);
    input.version = ReportVersionOf(slot.path);
    ProcessReport report = BuildProcessReport(input);

    ForgetHostLines();
    window_.EnableTerminate(false);
    window_.SetLines(report.lines);
    window_.contentMarker = slot.hoverText;
    if (sources_.resolveHosts && sources_.resolveHosts()) {
        ApplyHostLines(hostLines_.Begin(HostLineEntries(report.hosts), Worker()));
        window_.SetStatus(hostLines_.Pending() ? kResolvingHosts : "");
    }
}

void Inspection::RefreshListofConnections() {
    if (!sources_.table || !sources_.rawListing ||
        (sources_.countCaption && sources_.countCaption().empty()))
        return;
    ForgetHostLines();
    window_.ShowList(false);
    window_.ShowExitButton();
    window_.Show();
    window_.DetailsActive = true;
    window_.EnableTerminate(false);
    window_.SetLines(ConnectionListLines(*sources_.rawListing, *sources_.table));
    window_.contentMarker = kListOfConnections;
    window_.ShowList(true);
}

void Inspection::RefreshNetstatsInfoBox() {
    if (request_.Refresh(sources_.snapshotBusy && sources_.snapshotBusy()))
        ShowProcessReport(request_.ReportedSlot);
}

void Inspection::RefreshCommand() {
    ForgetHostLines();
    window_.ClearList();
    window_.EnableTerminate(false);
    if (window_.contentMarker == kListOfConnections) {
        RefreshListofConnections();
        return;
    }
    if (!sources_.slots)
        return;
    const int slot = SlotOfMarker(*sources_.slots, window_.contentMarker);
    if (slot < 0)
        return;  // the program is no longer on the bar: the list stays empty
    request_.ReportedSlot = slot;
    RefreshNetstatsInfoBox();
}

void Inspection::OnHostAnswers() {
    if (!worker_)
        return;
    ApplyHostLines(hostLines_.Apply(worker_->TakeAnswers()));
    if (!hostLines_.Pending())
        window_.SetStatus("");
}

void Inspection::ApplyHostLines(const std::vector<HostLines::Update>& updates) {
    for (const HostLines::Update& update : updates)
        window_.ReplaceLine(update.line, update.text);
}

}  // namespace portlight
