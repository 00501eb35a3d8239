// The base of the wizard's pages: a child dialog over the wizard's page area, shown and
// hidden by the wizard, with a white header banner (or a white body) and the texts of the
// language keys it names.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/dialog_win.h"
#include "common/win32/handles_win.h"
#include "script/installer_context.h"
#include "wizard/wizard_state.h"

namespace stepwise {

// Private messages the pages send to the wizard.
constexpr UINT kEnableNextMessage = WM_USER + 37;
constexpr UINT kDisableNextMessage = WM_USER + 38;

// What every page works with; owned by the wizard, outlives its pages.
struct PageContext {
    HINSTANCE instance;
    InstallerContext& installer;
    WizardState& state;
};

class WizardPage : public win32::Dialog {
  public:
    enum class Background { Header, White };

    WizardPage(PageContext& context, int templateId, Background background)
        : context_(context), templateId_(templateId), background_(background) {}

    // Creates the page hidden over `area` (client coordinates of the wizard).
    bool Create(HWND wizard, const RECT& area);
    void Show();
    void Hide();
    // Focus on the page's first control, or the one it names.
    virtual void Focus();

  protected:
    virtual void OnShown() {}
    virtual void OnHidden() {}
    // Messages other than the colour messages the base answers.
    virtual INT_PTR OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
        handled = false;
        return 0;
    }

    const InstallerContext& installer() const { return context_.installer; }
    InstallerContext& installer() { return context_.installer; }
    WizardState& state() { return context_.state; }
    HINSTANCE instance() const { return context_.instance; }
    HWND wizard() const { return GetParent(hwnd()); }

    // Sets a control's text from a language key (built-in text without language.tag).
    void SetKeyText(int id, int key) const { SetItemText(id, installer().Text(key)); }
    void SetHeader(int titleKey, int subtitleKey) const;
    // Gives the title the welcome page's font: Tahoma, 14 pixels, bold.
    void UseLargeTitle();
    // Loads MAINWINDOW "LeftImage" into the left picture; hides the picture without one.
    void LoadLeftPicture();
    void FocusControl(int id) const;
    std::string ItemText(int id) const;

  private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) final;
    bool PaintsWhite(HWND control) const;

    PageContext& context_;
    int templateId_;
    Background background_;
    win32::GdiObject titleFont_;
    win32::GdiObject bannerFont_;
    win32::GdiObject picture_;
};

// The whole of a text file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace stepwise
