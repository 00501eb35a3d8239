#include "capture/netstat_command.h"

#include "capture/text_split.h"

namespace portlight {

NetstatCommand BuildNetstatCommand(std::string_view monitor, bool activeOnly) {
    NetstatCommand c;
    c.commandLine = activeOnly ? "netstat -on" : "netstat -ona";
    std::string protocolWord;
    if (monitor == "TCP") {
        c.commandLine += " -p TCP";
        protocolWord = "TCP ";
    } else if (monitor == "UDP") {
        c.commandLine += " -p UDP";
        protocolWord = "UDP ";
    }
    c.monitorKind = protocolWord + (activeOnly ? "Active " : "Open ");
    return c;
}

std::string StripNetstatHeader(std::string_view output) {
    std::string afterPid = TextAfter(output, "pid");
    return TextAfter(afterPid, "\r\n");
}

bool OptionIsTrue(std::string_view text) {
    return FindNoCase(text, "true") == 0 && text.size() == 4;
}

}  // namespace portlight
