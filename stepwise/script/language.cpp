#include "script/language.h"

#include <string_view>

#include "script/folder_rules.h"

namespace stepwise {

namespace {

struct BuiltIn {
    int key;
    std::string_view text;
};

// "%s" in a built-in text stands for the application name.
constexpr BuiltIn kBuiltInTexts[] = {
    {1, "Next >"},
    {2, "< Back"},
    {3, "Cancel"},
    {4, "The Stepwise will install %s on your computer. To continue, click Next."},
    {5, "Welcome to Stepwise for %s."},
    {6, "License Agreement"},
    {7, "Please read the following license agreement carefully."},
    {8, "I &do not accept the terms in the license agreement"},
    {9, "I &accept the terms in the license agreement."},
    {10, "Yes"},
    {11, "No"},
    {12, "Information"},
    {13, "Please read the following text."},
    {14, "Customer Information"},
    {15, "Please enter your information."},
    {16, "User Name:"},
    {17, "Company Name:"},
    {19, "Choose Destination Location"},
    {20, "Select folder where Setup will install files."},
    {22, "Install %s to:"},
    {25, "Browse"},
    {26, "Setup Type"},
    {27, "Select the Setup Type to install."},
    {28, "Program will be installed with the most common options. Recommended for most users."},
    {29, "Program will be installed with minimum required options."},
    {30, "You may choose the options you want to install. Recommended for advanced users."},
    {31, "Typical"},
    {32, "Compact"},
    {33, "Custom"},
    {34, "Select Program Folder"},
    {35, "Please select a program folder."},
    {36, "E&xisting Folders:"},
    {39, "Start Copying Files"},
    {40, "Review settings before copying files."},
    {41,
     "Setup has enough information to start copying the program files. If you want to "
     "review or change any settings, click Back. If you are satisfied with the settings, "
     "click Next to begin copying files."},
    {42, "Current Settings:"},
    {43, "Stepwise Complete"},
    {44,
     "You must restart your system for the configuration changes take effect. Click Yes "
     "to restart now or No if you plan to restart later."},
    {48, "Read the readme.txt file"},
    {49, "Run the program"},
    // \xAE is the registered-trade-mark sign in the Windows ANSI code page.
    {50,
     "Setup is preparing the Stepwise\xAE which will guide you through the application "
     "setup process. Please wait."},
    {51, "Copying Files"},
    {52, "Please wait, installing files..."},
    {56, "Do you wish cancel the installation ?"},
    {57, "Finish"},
};

}  // namespace

bool ReplacesAppName(int key) {
    return key == 4 || key == 5 || key == 9 || key == 22;
}

std::string BuiltInText(int key, const std::string& appName) {
    for (const BuiltIn& entry : kBuiltInTexts) {
        if (entry.key == key)
            return ReplaceAll(std::string(entry.text), "%s", appName);
    }
    return "";
}

std::string LanguageText(int key,
                         bool languagePresent,
                         const ProfileSource& language,
                         const std::string& appName) {
    if (!languagePresent)
        return BuiltInText(key, appName);
    std::string text = language.Read("LANGUAGE", std::to_string(key), kLanguageBuffer);
    if (ReplacesAppName(key))
        text = ReplaceAll(text, kAppNamePlaceholder, appName);
    return text;
}

}  // namespace stepwise
