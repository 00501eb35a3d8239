// frmAbout: a small modeless window with the product's name and version, read from the
// program's own version resource, and a web-site label that opens the vendor's home page.
#pragma once

#include <windows.h>

#include "common/win32/handles_win.h"

namespace portlight {

class AboutBox {
  public:
    AboutBox() = default;
    ~AboutBox() { Close(); }
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;

    void Show(HWND owner, HICON icon);
    void Close();
    HWND hwnd() const { return hwnd_; }

  private:
    LRESULT OnMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
    HWND link_ = nullptr;
    win32::Font linkFont_;
};

}  // namespace portlight
