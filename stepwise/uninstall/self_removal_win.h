// Removal of the uninstaller's own installed copy once it has ended (see self_removal.h).
#pragma once

namespace stepwise {

// Call just before the program exits after a complete uninstallation. Does nothing for a copy
// outside the System folder or one that other installed products still use.
void RemoveOwnCopyAfterExit();

}  // namespace stepwise
