#include "uninstall/uninstall_command.h"

#include <vector>

#include "uninstall/removal_run.h"

namespace stepwise {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

// Blank-separated words; double quotes group a word and are dropped.
std::vector<Token> Tokens(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        Token token;
        bool inQuotes = false;
        while (i < text.size() && (inQuotes || (text[i] != ' ' && text[i] != '\t'))) {
            if (text[i] == '"') {
                inQuotes = !inQuotes;
                token.quoted = true;
            } else {
                token.text += text[i];
            }
            ++i;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool IsOption(const Token& token) {
    return !token.quoted && token.text.size() >= 2 &&
           (token.text[0] == '/' || token.text[0] == '-');
}

}  // namespace

UninstallCommand ParseUninstallCommand(std::string_view arguments) {
    UninstallCommand command;
    std::vector<Token> tokens = Tokens(arguments);
    std::vector<std::string> words;  // the log path, possibly unquoted with blanks
    for (const auto& token : tokens) {
        if (IsOption(token)) {
            std::string option = token.text.substr(1);
            if (option == "S" || option == "s") {
                command.silent = true;
            } else if (option == "?" || option == "h" || option == "H") {
                command.help = true;
            } else {
                command.error = "Unknown option " + token.text + ".";
                return command;
            }
        } else if (!token.text.empty()) {
            words.push_back(token.text);
        }
    }
    for (const auto& word : words)
        command.logPath += (command.logPath.empty() ? "" : " ") + word;
    if (command.logPath.empty() && !command.help)
        command.error = "No installation log was named.";
    return command;
}

std::string UninstallHelpText() {
    return "Removes a program installed by Stepwise.\n\n"
           "wizuninst.exe [/S] \"<folder>\\install.log\"\n\n"
           "  /S   silent: no questions, no messages; the outcome is the exit code.\n"
           "  /?   shows this text.\n\n"
           "Exit codes:\n"
           "  " +
           std::to_string(kExitRemoved) +
           "   removed (items already gone count as removed)\n"
           "  " +
           std::to_string(kExitCancelled) +
           "   cancelled: the question was answered No\n"
           "  " +
           std::to_string(kExitPartly) +
           "   partly removed: some files could not be removed (in use or denied); the "
           "uninstall entry and the log are kept so it can run again\n"
           "  " +
           std::to_string(kExitBadLog) +
           "   the log is missing, unreadable or not an installation log\n"
           "  " +
           std::to_string(kExitUsage) + "   no log named, or an unknown option\n";
}

}  // namespace stepwise
