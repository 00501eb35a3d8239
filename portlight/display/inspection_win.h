// The bar's inspection of its snapshot: ShowProcessReport, RefreshListofConnections,
// RefreshNetstatsInfoBox and the details window's refresh command, with reverse lookups on
// a worker thread filling the report's host lines as their answers arrive.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/connection_table.h"
#include "capture/icon_grouping.h"
#include "display/details_rules.h"
#include "display/details_window_win.h"
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

class Inspection {
  public:
    explicit Inspection(InspectionSources sources);
    ~Inspection();
    Inspection(const Inspection&) = delete;
    Inspection& operator=(const Inspection&) = delete;

    // Loads the details window hidden.
    bool Create(HINSTANCE instance);

    void ShowProcessReport(int slot);
    void RefreshListofConnections();
    void RefreshNetstatsInfoBox();
    bool ReportPending() const { return request_.ReportPending; }

    DetailsWindow& window() { return window_; }

  private:
    // cmdNetstatsRefresh: rebuilds what the content marker names.
    void RefreshCommand();
    void OnHostAnswers();
    void ApplyHostLines(const std::vector<HostLines::Update>& updates);
    // The shown content is about to be replaced: pending host answers no longer apply.
    void ForgetHostLines();
    HostLookupWorker& Worker();

    InspectionSources sources_;
    ReportRequest request_;
    DetailsWindow window_;
    HostLines hostLines_;
    HostLookupWorker::Resolve resolve_;         // chosen at load
    std::unique_ptr<HostLookupWorker> worker_;  // started at the first lookup
};

}  // namespace portlight
