#include "display/inspection_win.h"

#include "display/details_ids.h"
#include "display/report_sources_win.h"
#include "net/winsock2_win.h"

namespace portlight {

std::optional<ReportFileTimes> InspectionWin::SystemReportReader::FileTimes(
    const std::string& path) {
    return ReportFileTimesOf(path);
}

ReportVersion InspectionWin::SystemReportReader::Version(const std::string& path) {
    return ReportVersionOf(path);
}

InspectionWin::InspectionWin(InspectionSources sources) {
    resolve_ = SystemResolver();
    inspection_ = std::make_unique<Inspection>(std::move(sources), window_, reader_, [this] {
        HWND window = window_.hwnd();
        return std::make_unique<HostLookupWorker>(resolve_, [window] {
            // From the worker thread: the answers are taken on the window's thread.
            PostMessageA(window, kWmHostAnswers, 0, 0);
        });
    });
}

InspectionWin::~InspectionWin() = default;

bool InspectionWin::Create(HINSTANCE instance) {
    window_.handlers.Refresh = [this] { inspection_->RefreshCommand(); };
    window_.handlers.Terminate = [this](const std::string& target) {
        if (terminateProcess)
            terminateProcess(target);
        window_.EnableTerminate(false);
    };
    window_.handlers.HostAnswers = [this] { inspection_->OnHostAnswers(); };
    return window_.Create(instance);
}

}  // namespace portlight
