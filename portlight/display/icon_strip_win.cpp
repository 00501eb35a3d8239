#include "display/icon_strip_win.h"

#include <commctrl.h>

#include <cstdlib>

#include "common/win32/screen_win.h"
#include "common/win32/window_win.h"
#include "display/icon_menu_win.h"
#include "display/icon_slots.h"
#include "display/twips.h"

namespace portlight {

namespace {

// Bold 9.75-point count captions.
constexpr int kCountFontCentipoints = 975;

void RegisterClasses(HINSTANCE instance, WNDPROC host, WNDPROC image) {
    WNDCLASSA strip = {};
    strip.lpfnWndProc = host;
    strip.hInstance = instance;
    strip.hCursor = LoadCursor(nullptr, IDC_ARROW);
    strip.lpszClassName = kIconStripClass;
    RegisterClassA(&strip);  // fails harmlessly when already registered

    WNDCLASSA slot = {};
    slot.lpfnWndProc = image;
    slot.hInstance = instance;
    slot.hCursor = LoadCursor(nullptr, IDC_HAND);
    slot.lpszClassName = kSlotImageClass;
    RegisterClassA(&slot);
}

}  // namespace

IconStrip::IconStrip(const std::vector<IconSlot>& slots,
                     const ConnectionTable& table,
                     std::function<bool()> snapshotRunning)
    : slots_(slots), table_(table), snapshotRunning_(std::move(snapshotRunning)) {}

IconStrip::~IconStrip() {
    if (host_ && IsWindow(host_))
        DestroyWindow(host_);
    if (tooltip_ && IsWindow(tooltip_))
        DestroyWindow(tooltip_);
}

int IconStrip::CreateIconSlots(HWND container, COLORREF background) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(container, GWLP_HINSTANCE));
    RegisterClasses(instance, win32::WindowProc<IconStrip, &IconStrip::HandleHost>,
                    win32::WindowProc<IconStrip, &IconStrip::HandleImage>);
    background_ = background;
    stock_ = std::make_unique<StockPictures>(background);
    picLarge_ = std::make_unique<IconCanvas>(kPictureSize, kPictureSize, background);
    picSmall_ = std::make_unique<IconCanvas>(16, 16, background);

    const win32::Dpi dpi = win32::ScreenDpi();
    const int dpiX = dpi.x;
    const int dpiY = dpi.y;

    RECT area;
    GetClientRect(container, &area);
    host_ = CreateWindowExA(0, kIconStripClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            area.right, area.bottom, container, nullptr, instance, this);

    countFont_.reset(CreateFontA(-MulDiv(kCountFontCentipoints, dpiY, 7200), 0, 0, 0, FW_BOLD,
                                 FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_ROMAN,
                                 "Times New Roman"));
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, host_,
                               nullptr, instance, nullptr);

    const int widthTwips = PixelsToTwips(area.right, dpiX);
    const int n = IconSlotCountFor(widthTwips);
    const int image = TwipsToPixels(kSlotImageTwips, dpiX);
    const int imageHeight = TwipsToPixels(kSlotImageTwips, dpiY);
    const int buttonHeight = TwipsToPixels(kSlotButtonHeightTwips, dpiY);
    for (int i = 0; i <= n; ++i) {
        const int left = TwipsToPixels(SlotLeftTwips(i), dpiX);
        HWND img =
            CreateWindowExA(0, kSlotImageClass, "", WS_CHILD, left, 0, image, imageHeight, host_,
                            reinterpret_cast<HMENU>(INT_PTR{kSlotImageBase + i}), instance, this);
        std::string caption = std::to_string(i);
        HWND button = CreateWindowExA(0, "BUTTON", caption.c_str(), WS_CHILD | BS_PUSHBUTTON, left,
                                      imageHeight, image, buttonHeight, host_,
                                      reinterpret_cast<HMENU>(INT_PTR{kSlotButtonBase + i}),
                                      instance, nullptr);
        SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(countFont_.get()), FALSE);
        images_.push_back(img);
        buttons_.push_back(button);
        shownText_.push_back("");
        shownText_.push_back(caption);
        pictures_.push_back(std::make_unique<IconCanvas>(kPictureSize, kPictureSize, background));
        AddTool(img);
        AddTool(button);
    }
    return IconSlotCount();
}

void IconStrip::AddTool(HWND control) {
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = host_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void IconStrip::SetText(size_t control, HWND window, const std::string& text) {
    // A button repaints on every WM_SETTEXT, even to the same text: only changes are sent.
    if (shownText_[control] == text)
        return;
    SetWindowTextA(window, text.c_str());
    shownText_[control] = text;
}

void IconStrip::ResetSlots() {
    // Most slots are empty already: only what a slot shows is taken down.
    for (size_t i = 0; i < buttons_.size(); ++i) {
        SetText(2 * i + 1, buttons_[i], "0");
        if (IsWindowVisible(buttons_[i]))
            ShowWindow(buttons_[i], SW_HIDE);
    }
    for (size_t i = 0; i < images_.size(); ++i) {
        pictures_[i]->Clear();
        SetText(2 * i, images_[i], "");
        if (IsWindowVisible(images_[i]))
            ShowWindow(images_[i], SW_HIDE);
    }
}

void IconStrip::ShowSlots() {
    for (size_t i = 0; i < images_.size(); ++i) {
        const IconSlot empty;
        const IconSlot& slot = i < slots_.size() ? slots_[i] : empty;
        if (!slot.visible) {
            if (IsWindowVisible(buttons_[i]))
                ShowWindow(buttons_[i], SW_HIDE);
            if (IsWindowVisible(images_[i]))
                ShowWindow(images_[i], SW_HIDE);
            continue;
        }
        if (const IconCanvas* stock = stock_->ForSlot(slot.picture)) {
            picLarge_->CopyFrom(*stock);
        } else {
            // Extracting an icon reads the executable: done once while the process that
            // created the slot stays on the strip.
            const IconCanvas& icon = *icons_.Get({IconOwner(slot), slot.path}, [&] {
                LoadProcessIcon(slot.path, *picLarge_, *picSmall_, stock_->picDefault);
                auto copy = std::make_unique<IconCanvas>(kPictureSize, kPictureSize, background_);
                copy->CopyFrom(*picLarge_);
                return copy;
            });
            picLarge_->CopyFrom(icon);
        }
        pictures_[i]->CopyFrom(*picLarge_);
        // The image's window text carries the hover text, so the strip can be read from
        // outside (tests, accessibility tools) as well as through the tool-tip.
        SetText(2 * i, images_[i], slot.hoverText);
        SetText(2 * i + 1, buttons_[i], std::to_string(slot.count));
        ShowWindow(images_[i], SW_SHOW);
        ShowWindow(buttons_[i], SW_SHOW);
        InvalidateRect(images_[i], nullptr, FALSE);
    }
    icons_.Sweep();
}

ProcessKey IconStrip::IconOwner(const IconSlot& slot) {
    if (!facts)
        return {};
    const std::vector<int> rows = RowsOfRowList(slot.rowList);
    if (rows.empty() || rows.front() < 0 || rows.front() >= kConnectionRows)
        return {};
    return facts->KeyOf(ReadPid(table_.rows[rows.front()][kColPid]));
}

void IconStrip::ShowIconMenu(int slot) {
    if (slot < 0 || slot >= static_cast<int>(slots_.size()))
        return;
    std::optional<IconMenu> model =
        BuildIconMenu(slot, slots_[slot], table_, snapshotRunning_ && snapshotRunning_());
    if (!model)
        return;
    win32::Menu menu = CreateIconMenu(*model);
    POINT at;
    GetCursorPos(&at);
    // The menu closes properly when the user clicks elsewhere only if the owner is the
    // foreground window.
    SetForegroundWindow(GetAncestor(host_, GA_ROOT));
    UINT command = static_cast<UINT>(TrackPopupMenuEx(
        menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, host_, nullptr));
    PostMessageA(host_, WM_NULL, 0, 0);
    if (command)
        RunMenuCommand(*model, command);
}

void IconStrip::RunMenuCommand(const IconMenu& menu, UINT command) {
    const IconMenuEntry* entry = EntryOfCommand(menu, command);
    if (!entry || command == kCmdNetstatConnection)
        return;
    if (command == kCmdNetstatInfo) {
        if (handlers.ShowProcessReport)
            handlers.ShowProcessReport(std::atoi(entry->tag.c_str()));
        return;
    }
    if (handlers.MenuCommand)
        handlers.MenuCommand(menu, command);
}

void IconStrip::PaintImage(HWND image) {
    win32::PaintScope paint(image);
    RECT cell;
    GetClientRect(image, &cell);
    size_t i = static_cast<size_t>(GetDlgCtrlID(image) - kSlotImageBase);
    if (i < pictures_.size())
        pictures_[i]->PaintTo(paint.dc(), cell);
}

LRESULT IconStrip::HandleHost(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_COMMAND: {
            int id = LOWORD(wp);
            if (HIWORD(wp) == BN_CLICKED && id >= kSlotButtonBase &&
                id < kSlotButtonBase + static_cast<int>(buttons_.size())) {
                if (handlers.ShowProcessReport)
                    handlers.ShowProcessReport(id - kSlotButtonBase);
                return 0;
            }
            break;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (header->code == TTN_GETDISPINFOA) {
                auto* info = reinterpret_cast<NMTTDISPINFOA*>(lp);
                HWND control = reinterpret_cast<HWND>(header->idFrom);
                int id = GetDlgCtrlID(control);
                int i = id >= kSlotButtonBase ? id - kSlotButtonBase : id - kSlotImageBase;
                tipText_ = i >= 0 && i < static_cast<int>(slots_.size()) ? slots_[i].hoverText : "";
                info->lpszText = tipText_.data();
                return 0;
            }
            break;
        }
        case WM_ERASEBKGND: {
            RECT area;
            GetClientRect(window, &area);
            win32::Brush brush(CreateSolidBrush(background_));
            FillRect(reinterpret_cast<HDC>(wp), &area, brush.get());
            return 1;
        }
        default:
            break;
    }
    return DefWindowProcA(window, message, wp, lp);
}

LRESULT IconStrip::HandleImage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    const int slot = GetDlgCtrlID(window) - kSlotImageBase;
    switch (message) {
        case WM_PAINT:
            PaintImage(window);
            return 0;
        case WM_LBUTTONUP:
            if (handlers.ShowProcessReport)
                handlers.ShowProcessReport(slot);
            return 0;
        case WM_RBUTTONDOWN:
            ShowIconMenu(slot);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wp, lp);
}

}  // namespace portlight
