// What the wizard's pages collect and the installation reads: the setup type, the custom
// selection, the user information, the program folder, the complete page's check boxes and
// the installation state.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace stepwise {

// Setup-type choice values, as the installation actions read them.
constexpr int kSetupTypical = 0;
constexpr int kSetupCompact = 133;
constexpr int kSetupCustom = 255;

// The custom components page's pending flag.
constexpr int kCustomNone = 0;
constexpr int kCustomPending = 255;
constexpr int kCustomShownFlag = 101;

// Installation state: before, while installing, when every action has ended.
constexpr int kInstallBefore = 0;
constexpr int kInstalling = 255;
constexpr int kInstallEnded = 100;

// The setup-type page: which radio button shows and the choice, which changes only by a click.
struct SetupTypeState {
    int selected = kSetupTypical;
    int choice = kSetupTypical;

    void Click(int value) { selected = choice = value; }
    // Each show and hide: Custom selected leaves the components page pending, then the radio
    // group returns to Typical.
    void ShownOrHidden(int& customPending) {
        if (selected == kSetupCustom) {
            customPending = kCustomPending;
            choice = kSetupCustom;
        }
        selected = kSetupTypical;
    }
};

struct WizardState {
    SetupTypeState setupType;
    int customPending = kCustomNone;
    std::vector<std::string> customSelection;  // ticked component names, in list order
    std::string userName;
    std::string company;
    std::string programFolder;
    bool readmeChecked = false;
    bool runChecked = false;
    // Written by the installation (and its download worker), polled by timer 1.
    std::atomic<int> installationState{kInstallBefore};
};

}  // namespace stepwise
