// The wizard's pages, one class per page template.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wizard/installation_sequence.h"
#include "wizard/wizard_page_win.h"

namespace stepwise {

class CWelcome : public WizardPage {
  public:
    explicit CWelcome(PageContext& context);

  private:
    BOOL OnInitDialog() override;
};

class CLicense : public WizardPage {
  public:
    explicit CLicense(PageContext& context);
    void Focus() override;

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
};

class CReadme : public WizardPage {
  public:
    explicit CReadme(PageContext& context);

  private:
    BOOL OnInitDialog() override;
};

class CUser : public WizardPage {
  public:
    explicit CUser(PageContext& context);
    void Focus() override;

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
};

class CDestination : public WizardPage {
  public:
    explicit CDestination(PageContext& context);

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    void ShowFolder();
};

class CSetupType : public WizardPage {
  public:
    explicit CSetupType(PageContext& context);

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
    void OnShown() override { ShowSelection(); }
    void OnHidden() override { ShowSelection(); }
    void ShowSelection();
};

class CDCustom : public WizardPage {
  public:
    explicit CDCustom(PageContext& context);

  private:
    BOOL OnInitDialog() override;
    void OnShown() override { RebuildSelection(); }
    void OnHidden() override { RebuildSelection(); }
    void RebuildSelection();
};

class CFolder : public WizardPage {
  public:
    explicit CFolder(PageContext& context);

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
};

class CStartCopying : public WizardPage {
  public:
    explicit CStartCopying(PageContext& context);

  private:
    BOOL OnInitDialog() override;
    void OnShown() override;
};

class ProgressPage : public WizardPage, public InstallationProgress {
  public:
    explicit ProgressPage(PageContext& context);

    void SetStatus(const std::string& text) override;
    void SetCurrentFile(const std::string& text) override;
    void SetBar(int position, int range) override;
    void BeginDownload(const std::string& address) override;
    void ShowDownloadReport(int percent,
                            const std::string& timeLeft,
                            const std::string& rate) override;
    void ClearDownloadTexts() override;

  private:
    BOOL OnInitDialog() override;
};

class CComplete : public WizardPage {
  public:
    explicit CComplete(PageContext& context);

  private:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notifyCode, HWND control) override;
};

// Names of the Start menu's Programs folder the folder page lists.
std::vector<std::string> ProgramFolderEntries();

}  // namespace stepwise
