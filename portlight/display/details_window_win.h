// frmNetstatsInfo, captioned "Details Window": the list that shows a process report or the
// connection list, the status label, the button row (Refresh, Terminate, W, P, T, Copy, X)
// with their tool-tips, the one-second tmrRefresh and the proportional layout. The window
// shows text and applies the selection and Copy rules; what fills it comes from its owner
// through the handlers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/win32/handles_win.h"
#include "display/details_layout.h"
#include "display/details_rules.h"
#include "display/details_view.h"

namespace portlight {

struct DetailsWindowHandlers {
    // cmdNetstatsRefresh and the timer's refill: rebuild what the content marker names.
    std::function<void()> Refresh;
    // cmdNetstatsTerminate with the termination target.
    std::function<void(const std::string& target)> Terminate;
    // The lookup worker posted answers.
    std::function<void()> HostAnswers;
};

class DetailsWindow : public DetailsView {
  public:
    DetailsWindow() = default;
    ~DetailsWindow() override;
    DetailsWindow(const DetailsWindow&) = delete;
    DetailsWindow& operator=(const DetailsWindow&) = delete;

    // Loads the window hidden, at its design size; sets the list's horizontal extent once.
    bool Create(HINSTANCE instance);
    HWND hwnd() const { return hwnd_; }

    void Show() override;
    // Exit: clears DetailsActive and hides the window.
    void Exit();

    // The list.
    void ClearList() override;
    void SetLines(const std::vector<std::string>& lines) override;
    void ReplaceLine(int index, const std::string& text) override;
    std::vector<std::string> Lines() const;
    int LineCount() const;
    void ShowList(bool visible) override;
    void ShowExitButton() override;
    void SetStatus(const std::string& text) override;
    // Selects line `index` as a click would (the selection rule runs).
    void Select(int index);

    // Copy: the value of the selected line on the clipboard.
    void Copy();
    void EnableTerminate(bool enabled) override;

    // The termination target kept with cmdNetstatsTerminate (the content marker and
    // DetailsActive are kept in DetailsView).
    std::string terminationTarget;

    DetailsWindowHandlers handlers;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
    LRESULT HandleMessage(UINT message, WPARAM wp, LPARAM lp);
    void CreateControls(HINSTANCE instance);
    void SetHorizontalExtent();
    void OnCommand(int id, int code);
    void OnSelectionChanged();
    void OnTimer();
    void OnSize(WPARAM kind, int width, int height);
    HWND Control(DetailsControl which) const;
    bool SelectedLine(std::string& line) const;

    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    std::vector<HWND> controls_;  // in DetailsControl order
    win32::Font listFont_;
    win32::Brush listBrush_;
    LayoutMemory layout_;
};

}  // namespace portlight
