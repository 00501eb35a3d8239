// The bar's inspection of its snapshot: ShowProcessReport, RefreshListofConnections,
// RefreshNetstatsInfoBox and the details window's refresh command, with reverse lookups on
// a worker filling the report's host lines as their answers arrive. It reads the bar's state
// and the executable's file through small interfaces and shows everything in a DetailsView.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "capture/connection_table.h"
#include "capture/icon_grouping.h"
#include "display/details_rules.h"
#include "display/details_view.h"
#include "display/process_report.h"
#include "net/host_lookup.h"

namespace portlight {

// What the inspection reads from the bar; everything is owned by the bar window and
// outlives the inspection.
struct InspectionSources {
    const std::vector<IconSlot>* slots = nullptr;
    const ConnectionTable* table = nullptr;
    const std::string* rawListing = nullptr;  // txtNetstats
    std::function<bool()> snapshotBusy;
    std::function<bool()> segmentPid;
    std::function<bool()> resolveHosts;
    std::function<std::string()> countCaption;  // caption of lblNetstatConnections
};

// Reads what the report says about an executable file (the system on the Win32 side).
class ReportReader {
  public:
    virtual ~ReportReader() = default;
    virtual std::optional<ReportFileTimes> FileTimes(const std::string& path) = 0;
    virtual ReportVersion Version(const std::string& path) = 0;
};

class Inspection {
  public:
    // Makes the lookup worker when the first report needs it.
    using WorkerFactory = std::function<std::unique_ptr<HostLookupWorker>()>;
    Inspection(InspectionSources sources,
               DetailsView& view,
               ReportReader& reader,
               WorkerFactory makeWorker);
    ~Inspection();
    Inspection(const Inspection&) = delete;
    Inspection& operator=(const Inspection&) = delete;

    void ShowProcessReport(int slot);
    void RefreshListofConnections();
    void RefreshNetstatsInfoBox();
    bool ReportPending() const { return request_.ReportPending; }
    // cmdNetstatsRefresh and the timer's refill: rebuilds what the content marker names.
    void RefreshCommand();
    // The worker has answers: fill the host lines of the shown report.
    void OnHostAnswers();

  private:
    void ApplyHostLines(const std::vector<HostLines::Update>& updates);
    // The shown content is about to be replaced: pending host answers no longer apply.
    void ForgetHostLines();
    HostLookupWorker& Worker();

    InspectionSources sources_;
    DetailsView& view_;
    ReportReader& reader_;
    WorkerFactory makeWorker_;
    ReportRequest request_;
    HostLines hostLines_;
    std::unique_ptr<HostLookupWorker> worker_;  // started at the first lookup
};

}  // namespace portlight
