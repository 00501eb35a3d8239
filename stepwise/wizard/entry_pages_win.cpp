// The pages that collect values: destination, setup type, custom components, program folder,
// and the start copying summary of them.
#include "wizard/wizard_pages_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include "common/win32/handles_win.h"
#include "res/resource.h"
#include "wizard/destination_rules.h"
#include "wizard/folder_browser_win.h"
#include "wizard/page_texts.h"

namespace stepwise {

namespace {

// The folder of the previous installation in update mode, from its uninstall entry.
std::string PreviousInstallFolder(const std::string& appName) {
    std::string path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + appName;
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return "";
    win32::RegKey key(raw);
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), "UninstallString", nullptr, &type,
                         reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return "";
    return FolderFromUninstallString(value);
}

}  // namespace

std::vector<std::string> ProgramFolderEntries() {
    std::vector<std::string> names;
    char programs[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE))
        return names;
    WIN32_FIND_DATAA found;
    win32::FindHandle find(FindFirstFileA((std::string(programs) + "\\*").c_str(), &found));
    if (!find)
        return names;
    do {
        if (IsProgramFolderEntry(found.cFileName))
            names.push_back(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    return names;
}

CDestination::CDestination(PageContext& context)
    : WizardPage(context, IDD_PAGE_DESTINATION, Background::Header) {}

BOOL CDestination::OnInitDialog() {
    SetHeader(19, 20);
    SetKeyText(IDC_DESTINATION_PROMPT, 22);
    SetKeyText(IDC_DESTINATION_BROWSE, 25);
    std::string mode = installer().Read("APPINFO", "INSTALLMODE");
    if (!mode.empty() && mode != "New Software") {
        std::string previous = PreviousInstallFolder(installer().AppName());
        if (!previous.empty())
            installer().installFolder = previous;
    }
    ShowFolder();
    return TRUE;
}

void CDestination::ShowFolder() {
    SetItemText(IDC_DESTINATION_FOLDER, DisplayedFolder(installer().installFolder));
}

void CDestination::OnCommand(int id, int notifyCode, HWND control) {
    if (id != IDC_DESTINATION_BROWSE || notifyCode != BN_CLICKED)
        return;
    if (auto folder = BrowseForDestination(wizard(), installer().installFolder)) {
        installer().installFolder = *folder;
        ShowFolder();
    }
}

CSetupType::CSetupType(PageContext& context)
    : WizardPage(context, IDD_PAGE_SETUPTYPE, Background::Header) {}

BOOL CSetupType::OnInitDialog() {
    SetHeader(26, 27);
    SetKeyText(IDC_SETUP_TYPICAL, 31);
    SetKeyText(IDC_SETUP_COMPACT, 32);
    SetKeyText(IDC_SETUP_CUSTOM, 33);
    SetKeyText(IDC_SETUP_TYPICAL_TEXT, 28);
    SetKeyText(IDC_SETUP_COMPACT_TEXT, 29);
    SetKeyText(IDC_SETUP_CUSTOM_TEXT, 30);
    ShowSelection();
    return TRUE;
}

void CSetupType::ShowSelection() {
    int selected = state().setupType.selected;
    int id = selected == kSetupCustom    ? IDC_SETUP_CUSTOM
             : selected == kSetupCompact ? IDC_SETUP_COMPACT
                                         : IDC_SETUP_TYPICAL;
    CheckRadioButton(hwnd(), IDC_SETUP_TYPICAL, IDC_SETUP_CUSTOM, id);
}

void CSetupType::OnCommand(int id, int notifyCode, HWND control) {
    if (notifyCode != BN_CLICKED)
        return;
    if (id == IDC_SETUP_TYPICAL)
        state().setupType.Click(kSetupTypical);
    else if (id == IDC_SETUP_COMPACT)
        state().setupType.Click(kSetupCompact);
    else if (id == IDC_SETUP_CUSTOM)
        state().setupType.Click(kSetupCustom);
}

CDCustom::CDCustom(PageContext& context)
    : WizardPage(context, IDD_PAGE_CUSTOM, Background::Header) {}

BOOL CDCustom::OnInitDialog() {
    SetItemText(IDC_PAGE_TITLE, "Customize your Installation");
    SetItemText(IDC_PAGE_SUBTITLE, "");
    HWND list = Item(IDC_CUSTOM_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list, &client);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    std::vector<std::string> names = ComponentNames(*installer().script);
    for (std::size_t i = 0; i < names.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = names[i].data();
        int row = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        ListView_SetCheckState(list, row, TRUE);
    }
    RebuildSelection();
    return TRUE;
}

void CDCustom::RebuildSelection() {
    HWND list = Item(IDC_CUSTOM_LIST);
    int count = ListView_GetItemCount(list);
    std::vector<ComponentRow> rows;
    for (int i = 0; i < count; ++i) {
        char text[kPathBuffer] = {};
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        rows.push_back({text, ListView_GetCheckState(list, i) != 0});
    }
    state().customSelection = CustomSelection(rows);
}

CFolder::CFolder(PageContext& context) : WizardPage(context, IDD_PAGE_FOLDER, Background::Header) {}

BOOL CFolder::OnInitDialog() {
    SetHeader(34, 35);
    SetKeyText(IDC_FOLDER_LABEL, 36);
    state().programFolder = installer().AppName();
    SetItemText(IDC_FOLDER_NAME, state().programFolder);
    HWND list = Item(IDC_FOLDER_LIST);
    for (const std::string& name : ProgramFolderEntries())
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    return TRUE;
}

void CFolder::OnCommand(int id, int notifyCode, HWND control) {
    if (id == IDC_FOLDER_NAME && notifyCode == EN_CHANGE) {
        state().programFolder = ItemText(IDC_FOLDER_NAME);
    } else if (id == IDC_FOLDER_LIST && notifyCode == LBN_SELCHANGE) {
        int selected = static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0));
        if (selected == LB_ERR)
            return;
        std::string text(SendMessageA(control, LB_GETTEXTLEN, selected, 0) + 1, '\0');
        text.resize(
            SendMessageA(control, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(text.data())));
        SetItemText(IDC_FOLDER_NAME, text);  // EN_CHANGE stores it
    }
}

CStartCopying::CStartCopying(PageContext& context)
    : WizardPage(context, IDD_PAGE_START, Background::Header) {}

BOOL CStartCopying::OnInitDialog() {
    SetHeader(39, 40);
    SetKeyText(IDC_START_EXPLANATION, 41);
    SetKeyText(IDC_START_LABEL, 42);
    return TRUE;
}

void CStartCopying::OnShown() {
    SummaryValues values{installer().AppName(), installer().installFolder, state().userName,
                         state().company, state().programFolder};
    SetItemText(IDC_START_SUMMARY, StartCopyingSummary(values));
}

}  // namespace stepwise
