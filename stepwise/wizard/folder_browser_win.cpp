#include "wizard/folder_browser_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include "res/resource.h"
#include "wizard/destination_rules.h"

namespace stepwise {

namespace {

// Height of the added edit box, in pixels, and the gap below it.
constexpr int kEditHeight = 23;
constexpr int kEditGap = 4;
constexpr char kBrowserProperty[] = "StepwiseFolderBrowser";

struct BrowserState {
    std::string initialFolder;
    std::optional<std::string> chosen;
    WNDPROC original = nullptr;
    HWND edit = nullptr;
};

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string EditText(HWND edit) {
    std::string text(GetWindowTextLengthA(edit) + 1, '\0');
    text.resize(GetWindowTextA(edit, text.data(), static_cast<int>(text.size())));
    return text;
}

void EnableOk(HWND browser, bool enabled) {
    SendMessageA(browser, BFFM_ENABLEOK, 0, enabled ? TRUE : FALSE);
}

// OK: the typed path must be valid and exist, or be created on request. True when the
// browser may close with it.
bool AcceptTypedPath(HWND browser, BrowserState& state) {
    std::string path = EditText(state.edit);
    if (!IsValidTypedFolder(path)) {
        MessageBoxA(browser, InvalidFolderMessage(path).c_str(), kBrowserCaption,
                    MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!IsFolder(path)) {
        if (MessageBoxA(browser, MissingFolderQuestion(path).c_str(), kBrowserCaption,
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
            return false;
        if (!CreateFolderLevels(path)) {
            MessageBoxA(browser, UncreatableFolderMessage(path).c_str(), kBrowserCaption,
                        MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    state.chosen = path;
    return true;
}

LRESULT CALLBACK BrowserProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = static_cast<BrowserState*>(GetPropA(window, kBrowserProperty));
    if (!state)
        return DefWindowProcA(window, message, wParam, lParam);
    WNDPROC original = state->original;
    if (message == WM_COMMAND) {
        int id = LOWORD(wParam);
        if (id == IDC_BROWSER_EDIT && HIWORD(wParam) == EN_CHANGE) {
            EnableOk(window, GetWindowTextLengthA(state->edit) > 0);
            return 0;
        }
        if (id == IDOK && !AcceptTypedPath(window, *state))
            return 0;
    } else if (message == WM_NCDESTROY) {
        RemovePropA(window, kBrowserProperty);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    return CallWindowProcA(original, window, message, wParam, lParam);
}

// Puts the edit box just above the folder tree, moving the tree down to make room.
void AddEditBox(HWND browser, BrowserState& state) {
    HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    RECT r = {10, 40, 300, 240};
    if (tree) {
        GetWindowRect(tree, &r);
        MapWindowPoints(nullptr, browser, reinterpret_cast<POINT*>(&r), 2);
    }
    state.edit = GetDlgItem(browser, IDC_BROWSER_EDIT);
    if (!state.edit) {
        state.edit = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "",
                                     WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, browser,
                                     reinterpret_cast<HMENU>(IDC_BROWSER_EDIT), nullptr, nullptr);
        SendMessageA(state.edit, WM_SETFONT, SendMessageA(browser, WM_GETFONT, 0, 0), FALSE);
    }
    SetWindowPos(state.edit, nullptr, r.left, r.top, r.right - r.left, kEditHeight,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
    if (tree) {
        int shift = kEditHeight + kEditGap;
        SetWindowPos(tree, nullptr, r.left, r.top + shift, r.right - r.left,
                     std::max(0L, r.bottom - r.top - shift), SWP_NOZORDER);
    }
}

int CALLBACK BrowserCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    auto* state = reinterpret_cast<BrowserState*>(data);
    if (message == BFFM_INITIALIZED) {
        SetWindowTextA(browser, kBrowserCaption);
        AddEditBox(browser, *state);
        SetPropA(browser, kBrowserProperty, state);
        state->original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(browser, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BrowserProcedure)));
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE,
                     reinterpret_cast<LPARAM>(state->initialFolder.c_str()));
        SetWindowTextA(state->edit, state->initialFolder.c_str());
    } else if (message == BFFM_SELCHANGED && state->edit) {
        char path[MAX_PATH] = {};
        if (!SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), path))
            path[0] = '\0';
        SetWindowTextA(state->edit, path);
        EnableOk(browser, HasDriveLetter(path));
    }
    return 0;
}

// COM for the shell's browser, released when the browser has closed.
class ComScope {
  public:
    ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialised_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool initialised_;
};

}  // namespace

bool CreateFolderLevels(const std::string& path) {
    for (const std::string& level : FolderLevels(path)) {
        if (!IsFolder(level))
            CreateDirectoryA(level.c_str(), nullptr);
    }
    return IsFolder(path);
}

std::optional<std::string> BrowseForDestination(HWND owner, const std::string& initialFolder) {
    ComScope com;
    BrowserState state;
    state.initialFolder = initialFolder;
    if (state.initialFolder.empty()) {
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        state.initialFolder = current;
    }
    char display[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = kBrowserTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowserCallback;
    info.lParam = reinterpret_cast<LPARAM>(&state);
    LPITEMIDLIST selected = SHBrowseForFolderA(&info);
    if (selected)
        CoTaskMemFree(selected);
    return state.chosen;
}

}  // namespace stepwise
