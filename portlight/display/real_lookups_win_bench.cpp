// The snapshot's table and grouping against real processes and version resources: a
// 500-row listing owned by running sample programs, identified with a lookup per row and
// with the per-snapshot lookups the bar uses. Prints both times, their ratio and the time
// per row.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "capture/process_system_win.h"
#include "capture/system_table_win.h"
#include "display/snapshot_pipeline_win.h"
#include "display/version_info_win.h"
#include "sample_process.h"

using namespace portlight;

namespace {

constexpr int kRows = 500;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const bool smoke = argc > 1 && std::strcmp(argv[1], "--smoke") == 0;
    const int owners = smoke ? 6 : 60;
    // A lookup per row costs seconds per snapshot under Wine: one pass of it is enough.
    const int perRowRepeats = 1;
    const int repeats = smoke ? 1 : 5;
    const char* kinds[] = {"portlight-sample-app.exe", "portlight-sample-neutral.exe",
                           "portlight-sample-plain.exe"};
    std::vector<std::unique_ptr<samples::SampleProcess>> programs;
    for (int i = 0; i < owners; ++i) {
        programs.push_back(
            std::make_unique<samples::SampleProcess>(samples::BesideThisProgram(kinds[i % 3])));
        if (!programs.back()->started()) {
            std::printf("cannot start the sample programs\n");
            return 1;
        }
    }
    std::string listing;
    for (int r = 0; r < kRows; ++r) {
        uint32_t pid = r % 50 == 49 ? 0 : programs[(r * 7) % owners]->pid();
        listing += "  TCP    192.168.1.20:" + std::to_string(49152 + r) +
                   "     140.82.121.4:443       ESTABLISHED     " + std::to_string(pid) + "\r\n";
    }

    ConnectionTable table;
    std::vector<IconSlot> slots(61);
    const GroupingOptions options{true, UnknownFilter::kShowAll};

    auto start = std::chrono::steady_clock::now();
    int perRowSlots = 0;
    for (int i = 0; i < perRowRepeats; ++i) {
        Win32ProcessSystem system;
        DirectProcessLookup lookup(system);
        BuildConnectionTable(listing, lookup, table);
        VersionFileDescriptions descriptions;
        perRowSlots = GroupIntoSlots(table, options, descriptions, slots);
    }
    const double perRow = Seconds(start) / perRowRepeats;

    start = std::chrono::steady_clock::now();
    int snapshotSlots = 0;
    for (int i = 0; i < repeats; ++i) {
        BuildTableFromSystem(listing, table);
        snapshotSlots = GroupSlotsWithVersions(table, options, slots);
    }
    const double perSnapshot = Seconds(start) / repeats;

    if (perRowSlots != snapshotSlots) {
        std::printf("the two runs disagree: %d vs %d slots\n", perRowSlots, snapshotSlots);
        return 1;
    }
    std::printf("real lookups: %d rows, %d running owners, %d slots filled\n", kRows, owners,
                snapshotSlots);
    std::printf("lookup per row    : %9.3f ms per snapshot, %8.2f us per row\n", perRow * 1e3,
                perRow * 1e6 / kRows);
    std::printf("lookup per process: %9.3f ms per snapshot, %8.2f us per row\n", perSnapshot * 1e3,
                perSnapshot * 1e6 / kRows);
    std::printf("speed-up          : %9.1fx (target >= 20x)\n", perRow / perSnapshot);
    return 0;
}
