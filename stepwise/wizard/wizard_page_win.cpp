#include "wizard/wizard_page_win.h"

#include <fstream>
#include <sstream>

#include "res/resource.h"

namespace stepwise {

namespace {

// Height of the white banner in dialog units, as the templates draw it.
constexpr int kBannerHeightDlu = 35;

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WizardPage::Create(HWND wizard, const RECT& area) {
    if (!CreateModeless(instance(), templateId_, wizard))
        return false;
    SetWindowPos(hwnd(), nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (background_ == Background::Header) {
        // The banner title is bold, in the dialog's own font.
        LOGFONTA bold = {};
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
        if (font && GetObjectA(font, sizeof bold, &bold)) {
            bold.lfWeight = FW_BOLD;
            bannerFont_.reset(CreateFontIndirectA(&bold));
            SendMessageA(Item(IDC_PAGE_TITLE), WM_SETFONT,
                         reinterpret_cast<WPARAM>(bannerFont_.get()), FALSE);
        }
    }
    return true;
}

void WizardPage::Show() {
    OnShown();
    ShowWindow(hwnd(), SW_SHOW);
}

void WizardPage::Hide() {
    ShowWindow(hwnd(), SW_HIDE);
    OnHidden();
}

void WizardPage::Focus() {
    HWND first = GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    SendMessageA(wizard(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first ? first : hwnd()), TRUE);
}

void WizardPage::FocusControl(int id) const {
    SendMessageA(wizard(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

std::string WizardPage::ItemText(int id) const {
    HWND control = Item(id);
    std::string text(GetWindowTextLengthA(control) + 1, '\0');
    text.resize(GetWindowTextA(control, text.data(), static_cast<int>(text.size())));
    return text;
}

void WizardPage::SetHeader(int titleKey, int subtitleKey) const {
    SetKeyText(IDC_PAGE_TITLE, titleKey);
    SetKeyText(IDC_PAGE_SUBTITLE, subtitleKey);
}

void WizardPage::UseLargeTitle() {
    titleFont_.reset(CreateFontA(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_SWISS, "Tahoma"));
    SendMessageA(Item(IDC_PAGE_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()),
                 FALSE);
}

void WizardPage::LoadLeftPicture() {
    std::string file = installer().Read("MAINWINDOW", "LeftImage", kPathBuffer);
    if (!file.empty())
        picture_.reset(LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!picture_) {
        ShowWindow(Item(IDC_PAGE_PICTURE), SW_HIDE);
        return;
    }
    // The static keeps showing the bitmap the page owns.
    SendMessageA(Item(IDC_PAGE_PICTURE), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(picture_.get()));
}

bool WizardPage::PaintsWhite(HWND control) const {
    if (background_ == Background::White)
        return true;
    int id = GetDlgCtrlID(control);
    return id == IDC_PAGE_TITLE || id == IDC_PAGE_SUBTITLE || id == IDC_PAGE_ICON;
}

INT_PTR WizardPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (!PaintsWhite(reinterpret_cast<HWND>(lParam)))
                break;
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            handled = true;
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        case WM_CTLCOLORDLG:
            if (background_ != Background::White)
                break;
            handled = true;
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        case WM_ERASEBKGND: {
            if (background_ != Background::Header)
                break;
            HDC dc = reinterpret_cast<HDC>(wParam);
            RECT client;
            GetClientRect(hwnd(), &client);
            FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
            RECT banner = {0, 0, 1, kBannerHeightDlu};
            MapDialogRect(hwnd(), &banner);
            banner.right = client.right;
            FillRect(dc, &banner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            SetWindowLongPtrA(hwnd(), DWLP_MSGRESULT, TRUE);
            handled = true;
            return TRUE;
        }
        default:
            break;
    }
    return OnPageMessage(message, wParam, lParam, handled);
}

}  // namespace stepwise
