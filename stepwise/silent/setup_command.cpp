#include "silent/setup_command.h"

#include <cctype>
#include <vector>

#include "wizard/destination_rules.h"

namespace stepwise {

namespace {

struct Token {
    std::string text;
    bool quoted = false;  // held a quote: no blank-joining onto it
};

std::vector<Token> Tokens(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        Token token;
        bool inQuotes = false;
        for (; i < line.size() && (inQuotes || (line[i] != ' ' && line[i] != '\t')); ++i) {
            if (line[i] == '"') {
                inQuotes = !inQuotes;
                token.quoted = true;
            } else {
                token.text += line[i];
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) !=
            std::toupper(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

}  // namespace

SetupCommand ParseSetupCommand(std::string_view arguments) {
    SetupCommand command;
    std::vector<Token> tokens = Tokens(arguments);
    std::string* open = nullptr;  // the value an unquoted blank continues
    bool folderGiven = false;
    for (const Token& token : tokens) {
        const std::string& t = token.text;
        if (t.empty() || t[0] != '/') {
            if (open && !token.quoted) {
                *open += " " + t;
                continue;
            }
            command.error = "unexpected \"" + t + "\"";
            return command;
        }
        open = nullptr;
        if (t == "/?") {
            command.help = true;
        } else if (t.size() == 2 && std::toupper(static_cast<unsigned char>(t[1])) == 'S') {
            command.silent = true;
        } else if (StartsWithNoCase(t, "/D=")) {
            command.installFolder = t.substr(3);
            folderGiven = true;
            open = token.quoted ? nullptr : &command.installFolder;
        } else if (StartsWithNoCase(t, "/LOG=")) {
            command.logPath = t.substr(5);
            open = token.quoted ? nullptr : &command.logPath;
        } else {
            command.error = "unknown option \"" + t + "\"";
            return command;
        }
    }
    if (folderGiven) {
        std::string& folder = command.installFolder;
        if (folder.size() > 3 && folder.back() == '\\')
            folder.pop_back();
        if (folder.size() <= 3 || !IsValidTypedFolder(folder)) {
            command.error = "/D= needs a full folder path below a drive, such as C:\\Apps\\Acme";
            return command;
        }
    }
    if (!command.silent && !command.help && (folderGiven || !command.logPath.empty()))
        command.error = "/D= and /LOG= belong to an unattended installation: add /S";
    if (command.silent && !command.logPath.empty() && command.logPath.back() == '\\')
        command.error = "/LOG= names a file, not a folder";
    return command;
}

std::string SetupHelpText() {
    return "Installs the program this setup folder carries.\r\n\r\n"
           "Stepwise.exe [/S [/D=<folder>] [/LOG=<file>]]\r\n\r\n"
           "  /S          unattended: no page and no message box; the setup script's\r\n"
           "              defaults apply (Typical setup, its installation folder)\r\n"
           "  /D=<folder> installation folder instead of the script's (with /S)\r\n"
           "  /LOG=<file> plain-text log of every action and failure (with /S);\r\n"
           "              default: stepwise-setup.log in the temporary folder\r\n"
           "  /?          shows this text\r\n\r\n"
           "Exit codes of an unattended installation (wizuninst.exe /S uses 0 to 4 alike):\r\n"
           "  0  installed\r\n"
           "  1  cancelled: asked to stop (closed, log-off) before the end\r\n"
           "  2  failed: some items could not be installed; the log lists them\r\n"
           "  3  could not run: script or payload missing or damaged, or the machine does\r\n"
           "     not meet the script's requirement; nothing was installed\r\n"
           "  4  bad command line\r\n"
           "  5  installed; Windows must restart to complete the installation\r\n";
}

int SetupExitCode(const SetupOutcome& outcome) {
    if (outcome.couldNotRun)
        return kSetupCannotRun;
    if (outcome.cancelled)
        return kSetupCancelled;
    if (outcome.failures > 0)
        return kSetupFailed;
    if (outcome.restartNeeded)
        return kSetupNeedsRestart;
    return kSetupSucceeded;
}

std::string DefaultSetupLogPath(const std::string& tempFolder) {
    std::string path = tempFolder;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + "stepwise-setup.log";
}

}  // namespace stepwise
