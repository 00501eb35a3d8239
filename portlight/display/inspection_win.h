// The inspection on the Win32 side: the details window, the report's reads of the
// executable (version resource, file times) and the lookup worker that answers by posting a
// message to the window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "display/details_window_win.h"
#include "display/inspection.h"
#include "net/host_lookup.h"

namespace portlight {

class InspectionWin {
  public:
    explicit InspectionWin(InspectionSources sources);
    ~InspectionWin();
    InspectionWin(const InspectionWin&) = delete;
    InspectionWin& operator=(const InspectionWin&) = delete;

    // Loads the details window hidden.
    bool Create(HINSTANCE instance);

    void ShowProcessReport(int slot) { inspection_->ShowProcessReport(slot); }
    void RefreshListofConnections() { inspection_->RefreshListofConnections(); }
    void RefreshNetstatsInfoBox() { inspection_->RefreshNetstatsInfoBox(); }
    bool ReportPending() const { return inspection_->ReportPending(); }

    DetailsWindow& window() { return window_; }

    // Ends the process of a termination target; set before Create.
    std::function<void(const std::string& target)> terminateProcess;

  private:
    class SystemReportReader : public ReportReader {
      public:
        std::optional<ReportFileTimes> FileTimes(const std::string& path) override;
        ReportVersion Version(const std::string& path) override;
    };

    // Declared first, so the inspection and its worker go before the window they show in.
    DetailsWindow window_;
    SystemReportReader reader_;
    HostLookupWorker::Resolve resolve_;  // chosen at load
    std::unique_ptr<Inspection> inspection_;
};

}  // namespace portlight
