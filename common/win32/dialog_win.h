// A thin dialog layer: one object per dialog HWND, bound at WM_INITDIALOG, with the messages
// dispatched to virtual members. No exception crosses into the dialog procedure: a throwing
// handler ends the dialog with IDABORT.
//
//   class Splash : public win32::Dialog {
//       BOOL OnInitDialog() override;
//       void OnCommand(int id, int notifyCode, HWND control) override;
//   };
//   Splash splash;  splash.RunModal(instance, IDD_SPLASH, owner);
//
// Windows that are not dialogs bind through win32::WindowProc (window_win.h).
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

class Dialog {
  public:
    Dialog() = default;
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally on the calling thread; returns EndDialog's result, or -1 when
    // the template cannot be loaded.
    INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);
    // Creates the dialog modeless (a child page when the template has WS_CHILD); nullptr
    // when the template cannot be loaded.
    HWND CreateModeless(HINSTANCE instance, int templateId, HWND parent);

    HWND hwnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    void SetItemText(int id, const std::string& text) const {
        SetDlgItemTextA(hwnd_, id, text.c_str());
    }
    void EndDialog(INT_PTR result) const { ::EndDialog(hwnd_, result); }

  protected:
    // Return FALSE when the focus was set here.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnCommand(int id, int notifyCode, HWND control) {}
    virtual void OnTimer(UINT_PTR id) {}
    virtual void OnDestroy() {}
    // Any other message; when `handled` is set the result is what the dialog procedure
    // returns (TRUE, or a brush for WM_CTLCOLOR* messages).
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
        handled = false;
        return 0;
    }

  private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

}  // namespace win32
