// The seam between the progress page and the installation actions: creating the progress
// page begins a sequence, which reports through the page and ends by setting the wizard's
// installation state to 100.
#pragma once

#include <atomic>
#include <string>

#include "wizard/wizard_state.h"

namespace stepwise {

// What the progress page offers a running installation.
class InstallationProgress {
  public:
    virtual ~InstallationProgress() = default;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetCurrentFile(const std::string& text) = 0;
    virtual void SetBar(int position, int range) = 0;

    // The download display, used only when FILES entries are fetched from the network; a
    // page without it shows the main bar and texts alone.
    // Shows the download controls with the bar at 0, "Contacting the server..." and the
    // address being fetched.
    virtual void BeginDownload(const std::string& address) {}
    // The download bar in percent and the time-left and rate values of a report.
    virtual void ShowDownloadReport(int percent,
                                    const std::string& timeLeft,
                                    const std::string& rate) {}
    // Empties the time-left and rate texts between downloads.
    virtual void ClearDownloadTexts() {}
};

class InstallationSequence {
  public:
    virtual ~InstallationSequence() = default;
    // Called once, on the user-interface thread, when the progress page is created. The
    // sequence reads the wizard's choices and sets its installation state to 100 when every
    // action has ended, now or later.
    virtual void Begin(InstallationProgress& progress, WizardState& wizard) = 0;
    // While held (the user is being asked whether to cancel) the sequence waits between
    // steps.
    virtual void Hold(bool held) {}
};

// Stands in until the installation actions exist: it copies, registers and records nothing,
// and only marks the installation ended so the complete page follows.
class NoActionsInstallation : public InstallationSequence {
  public:
    void Begin(InstallationProgress& progress, WizardState& wizard) override;
};

}  // namespace stepwise
