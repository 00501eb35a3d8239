// The wizard under Wine: every page walked through with the ids and texts of its template,
// Back from the components page, Enter in the user name field, the folder browser's checks,
// Cancel with its question, and Finish starting the installed program.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win32/handles_win.h"
#include "e2e.h"
#include "stepwise/res/resource.h"
#include "stepwise_e2e_support.h"

namespace stepwise_e2e {
namespace {

constexpr char kWizardTitle[] = "Acme - Stepwise";

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The page the user sees: the visible child dialog of the wizard.
HWND VisiblePage(HWND wizard) {
    for (HWND child : e2e::ChildWindows(wizard)) {
        if (GetParent(child) == wizard && ClassOf(child) == "#32770" && IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

// Waits for the visible page whose title (id 1002) reads `title`.
HWND WaitPage(HWND wizard, const std::string& title) {
    HWND page = nullptr;
    e2e::WaitFor(
        [&] {
            page = VisiblePage(wizard);
            return page && e2e::ItemText(page, IDC_PAGE_TITLE) == title;
        },
        10s);
    return page && e2e::ItemText(page, IDC_PAGE_TITLE) == title ? page : nullptr;
}

// A click as the button itself sees one; a disabled button ignores it.
void Press(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

bool Checked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return state == BST_CHECKED;
}

bool Visible(HWND dialog, int id) {
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void SetText(HWND dialog, int id, const std::string& text) {
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000, nullptr);
}

// The destination page's display: longer folders show 60 characters and "...".
std::string Displayed(const std::string& folder) {
    return folder.size() > 60 ? folder.substr(0, 60) + "..." : folder;
}

// Centre of a control in screen coordinates, for xdotool.
std::string Centre(HWND control) {
    RECT r = e2e::WindowRect(control);
    return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}

class WizardRun : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA((setup / "src").c_str(), nullptr);
        CreateDirectoryA((setup / "target").c_str(), nullptr);
    }
    void TearDown() override {
        RemoveFile(TempPath() + "license.txt");
        RemoveFile(TempPath() + "readme.txt");
    }

    // A payload with license.txt and readme.txt, and the script.
    void Prepare(const std::string& script) {
        e2e::WriteTextFile(setup / "src" + "\\license.txt", "Acme licence terms\r\nline two");
        e2e::WriteTextFile(setup / "src" + "\\readme.txt", "Acme readme text");
        // The uninstaller rides in every payload, as the installation's final steps copy it.
        e2e::CopyFileOrFail(e2e::BinFolder() + "wizuninst.exe", setup / "src\\wizuninst.exe");
        MakeCabinet(setup / "file1.cab", setup / "src",
                    {"license.txt", "readme.txt", "wizuninst.exe"});
        e2e::WriteTextFile(setup / "data.tag", script);
    }
    e2e::Process Start() { return e2e::Process::Start(StepwiseExe(), "", setup.path()); }
    HWND WaitWizard(const e2e::Process& process) {
        return e2e::WaitTopWindow(process.id(), "#32770", kWizardTitle, 40s);
    }

    e2e::TempFolder setup{"stepwise-wizard"};
};

// A script with every page: welcome to complete with the checks of each page, the browser's
// refusal and creation of a missing folder, Back from the components page, Enter in the
// user name field, and Finish running the program.
TEST_F(WizardRun, EveryPageToFinish) {
    const std::string target = setup / "target";
    Prepare("[APPINFO]\r\n1=Acme\r\n2=bin\\acme.exe\r\n5=" + target +
            "\r\n[DIALOG]\r\n0=1\r\n1=1\r\n2=1\r\n3=1\r\n4=1\r\n5=1\r\n6=1\r\n7=1\r\n8=1\r\n"
            "10=1\r\nCOMPLETE2=1\r\nCOMPLETE4=1\r\n[FILES]\r\nTOTAL=3\r\nPR0=core.dll\r\n"
            "PR1=tools.exe\r\nPR2=help.chm\r\n");
    e2e::Process process = Start();
    HWND wizard = WaitWizard(process);
    ASSERT_NE(wizard, nullptr);

    // Welcome, with the wizard's own controls.
    HWND page = WaitPage(wizard, "Welcome to Stepwise for Acme.");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(e2e::ItemText(wizard, IDC_WIZARD_NEXT), "Next >");
    EXPECT_EQ(e2e::ItemText(wizard, IDC_WIZARD_BACK), "< Back");
    EXPECT_EQ(e2e::ItemText(wizard, IDC_WIZARD_CANCEL), "Cancel");
    EXPECT_FALSE(Enabled(wizard, IDC_WIZARD_BACK));
    EXPECT_TRUE(Enabled(wizard, IDC_WIZARD_NEXT));
    EXPECT_NE(GetDlgItem(wizard, IDC_WIZARD_PAGE_AREA), nullptr);
    EXPECT_EQ(e2e::ItemText(page, IDC_WELCOME_BODY),
              "The Stepwise will install Acme on your computer. To continue, click Next.");
    EXPECT_FALSE(Visible(page, IDC_PAGE_PICTURE));  // no LeftImage
    e2e::Screenshot("stepwise-wizard-1-welcome");

    // License: Next stays disabled until the terms are accepted.
    Press(wizard, IDC_WIZARD_NEXT);
    page = WaitPage(wizard, "License Agreement");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(e2e::ItemText(page, IDC_PAGE_SUBTITLE),
              "Please read the following license agreement carefully.");
    EXPECT_EQ(e2e::ItemText(page, IDC_LICENSE_TEXT), "Acme licence terms\r\nline two");
    EXPECT_TRUE(Checked(page, IDC_LICENSE_DECLINE));
    EXPECT_FALSE(Enabled(wizard, IDC_WIZARD_NEXT));
    EXPECT_TRUE(Enabled(wizard, IDC_WIZARD_BACK));
    e2e::Screenshot("stepwise-wizard-2-license");
    Press(page, IDC_LICENSE_ACCEPT);
    EXPECT_TRUE(e2e::WaitFor([&] { return Enabled(wizard, IDC_WIZARD_NEXT); }, 5s));
    Press(page, IDC_LICENSE_DECLINE);
    EXPECT_TRUE(e2e::WaitFor([&] { return !Enabled(wizard, IDC_WIZARD_NEXT); }, 5s));
    Press(page, IDC_LICENSE_ACCEPT);
    ASSERT_TRUE(e2e::WaitFor([&] { return Enabled(wizard, IDC_WIZARD_NEXT); }, 5s));

    // Readme.
    Press(wizard, IDC_WIZARD_NEXT);
    page = WaitPage(wizard, "Information");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(e2e::ItemText(page, IDC_README_TEXT), "Acme readme text");
    e2e::Screenshot("stepwise-wizard-3-readme");

    // User: typing and Enter in the name field stay on the page.
    Press(wizard, IDC_WIZARD_NEXT);
    page = WaitPage(wizard, "Customer Information");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(e2e::ItemText(page, IDC_USER_NAME_LABEL), "User Name:");
    EXPECT_EQ(e2e::ItemText(page, IDC_USER_COMPANY_LABEL), "Company Name:");
    HWND nameField = GetDlgItem(page, IDC_USER_NAME);
    e2e::RunHost("xdotool mousemove " + Centre(nameField) + " click 1");
    // Typing starts once the click has given the field the focus.
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            GUITHREADINFO info = {sizeof info};
            return GetGUIThreadInfo(GetWindowThreadProcessId(wizard, nullptr), &info) &&
                   info.hwndFocus == nameField;
        },
        5s));
    e2e::RunHost("xdotool type Ada");
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ItemText(page, IDC_USER_NAME) == "Ada"; }, 5s));
    e2e::RunHost("xdotool key Return");
    SetText(page, IDC_USER_COMPANY, "Analytical Engines");  // a probe that round-trips
    EXPECT_EQ(VisiblePage(wizard), page) << "Enter left the user page";
    EXPECT_TRUE(IsWindow(wizard));
    EXPECT_EQ(e2e::ItemText(page, IDC_PAGE_TITLE), "Customer Information");
    e2e::Screenshot("stepwise-wizard-4-user");

    // Destination: the browser refuses an invalid path and creates a missing one.
    Press(wizard, IDC_WIZARD_NEXT);
    page = WaitPage(wizard, "Choose Destination Location");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(e2e::ItemText(page, IDC_DESTINATION_PROMPT), "Install Acme to:");
    EXPECT_EQ(e2e::ItemText(page, IDC_DESTINATION_FOLDER), Displayed(target));
    EXPECT_EQ(e2e::ItemText(page, IDC_DESTINATION_BROWSE), "Browse");
    e2e::Screenshot("stepwise-wizard-5-destination");
    Press(page, IDC_DESTINATION_BROWSE);
    HWND browser = nullptr;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            for (HWND w : e2e::VisibleTopWindows(process.id(), "#32770"))
                if (GetDlgItem(w, IDC_BROWSER_EDIT))
                    return (browser = w) != nullptr;
            return false;
        },
        10s));
    EXPECT_EQ(e2e::WindowText(browser), "Corvane Stepwise");
    EXPECT_TRUE(Visible(browser, IDC_BROWSER_EDIT));
    e2e::Screenshot("stepwise-wizard-5b-browser");
    const std::string invalid = target + "\\bad.";
    SetText(browser, IDC_BROWSER_EDIT, invalid);
    ASSERT_TRUE(e2e::WaitFor([&] { return Enabled(browser, IDOK); }, 5s));
    Press(browser, IDOK);
    HWND box = WaitMessageBox(process.id(),
                              "The folder:\n\n" + invalid + "\n\nis invalid. Please reenter.", 10s);
    ASSERT_NE(box, nullptr);
    ClickButton(box, IDOK);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(box); }, 5s));
    EXPECT_TRUE(IsWindowVisible(browser));
    const std::string chosen = target + "\\New Folder\\Acme";
    SetText(browser, IDC_BROWSER_EDIT, chosen);
    Press(browser, IDOK);
    box = WaitMessageBox(
        process.id(),
        "The folder:\n\n" + chosen + "\n\ndoes not exist. Do you want the folder to be created?",
        10s);
    ASSERT_NE(box, nullptr);
    e2e::Screenshot("stepwise-wizard-5c-create-folder");
    ClickButton(box, IDYES);
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(browser); }, 10s));
    EXPECT_TRUE(e2e::FileExists(chosen));
    EXPECT_TRUE(e2e::WaitFor(
        [&] { return e2e::ItemText(page, IDC_DESTINATION_FOLDER) == Displayed(chosen); }, 5s));

    // Setup type: Custom leads to the components page; Back shows Typical.
    Press(wizard, IDC_WIZARD_NEXT);
    page = WaitPage(wizard, "Setup Type");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Checked(page, IDC_SETUP_TYPICAL));
    EXPECT_EQ(e2e::ItemText(page, IDC_SETUP_CUSTOM), "Custom");
    EXPECT_EQ(e2e::ItemText(page, IDC_SETUP_COMPACT_TEXT),
              "Program will be installed with minimum required options.");
    e2e::Screenshot("stepwise-wizard-6-setup-type");
    Press(page, IDC_SETUP_CUSTOM);
    ASSERT_TRUE(e2e::WaitFor([&] { return Checked(page, IDC_SETUP_CUSTOM); }, 5s));
    Press(wizard, IDC_WIZARD_NEXT);
    HWND custom = WaitPage(wizard, "Customize your Installation");
    ASSERT_NE(custom, nullptr);
    HWND list = GetDlgItem(custom, IDC_CUSTOM_LIST);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
    for (int row = 0; row < 3; ++row) {
        LRESULT state = SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
        EXPECT_EQ(state & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2)) << "row " << row;
    }
    e2e::Screenshot("stepwise-wizard-7-custom");
    Press(wizard, IDC_WIZARD_BACK);
    page = WaitPage(wizard, "Setup Type");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Checked(page, IDC_SETUP_TYPICAL));
    EXPECT_FALSE(Checked(page, IDC_SETUP_CUSTOM));

    // Program folder.
    Press(wizard, IDC_WIZARD_NEXT);
    page = WaitPage(wizard, "Select Program Folder");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(e2e::ItemText(page, IDC_FOLDER_NAME), "Acme");
    EXPECT_EQ(e2e::ItemText(page, IDC_FOLDER_LABEL), "E&xisting Folders:");
    SetText(page, IDC_FOLDER_NAME, "Acme Tools");
    e2e::Screenshot("stepwise-wizard-8-folder");

    // Start copying: the summary of what was collected.
    Press(wizard, IDC_WIZARD_NEXT);
    page = WaitPage(wizard, "Start Copying Files");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(e2e::ItemText(page, IDC_START_SUMMARY),
              "\r\nSetup will install Acme in the directory:\r\n>  " + chosen +
                  "\r\n\r\nUser Information:\r\n>  Ada\r\n>  Analytical Engines\r\n\r\n"
                  "Program Folder:\r\n>  Acme Tools\r\n");
    EXPECT_EQ(e2e::ItemText(page, IDC_START_LABEL), "Current Settings:");
    e2e::Screenshot("stepwise-wizard-9-start");

    // Progress: Back and Next go; the page lasts until the next watch tick, so the probe
    // holds the wizard's thread while it looks.
    DWORD thread = GetWindowThreadProcessId(wizard, nullptr);
    win32::KernelHandle ui(OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread));
    ASSERT_TRUE(ui);
    Press(wizard, IDC_WIZARD_NEXT);
    bool caught = false;
    DWORD start = GetTickCount();
    while (!caught && GetTickCount() - start < 10000) {
        HWND shown = VisiblePage(wizard);
        if (shown && e2e::ItemText(shown, IDC_PAGE_TITLE) == "Copying Files") {
            std::string subtitle = e2e::ItemText(shown, IDC_PAGE_SUBTITLE);
            std::string status = e2e::ItemText(shown, IDC_PROGRESS_STATUS);
            // A held thread answers no message: texts are read before, the rest after.
            SuspendThread(ui.get());
            caught = true;
            EXPECT_EQ(subtitle, "Please wait, installing files...");
            // The page's own text, or the copy's once the installation has reached it.
            EXPECT_TRUE(status == "Copying Files" || status == "Copying Files...") << status;
            EXPECT_NE(GetDlgItem(shown, IDC_PROGRESS_BAR), nullptr);
            EXPECT_FALSE(Visible(wizard, IDC_WIZARD_NEXT));
            EXPECT_FALSE(Visible(wizard, IDC_WIZARD_BACK));
            e2e::Screenshot("stepwise-wizard-10-progress");
            ResumeThread(ui.get());
        }
        Sleep(5);
    }
    EXPECT_TRUE(caught) << "the progress page was never seen";

    // Complete: Cancel has become Finish; "Run the program" is offered ticked.
    page = WaitPage(wizard, "Stepwise Complete");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(
        e2e::WaitFor([&] { return e2e::ItemText(wizard, IDC_WIZARD_CANCEL) == "Finish"; }, 5s));
    EXPECT_FALSE(Visible(page, IDC_COMPLETE_README));
    EXPECT_TRUE(Visible(page, IDC_COMPLETE_RUN));
    EXPECT_TRUE(Checked(page, IDC_COMPLETE_RUN));
    EXPECT_EQ(e2e::ItemText(page, IDC_COMPLETE_RUN), "Run the program");
    e2e::Screenshot("stepwise-wizard-11-complete");

    // The script's files name no destination, so nothing is copied: the program is put into
    // the chosen folder here; Finish runs it, and it leaves its marker there.
    e2e::CopyFileOrFail(e2e::BinFolder() + "stepwise_mm_fake.exe", chosen + "\\acme.exe");
    Press(wizard, IDC_WIZARD_CANCEL);
    EXPECT_EQ(process.Wait(20s), 0);
    const std::string marker = chosen + "\\StepwiseMM.log";
    EXPECT_TRUE(e2e::WaitFor(
        [&] { return e2e::ReadTextFile(marker).find("done") != std::string::npos; }, 20s));

    // The installation registered itself; its uninstall command takes it away again.
    char command[MAX_PATH * 2] = {};
    DWORD size = sizeof command;
    RegGetValueA(HKEY_LOCAL_MACHINE,
                 "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme", "UninstallString",
                 RRF_RT_REG_SZ, nullptr, command, &size);
    std::string uninstall = command;
    ASSERT_NE(uninstall.find(' '), std::string::npos) << uninstall;
    EXPECT_EQ(RunAndWait(uninstall.substr(0, uninstall.find(' ')),
                         "/S " + uninstall.substr(uninstall.find(' ') + 1), setup.path()),
              0);
}

// Over the background window the wizard becomes topmost; language texts replace the
// buttons, the welcome texts and the question; the left picture shows. Cancel asks first:
// "No" keeps the wizard, "Yes" ends the program.
TEST_F(WizardRun, CancelAsksFirst) {
    Prepare(
        "[APPINFO]\r\n1=Acme\r\n[DIALOG]\r\n0=1\r\n[MAINWINDOW]\r\nBackGround=SIM\r\n"
        "LeftImage=left.bmp\r\n");
    e2e::WriteTextFile(setup / "left.bmp", BitmapFile(107, 193, 0x60, 0x60, 0x60));
    e2e::WriteTextFile(setup / "language.tag",
                       "[LANGUAGE]\r\n1=Avancar >\r\n3=Cancelar\r\n5=Bem-vindo ao ********\r\n"
                       "10=Sim\r\n11=Nao\r\n56=Cancelar a instalacao ?\r\n");
    e2e::Process process = Start();
    HWND wizard = WaitWizard(process);
    ASSERT_NE(wizard, nullptr);
    HWND page = WaitPage(wizard, "Bem-vindo ao Acme");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(e2e::ItemText(page, IDC_WELCOME_BODY), "");  // key 4 absent from the language file
    EXPECT_TRUE(Visible(page, IDC_PAGE_PICTURE));
    EXPECT_EQ(e2e::ItemText(wizard, IDC_WIZARD_NEXT), "Avancar >");
    EXPECT_EQ(e2e::ItemText(wizard, IDC_WIZARD_BACK), "");
    EXPECT_EQ(e2e::ItemText(wizard, IDC_WIZARD_CANCEL), "Cancelar");
    EXPECT_TRUE(e2e::WaitFor(
        [&] { return (GetWindowLongA(wizard, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 5s));
    e2e::Screenshot("stepwise-wizard-welcome-language");

    Press(wizard, IDC_WIZARD_CANCEL);
    HWND question = WaitMessageBox(process.id(), "Cancelar a instalacao ?", 10s);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(e2e::ItemText(question, IDCANCEL), "Sim");
    EXPECT_EQ(e2e::ItemText(question, IDOK), "Nao");
    e2e::Screenshot("stepwise-wizard-cancel-question");
    Press(question, IDOK);
    EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(question); }, 5s));
    EXPECT_TRUE(process.running());
    EXPECT_TRUE(IsWindowVisible(wizard));

    Press(wizard, IDC_WIZARD_CANCEL);
    question = WaitMessageBox(process.id(), "Cancelar a instalacao ?", 10s);
    ASSERT_NE(question, nullptr);
    Press(question, IDCANCEL);
    EXPECT_EQ(process.Wait(10s), 0);
}

// In update mode the destination page takes the folder of the previous installation from
// its uninstall entry.
TEST_F(WizardRun, UpdateModeTakesPreviousFolder) {
    const std::string name = UniqueName("Acme", "");
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name;
    const std::string previous = setup / "previous";
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    const std::string command = "C:\\windows\\wizuninst.exe \"" + previous + "\\install.log\"";
    RegSetValueExA(raw, "UninstallString", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    win32::RegKey owned(raw);
    owned.reset();
    Prepare("[APPINFO]\r\n1=" + name + "\r\n5=C:\\Elsewhere\r\nINSTALLMODE=Update\r\n" +
            "[DIALOG]\r\n4=1\r\n");

    e2e::Process process = Start();
    HWND wizard = e2e::WaitTopWindow(process.id(), "#32770", name + " - Stepwise", 40s);
    HWND page = wizard ? WaitPage(wizard, "Choose Destination Location") : nullptr;
    std::string shown = page ? e2e::ItemText(page, IDC_DESTINATION_FOLDER) : "";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(shown, Displayed(previous));
    EXPECT_EQ(e2e::ItemText(page, IDC_DESTINATION_PROMPT), "Install " + name + " to:");
}

}  // namespace
}  // namespace stepwise_e2e
