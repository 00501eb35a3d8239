#include "display/termination.h"

#include <cstdlib>

#include "capture/text_split.h"

namespace portlight {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// How many entries a "Terminate All" walks: its tag, the slot's connection count, bounded
// by the entries that exist.
int EntriesToWalk(const IconMenuEntry& all) {
    int count = std::atoi(all.tag.c_str());
    if (count < 0)
        return 0;
    return count < kMenuListEntries ? count : kMenuListEntries;
}

bool Usable(const IconMenuEntry& entry) {
    return entry.visible && entry.enabled && !TrimSpaces(entry.caption).empty();
}

}  // namespace

ConnectionCaption ParseConnectionCaption(std::string_view caption) {
    ConnectionCaption parts;
    std::string s = TextAfter(caption, "(");
    parts.remoteAddress = TextBefore(s, ":");
    s = TextAfter(s, ":");
    parts.remotePort = TextBefore(s, ")");
    s = TextAfter(s, "(");
    parts.localAddress = TextBefore(s, ":");
    s = TextAfter(s, ":");
    parts.localPort = TextBefore(s, ")");
    return parts;
}

uint16_t PortFromBytes(const TcpField& field) {
    return static_cast<uint16_t>(field[0] * 256u + field[1]);
}

std::string AddressFromBytes(const TcpField& field) {
    return std::to_string(field[0]) + "." + std::to_string(field[1]) + "." +
           std::to_string(field[2]) + "." + std::to_string(field[3]);
}

std::optional<size_t> FindConnectionRow(const ConnectionCaption& caption,
                                        const std::vector<TcpTableRow>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const TcpTableRow& row = rows[i];
        if (std::to_string(PortFromBytes(row.remotePort)) == caption.remotePort &&
            AddressFromBytes(row.remoteAddress) == caption.remoteAddress &&
            std::to_string(PortFromBytes(row.localPort)) == caption.localPort &&
            AddressFromBytes(row.localAddress) == caption.localAddress)
            return i;
    }
    return std::nullopt;
}

std::string RecordedPathOf(const ConnectionTable& table, uint32_t pid) {
    const std::string id = std::to_string(pid);
    for (int r = 0; r < table.ConnectionCount && r < kConnectionRows; ++r) {
        const ConnectionRow& row = table.rows[r];
        if (row[kColPid] == id && row[kColCategory] == kCategoryNormal)
            return TrimSpaces(row[kColPath]);
    }
    return "";
}

Termination::Termination(const ConnectionTable& table,
                         TerminationSystem& system,
                         std::function<void()> startSnapshot)
    : table_(table), system_(system), startSnapshot_(std::move(startSnapshot)) {}

bool Termination::DeleteConnection(std::string_view caption) {
    const ConnectionCaption parts = ParseConnectionCaption(caption);
    std::optional<std::vector<TcpTableRow>> rows = system_.ReadTcpTable();
    if (!rows)
        return false;
    std::optional<size_t> match = FindConnectionRow(parts, *rows);
    if (!match)
        return false;
    TcpTableRow row = (*rows)[*match];
    row.state = kTcpStateDeleteTcb;
    const uint32_t result = system_.SetTcpEntry(row);
    if (startSnapshot_)
        startSnapshot_();
    if (result == 0)
        system_.Beep();
    return true;
}

bool Termination::KillProcess(uint32_t pid) {
    if (pid == 0)
        return false;
    // A menu or a details line outlives its snapshot: by now the id may name another
    // program. Only the program the snapshot recorded is ended.
    const std::string recorded = RecordedPathOf(table_, pid);
    if (recorded.empty())
        return false;
    std::unique_ptr<OpenedProcess> process = system_.OpenForTermination(pid);
    if (!process)
        return false;
    if (!EqualsNoCase(TrimSpaces(process->Path()), recorded))
        return false;
    process->Terminate();
    return true;
}

void Termination::RunMenuCommand(const IconMenu& menu, TerminateCommand command, int index) {
    switch (command) {
        case TerminateCommand::kConnection:
            if (index >= 0 && index < kMenuListEntries)
                DeleteConnection(menu.mnuNetstatTermConnections[index].caption);
            break;
        case TerminateCommand::kConnectionAll:
            for (int k = 0; k < EntriesToWalk(menu.mnuNetstatTermConnAll); ++k)
                if (Usable(menu.mnuNetstatTermConnections[k]))
                    DeleteConnection(menu.mnuNetstatTermConnections[k].caption);
            break;
        case TerminateCommand::kProcess:
            if (index >= 0 && index < kMenuListEntries)
                KillProcess(ReadPid(TrimSpaces(menu.mnuNetstatTermProcess[index].caption)));
            break;
        case TerminateCommand::kProcessAll:
            for (int k = 0; k < EntriesToWalk(menu.mnuNetstatTermProcessAll); ++k)
                if (Usable(menu.mnuNetstatTermProcess[k]))
                    KillProcess(ReadPid(TrimSpaces(menu.mnuNetstatTermProcess[k].caption)));
            break;
    }
}

bool Termination::TerminateFromDetails(std::string_view target) {
    return KillProcess(ReadPid(TrimSpaces(target)));
}

}  // namespace portlight
