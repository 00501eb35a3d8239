#include "tool/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace cabtool {
namespace {

// Cabinet attribute bits.
constexpr uint16_t kReadOnly = 0x01;
constexpr uint16_t kArchive = 0x20;
constexpr uint16_t kExecute = 0x40;

// DOS time stamps cover 1980 to 2107 in two-second steps.
void ToDos(time_t t, uint16_t* date, uint16_t* time) {
    struct tm tm {};
    localtime_r(&t, &tm);
    int year = std::clamp(tm.tm_year + 1900, 1980, 2107);
    if (tm.tm_year + 1900 < 1980) {
        tm.tm_mon = 0;
        tm.tm_mday = 1;
        tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
    }
    *date = static_cast<uint16_t>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    *time = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

bool FromDos(uint16_t date, uint16_t time, time_t* out) {
    struct tm tm {};
    tm.tm_year = ((date >> 9) & 0x7F) + 80;
    tm.tm_mon = ((date >> 5) & 0x0F) - 1;
    tm.tm_mday = date & 0x1F;
    tm.tm_hour = (time >> 11) & 0x1F;
    tm.tm_min = (time >> 5) & 0x3F;
    tm.tm_sec = (time & 0x1F) * 2;
    tm.tm_isdst = -1;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday == 0 || tm.tm_hour > 23 || tm.tm_min > 59)
        return false;
    // mktime reads the time zone again on every call, a file status query each time. Clocks
    // change on the hour, so the start of the last hour asked for serves the whole hour: the
    // files of a cabinet mostly share a few hours.
    thread_local uint32_t cachedHour = UINT32_MAX;  // date and hour
    thread_local time_t cachedStart = 0;
    const uint32_t hour = static_cast<uint32_t>(date) << 5 | static_cast<uint32_t>(tm.tm_hour);
    if (hour != cachedHour) {
        struct tm start = tm;
        start.tm_min = start.tm_sec = 0;
        const time_t t = mktime(&start);
        if (t == static_cast<time_t>(-1))
            return false;
        cachedHour = hour;
        cachedStart = t;
    }
    *out = cachedStart + tm.tm_min * 60 + tm.tm_sec;
    return true;
}

}  // namespace

FileFacts Inspect(const std::string& path) {
    FileFacts facts;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return facts;
    facts.exists = true;
    facts.isDirectory = S_ISDIR(st.st_mode);
    facts.size = static_cast<uint64_t>(st.st_size);
    ToDos(st.st_mtime, &facts.date, &facts.time);
    facts.attributes = kArchive;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        facts.attributes |= kReadOnly;
    if (st.st_mode & S_IXUSR)
        facts.attributes |= kExecute;
    return facts;
}

bool ApplyStoredFacts(const std::string& path, uint16_t date, uint16_t time, uint16_t attributes) {
    bool ok = true;
    time_t t;
    if (FromDos(date, time, &t)) {
        struct timeval tv[2] = {{t, 0}, {t, 0}};
        ok = utimes(path.c_str(), tv) == 0;
    }
    if ((attributes & (kReadOnly | kExecute)) == 0)
        return ok;  // a fresh file already has the default permissions
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return false;
    mode_t mode = st.st_mode & 07777;
    if (attributes & kExecute) {
        // Grant execute where read is granted, like a fresh build output.
        mode |= (mode & 0444) >> 2;
    }
    if (attributes & kReadOnly)
        mode &= ~static_cast<mode_t>(0222);
    if (mode != (st.st_mode & 07777))
        ok = chmod(path.c_str(), mode) == 0 && ok;
    return ok;
}

void MakePlain(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::FILE* CreateNewFile(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(path.c_str());
    }
    return file;
}

bool MakeParentDirectories(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/')
            continue;
        std::string dir = path.substr(0, i);
        if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool LocalName(const std::string& stored, bool storedAsUtf8, std::string* local) {
    if (storedAsUtf8) {
        *local = stored;
        return true;
    }
    std::string& out = *local;
    out.clear();
    out.reserve(stored.size());
    for (char ch : stored) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

std::vector<std::string> ListDirectory(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    if (!dir)
        return names;
    while (struct dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace cabtool
