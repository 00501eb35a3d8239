#include <winsock2.h>

#include "display/termination_win.h"

#include <gtest/gtest.h>

#include "loopback_pair.h"
#include "sample_process.h"

namespace portlight {
namespace {

using samples::BesideThisProgram;
using samples::LoopbackPair;
using samples::SampleProcess;

std::string Caption(const std::string& remote, uint16_t remotePort, uint16_t localPort) {
    return "R:(" + remote + " : " + std::to_string(remotePort) +
           ") L:(127.0.0.1 : " + std::to_string(localPort) + ")";
}

// The real TCP table, read into a buffer sized from what the system says, holds a live
// connection; its caption finds it and a snapshot follows. (Wine's SetTcpEntry reports
// success without ending anything, so its effect is not checked here.)
TEST(Win32TerminationSystem, FindsALiveConnectionInTheTcpTable) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.ready());
    Win32TerminationSystem system;
    std::optional<std::vector<TcpTableRow>> rows = system.ReadTcpTable();
    ASSERT_TRUE(rows);
    EXPECT_TRUE(FindConnectionRow(
        ParseConnectionCaption(Caption("127.0.0.1", pair.listenPort, pair.clientPort)), *rows));

    ConnectionTable table;
    int snapshots = 0;
    Termination termination(table, system, [&] { ++snapshots; });
    EXPECT_FALSE(termination.DeleteConnection(Caption("127.0.0.2", pair.listenPort, 1)));
    EXPECT_EQ(snapshots, 0);
    EXPECT_TRUE(
        termination.DeleteConnection(Caption("127.0.0.1", pair.listenPort, pair.clientPort)));
    EXPECT_EQ(snapshots, 1);
}

// A process is ended when it is still the recorded program, and left alone otherwise.
TEST(Win32TerminationSystem, EndsOnlyTheRecordedProgram) {
    SampleProcess app(BesideThisProgram("portlight-sample-app.exe"));
    SampleProcess plain(BesideThisProgram("portlight-sample-plain.exe"));
    ASSERT_TRUE(app.started() && plain.started());
    ConnectionTable table;
    table.rows[0] = {"TCP",       "127.0.0.1", "1",
                     "127.0.0.1", "2",         "ESTABLISHED",
                     "Normal",    app.path(),  std::to_string(app.pid())};
    // The snapshot saw another program under the plain sample's id.
    table.rows[1] = {"TCP",       "127.0.0.1", "3",
                     "127.0.0.1", "4",         "ESTABLISHED",
                     "Normal",    app.path(),  std::to_string(plain.pid())};
    table.ConnectionCount = 2;
    Win32TerminationSystem system;
    Termination termination(table, system, nullptr);

    EXPECT_FALSE(termination.KillProcess(plain.pid()));
    EXPECT_TRUE(termination.KillProcess(app.pid()));
    EXPECT_TRUE(app.WaitForExit(10000));
    EXPECT_FALSE(plain.WaitForExit(0)) << "the program under a reused id still runs";
}

}  // namespace
}  // namespace portlight
