#include "wizard/installation_sequence.h"

#include "wizard/wizard_state.h"

namespace stepwise {

void NoActionsInstallation::Begin(InstallationProgress& progress, std::atomic<int>& state) {
    progress.SetCurrentFile("");
    progress.SetBar(1, 1);
    state = kInstallEnded;
}

}  // namespace stepwise
