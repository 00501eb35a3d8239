#include "display/inspection.h"

#include "display/connection_list.h"

namespace portlight {

Inspection::Inspection(InspectionSources sources,
                       DetailsView& view,
                       ReportReader& reader,
                       WorkerFactory makeWorker)
    : sources_(std::move(sources)),
      view_(view),
      reader_(reader),
      makeWorker_(std::move(makeWorker)) {}

Inspection::~Inspection() = default;

HostLookupWorker& Inspection::Worker() {
    if (!worker_)
        worker_ = makeWorker_();
    return *worker_;
}

void Inspection::ForgetHostLines() {
    if (worker_)
        hostLines_.Clear(*worker_);
    view_.SetStatus("");
}

void Inspection::ShowProcessReport(int index) {
    if (!sources_.slots || !sources_.table || index < 0 ||
        index >= static_cast<int>(sources_.slots->size()))
        return;
    const IconSlot& slot = (*sources_.slots)[static_cast<size_t>(index)];
    if (slot.count == 0)
        return;
    view_.Show();
    view_.DetailsActive = true;

    ReportInput input;
    input.slot = &slot;
    input.table = sources_.table;
    input.segmentPid = sources_.segmentPid && sources_.segmentPid();
    input.times = reader_.FileTimes(slot.path);
    input.version = reader_.Version(slot.path);
    ProcessReport report = BuildProcessReport(input);

    ForgetHostLines();
    view_.EnableTerminate(false);
    view_.SetLines(report.lines);
    view_.contentMarker = slot.hoverText;
    if (sources_.resolveHosts && sources_.resolveHosts() && makeWorker_) {
        ApplyHostLines(hostLines_.Begin(HostLineEntries(report.hosts), Worker()));
        view_.SetStatus(hostLines_.Pending() ? kResolvingHosts : "");
    }
}

void Inspection::RefreshListofConnections() {
    if (!sources_.table || !sources_.rawListing ||
        (sources_.countCaption && sources_.countCaption().empty()))
        return;
    ForgetHostLines();
    view_.ShowList(false);
    view_.ShowExitButton();
    view_.Show();
    view_.DetailsActive = true;
    view_.EnableTerminate(false);
    view_.SetLines(ConnectionListLines(*sources_.rawListing, *sources_.table));
    view_.contentMarker = kListOfConnections;
    view_.ShowList(true);
}

void Inspection::RefreshNetstatsInfoBox() {
    if (request_.Refresh(sources_.snapshotBusy && sources_.snapshotBusy()))
        ShowProcessReport(request_.ReportedSlot);
}

void Inspection::RefreshCommand() {
    ForgetHostLines();
    view_.ClearList();
    view_.EnableTerminate(false);
    if (view_.contentMarker == kListOfConnections) {
        RefreshListofConnections();
        return;
    }
    if (!sources_.slots)
        return;
    const int slot = SlotOfMarker(*sources_.slots, view_.contentMarker);
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
        view_.SetStatus("");
}

void Inspection::ApplyHostLines(const std::vector<HostLines::Update>& updates) {
    for (const HostLines::Update& update : updates)
        view_.ReplaceLine(update.line, update.text);
}

}  // namespace portlight
