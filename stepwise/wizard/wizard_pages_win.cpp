// The pages that show texts and choices: welcome, license, readme, user, progress, complete.
#include "wizard/wizard_pages_win.h"

#include <commctrl.h>

#include "res/resource.h"
#include "wizard/finish_actions.h"

namespace stepwise {

namespace {

constexpr char kLicenseInstructions[] =
    "To add your own license text to this dialog, supply your license agreement file in the "
    "Dialogs view.\r\n\r\n1. Navigate to the Dialogs Boxes view.\r\n2. Select the License "
    "Agreement dialog.\r\n3. Set the License File property by browsing to your license "
    "agreement TXT file.\r\n\r\nAfter you build your release, your license text will be "
    "displayed in the License Agreement dialog.";

constexpr char kReadmeInstructions[] =
    "To add your own read text to this dialog, supply your readme file in the Dialogs "
    "view.\r\n\r\n1. Navigate to the Dialogs Boxes view.\r\n2. Select the Readme Information "
    "dialog.\r\n3. Set the Readme File property by browsing to your readme TXT file.\r\n\r\n"
    "After you build your release, your readme text will be displayed in the Readme "
    "Information dialog.";

// A payload text file from TempFolder, or the instruction text when it is absent.
std::string PayloadText(const InstallerContext& installer,
                        const char* name,
                        const char* instructions) {
    std::string path = installer.folders.tempFolder + name;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return instructions;
    return ReadWholeFile(path);
}

}  // namespace

CWelcome::CWelcome(PageContext& context)
    : WizardPage(context, IDD_PAGE_WELCOME, Background::White) {}

BOOL CWelcome::OnInitDialog() {
    UseLargeTitle();
    SetKeyText(IDC_PAGE_TITLE, 5);
    SetKeyText(IDC_WELCOME_BODY, 4);
    LoadLeftPicture();
    return TRUE;
}

CLicense::CLicense(PageContext& context)
    : WizardPage(context, IDD_PAGE_LICENSE, Background::Header) {}

BOOL CLicense::OnInitDialog() {
    SetHeader(6, 7);
    SetKeyText(IDC_LICENSE_DECLINE, 8);
    SetKeyText(IDC_LICENSE_ACCEPT, 9);
    SetItemText(IDC_LICENSE_TEXT, PayloadText(installer(), "license.txt", kLicenseInstructions));
    CheckRadioButton(hwnd(), IDC_LICENSE_ACCEPT, IDC_LICENSE_DECLINE, IDC_LICENSE_DECLINE);
    return TRUE;
}

void CLicense::Focus() {
    FocusControl(IsDlgButtonChecked(hwnd(), IDC_LICENSE_ACCEPT) ? IDC_LICENSE_ACCEPT
                                                                : IDC_LICENSE_DECLINE);
}

void CLicense::OnCommand(int id, int notifyCode, HWND control) {
    if (notifyCode != BN_CLICKED)
        return;
    if (id == IDC_LICENSE_ACCEPT)
        SendMessageA(wizard(), kEnableNextMessage, 0, 0);
    else if (id == IDC_LICENSE_DECLINE)
        SendMessageA(wizard(), kDisableNextMessage, 0, 0);
}

CReadme::CReadme(PageContext& context) : WizardPage(context, IDD_PAGE_README, Background::Header) {}

BOOL CReadme::OnInitDialog() {
    SetHeader(12, 13);
    SetItemText(IDC_README_TEXT, PayloadText(installer(), "readme.txt", kReadmeInstructions));
    return TRUE;
}

CUser::CUser(PageContext& context) : WizardPage(context, IDD_PAGE_USER, Background::Header) {}

BOOL CUser::OnInitDialog() {
    SetHeader(14, 15);
    SetKeyText(IDC_USER_NAME_LABEL, 16);
    SetKeyText(IDC_USER_COMPANY_LABEL, 17);
    return TRUE;
}

void CUser::Focus() {
    FocusControl(IDC_USER_NAME);
}

void CUser::OnCommand(int id, int notifyCode, HWND control) {
    if (notifyCode != EN_CHANGE)
        return;
    if (id == IDC_USER_NAME)
        state().userName = ItemText(id);
    else if (id == IDC_USER_COMPANY)
        state().company = ItemText(id);
}

ProgressPage::ProgressPage(PageContext& context)
    : WizardPage(context, IDD_PAGE_PROGRESS, Background::Header) {}

BOOL ProgressPage::OnInitDialog() {
    SetHeader(51, 52);
    SetKeyText(IDC_PROGRESS_STATUS, 51);
    SendMessageA(Item(IDC_PROGRESS_BAR), PBM_SETRANGE32, 0, 100);
    return TRUE;
}

void ProgressPage::SetStatus(const std::string& text) {
    SetItemText(IDC_PROGRESS_STATUS, text);
}

void ProgressPage::SetCurrentFile(const std::string& text) {
    SetItemText(IDC_PROGRESS_FILE, text);
}

void ProgressPage::SetBar(int position, int range) {
    HWND bar = Item(IDC_PROGRESS_BAR);
    SendMessageA(bar, PBM_SETRANGE32, 0, range);
    SendMessageA(bar, PBM_SETPOS, position, 0);
}

void ProgressPage::BeginDownload(const std::string& address) {
    HWND bar = Item(IDC_DOWNLOAD_BAR);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    SendMessageA(bar, PBM_SETRANGE32, 0, 100);
    for (int id : {IDC_DOWNLOAD_LABEL, IDC_DOWNLOAD_BAR, IDC_DOWNLOAD_TIME, IDC_DOWNLOAD_RATE})
        ShowWindow(Item(id), SW_SHOW);
    SetItemText(IDC_DOWNLOAD_TIME, "Contacting the server...");
    SetItemText(IDC_PROGRESS_STATUS, "Downloading files from Internet...");
    SetItemText(IDC_PROGRESS_FILE, address);
}

void ProgressPage::ShowDownloadReport(int percent,
                                      const std::string& timeLeft,
                                      const std::string& rate) {
    SendMessageA(Item(IDC_DOWNLOAD_BAR), PBM_SETPOS, percent, 0);
    SetItemText(IDC_DOWNLOAD_TIME, "Estimated time left: " + timeLeft);
    SetItemText(IDC_DOWNLOAD_RATE, "Transfer Rate: " + rate);
}

void ProgressPage::ClearDownloadTexts() {
    SetItemText(IDC_DOWNLOAD_TIME, "");
    SetItemText(IDC_DOWNLOAD_RATE, "");
}

CComplete::CComplete(PageContext& context)
    : WizardPage(context, IDD_PAGE_COMPLETE, Background::White) {}

BOOL CComplete::OnInitDialog() {
    UseLargeTitle();
    SetKeyText(IDC_PAGE_TITLE, 43);
    SetKeyText(IDC_COMPLETE_README, 48);
    SetKeyText(IDC_COMPLETE_RUN, 49);
    LoadLeftPicture();
    CompleteChoices choices = CompleteChoicesFrom(*installer().script);
    state().readmeChecked = choices.showReadme;
    state().runChecked = choices.showRun;
    CheckDlgButton(hwnd(), IDC_COMPLETE_README, choices.showReadme ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd(), IDC_COMPLETE_RUN, choices.showRun ? BST_CHECKED : BST_UNCHECKED);
    ShowWindow(Item(IDC_COMPLETE_README), choices.showReadme ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_COMPLETE_RUN), choices.showRun ? SW_SHOW : SW_HIDE);
    return TRUE;
}

void CComplete::OnCommand(int id, int notifyCode, HWND control) {
    if (notifyCode != BN_CLICKED)
        return;
    if (id == IDC_COMPLETE_README)
        state().readmeChecked = IsDlgButtonChecked(hwnd(), id) == BST_CHECKED;
    else if (id == IDC_COMPLETE_RUN)
        state().runChecked = IsDlgButtonChecked(hwnd(), id) == BST_CHECKED;
}

}  // namespace stepwise
