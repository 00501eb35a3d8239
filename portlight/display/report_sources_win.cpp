#include "display/report_sources_win.h"

#include "common/win32/handles_win.h"
#include "display/version_info_win.h"

namespace portlight {

namespace {

DateTime DateOf(FILETIME time) {
    return FileTimeToDate(time.dwLowDateTime, time.dwHighDateTime);
}

std::string ShortDate(const SYSTEMTIME& time) {
    char text[128] = {};
    if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, sizeof text) <= 0)
        return {};
    return text;
}

std::string LongTime(const SYSTEMTIME& time) {
    char text[128] = {};
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text) <= 0)
        return {};
    return text;
}

}  // namespace

int FileTimesOf(const std::string& path,
                DateTime& created,
                DateTime& accessed,
                DateTime& written,
                bool toLocal) {
    win32::KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
    if (!file.valid())
        return -1;
    FILETIME times[3] = {};
    if (!GetFileTime(file.get(), &times[0], &times[1], &times[2]))
        return -1;
    file.reset();
    if (toLocal) {
        for (FILETIME& t : times) {
            FILETIME local = {};
            if (!FileTimeToLocalFileTime(&t, &local))
                return -1;
            t = local;
        }
    }
    created = DateOf(times[0]);
    accessed = DateOf(times[1]);
    written = DateOf(times[2]);
    return 0;
}

std::string GeneralDateText(const DateTime& value) {
    if (value.year < 1601 || value.year > 30827)
        return {};
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(value.year);
    time.wMonth = static_cast<WORD>(value.month);
    time.wDay = static_cast<WORD>(value.day);
    time.wHour = static_cast<WORD>(value.hour);
    time.wMinute = static_cast<WORD>(value.minute);
    time.wSecond = static_cast<WORD>(value.second);
    std::string text = ShortDate(time);
    if (text.empty())
        return {};
    if (value.hour || value.minute || value.second) {
        std::string clock = LongTime(time);
        if (!clock.empty())
            text += " " + clock;
    }
    return text;
}

std::optional<ReportFileTimes> ReportFileTimesOf(const std::string& path) {
    DateTime created, accessed, written;
    if (FileTimesOf(path, created, accessed, written, false) != 0)
        return std::nullopt;
    return ReportFileTimes{GeneralDateText(created), GeneralDateText(accessed),
                           GeneralDateText(written)};
}

ReportVersion ReportVersionOf(const std::string& path) {
    VersionInfo info;
    info.SetFileName(path);
    ReportVersion v;
    v.ProductName = info.ProductName();
    v.FileDescription = info.FileDescription();
    v.OriginalFileName = info.OriginalFileName();
    v.InternalName = info.InternalName();
    v.FileVersion = info.FileVersion();
    v.ProductVersion = info.ProductVersion();
    v.PrivateBuild = info.PrivateBuild();
    v.SpecialBuild = info.SpecialBuild();
    v.CompanyName = info.CompanyName();
    v.LegalCopyright = info.LegalCopyright();
    v.LegalTrademarks = info.LegalTrademarks();
    v.LegalTrademarks1 = info.LegalTrademarks1();
    v.LegalTrademarks2 = info.LegalTrademarks2();
    v.FileOS = info.FileOS();
    v.FileType = info.FileType();
    v.FileSubType = info.FileSubType();
    v.FileFlags = info.FileFlags();
    v.Language = info.Language();
    v.CodePage = info.CodePage();
    v.Comments = info.Comments();
    return v;
}

}  // namespace portlight
