// A notification-area icon with a tool-tip, a balloon, a menu title and a menu of text
// items and separators; choosing an item raises onItemChosen with the item's caption.
// It owns a hidden window of its own that receives the shell's callbacks. An icon the
// shell refused (not up yet at logon) is offered again until it is taken, and a restarted
// shell ("TaskbarCreated") gets it again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace portlight {

class TrayIcon {
  public:
    enum ItemKind { kText = 1, kSeparator = 5 };
    enum BalloonIcon { kBalloonNone = 0, kBalloonInfo = 1, kBalloonWarning = 2, kBalloonError = 3 };

    struct MenuItem {
        int kind = kText;
        std::string caption;
        bool checked = false;
    };

    TrayIcon();
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    std::string toolTip;
    std::string balloonText;
    std::string balloonTitle;
    UINT balloonTimeout = 10000;
    int balloonIconKind = kBalloonNone;
    std::string menuTitle;
    HICON icon = nullptr;  // borrowed: the owner keeps it alive while the icon shows

    // Adds a menu item; returns its 1-based position.
    int AddMenuItem(int kind, const std::string& caption, UINT flags = 0);
    MenuItem& Item(int position) { return items_.at(static_cast<size_t>(position - 1)); }
    size_t ItemCount() const { return items_.size(); }

    // Puts the icon (or its new tool-tip and balloon) on the notification area.
    bool Show();
    // Updates only the tool-tip of a shown icon.
    void UpdateToolTip(const std::string& text);
    void Remove();
    bool shown() const { return shown_; }

    std::function<void(const std::string& caption)> onItemChosen;

    // The shell call behind the icon; tests make it fail.
    std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)> notify = Shell_NotifyIconA;
    // The hidden window that receives the shell's callbacks (for tests).
    HWND window() const { return window_; }

  private:
    LRESULT OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);
    void ShowMenu();
    NOTIFYICONDATAA BaseData() const;
    NOTIFYICONDATAA IconData(bool withBalloon) const;
    // NIM_ADD; on refusal the retry timer runs until an add succeeds.
    bool Add(bool withBalloon);
    void OnTimer();
    void OnTaskbarCreated();

    HWND window_ = nullptr;
    bool shown_ = false;   // the shell holds the icon
    bool wanted_ = false;  // Show was called and Remove not since
    std::vector<MenuItem> items_;
};

}  // namespace portlight
