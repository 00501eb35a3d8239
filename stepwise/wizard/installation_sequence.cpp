#include "wizard/installation_sequence.h"

#include "wizard/wizard_state.h"

namespace stepwise {

void NoActionsInstallation::Begin(InstallationProgress& progress, WizardState& wizard) {
    progress.SetCurrentFile("");
    progress.SetBar(1, 1);
    wizard.installationState = kInstallEnded;
}

}  // namespace stepwise
