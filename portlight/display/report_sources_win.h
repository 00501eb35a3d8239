// What the process report reads from the system: the file times of an executable
// (FileTimesOf), their display in the system's general date format, and the version
// resource values.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "display/file_time.h"
#include "display/process_report.h"

namespace portlight {

// Opens the file for reading (sharing read and write) and reads its three times, converted
// from UTC to local file time when `toLocal`. 0 when the times were read, -1 otherwise; the
// outputs are left unchanged on failure.
int FileTimesOf(const std::string& path,
                DateTime& created,
                DateTime& accessed,
                DateTime& written,
                bool toLocal);

// The system's general date format: the short date, followed by the long time unless the
// time is midnight. Empty text for a date the system cannot show.
std::string GeneralDateText(const DateTime& value);

// The report's three time lines for `path` in UTC, or nothing when they cannot be read.
std::optional<ReportFileTimes> ReportFileTimesOf(const std::string& path);

// The version-resource values of `path` (empty and 0 when it has none).
ReportVersion ReportVersionOf(const std::string& path);

}  // namespace portlight
